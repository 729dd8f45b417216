/* Registered as the shell's "open" handler of .msu files: records the
 * command line the shell built for the update package, then plays the part
 * of an update installer that asks for confirmation.
 *
 * The file named by the environment variable E2E_DIALOGS lists the dialogs
 * to show, one a line, fields separated by tabs:
 *
 *   layout  caption  button IDs (comma-separated)  hidden (0/1)  after
 *
 * Layouts (children in Z order, topmost first):
 *   marker_static      Static 51966, then the buttons
 *   marker_edit        a label, then a container holding Edit 64430 and the
 *                      buttons (the container is the dialog's last child)
 *   decoy_static_id    Static 51965, then the buttons
 *   decoy_edit_direct  a label, Edit 64430, then the buttons, all direct
 *                      children of the dialog
 * "after" names the caption of a dialog that must have closed before this
 * one is shown (empty: shown at once).
 *
 * Every WM_LBUTTONDOWN / WM_LBUTTONUP a button receives is logged as a
 * "click". A clicked button (BN_CLICKED) ends its dialog the way EndDialog
 * does: once the message that clicked it has been handled, so clicks still
 * queued for the dialog are never delivered. The handler ends when all its
 * dialogs have closed, when the file named by E2E_DIALOGS_STOP appears, or
 * after a timeout of its own, so it can never keep a run alive.
 */
#include "e2e_log.h"
#include <stdio.h>
#include <stdlib.h>

#define MAX_DIALOGS 16
#define MAX_BUTTONS 8
#define TEXT_SIZE 128

#define MARKER_STATIC_ID 51966
#define DECOY_MARKER_ID 51965
#define MARKER_EDIT_ID 64430
#define LABEL_ID 1000
#define CONTAINER_ID 1001

#define POLL_MS 50
#define TIMEOUT_MS 120000
#define PANEL_CLASS "E2EUpdatePanel"

enum layout { MARKER_STATIC, MARKER_EDIT, DECOY_STATIC, DECOY_EDIT_DIRECT };
enum state { WAITING, SHOWN, CLOSING, CLOSED };

typedef struct {
    enum layout layout;
    char caption[TEXT_SIZE];
    int buttons[MAX_BUTTONS];
    int button_count;
    int hidden;
    char after[TEXT_SIZE];
    enum state state;
    HWND window;
} Dialog;

static Dialog dialogs[MAX_DIALOGS];
static int dialog_count;
static WNDPROC button_proc;
static HINSTANCE instance;

static const char *const layout_names[] = {
    "marker_static", "marker_edit", "decoy_static_id", "decoy_edit_direct"
};

/* Splits off the next tab-separated field of a line, in place. */
static char *next_field(char **rest)
{
    char *field = *rest;
    if (!field) return "";
    char *tab = strchr(field, '\t');
    if (tab) {
        *tab = '\0';
        *rest = tab + 1;
    } else {
        *rest = NULL;
    }
    return field;
}

static void copy_text(char *target, const char *source)
{
    lstrcpynA(target, source, TEXT_SIZE);
}

static int load_dialogs(void)
{
    char path[MAX_PATH], line[1024];
    DWORD n = GetEnvironmentVariableA("E2E_DIALOGS", path, sizeof path);
    if (n == 0 || n >= sizeof path) return 0;
    FILE *file = fopen(path, "r");
    if (!file) return 0;
    while (dialog_count < MAX_DIALOGS && fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (!line[0]) continue;
        char *rest = line;
        const char *layout = next_field(&rest);
        Dialog *d = &dialogs[dialog_count];
        int known = 0;
        for (int i = 0; i < 4; ++i) {
            if (strcmp(layout, layout_names[i]) == 0) {
                d->layout = (enum layout)i;
                known = 1;
            }
        }
        if (!known) continue;
        copy_text(d->caption, next_field(&rest));
        for (char *id = strtok(next_field(&rest), ","); id && d->button_count < MAX_BUTTONS;
             id = strtok(NULL, ","))
            d->buttons[d->button_count++] = atoi(id);
        d->hidden = atoi(next_field(&rest)) != 0;
        copy_text(d->after, next_field(&rest));
        ++dialog_count;
    }
    fclose(file);
    return dialog_count;
}

