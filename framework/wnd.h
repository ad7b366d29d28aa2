// CWnd: a C++ object bound to one window, with a message map.
#pragma once

#include <windows.h>

#include <string>

#include "message_map.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object bound to window by SubclassWindow, or null.
    static CWnd* FromHandle(HWND window);

    // Binds the object to an existing window and routes its messages through
    // WindowProc; refuses when either side is already bound.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, HWND dialog);
    HWND UnsubclassWindow();
    virtual BOOL DestroyWindow();

    LONG GetStyle() const;

    // A parent hands a notification about this control (WM_COMMAND,
    // WM_CTLCOLORSTATIC) to the control's map; true when handled.
    static bool ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT& result);

    HWND m_hWnd = nullptr;

protected:
    virtual const MessageMap* GetMessageMap() const;
    // Runs when the object is bound, before the window's messages reach it.
    virtual void PreSubclassWindow() {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's previous procedure on the message being handled.
    LRESULT Default();
    bool DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Unbind();

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    WNDPROC m_pfnSuper = nullptr;
    CurrentMessage m_current = {};
};

// The whole text of a window.
std::wstring GetWindowTextString(HWND window);
