// COM for the span of one shell-link operation, and interface pointers that
// release themselves.
#pragma once

#include <objbase.h>
#include <shlobj.h>

#include "shell_api.h"

// Only a successful CoInitialize (S_OK or S_FALSE) is balanced: after
// RPC_E_CHANGED_MODE the thread already lives in another apartment, the work
// is still done there, and an extra CoUninitialize would tear down the
// caller's COM.
class ComScope {
public:
    ComScope() : m_hr(lazy::CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) lazy::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

// One interface pointer, released when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }

    void Reset() {
        if (m_p) {
            m_p->Release();
            m_p = nullptr;
        }
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&m_p);
    }

private:
    T* m_p = nullptr;
};

// An item-id list the shell allocated for us.
class ItemIdList {
public:
    ItemIdList() = default;
    explicit ItemIdList(LPITEMIDLIST list) : m_pidl(list) {}
    ~ItemIdList() { lazy::CoTaskMemFree(m_pidl); }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;

    LPITEMIDLIST* Put() { return &m_pidl; }
    LPCITEMIDLIST Get() const { return m_pidl; }

private:
    LPITEMIDLIST m_pidl = nullptr;
};
