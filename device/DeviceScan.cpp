#include "app/LauncherApp.h"

#include "device/HardwareId.h"
#include "platform/Owners.h"
#include "platform/WinConstants.h"
#include "text/Text.h"

namespace {

enum class PropertyRead { Read, Skip, Stop };

// Reads the device's hardware-ID list into `buffer`, growing it to the size
// the system reports. `size` is passed as the buffer size and receives the
// size reported. Skip: the device has no hardware ID; Stop: any other error,
// which ends the pass and stays the thread's last error.
PropertyRead ReadHardwareIds(Platform& os, win::HDEVINFO set, win::SP_DEVINFO_DATA& device,
                             OwnedBuffer& buffer, win::DWORD& size)
{
    for (;;) {
        const win::DWORD passed = size;
        if (os.SetupDiGetDeviceRegistryPropertyA(set, &device, win::SPDRP_HARDWAREID, nullptr,
                                                 buffer.get(), passed, &size))
            return PropertyRead::Read;
        const win::DWORD error = os.GetLastError();
        if (error == win::ERROR_INVALID_DATA)
            return PropertyRead::Skip;
        // A reported size that is no larger than the buffer just passed
        // would only ask the same again.
        if (error != win::ERROR_INSUFFICIENT_BUFFER || (buffer.get() != nullptr && size <= passed) ||
            !buffer.Allocate(size))
            return PropertyRead::Stop;
    }
}

} // namespace

int CLauncherApp::ScanDeviceIds()
{
    OwnedDeviceSet set(m_os, m_os.SetupDiGetClassDevsA(nullptr, nullptr, nullptr,
                                                       win::DIGCF_PRESENT | win::DIGCF_ALLCLASSES));
    if (!set.valid())
        return 0;

    // One buffer serves all devices; it is freed before the set goes.
    OwnedBuffer buffer;
    int count = 0;
    if (buffer.Allocate(256)) {
        win::DWORD size = 256;
        for (win::DWORD index = 0;; ++index) {
            win::SP_DEVINFO_DATA device = {};
            device.cbSize = sizeof device;
            if (!m_os.SetupDiEnumDeviceInfo(set.get(), index, &device))
                break;
            const PropertyRead read = ReadHardwareIds(m_os, set.get(), device, buffer, size);
            if (read == PropertyRead::Stop)
                break;
            if (read == PropertyRead::Skip)
                continue;
            // All patterns are tried: one device can add several entries. The
            // list holds ten; later matches are not recorded.
            for (std::int32_t j = 0; j < Settings.DeviceIDNum; ++j) {
                if (count < kMatchedDeviceSlots &&
                    FirstHardwareIdMatches(buffer.get(), size, Settings.DevDrvID[j])) {
                    text::Copy(MatchedDeviceIds[count], Settings.DevDrvID[j]);
                    ++count;
                }
            }
        }
    }
    buffer.Free();
    MatchedDeviceCount = count;
    return count;
}

int CLauncherApp::RemoveMatchedDeviceNodes()
{
    OwnedDeviceSet set(m_os,
                       m_os.SetupDiGetClassDevsA(nullptr, nullptr, nullptr, win::DIGCF_ALLCLASSES));
    if (!set.valid())
        return 0;

    OwnedBuffer buffer;
    for (win::DWORD index = 0;; ++index) {
        win::SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        if (!m_os.SetupDiEnumDeviceInfo(set.get(), index, &device))
            break;
        buffer.Free();
        win::DWORD size = 0;
        const PropertyRead read = ReadHardwareIds(m_os, set.get(), device, buffer, size);
        if (read == PropertyRead::Stop)
            break;
        if (read == PropertyRead::Skip || buffer.get() == nullptr)
            continue;
        // One removal call per matching entry; failures are not looked at.
        for (std::int32_t i = 0; i < MatchedDeviceCount && i < kMatchedDeviceSlots; ++i) {
            if (FirstHardwareIdMatches(buffer.get(), size, MatchedDeviceIds[i]))
                m_os.SetupDiRemoveDevice(set.get(), &device);
        }
    }
    buffer.Free();
    return 1;
}
