#include "platform/sim/SimWindows.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/WinConstants.h"

namespace {

constexpr std::uintptr_t kFirstHandle = 0x10010;
constexpr std::uintptr_t kModule = 0x400000;
constexpr std::uintptr_t kIcon128 = 0x1280;
constexpr std::uintptr_t kPaintDc = 0xDC01;
constexpr int kLauncherTemplate = 102;
constexpr int kLauncherIcon = 128;
constexpr win::DWORD kLauncherStyle = 0x90C800C0;
constexpr win::DWORD kMessageBoxStyle = 0x94C80000; // popup, visible, caption, system menu, frame
constexpr win::LONG kScreenWidth = 1024, kScreenHeight = 768;
// Template 102 (180 x 65 dialog units) in 8-point MS Sans Serif, with a
// dialog frame of 3 pixels and a caption of 19.
constexpr win::LONG kDialogClientWidth = 270, kDialogClientHeight = 105;
constexpr win::LONG kDialogWidth = kDialogClientWidth + 6;
constexpr win::LONG kDialogHeight = kDialogClientHeight + 6 + 19;
constexpr win::UINT kTimerMaximum = 0x7FFFFFFF;
constexpr win::DWORD ERROR_INVALID_GW_COMMAND = 1412;
constexpr win::DWORD ERROR_INVALID_INDEX = 1413;
constexpr win::DWORD ERROR_MOD_NOT_FOUND = 126;

bool SameClass(const std::string& a, const char* b)
{
    // Window classes are atoms, which ignore letter case.
    const std::size_t length = std::strlen(b);
    if (a.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

nlohmann::json MessageName(win::UINT message)
{
    switch (message) {
    case win::WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case win::WM_LBUTTONUP: return "WM_LBUTTONUP";
    case win::WM_SETICON: return "WM_SETICON";
    case win::WM_ICONERASEBKGND: return "WM_ICONERASEBKGND";
    case win::WM_COMMAND: return "WM_COMMAND";
    default: return message;
    }
}

} // namespace

const char* ActionName(SimUserAction::Kind kind)
{
    switch (kind) {
    case SimUserAction::Kind::Ok: return "ok";
    case SimUserAction::Kind::Cancel: return "cancel";
    case SimUserAction::Kind::Enter: return "enter";
    case SimUserAction::Kind::Escape: return "escape";
    case SimUserAction::Kind::Close: return "close";
    case SimUserAction::Kind::Minimize: return "minimize";
    }
    return "?";
}

struct SimWindows::Window {
    win::HWND handle = nullptr;
    std::string className;
    std::string text;
    win::LONG id = 0;
    win::DWORD style = 0;
    bool alive = true;
    bool ours = false; // the launcher's own windows
    std::string process;
    Window* parent = nullptr;
    Window* owner = nullptr;
    std::vector<Window*> children; // Z order, topmost first
    int findsLeft = 0;             // > 0: vanishes when it reaches 0
    win::RECT rect = {};
    win::LONG clientWidth = 0, clientHeight = 0;
    bool pressed = false; // a button held down by a posted WM_LBUTTONDOWN
    win::HICON bigIcon = nullptr, smallIcon = nullptr;
};

struct SimWindows::DialogRun {
    Window* window;
    DialogHost* host;
    bool ended = false;
    win::INT_PTR result = 0;
};

struct SimWindows::Timer {
    Window* window;
    win::UINT_PTR id;
    win::UINT period;
    std::uint64_t due;
    long order;
};

SimWindows::SimWindows(EffectTrace& trace, SimUser& user, win::DWORD& lastError)
    : m_trace(trace), m_user(user), m_lastError(lastError)
{
    m_desktop = Create(nullptr, "#32769", "", 0, win::WS_POPUP | win::WS_VISIBLE, false);
    m_desktop->rect = {0, 0, kScreenWidth, kScreenHeight};
    m_desktop->clientWidth = kScreenWidth;
    m_desktop->clientHeight = kScreenHeight;
}

SimWindows::~SimWindows() = default;

long SimWindows::TotalCalls() const
{
    long total = 0;
    for (const auto& [name, count] : m_calls)
        total += count;
    return total;
}

win::HINSTANCE SimWindows::ModuleHandle() const { return reinterpret_cast<win::HINSTANCE>(kModule); }

// --- windows -------------------------------------------------------------

SimWindows::Window* SimWindows::Lookup(win::HWND handle)
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value < kFirstHandle || (value - kFirstHandle) % 4 != 0)
        return nullptr;
    const std::size_t index = (value - kFirstHandle) / 4;
    if (index >= m_windows.size() || !m_windows[index]->alive)
        return nullptr;
    return m_windows[index].get();
}

