// The class library's application object: the application title, the hidden
// application window that bears it, and the message-box service.
#pragma once

#include "platform/classlib/ansi_string.h"
#include "platform/classlib/memory.h"
#include "platform/win32.h"

// Owns a window of this thread and destroys it once.
class OwnedWindow {
 public:
  OwnedWindow() noexcept = default;
  ~OwnedWindow() { Destroy(); }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;

  HWND get() const noexcept { return window_; }
  void Reset(HWND window) noexcept {
    Destroy();
    window_ = window;
  }
  void Destroy() noexcept;

 private:
  HWND window_ = nullptr;
};

class TApplication : public TObject {
 public:
  // Derives the title from the executable's file name and creates the hidden
  // window. Without memory or without a desktop it goes on with what it has:
  // an empty title, or no window.
  explicit TApplication(HINSTANCE instance) noexcept;
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // The hidden application window, or null when it could not be created.
  HWND Handle() const noexcept { return window_.get(); }
  // The window's text, which holds the title while the window exists.
  AnsiString Title() const;
  // A modal MessageBoxA owned by the application window. While it is up the
  // thread's other visible windows are disabled; afterwards they are enabled
  // again and the window that was active is activated again.
  int ShowMessageBox(const char* text, const char* caption, UINT flags);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  AnsiString title_;
  bool classRegistered_ = false;
  OwnedWindow window_;
};

// The application object, from InitializeClassLibrary to FinalizeClassLibrary.
extern TApplication* Application;

// Start-up and finalisation of the class library, run around WinMain.
void InitializeClassLibrary(HINSTANCE instance) noexcept;
void FinalizeClassLibrary() noexcept;

// The application title for an executable path: the file name without its
// directory, cut at its first dot, lower case from its second character on.
// Throws EOutOfMemory.
AnsiString ApplicationTitleFromPath(const char* path);
