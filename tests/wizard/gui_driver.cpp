#include "gui_driver.h"

#include <commctrl.h>
#include <psapi.h>

#include <vector>

#include "win_handles.h"

namespace pxgui {

namespace {

constexpr int kWizNext = 0x3024;
constexpr int kWizBack = 0x3023;

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct ChildSearch {
    const wchar_t* className;
    bool found;
};

BOOL CALLBACK FindChildOfClass(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (lstrcmpiW(ClassOf(child).c_str(), search->className) == 0) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool HasChildOfClass(HWND parent, const wchar_t* className) {
    ChildSearch search{className, false};
    EnumChildWindows(parent, &FindChildOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window) &&
        ClassOf(window) == L"#32770") {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> VisibleDialogs(DWORD processId) {
    DialogSearch search{processId, {}};
    EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Memory inside the process that owns a window, for messages that carry
// pointers; freed with the object.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t bytes) : m_bytes(bytes) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                    PROCESS_QUERY_INFORMATION,
                                FALSE, processId);
        if (m_process) {
            BOOL wow64 = FALSE;
            m_is32Bit = sizeof(void*) == 4 || (IsWow64Process(m_process, &wow64) && wow64);
            m_address =
                VirtualAllocEx(m_process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process) CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool ok() const { return m_address != nullptr; }
    bool Is32Bit() const { return m_is32Bit; }
    char* address() const { return static_cast<char*>(m_address); }
    bool Write(size_t offset, const void* data, size_t bytes) {
        SIZE_T done = 0;
        return offset + bytes <= m_bytes &&
               WriteProcessMemory(m_process, address() + offset, data, bytes, &done) &&
               done == bytes;
    }
    bool Read(size_t offset, void* data, size_t bytes) {
        SIZE_T done = 0;
        return offset + bytes <= m_bytes &&
               ReadProcessMemory(m_process, address() + offset, data, bytes, &done) &&
               done == bytes;
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    size_t m_bytes;
    bool m_is32Bit = false;
};

// LVITEMW up to the text fields as a 32-bit list view reads it: the shipped
// setup is a 32-bit process, whose pointers are 4 bytes wide.
struct LvItem32 {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    UINT32 pszText;
    int cchTextMax;
};

bool WriteListItem(RemoteBuffer& remote, const LVITEMW& item) {
    if (!remote.Is32Bit()) return remote.Write(0, &item, sizeof(item));
    const LvItem32 narrow = {item.mask, item.iItem, item.iSubItem, item.state, item.stateMask,
                             static_cast<UINT32>(reinterpret_cast<UINT_PTR>(item.pszText)),
                             item.cchTextMax};
    return remote.Write(0, &narrow, sizeof(narrow));
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring result = L"Z:" + path;
    for (wchar_t& c : result) {
        if (c == L'/') c = L'\\';
    }
    return result;
}

SetupProcess::~SetupProcess() {
    if (m_info.hProcess) {
        if (IsRunning()) {
            TerminateProcess(m_info.hProcess, 99);
            WaitForSingleObject(m_info.hProcess, 5000);
        }
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
}

bool SetupProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &m_info) != FALSE;
}

bool SetupProcess::IsRunning() const {
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

bool SetupProcess::WaitForExit(int timeoutMs, DWORD* exitCode) {
    if (!m_info.hProcess) return false;
    if (!WaitUntil([this] { return !IsRunning(); }, timeoutMs)) return false;
    if (exitCode) GetExitCodeProcess(m_info.hProcess, exitCode);
    return true;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

HWND FindSheet(DWORD processId) {
    for (HWND dialog : VisibleDialogs(processId)) {
        if (GetDlgItem(dialog, kWizNext)) return dialog;
    }
    return nullptr;
}

HWND WaitForSheet(DWORD processId, int timeoutMs) {
    HWND sheet = nullptr;
    WaitUntil([&] { return (sheet = FindSheet(processId)) != nullptr; }, timeoutMs);
    return sheet;
}

HWND FindMessageBox(DWORD processId) {
    for (HWND dialog : VisibleDialogs(processId)) {
        if (!GetDlgItem(dialog, kWizNext) && !HasChildOfClass(dialog, L"SysTreeView32")) {
            return dialog;
        }
    }
    return nullptr;
}

HWND WaitForMessageBox(DWORD processId, int timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox(processId)) != nullptr; }, timeoutMs);
    return box;
}

HWND WaitForFolderDialog(DWORD processId, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : VisibleDialogs(processId)) {
                if (HasChildOfClass(dialog, L"SysTreeView32")) found = dialog;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::wstring Text(HWND window) {
    if (!window) return L"(no window)";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return L"(no answer)";
    }
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    return std::wstring(buffer.data());
}

std::wstring ItemText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

std::wstring MessageBoxText(HWND box) {
    // Windows and Wine both give the message text the id 0xFFFF.
    if (HWND text = GetDlgItem(box, 0xFFFF)) return Text(text);
    return L"(no text)";
}

int DefaultButton(HWND box) {
    // The button drawn as the default one (BS_DEFPUSHBUTTON), which is also
    // the one Enter presses.
    const int ids[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};
    for (int id : ids) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button) &&
            (GetWindowLongW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
            return id;
        }
    }
    return 0;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void ClickItem(HWND dialog, int id) { Click(GetDlgItem(dialog, id)); }

bool Answer(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    Click(button);
    return WaitUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); });
}