SimWindows::Window* SimWindows::Create(Window* parent, const std::string& className,
                                       const std::string& text, win::LONG id, win::DWORD style,
                                       bool ours)
{
    auto window = std::make_unique<Window>();
    window->handle = reinterpret_cast<win::HWND>(kFirstHandle + 4 * m_windows.size());
    window->className = className;
    window->text = text;
    window->id = id;
    window->style = style;
    window->ours = ours;
    window->parent = parent;
    Window* created = window.get();
    m_windows.push_back(std::move(window));
    // A new window lies on top of its siblings; children are added in
    // template order, so each goes below the ones before it.
    if (parent != nullptr) {
        if (parent == m_desktop)
            parent->children.insert(parent->children.begin(), created);
        else
            parent->children.push_back(created);
    }
    return created;
}

SimWindows::Window* SimWindows::Build(Window* parent, const SimWindowSpec& spec, bool ours)
{
    win::DWORD style = parent == m_desktop ? win::WS_POPUP : win::WS_CHILD;
    if (!spec.hidden)
        style |= win::WS_VISIBLE;
    if (spec.disabled)
        style |= win::WS_DISABLED;
    Window* window = Create(parent, spec.className, spec.text, spec.id, style, ours);
    window->process = spec.process;
    window->findsLeft = spec.vanishAfterFinds;
    window->rect = {100, 100, 400, 250};
    window->clientWidth = 294;
    window->clientHeight = 122;
    for (const SimWindowSpec& child : spec.children) {
        SimWindowSpec inherited = child;
        inherited.process = spec.process;
        Build(window, inherited, ours);
    }
    return window;
}

void SimWindows::Destroy(Window* window, const char* how)
{
    if (window == nullptr || !window->alive)
        return;
    for (Window* child : std::vector<Window*>(window->children))
        Destroy(child, nullptr);
    window->alive = false;
    if (window->parent != nullptr) {
        auto& siblings = window->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [&](const auto& t) { return t->window == window; }),
                   m_timers.end());
    m_posts.erase(std::remove_if(m_posts.begin(), m_posts.end(),
                                 [&](const Post& p) { return p.target == window; }),
                  m_posts.end());
    if (window->parent == m_desktop) {
        m_closedCaptions.insert(window->text);
        if (how != nullptr && !window->ours)
            m_trace.Record({{"effect", "window_closed"}, {"dialog", window->text},
                            {"process", window->process}, {"how", how}});
    }
}

SimWindows::Window* SimWindows::TopLevel(Window* window)
{
    while (window->parent != nullptr && window->parent != m_desktop)
        window = window->parent;
    return window;
}

nlohmann::json SimWindows::Describe(Window* window)
{
    if (window == nullptr)
        return nullptr;
    nlohmann::json description = {{"dialog", TopLevel(window)->text},
                                  {"class", window->className},
                                  {"process", window->ours ? "launcher" : window->process}};
    if (window->parent != m_desktop)
        description["id"] = window->id;
    return description;
}

SimWindows::DialogRun* SimWindows::RunOf(Window* window)
{
    for (DialogRun* run : m_runs) {
        if (run->window == window)
            return run;
    }
    return nullptr;
}

void SimWindows::AddWindow(SimWindowSpec spec)
{
    m_pending.push_back(std::move(spec));
    m_added = true;
}

void SimWindows::RevealAdded()
{
    // Windows without a condition exist from the start; those added together
    // appear together, in their order.
    if (m_added) {
        m_added = false;
        RevealDue();
    }
}

