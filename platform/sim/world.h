// A simulated Windows for the Linux build. It provides the Win32 entry points
// that platform/win32.h declares, acting on a World that a test sets up:
// top-level windows, a registry, files, environment variables, the module
// path, code pages, a heap that can run out, a clock and message boxes that
// the test answers. Every call is written to the World's journal, in order,
// with its arguments, so tests can check exactly what the program asked of
// the system.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace sim {

// The thread the launcher runs on; windows of other programs belong to
// other threads.
const DWORD kLauncherThread = 1;
const DWORD kOtherThread = 2;

// How a window of another program answers a close request.
enum class Answer {
  AtOnce,      // handles it at once
  AfterDelay,  // keeps processing messages and handles it after answerDelayMs
  AlreadyHung, // stopped processing messages long ago: the system says so at once
  Never,       // stops processing messages now: the sender waits for its time-out
};

struct WindowSetup {
  std::string className = "KembrinMain";
  std::string title;
  DWORD thread = kOtherThread;
  bool visible = true;
  bool enabled = true;
  Answer answer = Answer::AtOnce;
  DWORD answerDelayMs = 0;
  bool closesOnRequest = true;
};

struct Window {
  HWND handle = nullptr;
  WindowSetup setup;
  WNDPROC procedure = nullptr;  // windows the program created
  int width = 0;
  int height = 0;
  HICON icon = nullptr;
  bool exists = true;
  int closeRequests = 0;
};

struct MessageBoxRecord {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT style = 0;
  bool shown = false;
  HWND activeWindow = nullptr;             // the thread's active window while it was up
  std::vector<HWND> enabledThreadWindows;  // the thread's enabled windows while it was up
};

struct ProcessStart {
  std::string commandLine;
  UINT showCommand = 0;
  uint64_t atMs = 0;
};

struct RegistryValue {
  DWORD type = REG_SZ;
  std::string bytes;
};

struct RegistryKeyState {
  std::map<std::string, RegistryValue> values;  // by lower-case name
  bool denyWrite = false;                       // readable, not writable
  LSTATUS openFailure = ERROR_SUCCESS;          // any other: every open fails so
};

// Ways a value's data query can go wrong, keyed like values.
struct DataQueryFault {
  LSTATUS failWith = ERROR_SUCCESS;  // the data query returns this
  long bytesWritten = -1;            // >= 0: writes only so many bytes, reports all
  std::function<void()> before;      // runs just before the data query
};

struct Call {
  std::string function;
  std::string text;  // "Function(arguments) = result"
};

class World {
 public:
  World();

  // --- windows
  HWND AddWindow(const WindowSetup& setup);
  HWND AddKembrinWindow(Answer answer = Answer::AtOnce, bool closes = true);
  HWND AddTaskbar();
  const Window* FindWindowRecord(HWND handle) const;
  Window* FindWindowRecord(HWND handle);
  bool WindowExists(HWND handle) const;
  int CloseRequestsTo(HWND handle) const;
  // The hidden window the program created at start-up, if any.
  const Window* ApplicationWindow() const;
  bool desktopAvailable = true;  // without one no window can be created
  HWND activeWindow = nullptr;   // of the launcher's thread

  // --- registry
  static std::string KeyName(HKEY root, const std::string& path);
  RegistryKeyState& Key(HKEY root, const std::string& path);  // creates it
  void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                const std::string& bytes);
  void SetAppPath(DWORD type, const std::string& bytes);  // the Tavimond.exe default value
  DataQueryFault& AppPathDataQueryFault();
  std::map<std::string, RegistryKeyState> keys;  // by KeyName
  std::map<std::string, DataQueryFault> dataQueryFaults;
  std::map<std::string, DWORD> reportedSizes;  // size query reports this instead
  int OpenKeyHandles() const { return static_cast<int>(openKeys.size()); }
  std::map<uintptr_t, std::string> openKeys;   // handle -> KeyName
  std::vector<HKEY> keysOpened;                // every successful open, in order

  // --- processes, files, environment
  std::vector<ProcessStart> starts;
  UINT winExecResult = 33;  // above 31: started
  std::map<std::string, DWORD> files;  // by lower-case path -> attributes
  void AddFile(const std::string& path) { files[Lower(path)] = FILE_ATTRIBUTE_NORMAL; }
  void AddDirectory(const std::string& path) { files[Lower(path)] = FILE_ATTRIBUTE_DIRECTORY; }
  std::map<std::string, std::string> environment;  // by upper-case name
  void SetEnvironment(const std::string& name, const std::string& value);
  bool failExpansion = false;

  // --- module, code pages, locale
  std::string modulePath = "C:\\Program Files\\Launcher\\Launcher.exe";
  bool hasIconResource = true;
  // 1252 (Western, no lead bytes) or 932 (Japanese, lead bytes 81-9F, E0-FC).
  void UseCodePage(UINT codePage);
  UINT ansiCodePage = 1252;
  bool IsLeadByteOfCodePage(unsigned char byte) const;

  // --- heap
  // Asked before each allocation with its size: true makes it fail.
  std::function<bool(SIZE_T size)> failAllocationIf;
  SIZE_T largestAllocation = 64 * 1024 * 1024;  // larger requests fail
  int allocations = 0;                          // HeapAlloc calls so far
  std::map<uintptr_t, SIZE_T> liveBlocks;
  std::vector<std::string> heapErrors;

  // --- message boxes; the answer function plays the user (default: OK)
  std::function<int(MessageBoxRecord&)> answerBox;
  std::vector<MessageBoxRecord> boxes;

  // --- processor faults: calling the named function faults with the code
  std::map<std::string, DWORD> faultOn;

  // --- clock
  uint64_t nowMs = 0;

  // --- journal
  std::vector<Call> journal;
  // The journal's lines for the named functions only, in order.
  std::vector<std::string> Calls(const std::vector<std::string>& functions) const;
  int CountCalls(const std::string& function) const;

  // --- handles given to the program
  HINSTANCE instance;
  std::vector<Window> windows;  // in z-order, topmost first
  std::map<std::string, WNDCLASSA> classes;  // by lower-case name
  std::set<std::string> classNames;           // registered names as given

  static std::string Lower(const std::string& text);
  uintptr_t nextHandle = 0x100;
};

// How the journal writes handles and texts, so tests can build expected
// lines: a text in double quotes with backslash, quote and any byte outside
// printable ASCII escaped ("\\", "\"", "\xE9"), a null pointer as NULL.
std::string Name(HWND window);
std::string Name(HKEY key);
std::string Quote(const char* text);
inline std::string Quote(const std::string& text) { return Quote(text.c_str()); }

// The process lifetime: start-up of the class library, WinMain,
// finalisation, on a fresh World.
struct ProcessOutcome {
  int exitCode = 0;
  bool crashed = false;  // a fault went to the system, which ended the process
  DWORD faultCode = 0;
};
ProcessOutcome RunLauncherProcess(World& world, const char* commandLine = "", int showCommand = SW_SHOWDEFAULT);
// The same lifetime with `body` in place of WinMain, for tests of the class
// library and the report on their own; the exit code is 0.
ProcessOutcome RunWithClassLibrary(World& world, const std::function<void()>& body);

// The World the simulated entry points act on during RunLauncherProcess.
World& CurrentWorld();

}  // namespace sim