static Dialog *dialog_of(HWND window)
{
    HWND root = GetAncestor(window, GA_ROOT);
    for (int i = 0; i < dialog_count; ++i)
        if (dialogs[i].window == root && dialogs[i].state != CLOSED) return &dialogs[i];
    return NULL;
}

static LRESULT CALLBACK logging_button_proc(HWND button, UINT message, WPARAM wparam,
                                            LPARAM lparam)
{
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) {
        char number[32];
        Dialog *d = dialog_of(button);
        JsonLine line;
        json_begin(&line, "click");
        json_key(&line, "dialog");
        json_string(&line, d ? d->caption : "");
        json_key(&line, "button");
        wsprintfA(number, "%d", (int)GetWindowLongA(button, GWL_ID));
        json_raw(&line, number);
        json_key(&line, "message");
        json_string(&line, message == WM_LBUTTONDOWN ? "down" : "up");
        json_key(&line, "wparam");
        wsprintfA(number, "%lu", (unsigned long)wparam);
        json_raw(&line, number);
        json_key(&line, "lparam");
        wsprintfA(number, "%ld", (long)lparam);
        json_raw(&line, number);
        json_commit(&line);
    }
    return CallWindowProcA(button_proc, button, message, wparam, lparam);
}

/* The container of the marker-edit layout: its buttons notify it, and it
 * hands their commands on to the dialog, as a property page would. */
static LRESULT CALLBACK panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COMMAND) return SendMessageA(GetParent(panel), WM_COMMAND, wparam, lparam);
    return DefWindowProcA(panel, message, wparam, lparam);
}

static HWND child(HWND parent, const char *cls, const char *text, int id, int x, int y,
                  int w, int h)
{
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | (strcmp(cls, "Edit") ? 0 : WS_BORDER),
                           x, y, w, h, parent, (HMENU)(INT_PTR)id, instance, NULL);
}

static void add_buttons(HWND parent, const Dialog *d, int y)
{
    for (int i = 0; i < d->button_count; ++i) {
        char text[32];
        int id = d->buttons[i];
        if (id == IDOK) lstrcpyA(text, "OK");
        else if (id == IDCANCEL) lstrcpyA(text, "Cancel");
        else wsprintfA(text, "Button %d", id);
        HWND b = child(parent, "Button", text, id, 10 + 90 * i, y, 80, 24);
        if (!button_proc) button_proc = (WNDPROC)GetWindowLongPtrA(b, GWLP_WNDPROC);
        SetWindowLongPtrA(b, GWLP_WNDPROC, (LONG_PTR)logging_button_proc);
    }
}

static void build_children(HWND window, const Dialog *d)
{
    switch (d->layout) {
    case MARKER_STATIC:
    case DECOY_STATIC:
        child(window, "Static", "The update is ready to be installed.",
              d->layout == MARKER_STATIC ? MARKER_STATIC_ID : DECOY_MARKER_ID, 10, 10, 300, 20);
        add_buttons(window, d, 50);
        break;
    case MARKER_EDIT: {
        child(window, "Static", "Installing the update:", LABEL_ID, 10, 10, 300, 20);
        HWND panel = child(window, PANEL_CLASS, "", CONTAINER_ID, 0, 30, 360, 80);
        child(panel, "Edit", "Do you want to install the update?", MARKER_EDIT_ID, 10, 0, 300, 20);
        add_buttons(panel, d, 30);
        break;
    }
    case DECOY_EDIT_DIRECT:
        child(window, "Static", "Installing the update:", LABEL_ID, 10, 10, 300, 20);
        child(window, "Edit", "Do you want to install the update?", MARKER_EDIT_ID, 10, 30, 300, 20);
        add_buttons(window, d, 60);
        break;
    }
}

/* The children as the window manager orders them, "class:id" from the top,
 * a container's own children in brackets: what a scanner walking the
 * dialog will meet. */
static void describe_children(JsonLine *line, HWND parent)
{
    char cls[64], item[96];
    int first = 1;
    json_raw(line, "[");
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        GetClassNameA(c, cls, sizeof cls);
        wsprintfA(item, "%s\"%s:%d\"", first ? "" : ",", cls, (int)GetWindowLongA(c, GWL_ID));
        json_raw(line, item);
        if (GetWindow(c, GW_CHILD)) {
            json_raw(line, ",");
            describe_children(line, c);
        }
        first = 0;
    }
    json_raw(line, "]");
}