void SimWindows::AddUserAction(SimUserAction action)
{
    // In order of their tick; those of one tick in the order given.
    auto place = std::upper_bound(m_actions.begin(), m_actions.end(), action,
                                  [](const SimUserAction& a, const SimUserAction& b) {
                                      return a.afterTicks < b.afterTicks;
                                  });
    m_actions.insert(place, action);
}

void SimWindows::OnShellOpened()
{
    m_shellOpened = true;
    RevealDue();
}

void SimWindows::RevealDue()
{
    std::vector<SimWindowSpec> due;
    std::vector<SimWindowSpec> waiting;
    for (SimWindowSpec& spec : m_pending) {
        const bool ready = spec.afterTicks <= m_ticks && (!spec.onShellOpen || m_shellOpened) &&
                           (spec.afterClosed.empty() || m_closedCaptions.count(spec.afterClosed));
        (ready ? due : waiting).push_back(std::move(spec));
    }
    m_pending = std::move(waiting);
    // The last created lies topmost, so the first of the list is created last.
    for (auto spec = due.rbegin(); spec != due.rend(); ++spec) {
        Build(m_desktop, *spec, false);
        m_trace.Record({{"effect", "window_appeared"}, {"dialog", spec->text},
                        {"class", spec->className}, {"process", spec->process},
                        {"ticks", m_ticks}});
    }
}

// --- the other processes and the person --------------------------------

void SimWindows::DeliverPosts()
{
    while (!m_posts.empty()) {
        const Post post = m_posts.front();
        m_posts.erase(m_posts.begin());
        Window* target = post.target;
        Window* top = TopLevel(target);
        nlohmann::json input = {{"effect", "foreign_input"}, {"dialog", top->text},
                                {"class", target->className}, {"id", target->id},
                                {"message", MessageName(post.message)},
                                {"wparam", post.wParam}, {"lparam", post.lParam}};
        m_trace.Record(input);
        if (!SameClass(target->className, "Button"))
            continue;
        if (post.message == win::WM_LBUTTONDOWN) {
            target->pressed = true;
        } else if (post.message == win::WM_LBUTTONUP && target->pressed) {
            // The click: a confirmation dialog ends, and what was still posted
            // to it is dropped with its windows.
            target->pressed = false;
            if (top != target && SameClass(top->className, "#32770"))
                Destroy(top, "button clicked");
        }
    }
    RevealDue();
}

bool SimWindows::PerformDueAction(DialogRun& run)
{
    if (m_actions.empty() || m_actions.front().afterTicks > m_ticks)
        return false;
    const SimUserAction action = m_actions.front();
    m_actions.erase(m_actions.begin());
    Window* dialog = run.window;
    // Only a dialog on the screen and not disabled (by a message box over it)
    // can be acted on.
    const bool possible = (dialog->style & win::WS_VISIBLE) && !(dialog->style & win::WS_DISABLED);
    m_trace.Record({{"effect", "user_action"}, {"action", ActionName(action.kind)},
                    {"ticks", m_ticks}, {"done", possible}});
    if (!possible)
        return true;
    auto button = [&](win::LONG id) -> win::LPARAM {
        for (Window* child : dialog->children) {
            if (child->id == id)
                return reinterpret_cast<win::LPARAM>(child->handle);
        }
        return 0;
    };
    bool handled = false;
    switch (action.kind) {
    case SimUserAction::Kind::Ok:
    case SimUserAction::Kind::Enter:
        Deliver(dialog, win::WM_COMMAND, win::IDOK, button(win::IDOK), handled);
        break;
    case SimUserAction::Kind::Cancel:
    case SimUserAction::Kind::Escape:
        Deliver(dialog, win::WM_COMMAND, win::IDCANCEL, button(win::IDCANCEL), handled);
        break;
    case SimUserAction::Kind::Close:
        // The close box: WM_SYSCOMMAND, then WM_CLOSE, which the dialog
        // manager turns into the Cancel command.
        Deliver(dialog, win::WM_SYSCOMMAND, win::SC_CLOSE, 0, handled);
        if (!handled)
            Deliver(dialog, win::WM_CLOSE, 0, 0, handled);
        if (!handled)
            Deliver(dialog, win::WM_COMMAND, win::IDCANCEL, button(win::IDCANCEL), handled);
        break;
    case SimUserAction::Kind::Minimize:
        dialog->style |= win::WS_MINIMIZE;
        dialog->clientWidth = action.clientWidth;
        dialog->clientHeight = action.clientHeight;
        Deliver(dialog, win::WM_PAINT, 0, 0, handled);
        break;
    }
    return true;
}

