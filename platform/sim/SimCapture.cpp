#include "platform/sim/SimCapture.h"

#include <cstring>

#include "platform/WinConstants.h"
#include "platform/sim/ScenarioFields.h"

class SimCapture::Object {
public:
    explicit Object(SimCapture& capture) : m_capture(capture) {}
    virtual ~Object() = default;

    long References() const { return m_references; }

protected:
    win::ULONG Take() { return static_cast<win::ULONG>(++m_references); }
    win::ULONG GiveBack()
    {
        if (!m_capture.Initialized())
            m_capture.Fault("Release after COM was uninitialised");
        if (m_references <= 0) {
            m_capture.Fault("Release of an object that holds no reference");
            return 0;
        }
        return static_cast<win::ULONG>(--m_references);
    }
    win::HRESULT NotCalled(const char* method)
    {
        m_capture.Fault(std::string("call of ") + method + ", which the launcher never makes");
        return win::E_NOTIMPL;
    }

    SimCapture& m_capture;

private:
    long m_references = 0;
};

namespace {

// Gives out `object` through a void** with one reference taken.
template <class Interface> win::HRESULT HandOut(Interface* object, void** out)
{
    object->AddRef();
    *out = object;
    return win::S_OK;
}

std::uint32_t Word(const void* data)
{
    std::uint32_t word = 0;
    std::memcpy(&word, data, sizeof word);
    return word;
}

void PutWord(void* data, std::uint32_t word) { std::memcpy(data, &word, sizeof word); }

class Filter final : public win::IBaseFilter, public win::IDeviceCustomProperty, public SimCapture::Object {
public:
    Filter(SimCapture& capture, SimCaptureDevice& device) : Object(capture), m_device(device) {}

    win::HRESULT COM_CALL QueryInterface(const win::IID& iid, void** object) override
    {
        if (object == nullptr)
            return win::E_POINTER;
        *object = nullptr;
        if (iid == win::IID_IUnknown || iid == win::IID_IBaseFilter)
            return HandOut(static_cast<win::IBaseFilter*>(this), object);
        if (iid != win::IID_IDeviceCustomProperty)
            return win::E_NOINTERFACE;
        const win::HRESULT result = m_device.refuseInterface
                                        ? win::E_NOINTERFACE
                                        : HandOut(static_cast<win::IDeviceCustomProperty*>(this), object);
        m_capture.Trace().Record({{"effect", "query_interface"},
                                  {"name", m_device.name ? nlohmann::json(*m_device.name) : nlohmann::json()},
                                  {"result", static_cast<std::uint32_t>(result)}});
        return result;
    }
    win::ULONG COM_CALL AddRef() override { return Take(); }
    win::ULONG COM_CALL Release() override { return GiveBack(); }

    win::HRESULT COM_CALL Unused3() override { return NotCalled("slot 3 of the custom interface"); }
    win::HRESULT COM_CALL SetProperty(win::ULONG id, void* data) override { return Call(true, id, data); }
    win::HRESULT COM_CALL GetProperty(win::ULONG id, void* data) override { return Call(false, id, data); }

private:
    bool Fails(win::ULONG id, bool set, const void* data)
    {
        const SimI2CModel& m = m_device.model;
        for (auto& rule : m_device.model.failures) {
            if (rule.id != id || rule.set != set)
                continue;
            if (rule.onlyRegister >= 0) {
                const bool selecting = id == 4103 && set;
                const std::uint32_t reg = selecting ? (Word(data) >> 8) & 255 : m.transferRegister;
                if ((!selecting && !m.transferSelected) || reg != static_cast<std::uint32_t>(rule.onlyRegister))
                    continue;
            }
            if (rule.always)
                return true;
            if (!rule.used) {
                rule.used = true;
                return true;
            }
        }
        return false;
    }

