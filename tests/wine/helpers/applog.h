/* Appends one formatted record to a log file and closes it again, so a
   test reading the file sees every record as soon as it is written, even
   when the writing process is later killed. */
#ifndef TESTS_WINE_APPLOG_H
#define TESTS_WINE_APPLOG_H

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>

static void applog(const char *path, const char *fmt, ...)
{
    char buf[4096];
    va_list ap;
    int n;
    HANDLE h;
    DWORD written;

    if (!path || !*path)
        return;
    va_start(ap, fmt);
    n = _vsnprintf(buf, sizeof buf - 1, fmt, ap);
    va_end(ap);
    if (n < 0 || n > (int)sizeof buf - 1)
        n = (int)sizeof buf - 1;
    buf[n] = 0;

    h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    WriteFile(h, buf, (DWORD)n, &written, NULL);
    CloseHandle(h);
}

#endif
