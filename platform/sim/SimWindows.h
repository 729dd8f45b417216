// The window manager of the simulated machine: the top-level windows of every
// process in Z order with their children, the launcher's own dialog built
// from template 102, message boxes, timers, and the person in front of the
// screen, who acts on the dialog and answers message boxes as the scenario
// says.
//
// Time passes in timer ticks only. A modal dialog's loop, and the nested loop
// of every message box, deliver the ticks of the launcher's timers; between
// two messages the other processes handle what was posted to them (a
// confirmation dialog closes when one of its buttons is clicked). A run that
// could never end (a timer that no press ever stops, or nothing left that
// could happen) stops after a budget of ticks with a "gave_up" effect.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"
#include "platform/sim/SimUser.h"

// A window of another process, as a scenario describes it.
struct SimWindowSpec {
    std::string className;
    std::string text;
    win::LONG id = 0;
    bool hidden = false;
    bool disabled = false;
    std::vector<SimWindowSpec> children; // in Z order, topmost first

    // Top-level windows only: when the window appears and vanishes.
    std::string process = "foreign";
    int afterTicks = 0;       // once this many ticks were delivered
    bool onShellOpen = false; // once the shell has opened a file
    std::string afterClosed;  // once the top-level window of this caption has closed
    int vanishAfterFinds = 0; // vanishes right after FindWindowExA has found it this often
};

// Something the person does to the launcher's dialog.
struct SimUserAction {
    enum class Kind { Ok, Cancel, Enter, Escape, Close, Minimize };
    Kind kind = Kind::Ok;
    int afterTicks = 0;                         // once this many ticks were delivered
    win::LONG clientWidth = 0, clientHeight = 0; // Minimize: the client area then
};

const char* ActionName(SimUserAction::Kind kind);

class SimWindows {
public:
    SimWindows(EffectTrace& trace, SimUser& user, win::DWORD& lastError);
    ~SimWindows();

    // Windows of the scenario, in Z order: of those that appear together the
    // first lies topmost.
    void AddWindow(SimWindowSpec spec);
    void AddUserAction(SimUserAction action);
    void SetTickBudget(int ticks) { m_tickBudget = ticks; }
    // The shell has opened a file: windows waiting for that appear.
    void OnShellOpened();

    // Window-manager calls by function name, for measurements.
    const std::map<std::string, long>& CallCounts() const { return m_calls; }
    long TotalCalls() const;
    void ResetCallCounts() { m_calls.clear(); }
    int TicksDelivered() const { return m_ticks; }
    bool GaveUp() const { return m_gaveUp; }

    // The module of the launcher's own file and its resources.
    win::HINSTANCE ModuleHandle() const;

    // Platform
    win::INT_PTR DialogBoxParamA(win::HINSTANCE instance, int templateId, win::HWND parent,
                                 DialogHost* host);
    win::BOOL EndDialog(win::HWND dialog, win::INT_PTR result);
    win::BOOL DestroyWindow(win::HWND window);
    win::BOOL ShowWindow(win::HWND window, int command);
    win::BOOL IsIconic(win::HWND window);
    win::BOOL IsWindowVisible(win::HWND window);
    win::BOOL GetClientRect(win::HWND window, win::RECT* rect);
    win::BOOL GetWindowRect(win::HWND window, win::RECT* rect);
    win::BOOL SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                           win::UINT flags);
    win::LRESULT SendMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                              win::LPARAM lParam);
    win::BOOL PostMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                           win::LPARAM lParam);
    win::UINT_PTR SetTimer(win::HWND window, win::UINT_PTR id, win::UINT elapse);
    win::BOOL KillTimer(win::HWND window, win::UINT_PTR id);
    win::HWND GetDesktopWindow();
    win::HWND FindWindowExA(win::HWND parent, win::HWND childAfter, const char* className,
                            const char* windowName);
    win::HWND GetWindow(win::HWND window, win::UINT command);
    int GetClassNameA(win::HWND window, char* className, int maxCount);
    win::LONG GetWindowLongA(win::HWND window, int index);
    win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint);
    win::BOOL EndPaint(win::HWND window, const win::PAINTSTRUCT* paint);
    win::BOOL DrawIcon(win::HDC dc, int x, int y, win::HICON icon);
    int GetSystemMetrics(int index);
    win::BOOL SystemParametersInfoA(win::UINT action, win::UINT param, win::RECT* data,
                                    win::UINT winIni);
    win::HINSTANCE GetModuleHandleA(const char* moduleName);
    win::HICON LoadIconA(win::HINSTANCE instance, int iconId);
    win::BOOL WinHelpA(win::HWND window, const char* helpFile, win::UINT command,
                       win::UINT_PTR data);
    int MessageBox(win::HWND owner, const char* text, const char* caption, win::UINT type);

private:
    struct Window;
    struct DialogRun;
    struct Timer;
    struct Post {
        Window* target;
        win::UINT message;
        win::WPARAM wParam;
        win::LPARAM lParam;
    };

    Window* Lookup(win::HWND handle);
    Window* Create(Window* parent, const std::string& className, const std::string& text,
                   win::LONG id, win::DWORD style, bool ours);
    Window* Build(Window* parent, const SimWindowSpec& spec, bool ours);
    void Destroy(Window* window, const char* how);
    Window* TopLevel(Window* window);
    nlohmann::json Describe(Window* window);
    DialogRun* RunOf(Window* window);

    void RevealDue();
    void RevealAdded();
    void DeliverPosts();
    bool PerformDueAction(DialogRun& run);
    bool DeliverTick();
    void GiveUp(const std::string& reason);
    win::INT_PTR Deliver(Window* window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                         bool& handled);
    void Count(const char* function) { ++m_calls[function]; }

    EffectTrace& m_trace;
    SimUser& m_user;
    win::DWORD& m_lastError;

    std::vector<std::unique_ptr<Window>> m_windows; // by handle number; never shrinks
    Window* m_desktop = nullptr;
    std::vector<SimWindowSpec> m_pending;
    std::vector<SimUserAction> m_actions;
    std::vector<Post> m_posts;
    std::vector<DialogRun*> m_runs;
    std::vector<std::unique_ptr<Timer>> m_timers;
    std::set<std::string> m_closedCaptions;
    std::map<std::string, long> m_calls;
    bool m_added = false; // windows added since the last look at what is due
    bool m_shellOpened = false;
    bool m_gaveUp = false;
    int m_ticks = 0;
    int m_tickBudget = 200;
    std::uint64_t m_clock = 0; // milliseconds
    long m_timerOrder = 0;
};
