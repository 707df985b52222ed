// The process's start-up and exit on Windows, with the class library's
// start-up and finalisation around WinMain, and the turning of processor
// faults into errors inside the guarded scope.
#include <cstdlib>

#include "platform/classlib/application.h"
#include "platform/classlib/exceptions.h"
#include "platform/win32.h"

namespace {

DWORD pendingFault = 0;
// The program's own image, where faults may be taken: from its base, which
// is its module handle, to the end of the image.
const BYTE* imageStart = nullptr;
const BYTE* imageEnd = nullptr;
// Stack kept free for the handling of a stack overflow: enough for the
// unwinder to raise the error and run the destructors on its way out. Only
// when the system grants it is a stack overflow turned into an error.
const ULONG kStackOverflowReserve = 64 * 1024;
bool stackOverflowReserved = false;

// Entered in place of the faulting instruction, as if it had called this
// function; the error then unwinds from there like any other. Our own code
// is built with -fnon-call-exceptions, so every instruction that can fault
// has its place in the unwind tables.
[[noreturn]] __attribute__((force_align_arg_pointer, used)) void RaisePendingFault() { RaiseFault(pendingFault); }

void LocateImage(HMODULE module) {
  const BYTE* base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_DOS_HEADER* dosHeader = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dosHeader->e_lfanew);
  imageStart = base;
  imageEnd = base + headers->OptionalHeader.SizeOfImage;
}

bool IsInOurModule(const void* address) {
  const BYTE* at = static_cast<const BYTE*>(address);
  return at >= imageStart && at < imageEnd;
}

// Sees every exception first. Only a mapped processor fault of our own code
// while the guarded scope is active is taken; system DLLs raise and handle
// exceptions of their own, which go on untouched. A stack overflow is left
// to the system unless stack was reserved to unwind on.
LONG CALLBACK TranslateFault(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  const bool unwindable = record->ExceptionCode != EXCEPTION_STACK_OVERFLOW || stackOverflowReserved;
  if (!GuardedScope::IsActive() || !IsMappedFault(record->ExceptionCode) || !unwindable ||
      !IsInOurModule(record->ExceptionAddress)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  pendingFault = record->ExceptionCode;
  CONTEXT* context = exception->ContextRecord;
  // Push a return address one byte into the faulting instruction: the
  // unwinder looks up the byte before a return address, which is then the
  // faulting instruction itself.
  context->Esp -= sizeof(DWORD);
  *reinterpret_cast<DWORD*>(context->Esp) = context->Eip + 1;
  context->Eip = reinterpret_cast<DWORD>(&RaisePendingFault);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Functions to run at exit, registered by the run-time's own start-up
// (unwind-table registration, the exception memory pool), last first.
const int kMostExitFunctions = 32;
void (*exitFunctions[kMostExitFunctions])() = {};
int exitFunctionCount = 0;

void RunExitFunctions() {
  while (exitFunctionCount > 0) exitFunctions[--exitFunctionCount]();
}

// The command line after the program's name, as the run-time hands it to
// WinMain: the name ends at its closing quote when quoted, else at the first
// blank; the blanks after it are skipped.
LPSTR ArgumentsAfterProgramName() {
  LPSTR text = GetCommandLineA();
  if (*text == '"') {
    ++text;
    while (*text != '\0' && *text != '"') ++text;
    if (*text == '"') ++text;
  } else {
    while (*text != '\0' && *text != ' ' && *text != '\t') ++text;
  }
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

int StartShowCommand() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

// Registered by the run-time's static constructors; run on the exit path.
extern "C" int __cdecl atexit(void (*function)()) {
  if (exitFunctionCount == kMostExitFunctions) return -1;
  exitFunctions[exitFunctionCount++] = function;
  return 0;
}

// Runs the run-time's static constructors, among them the registration of
// the unwind tables that exceptions need.
extern "C" void __main();

// The process's entry point. The launcher needs little of a C run-time's
// start-up (no arguments, no environment, no console, no threads), so it
// does the few things itself: the run-time's constructors, the class
// library's start-up, WinMain, the finalisation, and the exit code.
extern "C" [[noreturn]] __attribute__((force_align_arg_pointer)) void __cdecl LauncherStartup() {
  __main();
  const HMODULE module = GetModuleHandleA(nullptr);
  LocateImage(module);
  ULONG reserve = kStackOverflowReserve;
  stackOverflowReserved = SetThreadStackGuarantee(&reserve) != 0;
  // Stays installed until the process ends: outside the guarded scope it
  // passes every exception on.
  AddVectoredExceptionHandler(1, &TranslateFault);
  InitializeClassLibrary(module);

  const int exitCode = WinMain(module, nullptr, ArgumentsAfterProgramName(), StartShowCommand());

  FinalizeClassLibrary();
  RunExitFunctions();
  ExitProcess(static_cast<UINT>(exitCode));
}

// The run-time's default terminate handler writes the escaping exception's
// demangled type name to a console a GUI program does not have, and brings
// a demangler and printf into the executable, several times the size of the
// program itself. The program lets no exception escape; should one ever do
// so, ending at once is all a handler could do.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