bool SimWindows::DeliverTick()
{
    if (m_timers.empty())
        return false;
    Timer* next = nullptr;
    for (const auto& timer : m_timers) {
        if (next == nullptr || timer->due < next->due ||
            (timer->due == next->due && timer->order < next->order))
            next = timer.get();
    }
    m_clock = next->due;
    next->due += next->period;
    ++m_ticks;
    Window* window = next->window;
    const win::UINT_PTR id = next->id;
    m_trace.Record({{"effect", "timer_tick"}, {"id", id}, {"tick", m_ticks}, {"time_ms", m_clock}});
    bool handled = false;
    Deliver(window, win::WM_TIMER, id, 0, handled);
    return true;
}

void SimWindows::GiveUp(const std::string& reason)
{
    if (m_gaveUp)
        return;
    m_gaveUp = true;
    m_trace.Record({{"effect", "gave_up"}, {"ticks", m_ticks}, {"reason", reason}});
}

win::INT_PTR SimWindows::Deliver(Window* window, win::UINT message, win::WPARAM wParam,
                                 win::LPARAM lParam, bool& handled)
{
    handled = false;
    DialogRun* run = RunOf(window);
    if (run == nullptr)
        return 0;
    const win::INT_PTR result = run->host->DialogProc(window->handle, message, wParam, lParam);
    handled = result != 0;
    return result;
}

// --- dialogs and message boxes -------------------------------------------

win::INT_PTR SimWindows::DialogBoxParamA(win::HINSTANCE instance, int templateId, win::HWND parent,
                                         DialogHost* host)
{
    RevealDue();
    if (reinterpret_cast<std::uintptr_t>(instance) != kModule || templateId != kLauncherTemplate) {
        m_lastError = win::ERROR_RESOURCE_NAME_NOT_FOUND;
        return -1;
    }
    Window* owner = parent != nullptr ? Lookup(parent) : nullptr;
    if (parent != nullptr && owner == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return -1;
    }
    // Created hidden; WS_VISIBLE shows it once its initialisation is done.
    Window* dialog = Create(m_desktop, "#32770", "Vantrel", 0, kLauncherStyle & ~win::WS_VISIBLE, true);
    dialog->owner = owner;
    dialog->rect = {0, 0, kDialogWidth, kDialogHeight};
    dialog->clientWidth = kDialogClientWidth;
    dialog->clientHeight = kDialogClientHeight;
    Window* ok = Create(dialog, "Button", "OK", win::IDOK, 0x50010001, true);
    Create(dialog, "Button", "Cancel", win::IDCANCEL, 0x50010000, true);

    DialogRun run{dialog, host};
    m_runs.push_back(&run);
    host->DialogProc(dialog->handle, win::WM_INITDIALOG, reinterpret_cast<win::WPARAM>(ok->handle),
                     reinterpret_cast<win::LPARAM>(host));
    bool shown = false;
    if (!run.ended && !m_gaveUp && (kLauncherStyle & win::WS_VISIBLE)) {
        dialog->style |= win::WS_VISIBLE;
        shown = true;
        nlohmann::json buttons = nlohmann::json::array();
        for (Window* child : dialog->children)
            buttons.push_back(child->id);
        m_trace.Record({{"effect", "dialog_shown"}, {"caption", dialog->text}, {"buttons", buttons},
                        {"x", dialog->rect.left}, {"y", dialog->rect.top},
                        {"width", dialog->rect.right - dialog->rect.left},
                        {"height", dialog->rect.bottom - dialog->rect.top}});
    }
    while (!run.ended && !m_gaveUp) {
        DeliverPosts();
        if (PerformDueAction(run))
            continue;
        if (m_ticks >= m_tickBudget) {
            GiveUp("tick budget spent while the dialog waits");
            break;
        }
        if (!DeliverTick())
            GiveUp(m_actions.empty() ? "the dialog waits and nothing is left to happen"
                                     : "the dialog waits for ticks that no timer will deliver");
    }
    // The other processes go on handling what they were sent.
    DeliverPosts();
    m_runs.erase(std::remove(m_runs.begin(), m_runs.end(), &run), m_runs.end());
    bool handled = false;
    host->DialogProc(dialog->handle, win::WM_DESTROY, 0, 0);
    host->DialogProc(dialog->handle, win::WM_NCDESTROY, 0, 0);
    (void)handled;
    Destroy(dialog, nullptr);
    if (!run.ended)
        return -1;
    m_trace.Record({{"effect", "dialog_ended"}, {"result", run.result}, {"shown", shown}});
    return run.result;
}