    win::HRESULT Answer(bool set, win::ULONG id, void* data)
    {
        SimI2CModel& m = m_device.model;
        auto* bytes = static_cast<std::uint8_t*>(data);
        switch (id) {
        case 4107:
            if (!set)
                return win::E_NOTIMPL;
            m.detectSelected = Word(data) == SimI2CModel::kAddress && m.i2cPresent;
            return m.detectSelected ? win::S_OK : win::E_FAIL;
        case 4116:
            if (set)
                return win::E_NOTIMPL;
            PutWord(data, m.detectSelected && m.ready ? 1 : 0);
            return win::S_OK;
        case 4115:
        case 4135:
        case 4136:
            if (set)
                return win::E_NOTIMPL;
            PutWord(data, id == 4115 ? m.deviceInfo : id == 4135 ? m.eventTag : m.eventAddress);
            return win::S_OK;
        case 4103: {
            if (!set)
                return win::E_NOTIMPL;
            const std::uint32_t word = Word(data);
            m.transferSelected = word != 0;
            m.transferAddress = (word >> 16) & 255;
            m.transferRegister = (word >> 8) & 255;
            m.transferCount = word & 255;
            return win::S_OK;
        }
        case 4104:
            if (!m.transferSelected || m.transferAddress != SimI2CModel::kAddress)
                return win::E_FAIL;
            for (std::uint32_t i = 0; i < m.transferCount; ++i) {
                std::uint8_t& reg = m.registers[(m.transferRegister + i) & 255];
                if (set)
                    reg = bytes[i];
                else
                    bytes[i] = reg;
            }
            return win::S_OK;
        case 4101: {
            if (!set)
                return win::E_NOTIMPL;
            const std::uint32_t word = Word(data);
            m.chipSelected = word != 0;
            m.chipRegister = (word >> 8) & 255;
            m.chipCount = word & 255;
            return win::S_OK;
        }
        case 4102:
            if (set)
                return win::E_NOTIMPL;
            if (!m.chipSelected)
                return win::E_FAIL;
            for (std::uint32_t i = 0; i < m.chipCount; ++i)
                bytes[i] = m.chipRegisters[(m.chipRegister + i) & 255];
            return win::S_OK;
        default:
            return win::E_NOTIMPL;
        }
    }

    win::HRESULT Call(bool set, win::ULONG id, void* data)
    {
        if (!m_capture.Initialized())
            m_capture.Fault("property call without COM");
        const SimI2CModel& m = m_device.model;
        const bool byteData = id == 4102 || id == 4104;
        const std::uint32_t count =
            id == 4102 ? (m.chipSelected ? m.chipCount : 0) : (m.transferSelected ? m.transferCount : 0);
        const bool injected = m_device.model.calls++ == m.failingCall;
        win::HRESULT result = win::E_POINTER;
        if (data != nullptr)
            result = injected || Fails(id, set, data) ? win::E_FAIL : Answer(set, id, data);

        nlohmann::json shown; // null: nothing passed or nothing returned
        if (data != nullptr && (set || result >= 0)) {
            if (byteData) {
                shown = nlohmann::json::array();
                for (std::uint32_t i = 0; i < count; ++i)
                    shown.push_back(static_cast<const std::uint8_t*>(data)[i]);
            } else {
                shown = Word(data);
            }
        }
        m_capture.Trace().Record({{"effect", "property"},
                                  {"call", set ? "set" : "get"},
                                  {"id", id},
                                  {"data", shown},
                                  {"result", static_cast<std::uint32_t>(result)}});
        return result;
    }

    SimCaptureDevice& m_device;
};

class PropertyBag final : public win::IPropertyBag, public SimCapture::Object {
public:
    PropertyBag(SimCapture& capture, const SimCaptureDevice& device) : Object(capture), m_device(device) {}

    win::HRESULT COM_CALL QueryInterface(const win::IID& iid, void** object) override
    {
        if (object == nullptr)
            return win::E_POINTER;
        *object = nullptr;
        if (iid == win::IID_IUnknown || iid == win::IID_IPropertyBag)
            return HandOut(static_cast<win::IPropertyBag*>(this), object);
        return win::E_NOINTERFACE;
    }
    win::ULONG COM_CALL AddRef() override { return Take(); }
    win::ULONG COM_CALL Release() override { return GiveBack(); }

