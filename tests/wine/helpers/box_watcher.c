/* Waits for a message box owned by a "TApplication" window, describes it
   on stdout as key=value lines, then presses its OK button.
   Usage: box_watcher <timeout ms>
   Exit code 0 after pressing OK, 1 when no such box appeared in time,
   3 when the box has no OK button. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MSGBOX_TEXT_ID 0xFFFF

static int class_is(HWND hwnd, const char *name)
{
    char cls[64];
    return GetClassNameA(hwnd, cls, sizeof cls) && strcmp(cls, name) == 0;
}

static BOOL CALLBACK find_box(HWND hwnd, LPARAM lp)
{
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (IsWindowVisible(hwnd) && class_is(hwnd, "#32770") && owner &&
        class_is(owner, "TApplication")) {
        *(HWND *)lp = hwnd;
        return FALSE;
    }
    return TRUE;
}

/* Icons belong to the process that loaded them, so the box's icon cannot be
   drawn here. Instead the icon control is read back from the screen and
   compared with our own copy of each standard icon drawn over the same
   background. */
#define ICON_MAX 64

static HBITMAP make_dib(HDC dc, int w, int h, DWORD **bits)
{
    BITMAPINFO bi;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, (void **)bits, NULL, 0);
}

static const char *icon_on_screen(HWND ctl)
{
    static const struct { LPCSTR id; const char *name; } known[] = {
        { IDI_HAND, "error" }, { IDI_EXCLAMATION, "warning" },
        { IDI_ASTERISK, "information" }, { IDI_QUESTION, "question" },
    };
    const char *found = "other";
    RECT r;
    int w, h, i, n;
    HDC screen, mem;
    HBITMAP shot, mine;
    DWORD *shot_bits, *mine_bits;

    GetWindowRect(ctl, &r);
    w = r.right - r.left;
    h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || w > ICON_MAX || h > ICON_MAX)
        return "other";
    screen = GetDC(NULL);
    mem = CreateCompatibleDC(screen);
    shot = make_dib(mem, w, h, &shot_bits);
    mine = make_dib(mem, w, h, &mine_bits);
    SelectObject(mem, shot);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    for (i = 0; i < (int)(sizeof known / sizeof known[0]); i++) {
        SelectObject(mem, mine);
        for (n = 0; n < w * h; n++)
            mine_bits[n] = shot_bits[0];
        DrawIconEx(mem, 0, 0, LoadIconA(NULL, known[i].id), 0, 0, 0, NULL, DI_NORMAL);
        GdiFlush();
        if (memcmp(mine_bits, shot_bits, (size_t)w * h * 4) == 0) {
            found = known[i].name;
            break;
        }
    }
    SelectObject(mem, shot);
    DeleteObject(mine);
    DeleteObject(shot);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return found;
}

static const char *icon_name(HWND ctl)
{
    const char *name = "none";
    int tries;

    if (!ctl || !SendMessageA(ctl, STM_GETICON, 0, 0))
        return name;
    /* The box may not have painted yet: look again for a moment. */
    for (tries = 0; tries < 20; tries++) {
        name = icon_on_screen(ctl);
        if (strcmp(name, "other") != 0)
            break;
        Sleep(100);
    }
    return name;
}

struct controls {
    HWND text, icon, ok;
    int buttons;
};

static BOOL CALLBACK list_control(HWND hwnd, LPARAM lp)
{
    struct controls *c = (struct controls *)lp;
    char label[256];

    if (!IsWindowVisible(hwnd))
        return TRUE;
    if (class_is(hwnd, "Button")) {
        int id = GetDlgCtrlID(hwnd);
        GetWindowTextA(hwnd, label, sizeof label);
        printf("button%d=%d:%s\n", c->buttons++, id, label);
        if (id == IDOK)
            c->ok = hwnd;
    } else if (class_is(hwnd, "Static")) {
        if ((GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            c->icon = hwnd;
        else if (!c->text)
            c->text = hwnd;
    }
    return TRUE;
}

static void print_window(const char *prefix, HWND hwnd)
{
    char text[1024], cls[256];
    RECT r;
    DWORD pid = 0;

    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    GetWindowRect(hwnd, &r);
    GetWindowThreadProcessId(hwnd, &pid);
    printf("%s_class=%s\n", prefix, cls);
    printf("%s_title=%s\n", prefix, text);
    printf("%s_width=%ld\n", prefix, (long)(r.right - r.left));
    printf("%s_height=%ld\n", prefix, (long)(r.bottom - r.top));
    printf("%s_visible=%d\n", prefix, IsWindowVisible(hwnd) ? 1 : 0);
    printf("%s_enabled=%d\n", prefix, IsWindowEnabled(hwnd) ? 1 : 0);
    printf("%s_pid=%lu\n", prefix, (unsigned long)pid);
}

int main(int argc, char **argv)
{
    HWND dlg = NULL;
    struct controls c;
    char text[1024];
    DWORD start, timeout;
    HWND owner, fixed_text;

    if (argc != 2) {
        fprintf(stderr, "usage: box_watcher <timeout ms>\n");
        return 2;
    }
    timeout = (DWORD)strtoul(argv[1], NULL, 10);
    start = GetTickCount();
    while (EnumWindows(find_box, (LPARAM)&dlg), !dlg) {
        if (GetTickCount() - start >= timeout) {
            printf("timeout=1\n");
            return 1;
        }
        Sleep(50);
    }

    memset(&c, 0, sizeof c);
    owner = GetWindow(dlg, GW_OWNER);
    print_window("box", dlg);
    EnumChildWindows(dlg, list_control, (LPARAM)&c);
    printf("buttons=%d\n", c.buttons);
    /* Message boxes give their text control a fixed id; fall back to the
       first text static should that ever differ. */
    fixed_text = GetDlgItem(dlg, MSGBOX_TEXT_ID);
    if (fixed_text)
        c.text = fixed_text;
    text[0] = 0;
    if (c.text)
        GetWindowTextA(c.text, text, sizeof text);
    printf("text=%s\n", text);
    printf("icon=%s\n", icon_name(c.icon));
    print_window("owner", owner);
    fflush(stdout);

    if (!c.ok)
        return 3;
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)c.ok);
    return 0;
}
