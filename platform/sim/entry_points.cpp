// The simulated Win32 entry points. Each one writes itself to the journal,
// may raise the processor fault a test asked for, and acts on the World.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/classlib/exceptions.h"
#include "platform/sim/process_internal.h"
#include "platform/sim/world.h"

using sim::CurrentWorld;
using sim::World;

namespace {

const uintptr_t kHeapHandle = 0x5000;
const uintptr_t kIconHandle = 0x6000;
const UINT kHungSendTookMs = 0;

std::string Hex(unsigned long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%lX", value);
  return text;
}

std::string Number(long long value) { return std::to_string(value); }

std::string Pointer(const void* pointer, const std::string& what) { return pointer == nullptr ? "NULL" : what; }

void Journal(const char* function, const std::string& text) { CurrentWorld().journal.push_back({function, text}); }

// A fault asked for on this function: inside the guarded scope the run-time
// turns it into its error class; outside, it ends the process.
void MaybeFault(const char* function) {
  World& world = CurrentWorld();
  auto fault = world.faultOn.find(function);
  if (fault == world.faultOn.end()) return;
  const DWORD code = fault->second;
  if (GuardedScope::IsActive() && IsMappedFault(code)) RaiseFault(code);
  throw sim::UnhandledFault{code};
}

bool SameText(const std::string& left, const char* right) { return World::Lower(left) == World::Lower(right); }

sim::Window* LiveWindow(HWND handle) {
  sim::Window* window = CurrentWorld().FindWindowRecord(handle);
  return window != nullptr && window->exists ? window : nullptr;
}

bool IsRootKey(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER; }

std::string ValueKey(const std::string& keyName, const char* valueName) {
  return keyName + "\\" + World::Lower(valueName == nullptr ? "" : valueName);
}

std::string ExpandReferences(const std::string& source) {
  const World& world = CurrentWorld();
  std::string result;
  size_t i = 0;
  while (i < source.size()) {
    const size_t open = source.find('%', i);
    if (open == std::string::npos) break;
    const size_t close = source.find('%', open + 1);
    if (close == std::string::npos) break;
    std::string name = source.substr(open + 1, close - open - 1);
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    auto value = world.environment.find(name);
    result += source.substr(i, open - i);
    if (value != world.environment.end()) {
      result += value->second;
      i = close + 1;
    } else {
      // An unknown name stays as written; its closing % may open the next.
      result += source.substr(open, close - open);
      i = close;
    }
  }
  return result + source.substr(i);
}

unsigned char LowerInCodePage(unsigned char c, UINT codePage) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (codePage == 1252) {
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);
    if (c == 0x9F) return 0xFF;
  }
  return c;
}

}  // namespace

extern "C" {

// ---------------------------------------------------------------- user32

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  MaybeFault("FindWindowA");
  World& world = CurrentWorld();
  HWND found = nullptr;
  for (const sim::Window& window : world.windows) {
    if (!window.exists) continue;
    if (lpClassName != nullptr && !SameText(window.setup.className, lpClassName)) continue;
    if (lpWindowName != nullptr && !SameText(window.setup.title, lpWindowName)) continue;
    found = window.handle;
    break;
  }
  Journal("FindWindowA", "FindWindowA(" + sim::Quote(lpClassName) + ", " + sim::Quote(lpWindowName) + ") = " + sim::Name(found));
  return found;
}

LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                                   PDWORD_PTR lpdwResult) {
  MaybeFault("SendMessageTimeoutA");
  World& world = CurrentWorld();
  const std::string message = Msg == WM_CLOSE ? "WM_CLOSE" : Hex(Msg);
  std::string text = "SendMessageTimeoutA(" + sim::Name(hWnd) + ", " + message + ", " + Number(wParam) + ", " +
                     Number(lParam) + ", " + Hex(fuFlags) + ", " + Number(uTimeout) + ", " +
                     Pointer(lpdwResult, "&result") + ")";
  LRESULT sent = 0;
  sim::Window* window = LiveWindow(hWnd);
  if (window != nullptr && window->procedure != nullptr) {
    // A window of the launcher's own thread: its procedure runs directly.
    Journal("SendMessageTimeoutA", text + " = 1");
    const LRESULT answer = window->procedure(hWnd, Msg, wParam, lParam);
    if (lpdwResult != nullptr) *lpdwResult = static_cast<DWORD_PTR>(answer);
    return 1;
  }
  if (window != nullptr) {
    const bool abortIfHung = (fuFlags & SMTO_ABORTIFHUNG) != 0;
    switch (window->setup.answer) {
      case sim::Answer::AtOnce:
      case sim::Answer::AfterDelay:
        // A thread that keeps processing messages is waited for as long as
        // it takes when SMTO_NOTIMEOUTIFNOTHUNG is given.
        if (window->setup.answer == sim::Answer::AfterDelay) {
          if ((fuFlags & SMTO_NOTIMEOUTIFNOTHUNG) == 0 && window->setup.answerDelayMs > uTimeout) {
            world.nowMs += uTimeout;
            ++window->closeRequests;
            break;
          }
          world.nowMs += window->setup.answerDelayMs;
        }
        ++window->closeRequests;
        if (Msg == WM_CLOSE && window->setup.closesOnRequest) window->exists = false;
        if (lpdwResult != nullptr) *lpdwResult = 0;
        sent = 1;
        break;
      case sim::Answer::AlreadyHung:
        world.nowMs += abortIfHung ? kHungSendTookMs : uTimeout;
        break;
      case sim::Answer::Never:
        ++window->closeRequests;
        world.nowMs += uTimeout;
        break;
    }
  }
  Journal("SendMessageTimeoutA", text + " = " + Number(sent));
  return sent;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  MaybeFault("MessageBoxA");
  World& world = CurrentWorld();
  sim::MessageBoxRecord box;
  box.owner = hWnd;
  box.text = lpText == nullptr ? "<NULL>" : lpText;
  box.caption = lpCaption == nullptr ? "<NULL>" : lpCaption;
  box.style = uType;
  // A box needs a desktop, and an owner that is a window when one is named.
  box.shown = world.desktopAvailable && (hWnd == nullptr || LiveWindow(hWnd) != nullptr);
  box.activeWindow = world.activeWindow;
  for (const sim::Window& window : world.windows) {
    if (window.exists && window.setup.thread == sim::kLauncherThread && window.setup.enabled) {
      box.enabledThreadWindows.push_back(window.handle);
    }
  }
  int answer = 0;
  if (box.shown) answer = world.answerBox ? world.answerBox(box) : IDOK;
  world.boxes.push_back(box);
  Journal("MessageBoxA", "MessageBoxA(" + sim::Name(hWnd) + ", " + sim::Quote(lpText) + ", " + sim::Quote(lpCaption) + ", " +
                             Hex(uType) + ") = " + Number(answer));
  return answer;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  MaybeFault("GetWindowTextA");
  const sim::Window* window = LiveWindow(hWnd);
  int length = 0;
  if (lpString != nullptr && nMaxCount > 0) {
    const std::string title = window == nullptr ? "" : window->setup.title;
    length = static_cast<int>(title.size()) < nMaxCount - 1 ? static_cast<int>(title.size()) : nMaxCount - 1;
    std::memcpy(lpString, title.data(), static_cast<size_t>(length));
    lpString[length] = '\0';
  }
  Journal("GetWindowTextA", "GetWindowTextA(" + sim::Name(hWnd) + ", " + Pointer(lpString, "buffer") + ", " +
                                Number(nMaxCount) + ") = " + Number(length));
  return length;
}

