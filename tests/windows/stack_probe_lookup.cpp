// Test-only stand-in for the registered path lookup: it recurses until the
// stack overflows inside the guarded scope, so the Windows build's handling
// of a stack overflow is proven end to end.
#include "lookup/registered_path.h"

namespace {

// Read at run time, so the compiler cannot see that the recursion never ends.
volatile bool keepGoing = true;

int Descend(int depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  if (!keepGoing) return frame[0];
  return Descend(depth + 1) + frame[0];
}

}  // namespace

AnsiString ReadRegisteredPath() {
  Descend(0);
  return AnsiString();
}
