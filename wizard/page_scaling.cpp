#include "page_scaling.h"

#include <cstdlib>

#include "resource.h"

namespace {

// A device context for drawing into a bitmap; deselects it when done.
class BitmapDc {
public:
    BitmapDc(HDC screen, HBITMAP bitmap)
        : m_dc(CreateCompatibleDC(screen)), m_old(m_dc ? SelectObject(m_dc, bitmap) : nullptr) {}
    ~BitmapDc() {
        if (!m_dc) return;
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Draws source (w x h) into a new screen-compatible bitmap of width x height.
HBITMAP Stretched(HDC screen, HBITMAP source, int w, int h, int width, int height, int mode) {
    HBITMAP result = CreateCompatibleBitmap(screen, width, height);
    if (!result) return nullptr;
    BitmapDc from(screen, source);
    BitmapDc to(screen, result);
    BOOL drawn = FALSE;
    if (from.Get() && to.Get()) {
        SetStretchBltMode(to.Get(), mode);
        drawn = StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, w, h, SRCCOPY);
    }
    if (!drawn) {
        DeleteObject(result);
        return nullptr;
    }
    return result;
}

}  // namespace

HBITMAP MakeLogoBitmap(HINSTANCE resources, int width, int height) {
    auto* source = static_cast<HBITMAP>(
        LoadImageW(resources, MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, 0));
    if (!source) return nullptr;
    BITMAP header = {};
    GetObjectW(source, sizeof(header), &header);
    const int w = header.bmWidth;
    const int h = header.bmHeight;
    // The smallest whole factor that reaches the slot in both directions, a
    // pixel short allowed (dialog units are rounded). A slot that close to
    // the multiple takes the multiple itself: pixel art stays unsmoothed.
    int factor = 1;
    while (factor < 8 && (w * factor < width - 1 || h * factor < height - 1)) ++factor;
    if (std::abs(w * factor - width) <= 1 && std::abs(h * factor - height) <= 1) {
        width = w * factor;
        height = h * factor;
    }
    // The slot is the picture's own size (96 DPI): nothing to draw.
    if (factor == 1 && width == w && height == h) return source;
    HBITMAP result = nullptr;
    HDC screen = GetDC(nullptr);
    if (HBITMAP repeated = Stretched(screen, source, w, h, w * factor, h * factor, COLORONCOLOR)) {
        result = Stretched(screen, repeated, w * factor, h * factor, width, height, HALFTONE);
        DeleteObject(repeated);
    }
    ReleaseDC(nullptr, screen);
    DeleteObject(source);
    return result;
}

HWND FindLogoStatic(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[8] = {};
        GetClassNameW(child, className, 8);
        if (lstrcmpiW(className, L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            return child;
        }
    }
    return nullptr;
}

void ScaleChildWindows(HWND parent, int num, int den) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = {};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        // Both edges scaled, not position and size: neighbours stay flush.
        const int left = MulDiv(r.left, num, den);
        const int top = MulDiv(r.top, num, den);
        SetWindowPos(child, nullptr, left, top, MulDiv(r.right, num, den) - left,
                     MulDiv(r.bottom, num, den) - top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
