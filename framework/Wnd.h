// A window of the program, as an object that owns its handle.
#pragma once

#include "framework/CmdTarget.h"
#include "platform/Platform.h"

class CWnd : public CCmdTarget {
public:
    // Windows belong to the application object and act through its platform.
    CWnd();
    // Destroys the window if it still exists.
    ~CWnd() override;

    win::HWND m_hWnd = nullptr;

    win::BOOL ShowWindow(int command);
    win::LRESULT SendMessage(win::UINT message, win::WPARAM wParam = 0, win::LPARAM lParam = 0);
    win::UINT_PTR SetTimer(win::UINT_PTR id, win::UINT elapse);
    win::BOOL KillTimer(win::UINT_PTR id);
    win::BOOL IsIconic() const;
    void GetClientRect(win::RECT* rect) const;
    // A message box owned by this window.
    int MessageBox(const char* text, const char* caption = nullptr, win::UINT type = 0);
    // Centres the window over its owner when that is shown, else over the
    // work area of the desktop, and keeps it inside the work area.
    void CenterWindow();
    win::BOOL DestroyWindow();

    // One message of the window: the message maps first, then commands the
    // window has no entry for go on to the application object. False when
    // nothing took the message or its handler asked for default processing;
    // the system's default processing then follows.
    bool WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                    win::LRESULT& result);

    Platform& GetPlatform() const { return m_os; }

protected:
    // Asks for the system's default processing of the message being handled,
    // which runs once the handler has returned; its result is not known yet,
    // so 0 comes back.
    win::LRESULT Default();

    // Default handlers, which leave the message to the system.
    void OnPaint();
    void OnTimer(win::UINT_PTR id);

    Platform& m_os;

private:
    bool* m_defaultAsked = nullptr; // of the message being handled; nested messages stack
};
