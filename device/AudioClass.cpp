#include "app/LauncherApp.h"

namespace {

constexpr std::uint32_t kDeviceAddress = 160;
constexpr std::uint32_t kAudioClassRegister = 8;
constexpr std::uint32_t kAudioClassNT5 = 80;
constexpr std::uint32_t kAudioClassNT6 = 208;
constexpr std::uint32_t kVolumeLow = 37;  // target 0
constexpr std::uint32_t kVolumeHigh = 38; // target 1
constexpr win::DWORD kVolumePause = 200;

} // namespace

int CLauncherApp::ReconfigureAudioClass()
{
    int result = 0;
    if (m_channel.OpenDeviceChannel() == 0) {
        m_channel.CloseDeviceChannel();
        return 0;
    }

    // A failed detection has shown its warning; the reads go on all the same.
    std::int32_t info = 0;
    m_channel.DetectI2CDevice(kDeviceAddress, &info);
    m_channel.ReadRegister(kDeviceAddress, kAudioClassRegister);
    const std::int32_t volumeStatus = m_channel.ReadRegisterPair(kDeviceAddress, kVolumeLow);

    if (Settings.DelAudioRegKey != 0) {
        RemoveMatchedDeviceNodes();
        if (Settings.DelAudioRegKeyMessage != 0)
            result = 1;
    }

    if (volumeStatus == 0) {
        const std::uint32_t r8 = m_channel.LastRegisterValue;
        const std::uint32_t r37 = m_channel.PairFirstValue;
        const std::uint32_t r38 = m_channel.PairSecondValue;
        bool volumeCheck = false;
        if (Settings.EnableXPAudioClass == 0) {
            // Each flavour is moved to its own class, nothing more.
            if (IsWinNT6 == 0 && r8 == kAudioClassNT5) {
                if (m_channel.WriteRegister(kDeviceAddress, kAudioClassRegister, kAudioClassNT6) == 0)
                    result = 1;
            } else if (IsWinNT6 != 0 && r8 == kAudioClassNT6) {
                if (m_channel.WriteRegister(kDeviceAddress, kAudioClassRegister, kAudioClassNT5) == 0)
                    result = 1;
            }
        } else {
            // 80 on every flavour, and a fresh enumeration after the change.
            if (r8 == kAudioClassNT6 &&
                m_channel.WriteRegister(kDeviceAddress, kAudioClassRegister, kAudioClassNT5) == 0) {
                RemoveMatchedDeviceNodes();
                result = 1;
            }
            volumeCheck = true;
        }
        if (volumeCheck && Settings.EnableAudioVol != 0 && !(r38 == 1 && r37 == 0)) {
            m_os.Sleep(kVolumePause);
            m_channel.WriteRegister(kDeviceAddress, kVolumeHigh, 1);
            m_os.Sleep(kVolumePause);
            if (m_channel.WriteRegister(kDeviceAddress, kVolumeLow, 0) == 0)
                result = 1;
        }
    }

    m_channel.CloseDeviceChannel();
    return result;
}
