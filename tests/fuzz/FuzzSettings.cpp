// Arbitrary "Setting.ini" bytes through the profile reader of the simulated
// machine and through ReadSettings. Every field of the record must be a
// terminated text or a number as the rules give it: the first 255
// characters of the value or its default, the cut ones marked, the counts
// within the lists' room.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "app/LauncherApp.h"
#include "platform/sim/ProfileFile.h"
#include "platform/sim/SimulatedMachine.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

struct TextKey {
    const char* key;
    const char* defaultText;
    const char* (*field)(const LauncherSettings&);
};

const TextKey kTextKeys[] = {
    {"SetupVistax64Path", "Vista_x64", [](const LauncherSettings& s) -> const char* { return s.SetupVistax64Path; }},
    {"SetupVistax64Exe", "SetupDrv.exe", [](const LauncherSettings& s) -> const char* { return s.SetupVistax64Exe; }},
    {"SetupVistax86Path", "Vista_x86", [](const LauncherSettings& s) -> const char* { return s.SetupVistax86Path; }},
    {"SetupVistax86Exe", "SetupDrv.exe", [](const LauncherSettings& s) -> const char* { return s.SetupVistax86Exe; }},
    {"SetupXPx64Path", "XP_x64", [](const LauncherSettings& s) -> const char* { return s.SetupXPx64Path; }},
    {"SetupXPx64Exe", "SetupDrv.exe", [](const LauncherSettings& s) -> const char* { return s.SetupXPx64Exe; }},
    {"SetupXPx86Path", "XP_x86", [](const LauncherSettings& s) -> const char* { return s.SetupXPx86Path; }},
    {"SetupXPx86Exe", "SetupDrv.exe", [](const LauncherSettings& s) -> const char* { return s.SetupXPx86Exe; }},
    {"Setup", "SetupDrv", [](const LauncherSettings& s) -> const char* { return s.Setup; }},
    {"NoSetupPath", "The driver of this version does not support this operating system.",
     [](const LauncherSettings& s) -> const char* { return s.NoSetupPath; }},
    {"RePlugin", "Please Re-Plugin the USB device on your computer.",
     [](const LauncherSettings& s) -> const char* { return s.RePlugin; }},
    {"HotfixReBoot", "Please Reboot your computer.", [](const LauncherSettings& s) -> const char* { return s.HotfixReBoot; }},
    {"LaunchAnotherAPParam", "0", [](const LauncherSettings& s) -> const char* { return s.LaunchAnotherAPParam; }},
};

struct NumberKey {
    const char* key;
    std::int32_t (*field)(const LauncherSettings&);
};

const NumberKey kNumberKeys[] = {
    {"EnableAudioClass", [](const LauncherSettings& s) { return s.EnableAudioClass; }},
    {"EnableXPAudioClass", [](const LauncherSettings& s) { return s.EnableXPAudioClass; }},
    {"DelAudioRegKey", [](const LauncherSettings& s) { return s.DelAudioRegKey; }},
    {"DelAudioRegKeyMessage", [](const LauncherSettings& s) { return s.DelAudioRegKeyMessage; }},
    {"EnableAudioVol", [](const LauncherSettings& s) { return s.EnableAudioVol; }},
    {"EnableTimer", [](const LauncherSettings& s) { return s.EnableTimer; }},
    {"WaitTimer", [](const LauncherSettings& s) { return s.WaitTimer; }},
    {"CheckFinishInstall", [](const LauncherSettings& s) { return s.CheckFinishInstall; }},
    {"HotfixSilenceMode", [](const LauncherSettings& s) { return s.HotfixSilenceMode; }},
    {"MustRePlugin", [](const LauncherSettings& s) { return s.MustRePlugin; }},
    {"HotfixMustRebootMessage", [](const LauncherSettings& s) { return s.HotfixMustRebootMessage; }},
};

// What the file gives for a key, or its default, as the profile reader finds it.
std::string ValueOf(const std::string& file, const char* key, const char* defaultText)
{
    const auto value = FindProfileValue(file, "Const", key);
    return value ? *value : defaultText;
}

