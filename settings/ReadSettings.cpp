#include "app/LauncherApp.h"

#include "text/Text.h"

namespace {

// Reads keys of section "Const" of one settings file. Without a file (its path
// unknown or too long) every key takes its default.
class SettingsReader {
public:
    SettingsReader(CLauncherApp& app, Platform& os, const char* path)
        : m_app(app), m_os(os), m_path(path)
    {
    }

    // A value longer than the text's 255 characters is cut to them; one byte
    // more in the read tells the cut text from one that fits exactly. A cut
    // field of the record is marked.
    void ReadText(const char* key, const char* defaultText, LauncherSettings::Text& out)
    {
        if (Read(key, defaultText, out))
            m_app.NoteCutText(out);
    }

    // atoi of the first 255 characters; nothing is marked for a number.
    std::int32_t ReadNumber(const char* key)
    {
        LauncherSettings::Text value;
        Read(key, "0", value);
        return text::ToInt32(value);
    }

    // Key `base` followed by the decimal index, from 0.
    void ReadIndexedText(const char* base, std::int32_t index, LauncherSettings::Text& out)
    {
        char digits[12];
        text::FormatInt(digits, index);
        char key[LauncherSettings::kTextSize];
        if (!text::Join(key, {base, digits}))
            key[0] = '\0';
        ReadText(key, "", out);
    }

private:
    // True when the value was cut to fit `out`.
    bool Read(const char* key, const char* defaultText, LauncherSettings::Text& out)
    {
        if (m_path == nullptr) {
            text::Copy(out, defaultText);
            return false;
        }
        char value[sizeof out + 1];
        const win::DWORD length =
            m_os.GetPrivateProfileStringA("Const", key, defaultText, value, sizeof value, m_path);
        value[sizeof out - 1] = '\0';
        text::Copy(out, value);
        return length >= sizeof out;
    }

    CLauncherApp& m_app;
    Platform& m_os;
    const char* m_path;
};

std::int32_t AtMost(std::int32_t value, std::int32_t capacity)
{
    return value > capacity ? capacity : value;
}

} // namespace

int CLauncherApp::SettingsPlace(const char* text) const
{
    const auto record = reinterpret_cast<std::uintptr_t>(&Settings);
    const auto at = reinterpret_cast<std::uintptr_t>(text);
    if (at < record || at - record >= sizeof Settings)
        return -1;
    return static_cast<int>((at - record) / LauncherSettings::kTextSize);
}

void CLauncherApp::NoteCutText(const char* settingsText)
{
    const int place = SettingsPlace(settingsText);
    if (place >= 0)
        m_cutTexts[place] = true;
}

bool CLauncherApp::IsCutText(const char* settingsText) const
{
    const int place = SettingsPlace(settingsText);
    return place >= 0 && m_cutTexts[place];
}

int CLauncherApp::ReadSettings()
{
    PathText settingsPath;
    const bool havePath = GetProgramFolder(m_os, settingsPath) &&
                          text::Append(settingsPath, "\\Setting.ini");
    SettingsReader reader(*this, m_os, havePath ? settingsPath : nullptr);
    LauncherSettings& s = Settings;

    // The lists have fixed room; a larger count in the file is capped here so
    // that every later walk of a list stays within it.
    s.DeviceIDNum = AtMost(reader.ReadNumber("DeviceIDNum"), LauncherSettings::kDeviceIdSlots);
    if (s.DeviceIDNum != 0) {
        for (std::int32_t i = 0; i < s.DeviceIDNum; ++i) {
            reader.ReadIndexedText("DevDrvID", i, s.DevDrvID[i]);
            reader.ReadIndexedText("DeviceIDSection", i, s.DeviceIDSection[i]);
        }
        ScanDeviceIds();
    }

    reader.ReadText("SetupVistax64Path", "Vista_x64", s.SetupVistax64Path);
    reader.ReadText("SetupVistax64Exe", "SetupDrv.exe", s.SetupVistax64Exe);
    reader.ReadText("SetupVistax86Path", "Vista_x86", s.SetupVistax86Path);
    reader.ReadText("SetupVistax86Exe", "SetupDrv.exe", s.SetupVistax86Exe);
    reader.ReadText("SetupXPx64Path", "XP_x64", s.SetupXPx64Path);
    reader.ReadText("SetupXPx64Exe", "SetupDrv.exe", s.SetupXPx64Exe);
    reader.ReadText("SetupXPx86Path", "XP_x86", s.SetupXPx86Path);
    reader.ReadText("SetupXPx86Exe", "SetupDrv.exe", s.SetupXPx86Exe);

    // The word "silence" on the command line outranks the file.
    if (Silent == 0)
        Silent = reader.ReadNumber("SilenceMode");

    s.EnableAudioClass = reader.ReadNumber("EnableAudioClass");
    s.EnableXPAudioClass = reader.ReadNumber("EnableXPAudioClass");
    s.DelAudioRegKey = reader.ReadNumber("DelAudioRegKey");
    s.DelAudioRegKeyMessage = reader.ReadNumber("DelAudioRegKeyMessage");
    s.EnableAudioVol = reader.ReadNumber("EnableAudioVol");
    s.EnableTimer = reader.ReadNumber("EnableTimer");
    s.WaitTimer = reader.ReadNumber("WaitTimer");
    s.CheckFinishInstall = reader.ReadNumber("CheckFinishInstall");
    s.AnotherAPNum = AtMost(reader.ReadNumber("AnotherAPNum"), LauncherSettings::kPackageSlots);
    s.HotfixSilenceMode = reader.ReadNumber("HotfixSilenceMode");

    for (std::int32_t i = 0; i < s.AnotherAPNum; ++i) {
        reader.ReadIndexedText("AnotherAPVistax64Exe", i, s.AnotherAPVistax64Exe[i]);
        reader.ReadIndexedText("AnotherAPVistax86Exe", i, s.AnotherAPVistax86Exe[i]);
        reader.ReadIndexedText("AnotherAPXPx64Exe", i, s.AnotherAPXPx64Exe[i]);
        reader.ReadIndexedText("AnotherAPXPx86Exe", i, s.AnotherAPXPx86Exe[i]);
    }

    reader.ReadText("Setup", "SetupDrv", s.Setup);
    reader.ReadText("NoSetupPath", "The driver of this version does not support this operating system.",
                    s.NoSetupPath);
    reader.ReadText("RePlugin", "Please Re-Plugin the USB device on your computer.", s.RePlugin);
    reader.ReadText("HotfixReBoot", "Please Reboot your computer.", s.HotfixReBoot);
    reader.ReadText("LaunchAnotherAPParam", "0", s.LaunchAnotherAPParam);

    s.MustRePlugin = reader.ReadNumber("MustRePlugin");
    s.HotfixMustRebootMessage = reader.ReadNumber("HotfixMustRebootMessage");
    return 1;
}
