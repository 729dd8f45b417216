// The device context of one paint of a window, from BeginPaint to EndPaint.
#pragma once

#include "framework/Wnd.h"

class CPaintDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    win::HDC GetSafeHdc() const { return m_hDC; }
    win::BOOL DrawIcon(int x, int y, win::HICON icon);

    win::PAINTSTRUCT m_ps = {};

private:
    Platform& m_os;
    win::HWND m_hWnd;
    win::HDC m_hDC;
};
