// Loading of system libraries by their full path in the system folder, so
// that a planted DLL next to the setup is never picked up.
#pragma once

#include <windows.h>

// Full path of `fileName` in the system folder; false when it does not fit.
bool SystemLibraryPath(const wchar_t* fileName, wchar_t* path, int pathChars);

// Owns a module loaded with LoadLibraryW; FreeLibrary on destruction unless released.
class LibraryModule {
public:
    explicit LibraryModule(const wchar_t* systemFileName);
    ~LibraryModule();
    LibraryModule(const LibraryModule&) = delete;
    LibraryModule& operator=(const LibraryModule&) = delete;
    LibraryModule(LibraryModule&& other) noexcept : m_module(other.m_module) { other.m_module = nullptr; }

    HMODULE get() const { return m_module; }
    explicit operator bool() const { return m_module != nullptr; }
    FARPROC Proc(const char* name) const { return m_module ? GetProcAddress(m_module, name) : nullptr; }
    HMODULE release() { HMODULE m = m_module; m_module = nullptr; return m; }

private:
    HMODULE m_module = nullptr;
};
