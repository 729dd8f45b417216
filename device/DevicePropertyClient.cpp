#include "device/DevicePropertyClient.h"

#include "platform/Owners.h"
#include "platform/WinConstants.h"
#include "text/Text.h"

const char* const DevicePropertyClient::kDefaultName = "USB 6711 Device";

const char* const DevicePropertyClient::kFallbackNames[kFallbackNameCount] = {
    "USB 6701 Device", "USB 6702 Device", "USB 6703 Device", "USB 6704 Device",
    "USB 6705 Device", "USB 6706 Device", "USB 6707 Device", "USB 6708 Device",
    "USB 6709 Device", "USB 6710 Device", "USB 6711 Device", "USB 6712 Device",
    "USB 6713 Device", "USB 6714 Device", "USB 6715 Device",
};

namespace {

const char* const kNameKey = "Software\\USB6701\\BDA";

// The first strlen(name) bytes of `friendlyName` equal `name`, byte for byte.
bool HasPrefix(const char* friendlyName, const char* name)
{
    for (; *name != '\0'; ++name, ++friendlyName) {
        if (*friendlyName != *name)
            return false;
    }
    return true;
}

} // namespace

bool DevicePropertyClient::ReadNameValue(win::HKEY key, const char* valueName,
                                         char (&name)[kNameSize])
{
    win::DWORD size = kNameSize;
    if (m_os.RegQueryValueExA(key, valueName, nullptr, reinterpret_cast<win::BYTE*>(name), &size) !=
        win::ERROR_SUCCESS)
        return false;
    // The value's type is not looked at, and its data need not end with a
    // terminator: the name ends after the data, and at the latest with the
    // buffer's last byte.
    name[size < kNameSize ? size : kNameSize - 1] = '\0';
    return true;
}

void DevicePropertyClient::GetWantedName(char (&name)[kNameSize])
{
    OwnedKey key(m_os);
    if (m_os.RegOpenKeyExA(kNameKey, 0, win::KEY_READ, key.receive()) == win::ERROR_SUCCESS &&
        (ReadNameValue(key.get(), "RealDSName", name) || ReadNameValue(key.get(), "DSName", name)))
        return;
    text::Copy(name, kDefaultName);
}

win::IDeviceCustomProperty* DevicePropertyClient::Open()
{
    char name[kNameSize];
    GetWantedName(name);
    win::IDeviceCustomProperty* bound = Bind(name);
    // Read whatever Bind gave: without an interface they do nothing.
    GetValue(prop::kEventTag, &EventTag);
    GetValue(prop::kEventAddress, &EventDeviceAddress);
    return bound;
}

win::IDeviceCustomProperty* DevicePropertyClient::Bind(const char* name)
{
    OwnedInterface<win::IBaseFilter> filter;
    filter.Attach(FindFilterByName(name));
    if (!filter)
        filter.Attach(FindFilterFromList());
    if (!filter)
        return nullptr;
    void* object = nullptr;
    LastStatus = filter->QueryInterface(win::IID_IDeviceCustomProperty, &object);
    // The interface holds its own reference on the filter. A refused
    // interface ends the search: no other device is tried.
    if (LastStatus < 0) {
        PropertyInterface = nullptr;
        return nullptr;
    }
    PropertyInterface = static_cast<win::IDeviceCustomProperty*>(object);
    return PropertyInterface;
}

win::IBaseFilter* DevicePropertyClient::FindFilterByName(const char* name)
{
    win::IBaseFilter* filter = FindFilterInCategory(win::CLSID_VideoInputDeviceCategory, name);
    if (filter == nullptr)
        filter = FindFilterInCategory(win::KSCATEGORY_BDA_RECEIVER_COMPONENT, name);
    return filter;
}

win::IBaseFilter* DevicePropertyClient::FindFilterFromList()
{
    for (const char* name : kFallbackNames) {
        if (win::IBaseFilter* filter = FindFilterByName(name))
            return filter;
    }
    return nullptr;
}

bool DevicePropertyClient::FriendlyNameMatches(win::IMoniker* moniker, const char* name)
{
    void* object = nullptr;
    LastStatus = moniker->BindToStorage(nullptr, nullptr, win::IID_IPropertyBag, &object);
    if (LastStatus < 0)
        return false;
    OwnedInterface<win::IPropertyBag> bag;
    bag.Attach(object);
    if (!bag)
        return false;

    win::VARIANT value = {};
    value.vt = win::VT_BSTR;
    LastStatus = bag->Read(u"FriendlyName", &value, nullptr);
    if (LastStatus != win::S_OK)
        return false;
    char friendlyName[260] = {};
    const int converted = m_os.WideCharToMultiByte(win::CP_ACP, 0, value.bstrVal, -1, friendlyName,
                                                   sizeof friendlyName, nullptr, nullptr);
    m_os.SysFreeString(value.bstrVal);
    // A name that does not convert into the buffer cannot be compared.
    if (converted == 0)
        return false;
    friendlyName[sizeof friendlyName - 1] = '\0';
    return HasPrefix(friendlyName, name);
}

