// The class library's start-up and finalisation on Windows, and the turning
// of processor faults into errors inside the guarded scope.
//
// The run-time's start-up constructs the one object below before it calls
// WinMain, and its exit path destroys it after WinMain has returned, so the
// application object exists for the whole run.
#include "platform/classlib/application.h"
#include "platform/classlib/exceptions.h"
#include "platform/win32.h"

namespace {

DWORD pendingFault = 0;
// The program's own image, where faults may be taken: from its base, which
// is its module handle, to the end of the image.
const BYTE* imageStart = nullptr;
const BYTE* imageEnd = nullptr;

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
// to the system: the few bytes of stack left are not enough to unwind on.
LONG CALLBACK TranslateFault(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  if (!GuardedScope::IsActive() || !IsMappedFault(record->ExceptionCode) ||
      record->ExceptionCode == EXCEPTION_STACK_OVERFLOW || !IsInOurModule(record->ExceptionAddress)) {
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

class ClassLibraryLifetime {
 public:
  ClassLibraryLifetime() noexcept {
    const HMODULE module = GetModuleHandleA(nullptr);
    LocateImage(module);
    faultHandler_ = AddVectoredExceptionHandler(1, &TranslateFault);
    InitializeClassLibrary(module);
  }
  ~ClassLibraryLifetime() {
    FinalizeClassLibrary();
    if (faultHandler_ != nullptr) RemoveVectoredExceptionHandler(faultHandler_);
  }
  ClassLibraryLifetime(const ClassLibraryLifetime&) = delete;
  ClassLibraryLifetime& operator=(const ClassLibraryLifetime&) = delete;

 private:
  void* faultHandler_ = nullptr;
};

ClassLibraryLifetime lifetime;

}  // namespace