LPSTR WINAPI CharLowerA(LPSTR lpsz) {
  MaybeFault("CharLowerA");
  World& world = CurrentWorld();
  Journal("CharLowerA", "CharLowerA(" + sim::Quote(lpsz) + ")");
  // Works on characters, as Windows does: both bytes of a double-byte
  // character stay as they are.
  for (unsigned char* p = reinterpret_cast<unsigned char*>(lpsz); *p != '\0'; ++p) {
    if (world.IsLeadByteOfCodePage(*p) && p[1] != '\0') {
      ++p;
      continue;
    }
    *p = LowerInCodePage(*p, world.ansiCodePage);
  }
  return lpsz;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  MaybeFault("RegisterClassA");
  World& world = CurrentWorld();
  const std::string key = World::Lower(lpWndClass->lpszClassName);
  ATOM atom = 0;
  if (world.classes.count(key) == 0) {
    world.classes[key] = *lpWndClass;
    atom = static_cast<ATOM>(0xC000 + world.classes.size());
  }
  Journal("RegisterClassA", "RegisterClassA(" + sim::Quote(lpWndClass->lpszClassName) + ", icon " +
                                Pointer(lpWndClass->hIcon, "MAINICON") + ") = " + Hex(atom));
  return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
  MaybeFault("UnregisterClassA");
  World& world = CurrentWorld();
  const BOOL removed = world.classes.erase(World::Lower(lpClassName)) != 0;
  Journal("UnregisterClassA", "UnregisterClassA(" + sim::Quote(lpClassName) + ") = " + Number(removed));
  return removed;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU, HINSTANCE, LPVOID) {
  MaybeFault("CreateWindowExA");
  World& world = CurrentWorld();
  HWND created = nullptr;
  auto windowClass = world.classes.find(World::Lower(lpClassName));
  if (world.desktopAvailable && windowClass != world.classes.end()) {
    sim::Window window;
    window.handle = reinterpret_cast<HWND>(world.nextHandle++);
    window.setup.className = lpClassName;
    window.setup.title = lpWindowName == nullptr ? "" : lpWindowName;
    window.setup.thread = sim::kLauncherThread;
    window.setup.visible = (dwStyle & WS_VISIBLE) != 0;
    window.procedure = windowClass->second.lpfnWndProc;
    window.icon = windowClass->second.hIcon;
    window.width = nWidth;
    window.height = nHeight;
    // A new window goes to the top of the z-order.
    world.windows.insert(world.windows.begin(), window);
    created = window.handle;
  }
  Journal("CreateWindowExA", "CreateWindowExA(" + Hex(dwExStyle) + ", " + sim::Quote(lpClassName) + ", " +
                                 sim::Quote(lpWindowName) + ", " + Hex(dwStyle) + ", " + Number(X) + ", " + Number(Y) +
                                 ", " + Number(nWidth) + ", " + Number(nHeight) + ", " + sim::Name(hWndParent) +
                                 ") = " + sim::Name(created));
  return created;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  MaybeFault("DestroyWindow");
  sim::Window* window = LiveWindow(hWnd);
  const BOOL destroyed = window != nullptr && window->setup.thread == sim::kLauncherThread;
  if (destroyed) window->exists = false;
  World& world = CurrentWorld();
  if (destroyed && world.activeWindow == hWnd) world.activeWindow = nullptr;
  Journal("DestroyWindow", "DestroyWindow(" + sim::Name(hWnd) + ") = " + Number(destroyed));
  return destroyed;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM, LPARAM) {
  MaybeFault("DefWindowProcA");
  Journal("DefWindowProcA", "DefWindowProcA(" + sim::Name(hWnd) + ", " + (Msg == WM_CLOSE ? "WM_CLOSE" : Hex(Msg)) + ")");
  if (Msg == WM_CLOSE) DestroyWindow(hWnd);
  return 0;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  MaybeFault("LoadIconA");
  World& world = CurrentWorld();
  const bool ours = hInstance == world.instance && world.hasIconResource && lpIconName != nullptr &&
                    reinterpret_cast<uintptr_t>(lpIconName) > 0xFFFF && std::strcmp(lpIconName, "MAINICON") == 0;
  HICON icon = ours ? reinterpret_cast<HICON>(kIconHandle) : nullptr;
  Journal("LoadIconA", "LoadIconA(" + Pointer(hInstance, "hinstance") + ", " + sim::Quote(lpIconName) + ") = " +
                           Pointer(icon, "icon"));
  return icon;
}

HWND WINAPI GetActiveWindow(void) {
  MaybeFault("GetActiveWindow");
  World& world = CurrentWorld();
  Journal("GetActiveWindow", "GetActiveWindow() = " + sim::Name(world.activeWindow));
  return world.activeWindow;
}

