#include "launcher/launch_sequence.h"

#include "lookup/registered_path.h"
#include "platform/classlib/ansi_string.h"
#include "platform/win32.h"

namespace {

const char kRunningInstanceTitle[] = "Kembrin";
// A window whose thread still handles messages is waited for, however long
// it takes; a hung one holds the launcher for at most this long.
const UINT kCloseRequestTimeoutMs = 10000;
const UINT kCloseRequestFlags = SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG;
// Time the closing application gets before the next one starts.
const DWORD kWaitAfterCloseRequestMs = 2000;
const char kTaskbarClass[] = "Shell_TrayWnd";
const UINT kStartShowCommand = SW_SHOWDEFAULT;

bool HasBlank(const AnsiString& text) {
  for (size_t i = 0; i < text.length(); ++i) {
    if (text.byte(i) == ' ' || text.byte(i) == '\t') return true;
  }
  return false;
}

// WinExec splits an unquoted command line at its first blank that leaves a
// program to run, so "C:\Program Files\Tavimond\Tavimond.exe" would start
// "C:\Program.exe" if such a file exists. A registered path that as a whole
// names an existing file is therefore quoted; anything else (already quoted,
// with arguments, without blanks) is started as registered.
AnsiString QuotedWhenFilePathWithBlanks(const AnsiString& commandLine) {
  if (commandLine.empty() || commandLine.byte(0) == '"' || !HasBlank(commandLine)) return commandLine;
  const DWORD attributes = GetFileAttributesA(commandLine.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return commandLine;
  const AnsiString quote = AnsiString::Literal("\"");
  return quote + commandLine + quote;
}

}  // namespace

void CloseRunningInstance() {
  const HWND window = FindWindowA(nullptr, kRunningInstanceTitle);
  if (window == nullptr) return;
  // Whether the window handled the request, and how, changes nothing.
  DWORD_PTR ignoredResult = 0;
  SendMessageTimeoutA(window, WM_CLOSE, 0, 0, kCloseRequestFlags, kCloseRequestTimeoutMs, &ignoredResult);
  Sleep(kWaitAfterCloseRequestMs);
}

void StartRegisteredApplication() {
  if (FindWindowA(kTaskbarClass, nullptr) == nullptr) return;
  AnsiString commandLine;
  commandLine = ReadRegisteredPath();
  commandLine = QuotedWhenFilePathWithBlanks(commandLine);
  // A start that fails is not reported: the launcher has nothing to add.
  WinExec(commandLine.c_str(), kStartShowCommand);
}
