// Every value read from "Setting.ini", section "Const". Each field bears the
// name of its key; a list bears the base name of its indexed keys.
#pragma once

#include <cstdint>

struct LauncherSettings {
    static constexpr int kTextSize = 256;
    static constexpr int kPackageSlots = 5;
    static constexpr int kDeviceIdSlots = 10;
    using Text = char[kTextSize];

    std::int32_t AnotherAPNum;
    std::int32_t HotfixSilenceMode;
    std::int32_t EnableAudioClass;
    std::int32_t EnableXPAudioClass;
    std::int32_t EnableAudioVol;
    std::int32_t DelAudioRegKey;
    std::int32_t DelAudioRegKeyMessage;
    std::int32_t EnableTimer;
    std::int32_t WaitTimer;
    std::int32_t CheckFinishInstall;
    std::int32_t MustRePlugin;
    std::int32_t HotfixMustRebootMessage;

    Text AnotherAPVistax64Exe[kPackageSlots];
    Text AnotherAPVistax86Exe[kPackageSlots];
    Text AnotherAPXPx64Exe[kPackageSlots];
    Text AnotherAPXPx86Exe[kPackageSlots];

    Text SetupVistax64Path;
    Text SetupVistax64Exe;
    Text SetupVistax86Path;
    Text SetupVistax86Exe;
    Text SetupXPx64Path;
    Text SetupXPx64Exe;
    Text SetupXPx86Path;
    Text SetupXPx86Exe;

    std::int32_t DeviceIDNum;
    Text DevDrvID[kDeviceIdSlots];
    Text DeviceIDSection[kDeviceIdSlots];

    Text LaunchAnotherAPParam;
    Text Setup;
    Text NoSetupPath;
    Text RePlugin;
    Text HotfixReBoot;
};
