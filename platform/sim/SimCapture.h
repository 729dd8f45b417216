// The simulated machine's COM: the DirectShow system device enumerator with
// its catalogue of capture devices per category, and behind each device's
// filter the capture driver's custom property interface over one I2C device
// model. BSTRs and text conversion belong here too.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"

// The capture driver's view of the board: one I2C device at address 160 and
// the capture chip's own registers.
struct SimI2CModel {
    static constexpr std::uint32_t kAddress = 160;

    struct Failure {
        win::ULONG id = 0;
        bool set = true;     // SetProperty, else GetProperty
        bool always = false; // else the first such call only
        bool used = false;
        // Only transfers of this register (4103 selecting it, 4104 while it
        // is selected); -1: every call of the id.
        int onlyRegister = -1;
    };

    std::array<std::uint8_t, 256> registers{};
    std::array<std::uint8_t, 256> chipRegisters{};
    bool ready = true;      // property 4116 reads 1
    bool i2cPresent = true; // selecting 160 for detection succeeds
    std::uint32_t deviceInfo = 0;   // 4115
    std::uint32_t eventTag = 0;     // 4135
    std::uint32_t eventAddress = 0; // 4136
    std::vector<Failure> failures;
    // Counted over every property call of the interface, from 0: the call of
    // this number fails with E_FAIL, whatever its id (-1: none). Lets a test
    // fail each single call of a run in turn.
    int failingCall = -1;
    int calls = 0;

    // Selections made through the interface.
    bool detectSelected = false;
    bool transferSelected = false;
    std::uint32_t transferAddress = 0, transferRegister = 0, transferCount = 0;
    bool chipSelected = false;
    std::uint32_t chipRegister = 0, chipCount = 0;
};

struct SimCaptureDevice {
    std::optional<std::string> name; // FriendlyName (UTF-8); none: it has none
    bool propertyBagFails = false;   // BindToStorage fails
    bool bindFails = false;          // BindToObject fails
    bool refuseInterface = false;    // QueryInterface for the custom interface fails
    SimI2CModel model;
};

class SimCapture {
public:
    SimCapture(EffectTrace& trace, win::DWORD& lastError);
    ~SimCapture();
    SimCapture(const SimCapture&) = delete;
    SimCapture& operator=(const SimCapture&) = delete;

    std::vector<SimCaptureDevice> video; // CLSID_VideoInputDeviceCategory
    std::vector<SimCaptureDevice> bda;   // KSCATEGORY_BDA_RECEIVER_COMPONENT
    bool enumeratorUnavailable = false;  // CoCreateInstance of the device enumerator fails
    // The categories listed through CreateClassEnumerator, in order ("video",
    // "bda", "other"): not effects, but the shape of the search.
    std::vector<std::string> enumeratedCategories;

    win::HRESULT CoInitialize(void* reserved);
    void CoUninitialize();
    win::HRESULT CoCreateInstance(const win::CLSID& classId, win::IUnknown* outer,
                                  win::DWORD context, const win::IID& iid, void** object);
    void SysFreeString(win::BSTR text);
    int WideCharToMultiByte(win::UINT codePage, win::DWORD flags, const win::OLECHAR* wide,
                            int wideLength, char* out, int outSize, const char* defaultChar,
                            win::BOOL* usedDefault);

    // For tests: what is still held once the launcher is done.
    int ComInitializations() const { return m_initializations; }
    long OutstandingReferences() const;
    std::size_t LiveStrings() const { return m_strings.size(); }
    // References given back beyond those taken, strings freed twice or never
    // handed out, calls to slots nobody may call.
    int Faults() const { return m_faults; }
    // The references held on the filter of a device (0 when never bound).
    long FilterReferences(const SimCaptureDevice& device) const;

    // Used by the simulated COM objects.
    class Object;
    win::BSTR AllocString(const std::string& utf8);
    void Fault(const std::string& what);
    void Own(Object* object);
    EffectTrace& Trace() { return m_trace; }
    bool Initialized() const { return m_initializations > 0; }
    const std::vector<SimCaptureDevice>* Category(const win::GUID& category) const;
    win::IBaseFilter* FilterOf(SimCaptureDevice& device);

private:
    EffectTrace& m_trace;
    win::DWORD& m_lastError;
    int m_initializations = 0;
    int m_faults = 0;
    std::vector<std::unique_ptr<Object>> m_objects;
    std::set<win::BSTR> m_strings;
    struct FilterEntry {
        const SimCaptureDevice* device;
        Object* object;
        win::IBaseFilter* filter;
    };
    std::vector<FilterEntry> m_filters;
};

// The scenario's "capture" section:
//   {"enumerator_unavailable": false,
//    "video": [DEVICE...], "bda": [DEVICE...]}
// DEVICE: {"name": "USB 6711 Device" (null: no FriendlyName), "property_bag_fails": false,
//          "bind_fails": false, "refuse_interface": false,
//          "registers": {"8": 80}, "chip_registers": {"69": 1}, "ready": true,
//          "i2c_present": true, "properties": {"4115": 0, "4135": 0, "4136": 0},
//          "failures": [{"id": 4104, "call": "get", "when": "once",
//                        "register": 38}]}     // "register": optional, transfers of it only
void LoadCapture(const nlohmann::json& section, SimCapture& capture);
