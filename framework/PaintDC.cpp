#include "framework/PaintDC.h"

CPaintDC::CPaintDC(CWnd* window)
    : m_os(window->GetPlatform()), m_hWnd(window->m_hWnd), m_hDC(m_os.BeginPaint(m_hWnd, &m_ps))
{
}

CPaintDC::~CPaintDC() { m_os.EndPaint(m_hWnd, &m_ps); }

win::BOOL CPaintDC::DrawIcon(int x, int y, win::HICON icon)
{
    return m_os.DrawIcon(m_hDC, x, y, icon);
}
