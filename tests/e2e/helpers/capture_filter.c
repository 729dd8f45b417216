/* Stands in for the capture driver's DirectShow filter: an in-process COM
 * server registered in the system device enumerator under one class ID per
 * stand-in device. The last byte of the class ID tells which device of the
 * configuration file beside this DLL (capture_devices.txt) a filter is.
 *
 * The filter answers IUnknown, IBaseFilter (stub methods: the launcher only
 * releases it) and the driver's custom interface IDeviceCustomProperty over a
 * model of the device's I2C bus: one I2C device at address 160 with 256 byte
 * registers, the capture chip's own registers and a few plain properties.
 * Every SetProperty/GetProperty call is logged as a "property" event.
 *
 * Configuration, one line each, a "device N" line starting device N's block:
 *   device N            name TEXT           category video|bda
 *   refuse_interface    bind_fails          not_ready      no_i2c
 *   reg R V             chip R V            prop ID V
 *   fail ID set|get once|always
 */
#define COBJMACROS
#include "e2e_log.h"
#include <objbase.h>
#include <strmif.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>

#define MAX_DEVICES 32
#define MAX_FAILURES 16
#define I2C_ADDRESS 160

#define PROP_CHIP_SELECT 4101
#define PROP_CHIP_DATA 4102
#define PROP_I2C_SELECT 4103
#define PROP_I2C_DATA 4104
#define PROP_DETECT_SELECT 4107
#define PROP_DEVICE_INFO 4115
#define PROP_DEVICE_READY 4116
#define PROP_EVENT_TAG 4135
#define PROP_EVENT_ADDRESS 4136

