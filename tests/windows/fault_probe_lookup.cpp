// Test-only stand-in for the registered path lookup: it makes an access
// violation inside the guarded scope, with a string alive in the caller, so
// the Windows build's fault handling is proven end to end.
#include "lookup/registered_path.h"

namespace {

// Read at run time, so the compiler cannot see that it is null.
int* volatile faultAddress = nullptr;

}  // namespace

AnsiString ReadRegisteredPath() {
  *faultAddress = 1;
  return AnsiString();
}
