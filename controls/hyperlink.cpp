#include "hyperlink.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "link_accessible.h"
#include "link_command.h"
#include "link_geometry.h"
#include "reg_key.h"
#include "shell_api.h"
#include "text_buffer.h"
#include "win_handles.h"

namespace {

constexpr size_t kValueChars = 260;    // registry values read by the fallback
constexpr size_t kCommandChars = 520;  // the handler's command with the target

// A copy of the help program's hand cursor (resource 106 of winhlp32.exe in
// the Windows folder), or null.
HCURSOR LoadHelpHandCursor() {
    wchar_t path[kValueChars] = {};
    const UINT length = GetWindowsDirectoryW(path, kValueChars);
    if (length == 0 || length >= kValueChars) return nullptr;
    if (!AppendText(path, kValueChars, L"\\winhlp32.exe")) return nullptr;
    // Only the cursor resource is wanted: map the file as data, run none of its code.
    ModuleHandle helpModule(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!helpModule) return nullptr;
    HCURSOR cursor = LoadCursorW(helpModule.Get(), MAKEINTRESOURCEW(106));
    // The copy outlives the module the resource came from.
    return cursor ? static_cast<HCURSOR>(CopyIcon(cursor)) : nullptr;
}

}  // namespace

const MessageMapEntry CHyperLink::s_messageEntries[] = {
    {WM_REFLECT_BASE + WM_CTLCOLORSTATIC, 0, 0, Handler<&CHyperLink::OnCtlColor>},
    {WM_SETCURSOR, 0, 0, Handler<&CHyperLink::OnSetCursor>},
    {WM_MOUSEMOVE, 0, 0, Handler<&CHyperLink::OnMouseMove>},
    {WM_TIMER, 0, 0, Handler<&CHyperLink::OnTimer>},
    {WM_REFLECT_BASE + WM_COMMAND, STN_CLICKED, 0, Handler<&CHyperLink::OnClicked>},
    {WM_ERASEBKGND, 0, 0, Handler<&CHyperLink::OnEraseBkgnd>},
    {WM_PAINT, 0, 0, Handler<&CHyperLink::OnPaint>},
    {WM_SETFOCUS, 0, 0, Handler<&CHyperLink::OnFocusChanged>},
    {WM_KILLFOCUS, 0, 0, Handler<&CHyperLink::OnFocusChanged>},
    {WM_GETDLGCODE, 0, 0, Handler<&CHyperLink::OnGetDlgCode>},
    {WM_KEYDOWN, 0, 0, Handler<&CHyperLink::OnKeyDown>},
    {WM_GETOBJECT, 0, 0, Handler<&CHyperLink::OnGetObject>},
};
const MessageMap CHyperLink::s_messageMap = MakeMessageMap(nullptr, s_messageEntries);

const MessageMap* CHyperLink::GetMessageMap() const { return &s_messageMap; }

void CHyperLink::PreSubclassWindow() {
    // Clicks reach the parent as STN_CLICKED only with SS_NOTIFY; Tab
    // reaches the link only as a tab stop.
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() | SS_NOTIFY | WS_TABSTOP);

    const std::wstring text = GetWindowTextString(m_hWnd);
    if (m_target.empty()) m_target = text;
    if (text.empty()) SetWindowTextW(m_hWnd, m_target.c_str());

    LOGFONTW description = {};
    if (GetWindowFontDescription(m_hWnd, &description)) {
        m_fontPlain.CreateFontIndirect(&description);
        description.lfUnderline = TRUE;
        m_fontUnderlined.CreateFontIndirect(&description);
    }

    FitToText();

    if (m_underlineMode != -1) {
        SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontPlain.GetSafeHandle()),
                     TRUE);
        InvalidateRect(m_hWnd, nullptr, TRUE);
        m_underlineMode = -1;
    }
}

void CHyperLink::SetLinkTarget(const wchar_t* target) {
    // The window is fitted to its text, which the target does not change.
    m_target = target ? target : L"";
}