    win::HRESULT COM_CALL Read(const win::OLECHAR* name, win::VARIANT* value, win::IErrorLog*) override
    {
        if (name == nullptr || value == nullptr)
            return win::E_POINTER;
        if (std::u16string(name) != u"FriendlyName" || !m_device.name)
            return win::HRESULT_FILE_NOT_FOUND;
        if (value->vt != win::VT_BSTR && value->vt != win::VT_EMPTY)
            return win::E_INVALIDARG;
        value->vt = win::VT_BSTR;
        value->bstrVal = m_capture.AllocString(*m_device.name);
        return win::S_OK;
    }
    win::HRESULT COM_CALL Write(const win::OLECHAR*, win::VARIANT*) override
    {
        return NotCalled("IPropertyBag::Write");
    }

private:
    const SimCaptureDevice& m_device;
};

class Moniker final : public win::IMoniker, public SimCapture::Object {
public:
    Moniker(SimCapture& capture, SimCaptureDevice& device, const char* category)
        : Object(capture), m_device(device), m_category(category)
    {
    }

    win::HRESULT COM_CALL QueryInterface(const win::IID& iid, void** object) override
    {
        if (object == nullptr)
            return win::E_POINTER;
        *object = nullptr;
        if (iid == win::IID_IUnknown)
            return HandOut(static_cast<win::IMoniker*>(this), object);
        return win::E_NOINTERFACE;
    }
    win::ULONG COM_CALL AddRef() override { return Take(); }
    win::ULONG COM_CALL Release() override { return GiveBack(); }

    win::HRESULT COM_CALL GetClassID(win::CLSID*) override { return NotCalled("IPersist::GetClassID"); }
    win::HRESULT COM_CALL IsDirty() override { return NotCalled("IPersistStream::IsDirty"); }
    win::HRESULT COM_CALL Load(void*) override { return NotCalled("IPersistStream::Load"); }
    win::HRESULT COM_CALL Save(void*, int) override { return NotCalled("IPersistStream::Save"); }
    win::HRESULT COM_CALL GetSizeMax(void*) override { return NotCalled("IPersistStream::GetSizeMax"); }

    win::HRESULT COM_CALL BindToObject(win::IBindCtx*, win::IMoniker*, const win::IID& iid,
                                       void** object) override
    {
        if (object == nullptr)
            return win::E_POINTER;
        *object = nullptr;
        win::HRESULT result = win::S_OK;
        if (iid != win::IID_IBaseFilter && iid != win::IID_IUnknown)
            result = win::E_NOINTERFACE;
        else if (m_device.bindFails)
            result = win::HRESULT_FILE_NOT_FOUND; // the filter's server cannot be loaded
        else
            result = HandOut(m_capture.FilterOf(m_device), object);
        m_capture.Trace().Record({{"effect", "bind_filter"},
                                  {"category", m_category},
                                  {"name", m_device.name ? nlohmann::json(*m_device.name) : nlohmann::json()},
                                  {"result", static_cast<std::uint32_t>(result)}});
        return result;
    }
    win::HRESULT COM_CALL BindToStorage(win::IBindCtx*, win::IMoniker*, const win::IID& iid,
                                        void** object) override
    {
        if (object == nullptr)
            return win::E_POINTER;
        *object = nullptr;
        if (iid != win::IID_IPropertyBag)
            return win::E_NOINTERFACE;
        if (m_device.propertyBagFails)
            return win::E_FAIL;
        auto* bag = new PropertyBag(m_capture, m_device);
        m_capture.Own(bag);
        return HandOut(static_cast<win::IPropertyBag*>(bag), object);
    }

private:
    SimCaptureDevice& m_device;
    const char* m_category;
};

class ClassEnumerator final : public win::IEnumMoniker, public SimCapture::Object {
public:
    ClassEnumerator(SimCapture& capture, std::vector<SimCaptureDevice>& devices, const char* category)
        : Object(capture), m_devices(devices), m_category(category)
    {
    }

    win::HRESULT COM_CALL QueryInterface(const win::IID& iid, void** object) override
    {
        if (object == nullptr)
            return win::E_POINTER;
        *object = nullptr;
        if (iid == win::IID_IUnknown)
            return HandOut(static_cast<win::IEnumMoniker*>(this), object);
        return win::E_NOINTERFACE;
    }
    win::ULONG COM_CALL AddRef() override { return Take(); }
    win::ULONG COM_CALL Release() override { return GiveBack(); }