HWND WINAPI SetActiveWindow(HWND hWnd) {
  MaybeFault("SetActiveWindow");
  World& world = CurrentWorld();
  const HWND previous = world.activeWindow;
  const sim::Window* window = LiveWindow(hWnd);
  if (window != nullptr && window->setup.thread == sim::kLauncherThread) world.activeWindow = hWnd;
  Journal("SetActiveWindow", "SetActiveWindow(" + sim::Name(hWnd) + ") = " + sim::Name(previous));
  return previous;
}

BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
  MaybeFault("EnumThreadWindows");
  World& world = CurrentWorld();
  Journal("EnumThreadWindows", "EnumThreadWindows(" + Number(dwThreadId) + ")");
  std::vector<HWND> handles;
  for (const sim::Window& window : world.windows) {
    if (window.exists && window.setup.thread == dwThreadId) handles.push_back(window.handle);
  }
  for (HWND handle : handles) {
    if (!lpfn(handle, lParam)) break;
  }
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
  MaybeFault("IsWindow");
  const BOOL exists = LiveWindow(hWnd) != nullptr;
  Journal("IsWindow", "IsWindow(" + sim::Name(hWnd) + ") = " + Number(exists));
  return exists;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  MaybeFault("IsWindowVisible");
  const sim::Window* window = LiveWindow(hWnd);
  const BOOL visible = window != nullptr && window->setup.visible;
  Journal("IsWindowVisible", "IsWindowVisible(" + sim::Name(hWnd) + ") = " + Number(visible));
  return visible;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  MaybeFault("IsWindowEnabled");
  const sim::Window* window = LiveWindow(hWnd);
  const BOOL enabled = window != nullptr && window->setup.enabled;
  Journal("IsWindowEnabled", "IsWindowEnabled(" + sim::Name(hWnd) + ") = " + Number(enabled));
  return enabled;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  MaybeFault("EnableWindow");
  sim::Window* window = LiveWindow(hWnd);
  BOOL wasDisabled = FALSE;
  if (window != nullptr) {
    wasDisabled = !window->setup.enabled;
    window->setup.enabled = bEnable != FALSE;
  }
  Journal("EnableWindow", "EnableWindow(" + sim::Name(hWnd) + ", " + Number(bEnable) + ") = " + Number(wasDisabled));
  return wasDisabled;
}

// ---------------------------------------------------------------- kernel32

void WINAPI Sleep(DWORD dwMilliseconds) {
  MaybeFault("Sleep");
  CurrentWorld().nowMs += dwMilliseconds;
  Journal("Sleep", "Sleep(" + Number(dwMilliseconds) + ")");
}

UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
  MaybeFault("WinExec");
  World& world = CurrentWorld();
  world.starts.push_back({lpCmdLine == nullptr ? "<NULL>" : lpCmdLine, uCmdShow, world.nowMs});
  Journal("WinExec", "WinExec(" + sim::Quote(lpCmdLine) + ", " + Number(uCmdShow) + ") = " + Number(world.winExecResult));
  return world.winExecResult;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  MaybeFault("GetFileAttributesA");
  World& world = CurrentWorld();
  auto file = world.files.find(World::Lower(lpFileName));
  const DWORD attributes = file == world.files.end() ? INVALID_FILE_ATTRIBUTES : file->second;
  Journal("GetFileAttributesA", "GetFileAttributesA(" + sim::Quote(lpFileName) + ") = " + Hex(attributes));
  return attributes;
}

DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize) {
  MaybeFault("ExpandEnvironmentStringsA");
  World& world = CurrentWorld();
  DWORD result = 0;
  if (!world.failExpansion) {
    const std::string expanded = ExpandReferences(lpSrc);
    result = static_cast<DWORD>(expanded.size() + 1);
    if (lpDst != nullptr && nSize >= result) std::memcpy(lpDst, expanded.c_str(), result);
  }
  Journal("ExpandEnvironmentStringsA", "ExpandEnvironmentStringsA(" + sim::Quote(lpSrc) + ", " +
                                           Pointer(lpDst, "buffer") + ", " + Number(nSize) + ") = " + Number(result));
  return result;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  MaybeFault("GetModuleFileNameA");
  World& world = CurrentWorld();
  DWORD result = 0;
  if ((hModule == nullptr || hModule == world.instance) && nSize > 0) {
    // A path that does not fit is cut to nSize - 1 characters and the size
    // of the buffer is returned.
    const std::string& path = world.modulePath;
    const DWORD copied = path.size() < nSize ? static_cast<DWORD>(path.size()) : nSize - 1;
    std::memcpy(lpFilename, path.data(), copied);
    lpFilename[copied] = '\0';
    result = path.size() < nSize ? copied : nSize;
  }
  Journal("GetModuleFileNameA", "GetModuleFileNameA(" + Pointer(hModule, "hinstance") + ", buffer, " + Number(nSize) +
                                    ") = " + Number(result));
  return result;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  MaybeFault("GetModuleHandleA");
  World& world = CurrentWorld();
  Journal("GetModuleHandleA", "GetModuleHandleA(" + sim::Quote(lpModuleName) + ")");
  return lpModuleName == nullptr ? world.instance : nullptr;
}

