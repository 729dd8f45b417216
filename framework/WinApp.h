// The application object of the framework: one static object per program,
// whose InitInstance is called once by the entry code.
#pragma once

#include "framework/CommandLineInfo.h"
#include "platform/Platform.h"

class CWnd;

class CWinApp {
public:
    explicit CWinApp(Platform& os);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The whole work of the program. FALSE: no message loop is run and the
    // program ends.
    virtual win::BOOL InitInstance();
    // The process's exit code.
    virtual int ExitInstance();

    // Fills `info` from the process's arguments.
    void ParseCommandLine(CCommandLineInfo& info);
    // Carries out the shell command of `info`. The framework has no document
    // support, so only FileNothing succeeds.
    win::BOOL ProcessShellCommand(const CCommandLineInfo& info);

    CWnd* m_pMainWnd = nullptr;

protected:
    Platform& m_os;
};

// The one application object, once constructed.
CWinApp* AfxGetApp();

// The framework's entry: runs the application object and gives the exit code.
int AfxWinMain();