    win::HRESULT COM_CALL Next(win::ULONG count, win::IMoniker** monikers, win::ULONG* fetched) override
    {
        if (monikers == nullptr || count != 1)
            return count == 0 ? win::S_OK : win::E_INVALIDARG; // one at a time is all that is simulated
        if (m_position >= m_devices.size()) {
            if (fetched != nullptr)
                *fetched = 0;
            return win::S_FALSE;
        }
        auto* moniker = new Moniker(m_capture, m_devices[m_position++], m_category);
        m_capture.Own(moniker);
        moniker->AddRef();
        *monikers = moniker;
        if (fetched != nullptr)
            *fetched = 1;
        return win::S_OK;
    }
    win::HRESULT COM_CALL Skip(win::ULONG) override { return NotCalled("IEnumMoniker::Skip"); }
    win::HRESULT COM_CALL Reset() override
    {
        m_position = 0;
        return win::S_OK;
    }
    win::HRESULT COM_CALL Clone(win::IEnumMoniker**) override { return NotCalled("IEnumMoniker::Clone"); }

private:
    std::vector<SimCaptureDevice>& m_devices;
    const char* m_category;
    std::size_t m_position = 0;
};

class DeviceEnumerator final : public win::ICreateDevEnum, public SimCapture::Object {
public:
    explicit DeviceEnumerator(SimCapture& capture) : Object(capture) {}

    win::HRESULT COM_CALL QueryInterface(const win::IID& iid, void** object) override
    {
        if (object == nullptr)
            return win::E_POINTER;
        *object = nullptr;
        if (iid == win::IID_IUnknown || iid == win::IID_ICreateDevEnum)
            return HandOut(static_cast<win::ICreateDevEnum*>(this), object);
        return win::E_NOINTERFACE;
    }
    win::ULONG COM_CALL AddRef() override { return Take(); }
    win::ULONG COM_CALL Release() override { return GiveBack(); }

