// CXColorStatic: a static text drawn in its own colour, face, height and weight.
#pragma once

#include <windows.h>

#include "gdi_object.h"
#include "static_control.h"

class CXColorStatic : public CStatic {
public:
    CXColorStatic();
    ~CXColorStatic() override = default;

    void SetTextColour(COLORREF colour, BOOL redraw);
    // Weight 700 or 400 on the window's own font (a face set before is dropped).
    void SetTextBold(BOOL bold, BOOL redraw);
    // face (at most 31 characters) or, when null, the window font's; height
    // as in LOGFONTW (positive: cell height).
    void SetTextFace(const wchar_t* face, int height, BOOL redraw);
    void RebuildTextFont(const LOGFONTW* description, BOOL redraw);

    const CFont& TextFont() const { return m_textFont; }
    COLORREF TextColour() const { return m_textColour; }

protected:
    const MessageMap* GetMessageMap() const override;
    void PreSubclassWindow() override;

private:
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnEraseBkgnd(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Redraw();

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;

    CFont m_textFont;
    COLORREF m_textColour;
    COLORREF m_backColour;
    CBrush m_backBrush;
    BOOL m_isBold = FALSE;
};