void CHyperLink::SetUnderlineMode(int mode) {
    if (mode == m_underlineMode) return;
    if (m_hWnd) {
        HFONT font = mode == 1 ? m_fontUnderlined.GetSafeHandle() : m_fontPlain.GetSafeHandle();
        SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    m_underlineMode = mode;
}

void CHyperLink::FitToText() {
    if (!m_hWnd) return;
    RECT window = {};
    RECT client = {};
    GetWindowRect(m_hWnd, &window);
    GetClientRect(m_hWnd, &client);
    MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (HWND parent = GetParent(m_hWnd)) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);
    }

    SIZE extent = {};
    if (HDC dc = GetDC(m_hWnd)) {
        HGDIOBJ oldFont = SelectObject(dc, m_fontUnderlined.GetSafeHandle());
        const std::wstring text = GetWindowTextString(m_hWnd);
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, oldFont);
        ReleaseDC(m_hWnd, dc);
    }

    const RECT fitted = FitLinkRect(window, client, extent, GetStyle());
    SetWindowPos(m_hWnd, nullptr, fitted.left, fitted.top, fitted.right - fitted.left,
                 fitted.bottom - fitted.top, SWP_NOZORDER);
}

void CHyperLink::LoadLinkCursor() {
    if (m_linkCursorTried) return;
    m_linkCursorTried = true;
    m_linkCursor.Reset(LoadHelpHandCursor());
    // Not every Windows has the help program in its folder (Wine keeps it in
    // system32 only): the system's own hand then.
    if (!m_linkCursor.Get()) {
        m_linkCursor.Reset(static_cast<HCURSOR>(CopyIcon(LoadCursorW(nullptr, IDC_HAND))));
    }
}

BOOL CHyperLink::DestroyWindow() {
    if (m_hWnd) KillTimer(m_hWnd, m_hoverTimerId);
    return CStatic::DestroyWindow();
}

bool CHyperLink::OnCtlColor(WPARAM wParam, LPARAM, LRESULT& result) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, m_isHovering ? m_hoverColour
                                  : (m_isVisited ? m_visitedColour : m_linkColour));
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
}

bool CHyperLink::OnSetCursor(WPARAM, LPARAM, LRESULT& result) {
    // The hand is loaded when the mouse first comes over the link, not while
    // the page is being shown. Without one the default processing sets the
    // class cursor.
    LoadLinkCursor();
    if (!m_linkCursor.Get()) return false;
    SetCursor(m_linkCursor.Get());
    result = TRUE;
    return true;
}

bool CHyperLink::OnMouseMove(WPARAM, LPARAM, LRESULT&) {
    if (!m_isHovering) {
        m_isHovering = TRUE;
        if (m_underlineMode == -1) {
            SendMessageW(m_hWnd, WM_SETFONT,
                         reinterpret_cast<WPARAM>(m_fontUnderlined.GetSafeHandle()), TRUE);
        }
        InvalidateRect(m_hWnd, nullptr, TRUE);
        SetTimer(m_hWnd, m_hoverTimerId, 100, nullptr);
    }
    return false;
}

bool CHyperLink::OnTimer(WPARAM, LPARAM, LRESULT&) {
    const DWORD position = GetMessagePos();
    POINT point = {static_cast<SHORT>(LOWORD(position)), static_cast<SHORT>(HIWORD(position))};
    ScreenToClient(m_hWnd, &point);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (!PtInRect(&client, point)) {
        m_isHovering = FALSE;
        KillTimer(m_hWnd, m_hoverTimerId);
        if (m_underlineMode != 1) {
            SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontPlain.GetSafeHandle()),
                         TRUE);
        }
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    return false;
}

bool CHyperLink::OnClicked(WPARAM, LPARAM, LRESULT& result) {
    Activate();
    result = 0;
    return true;
}

void CHyperLink::Activate() {
    m_isHovering = FALSE;
    const int opened = OpenLinkTarget(m_target.c_str(), SW_SHOW);
    m_isVisited = opened > 32 ? TRUE : FALSE;
    if (!m_isVisited) {
        MessageBeep(MB_ICONEXCLAMATION);
    } else if (m_hWnd && IsWindow(m_hWnd)) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

bool CHyperLink::OnEraseBkgnd(WPARAM wParam, LPARAM, LRESULT& result) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
    result = TRUE;
    return true;
}

