// Message maps: static tables from (message, notification code, control id)
// to member handlers, kept next to the handlers they name.
#pragma once

#include <windows.h>

#include <cstddef>

class CWnd;

// A handler answers true when it handled the message (result holds the
// answer) and false to let the window's default processing run.
using MsgHandler = bool (CWnd::*)(WPARAM wParam, LPARAM lParam, LRESULT& result);

// Notifications the parent receives for a control, handed back to the
// control's own map under this offset (WM_CTLCOLORSTATIC, WM_COMMAND, ...).
constexpr UINT WM_REFLECT_BASE = 0xBC00;

struct MessageMapEntry {
    UINT message;
    UINT code;      // WM_COMMAND, WM_NOTIFY and their reflections: notification code
    UINT id;        // the same: control id, 0 = any control; other messages: 0
    MsgHandler handler;
};

struct MessageMap {
    const MessageMap* base;           // searched when no entry of this map matches
    const MessageMapEntry* entries;
    size_t count;
};

// Member handlers of a class derived from CWnd, stored as CWnd members; the
// map is only ever used on objects of that class. A constant (the handler is a
// template argument), so the maps are data in the file, not code run at
// start-up: Handler<&CMyWnd::OnPaint>.
template <auto handler>
constexpr MsgHandler Handler = static_cast<MsgHandler>(handler);

template <size_t N>
constexpr MessageMap MakeMessageMap(const MessageMap* base, const MessageMapEntry (&entries)[N]) {
    return MessageMap{base, entries, N};
}

// The first entry of map (or of its bases) that matches the message.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam,
                                        LPARAM lParam);
