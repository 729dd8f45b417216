// The one channel of the process to the capture driver's custom property
// interface: opened, used and closed again by the audio-class step.
#pragma once

#include <cstdint>

#include "device/DevicePropertyClient.h"

class DeviceChannel {
public:
    static constexpr const char* kWarningCaption = "KQ6701 Custom Property Demo";
    static constexpr const char* kNotReady = "I2C device was powered down or not ready";
    static constexpr const char* kNotDetected = "I2C device not detected";

    explicit DeviceChannel(Platform& os) : m_os(os) {}
    ~DeviceChannel() { CloseDeviceChannel(); }
    DeviceChannel(const DeviceChannel&) = delete;
    DeviceChannel& operator=(const DeviceChannel&) = delete;

    // COM is initialised on the calling thread exactly while the channel is
    // open. 1 when the channel is open and bound, else 0 (and closed).
    int OpenDeviceChannel();
    void CloseDeviceChannel();

    // These need an open channel.
    std::int32_t DetectI2CDevice(std::uint32_t address, std::int32_t* info);
    std::int32_t ReadRegister(std::uint32_t address, std::uint32_t i2cRegister);
    std::int32_t ReadRegisterPair(std::uint32_t address, std::uint32_t i2cRegister);
    std::int32_t WriteRegister(std::uint32_t address, std::uint32_t i2cRegister, std::uint32_t value);

    DevicePropertyClient* Client() const { return m_client; }

    // Changed only by reads that return status 0.
    std::uint32_t LastRegisterValue = 0;
    std::uint32_t PairFirstValue = 0;
    std::uint32_t PairSecondValue = 0;

private:
    Platform& m_os;
    DevicePropertyClient* m_client = nullptr;
    alignas(DevicePropertyClient) unsigned char m_clientStorage[sizeof(DevicePropertyClient)];
};
