#include "platform/sim/world.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

namespace {

const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavimond.exe";

World* current = nullptr;

}  // namespace

World::World() : instance(reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000))) {}

std::string World::Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

HWND World::AddWindow(const WindowSetup& setup) {
  Window window;
  window.handle = reinterpret_cast<HWND>(nextHandle++);
  window.setup = setup;
  windows.push_back(window);
  return window.handle;
}

HWND World::AddKembrinWindow(Answer answer, bool closes) {
  WindowSetup setup;
  setup.title = "Kembrin";
  setup.answer = answer;
  setup.closesOnRequest = closes;
  return AddWindow(setup);
}

HWND World::AddTaskbar() {
  WindowSetup setup;
  setup.className = "Shell_TrayWnd";
  setup.title = "";
  setup.closesOnRequest = false;
  return AddWindow(setup);
}

const Window* World::FindWindowRecord(HWND handle) const {
  for (const Window& window : windows) {
    if (window.handle == handle && handle != nullptr) return &window;
  }
  return nullptr;
}

Window* World::FindWindowRecord(HWND handle) {
  for (Window& window : windows) {
    if (window.handle == handle && handle != nullptr) return &window;
  }
  return nullptr;
}

bool World::WindowExists(HWND handle) const {
  const Window* window = FindWindowRecord(handle);
  return window != nullptr && window->exists;
}

int World::CloseRequestsTo(HWND handle) const {
  const Window* window = FindWindowRecord(handle);
  return window == nullptr ? 0 : window->closeRequests;
}

const Window* World::ApplicationWindow() const {
  for (const Window& window : windows) {
    if (window.procedure != nullptr && Lower(window.setup.className) == "tapplication") return &window;
  }
  return nullptr;
}

std::string World::KeyName(HKEY root, const std::string& path) {
  std::string rootName = root == HKEY_LOCAL_MACHINE ? "hklm" : root == HKEY_CURRENT_USER ? "hkcu" : "other";
  return rootName + "\\" + Lower(path);
}

RegistryKeyState& World::Key(HKEY root, const std::string& path) { return keys[KeyName(root, path)]; }

void World::SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                     const std::string& bytes) {
  Key(root, path).values[Lower(name)] = RegistryValue{type, bytes};
}

void World::SetAppPath(DWORD type, const std::string& bytes) {
  SetValue(HKEY_LOCAL_MACHINE, kAppPathKey, "", type, bytes);
}

DataQueryFault& World::AppPathDataQueryFault() {
  return dataQueryFaults[KeyName(HKEY_LOCAL_MACHINE, kAppPathKey) + "\\"];
}

void World::SetEnvironment(const std::string& name, const std::string& value) {
  std::string upper = name;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  environment[upper] = value;
}

void World::UseCodePage(UINT codePage) {
  ansiCodePage = codePage;
}

bool World::IsLeadByteOfCodePage(unsigned char byte) const {
  if (ansiCodePage != 932) return false;
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::vector<std::string> World::Calls(const std::vector<std::string>& functions) const {
  std::vector<std::string> lines;
  for (const Call& call : journal) {
    for (const std::string& function : functions) {
      if (call.function == function) {
        lines.push_back(call.text);
        break;
      }
    }
  }
  return lines;
}

int World::CountCalls(const std::string& function) const {
  int count = 0;
  for (const Call& call : journal) count += call.function == function ? 1 : 0;
  return count;
}

std::string Quote(const char* text) {
  if (text == nullptr) return "NULL";
  std::string quoted = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      quoted += escape;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

std::string Name(HWND window) {
  if (window == nullptr) return "NULL";
  char text[32];
  std::snprintf(text, sizeof text, "hwnd:%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

std::string Name(HKEY key) {
  if (key == nullptr) return "NULL";
  if (key == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (key == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  char text[32];
  std::snprintf(text, sizeof text, "hkey:%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(key)));
  return text;
}

World& CurrentWorld() {
  if (current == nullptr) {
    std::fprintf(stderr, "simulated Windows: a Win32 call outside RunLauncherProcess\n");
    std::abort();
  }
  return *current;
}

void SetCurrentWorld(World* world) { current = world; }

}  // namespace sim