win::BOOL SimWindows::EndDialog(win::HWND dialog, win::INT_PTR result)
{
    Window* window = Lookup(dialog);
    DialogRun* run = window != nullptr ? RunOf(window) : nullptr;
    m_trace.Record({{"effect", "end_dialog"}, {"result", result}, {"ok", run != nullptr}});
    if (run == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return win::FALSE;
    }
    // The last call's result is the one DialogBox returns.
    run->ended = true;
    run->result = result;
    return win::TRUE;
}

int SimWindows::MessageBox(win::HWND owner, const char* text, const char* caption, win::UINT type)
{
    Window* ownerWindow = owner != nullptr ? Lookup(owner) : nullptr;
    // The box is a dialog of the launcher like any other, topmost while open:
    // icon and text first, then its buttons.
    Window* box = Create(m_desktop, "#32770", caption ? caption : "Error", 0, kMessageBoxStyle, true);
    box->owner = ownerWindow;
    Create(box, "Static", "", 0x440, 0x50000003, true);
    Create(box, "Static", text ? text : "", 0xFFFF, 0x50022080, true);
    Create(box, "Button", "OK", win::IDOK, 0x50030001, true);
    if ((type & win::MB_TYPEMASK) == win::MB_OKCANCEL)
        Create(box, "Button", "Cancel", win::IDCANCEL, 0x50010000, true);
    const bool disabledOwner = ownerWindow != nullptr && !(ownerWindow->style & win::WS_DISABLED);
    if (disabledOwner)
        ownerWindow->style |= win::WS_DISABLED;

    const SimUser::Answer answer = m_user.MessageBox(owner, text, caption, type);
    // Its own message loop: the launcher's timers tick on while the person
    // reads the box.
    for (int tick = 0; tick < answer.ticksBefore && !m_gaveUp; ++tick) {
        DeliverPosts();
        if (m_ticks >= m_tickBudget) {
            GiveUp("tick budget spent while a message box is open");
            break;
        }
        if (!DeliverTick())
            break;
    }
    DeliverPosts();

    Destroy(box, nullptr);
    if (disabledOwner && ownerWindow->alive)
        ownerWindow->style &= ~win::WS_DISABLED;
    return answer.answer;
}

win::BOOL SimWindows::DestroyWindow(win::HWND handle)
{
    Window* window = Lookup(handle);
    if (window == nullptr || window == m_desktop) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return win::FALSE;
    }
    m_trace.Record({{"effect", "destroy_window"}, {"window", Describe(window)}});
    Destroy(window, "destroyed");
    return win::TRUE;
}

// --- window state ----------------------------------------------------------

win::BOOL SimWindows::ShowWindow(win::HWND handle, int command)
{
    Window* window = Lookup(handle);
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return win::FALSE;
    }
    const bool wasVisible = (window->style & win::WS_VISIBLE) != 0;
    m_trace.Record({{"effect", "show_window"}, {"window", Describe(window)}, {"command", command},
                    {"was_visible", wasVisible}});
    if (command == win::SW_HIDE)
        window->style &= ~win::WS_VISIBLE;
    else
        window->style |= win::WS_VISIBLE;
    if (command == 2 || command == 6 || command == 7) // minimised
        window->style |= win::WS_MINIMIZE;
    else if (command == 1 || command == 9) // normal, restore
        window->style &= ~win::WS_MINIMIZE;
    return wasVisible ? win::TRUE : win::FALSE;
}

