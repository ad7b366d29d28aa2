// CFont and CBrush: GDI objects owned by one C++ object, deleted with it.
#pragma once

#include <windows.h>

#include "win_handles.h"

// Owns one GDI handle of type H, on the Win32 layer's owner; the class
// layer's names (Attach, Detach, GetSafeHandle) over it.
template <class H>
class CGdiObject : public UniqueHandle<GdiTraits<H>> {
public:
    using UniqueHandle<GdiTraits<H>>::UniqueHandle;

    // Takes ownership of handle; the handle held before is deleted.
    void Attach(H handle) {
        if (handle != this->Get()) this->Reset(handle);
    }
    H Detach() { return this->Release(); }
    BOOL DeleteObject() { return this->Close(); }
    H GetSafeHandle() const { return this->Get(); }
    operator H() const { return this->Get(); }
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
