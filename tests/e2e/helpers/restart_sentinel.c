/* Stands in for the rest of the system when a program asks for a restart.
 *
 *   restart_sentinel <stop file> [timeout seconds [ready file]]
 *
 * Under Wine, ExitWindowsEx ends the session by sending WM_QUERYENDSESSION
 * to every top-level window of the prefix and ending the processes that
 * agree. The sentinel owns one such window (not a dialog, so no dialog scan
 * ever takes it for one): it records the query as a "restart_request" and
 * refuses it, so the session, and with it the test's prefix, lives on. It
 * ends when the stop file appears, or with exit code 2 after the timeout.
 * The ready file, when given, is created once its window exists.
 */
#include "e2e_log.h"
#include <stdlib.h>

#define POLL_MS 50
#define SENTINEL_CLASS "E2ERestartSentinel"

static const char *stop_file;
static DWORD timeout_ms;
static DWORD start;

static void log_with_number(const char *event, const char *key, long value)
{
    char number[16];
    JsonLine line;
    json_begin(&line, event);
    json_key(&line, key);
    wsprintfA(number, "%ld", value);
    json_raw(&line, number);
    json_commit(&line);
}

static LRESULT CALLBACK sentinel_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_QUERYENDSESSION:
        log_with_number("restart_request", "lparam", (long)lparam);
        return FALSE;
    case WM_ENDSESSION:
        /* Only ever with FALSE, since the query was refused. */
        log_with_number("end_session", "ending", (long)wparam);
        return 0;
    case WM_TIMER:
        if (GetFileAttributesA(stop_file) != INVALID_FILE_ATTRIBUTES) {
            DestroyWindow(window);
        } else if (GetTickCount() - start > timeout_ms) {
            JsonLine line;
            json_begin(&line, "sentinel_timeout");
            json_commit(&line);
            DestroyWindow(window);
            PostQuitMessage(2);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int main(int argc, char **argv)
{
    if (argc < 2) return 1;
    stop_file = argv[1];
    timeout_ms = (argc > 2 ? (DWORD)atoi(argv[2]) : 120) * 1000;
    start = GetTickCount();

    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA cls = {0};
    cls.lpfnWndProc = sentinel_proc;
    cls.hInstance = instance;
    cls.lpszClassName = SENTINEL_CLASS;
    if (!RegisterClassA(&cls)) return 1;
    /* Never shown: it only has to be a top-level window of the session. */
    HWND window = CreateWindowExA(0, SENTINEL_CLASS, "Restart sentinel", WS_OVERLAPPEDWINDOW,
                                  0, 0, 100, 50, NULL, NULL, instance, NULL);
    if (!window) return 1;
    SetTimer(window, 1, POLL_MS, NULL);
    if (argc > 3) {
        HANDLE ready = CreateFileA(argv[3], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
        if (ready == INVALID_HANDLE_VALUE) return 1;
        CloseHandle(ready);
    }
    MSG msg;
    int result;
    while ((result = GetMessageA(&msg, NULL, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return result < 0 ? 1 : (int)msg.wParam;
}
