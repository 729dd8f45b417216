/* Watches the desktop for dialogs of other processes, records them in the
 * event log and answers message boxes as a user would.
 *
 *   msgbox_watcher <answers file> <stop file> [timeout seconds [ready file
 *                  [program name [completion button]]]]
 *
 * The answers file holds one button ID per line, used in order, one per
 * message box; once they are used up (or without the file) IDOK is pressed.
 * A visible dialog without the message-box text control (ID 0xFFFF) that
 * belongs to the program named (its file name, e.g. Setup.exe) is its
 * completion dialog: recorded as "completion_dialog" with its buttons and
 * client size, and, when a completion button ID other than 0 is given,
 * answered with that button as a user would. The watcher also records when
 * that dialog is hidden and when it is gone. Any other dialog is only
 * recorded, never answered. The watcher ends when the stop file appears,
 * or with exit code 2 after the timeout, so a hung run cannot keep it alive.
 * The ready file, when given, is created once the first look at the desktop
 * is done: the watcher is then fully started.
 */
/* For QueryFullProcessImageNameA; the watcher itself is no product code. */
#define _WIN32_WINNT 0x0600
#include "e2e_log.h"
#include <stdio.h>
#include <stdlib.h>

#define MESSAGE_TEXT_ID 0xFFFF
#define MAX_ANSWERS 64
#define MAX_SEEN 256
#define MAX_BUTTONS 16
#define POLL_MS 20

static int answers[MAX_ANSWERS];
static int answer_count;
static int next_answer;

static HWND seen[MAX_SEEN];
static int seen_count;

static const char *program_name;  /* whose dialog is the completion dialog */
static int completion_button;     /* pressed on it; 0: left alone */
static HWND completion;           /* the completion dialog, once seen */
static int completion_hidden;

static void load_answers(const char *path)
{
    char text[64];
    FILE *file = fopen(path, "r");
    if (!file) return;
    while (answer_count < MAX_ANSWERS && fgets(text, sizeof text, file)) {
        int id = atoi(text);
        if (id > 0) answers[answer_count++] = id;
    }
    fclose(file);
}

static int is_seen(HWND window)
{
    for (int i = 0; i < seen_count; ++i)
        if (seen[i] == window) return 1;
    return 0;
}

/* Forgets windows that no longer exist, so that a handle value the system
 * hands out again later counts as a new dialog. */
static void forget_closed(void)
{
    int kept = 0;
    for (int i = 0; i < seen_count; ++i)
        if (IsWindow(seen[i])) seen[kept++] = seen[i];
    seen_count = kept;
}

static void remember(HWND window)
{
    if (seen_count < MAX_SEEN) seen[seen_count++] = window;
}

/* The visible buttons of a dialog, by control ID in ascending order. */
static int list_buttons(HWND dialog, int ids[MAX_BUTTONS], HWND handles[MAX_BUTTONS])
{
    int count = 0;
    HWND child = NULL;
    while (count < MAX_BUTTONS && (child = FindWindowExA(dialog, child, "Button", NULL))) {
        if (!IsWindowVisible(child)) continue;
        handles[count] = child;
        ids[count++] = GetWindowLongA(child, GWL_ID);
    }
    /* Sort by ID, handles alongside (a handful of entries). */
    for (int i = 1; i < count; ++i) {
        for (int j = i; j > 0 && ids[j - 1] > ids[j]; --j) {
            int id = ids[j]; ids[j] = ids[j - 1]; ids[j - 1] = id;
            HWND h = handles[j]; handles[j] = handles[j - 1]; handles[j - 1] = h;
        }
    }
    return count;
}

static void handle_message_box(HWND box, HWND text_control)
{
    char caption[1024], text[4096], number[16];
    int ids[MAX_BUTTONS];
    HWND handles[MAX_BUTTONS];
    int count = list_buttons(box, ids, handles);
    int answer = next_answer < answer_count ? answers[next_answer++] : IDOK;
    HWND answer_button = NULL;
    JsonLine line;

    GetWindowTextA(box, caption, sizeof caption);
    GetWindowTextA(text_control, text, sizeof text);

    json_begin(&line, "message_box");
    json_key(&line, "caption");
    json_string(&line, caption);
    json_key(&line, "text");
    json_string(&line, text);
    json_key(&line, "buttons");
    json_raw(&line, "[");
    for (int i = 0; i < count; ++i) {
        snprintf(number, sizeof number, i ? ",%d" : "%d", ids[i]);
        json_raw(&line, number);
        if (ids[i] == answer) answer_button = handles[i];
    }
    json_raw(&line, "]");
    /* The line is in the log before the box goes away, so whatever the
     * answer sets off is recorded after it. */
    json_commit(&line);

    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)answer_button);
}

static void log_buttons(JsonLine *line, const int *ids, int count)
{
    char number[16];
    json_key(line, "buttons");
    json_raw(line, "[");
    for (int i = 0; i < count; ++i) {
        snprintf(number, sizeof number, i ? ",%d" : "%d", ids[i]);
        json_raw(line, number);
    }
    json_raw(line, "]");
}

