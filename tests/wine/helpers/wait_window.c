/* Waits until a top-level window of the given class exists.
   Usage: wait_window <class> <timeout ms> [hold]
   Exit code 0 when found, 1 on timeout. With "hold" it then stays for up
   to an hour: Wine ends its desktop process, and with it the taskbar,
   a moment after the last process using the desktop exits, so a session
   keeps one such process alive the way a real desktop always has one. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    DWORD start, timeout;

    if (argc != 3 && !(argc == 4 && strcmp(argv[3], "hold") == 0)) {
        fprintf(stderr, "usage: wait_window <class> <timeout ms> [hold]\n");
        return 2;
    }
    timeout = (DWORD)strtoul(argv[2], NULL, 10);
    /* Attaching to the desktop makes Wine start its desktop process, which
       owns the taskbar window. */
    GetDesktopWindow();
    start = GetTickCount();
    for (;;) {
        if (FindWindowA(argv[1], NULL)) {
            if (argc == 4)
                Sleep(60 * 60 * 1000);
            return 0;
        }
        if (GetTickCount() - start >= timeout)
            return 1;
        Sleep(50);
    }
}