// atoi of the first 255 characters, by the C library, saturated to 32 bits.
std::int32_t ReferenceNumber(const std::string& value)
{
    const std::string first = value.substr(0, 255);
    const long long number = std::strtoll(first.c_str(), nullptr, 10);
    if (number > INT32_MAX)
        return INT32_MAX;
    if (number < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(number);
}

bool IsTerminated(const char* text) { return std::memchr(text, '\0', LauncherSettings::kTextSize) != nullptr; }

// A text field holds the first 255 characters of the value the file gives
// for its key, or of its default, and is marked exactly when the value was
// longer. The profile reader hands a zero byte inside a value on as it is,
// so that the text ends there.
void CheckText(const CLauncherApp& app, const std::string& file, const std::string& key,
               const char* defaultText, const char* field)
{
    FUZZ_CHECK(IsTerminated(field), "%s is not terminated", key.c_str());
    std::string expected = ValueOf(file, key.c_str(), defaultText);
    const bool cut = expected.size() > 255;
    expected = expected.substr(0, 255);
    expected = expected.substr(0, std::strlen(expected.c_str()));
    FUZZ_CHECK(expected == field, "%s is \"%s\"", key.c_str(), field);
    FUZZ_CHECK(app.IsCutText(field) == cut, "%s cut mark %d", key.c_str(), cut);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);

    SimulatedMachine machine;
    machine.SetProgramPath("D:\\Setup.exe");
    SimFile settings;
    settings.text = file;
    machine.files.AddFile("D:\\Setting.ini", settings);
    CLauncherApp app(machine);
    FUZZ_CHECK(app.ReadSettings() == 1, "ReadSettings failed");
    const LauncherSettings& s = app.Settings;

    for (const TextKey& key : kTextKeys)
        CheckText(app, file, key.key, key.defaultText, key.field(s));
    for (const NumberKey& key : kNumberKeys) {
        const std::int32_t expected = ReferenceNumber(ValueOf(file, key.key, "0"));
        FUZZ_CHECK(key.field(s) == expected, "%s is %d, not %d", key.key, key.field(s), expected);
    }
    const std::int32_t packages = ReferenceNumber(ValueOf(file, "AnotherAPNum", "0"));
    const std::int32_t devices = ReferenceNumber(ValueOf(file, "DeviceIDNum", "0"));
    FUZZ_CHECK(s.AnotherAPNum == (packages > 5 ? 5 : packages), "AnotherAPNum %d", s.AnotherAPNum);
    FUZZ_CHECK(s.DeviceIDNum == (devices > 10 ? 10 : devices), "DeviceIDNum %d", s.DeviceIDNum);

    // List entries: terminated everywhere, empty beyond the counts.
    const std::pair<const char*, const LauncherSettings::Text*> packageLists[] = {
        {"AnotherAPVistax64Exe", s.AnotherAPVistax64Exe}, {"AnotherAPVistax86Exe", s.AnotherAPVistax86Exe},
        {"AnotherAPXPx64Exe", s.AnotherAPXPx64Exe}, {"AnotherAPXPx86Exe", s.AnotherAPXPx86Exe}};
    for (const auto& [base, list] : packageLists) {
        for (int i = 0; i < LauncherSettings::kPackageSlots; ++i) {
            if (i < s.AnotherAPNum)
                CheckText(app, file, base + std::to_string(i), "", list[i]);
            else
                FUZZ_CHECK(list[i][0] == '\0' && !app.IsCutText(list[i]), "%s%d beyond the count", base, i);
        }
    }
    const std::pair<const char*, const LauncherSettings::Text*> deviceLists[] = {
        {"DevDrvID", s.DevDrvID}, {"DeviceIDSection", s.DeviceIDSection}};
    for (const auto& [base, list] : deviceLists) {
        for (int i = 0; i < LauncherSettings::kDeviceIdSlots; ++i) {
            if (i < s.DeviceIDNum)
                CheckText(app, file, base + std::to_string(i), "", list[i]);
            else
                FUZZ_CHECK(list[i][0] == '\0' && !app.IsCutText(list[i]), "%s%d beyond the count", base, i);
        }
    }
    return 0;
}
