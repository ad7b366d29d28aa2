#include "color_static.h"

#include <string>

const MessageMapEntry CXColorStatic::s_messageEntries[] = {
    {WM_PAINT, 0, 0, Handler<&CXColorStatic::OnPaint>},
    {WM_ERASEBKGND, 0, 0, Handler<&CXColorStatic::OnEraseBkgnd>},
};
const MessageMap CXColorStatic::s_messageMap = MakeMessageMap(nullptr, s_messageEntries);

// The colours are taken once: the control does not follow later changes of
// the system colours.
CXColorStatic::CXColorStatic()
    : m_textColour(GetSysColor(COLOR_BTNTEXT)), m_backColour(GetSysColor(COLOR_BTNFACE)) {
    m_backBrush.CreateSolidBrush(m_backColour);
}

const MessageMap* CXColorStatic::GetMessageMap() const { return &s_messageMap; }

void CXColorStatic::PreSubclassWindow() {
    LOGFONTW description = {};
    if (GetWindowFontDescription(m_hWnd, &description)) m_textFont.CreateFontIndirect(&description);
}

void CXColorStatic::Redraw() {
    if (m_hWnd) RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CXColorStatic::SetTextColour(COLORREF colour, BOOL redraw) {
    m_textColour = colour;
    if (redraw) Redraw();
}

void CXColorStatic::SetTextBold(BOOL bold, BOOL redraw) {
    m_isBold = bold;
    LOGFONTW description = {};
    if (!GetWindowFontDescription(m_hWnd, &description)) return;
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RebuildTextFont(&description, redraw);
}

void CXColorStatic::SetTextFace(const wchar_t* face, int height, BOOL redraw) {
    LOGFONTW description = {};
    if (face) {
        for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) description.lfFaceName[i] = face[i];
    } else if (!GetWindowFontDescription(m_hWnd, &description)) {
        return;
    }
    description.lfHeight = height;
    description.lfQuality = ANTIALIASED_QUALITY;
    RebuildTextFont(&description, redraw);
}

void CXColorStatic::RebuildTextFont(const LOGFONTW* description, BOOL redraw) {
    if (!description) return;
    m_textFont.DeleteObject();
    LOGFONTW font = *description;
    font.lfWeight = m_isBold ? FW_BOLD : FW_NORMAL;
    m_textFont.CreateFontIndirect(&font);
    if (redraw) Redraw();
}

bool CXColorStatic::OnEraseBkgnd(WPARAM wParam, LPARAM, LRESULT& result) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, m_backBrush.GetSafeHandle());
    result = TRUE;
    return true;
}

bool CXColorStatic::OnPaint(WPARAM, LPARAM, LRESULT& result) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (dc) {
        const int saved = SaveDC(dc);
        SetTextColor(dc, m_textColour);
        SetBkColor(dc, m_backColour);
        SetBkMode(dc, OPAQUE);
        SelectObject(dc, m_backBrush.GetSafeHandle());

        RECT client = {};
        GetClientRect(m_hWnd, &client);
        if (m_textFont.GetSafeHandle()) SelectObject(dc, m_textFont.GetSafeHandle());
        std::wstring text = GetWindowTextString(m_hWnd);

        const LONG style = GetStyle();
        UINT format = (style & 0x0001) ? DT_CENTER : ((style & 0x0002) ? DT_RIGHT : DT_LEFT);
        format |= (style & SS_CENTERIMAGE) ? (DT_VCENTER | DT_SINGLELINE) : DT_WORDBREAK;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, format);
        RestoreDC(dc, saved);
        EndPaint(m_hWnd, &paint);
    }
    result = 0;
    return true;
}
