#include "framework/Wnd.h"

#include "framework/WinApp.h"
#include "platform/WinConstants.h"

CWnd::CWnd() : m_os(AfxGetApp()->GetPlatform()) {}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

win::BOOL CWnd::ShowWindow(int command) { return m_os.ShowWindow(m_hWnd, command); }

win::LRESULT CWnd::SendMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam)
{
    return m_os.SendMessageA(m_hWnd, message, wParam, lParam);
}

win::UINT_PTR CWnd::SetTimer(win::UINT_PTR id, win::UINT elapse)
{
    return m_os.SetTimer(m_hWnd, id, elapse);
}

win::BOOL CWnd::KillTimer(win::UINT_PTR id) { return m_os.KillTimer(m_hWnd, id); }

win::BOOL CWnd::IsIconic() const { return m_os.IsIconic(m_hWnd); }

void CWnd::GetClientRect(win::RECT* rect) const { m_os.GetClientRect(m_hWnd, rect); }

int CWnd::MessageBox(const char* text, const char* caption, win::UINT type)
{
    return m_os.MessageBoxA(m_hWnd, text, caption, type);
}

void CWnd::CenterWindow()
{
    win::RECT area = {};
    if (!m_os.SystemParametersInfoA(win::SPI_GETWORKAREA, 0, &area, 0))
        return;
    win::RECT over = area;
    const win::HWND owner = m_os.GetWindow(m_hWnd, win::GW_OWNER);
    if (owner != nullptr && m_os.IsWindowVisible(owner) && !m_os.IsIconic(owner))
        m_os.GetWindowRect(owner, &over);

    win::RECT window = {};
    if (!m_os.GetWindowRect(m_hWnd, &window))
        return;
    const win::LONG width = window.right - window.left;
    const win::LONG height = window.bottom - window.top;
    win::LONG x = (over.left + over.right) / 2 - width / 2;
    win::LONG y = (over.top + over.bottom) / 2 - height / 2;
    if (x + width > area.right)
        x = area.right - width;
    if (x < area.left)
        x = area.left;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (y < area.top)
        y = area.top;
    m_os.SetWindowPos(m_hWnd, nullptr, x, y, 0, 0,
                      win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
}

win::BOOL CWnd::DestroyWindow()
{
    const win::BOOL result = m_os.DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return result;
}

bool CWnd::WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                      win::LRESULT& result)
{
    result = 0;
    const win::UINT id = static_cast<win::UINT>(wParam & 0xFFFF);
    const win::UINT notification = static_cast<win::UINT>((wParam >> 16) & 0xFFFF);
    // Of WM_COMMAND only commands proper (menus, accelerators, button clicks)
    // reach the maps; other control notifications are left to the system.
    if (message == win::WM_COMMAND && notification != win::BN_CLICKED)
        return false;
    const MessageMapEntry* entry = FindEntry(message, id);
    if (entry == nullptr) {
        if (message == win::WM_COMMAND && AfxGetApp() != nullptr)
            return AfxGetApp()->OnCommand(id);
        return false;
    }
    bool defaultAsked = false;
    bool* outer = m_defaultAsked;
    m_defaultAsked = &defaultAsked;
    result = entry->call(*this, wParam, lParam);
    m_defaultAsked = outer;
    return !defaultAsked;
}

win::LRESULT CWnd::Default()
{
    if (m_defaultAsked != nullptr)
        *m_defaultAsked = true;
    return 0;
}

void CWnd::OnPaint() { Default(); }

void CWnd::OnTimer(win::UINT_PTR) { Default(); }
