// The simulated machine's SetupAPI and COM answer as Windows does: results,
// error codes and sizes, since a wrong answer here would hide a fault of the
// launcher.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/WinConstants.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedMachine.h"

using nlohmann::json;

namespace {

win::SP_DEVINFO_DATA Element()
{
    win::SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    return device;
}

} // namespace

TEST(SimulatedSetupApi, HardwareIdPropertyAnswersWithWindowsSizesAndErrors)
{
    SimulatedMachine machine;
    LoadDeviceTree({{"nodes", {{{"hardware_ids", {"AB", "C"}}}, json::object(),
                               {{"hardware_ids", {"D"}}, {"read_error", 31}}}}},
                   machine.devices);
    const win::HDEVINFO set = machine.SetupDiGetClassDevsA(nullptr, nullptr, nullptr, win::DIGCF_ALLCLASSES);
    ASSERT_NE(set, win::InvalidDeviceSet());
    win::SP_DEVINFO_DATA device = Element();
    ASSERT_TRUE(machine.SetupDiEnumDeviceInfo(set, 0, &device));

    // "AB\0C\0\0": 6 bytes.
    win::DWORD required = 0;
    machine.SetLastError(0xDEADBEEF);
    EXPECT_FALSE(machine.SetupDiGetDeviceRegistryPropertyA(set, &device, win::SPDRP_HARDWAREID, nullptr,
                                                           nullptr, 0, &required));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(required, 6u);

    win::BYTE buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    required = 0;
    EXPECT_FALSE(machine.SetupDiGetDeviceRegistryPropertyA(set, &device, win::SPDRP_HARDWAREID, nullptr,
                                                           buffer, 5, &required));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(required, 6u);
    EXPECT_EQ(buffer[0], '#') << "a buffer too small is left alone";

    EXPECT_FALSE(machine.SetupDiGetDeviceRegistryPropertyA(set, &device, win::SPDRP_HARDWAREID, nullptr,
                                                           nullptr, 6, &required));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INVALID_USER_BUFFER);

    win::DWORD type = 0;
    EXPECT_TRUE(machine.SetupDiGetDeviceRegistryPropertyA(set, &device, win::SPDRP_HARDWAREID, &type,
                                                          buffer, 8, &required));
    EXPECT_EQ(machine.GetLastError(), 0u);
    EXPECT_EQ(type, win::REG_MULTI_SZ);
    EXPECT_EQ(required, 6u);
    EXPECT_EQ(std::memcmp(buffer, "AB\0C\0\0##", 8), 0);

    ASSERT_TRUE(machine.SetupDiEnumDeviceInfo(set, 1, &device));
    EXPECT_FALSE(machine.SetupDiGetDeviceRegistryPropertyA(set, &device, win::SPDRP_HARDWAREID, nullptr,
                                                           buffer, 8, &required));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INVALID_DATA);

    ASSERT_TRUE(machine.SetupDiEnumDeviceInfo(set, 2, &device));
    EXPECT_FALSE(machine.SetupDiGetDeviceRegistryPropertyA(set, &device, win::SPDRP_HARDWAREID, nullptr,
                                                           buffer, 8, &required));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_GEN_FAILURE);

    EXPECT_FALSE(machine.SetupDiEnumDeviceInfo(set, 3, &device));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_NO_MORE_ITEMS);
    win::SP_DEVINFO_DATA wrongSize = Element();
    wrongSize.cbSize = 12;
    EXPECT_FALSE(machine.SetupDiEnumDeviceInfo(set, 0, &wrongSize));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INVALID_USER_BUFFER);

    machine.SetLastError(0xDEADBEEF);
    EXPECT_TRUE(machine.SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(machine.GetLastError(), 0u) << "success clears the last error, as SetupAPI does";
    EXPECT_FALSE(machine.SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INVALID_HANDLE);
    EXPECT_FALSE(machine.SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INVALID_HANDLE);
}

