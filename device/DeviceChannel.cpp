#include "device/DeviceChannel.h"

#include <new>

#include "platform/WinConstants.h"

int DeviceChannel::OpenDeviceChannel()
{
    m_os.CoInitialize(nullptr);
    // The one client lives in the channel's own storage, so making it
    // cannot fail.
    m_client = new (m_clientStorage) DevicePropertyClient(m_os);
    if (m_client->Open() != nullptr)
        return 1;
    m_client->~DevicePropertyClient();
    m_client = nullptr;
    m_os.CoUninitialize();
    return 0;
}

void DeviceChannel::CloseDeviceChannel()
{
    if (m_client == nullptr)
        return;
    m_client->ReleaseInterface();
    m_client->~DevicePropertyClient();
    m_client = nullptr;
    m_os.CoUninitialize();
}

std::int32_t DeviceChannel::DetectI2CDevice(std::uint32_t address, std::int32_t* info)
{
    const std::int32_t status = m_client->DetectDevice(address, info);
    if (status != 0) {
        *info = 0;
        m_os.MessageBoxA(nullptr, status == kStatusNotReady ? kNotReady : kNotDetected,
                         kWarningCaption, win::MB_OK | win::MB_ICONWARNING);
    }
    return status;
}

std::int32_t DeviceChannel::ReadRegister(std::uint32_t address, std::uint32_t i2cRegister)
{
    std::uint32_t value = 0;
    const std::int32_t status = m_client->ReadI2C(address, i2cRegister, 1, &value);
    if (status == 0)
        LastRegisterValue = value;
    return status;
}

std::int32_t DeviceChannel::ReadRegisterPair(std::uint32_t address, std::uint32_t i2cRegister)
{
    // One variable for both reads: the second finds what the first left.
    std::uint32_t value = 0;
    std::int32_t status = m_client->ReadI2C(address, i2cRegister, 1, &value);
    if (status == 0)
        PairFirstValue = value;
    status = m_client->ReadI2C(address, i2cRegister + 1, 1, &value);
    if (status == 0)
        PairSecondValue = value;
    return status;
}

std::int32_t DeviceChannel::WriteRegister(std::uint32_t address, std::uint32_t i2cRegister,
                                          std::uint32_t value)
{
    std::uint32_t data = value;
    return m_client->WriteI2C(address, i2cRegister, 1, &data);
}
