#include "framework/WinApp.h"

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

CWinApp* AfxGetApp() { return g_app; }

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
