// Confirms the dialogs that update packages raise, of whichever process.
//
// Two child-window layouts are known, by window class and control ID only:
// the marker-static layout (first child a "Static" 51966, the buttons beside
// it) and the marker-edit layout (the last child a container whose first
// child is an "Edit" 64430, the buttons inside that container). The windows
// belong to other processes and can change or vanish between any two calls:
// every call's result is taken as it comes, and a window that has gone simply
// matches nothing.
#include "ui/LauncherDlg.h"

#include "platform/WinConstants.h"

namespace {

constexpr const char* kDialogClass = "#32770";
constexpr const char* kStaticClass = "Static";
constexpr const char* kEditClass = "Edit";
constexpr const char* kButtonClass = "Button";
constexpr win::LONG kMarkerStaticId = 51966; // 0xCAFE
constexpr win::LONG kMarkerEditId = 64430;   // 0xFBAE
constexpr int kClassNameSize = 128;

// Class names are compared exactly, byte for byte: for the multibyte
// comparison of the ANSI code page two texts are equal only when their bytes
// are, and lstrcmpA's linguistic comparison could call different names equal.
bool SameText(const char* a, const char* b)
{
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

class Scan {
public:
    explicit Scan(Platform& os) : m_os(os), m_desktop(os.GetDesktopWindow()) {}

    win::HWND NextDialog(win::HWND after)
    {
        return m_os.FindWindowExA(m_desktop, after, kDialogClass, nullptr);
    }

    win::HWND NextButton(win::HWND parent, win::HWND after)
    {
        return m_os.FindWindowExA(parent, after, kButtonClass, nullptr);
    }

    // Class first, then ID, then both compared; a vanished window has neither.
    bool Is(win::HWND window, const char* className, win::LONG id)
    {
        char name[kClassNameSize];
        name[0] = '\0';
        if (m_os.GetClassNameA(window, name, kClassNameSize) <= 0)
            name[0] = '\0';
        const win::LONG windowId = m_os.GetWindowLongA(window, win::GWL_ID);
        return SameText(name, className) && windowId == id;
    }

    win::LONG IdOf(win::HWND window) { return m_os.GetWindowLongA(window, win::GWL_ID); }

    // A left click at the button's top-left corner, posted so that a hung
    // owner can't block the tick.
    void Press(win::HWND button)
    {
        m_os.PostMessageA(button, win::WM_LBUTTONDOWN, win::MK_LBUTTON, 0);
        m_os.PostMessageA(button, win::WM_LBUTTONUP, 0, 0);
    }

    Platform& m_os;
    win::HWND m_desktop;
};

} // namespace

void CLauncherDlg::ConfirmForeignDialogs()
{
    Scan scan(m_os);

    // Marker-static dialogs, every one of them: an ID-1 button is the last one
    // pressed in its dialog; each ID-2 button before it ends the wait.
    for (win::HWND dialog = scan.NextDialog(nullptr); dialog != nullptr;
         dialog = scan.NextDialog(dialog)) {
        const win::HWND first = m_os.GetWindow(dialog, win::GW_CHILD);
        if (first == nullptr || !scan.Is(first, kStaticClass, kMarkerStaticId))
            continue;
        for (win::HWND button = scan.NextButton(dialog, nullptr); button != nullptr;
             button = scan.NextButton(dialog, button)) {
            const win::LONG id = scan.IdOf(button);
            if (id == win::IDOK) {
                scan.Press(button);
                break;
            }
            if (id == win::IDCANCEL) {
                scan.Press(button);
                KillTimer(kWaitTimerId);
                OnOK();
            }
        }
    }

    // Marker-edit dialogs: the first one whose container has an ID-1 button.
    bool found = false;
    for (win::HWND dialog = scan.NextDialog(nullptr); dialog != nullptr && !found;
         dialog = scan.NextDialog(dialog)) {
        const win::HWND first = m_os.GetWindow(dialog, win::GW_CHILD);
        const win::HWND last = first != nullptr ? m_os.GetWindow(first, win::GW_HWNDLAST) : nullptr;
        const win::HWND edit = last != nullptr ? m_os.GetWindow(last, win::GW_CHILD) : nullptr;
        if (edit == nullptr || !scan.Is(edit, kEditClass, kMarkerEditId))
            continue;
        for (win::HWND button = scan.NextButton(last, nullptr); button != nullptr;
             button = scan.NextButton(last, button)) {
            if (scan.IdOf(button) == win::IDOK) {
                scan.Press(button);
                found = true;
                break;
            }
        }
    }
    if (found) {
        KillTimer(kWaitTimerId);
        OnOK();
    }
}