/* Whether the window belongs to a process running the named program. */
static int belongs_to_program(HWND window)
{
    char image[MAX_PATH];
    DWORD size = sizeof image, pid = 0;
    if (!program_name || !GetWindowThreadProcessId(window, &pid)) return 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return 0;
    BOOL ok = QueryFullProcessImageNameA(process, 0, image, &size);
    CloseHandle(process);
    if (!ok) return 0;
    const char *name = strrchr(image, '\\');
    return lstrcmpiA(name ? name + 1 : image, program_name) == 0;
}

/* Whether a visible dialog is really shown, in its message loop. Wine
 * shows a modal dialog that was ended during WM_INITDIALOG for a moment,
 * then destroys it without entering its loop; Windows never shows such a
 * dialog at all. A dialog in its loop answers sent messages, and stays
 * visible; the flash never answers (it is destroyed first), or is hidden
 * by the time it has. Two round trips, so that an answer given from inside
 * the system's own showing of the window is not enough. */
static int runs_its_loop(HWND dialog)
{
    for (int probe = 0; probe < 2; ++probe) {
        DWORD_PTR result;
        if (!SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result))
            return 0;
        if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return 0;
    }
    return 1;
}

static void handle_completion_dialog(HWND dialog)
{
    char caption[1024], number[16];
    int ids[MAX_BUTTONS];
    HWND handles[MAX_BUTTONS];
    int count = list_buttons(dialog, ids, handles);
    HWND answer_button = NULL;
    RECT client;
    JsonLine line;

    GetWindowTextA(dialog, caption, sizeof caption);
    GetClientRect(dialog, &client);
    json_begin(&line, "completion_dialog");
    json_key(&line, "caption");
    json_string(&line, caption);
    log_buttons(&line, ids, count);
    json_key(&line, "client_width");
    snprintf(number, sizeof number, "%ld", client.right - client.left);
    json_raw(&line, number);
    json_key(&line, "client_height");
    snprintf(number, sizeof number, "%ld", client.bottom - client.top);
    json_raw(&line, number);
    json_commit(&line);

    completion = dialog;
    completion_hidden = 0;
    if (!completion_button) return;
    for (int i = 0; i < count; ++i)
        if (ids[i] == completion_button) answer_button = handles[i];
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(completion_button, BN_CLICKED),
                 (LPARAM)answer_button);
}

/* The completion dialog hides itself on its timer's first tick and is
 * destroyed when the run ends; both are noted once, for the reader. */
static void follow_completion_dialog(void)
{
    JsonLine line;
    if (!completion) return;
    if (!IsWindow(completion)) {
        json_begin(&line, "completion_dialog_gone");
        json_commit(&line);
        completion = NULL;
    } else if (!completion_hidden && !IsWindowVisible(completion)) {
        json_begin(&line, "completion_dialog_hidden");
        json_commit(&line);
        completion_hidden = 1;
    }
}

static void handle_dialog(HWND dialog)
{
    char caption[1024];
    JsonLine line;
    GetWindowTextA(dialog, caption, sizeof caption);
    json_begin(&line, "dialog");
    json_key(&line, "caption");
    json_string(&line, caption);
    json_commit(&line);
}

static void scan_dialogs(void)
{
    HWND window = NULL;
    follow_completion_dialog();
    forget_closed();
    while ((window = FindWindowExA(NULL, window, "#32770", NULL))) {
        /* A dialog that is not yet visible may still be building its
         * controls; it is looked at again on the next pass. */
        if (is_seen(window) || !IsWindowVisible(window)) continue;
        HWND text_control = GetDlgItem(window, MESSAGE_TEXT_ID);
        int completion_candidate = !text_control && belongs_to_program(window);
        if (completion_candidate && !runs_its_loop(window)) {
            JsonLine line;
            json_begin(&line, "completion_dialog_flash");
            json_commit(&line);
            continue;
        }
        remember(window);
        if (text_control) handle_message_box(window, text_control);
        else if (completion_candidate) handle_completion_dialog(window);
        else handle_dialog(window);
    }
}

int main(int argc, char **argv)
{
    if (argc < 3) return 1;
    const char *stop_file = argv[2];
    DWORD timeout_ms = (argc > 3 ? (DWORD)atoi(argv[3]) : 120) * 1000;
    DWORD start = GetTickCount();

    if (argc > 5) program_name = argv[5];
    if (argc > 6) completion_button = atoi(argv[6]);
    load_answers(argv[1]);
    scan_dialogs();
    if (argc > 4) {
        HANDLE ready = CreateFileA(argv[4], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
        if (ready == INVALID_HANDLE_VALUE) return 1;
        CloseHandle(ready);
    }
    while (GetFileAttributesA(stop_file) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > timeout_ms) {
            JsonLine line;
            json_begin(&line, "watcher_timeout");
            json_commit(&line);
            return 2;
        }
        scan_dialogs();
        Sleep(POLL_MS);
    }
    /* One last look: a box shown just before the stop request is recorded. */
    scan_dialogs();
    return 0;
}