BOOL WINAPI GetCPInfo(UINT CodePage, LPCPINFO lpCPInfo) {
  MaybeFault("GetCPInfo");
  World& world = CurrentWorld();
  Journal("GetCPInfo", "GetCPInfo(" + Number(CodePage) + ")");
  std::memset(lpCPInfo, 0, sizeof *lpCPInfo);
  lpCPInfo->DefaultChar[0] = '?';
  if (CodePage == CP_ACP && world.ansiCodePage == 932) {
    lpCPInfo->MaxCharSize = 2;
    lpCPInfo->LeadByte[0] = 0x81;
    lpCPInfo->LeadByte[1] = 0x9F;
    lpCPInfo->LeadByte[2] = 0xE0;
    lpCPInfo->LeadByte[3] = 0xFC;
  } else {
    lpCPInfo->MaxCharSize = 1;
  }
  return TRUE;
}

DWORD WINAPI GetCurrentThreadId(void) {
  MaybeFault("GetCurrentThreadId");
  Journal("GetCurrentThreadId", "GetCurrentThreadId() = " + Number(sim::kLauncherThread));
  return sim::kLauncherThread;
}

HANDLE WINAPI GetProcessHeap(void) { return reinterpret_cast<HANDLE>(kHeapHandle); }

LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
  MaybeFault("HeapAlloc");
  World& world = CurrentWorld();
  ++world.allocations;
  void* block = nullptr;
  const bool fail = reinterpret_cast<uintptr_t>(hHeap) != kHeapHandle || dwBytes > world.largestAllocation ||
                    (world.failAllocationIf && world.failAllocationIf(dwBytes));
  if (!fail) {
    block = std::malloc(dwBytes == 0 ? 1 : dwBytes);
    if (block == nullptr) std::abort();
    // Fresh memory holds garbage unless zeroing was asked for.
    std::memset(block, (dwFlags & HEAP_ZERO_MEMORY) != 0 ? 0 : 0xCD, dwBytes);
    world.liveBlocks[reinterpret_cast<uintptr_t>(block)] = dwBytes;
  }
  Journal("HeapAlloc", "HeapAlloc(heap, " + Hex(dwFlags) + ", " + Number(static_cast<long long>(dwBytes)) + ") = " +
                           Pointer(block, "block"));
  return block;
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID lpMem) {
  MaybeFault("HeapFree");
  World& world = CurrentWorld();
  Journal("HeapFree", "HeapFree(heap, 0, block)");
  if (world.liveBlocks.erase(reinterpret_cast<uintptr_t>(lpMem)) == 0) {
    world.heapErrors.push_back("HeapFree of a block that is not live");
    return FALSE;
  }
  std::free(lpMem);
  return TRUE;
}

