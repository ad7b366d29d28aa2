#include "text_fit.h"

#include <cwchar>

namespace pxgui {

namespace {

// The headings (welcome, ready, finish page) and the ready page's status line.
bool DrawnInHeadingFont(int id) { return id == 1013 || id == 1014 || id == 1015 || id == 1044; }

class ScreenFonts {
public:
    ScreenFonts() : m_screen(GetDC(nullptr)) {
        LOGFONTW dialog = {};
        dialog.lfHeight = -MulDiv(8, GetDeviceCaps(m_screen, LOGPIXELSY), 72);
        dialog.lfWeight = FW_NORMAL;
        dialog.lfCharSet = DEFAULT_CHARSET;
        wcscpy(dialog.lfFaceName, L"Microsoft Sans Serif");
        m_dialog = CreateFontIndirectW(&dialog);
        LOGFONTW heading = {};
        heading.lfHeight = MulDiv(18, GetDeviceCaps(m_screen, LOGPIXELSX), 96);
        heading.lfWeight = FW_BOLD;
        heading.lfQuality = ANTIALIASED_QUALITY;
        wcscpy(heading.lfFaceName, L"Arial");
        m_heading = CreateFontIndirectW(&heading);
    }
    ~ScreenFonts() {
        DeleteObject(m_dialog);
        DeleteObject(m_heading);
        ReleaseDC(nullptr, m_screen);
    }
    ScreenFonts(const ScreenFonts&) = delete;
    ScreenFonts& operator=(const ScreenFonts&) = delete;

    // DrawTextW's extent of text in the font, wrapped at width when wrap.
    SIZE Extent(bool heading, const std::wstring& text, UINT format, int width) {
        HGDIOBJ old = SelectObject(m_screen, heading ? m_heading : m_dialog);
        RECT box = {0, 0, width, 0};
        DrawTextW(m_screen, text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT);
        SelectObject(m_screen, old);
        return SIZE{box.right, box.bottom};
    }
    // The dialog manager's horizontal base unit of the dialog font.
    int BaseUnitX() {
        HGDIOBJ old = SelectObject(m_screen, m_dialog);
        const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE size = {};
        GetTextExtentPoint32W(m_screen, alphabet, 52, &size);
        SelectObject(m_screen, old);
        return (size.cx / 26 + 1) / 2;
    }
    int HalfDigitWidth() {
        HGDIOBJ old = SelectObject(m_screen, m_dialog);
        SIZE size = {};
        GetTextExtentPoint32W(m_screen, L"0", 1, &size);
        SelectObject(m_screen, old);
        return size.cx / 2;
    }
    int Dpi() const { return GetDeviceCaps(m_screen, LOGPIXELSX); }

private:
    HDC m_screen;
    HFONT m_dialog = nullptr;
    HFONT m_heading = nullptr;
};

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &copied);
    return text;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
    return TRUE;
}

}  // namespace

int DialogUnitsToPixelsX(int units) {
    ScreenFonts fonts;
    return MulDiv(units, fonts.BaseUnitX(), 4);
}

std::vector<TextMeasure> MeasurePageTexts(HWND page) {
    ScreenFonts fonts;
    std::vector<HWND> children;
    EnumChildWindows(page, &CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<TextMeasure> measures;
    for (HWND control : children) {
        if (GetParent(control) != page) continue;
        const std::wstring text = WindowText(control);
        if (text.empty()) continue;
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        const int id = GetDlgCtrlID(control);
        RECT client = {};
        GetClientRect(control, &client);
        const SIZE room = {client.right, client.bottom};
        const bool heading = DrawnInHeadingFont(id);
        SIZE needed = {};
        const std::wstring kind = ClassName(control);
        if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
            const LONG type = style & SS_TYPEMASK;
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) continue;
            UINT format = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            format |= (style & SS_CENTERIMAGE) ? DT_SINGLELINE : DT_WORDBREAK;
            needed = fonts.Extent(heading, text, format, room.cx);
        } else if (lstrcmpiW(kind.c_str(), L"Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            const bool multiLine = (style & BS_MULTILINE) != 0;
            if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
                // The raised edge (2 pixels) and the focus rectangle inside it.
                const int frame = 2 * MulDiv(3, fonts.Dpi(), 96);
                needed = fonts.Extent(false, text, DT_SINGLELINE, room.cx);
                needed.cx += frame;
                needed.cy += frame;
            } else if (type == BS_GROUPBOX) {
                // The caption starts a few pixels in and needs the frame's
                // right edge clear.
                needed = fonts.Extent(false, text, DT_SINGLELINE, room.cx);
                needed.cx += 2 * MulDiv(8, fonts.Dpi(), 96);
                needed.cy = 0;
            } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
                // The box, half a digit of gap, then the text.
                const int box = MulDiv(13, fonts.Dpi(), 96) + fonts.HalfDigitWidth();
                needed = fonts.Extent(false, text, multiLine ? DT_WORDBREAK : DT_SINGLELINE,
                                      room.cx - box);
                needed.cx += box;
            } else {
                continue;
            }
        } else {
            continue;
        }
        measures.push_back(TextMeasure{id, text, needed, room});
    }
    return measures;
}

}  // namespace pxgui
