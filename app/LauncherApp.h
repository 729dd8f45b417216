// The application object: it owns every value of a run, and its InitInstance
// is the whole run, in a fixed order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/DeviceChannel.h"
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
    // Starts `commandLine` as a child and waits until it has ended. The
    // program file is found by FindProgramFile, with candidates ending only
    // at blanks from `nameStart` on (behind the program folder), and is
    // named to the system explicitly; the command line stays as formed, but
    // for the " Silence" appended in silent mode. An empty command, one that
    // can't be formed whole and one that names no existing file count as a
    // failed start. 1 when the child ran, 0 when it failed to start.
    int RunInstaller(PathText& commandLine, std::size_t nameStart);

    // Starts the additional packages of the running Windows flavour.
    // `programFolder` may be null when the program's folder is unknown.
    void LaunchAdditionalPackages(const char* programFolder, const char* hotfixParams);

    // 1 when `text` from its last `character` on equals `extension` exactly.
    // The text is read by characters of the system's ANSI code page.
    int HasExtension(const char* text, char character, const char* extension) const;

    int ReadSettings();
    int CheckFinishInstallFlag();

    // Device maintenance.
    int ScanDeviceIds();
    int RemoveMatchedDeviceNodes();
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

    // The channel to the capture driver; open only within ReconfigureAudioClass.
    DeviceChannel& Channel() { return m_channel; }

    // A text field of `Settings` whose value in the file was longer than its
    // buffer: it holds only the first 255 characters, and no path or command
    // is formed from it. Texts outside the record are never marked.
    bool IsCutText(const char* settingsText) const;
    void NoteCutText(const char* settingsText);

private:
    // One mark per text field of the record, at the field's place: its
    // offset in the record in whole texts. Two text fields never share a
    // place, since each spans a whole text.
    static constexpr std::size_t kSettingsPlaces =
        sizeof(LauncherSettings) / LauncherSettings::kTextSize + 1;
    // The place of the field that holds `text`, or -1 outside the record.
    int SettingsPlace(const char* text) const;
    static const MessageMapEntry kMessageEntries[];
    static const MessageMap kMessageMap;


    DeviceChannel m_channel{m_os};

    bool m_cutTexts[kSettingsPlaces] = {};

    void RunDriverInstaller(const char* programFolder);
    void ShowMessage(const char* text);
};

// The folder that holds the program's own file: everything before the last
// separator of its path. False when the path is unknown or does not fit.
bool GetProgramFolder(Platform& os, CLauncherApp::PathText& folder);

// Where the part of a command behind `programFolder` and its separator
// begins.
std::size_t NameStart(const char* programFolder);

// Appends ".exe" when the file name at the end of `path` has no extension,
// as CreateProcess does for the program of a command line. False when the
// result does not fit.
bool AddDefaultExtension(Platform& os, CLauncherApp::PathText& path);

// The program file of an unquoted command line, found as CreateProcessA
// finds it: the text up to each blank in turn, then the whole text, each
// with ".exe" added where its file name has no extension; the first that
// names an existing file (not a folder) is the program. Only blanks at or
// after `nameStart` end a candidate, so a blank in the program folder never
// does. False, with `program` empty, when no candidate names a file.
bool FindProgramFile(Platform& os, const char* commandLine, std::size_t nameStart,
                     CLauncherApp::PathText& program);
