// One simulated process lifetime: the class library's start-up, WinMain, the
// finalisation, and the exit code, as the run-time's start-up and exit path
// run them on Windows.
#include <cstring>
#include <string>

#include "platform/classlib/application.h"
#include "platform/sim/process_internal.h"
#include "platform/sim/world.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace sim {

ProcessOutcome RunLauncherProcess(World& world, const char* commandLine, int showCommand) {
  SetCurrentWorld(&world);
  std::string arguments = commandLine;
  ProcessOutcome outcome;
  try {
    InitializeClassLibrary(world.instance);
    outcome.exitCode = WinMain(world.instance, nullptr, &arguments[0], showCommand);
  } catch (const UnhandledFault& fault) {
    outcome.crashed = true;
    outcome.faultCode = fault.code;
    outcome.exitCode = static_cast<int>(fault.code);
  }
  // The system reclaims a crashed process's memory; finalising here keeps
  // the test process itself free of leaks.
  world.faultOn.clear();
  FinalizeClassLibrary();
  SetCurrentWorld(nullptr);
  return outcome;
}

}  // namespace sim
