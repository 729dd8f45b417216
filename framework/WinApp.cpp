#include "framework/WinApp.h"

#include "framework/Wnd.h"
#include "platform/WinConstants.h"
#include "text/Text.h"

namespace {

CWinApp* g_app = nullptr;

} // namespace

CWinApp::CWinApp(Platform& os) : m_os(os) { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

win::BOOL CWinApp::InitInstance() { return 0; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::ParseCommandLine(CCommandLineInfo& info)
{
    // One argument of look-ahead tells the parser which argument is the last.
    CommandLineArguments arguments(m_os.GetCommandLineA());
    char buffers[2][sizeof info.m_strFileName];
    char* current = buffers[0];
    char* next = buffers[1];
    bool have = arguments.Next(current, sizeof buffers[0]);
    while (have) {
        const bool haveNext = arguments.Next(next, sizeof buffers[1]);
        const bool isFlag = current[0] == '-' || current[0] == '/';
        info.ParseParam(isFlag ? current + 1 : current, isFlag, !haveNext);
        char* done = current;
        current = next;
        next = done;
        have = haveNext;
    }
}

win::BOOL CWinApp::ProcessShellCommand(const CCommandLineInfo& info)
{
    return info.m_nShellCommand == CCommandLineInfo::FileNothing ? 1 : 0;
}

win::HICON CWinApp::LoadIcon(int iconId)
{
    return m_os.LoadIconA(AfxGetResourceHandle(), iconId);
}

void CWinApp::OnHelp()
{
    char helpFile[512];
    const win::DWORD length = m_os.GetModuleFileNameA(helpFile, sizeof helpFile);
    if (length == 0 || length >= sizeof helpFile)
        return;
    helpFile[length] = '\0';
    char* dot = const_cast<char*>(text::FindLast(helpFile, '.'));
    const char* separator = text::FindLast(helpFile, '\\');
    if (dot != nullptr && (separator == nullptr || dot > separator))
        *dot = '\0';
    if (!text::Append(helpFile, ".HLP"))
        return;
    const win::HWND window = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    m_os.WinHelpA(window, helpFile, win::HELP_FINDER, 0);
}

CWinApp* AfxGetApp() { return g_app; }

win::HINSTANCE AfxGetResourceHandle()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return nullptr;
    if (app->m_hInstance == nullptr)
        app->m_hInstance = app->GetPlatform().GetModuleHandleA(nullptr);
    return app->m_hInstance;
}

int AfxWinMain()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    // Without a message loop of its own the framework ends the program once
    // InitInstance returns, whatever it answered.
    app->InitInstance();
    return app->ExitInstance();
}
