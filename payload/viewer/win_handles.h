// Small owners of the Win32 handles the viewer uses: one type per kind,
// copying deleted, moving allowed.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace pixo {

// Owns one value of a handle kind; Traits says what "none" is and how to close.
template <typename Traits>
class UniqueHandle {
public:
    using Value = typename Traits::Value;

    UniqueHandle() = default;
    explicit UniqueHandle(Value v) : m_value(v) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Value Get() const { return m_value; }
    explicit operator bool() const { return m_value != Traits::None(); }
    Value Release() { return std::exchange(m_value, Traits::None()); }
    void Reset(Value v = Traits::None()) {
        if (m_value != Traits::None()) Traits::Close(m_value);
        m_value = v;
    }

private:
    Value m_value = Traits::None();
};

struct FileTraits {
    using Value = HANDLE;
    static Value None() { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) { CloseHandle(v); }
};
struct FindTraits {
    using Value = HANDLE;
    static Value None() { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) { FindClose(v); }
};
struct GdiTraits {
    using Value = HGDIOBJ;
    static Value None() { return nullptr; }
    static void Close(Value v) { DeleteObject(v); }
};
struct DcTraits {
    using Value = HDC;
    static Value None() { return nullptr; }
    static void Close(Value v) { DeleteDC(v); }
};
struct LibraryTraits {
    using Value = HMODULE;
    static Value None() { return nullptr; }
    static void Close(Value v) { FreeLibrary(v); }
};
struct GlobalTraits {
    using Value = HGLOBAL;
    static Value None() { return nullptr; }
    static void Close(Value v) { GlobalFree(v); }
};

using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using GdiObject = UniqueHandle<GdiTraits>;
using MemoryDc = UniqueHandle<DcTraits>;
using Library = UniqueHandle<LibraryTraits>;
using GlobalMemory = UniqueHandle<GlobalTraits>;

// Selects a GDI object into a DC for one scope and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(SelectObject(dc, obj)) {}
    ~SelectedObject() { SelectObject(m_dc, m_old); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// CoInitialize for the life of the object; CoUninitialize only when the
// initialisation succeeded (S_FALSE counts: it must be balanced too).
class ComInit {
public:
    ComInit() : m_ok(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComInit() {
        if (m_ok) CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

private:
    bool m_ok;
};

// One COM interface pointer, released on destruction.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    T** Put() {
        Reset();
        return &m_ptr;
    }
    void Reset() {
        if (m_ptr) std::exchange(m_ptr, nullptr)->Release();
    }

private:
    T* m_ptr = nullptr;
};

}  // namespace pixo