win::IBaseFilter* DevicePropertyClient::FindFilterInCategory(const win::GUID& category,
                                                             const char* name)
{
    OwnedInterface<win::IEnumMoniker> monikers;
    {
        void* object = nullptr;
        LastStatus = m_os.CoCreateInstance(win::CLSID_SystemDeviceEnum, nullptr,
                                           win::CLSCTX_INPROC_SERVER, win::IID_ICreateDevEnum,
                                           &object);
        OwnedInterface<win::ICreateDevEnum> deviceEnumerator;
        deviceEnumerator.Attach(object);
        if (LastStatus < 0 || !deviceEnumerator)
            return nullptr;
        // An empty category gives S_FALSE and no enumerator.
        LastStatus = deviceEnumerator->CreateClassEnumerator(category, monikers.receive(), 0);
        if (LastStatus < 0 || !monikers)
            return nullptr;
    }
    LastStatus = monikers->Reset();

    for (;;) {
        OwnedInterface<win::IMoniker> moniker;
        win::ULONG fetched = 0;
        LastStatus = monikers->Next(1, moniker.receive(), &fetched);
        if (LastStatus != win::S_OK)
            return nullptr;
        if (!moniker || !FriendlyNameMatches(moniker.get(), name))
            continue;
        void* object = nullptr;
        LastStatus = moniker->BindToObject(nullptr, nullptr, win::IID_IBaseFilter, &object);
        OwnedInterface<win::IBaseFilter> filter;
        filter.Attach(object);
        if (LastStatus >= 0 && filter)
            return filter.Detach();
    }
}

void DevicePropertyClient::ReleaseInterface()
{
    if (PropertyInterface != nullptr) {
        PropertyInterface->Release();
        PropertyInterface = nullptr;
    }
}

std::int32_t DevicePropertyClient::GetValue(win::ULONG propertyId, void* out)
{
    if (PropertyInterface == nullptr)
        return kStatusNoInterface;
    return PropertyInterface->GetProperty(propertyId, out);
}

std::int32_t DevicePropertyClient::ReadChipRegister(std::uint32_t chipRegister, std::uint32_t count,
                                                    void* out)
{
    if (PropertyInterface == nullptr)
        return kStatusNoInterface;
    std::uint32_t word = (chipRegister & 255) * 256 + (count & 255);
    LastStatus = PropertyInterface->SetProperty(prop::kChipSelect, &word);
    if (LastStatus >= 0)
        LastStatus = PropertyInterface->GetProperty(prop::kChipData, out);
    if (LastStatus < 0) {
        word = 0;
        PropertyInterface->SetProperty(prop::kChipSelect, &word);
    }
    return LastStatus;
}

std::int32_t DevicePropertyClient::ReadEvent(std::uint32_t* out)
{
    std::uint32_t word = 0;
    const std::int32_t status = ReadChipRegister(69, 4, &word);
    const std::uint32_t b0 = word & 255;
    const std::uint32_t b1 = (word >> 8) & 255;
    const std::uint32_t b2 = (word >> 16) & 255;

    std::uint32_t result = 255;
    // A word that was never filled holds no code.
    if (status < 0 || status == kStatusNoInterface) {
        result = 255;
    } else if (EventTag != 0 && b1 != EventTag) {
        result = 255;
    } else {
        const std::uint32_t toggle = b0 & 128;
        if (toggle == PreviousToggle)
            result = (b0 & 127) != 0 ? 254 : 255;
        else
            result = (b2 == 254 || b2 == 255) ? 255 : b2;
        PreviousToggle = toggle;
    }
    *out = result;
    return ReadChipRegister(68, 1, &word);
}

std::int32_t DevicePropertyClient::SelectI2CDevice(std::uint32_t address)
{
    if (PropertyInterface == nullptr)
        return kStatusNoInterface;
    std::uint32_t value = address;
    return PropertyInterface->SetProperty(prop::kDetectSelect, &value);
}

std::int32_t DevicePropertyClient::DetectDevice(std::uint32_t address, std::int32_t* info)
{
    *info = 0;
    if (PropertyInterface == nullptr)
        return kStatusNoInterface;
    LastStatus = SelectI2CDevice(address);
    if (LastStatus < 0)
        return LastStatus;
    std::uint32_t ready = 0;
    LastStatus = PropertyInterface->GetProperty(prop::kDeviceReady, &ready);
    if (LastStatus < 0)
        return LastStatus;
    if (ready == 0)
        return kStatusNotReady;
    LastStatus = PropertyInterface->GetProperty(prop::kDeviceInfo, info);
    return LastStatus;
}

std::uint32_t DevicePropertyClient::TransferWord(std::uint32_t address, std::uint32_t i2cRegister,
                                                 std::uint32_t count)
{
    return (1u << 24) | ((address & 255) << 16) | ((i2cRegister & 255) << 8) | (count & 255);
}

std::int32_t DevicePropertyClient::Transfer(std::uint32_t word, void* data, bool write)
{
    if (PropertyInterface == nullptr)
        return kStatusNoInterface;
    LastStatus = PropertyInterface->SetProperty(prop::kI2CSelect, &word);
    if (LastStatus >= 0) {
        LastStatus = write ? PropertyInterface->SetProperty(prop::kI2CData, data)
                           : PropertyInterface->GetProperty(prop::kI2CData, data);
    }
    if (LastStatus < 0) {
        word = 0;
        PropertyInterface->SetProperty(prop::kI2CSelect, &word);
    }
    return LastStatus;
}

std::int32_t DevicePropertyClient::ReadI2C(std::uint32_t address, std::uint32_t i2cRegister,
                                           std::uint32_t count, void* out)
{
    if (EventDeviceAddress != 0 && address == EventDeviceAddress && i2cRegister == 0)
        return ReadEvent(static_cast<std::uint32_t*>(out));
    return Transfer(TransferWord(address, i2cRegister, count), out, false);
}

std::int32_t DevicePropertyClient::WriteI2C(std::uint32_t address, std::uint32_t i2cRegister,
                                            std::uint32_t count, void* data)
{
    return Transfer(TransferWord(address, i2cRegister, count), data, true);
}