TEST(SimulatedSetupApi, SetsListPresentOrAllNodesAndRemovalsLast)
{
    SimulatedMachine machine;
    LoadDeviceTree({{"nodes", {{{"hardware_ids", {"A"}}}, {{"hardware_ids", {"B"}}, {"present", false}}}}},
                   machine.devices);
    auto count = [&](win::DWORD flags) {
        const win::HDEVINFO set = machine.SetupDiGetClassDevsA(nullptr, nullptr, nullptr, flags);
        win::SP_DEVINFO_DATA device = Element();
        int n = 0;
        while (machine.SetupDiEnumDeviceInfo(set, static_cast<win::DWORD>(n), &device))
            ++n;
        machine.SetupDiDestroyDeviceInfoList(set);
        return n;
    };
    EXPECT_EQ(count(win::DIGCF_PRESENT | win::DIGCF_ALLCLASSES), 1);
    EXPECT_EQ(count(win::DIGCF_ALLCLASSES), 2);

    const win::HDEVINFO set = machine.SetupDiGetClassDevsA(nullptr, nullptr, nullptr, win::DIGCF_ALLCLASSES);
    win::SP_DEVINFO_DATA device = Element();
    ASSERT_TRUE(machine.SetupDiEnumDeviceInfo(set, 1, &device));
    EXPECT_TRUE(machine.SetupDiRemoveDevice(set, &device));
    EXPECT_FALSE(machine.SetupDiRemoveDevice(set, &device));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_NO_SUCH_DEVINST);
    machine.SetupDiDestroyDeviceInfoList(set);
    EXPECT_EQ(count(win::DIGCF_ALLCLASSES), 1) << "a removed node is gone for later sets";
    const auto removals = machine.trace.OfKind("remove_device");
    ASSERT_EQ(removals.size(), 2u);
    EXPECT_EQ(removals[0]["hardware_id"], "B");
    EXPECT_EQ(removals[0]["result"], true);

    // Without DIGCF_ALLCLASSES a class is needed; a set that cannot be made.
    EXPECT_EQ(machine.SetupDiGetClassDevsA(nullptr, nullptr, nullptr, win::DIGCF_PRESENT), win::InvalidDeviceSet());
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INVALID_PARAMETER);
    machine.devices.setError = 8;
    EXPECT_EQ(machine.SetupDiGetClassDevsA(nullptr, nullptr, nullptr, win::DIGCF_ALLCLASSES), win::InvalidDeviceSet());
    EXPECT_EQ(machine.GetLastError(), 8u);
}

