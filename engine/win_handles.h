// Owners of the kernel handles the engine opens: a loaded library and a file.
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

// A handle from CreateFileW (INVALID_HANDLE_VALUE when empty), closed when it
// goes out of scope.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : m_hFile(handle) {}
    ~FileHandle() { Reset(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : m_hFile(other.m_hFile) {
        other.m_hFile = INVALID_HANDLE_VALUE;
    }
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_hFile = other.m_hFile;
            other.m_hFile = INVALID_HANDLE_VALUE;
        }
        return *this;
    }

    void Reset() {
        if (m_hFile != INVALID_HANDLE_VALUE) {
            CloseHandle(m_hFile);
            m_hFile = INVALID_HANDLE_VALUE;
        }
    }
    HANDLE Get() const { return m_hFile; }
    explicit operator bool() const { return m_hFile != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

// GetProcAddress typed as Fn. The detour through void(*)() is the one cast
// GCC accepts between unrelated function types without -Wcast-function-type.
template <typename Fn>
Fn GetProcAs(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
