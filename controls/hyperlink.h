// CHyperLink: a static text of a dialog that behaves as a web link.
#pragma once

#include <windows.h>

#include <string>

#include "gdi_object.h"
#include "static_control.h"

class CHyperLink : public CStatic {
public:
    CHyperLink() = default;
    ~CHyperLink() override = default;

    void SetLinkTarget(const wchar_t* target);
    // 1 = always underlined, -1 = underlined while hovered, other = never.
    void SetUnderlineMode(int mode);

    // Opens target through the shell, else through the ".htm" handler's open
    // command; a result above 32 means it was opened.
    static int OpenLinkTarget(const wchar_t* target, int showCommand);
    // Default value of root\subKey into output (outputChars characters);
    // 0 on success, else the registry error and output untouched.
    static LONG ReadKeyDefaultValue(HKEY root, const wchar_t* subKey, wchar_t* output,
                                    size_t outputChars);

    BOOL DestroyWindow() override;

protected:
    const MessageMap* GetMessageMap() const override;
    void PreSubclassWindow() override;
    void FitToText();
    void LoadLinkCursor();

private:
    bool OnCtlColor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseMove(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnTimer(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnClicked(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnEraseBkgnd(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnFocusChanged(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnGetDlgCode(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKeyDown(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Opens the target as a click does; the keyboard's way to click.
    void Activate();

    // A copy of a cursor, destroyed with its owner.
    class CursorCopy {
    public:
        CursorCopy() = default;
        ~CursorCopy() { Reset(nullptr); }
        CursorCopy(const CursorCopy&) = delete;
        CursorCopy& operator=(const CursorCopy&) = delete;
        void Reset(HCURSOR cursor) {
            if (m_hCursor) DestroyCursor(m_hCursor);
            m_hCursor = cursor;
        }
        HCURSOR Get() const { return m_hCursor; }

    private:
        HCURSOR m_hCursor = nullptr;
    };

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;

    COLORREF m_linkColour = RGB(0, 0, 238);
    COLORREF m_visitedColour = RGB(85, 26, 139);
    COLORREF m_hoverColour = RGB(255, 0, 0);
    BOOL m_isHovering = FALSE;
    BOOL m_isVisited = FALSE;
    int m_underlineMode = -1;
    std::wstring m_target;
    CFont m_fontUnderlined;
    CFont m_fontPlain;
    CursorCopy m_linkCursor;
    bool m_linkCursorTried = false;  // loaded once, on the first WM_SETCURSOR
    UINT_PTR m_hoverTimerId = 100;
};
