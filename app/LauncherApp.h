// The application object: it owns every value of a run, and its InitInstance
// is the whole run, in a fixed order.
#pragma once

#include <cstdint>

#include "framework/WinApp.h"
#include "settings/LauncherSettings.h"

class CLauncherApp : public CWinApp {
public:
    static constexpr int kPathSize = 512;
    static constexpr int kMatchedDeviceSlots = 10;
    using PathText = char[kPathSize];

    explicit CLauncherApp(Platform& os);

    win::BOOL InitInstance() override;

protected:
    const MessageMap* GetMessageMap() const override;

public:

    // Starts `commandLine` as a child, with `programPath` as the program file,
    // and waits until it has ended. Appends " Silence" to `commandLine` in
    // silent mode. A null `programPath`, or a command that can't be formed,
    // counts as a failed start. 1 when the child ran, 0 when it failed to start.
    int RunInstaller(const char* programPath, PathText& commandLine);

    // Starts the additional packages of the running Windows flavour.
    // `programFolder` may be null when the program's folder is unknown.
    void LaunchAdditionalPackages(const char* programFolder, const char* hotfixParams);

    // 1 when `text` from its last `character` on equals `extension` exactly.
    static int HasExtension(const char* text, char character, const char* extension);

    int ReadSettings();
    int CheckFinishInstallFlag();

    // Device maintenance.
    int ScanDeviceIds();
    int ReconfigureAudioClass();

    LauncherSettings Settings = {};

    std::int32_t IsWinNT6 = 0;
    std::int32_t Is64BitOS = 0;
    std::int32_t IsVistaSP1 = 0;
    std::int32_t IsWin7 = 0;

    std::int32_t Silent = 0;
    std::int32_t FinishInstalled = 0;
    std::int32_t HotfixLaunched = 0;

    char MatchedDeviceIds[kMatchedDeviceSlots][kPathSize] = {};
    std::int32_t MatchedDeviceCount = 0;

    // A settings text whose value in the file was longer than its buffer: it
    // holds only the first 255 characters, and no path or command is formed
    // from it.
    bool IsCutText(const char* settingsText) const;
    void NoteCutText(const char* settingsText);

private:
    static const MessageMapEntry kMessageEntries[];
    static const MessageMap kMessageMap;

    static constexpr int kMaxCutTexts = 64; // more than the record has texts

    const char* m_cutTexts[kMaxCutTexts] = {};
    int m_cutTextCount = 0;

    void RunDriverInstaller(const char* programFolder);
    void ShowMessage(const char* text);
};

// The folder that holds the program's own file: everything before the last
// separator of its path. False when the path is unknown or does not fit.
bool GetProgramFolder(Platform& os, CLauncherApp::PathText& folder);

// Appends ".exe" when the file name at the end of `path` has no extension,
// as CreateProcess does for the program of a command line. False when the
// result does not fit.
bool AddDefaultExtension(CLauncherApp::PathText& path);
