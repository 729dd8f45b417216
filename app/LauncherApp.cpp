#include "app/LauncherApp.h"

#include "platform/WinConstants.h"
#include "probes/OsProbes.h"
#include "text/Text.h"
#include "ui/LauncherDlg.h"

const MessageMapEntry CLauncherApp::kMessageEntries[] = {
    // message         command ID  handler
    {win::WM_COMMAND, ID_HELP, &handler::Plain<CWinApp, &CWinApp::OnHelp>},
    {0, 0, nullptr}};

const MessageMap CLauncherApp::kMessageMap = {&CWinApp::kMessageMap, kMessageEntries};

const MessageMap* CLauncherApp::GetMessageMap() const { return &kMessageMap; }

CLauncherApp::CLauncherApp(Platform& os) : CWinApp(os) {}

win::BOOL CLauncherApp::InitInstance()
{
    CCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    commandLine.m_nShellCommand = CCommandLineInfo::FileNothing;
    if (!ProcessShellCommand(commandLine))
        return win::FALSE;

    // "silence" (8 characters compared, the terminator included): only the
    // whole word, in any letter case.
    if (text::EqualsIgnoreCaseN(commandLine.m_strFileName, "silence", 8))
        Silent = 1;

    ReadSettings();

    IsWinNT6 = DetectWinNT6(m_os) ? 1 : 0;
    Is64BitOS = Detect64BitOS(m_os) ? 1 : 0;
    IsVistaSP1 = DetectVistaSP1(m_os) ? 1 : 0;
    IsWin7 = DetectWin7(m_os) ? 1 : 0;

    char hotfixParams[kPathSize] = {};
    text::Join(hotfixParams, {"/quiet", " /norestart"});

    PathText programFolder;
    const char* folder = GetProgramFolder(m_os, programFolder) ? programFolder : nullptr;

    RunDriverInstaller(folder);

    if (IsWinNT6 == 0 || Settings.EnableAudioClass != 0) {
        if (ReconfigureAudioClass() != 0)
            ShowMessage(Settings.RePlugin);
    }

    if (Settings.CheckFinishInstall != 0)
        CheckFinishInstallFlag();
    else
        FinishInstalled = 1;

    if (FinishInstalled != 0) {
        if (Settings.MustRePlugin != 0)
            ShowMessage(Settings.RePlugin);
        if (Settings.AnotherAPNum >= 1)
            LaunchAdditionalPackages(folder, hotfixParams);
    }

    // The completion dialog ends the run. It is the main window only while it
    // exists.
    {
        CLauncherDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return win::FALSE;
}

void CLauncherApp::RunDriverInstaller(const char* programFolder)
{
    const LauncherSettings& s = Settings;
    const char* path = nullptr;
    const char* file = nullptr;
    if (IsWinNT6) {
        path = Is64BitOS ? s.SetupVistax64Path : s.SetupVistax86Path;
        file = Is64BitOS ? s.SetupVistax64Exe : s.SetupVistax86Exe;
    } else {
        path = Is64BitOS ? s.SetupXPx64Path : s.SetupXPx86Path;
        file = Is64BitOS ? s.SetupXPx64Exe : s.SetupXPx86Exe;
    }
    if (path[0] == '\0' || file[0] == '\0') {
        ShowMessage(s.NoSetupPath);
        return;
    }

    PathText installerCommand;
    PathText programPath;
    const bool formed = !IsCutText(path) && !IsCutText(file) &&
                        text::Join(installerCommand, {programFolder, "\\", path, "\\", file}) &&
                        text::Copy(programPath, installerCommand) &&
                        AddDefaultExtension(programPath);
    RunInstaller(formed ? programPath : nullptr, installerCommand);
}

void CLauncherApp::ShowMessage(const char* message)
{
    m_os.MessageBoxA(nullptr, message, Settings.Setup, win::MB_OK);
}

bool GetProgramFolder(Platform& os, CLauncherApp::PathText& folder)
{
    const win::DWORD length = os.GetModuleFileNameA(folder, sizeof folder);
    // A result of the whole buffer means the path was cut (and, on Windows
    // XP, left without a terminator).
    if (length == 0 || length >= sizeof folder) {
        folder[0] = '\0';
        return false;
    }
    folder[length] = '\0';
    char* end = nullptr;
    for (char* p = folder; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/')
            end = p;
    }
    if (end == nullptr) {
        folder[0] = '\0';
        return false;
    }
    *end = '\0';
    return true;
}

bool AddDefaultExtension(CLauncherApp::PathText& path)
{
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    if (text::FindLast(name, '.') != nullptr)
        return true;
    return text::Append(path, ".exe");
}