static INT_PTR CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        Dialog *d = (Dialog *)lparam;
        d->window = window;
        SetWindowTextA(window, d->caption);
        build_children(window, d);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
        Dialog *d = dialog_of(window);
        if (d && d->state == SHOWN) d->state = CLOSING;
        return TRUE;
    }
    return FALSE;
}

static void show_dialog(Dialog *d, int index)
{
    /* An empty in-memory template: a plain "#32770" top-level window with
     * no owner; the children are made in WM_INITDIALOG, in Z order. */
    struct {
        DLGTEMPLATE header;
        WORD menu, window_class, title;
    } __attribute__((aligned(4))) templ;
    memset(&templ, 0, sizeof templ);
    templ.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    /* Cascaded from the top left, clear of the centre of the screen. */
    templ.header.x = (short)(10 + 40 * index);
    templ.header.y = (short)(10 + 30 * index);
    templ.header.cx = 190;
    templ.header.cy = 70;

    d->state = SHOWN;
    /* A scanner may find the window as soon as it exists, before it is
     * shown (hidden ones too): its life starts here. */
    DWORD created = GetTickCount();
    HWND window = CreateDialogIndirectParamA(instance, &templ.header, NULL, dialog_proc,
                                             (LPARAM)d);
    if (!window) {
        d->state = CLOSED;
        return;
    }
    if (!d->hidden) ShowWindow(window, SW_SHOWNOACTIVATE);

    JsonLine line;
    json_begin(&line, "foreign_dialog");
    json_key(&line, "caption");
    json_string(&line, d->caption);
    json_key(&line, "layout");
    json_string(&line, layout_names[d->layout]);
    json_key(&line, "visible");
    json_raw(&line, IsWindowVisible(window) ? "true" : "false");
    json_key(&line, "children");
    describe_children(&line, window);
    json_key(&line, "created_tick");
    char number[16];
    wsprintfA(number, "%lu", (unsigned long)created);
    json_raw(&line, number);
    json_commit(&line);
}

static void show_ready(const char *closed_caption)
{
    for (int i = 0; i < dialog_count; ++i) {
        Dialog *d = &dialogs[i];
        if (d->state == WAITING && strcmp(d->after, closed_caption) == 0) show_dialog(d, i);
    }
}

/* Ends the dialogs whose button was clicked, once the message that did it
 * has been handled, and shows the dialogs waiting for them. */
static void close_clicked(void)
{
    for (int i = 0; i < dialog_count; ++i) {
        Dialog *d = &dialogs[i];
        if (d->state != CLOSING) continue;
        d->state = CLOSED;
        DestroyWindow(d->window);
        JsonLine line;
        json_begin(&line, "foreign_dialog_closed");
        json_key(&line, "caption");
        json_string(&line, d->caption);
        json_commit(&line);
        show_ready(d->caption);
    }
}

static int any_open(void)
{
    for (int i = 0; i < dialog_count; ++i)
        if (dialogs[i].state == SHOWN || dialogs[i].state == CLOSING) return 1;
    return 0;
}

static int stop_requested(void)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("E2E_DIALOGS_STOP", path, sizeof path);
    return n > 0 && n < sizeof path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int main(void)
{
    if (!log_process_event("shell_open")) return 1;
    if (!load_dialogs()) return 0;

    instance = GetModuleHandleA(NULL);
    WNDCLASSA panel = {0};
    panel.lpfnWndProc = panel_proc;
    panel.hInstance = instance;
    panel.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    panel.lpszClassName = PANEL_CLASS;
    RegisterClassA(&panel);

    show_ready("");
    /* A thread timer (no window): its WM_TIMER is made only when no other
     * message waits, so a stop request never overtakes a queued click. */
    SetTimer(NULL, 0, POLL_MS, NULL);
    DWORD start = GetTickCount();
    MSG msg;
    while (any_open() && GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) {
            if (stop_requested() || GetTickCount() - start > TIMEOUT_MS) break;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        close_clicked();
    }
    for (int i = 0; i < dialog_count; ++i) {
        if (dialogs[i].state != SHOWN) continue;
        JsonLine line;
        json_begin(&line, "foreign_dialog_left");
        json_key(&line, "caption");
        json_string(&line, dialogs[i].caption);
        json_commit(&line);
    }
    return 0;
}
