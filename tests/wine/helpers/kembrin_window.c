/* Top-level window titled "Kembrin" that the launcher must close.
   Usage: kembrin_window <close|stay|hang> <log file>
     close: answers WM_CLOSE by destroying the window and exiting
     stay:  records WM_CLOSE but keeps the window open
     hang:  stops pumping messages after it is ready, so the window is hung
   Every WM_CLOSE is logged with GetTickCount. The process always exits on
   its own after 60 s so a forgotten instance cannot linger. */
#include "applog.h"
#include <string.h>

#define LIFETIME_MS 60000
#define LIFETIME_TIMER 1

static const char *g_log;
static int g_close_on_request;

static LRESULT CALLBACK wndproc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CLOSE:
        applog(g_log, "WM_CLOSE tick=%lu\n", (unsigned long)GetTickCount());
        if (g_close_on_request)
            DestroyWindow(hwnd);
        return 0;
    case WM_TIMER:
        if (wp == LIFETIME_TIMER)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR args, int show)
{
    WNDCLASSA wc;
    HWND hwnd;
    MSG msg;
    const char *mode;

    (void)prev; (void)args; (void)show;
    if (__argc < 3)
        return 2;
    mode = __argv[1];
    g_log = __argv[2];
    if (strcmp(mode, "close") == 0)
        g_close_on_request = 1;
    else if (strcmp(mode, "stay") != 0 && strcmp(mode, "hang") != 0)
        return 2;

    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = wndproc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "KembrinTestWindow";
    if (!RegisterClassA(&wc))
        return 3;
    hwnd = CreateWindowA(wc.lpszClassName, "Kembrin", WS_OVERLAPPEDWINDOW,
                         40, 40, 320, 200, NULL, NULL, inst, NULL);
    if (!hwnd)
        return 4;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetTimer(hwnd, LIFETIME_TIMER, LIFETIME_MS, NULL);
    applog(g_log, "ready tick=%lu pid=%lu\n", (unsigned long)GetTickCount(),
           (unsigned long)GetCurrentProcessId());

    if (strcmp(mode, "hang") == 0) {
        /* Never look at the queue again: senders see a hung window. */
        Sleep(LIFETIME_MS);
        return 0;
    }
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    applog(g_log, "exit tick=%lu\n", (unsigned long)GetTickCount());
    return 0;
}
