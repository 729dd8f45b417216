// The few COM types and interfaces the launcher calls, declared with COM's
// binary layout: each interface is an abstract class whose virtual methods
// stand in vtable slot order, so a pointer handed out by Windows is called
// directly, and the simulated machine answers with C++ objects of its own.
// Slots the launcher never calls are placeholders that keep the later slots
// in place.
#pragma once

#include <cstdint>

// COM's calling convention: __stdcall on 32-bit Windows; the host has one
// calling convention only. The one place where the build target shows.
#if defined(_WIN32) && !defined(_WIN64)
#define COM_CALL __stdcall
#else
#define COM_CALL
#endif

namespace win {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using VARTYPE = std::uint16_t;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;

inline bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i])
            return false;
    }
    return true;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

// VARIANT: the type tag, three reserved words, then the value.
struct VARIANT {
    VARTYPE vt;
    std::uint16_t wReserved1;
    std::uint16_t wReserved2;
    std::uint16_t wReserved3;
    union {
        BSTR bstrVal;
        std::int32_t lVal;
        std::int64_t llVal;
        void* byref;
        // The record's full size: two pointers of value space.
        struct {
            void* pvRecord;
            void* pRecInfo;
        } brecVal;
    };
};

class IUnknown {
public:
    virtual HRESULT COM_CALL QueryInterface(const IID& iid, void** object) = 0;
    virtual ULONG COM_CALL AddRef() = 0;
    virtual ULONG COM_CALL Release() = 0;

protected:
    ~IUnknown() = default;
};

// Only passed on as null.
class IBindCtx;
class IErrorLog;

class IMoniker;

class IEnumMoniker : public IUnknown {
public:
    virtual HRESULT COM_CALL Next(ULONG count, IMoniker** monikers, ULONG* fetched) = 0;
    virtual HRESULT COM_CALL Skip(ULONG count) = 0;
    virtual HRESULT COM_CALL Reset() = 0;
    virtual HRESULT COM_CALL Clone(IEnumMoniker** copy) = 0;

protected:
    ~IEnumMoniker() = default;
};

class ICreateDevEnum : public IUnknown {
public:
    virtual HRESULT COM_CALL CreateClassEnumerator(const CLSID& category, IEnumMoniker** enumerator,
                                                   std::uint32_t flags) = 0;

protected:
    ~ICreateDevEnum() = default;
};

class IMoniker : public IUnknown {
public:
    // IPersist, IPersistStream.
    virtual HRESULT COM_CALL GetClassID(CLSID* classId) = 0;
    virtual HRESULT COM_CALL IsDirty() = 0;
    virtual HRESULT COM_CALL Load(void* stream) = 0;
    virtual HRESULT COM_CALL Save(void* stream, int clearDirty) = 0;
    virtual HRESULT COM_CALL GetSizeMax(void* size) = 0;
    // IMoniker, as far as the launcher calls it.
    virtual HRESULT COM_CALL BindToObject(IBindCtx* context, IMoniker* left, const IID& iid,
                                          void** object) = 0;
    virtual HRESULT COM_CALL BindToStorage(IBindCtx* context, IMoniker* left, const IID& iid,
                                           void** object) = 0;

protected:
    ~IMoniker() = default;
};

class IPropertyBag : public IUnknown {
public:
    virtual HRESULT COM_CALL Read(const OLECHAR* name, VARIANT* value, IErrorLog* errorLog) = 0;
    virtual HRESULT COM_CALL Write(const OLECHAR* name, VARIANT* value) = 0;

protected:
    ~IPropertyBag() = default;
};

// A DirectShow filter; the launcher only asks it for other interfaces.
class IBaseFilter : public IUnknown {
protected:
    ~IBaseFilter() = default;
};

// The capture driver's custom property interface. Slot 3 belongs to the
// driver and is never called.
class IDeviceCustomProperty : public IUnknown {
public:
    virtual HRESULT COM_CALL Unused3() = 0;
    virtual HRESULT COM_CALL SetProperty(ULONG propertyId, void* data) = 0;
    virtual HRESULT COM_CALL GetProperty(ULONG propertyId, void* data) = 0;

protected:
    ~IDeviceCustomProperty() = default;
};

} // namespace win
