// Runs the launcher once on the simulated Windows, against a small demo
// world, and tells in plain words what it did.
#include <cstdio>
#include <string>

#include "platform/sim/world.h"

int main() {
  sim::World world;
  world.modulePath = "C:\\Program Files\\Launcher\\Launcher.exe";
  const HWND kembrin = world.AddKembrinWindow();
  world.AddTaskbar();
  world.SetAppPath(REG_SZ, std::string("\"C:\\Program Files\\Tavimond\\Tavimond.exe\" /minimized") + '\0');

  std::printf("Demo world: a window titled \"Kembrin\", the taskbar, and Tavimond.exe registered in App Paths.\n");
  const sim::ProcessOutcome outcome = sim::RunLauncherProcess(world);

  std::printf("What the launcher did:\n");
  int step = 1;
  for (const sim::Call& call : world.journal) {
    const std::string& f = call.function;
    if (f == "FindWindowA" || f == "SendMessageTimeoutA" || f == "Sleep" || f == "RegOpenKeyExA" ||
        f == "RegQueryValueExA" || f == "RegCloseKey" || f == "WinExec" || f == "MessageBoxA") {
      std::printf("  %2d. %s\n", step++, call.text.c_str());
    }
  }
  std::printf("In plain words:\n");
  std::printf("  - asked the Kembrin window to close: %s (it is %s)\n",
              world.CloseRequestsTo(kembrin) == 1 ? "once" : "no", world.WindowExists(kembrin) ? "still open" : "gone");
  std::printf("  - waited %llu ms of simulated time before the start\n",
              world.starts.empty() ? 0ULL : static_cast<unsigned long long>(world.starts[0].atMs));
  for (const sim::ProcessStart& start : world.starts) {
    std::printf("  - started: %s (show command %u)\n", start.commandLine.c_str(), start.showCommand);
  }
  for (const sim::MessageBoxRecord& box : world.boxes) {
    std::printf("  - showed an error box: \"%s\" captioned \"%s\"\n", box.text.c_str(), box.caption.c_str());
  }
  std::printf("  - exit code: %d\n", outcome.exitCode);
  return 0;
}
