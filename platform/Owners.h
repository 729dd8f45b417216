// Owners that give back what the launcher takes from the system, through the
// platform interface, when they go out of scope.
#pragma once

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
