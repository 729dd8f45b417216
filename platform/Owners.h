// Owners that give back what the launcher takes from the system, through the
// platform interface, when they go out of scope.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "platform/Platform.h"

class OwnedHandle {
public:
    OwnedHandle(Platform& os, win::HANDLE handle) : m_os(os), m_handle(handle) {}
    ~OwnedHandle()
    {
        if (m_handle != nullptr)
            m_os.CloseHandle(m_handle);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    win::HANDLE get() const { return m_handle; }
    // For a call that hands a handle back; the owner must still be empty.
    win::HANDLE* receive() { return &m_handle; }

private:
    Platform& m_os;
    win::HANDLE m_handle;
};

class OwnedKey {
public:
    explicit OwnedKey(Platform& os) : m_os(os) {}
    ~OwnedKey()
    {
        if (m_key != nullptr)
            m_os.RegCloseKey(m_key);
    }
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;

    win::HKEY get() const { return m_key; }
    win::HKEY* receive() { return &m_key; }

private:
    Platform& m_os;
    win::HKEY m_key = nullptr;
};

// A zeroed block of memory from the C runtime's heap.
class OwnedBuffer {
public:
    OwnedBuffer() = default;
    ~OwnedBuffer() { Free(); }
    OwnedBuffer(const OwnedBuffer&) = delete;
    OwnedBuffer& operator=(const OwnedBuffer&) = delete;

    // Gives back the block held, if any, and takes a zeroed one of `size`
    // bytes. False, holding nothing, when there is no memory for it.
    bool Allocate(win::DWORD size)
    {
        Free();
        m_data = static_cast<win::BYTE*>(std::calloc(size == 0 ? 1 : size, 1));
        m_size = m_data != nullptr ? size : 0;
        return m_data != nullptr;
    }
    void Free()
    {
        std::free(m_data);
        m_data = nullptr;
        m_size = 0;
    }

    win::BYTE* get() const { return m_data; }
    win::DWORD size() const { return m_size; }

private:
    win::BYTE* m_data = nullptr;
    win::DWORD m_size = 0;
};

// A device information set. Destroying it keeps the thread's last error as
// the pass over the set left it, since that is what callers look at.
class OwnedDeviceSet {
public:
    OwnedDeviceSet(Platform& os, win::HDEVINFO set) : m_os(os), m_set(set) {}
    ~OwnedDeviceSet()
    {
        if (!valid())
            return;
        const win::DWORD lastError = m_os.GetLastError();
        m_os.SetupDiDestroyDeviceInfoList(m_set);
        m_os.SetLastError(lastError);
    }
    OwnedDeviceSet(const OwnedDeviceSet&) = delete;
    OwnedDeviceSet& operator=(const OwnedDeviceSet&) = delete;

    bool valid() const
    {
        return m_set != nullptr &&
               m_set != reinterpret_cast<win::HDEVINFO>(static_cast<std::intptr_t>(-1));
    }
    win::HDEVINFO get() const { return m_set; }

private:
    Platform& m_os;
    win::HDEVINFO m_set;
};

// One reference on a COM interface, released when the owner goes.
template <class Interface> class OwnedInterface {
public:
    OwnedInterface() = default;
    ~OwnedInterface() { Reset(); }
    OwnedInterface(const OwnedInterface&) = delete;
    OwnedInterface& operator=(const OwnedInterface&) = delete;

    Interface* get() const { return m_object; }
    Interface* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // For out-parameters of the interface's own type; releases what is held.
    Interface** receive()
    {
        Reset();
        return &m_object;
    }
    // Takes over a reference handed out through a void** out-parameter.
    void Attach(void* object)
    {
        Reset();
        m_object = static_cast<Interface*>(object);
    }
    // Hands the reference over to the caller.
    Interface* Detach()
    {
        Interface* object = m_object;
        m_object = nullptr;
        return object;
    }
    void Reset()
    {
        if (m_object != nullptr)
            m_object->Release();
        m_object = nullptr;
    }

private:
    Interface* m_object = nullptr;
};
