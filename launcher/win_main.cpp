// The launcher's entry point: close a running Kembrin, start the registered
// Tavimond, report an error of the second step, and always end with 0.
#include "launcher/launch_sequence.h"
#include "platform/classlib/exceptions.h"
#include "platform/win32.h"
#include "report/report_exception.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CloseRunningInstance();
  try {
    const GuardedScope guarded;
    StartRegisteredApplication();
  } catch (const Exception& error) {
    try {
      ReportException(error);
    } catch (const Exception&) {
      // No memory to tell the user; ending normally is all that is left.
    }
  }
  return 0;
}
