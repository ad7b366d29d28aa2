// CFont and CBrush: GDI objects owned by one C++ object, deleted with it.
#pragma once

#include <windows.h>

// Owns one GDI handle of type H; copying is deleted, moving hands it over.
template <class H>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(H handle) : m_handle(handle) {}
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_handle(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) Attach(other.Detach());
        return *this;
    }

    // Takes ownership of handle; the handle held before is deleted.
    void Attach(H handle) {
        if (handle == m_handle) return;
        DeleteObject();
        m_handle = handle;
    }
    H Detach() {
        H handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    BOOL DeleteObject() {
        if (!m_handle) return FALSE;
        const BOOL deleted = ::DeleteObject(m_handle);
        m_handle = nullptr;
        return deleted;
    }
    H GetSafeHandle() const { return m_handle; }
    operator H() const { return m_handle; }

private:
    H m_handle = nullptr;
};

class CFont : public CGdiObject<HFONT> {
public:
    BOOL CreateFontIndirect(const LOGFONTW* description) {
        Attach(::CreateFontIndirectW(description));
        return GetSafeHandle() != nullptr;
    }
    BOOL GetLogFont(LOGFONTW* description) const {
        return GetSafeHandle() &&
               ::GetObjectW(GetSafeHandle(), sizeof(LOGFONTW), description) == sizeof(LOGFONTW);
    }
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    BOOL CreateSolidBrush(COLORREF colour) {
        Attach(::CreateSolidBrush(colour));
        return GetSafeHandle() != nullptr;
    }
};

// The description of the font a control draws with: its own font
// (WM_GETFONT), else the stock DEFAULT_GUI_FONT, else ANSI_VAR_FONT.
BOOL GetWindowFontDescription(HWND window, LOGFONTW* description);
