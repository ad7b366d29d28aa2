// Owners of the Win32 handles the programs hold: one template, one traits
// type per handle kind (what "none" is, how to close). Copying is deleted,
// moving hands the handle over, and the last owner closes it.
#pragma once

#include <windows.h>

template <typename Traits>
class UniqueHandle {
public:
    using Value = typename Traits::Value;

    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : m_value(value) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Value Get() const { return m_value; }
    bool IsValid() const { return Traits::IsValid(m_value); }
    explicit operator bool() const { return IsValid(); }
    // Hands the handle to the caller, who closes it from now on.
    Value Release() {
        const Value value = m_value;
        m_value = Traits::None();
        return value;
    }
    void Reset(Value value = Traits::None()) {
        if (IsValid()) Traits::Close(m_value);
        m_value = value;
    }
    // Closes now and says whether Windows accepted the close (the last
    // write of a file may only fail there).
    bool Close() {
        const bool closed = IsValid() && Traits::Close(m_value);
        m_value = Traits::None();
        return closed;
    }
    // Closes what it holds and lends its slot to a call that returns a handle.
    Value* Put() {
        Reset();
        return &m_value;
    }

private:
    Value m_value = Traits::None();
};

// A kernel handle (file, pipe, process, thread, mutex). Both of Windows'
// "no handle" values count as empty: CreateFileW returns
// INVALID_HANDLE_VALUE, most other calls null.
struct KernelTraits {
    using Value = HANDLE;
    static Value None() { return nullptr; }
    static bool IsValid(Value v) { return v && v != INVALID_HANDLE_VALUE; }
    static bool Close(Value v) { return CloseHandle(v) != FALSE; }
};
using KernelHandle = UniqueHandle<KernelTraits>;

// Traits of a handle kind whose "none" is null and that CloseFn closes.
template <typename T, bool (*CloseFn)(T)>
struct NullHandleTraits {
    using Value = T;
    static Value None() { return nullptr; }
    static bool IsValid(Value v) { return v != nullptr; }
    static bool Close(Value v) { return CloseFn(v); }
};

namespace close_fn {
inline bool Library(HMODULE v) { return FreeLibrary(v) != FALSE; }
inline bool Global(HGLOBAL v) { return GlobalFree(v) == nullptr; }
template <typename T>
bool Local(T v) { return LocalFree(v) == nullptr; }
template <typename H>
bool Gdi(H v) { return DeleteObject(v) != FALSE; }
inline bool Dc(HDC v) { return DeleteDC(v) != FALSE; }
}  // namespace close_fn

// A library loaded with LoadLibraryW.
using ModuleHandle = UniqueHandle<NullHandleTraits<HMODULE, close_fn::Library>>;
// Memory of GlobalAlloc, and of LocalAlloc (or the calls that allocate with it).
using GlobalMemory = UniqueHandle<NullHandleTraits<HGLOBAL, close_fn::Global>>;
template <typename T>
using LocalMemory = UniqueHandle<NullHandleTraits<T, close_fn::Local<T>>>;
// A GDI object (bitmap, brush, font) and a memory device context.
template <typename H>
using GdiTraits = NullHandleTraits<H, close_fn::Gdi<H>>;
using GdiObject = UniqueHandle<GdiTraits<HGDIOBJ>>;
using MemoryDc = UniqueHandle<NullHandleTraits<HDC, close_fn::Dc>>;

// A FindFirstFileW search: its "none" is INVALID_HANDLE_VALUE.
struct FindTraits {
    using Value = HANDLE;
    static Value None() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Value v) { return v != INVALID_HANDLE_VALUE; }
    static bool Close(Value v) { return FindClose(v) != FALSE; }
};
using FindHandle = UniqueHandle<FindTraits>;

// Selects a GDI object into a DC for one scope and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(m_dc, m_old); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A critical section for the life of its owner, and its holding for one scope.
// The spin keeps a short wait off Wine's server, which a blocked entry asks.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSectionAndSpinCount(&m_section, 4000); }
    ~CriticalSection() { DeleteCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    class Held {
    public:
        explicit Held(CriticalSection& section) : m_section(section.m_section) { EnterCriticalSection(&m_section); }
        ~Held() { LeaveCriticalSection(&m_section); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        CRITICAL_SECTION& m_section;
    };

private:
    CRITICAL_SECTION m_section;
};

// GetProcAddress typed as Fn. The detour through void(*)() is the one cast
// GCC accepts between unrelated function types without -Wcast-function-type.
template <typename Fn>
Fn GetProcAs(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
