// The application object of the framework: one static object per program,
// whose InitInstance is called once by the entry code.
#pragma once

#include "framework/CmdTarget.h"
#include "framework/CommandLineInfo.h"
#include "platform/Platform.h"

class CWnd;

// The framework's Help command.
constexpr win::UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(Platform& os);
    ~CWinApp() override;

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

    // Icon resource `iconId` of the resource module, at the system's
    // standard icon size; null when there is none.
    win::HICON LoadIcon(int iconId);

    // The framework's help handler: the program's help file (its own path
    // with the extension ".HLP") at its contents, for the main window.
    void OnHelp();

    Platform& GetPlatform() const { return m_os; }

    CWnd* m_pMainWnd = nullptr;
    // The module that holds the program's resources; taken on first use.
    win::HINSTANCE m_hInstance = nullptr;

protected:
    Platform& m_os;
};

// The one application object, once constructed.
CWinApp* AfxGetApp();

// The application's resource module.
win::HINSTANCE AfxGetResourceHandle();

// The framework's entry: runs the application object and gives the exit code.
int AfxWinMain();
