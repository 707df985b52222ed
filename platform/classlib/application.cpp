#include "platform/classlib/application.h"

#include <cstring>
#include <new>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/lead_bytes.h"

TApplication* Application = nullptr;

namespace {

const char kWindowClassName[] = "TApplication";
const char kIconResourceName[] = "MAINICON";
// Text of the application window as read for a caption: 255 characters and
// the terminating NUL.
const int kWindowTextBufferSize = 256;
// The module path is first read into 256 bytes; a longer path is read again
// into a larger buffer, up to the longest path the system allows, so the
// title comes from the whole file name rather than from a cut-off path.
const DWORD kFirstModulePathBufferSize = 256;
const DWORD kLongestModulePathBufferSize = 65536;
const DWORD kApplicationWindowStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;

AnsiString ModuleFileName(HMODULE module) {
  for (DWORD size = kFirstModulePathBufferSize;; size *= 2) {
    HeapBuffer path(size + 1);
    const DWORD length = GetModuleFileNameA(module, path.chars(), size);
    if (length == 0) return AnsiString();
    if (length < size || size >= kLongestModulePathBufferSize) {
      return AnsiString(path.chars(), std::strlen(path.chars()));
    }
  }
}

// Keeps the thread's active window and activates it again at the end.
class ActiveWindowKeeper {
 public:
  ActiveWindowKeeper() noexcept : active_(GetActiveWindow()) {}
  ~ActiveWindowKeeper() {
    if (active_ != nullptr) SetActiveWindow(active_);
  }
  ActiveWindowKeeper(const ActiveWindowKeeper&) = delete;
  ActiveWindowKeeper& operator=(const ActiveWindowKeeper&) = delete;

 private:
  HWND active_;
};

// Disables the thread's visible, enabled windows for its lifetime and then
// enables again those that still exist. All of them are listed before any
// is disabled, so running out of memory leaves every window as it was.
class DisabledThreadWindows {
 public:
  DisabledThreadWindows() {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&list_));
    if (list_.outOfMemory) throw EOutOfMemory();
    for (size_t i = 0; i < list_.count; ++i) EnableWindow(list_.windows[i], FALSE);
  }
  ~DisabledThreadWindows() {
    for (size_t i = 0; i < list_.count; ++i) {
      if (IsWindow(list_.windows[i])) EnableWindow(list_.windows[i], TRUE);
    }
  }
  DisabledThreadWindows(const DisabledThreadWindows&) = delete;
  DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

 private:
  struct WindowList {
    ~WindowList() { FreeMemory(windows); }
    bool Append(HWND window) noexcept {
      if (count == capacity) {
        const size_t grown = capacity == 0 ? 8 : capacity * 2;
        HWND* larger = static_cast<HWND*>(TryAllocateMemory(grown * sizeof(HWND)));
        if (larger == nullptr) return false;
        if (count != 0) std::memcpy(larger, windows, count * sizeof(HWND));
        FreeMemory(windows);
        windows = larger;
        capacity = grown;
      }
      windows[count++] = window;
      return true;
    }
    HWND* windows = nullptr;
    size_t count = 0;
    size_t capacity = 0;
    bool outOfMemory = false;
  };

  // Called by the system: must not raise.
  static BOOL CALLBACK Collect(HWND window, LPARAM context) {
    WindowList& list = *reinterpret_cast<WindowList*>(context);
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (list.Append(window)) return TRUE;
    list.outOfMemory = true;
    return FALSE;
  }

  WindowList list_;
};

alignas(TApplication) unsigned char applicationStorage[sizeof(TApplication)];

}  // namespace

void OwnedWindow::Destroy() noexcept {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
}

AnsiString ApplicationTitleFromPath(const char* path) {
  // Only a backslash or a dot that is a character of its own counts, never
  // the second byte of a double-byte character.
  const char* name = path;
  for (const char* p = path; *p != '\0'; p += CharacterLength(p)) {
    if (*p == '\\') name = p + 1;
  }
  const char* end = name;
  while (*end != '\0' && *end != '.') end += CharacterLength(end);

  const size_t length = static_cast<size_t>(end - name);
  HeapBuffer title(length + 1);
  std::memcpy(title.chars(), name, length);
  if (length != 0) {
    // The first character keeps its case, both bytes of it when it is a
    // double-byte character.
    char* rest = title.chars() + CharacterLength(title.chars());
    if (*rest != '\0') CharLowerA(rest);
  }
  return AnsiString(title.chars(), std::strlen(title.chars()));
}

TApplication::TApplication(HINSTANCE instance) noexcept : instance_(instance) {
  try {
    title_ = ApplicationTitleFromPath(ModuleFileName(instance).c_str());
  } catch (const EOutOfMemory&) {
    title_ = AnsiString();
  }

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, kIconResourceName);
  windowClass.lpszClassName = kWindowClassName;
  classRegistered_ = RegisterClassA(&windowClass) != 0;
  // Zero size and never shown. Without a desktop there is no window, and
  // the application goes on without one.
  window_.Reset(CreateWindowExA(0, kWindowClassName, title_.c_str(), kApplicationWindowStyle, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr));
}

TApplication::~TApplication() {
  window_.Destroy();
  if (classRegistered_) UnregisterClassA(kWindowClassName, instance_);
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The window lives from start-up to finalisation: a close request, even
  // one meant for another program of the same title, does not end it.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

AnsiString TApplication::Title() const {
  if (window_.get() == nullptr) return title_;
  HeapBuffer text(kWindowTextBufferSize);
  const int length = GetWindowTextA(window_.get(), text.chars(), kWindowTextBufferSize);
  if (length <= 0) return AnsiString();
  return AnsiString(text.chars(), std::strlen(text.chars()));
}

int TApplication::ShowMessageBox(const char* text, const char* caption, UINT flags) {
  ActiveWindowKeeper activeWindow;
  DisabledThreadWindows disabledWindows;
  return MessageBoxA(window_.get(), text, caption, flags);
}

void InitializeClassLibrary(HINSTANCE instance) noexcept {
  LoadLeadBytes();
  Application = ::new (applicationStorage) TApplication(instance);
}

void FinalizeClassLibrary() noexcept {
  if (Application == nullptr) return;
  Application->~TApplication();
  Application = nullptr;
}