TEST(SimulatedCom, AnswersAsComAndTheDeviceEnumeratorDo)
{
    SimulatedMachine machine;
    LoadCapture({{"video", {{{"name", "Cam"}}, {{"name", nullptr}}}}}, machine.capture);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(machine.CoCreateInstance(win::CLSID_SystemDeviceEnum, nullptr, win::CLSCTX_INPROC_SERVER,
                                       win::IID_ICreateDevEnum, &object),
              win::CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(machine.CoInitialize(nullptr), win::S_OK);
    EXPECT_EQ(machine.CoInitialize(nullptr), win::S_FALSE);
    EXPECT_EQ(machine.CoCreateInstance(win::CLSID_VideoInputDeviceCategory, nullptr, win::CLSCTX_INPROC_SERVER,
                                       win::IID_ICreateDevEnum, &object),
              win::REGDB_E_CLASSNOTREG);
    ASSERT_EQ(machine.CoCreateInstance(win::CLSID_SystemDeviceEnum, nullptr, win::CLSCTX_INPROC_SERVER,
                                       win::IID_ICreateDevEnum, &object),
              win::S_OK);
    auto* devices = static_cast<win::ICreateDevEnum*>(object);

    win::IEnumMoniker* monikers = reinterpret_cast<win::IEnumMoniker*>(1);
    EXPECT_EQ(devices->CreateClassEnumerator(win::KSCATEGORY_BDA_RECEIVER_COMPONENT, &monikers, 0), win::S_FALSE);
    EXPECT_EQ(monikers, nullptr) << "an empty category gives no enumerator";
    ASSERT_EQ(devices->CreateClassEnumerator(win::CLSID_VideoInputDeviceCategory, &monikers, 0), win::S_OK);

    win::IMoniker* moniker = nullptr;
    win::ULONG fetched = 0;
    ASSERT_EQ(monikers->Next(1, &moniker, &fetched), win::S_OK);
    EXPECT_EQ(fetched, 1u);
    ASSERT_EQ(moniker->BindToStorage(nullptr, nullptr, win::IID_IPropertyBag, &object), win::S_OK);
    auto* bag = static_cast<win::IPropertyBag*>(object);
    win::VARIANT value = {};
    value.vt = win::VT_BSTR;
    EXPECT_EQ(bag->Read(u"Other", &value, nullptr), win::HRESULT_FILE_NOT_FOUND);
    ASSERT_EQ(bag->Read(u"FriendlyName", &value, nullptr), win::S_OK);
    char name[8];
    EXPECT_EQ(machine.WideCharToMultiByte(win::CP_ACP, 0, value.bstrVal, -1, name, 0, nullptr, nullptr), 4);
    EXPECT_EQ(machine.WideCharToMultiByte(win::CP_ACP, 0, value.bstrVal, -1, name, 3, nullptr, nullptr), 0);
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(machine.WideCharToMultiByte(win::CP_ACP, 0, value.bstrVal, -1, name, sizeof name, nullptr, nullptr), 4);
    EXPECT_STREQ(name, "Cam");
    machine.SysFreeString(value.bstrVal);
    EXPECT_EQ(machine.capture.LiveStrings(), 0u);
    bag->Release();
    moniker->Release();

    // The second device has no friendly name.
    ASSERT_EQ(monikers->Next(1, &moniker, &fetched), win::S_OK);
    ASSERT_EQ(moniker->BindToStorage(nullptr, nullptr, win::IID_IPropertyBag, &object), win::S_OK);
    bag = static_cast<win::IPropertyBag*>(object);
    value.vt = win::VT_BSTR;
    EXPECT_EQ(bag->Read(u"FriendlyName", &value, nullptr), win::HRESULT_FILE_NOT_FOUND);
    bag->Release();
    moniker->Release();
    EXPECT_EQ(monikers->Next(1, &moniker, &fetched), win::S_FALSE);
    EXPECT_EQ(fetched, 0u);
    monikers->Release();
    devices->Release();
    EXPECT_EQ(machine.capture.OutstandingReferences(), 0);
    EXPECT_EQ(machine.capture.Faults(), 0);
    machine.CoUninitialize();
    machine.CoUninitialize();
    EXPECT_EQ(machine.capture.ComInitializations(), 0);
}

TEST(SimulatedCom, TheDriverModelAnswersUnknownAndUnselectedCalls)
{
    SimulatedMachine machine;
    LoadCapture({{"video", {{{"name", "Cam"}, {"registers", {{"8", 80}}},
                             {"failures", {{{"id", 4104}, {"call", "get"}, {"when", "once"}}}}}}}},
                machine.capture);
    machine.CoInitialize(nullptr);
    win::IBaseFilter* filter = machine.capture.FilterOf(machine.capture.video[0]);
    void* object = nullptr;
    ASSERT_EQ(filter->QueryInterface(win::IID_IDeviceCustomProperty, &object), win::S_OK);
    auto* custom = static_cast<win::IDeviceCustomProperty*>(object);
    std::uint32_t word = 0xAAAAAAAA;
    EXPECT_EQ(custom->GetProperty(4999, &word), win::E_NOTIMPL);
    word = 0x01A00801;
    EXPECT_EQ(custom->SetProperty(4103, &word), win::S_OK);
    std::uint32_t data = 0xAAAAAAAA;
    EXPECT_EQ(custom->GetProperty(4104, &data), win::E_FAIL) << "the failure rule, once";
    EXPECT_EQ(data, 0xAAAAAAAAu);
    EXPECT_EQ(custom->GetProperty(4104, &data), win::S_OK);
    EXPECT_EQ(data, 0xAAAAAA50u) << "one byte read";
    word = 0x01A20801; // another address
    custom->SetProperty(4103, &word);
    EXPECT_EQ(custom->GetProperty(4104, &data), win::E_FAIL);
    word = 0;
    custom->SetProperty(4103, &word);
    EXPECT_EQ(custom->GetProperty(4104, &data), win::E_FAIL) << "no transfer selected";
    custom->Release();
    machine.CoUninitialize();
    EXPECT_EQ(machine.capture.OutstandingReferences(), 0);
}

TEST(SimulatedScenario, DeviceSectionsRefuseUnknownKeysAndWrongTypes)
{
    struct Case {
        json scenario;
        const char* message;
    };
    const Case cases[] = {
        {{{"devices", {{"nodes", {{{"hardware_ids", {"A"}}, {"colour", 1}}}}}}}, "devices.nodes[0].colour: unknown key"},
        {{{"devices", {{"nodes", {{{"present", "yes"}}}}}}}, "devices.nodes[0].present: must be true or false"},
        {{{"devices", {{"nodes", {{{"hardware_id_hex", "4G"}}}}}}}, "devices.nodes[0].hardware_id_hex: must be pairs of hex digits"},
        {{{"devices", {{"set_error", -1}}}}, "devices.set_error: must be a number from 0"},
        {{{"capture", {{"vid", json::array()}}}}, "capture.vid: unknown key"},
        {{{"capture", {{"video", {{{"name", 5}}}}}}}, "capture.video[0].name: must be a string"},
        {{{"capture", {{"bda", {{{"name", "X"}, {"registers", {{"256", 1}}}}}}}}}, "capture.bda[0].registers.256: key must be at most 255"},
        {{{"capture", {{"video", {{{"name", "X"}, {"failures", {{{"id", 4104}, {"call", "put"}, {"when", "once"}}}}}}}}}},
         "capture.video[0].failures[0].call: must be \"set\" or \"get\""},
        {{{"capture", {{"video", {{{"name", "X"}, {"properties", {{"4116", 1}}}}}}}}}, "capture.video[0].properties.4116: only 4115, 4135 and 4136 hold values"},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        std::string error;
        EXPECT_FALSE(LoadScenario(c.scenario, ".", machine, error)) << c.scenario.dump();
        EXPECT_EQ(error, c.message) << c.scenario.dump();
    }
}
