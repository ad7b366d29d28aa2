#include "gdi_object.h"

BOOL GetWindowFontDescription(HWND window, LOGFONTW* description) {
    HGDIOBJ font = window ? reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0))
                          : nullptr;
    if (!font) font = GetStockObject(DEFAULT_GUI_FONT);
    if (!font) font = GetStockObject(ANSI_VAR_FONT);
    if (!font) return FALSE;
    return GetObjectW(font, sizeof(LOGFONTW), description) == sizeof(LOGFONTW);
}
