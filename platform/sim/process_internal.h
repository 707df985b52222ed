// Shared between the simulated entry points and the process runner.
#pragma once

#include "platform/win32.h"

namespace sim {

class World;

// A processor fault outside the guarded scope: the system ends the process.
// Not an Exception, so nothing in the program can catch it.
struct UnhandledFault {
  DWORD code;
};

void SetCurrentWorld(World* world);

}  // namespace sim