win::BOOL SimWindows::IsIconic(win::HWND handle)
{
    Window* window = Lookup(handle);
    return window != nullptr && (window->style & win::WS_MINIMIZE) ? win::TRUE : win::FALSE;
}

win::BOOL SimWindows::IsWindowVisible(win::HWND handle)
{
    for (Window* window = Lookup(handle); window != nullptr && window != m_desktop;
         window = window->parent) {
        if (!(window->style & win::WS_VISIBLE))
            return win::FALSE;
    }
    return Lookup(handle) != nullptr ? win::TRUE : win::FALSE;
}

win::BOOL SimWindows::GetClientRect(win::HWND handle, win::RECT* rect)
{
    Window* window = Lookup(handle);
    if (window == nullptr || rect == nullptr) {
        m_lastError = window == nullptr ? win::ERROR_INVALID_WINDOW_HANDLE : win::ERROR_INVALID_PARAMETER;
        return win::FALSE;
    }
    *rect = {0, 0, window->clientWidth, window->clientHeight};
    return win::TRUE;
}

win::BOOL SimWindows::GetWindowRect(win::HWND handle, win::RECT* rect)
{
    Window* window = Lookup(handle);
    if (window == nullptr || rect == nullptr) {
        m_lastError = window == nullptr ? win::ERROR_INVALID_WINDOW_HANDLE : win::ERROR_INVALID_PARAMETER;
        return win::FALSE;
    }
    *rect = window->rect;
    return win::TRUE;
}

win::BOOL SimWindows::SetWindowPos(win::HWND handle, win::HWND, int x, int y, int cx, int cy,
                                   win::UINT flags)
{
    Window* window = Lookup(handle);
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return win::FALSE;
    }
    const win::LONG width = window->rect.right - window->rect.left;
    const win::LONG height = window->rect.bottom - window->rect.top;
    if (!(flags & 0x0002)) { // SWP_NOMOVE
        window->rect.left = x;
        window->rect.top = y;
    }
    if (!(flags & win::SWP_NOSIZE)) {
        window->rect.right = window->rect.left + cx;
        window->rect.bottom = window->rect.top + cy;
    } else {
        window->rect.right = window->rect.left + width;
        window->rect.bottom = window->rect.top + height;
    }
    return win::TRUE;
}

win::LRESULT SimWindows::SendMessageA(win::HWND handle, win::UINT message, win::WPARAM wParam,
                                      win::LPARAM lParam)
{
    Window* window = Lookup(handle);
    nlohmann::json lParamShown = lParam;
    if (message == win::WM_SETICON)
        lParamShown = static_cast<std::uintptr_t>(lParam) == kIcon128 ? nlohmann::json("icon 128")
                                                                      : nlohmann::json(lParam);
    nlohmann::json wParamShown = wParam;
    if (message == win::WM_ICONERASEBKGND && wParam == kPaintDc)
        wParamShown = "paint dc";
    m_trace.Record({{"effect", "send_message"}, {"window", Describe(window)},
                    {"message", MessageName(message)}, {"wparam", wParamShown},
                    {"lparam", lParamShown}});
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    bool handled = false;
    const win::INT_PTR result = Deliver(window, message, wParam, lParam, handled);
    if (handled)
        return result;
    // The default processing of what the launcher sends itself.
    if (message == win::WM_SETICON) {
        win::HICON& slot = wParam == win::ICON_BIG ? window->bigIcon : window->smallIcon;
        const win::HICON previous = slot;
        slot = reinterpret_cast<win::HICON>(lParam);
        return reinterpret_cast<win::LRESULT>(previous);
    }
    return 0;
}

win::BOOL SimWindows::PostMessageA(win::HWND handle, win::UINT message, win::WPARAM wParam,
                                   win::LPARAM lParam)
{
    Count("PostMessageA");
    Window* window = Lookup(handle);
    const win::BOOL result = window != nullptr ? win::TRUE : win::FALSE;
    m_trace.Record({{"effect", "post_message"}, {"window", Describe(window)},
                    {"message", MessageName(message)}, {"wparam", wParam}, {"lparam", lParam},
                    {"result", result != 0}});
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return win::FALSE;
    }
    if (!window->ours)
        m_posts.push_back({window, message, wParam, lParam});
    return win::TRUE;
}

