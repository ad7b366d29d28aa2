// Owners of the kernel handles the programs open: a loaded library and any
// other kernel handle.
#pragma once

#include <windows.h>

// A library loaded with LoadLibraryW, freed when it goes out of scope.
class ModuleHandle {
public:
    ModuleHandle() = default;
    explicit ModuleHandle(HMODULE module) : m_hModule(module) {}
    ~ModuleHandle() { Reset(); }
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;
    ModuleHandle(ModuleHandle&& other) noexcept : m_hModule(other.m_hModule) {
        other.m_hModule = nullptr;
    }
    ModuleHandle& operator=(ModuleHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_hModule = other.m_hModule;
            other.m_hModule = nullptr;
        }
        return *this;
    }

    void Reset() {
        if (m_hModule) {
            FreeLibrary(m_hModule);
            m_hModule = nullptr;
        }
    }
    HMODULE Get() const { return m_hModule; }
    explicit operator bool() const { return m_hModule != nullptr; }

private:
    HMODULE m_hModule = nullptr;
};

// A kernel handle (file, pipe, process, thread), closed when it goes out of
// scope. Both of Windows' "no handle" values count as empty: CreateFileW
// returns INVALID_HANDLE_VALUE, most other calls null.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : m_handle(handle) {}
    ~KernelHandle() { Reset(); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    KernelHandle(KernelHandle&& other) noexcept : m_handle(other.m_handle) {
        other.m_handle = nullptr;
    }
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.m_handle);
            other.m_handle = nullptr;
        }
        return *this;
    }

    void Reset(HANDLE handle = nullptr) {
        if (IsValid()) CloseHandle(m_handle);
        m_handle = handle;
    }
    HANDLE Get() const { return m_handle; }
    // Closes now and says whether Windows accepted the close (the last
    // write of a file may only fail there).
    bool Close() {
        const bool closed = IsValid() && CloseHandle(m_handle);
        m_handle = nullptr;
        return closed;
    }
    // Closes what it holds and lends its slot to a call that returns a handle.
    HANDLE* Put() {
        Reset();
        return &m_handle;
    }
    bool IsValid() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return IsValid(); }

private:
    HANDLE m_handle = nullptr;
};

// GetProcAddress typed as Fn. The detour through void(*)() is the one cast
// GCC accepts between unrelated function types without -Wcast-function-type.
template <typename Fn>
Fn GetProcAs(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
