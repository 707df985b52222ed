// One simulated process lifetime: the class library's start-up, the body
// (WinMain), the finalisation, and the exit code, as the run-time's start-up
// and exit path run them on Windows.
#include <string>

#include "platform/classlib/application.h"
#include "platform/sim/process_internal.h"
#include "platform/sim/world.h"

namespace sim {

namespace {

ProcessOutcome RunLifetime(World& world, const std::function<int()>& body) {
  SetCurrentWorld(&world);
  ProcessOutcome outcome;
  try {
    InitializeClassLibrary(world.instance);
    outcome.exitCode = body();
  } catch (const UnhandledFault& fault) {
    outcome.crashed = true;
    outcome.faultCode = fault.code;
    outcome.exitCode = static_cast<int>(fault.code);
  }
  // The system reclaims a crashed process's memory; finalising here keeps
  // the test process itself free of leaks.
  world.faultOn.clear();
  world.failAllocationIf = nullptr;
  FinalizeClassLibrary();
  SetCurrentWorld(nullptr);
  return outcome;
}

}  // namespace

ProcessOutcome RunLauncherProcess(World& world, const char* commandLine, int showCommand) {
  std::string arguments = commandLine;
  return RunLifetime(world, [&] { return WinMain(world.instance, nullptr, &arguments[0], showCommand); });
}

ProcessOutcome RunWithClassLibrary(World& world, const std::function<void()>& body) {
  return RunLifetime(world, [&] {
    body();
    return 0;
  });
}

}  // namespace sim
