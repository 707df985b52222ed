/* Stand-in for the program the launcher starts. Records how it was started
   (command line, show state, which executable file ran, when) in the log
   file named by the STANDIN_LOG environment variable, then exits. */
#include "applog.h"

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR args, int show)
{
    char log[MAX_PATH];
    char module[MAX_PATH];
    STARTUPINFOA si;
    DWORD n;

    (void)inst; (void)prev; (void)args; (void)show;
    n = GetEnvironmentVariableA("STANDIN_LOG", log, sizeof log);
    if (n == 0 || n >= sizeof log)
        return 1;
    if (!GetModuleFileNameA(NULL, module, sizeof module))
        module[0] = 0;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    GetStartupInfoA(&si);

    applog(log, "start tick=%lu\nmodule=%s\ncmdline=%s\nuseshowwindow=%d\nshowwindow=%u\n",
           (unsigned long)GetTickCount(), module, GetCommandLineA(),
           (si.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0, (unsigned)si.wShowWindow);
    return 0;
}