// ---------------------------------------------------------------- advapi32

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  MaybeFault("RegOpenKeyExA");
  World& world = CurrentWorld();
  const std::string keyName = World::KeyName(hKey, lpSubKey == nullptr ? "" : lpSubKey);
  const REGSAM writeAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | 0x00010000 /* DELETE */ |
                             0x00040000 /* WRITE_DAC */ | 0x00080000 /* WRITE_OWNER */;
  LSTATUS status = ERROR_SUCCESS;
  auto key = world.keys.find(keyName);
  if (!IsRootKey(hKey)) {
    status = ERROR_INVALID_HANDLE;
  } else if (key == world.keys.end()) {
    status = ERROR_FILE_NOT_FOUND;
  } else if (key->second.openFailure != ERROR_SUCCESS) {
    status = key->second.openFailure;
  } else if (key->second.denyWrite && (samDesired & writeAccess) != 0) {
    status = ERROR_ACCESS_DENIED;
  }
  HKEY opened = nullptr;
  if (status == ERROR_SUCCESS) {
    opened = reinterpret_cast<HKEY>(world.nextHandle++);
    world.openKeys[reinterpret_cast<uintptr_t>(opened)] = keyName;
    world.keysOpened.push_back(opened);
    *phkResult = opened;
  }
  Journal("RegOpenKeyExA", "RegOpenKeyExA(" + sim::Name(hKey) + ", " + sim::Quote(lpSubKey) + ", " + Number(ulOptions) +
                               ", " + Hex(samDesired) + ", " + (phkResult == nullptr ? "NULL" : "&key") + ") = " +
                               Number(status) + (opened != nullptr ? " -> " + sim::Name(opened) : ""));
  return status;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  MaybeFault("RegQueryValueExA");
  World& world = CurrentWorld();
  const std::string typeIn = lpType == nullptr ? "NULL" : "&" + Number(*lpType);
  const std::string sizeIn = lpcbData == nullptr ? "NULL" : "&" + Number(*lpcbData);
  const std::string call = "RegQueryValueExA(" + sim::Name(hKey) + ", " + sim::Quote(lpValueName) + ", " +
                           Pointer(lpReserved, "reserved") + ", " + typeIn + ", " + Pointer(lpData, "data") + ", " +
                           sizeIn + ")";
  LSTATUS status = ERROR_SUCCESS;
  auto openKey = world.openKeys.find(reinterpret_cast<uintptr_t>(hKey));
  const sim::RegistryValue* value = nullptr;
  std::string valueKey;
  if (openKey == world.openKeys.end()) {
    status = ERROR_INVALID_HANDLE;
  } else {
    valueKey = ValueKey(openKey->second, lpValueName);
    sim::DataQueryFault* fault = nullptr;
    auto faultEntry = world.dataQueryFaults.find(valueKey);
    if (faultEntry != world.dataQueryFaults.end()) fault = &faultEntry->second;
    if (lpData != nullptr && fault != nullptr && fault->before) {
      auto before = fault->before;
      fault->before = nullptr;
      before();
    }
    const sim::RegistryKeyState& key = world.keys[openKey->second];
    auto found = key.values.find(World::Lower(lpValueName == nullptr ? "" : lpValueName));
    if (found != key.values.end()) value = &found->second;
    if (value == nullptr) {
      status = ERROR_FILE_NOT_FOUND;
    } else if (lpData != nullptr && fault != nullptr && fault->failWith != ERROR_SUCCESS) {
      status = fault->failWith;
    } else {
      const DWORD size = static_cast<DWORD>(value->bytes.size());
      auto reported = world.reportedSizes.find(valueKey);
      if (lpType != nullptr) *lpType = value->type;
      if (lpData == nullptr) {
        if (lpcbData != nullptr) *lpcbData = reported != world.reportedSizes.end() ? reported->second : size;
      } else if (lpcbData == nullptr || *lpcbData < size) {
        if (lpcbData != nullptr) *lpcbData = size;
        status = ERROR_MORE_DATA;
      } else {
        size_t written = size;
        if (fault != nullptr && fault->bytesWritten >= 0) written = static_cast<size_t>(fault->bytesWritten);
        std::memcpy(lpData, value->bytes.data(), written < size ? written : size);
        *lpcbData = size;
      }
    }
  }
  Journal("RegQueryValueExA", call + " = " + Number(status));
  return status;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  MaybeFault("RegCloseKey");
  World& world = CurrentWorld();
  const LSTATUS status = world.openKeys.erase(reinterpret_cast<uintptr_t>(hKey)) != 0 ? ERROR_SUCCESS
                                                                                       : ERROR_INVALID_HANDLE;
  Journal("RegCloseKey", "RegCloseKey(" + sim::Name(hKey) + ") = " + Number(status));
  return status;
}

}  // extern "C"