/* {E2E0CA00-0000-4000-8000-0000000000NN}: NN is the device's index. */
static const GUID kClassBase = {0xE2E0CA00, 0x0000, 0x4000,
                                {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};
static const IID kIidUnknown = {0x00000000, 0x0000, 0x0000,
                                {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIidClassFactory = {0x00000001, 0x0000, 0x0000,
                                     {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIidPersist = {0x0000010C, 0x0000, 0x0000,
                                {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIidMediaFilter = {0x56A86899, 0x0AD4, 0x11CE,
                                    {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
static const IID kIidBaseFilter = {0x56A86895, 0x0AD4, 0x11CE,
                                   {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
static const IID kIidCustomProperty = {0x3D1F7A20, 0x5C4B, 0x4E9A,
                                       {0x9B, 0x61, 0x7A, 0x02, 0xC8, 0xE5, 0xF3, 0x14}};

typedef struct {
    ULONG id;
    int set;      /* 1: SetProperty, 0: GetProperty */
    int always;   /* 0: the first such call only */
    int used;
} FailureRule;

typedef struct {
    char name[256];
    char category[16];
    int refuse_interface, bind_fails, ready, i2c_present;
    unsigned char registers[256];
    unsigned char chip_registers[256];
    ULONG device_info, event_tag, event_address;
    FailureRule failures[MAX_FAILURES];
    int failure_count;
} DeviceConfig;

static HINSTANCE module_instance;
static LONG live_objects;

/* ---- configuration --------------------------------------------------- */

/* Reads device `index` from the file beside this DLL; 0 when the file or
 * the device is missing. */
static int load_config(int index, DeviceConfig *config)
{
    char path[MAX_PATH], line[512];
    DWORD n = GetModuleFileNameA(module_instance, path, sizeof path);
    char *slash;
    FILE *file;
    int current = -1, found = 0;

    memset(config, 0, sizeof *config);
    config->ready = 1;
    config->i2c_present = 1;
    if (n == 0 || n >= sizeof path || !(slash = strrchr(path, '\\'))) return 0;
    strcpy(slash + 1, "capture_devices.txt");
    if (!(file = fopen(path, "r"))) return 0;
    while (fgets(line, sizeof line, file)) {
        char word[32] = "", text[300] = "", mode[16] = "";
        unsigned long a = 0, b = 0;
        line[strcspn(line, "\r\n")] = '\0';
        if (sscanf(line, "%31s", word) != 1) continue;
        if (strcmp(word, "device") == 0) {
            current = atoi(line + 6);
            if (current == index) found = 1;
            continue;
        }
        if (current != index) continue;
        if (strcmp(word, "name") == 0) {
            snprintf(config->name, sizeof config->name, "%s", line + 5);
        } else if (strcmp(word, "category") == 0 && sscanf(line, "%*s %15s", text) == 1) {
            strcpy(config->category, text);
        } else if (strcmp(word, "refuse_interface") == 0) {
            config->refuse_interface = 1;
        } else if (strcmp(word, "bind_fails") == 0) {
            config->bind_fails = 1;
        } else if (strcmp(word, "not_ready") == 0) {
            config->ready = 0;
        } else if (strcmp(word, "no_i2c") == 0) {
            config->i2c_present = 0;
        } else if (sscanf(line, "%*s %lu %lu", &a, &b) == 2 && strcmp(word, "reg") == 0) {
            config->registers[a & 255] = (unsigned char)b;
        } else if (sscanf(line, "%*s %lu %lu", &a, &b) == 2 && strcmp(word, "chip") == 0) {
            config->chip_registers[a & 255] = (unsigned char)b;
        } else if (sscanf(line, "%*s %lu %lu", &a, &b) == 2 && strcmp(word, "prop") == 0) {
            if (a == PROP_DEVICE_INFO) config->device_info = b;
            else if (a == PROP_EVENT_TAG) config->event_tag = b;
            else if (a == PROP_EVENT_ADDRESS) config->event_address = b;
        } else if (strcmp(word, "fail") == 0 && config->failure_count < MAX_FAILURES &&
                   sscanf(line, "%*s %lu %15s %15s", &a, text, mode) == 3) {
            FailureRule *rule = &config->failures[config->failure_count++];
            rule->id = a;
            rule->set = strcmp(text, "set") == 0;
            rule->always = strcmp(mode, "always") == 0;
        }
    }
    fclose(file);
    return found;
}

/* ---- the filter object ----------------------------------------------- */

typedef struct CustomPropertyVtbl CustomPropertyVtbl;
typedef struct {
    const IBaseFilterVtbl *filter_vtbl;
    const CustomPropertyVtbl *custom_vtbl;
    LONG refs;
    DeviceConfig config;
    ULONG transfer;        /* 4103 selection; 0: none */
    ULONG chip_select;     /* 4101 selection; 0: none */
    int detect_selected;   /* 4107 selected the I2C device */
} Filter;

struct CustomPropertyVtbl {
    HRESULT (STDMETHODCALLTYPE *QueryInterface)(void *self, REFIID riid, void **out);
    ULONG (STDMETHODCALLTYPE *AddRef)(void *self);
    ULONG (STDMETHODCALLTYPE *Release)(void *self);
    HRESULT (STDMETHODCALLTYPE *Unused)(void *self);
    HRESULT (STDMETHODCALLTYPE *SetProperty)(void *self, ULONG id, void *data);
    HRESULT (STDMETHODCALLTYPE *GetProperty)(void *self, ULONG id, void *data);
};

static Filter *from_filter(void *self) { return (Filter *)self; }
static Filter *from_custom(void *self)
{
    return (Filter *)((char *)self - offsetof(Filter, custom_vtbl));
}

static HRESULT filter_query(Filter *filter, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    *out = NULL;
    if (IsEqualIID(riid, &kIidUnknown) || IsEqualIID(riid, &kIidPersist) ||
        IsEqualIID(riid, &kIidMediaFilter) || IsEqualIID(riid, &kIidBaseFilter)) {
        *out = &filter->filter_vtbl;
    } else if (IsEqualIID(riid, &kIidCustomProperty) && !filter->config.refuse_interface) {
        *out = &filter->custom_vtbl;
    } else {
        return E_NOINTERFACE;
    }
    InterlockedIncrement(&filter->refs);
    return S_OK;
}

static ULONG filter_release(Filter *filter)
{
    LONG refs = InterlockedDecrement(&filter->refs);
    if (refs == 0) {
        HeapFree(GetProcessHeap(), 0, filter);
        InterlockedDecrement(&live_objects);
    }
    return (ULONG)refs;
}

/* IBaseFilter: identity and stubs. */
static HRESULT STDMETHODCALLTYPE bf_QueryInterface(IBaseFilter *self, REFIID riid, void **out)
{ return filter_query(from_filter(self), riid, out); }
static ULONG STDMETHODCALLTYPE bf_AddRef(IBaseFilter *self)
{ return (ULONG)InterlockedIncrement(&from_filter(self)->refs); }
static ULONG STDMETHODCALLTYPE bf_Release(IBaseFilter *self)
{ return filter_release(from_filter(self)); }
static HRESULT STDMETHODCALLTYPE bf_GetClassID(IBaseFilter *self, CLSID *clsid)
{ (void)self; (void)clsid; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_Stop(IBaseFilter *self) { (void)self; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_Pause(IBaseFilter *self) { (void)self; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_Run(IBaseFilter *self, REFERENCE_TIME start)
{ (void)self; (void)start; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_GetState(IBaseFilter *self, DWORD ms, FILTER_STATE *state)
{ (void)self; (void)ms; (void)state; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_SetSyncSource(IBaseFilter *self, IReferenceClock *clock)
{ (void)self; (void)clock; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_GetSyncSource(IBaseFilter *self, IReferenceClock **clock)
{ (void)self; (void)clock; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_EnumPins(IBaseFilter *self, IEnumPins **pins)
{ (void)self; (void)pins; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_FindPin(IBaseFilter *self, LPCWSTR id, IPin **pin)
{ (void)self; (void)id; (void)pin; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_QueryFilterInfo(IBaseFilter *self, FILTER_INFO *info)
{ (void)self; (void)info; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_JoinFilterGraph(IBaseFilter *self, IFilterGraph *graph,
                                                    LPCWSTR name)
{ (void)self; (void)graph; (void)name; return E_NOTIMPL; }
static HRESULT STDMETHODCALLTYPE bf_QueryVendorInfo(IBaseFilter *self, LPWSTR *info)
{ (void)self; (void)info; return E_NOTIMPL; }

static const IBaseFilterVtbl kFilterVtbl = {
    bf_QueryInterface, bf_AddRef, bf_Release, bf_GetClassID, bf_Stop, bf_Pause, bf_Run,
    bf_GetState, bf_SetSyncSource, bf_GetSyncSource, bf_EnumPins, bf_FindPin,
    bf_QueryFilterInfo, bf_JoinFilterGraph, bf_QueryVendorInfo,
};

/* ---- the I2C device model -------------------------------------------- */

/* A failure rule for this call, used up when it fails once only. */
static int injected_failure(Filter *filter, ULONG id, int set)
{
    for (int i = 0; i < filter->config.failure_count; ++i) {
        FailureRule *rule = &filter->config.failures[i];
        if (rule->id != id || rule->set != set || (!rule->always && rule->used)) continue;
        rule->used = 1;
        return 1;
    }
    return 0;
}

/* The byte count of the selection that a data property belongs to. */
static unsigned data_count(const Filter *filter, ULONG id)
{
    return (id == PROP_CHIP_DATA ? filter->chip_select : filter->transfer) & 255;
}

/* Whether a transfer to the I2C device is selected. */
static int transfer_selected(const Filter *filter)
{
    return filter->transfer != 0 && ((filter->transfer >> 16) & 255) == I2C_ADDRESS;
}

/* Copies `count` bytes between a bank of 256 registers, starting at `first`
 * (the index wraps past 255), and a caller's buffer. */
static void bank_transfer(unsigned char *bank, ULONG word, unsigned char *buffer, int write)
{
    unsigned first = (word >> 8) & 255, count = word & 255;
    for (unsigned i = 0; i < count; ++i) {
        if (write) bank[(first + i) & 255] = buffer[i];
        else buffer[i] = bank[(first + i) & 255];
    }
}

static void log_property(Filter *filter, const char *call, ULONG id, const void *data,
                         int have_data, HRESULT result)
{
    JsonLine line;
    char number[16];
    json_begin(&line, "property");
    json_key(&line, "call");
    json_string(&line, call);
    json_key(&line, "id");
    sprintf(number, "%lu", id);
    json_raw(&line, number);
    json_key(&line, "data");
    if (!have_data || !data) {
        json_raw(&line, "null");
    } else if (id == PROP_CHIP_DATA || id == PROP_I2C_DATA) {
        unsigned count = data_count(filter, id);
        json_raw(&line, "[");
        for (unsigned i = 0; i < count; ++i) {
            sprintf(number, "%s%u", i ? "," : "", ((const unsigned char *)data)[i]);
            json_raw(&line, number);
        }
        json_raw(&line, "]");
    } else {
        sprintf(number, "%lu", *(const ULONG *)data);
        json_raw(&line, number);
    }
    json_key(&line, "result");
    sprintf(number, "%lu", (unsigned long)(ULONG)result);
    json_raw(&line, number);
    json_commit(&line);
}

static HRESULT set_property(Filter *filter, ULONG id, void *data)
{
    ULONG word;
    if (!data) return E_POINTER;
    if (injected_failure(filter, id, 1)) return E_FAIL;
    switch (id) {
    case PROP_I2C_SELECT:
        filter->transfer = *(ULONG *)data;
        return S_OK;
    case PROP_CHIP_SELECT:
        filter->chip_select = *(ULONG *)data;
        return S_OK;
    case PROP_DETECT_SELECT:
        word = *(ULONG *)data;
        filter->detect_selected = word == I2C_ADDRESS && filter->config.i2c_present;
        return filter->detect_selected ? S_OK : E_FAIL;
    case PROP_I2C_DATA:
        if (!transfer_selected(filter)) return E_FAIL;
        bank_transfer(filter->config.registers, filter->transfer, data, 1);
        return S_OK;
    default:
        return E_NOTIMPL;
    }
}

static HRESULT get_property(Filter *filter, ULONG id, void *data)
{
    if (!data) return E_POINTER;
    if (injected_failure(filter, id, 0)) return E_FAIL;
    switch (id) {
    case PROP_DEVICE_READY:
        *(ULONG *)data = filter->detect_selected && filter->config.ready;
        return S_OK;
    case PROP_DEVICE_INFO:
        *(ULONG *)data = filter->config.device_info;
        return S_OK;
    case PROP_EVENT_TAG:
        *(ULONG *)data = filter->config.event_tag;
        return S_OK;
    case PROP_EVENT_ADDRESS:
        *(ULONG *)data = filter->config.event_address;
        return S_OK;
    case PROP_I2C_DATA:
        if (!transfer_selected(filter)) return E_FAIL;
        bank_transfer(filter->config.registers, filter->transfer, data, 0);
        return S_OK;
    case PROP_CHIP_DATA:
        if (filter->chip_select == 0) return E_FAIL;
        bank_transfer(filter->config.chip_registers, filter->chip_select, data, 0);
        return S_OK;
    default:
        return E_NOTIMPL;
    }
}

/* IDeviceCustomProperty. */
static HRESULT STDMETHODCALLTYPE cp_QueryInterface(void *self, REFIID riid, void **out)
{ return filter_query(from_custom(self), riid, out); }
static ULONG STDMETHODCALLTYPE cp_AddRef(void *self)
{ return (ULONG)InterlockedIncrement(&from_custom(self)->refs); }
static ULONG STDMETHODCALLTYPE cp_Release(void *self)
{ return filter_release(from_custom(self)); }
static HRESULT STDMETHODCALLTYPE cp_Unused(void *self) { (void)self; return E_NOTIMPL; }

static HRESULT STDMETHODCALLTYPE cp_SetProperty(void *self, ULONG id, void *data)
{
    Filter *filter = from_custom(self);
    /* Logged as passed, with the byte count of the selection in force. */
    HRESULT result = set_property(filter, id, data);
    log_property(filter, "set", id, data, 1, result);
    return result;
}

static HRESULT STDMETHODCALLTYPE cp_GetProperty(void *self, ULONG id, void *data)
{
    Filter *filter = from_custom(self);
    HRESULT result = get_property(filter, id, data);
    log_property(filter, "get", id, data, SUCCEEDED(result), result);
    return result;
}

static const CustomPropertyVtbl kCustomVtbl = {
    cp_QueryInterface, cp_AddRef, cp_Release, cp_Unused, cp_SetProperty, cp_GetProperty,
};

/* Reported for the record (which stand-in was bound), not compared. */
static void log_bound(const DeviceConfig *config)
{
    JsonLine line;
    json_begin(&line, "capture_filter");
    json_key(&line, "name");
    json_string(&line, config->name);
    json_key(&line, "category");
    json_string(&line, config->category);
    json_commit(&line);
}

/* ---- class factory and exports --------------------------------------- */

typedef struct {
    const IClassFactoryVtbl *vtbl;
    int index;
} Factory;

static HRESULT STDMETHODCALLTYPE cf_QueryInterface(IClassFactory *self, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, &kIidUnknown) || IsEqualIID(riid, &kIidClassFactory)) {
        *out = self;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}
/* The factories are static: counting their references would change nothing. */
static ULONG STDMETHODCALLTYPE cf_AddRef(IClassFactory *self) { (void)self; return 2; }
static ULONG STDMETHODCALLTYPE cf_Release(IClassFactory *self) { (void)self; return 1; }

static HRESULT STDMETHODCALLTYPE cf_CreateInstance(IClassFactory *self, IUnknown *outer,
                                                   REFIID riid, void **out)
{
    Factory *factory = (Factory *)self;
    Filter *filter;
    HRESULT hr;
    if (!out) return E_POINTER;
    *out = NULL;
    if (outer) return CLASS_E_NOAGGREGATION;
    filter = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *filter);
    if (!filter) return E_OUTOFMEMORY;
    if (!load_config(factory->index, &filter->config) || filter->config.bind_fails) {
        HeapFree(GetProcessHeap(), 0, filter);
        return E_FAIL;
    }
    filter->filter_vtbl = &kFilterVtbl;
    filter->custom_vtbl = &kCustomVtbl;
    filter->refs = 1;
    InterlockedIncrement(&live_objects);
    hr = filter_query(filter, riid, out);
    filter_release(filter);
    if (SUCCEEDED(hr)) log_bound(&filter->config);
    return hr;
}

static HRESULT STDMETHODCALLTYPE cf_LockServer(IClassFactory *self, BOOL lock)
{
    (void)self;
    if (lock) InterlockedIncrement(&live_objects);
    else InterlockedDecrement(&live_objects);
    return S_OK;
}

static const IClassFactoryVtbl kFactoryVtbl = {
    cf_QueryInterface, cf_AddRef, cf_Release, cf_CreateInstance, cf_LockServer,
};

static Factory factories[MAX_DEVICES];

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void **out)
{
    int index;
    if (!out) return E_POINTER;
    *out = NULL;
    if (memcmp(clsid, &kClassBase, sizeof(GUID) - 1) != 0) return CLASS_E_CLASSNOTAVAILABLE;
    index = clsid->Data4[7];
    if (index >= MAX_DEVICES) return CLASS_E_CLASSNOTAVAILABLE;
    factories[index].vtbl = &kFactoryVtbl;
    factories[index].index = index;
    return cf_QueryInterface((IClassFactory *)&factories[index], riid, out);
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow(void)
{
    return live_objects == 0 ? S_OK : S_FALSE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        module_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
