// One bound custom property interface of the capture driver, and the I2C
// transfers and chip reads made through it.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

// Property identifiers of the capture driver's custom interface.
namespace prop {
constexpr win::ULONG kChipSelect = 4101;   // set: chip-read word
constexpr win::ULONG kChipData = 4102;     // get: the selected chip bytes
constexpr win::ULONG kI2CSelect = 4103;    // set: I2C transfer word
constexpr win::ULONG kI2CData = 4104;      // set to write, get to read the selected bytes
constexpr win::ULONG kDetectSelect = 4107; // set: address of the I2C device to detect
constexpr win::ULONG kDeviceInfo = 4115;   // get
constexpr win::ULONG kDeviceReady = 4116;  // get: nonzero when present and ready
constexpr win::ULONG kEventTag = 4135;     // get
constexpr win::ULONG kEventAddress = 4136; // get
} // namespace prop

// Statuses beyond the HRESULTs passed through.
constexpr std::int32_t kStatusNoInterface = 6; // ERROR_INVALID_HANDLE
constexpr std::int32_t kStatusNotReady = 21;   // ERROR_NOT_READY

class DevicePropertyClient {
public:
    static constexpr int kNameSize = 256;
    static constexpr int kFallbackNameCount = 15;
    static const char* const kFallbackNames[kFallbackNameCount];
    static const char* const kDefaultName;

    explicit DevicePropertyClient(Platform& os) : m_os(os) {}
    DevicePropertyClient(const DevicePropertyClient&) = delete;
    DevicePropertyClient& operator=(const DevicePropertyClient&) = delete;

    // Binds the device of the wanted name (or of the fallback list) and reads
    // the event settings. The bound interface, or null.
    win::IDeviceCustomProperty* Open();
    win::IDeviceCustomProperty* Bind(const char* name);
    // A filter with one reference for the caller, or null.
    win::IBaseFilter* FindFilterByName(const char* name);
    win::IBaseFilter* FindFilterFromList();
    win::IBaseFilter* FindFilterInCategory(const win::GUID& category, const char* name);
    void ReleaseInterface();

    std::int32_t GetValue(win::ULONG propertyId, void* out);
    std::int32_t ReadChipRegister(std::uint32_t chipRegister, std::uint32_t count, void* out);
    std::int32_t ReadEvent(std::uint32_t* out);
    std::int32_t SelectI2CDevice(std::uint32_t address);
    std::int32_t DetectDevice(std::uint32_t address, std::int32_t* info);
    std::int32_t Transfer(std::uint32_t word, void* data, bool write);
    std::int32_t ReadI2C(std::uint32_t address, std::uint32_t i2cRegister, std::uint32_t count,
                         void* out);
    std::int32_t WriteI2C(std::uint32_t address, std::uint32_t i2cRegister, std::uint32_t count,
                          void* data);

    static std::uint32_t TransferWord(std::uint32_t address, std::uint32_t i2cRegister,
                                      std::uint32_t count);

    // The wanted device name, from the registry or the default.
    void GetWantedName(char (&name)[kNameSize]);

    win::IDeviceCustomProperty* PropertyInterface = nullptr;
    std::int32_t LastStatus = 0;
    std::uint32_t PreviousToggle = 0;
    std::uint32_t EventTag = 0;
    std::uint32_t EventDeviceAddress = 0;

private:
    bool ReadNameValue(win::HKEY key, const char* valueName, char (&name)[kNameSize]);
    bool FriendlyNameMatches(win::IMoniker* moniker, const char* name);

    Platform& m_os;
};