int CHyperLink::OpenLinkTarget(const wchar_t* target, int showCommand) {
    const int shellResult = static_cast<int>(reinterpret_cast<INT_PTR>(
        lazy::ShellExecuteW(GetDesktopWindow(), L"open", target, nullptr, nullptr, showCommand)));
    if (shellResult > 32) return shellResult;

    // Fallback: the open command of the class that handles web pages. Values
    // that cannot be read or do not fit give up the fallback.
    wchar_t commandKey[kCommandChars] = {};
    {
        RegKey htm;
        if (htm.Open(HKEY_CLASSES_ROOT, L".htm", KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            return shellResult;
        }
        wchar_t className[kValueChars] = {};
        LONG size = sizeof(className);
        if (RegQueryValueW(htm.Get(), nullptr, className, &size) != ERROR_SUCCESS) {
            return shellResult;
        }
        className[kValueChars - 1] = L'\0';
        CopyText(commandKey, kCommandChars, className);
    }
    if (!AppendText(commandKey, kCommandChars, L"\\shell\\open\\command")) return shellResult;
    wchar_t command[kCommandChars] = {};
    if (ReadKeyDefaultValue(HKEY_CLASSES_ROOT, commandKey, command, kCommandChars) !=
        ERROR_SUCCESS) {
        return shellResult;
    }

    wchar_t commandLine[kCommandChars] = {};
    if (!BuildHandlerCommand(command, target, commandLine, kCommandChars)) return shellResult;

    const int length = static_cast<int>(wcslen(commandLine));
    std::string narrow(2 * (static_cast<size_t>(length) + 1), '\0');
    if (!WideCharToMultiByte(CP_THREAD_ACP, 0, commandLine, -1, &narrow[0],
                             static_cast<int>(narrow.size()), nullptr, nullptr)) {
        return shellResult;
    }
    return static_cast<int>(WinExec(narrow.c_str(), static_cast<UINT>(showCommand)));
}

LONG CHyperLink::ReadKeyDefaultValue(HKEY root, const wchar_t* subKey, wchar_t* output,
                                     size_t outputChars) {
    RegKey key;
    const LONG opened = key.Open(root, subKey, KEY_QUERY_VALUE);
    if (opened != ERROR_SUCCESS) return opened;
    wchar_t value[kValueChars] = {};
    LONG size = sizeof(value);
    const LONG read = RegQueryValueW(key.Get(), nullptr, value, &size);
    if (read != ERROR_SUCCESS) return read;
    value[kValueChars - 1] = L'\0';
    CopyText(output, outputChars, value);
    return ERROR_SUCCESS;
}

bool CHyperLink::OnPaint(WPARAM, LPARAM, LRESULT& result) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (!dc) return false;
    // The static draws its text (colours through the reflected
    // WM_CTLCOLORSTATIC) into our context; the focus rectangle goes on top,
    // unless the user has not used the keyboard yet.
    SendMessageW(m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const LRESULT uiState = SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0);
    if (GetFocus() == m_hWnd && !(uiState & UISF_HIDEFOCUS)) {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        DrawFocusRect(dc, &client);
    }
    EndPaint(m_hWnd, &paint);
    result = 0;
    return true;
}

bool CHyperLink::OnFocusChanged(WPARAM, LPARAM, LRESULT&) {
    InvalidateRect(m_hWnd, nullptr, TRUE);
    return false;
}

bool CHyperLink::OnGetDlgCode(WPARAM, LPARAM lParam, LRESULT& result) {
    // Enter belongs to the link while it has the focus, not to the dialog's
    // default button.
    result = Default();
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
        result |= DLGC_WANTMESSAGE;
    }
    return true;
}

bool CHyperLink::OnKeyDown(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Enter and Space open the link once per press, not on key repeat.
    const bool repeated = (lParam & (1L << 30)) != 0;
    if ((wParam != VK_RETURN && wParam != VK_SPACE) || repeated) return false;
    Activate();
    result = 0;
    return true;
}

bool CHyperLink::OnGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = AnswerLinkAccessibleObject(m_hWnd, wParam, lParam);
    return result != 0;
}