win::UINT_PTR SimWindows::SetTimer(win::HWND handle, win::UINT_PTR id, win::UINT elapse)
{
    Count("SetTimer");
    Window* window = Lookup(handle);
    m_trace.Record({{"effect", "timer_set"}, {"id", id}, {"period", elapse}, {"ok", window != nullptr}});
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    // Periods out of range are brought to the system's minimum or maximum.
    const win::UINT period = std::min(std::max(elapse, win::USER_TIMER_MINIMUM), kTimerMaximum);
    for (const auto& timer : m_timers) {
        if (timer->window == window && timer->id == id) {
            timer->period = period;
            timer->due = m_clock + period;
            return id != 0 ? id : 1;
        }
    }
    m_timers.push_back(std::make_unique<Timer>(Timer{window, id, period, m_clock + period, m_timerOrder++}));
    return id != 0 ? id : 1;
}

win::BOOL SimWindows::KillTimer(win::HWND handle, win::UINT_PTR id)
{
    Count("KillTimer");
    Window* window = Lookup(handle);
    const auto found = std::find_if(m_timers.begin(), m_timers.end(), [&](const auto& t) {
        return window != nullptr && t->window == window && t->id == id;
    });
    const bool existed = found != m_timers.end();
    m_trace.Record({{"effect", "timer_killed"}, {"id", id}, {"result", existed}});
    if (!existed) {
        m_lastError = window == nullptr ? win::ERROR_INVALID_WINDOW_HANDLE : win::ERROR_INVALID_PARAMETER;
        return win::FALSE;
    }
    m_timers.erase(found);
    return win::TRUE;
}

// --- the window lists --------------------------------------------------------

win::HWND SimWindows::GetDesktopWindow()
{
    Count("GetDesktopWindow");
    return m_desktop->handle;
}