    win::HRESULT COM_CALL CreateClassEnumerator(const win::CLSID& category, win::IEnumMoniker** out,
                                                std::uint32_t) override
    {
        if (out == nullptr)
            return win::E_POINTER;
        *out = nullptr;
        auto* devices = const_cast<std::vector<SimCaptureDevice>*>(m_capture.Category(category));
        m_capture.enumeratedCategories.push_back(
            devices == nullptr ? "other" : category == win::CLSID_VideoInputDeviceCategory ? "video" : "bda");
        // An empty or unknown category: S_FALSE and no enumerator.
        if (devices == nullptr || devices->empty())
            return win::S_FALSE;
        auto* enumerator = new ClassEnumerator(
            m_capture, *devices, category == win::CLSID_VideoInputDeviceCategory ? "video" : "bda");
        m_capture.Own(enumerator);
        enumerator->AddRef();
        *out = enumerator;
        return win::S_OK;
    }
};

std::u16string Utf16(const std::string& utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = c;
        int extra = 0;
        if (c >= 0xF0) {
            code = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            code = c & 0x1F;
            extra = 1;
        }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

} // namespace

SimCapture::SimCapture(EffectTrace& trace, win::DWORD& lastError) : m_trace(trace), m_lastError(lastError) {}

SimCapture::~SimCapture()
{
    for (win::BSTR s : m_strings)
        delete[] s;
}

void SimCapture::Own(Object* object) { m_objects.emplace_back(object); }

void SimCapture::Fault(const std::string& what)
{
    ++m_faults;
    m_trace.Record({{"effect", "com_fault"}, {"what", what}});
}

const std::vector<SimCaptureDevice>* SimCapture::Category(const win::GUID& category) const
{
    if (category == win::CLSID_VideoInputDeviceCategory)
        return &video;
    if (category == win::KSCATEGORY_BDA_RECEIVER_COMPONENT)
        return &bda;
    return nullptr;
}

win::IBaseFilter* SimCapture::FilterOf(SimCaptureDevice& device)
{
    // One filter object per device, so that its references can be counted.
    for (const FilterEntry& entry : m_filters) {
        if (entry.device == &device)
            return entry.filter;
    }
    auto* filter = new Filter(*this, device);
    Own(filter);
    m_filters.push_back({&device, filter, filter});
    return filter;
}

long SimCapture::FilterReferences(const SimCaptureDevice& device) const
{
    for (const FilterEntry& entry : m_filters) {
        if (entry.device == &device)
            return entry.object->References();
    }
    return 0;
}

long SimCapture::OutstandingReferences() const
{
    long references = 0;
    for (const auto& object : m_objects)
        references += object->References();
    return references;
}

win::BSTR SimCapture::AllocString(const std::string& utf8)
{
    const std::u16string text = Utf16(utf8);
    auto* bstr = new char16_t[text.size() + 1];
    std::memcpy(bstr, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    m_strings.insert(bstr);
    return bstr;
}

void SimCapture::SysFreeString(win::BSTR text)
{
    if (text == nullptr)
        return;
    if (m_strings.erase(text) == 0) {
        Fault("SysFreeString of a string that is not allocated");
        return;
    }
    delete[] text;
}

win::HRESULT SimCapture::CoInitialize(void* reserved)
{
    win::HRESULT result = win::E_INVALIDARG;
    if (reserved == nullptr)
        result = ++m_initializations == 1 ? win::S_OK : win::S_FALSE;
    m_trace.Record({{"effect", "co_initialize"}, {"result", static_cast<std::uint32_t>(result)}});
    return result;
}

void SimCapture::CoUninitialize()
{
    m_trace.Record({{"effect", "co_uninitialize"}});
    if (m_initializations > 0)
        --m_initializations;
    else
        Fault("CoUninitialize without CoInitialize");
}

win::HRESULT SimCapture::CoCreateInstance(const win::CLSID& classId, win::IUnknown* outer,
                                          win::DWORD context, const win::IID& iid, void** object)
{
    if (object == nullptr)
        return win::E_POINTER;
    *object = nullptr;
    if (!Initialized())
        return win::CO_E_NOTINITIALIZED;
    if (outer != nullptr)
        return win::CLASS_E_NOAGGREGATION;
    if (classId != win::CLSID_SystemDeviceEnum || (context & win::CLSCTX_INPROC_SERVER) == 0 ||
        enumeratorUnavailable)
        return win::REGDB_E_CLASSNOTREG;
    if (iid != win::IID_ICreateDevEnum && iid != win::IID_IUnknown)
        return win::E_NOINTERFACE;
    auto* enumerator = new DeviceEnumerator(*this);
    Own(enumerator);
    return HandOut(static_cast<win::ICreateDevEnum*>(enumerator), object);
}

int SimCapture::WideCharToMultiByte(win::UINT codePage, win::DWORD flags, const win::OLECHAR* wide,
                                    int wideLength, char* out, int outSize,
                                    const char* defaultChar, win::BOOL* usedDefault)
{
    if (codePage != win::CP_ACP || flags != 0 || wide == nullptr || outSize < 0 ||
        (out == nullptr && outSize != 0) || wideLength == 0) {
        m_lastError = win::ERROR_INVALID_PARAMETER;
        return 0;
    }
    std::size_t length = 0;
    if (wideLength < 0) {
        while (wide[length] != 0)
            ++length;
        ++length; // the terminator is converted too
    } else {
        length = static_cast<std::size_t>(wideLength);
    }
    // The machine's ANSI code page is Windows-1252, taken here for its
    // ASCII and Latin-1 halves; everything else becomes the default character.
    std::string converted;
    bool used = false;
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t c = wide[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            converted.push_back(static_cast<char>(c));
        } else {
            converted.push_back(defaultChar != nullptr ? *defaultChar : '?');
            used = true;
        }
    }
    if (usedDefault != nullptr)
        *usedDefault = used ? 1 : 0;
    if (outSize == 0)
        return static_cast<int>(converted.size());
    if (static_cast<std::size_t>(outSize) < converted.size()) {
        std::memcpy(out, converted.data(), static_cast<std::size_t>(outSize));
        m_lastError = win::ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    std::memcpy(out, converted.data(), converted.size());
    return static_cast<int>(converted.size());
}

namespace {

void LoadBank(const nlohmann::json& spec, const char* key, const std::string& path,
              std::array<std::uint8_t, 256>& bank)
{
    using namespace scenario;
    if (!spec.contains(key))
        return;
    const std::string bankPath = path + "." + key;
    const auto& values = spec.at(key);
    if (!values.is_object())
        Refuse(bankPath, "must be an object of register: value");
    for (const auto& [reg, value] : values.items())
        bank[NumberKey(reg, bankPath, 255)] =
            static_cast<std::uint8_t>(Unsigned(value, bankPath + "." + reg, 255));
}

SimCaptureDevice LoadDevice(const nlohmann::json& spec, const std::string& path)
{
    using namespace scenario;
    RequireObject(spec, path,
                  {"name", "property_bag_fails", "bind_fails", "refuse_interface", "registers",
                   "chip_registers", "ready", "i2c_present", "properties", "failures"});
    SimCaptureDevice device;
    if (!spec.contains("name"))
        Refuse(path + ".name", "missing (null for a device without a friendly name)");
    if (!spec.at("name").is_null())
        device.name = String(spec.at("name"), path + ".name");
    device.propertyBagFails = Bool(spec, "property_bag_fails", path, false);
    device.bindFails = Bool(spec, "bind_fails", path, false);
    device.refuseInterface = Bool(spec, "refuse_interface", path, false);
    SimI2CModel& model = device.model;
    LoadBank(spec, "registers", path, model.registers);
    LoadBank(spec, "chip_registers", path, model.chipRegisters);
    model.ready = Bool(spec, "ready", path, true);
    model.i2cPresent = Bool(spec, "i2c_present", path, true);
    if (spec.contains("properties")) {
        const std::string propertiesPath = path + ".properties";
        const auto& properties = spec.at("properties");
        if (!properties.is_object())
            Refuse(propertiesPath, "must be an object of property id: value");
        for (const auto& [id, value] : properties.items()) {
            const auto number = NumberKey(id, propertiesPath, 0xFFFFFFFF);
            const auto word = static_cast<std::uint32_t>(Unsigned(value, propertiesPath + "." + id, 0xFFFFFFFF));
            if (number == 4115)
                model.deviceInfo = word;
            else if (number == 4135)
                model.eventTag = word;
            else if (number == 4136)
                model.eventAddress = word;
            else
                Refuse(propertiesPath + "." + id, "only 4115, 4135 and 4136 hold values");
        }
    }
    if (spec.contains("failures")) {
        const auto& failures = RequireArray(spec.at("failures"), path + ".failures");
        for (std::size_t i = 0; i < failures.size(); ++i) {
            const std::string rulePath = path + ".failures[" + std::to_string(i) + "]";
            const auto& rule = RequireObject(failures[i], rulePath, {"id", "call", "when", "register"});
            for (const char* key : {"id", "call", "when"}) {
                if (!rule.contains(key))
                    Refuse(rulePath + "." + key, "missing");
            }
            SimI2CModel::Failure failure;
            failure.id = static_cast<win::ULONG>(Unsigned(rule.at("id"), rulePath + ".id", 0xFFFFFFFF));
            const std::string call = String(rule.at("call"), rulePath + ".call");
            const std::string when = String(rule.at("when"), rulePath + ".when");
            if (call != "set" && call != "get")
                Refuse(rulePath + ".call", "must be \"set\" or \"get\"");
            if (when != "once" && when != "always")
                Refuse(rulePath + ".when", "must be \"once\" or \"always\"");
            failure.set = call == "set";
            failure.always = when == "always";
            if (rule.contains("register"))
                failure.onlyRegister = static_cast<int>(Unsigned(rule.at("register"), rulePath + ".register", 255));
            model.failures.push_back(failure);
        }
    }
    return device;
}

} // namespace

void LoadCapture(const nlohmann::json& section, SimCapture& capture)
{
    using namespace scenario;
    const std::string path = "capture";
    RequireObject(section, path, {"enumerator_unavailable", "video", "bda"});
    capture.enumeratorUnavailable = Bool(section, "enumerator_unavailable", path, false);
    for (const char* category : {"video", "bda"}) {
        if (!section.contains(category))
            continue;
        const std::string listPath = path + "." + category;
        const auto& devices = RequireArray(section.at(category), listPath);
        auto& list = std::string(category) == "video" ? capture.video : capture.bda;
        for (std::size_t i = 0; i < devices.size(); ++i)
            list.push_back(LoadDevice(devices[i], listPath + "[" + std::to_string(i) + "]"));
    }
}