bool IsChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void SetItemText(HWND dialog, int id, const std::wstring& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
}

HWND CurrentPage(HWND sheet) {
    DWORD_PTR page = 0;
    SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
    return reinterpret_cast<HWND>(page);
}

int CurrentPageIndex(HWND sheet) {
    HWND page = CurrentPage(sheet);
    if (!page) return -1;
    DWORD_PTR index = static_cast<DWORD_PTR>(-1);
    SendMessageTimeoutW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0, SMTO_ABORTIFHUNG,
                        5000, &index);
    return static_cast<int>(index);
}

bool WaitForPage(HWND sheet, int index, int timeoutMs) {
    return WaitUntil([&] { return CurrentPageIndex(sheet) == index; }, timeoutMs);
}

void PressNext(HWND sheet) { ClickItem(sheet, kWizNext); }

void PressBack(HWND sheet) { ClickItem(sheet, kWizBack); }

int ListRowCount(HWND list) { return static_cast<int>(Ask(list, LVM_GETITEMCOUNT)); }

UINT ListStateImage(HWND list, int row) {
    const LRESULT state =
        Ask(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return (static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12;
}

std::wstring ListText(HWND list, int row, int column) {
    constexpr int kChars = 256;
    RemoteBuffer remote(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    if (!remote.ok()) return L"(no remote memory)";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVITEMW));
    item.cchTextMax = kChars;
    std::vector<wchar_t> text(kChars, L'\0');
    if (!WriteListItem(remote, item) || !remote.Write(sizeof(LVITEMW), text.data(), 2)) {
        return L"(not written)";
    }
    Ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
        reinterpret_cast<LPARAM>(remote.address()));
    if (!remote.Read(sizeof(LVITEMW), text.data(), kChars * sizeof(wchar_t))) return L"(not read)";
    text.back() = L'\0';
    return text.data();
}

bool SetListStateImage(HWND list, int row, UINT image) {
    RemoteBuffer remote(list, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    if (!remote.ok() || !WriteListItem(remote, item)) return false;
    return Ask(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(remote.address())) != 0;
}

int ListColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER));
    return header ? static_cast<int>(Ask(header, HDM_GETITEMCOUNT)) : 0;
}

int ListColumnWidth(HWND list, int column) {
    return static_cast<int>(Ask(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

DWORD ListExtendedStyle(HWND list) {
    return static_cast<DWORD>(Ask(list, LVM_GETEXTENDEDLISTVIEWSTYLE));
}

COLORREF ListBackColour(HWND list) { return static_cast<COLORREF>(Ask(list, LVM_GETBKCOLOR)); }

COLORREF ListTextColour(HWND list) { return static_cast<COLORREF>(Ask(list, LVM_GETTEXTCOLOR)); }

HWND FindTopWindow(const wchar_t* className) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

std::wstring ProgramOfWindow(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
    CloseHandle(process);
    return std::wstring(path, length);
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    if (!screen) return CLR_INVALID;
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool TypeKeys(HWND window, const std::string& keys) {
    // The test scripts run a key server: it runs xdotool with what each
    // request file in the folder PX_KEYS holds, and then deletes the file.
    // The pointer rests in the window's bottom left corner, clear of its
    // controls: X hands keys to the window under the pointer.
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    const std::string command = "mousemove " + std::to_string(bounds.left + 6) + " " +
                                std::to_string(bounds.bottom - 6) + " key --delay 40 " + keys;
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"PX_KEYS", folder, MAX_PATH)) return false;
    static int s_request = 0;
    const std::wstring base = std::wstring(folder) + L"\\" + std::to_wstring(++s_request);
    const std::wstring writing = base + L".part", request = base + L".keys";
    HANDLE file = CreateFileW(writing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, command.data(), static_cast<DWORD>(command.size()), &written, nullptr);
    CloseHandle(file);
    if (!MoveFileW(writing.c_str(), request.c_str())) return false;
    return WaitUntil([&] { return GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

namespace {

// The drivers see the setup's windows in the screen's own pixels, as the
// setup (DPI-aware by its manifest) lays them out; Windows XP has no such call.
[[maybe_unused]] const bool g_dpiAware = [] {
    using SetAwareFn = BOOL(WINAPI*)();
    auto setAware = GetProcAs<SetAwareFn>(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware");
    return setAware && setAware();
}();

}  // namespace

int ScreenDpi() {
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

FakeViewer::FakeViewer() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Pixolum";
    RegisterClassW(&windowClass);
    m_hWnd = CreateWindowW(L"Pixolum", L"Pixolum", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

FakeViewer::~FakeViewer() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

}  // namespace pxgui