win::HWND SimWindows::FindWindowExA(win::HWND parent, win::HWND childAfter, const char* className,
                                    const char* windowName)
{
    Count("FindWindowExA");
    RevealAdded();
    Window* within = parent == nullptr ? m_desktop : Lookup(parent);
    if (within == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    auto& children = within->children;
    auto from = children.begin();
    if (childAfter != nullptr) {
        Window* after = Lookup(childAfter);
        from = std::find(children.begin(), children.end(), after);
        // A window that has gone, or is not a child of the parent, ends the
        // search.
        if (after == nullptr || from == children.end()) {
            m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
            return nullptr;
        }
        ++from;
    }
    for (auto it = from; it != children.end(); ++it) {
        Window* window = *it;
        if (className != nullptr && !SameClass(window->className, className))
            continue;
        if (windowName != nullptr && window->text != windowName)
            continue;
        const win::HWND found = window->handle;
        if (window->findsLeft > 0 && --window->findsLeft == 0) {
            // Its process closes it right after it was found.
            Destroy(window, "vanished");
        }
        return found;
    }
    m_lastError = win::ERROR_FILE_NOT_FOUND;
    return nullptr;
}

win::HWND SimWindows::GetWindow(win::HWND handle, win::UINT command)
{
    Count("GetWindow");
    RevealAdded();
    Window* window = Lookup(handle);
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    if (command == win::GW_CHILD)
        return window->children.empty() ? nullptr : window->children.front()->handle;
    if (command == win::GW_OWNER)
        return window->owner != nullptr && window->owner->alive ? window->owner->handle : nullptr;
    if (window->parent == nullptr)
        return nullptr;
    const auto& siblings = window->parent->children;
    const auto at = std::find(siblings.begin(), siblings.end(), window);
    switch (command) {
    case win::GW_HWNDFIRST: return siblings.front()->handle;
    case win::GW_HWNDLAST: return siblings.back()->handle;
    case win::GW_HWNDNEXT: return at + 1 != siblings.end() ? (*(at + 1))->handle : nullptr;
    case win::GW_HWNDPREV: return at != siblings.begin() ? (*(at - 1))->handle : nullptr;
    default: m_lastError = ERROR_INVALID_GW_COMMAND; return nullptr;
    }
}

int SimWindows::GetClassNameA(win::HWND handle, char* className, int maxCount)
{
    Count("GetClassNameA");
    Window* window = Lookup(handle);
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    if (className == nullptr || maxCount <= 0) {
        m_lastError = win::ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    const int length = std::min<int>(static_cast<int>(window->className.size()), maxCount - 1);
    std::memcpy(className, window->className.data(), length);
    className[length] = '\0';
    return length;
}

win::LONG SimWindows::GetWindowLongA(win::HWND handle, int index)
{
    Count("GetWindowLongA");
    Window* window = Lookup(handle);
    if (window == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    switch (index) {
    case win::GWL_ID: return window->id;
    case win::GWL_STYLE: return static_cast<win::LONG>(window->style);
    case win::GWL_EXSTYLE: return window->ours && window->parent == m_desktop ? 0x00040000 : 0;
    default: m_lastError = ERROR_INVALID_INDEX; return 0;
    }
}

// --- painting, metrics, resources ------------------------------------------

win::HDC SimWindows::BeginPaint(win::HWND handle, win::PAINTSTRUCT* paint)
{
    Window* window = Lookup(handle);
    m_trace.Record({{"effect", "begin_paint"}, {"window", Describe(window)}});
    if (window == nullptr || paint == nullptr) {
        m_lastError = win::ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    *paint = {};
    paint->hdc = reinterpret_cast<win::HDC>(kPaintDc);
    paint->rcPaint = {0, 0, window->clientWidth, window->clientHeight};
    return paint->hdc;
}

win::BOOL SimWindows::EndPaint(win::HWND handle, const win::PAINTSTRUCT*)
{
    m_trace.Record({{"effect", "end_paint"}, {"window", Describe(Lookup(handle))}});
    return win::TRUE;
}

win::BOOL SimWindows::DrawIcon(win::HDC dc, int x, int y, win::HICON icon)
{
    const bool ok = reinterpret_cast<std::uintptr_t>(dc) == kPaintDc && icon != nullptr;
    m_trace.Record({{"effect", "draw_icon"}, {"x", x}, {"y", y},
                    {"icon", reinterpret_cast<std::uintptr_t>(icon) == kIcon128
                                 ? nlohmann::json("icon 128")
                                 : nlohmann::json(reinterpret_cast<std::uintptr_t>(icon))},
                    {"result", ok}});
    if (!ok)
        m_lastError = win::ERROR_INVALID_HANDLE;
    return ok ? win::TRUE : win::FALSE;
}

int SimWindows::GetSystemMetrics(int index)
{
    switch (index) {
    case 0: return kScreenWidth;  // SM_CXSCREEN
    case 1: return kScreenHeight; // SM_CYSCREEN
    case win::SM_CXICON:
    case win::SM_CYICON: return 32;
    default: return 0;
    }
}

win::BOOL SimWindows::SystemParametersInfoA(win::UINT action, win::UINT, win::RECT* data, win::UINT)
{
    if (action != win::SPI_GETWORKAREA || data == nullptr) {
        m_lastError = win::ERROR_INVALID_PARAMETER;
        return win::FALSE;
    }
    // A screen without a task bar, as Wine's virtual desktop is.
    *data = {0, 0, kScreenWidth, kScreenHeight};
    return win::TRUE;
}

win::HINSTANCE SimWindows::GetModuleHandleA(const char* moduleName)
{
    if (moduleName != nullptr) {
        m_lastError = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    return ModuleHandle();
}

win::HICON SimWindows::LoadIconA(win::HINSTANCE instance, int iconId)
{
    if (reinterpret_cast<std::uintptr_t>(instance) != kModule || iconId != kLauncherIcon) {
        m_lastError = win::ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    return reinterpret_cast<win::HICON>(kIcon128);
}

win::BOOL SimWindows::WinHelpA(win::HWND window, const char* helpFile, win::UINT command,
                               win::UINT_PTR data)
{
    m_trace.Record({{"effect", "win_help"}, {"window", Describe(Lookup(window))},
                    {"file", TextOrNull(helpFile)}, {"command", command}, {"data", data}});
    return win::TRUE;
}
