// Remote control of a running setup.exe: find its windows, press its real
// buttons, read its texts and answer its message boxes, from another process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace pxgui {

constexpr int kWaitMs = 10000;

// Converts a Unix path handed over by the test scripts to the Wine drive Z:.
std::wstring WindowsPath(const std::wstring& path);

// One run of the setup; ended (if still running) when the object goes.
class SetupProcess {
public:
    SetupProcess() = default;
    ~SetupProcess();
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
    DWORD Id() const { return m_info.dwProcessId; }
    bool WaitForExit(int timeoutMs, DWORD* exitCode = nullptr);
    bool IsRunning() const;

private:
    PROCESS_INFORMATION m_info = {};
};

// Pumps this thread's messages until condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs);

// The wizard sheet of process (0: of any process): the visible dialog
// window with a Next button.
HWND FindSheet(DWORD processId);
HWND WaitForSheet(DWORD processId, int timeoutMs = kWaitMs);

// A visible message box of process (a dialog without wizard buttons and
// without a folder tree), or null.
HWND FindMessageBox(DWORD processId);
HWND WaitForMessageBox(DWORD processId, int timeoutMs = kWaitMs);
// The shell's folder dialog of process (a dialog with a tree view).
HWND WaitForFolderDialog(DWORD processId, int timeoutMs = kWaitMs);

// Text of any window, fetched with WM_GETTEXT (works across processes).
std::wstring Text(HWND window);
std::wstring ItemText(HWND dialog, int id);
// The message text of a message box.
std::wstring MessageBoxText(HWND box);
// The id of the button a message box shows as its default, or 0.
int DefaultButton(HWND box);

// Presses a real button: BM_CLICK posted, so a modal box it opens does not block us.
void Click(HWND button);
void ClickItem(HWND dialog, int id);
// Presses a button of a message box and waits until the box is gone.
bool Answer(HWND box, int buttonId);

bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::wstring& text);

// The sheet's page window and its index (PSM_GETCURRENTPAGEHWND, PSM_HWNDTOINDEX).
HWND CurrentPage(HWND sheet);
int CurrentPageIndex(HWND sheet);
bool WaitForPage(HWND sheet, int index, int timeoutMs = kWaitMs);

// Presses Next or Back with the sheet's own button.
void PressNext(HWND sheet);
void PressBack(HWND sheet);

// The list view of another process, read and changed through its messages
// (texts travel through memory of that process).
int ListRowCount(HWND list);
UINT ListStateImage(HWND list, int row);  // 1 unticked, 2 ticked
std::wstring ListText(HWND list, int row, int column);
bool SetListStateImage(HWND list, int row, UINT image);
int ListColumnCount(HWND list);
int ListColumnWidth(HWND list, int column);
DWORD ListExtendedStyle(HWND list);
COLORREF ListBackColour(HWND list);
COLORREF ListTextColour(HWND list);

// The first visible top-level window of a class, of any process, or null.
HWND FindTopWindow(const wchar_t* className);
// The program file of the process that owns window, or "" when unknown.
std::wstring ProgramOfWindow(HWND window);
// The horizontal DPI of the screen as programs on it see it.
int ScreenDpi();
// The colour of a pixel of the screen as drawn, CLR_INVALID when unreadable.
COLORREF ScreenPixel(int x, int y);
// The window with the keyboard focus in the thread that owns window, or null.
HWND FocusOf(HWND window);
// Types keys with xdotool on the display into window's process, as a user
// would (xdotool's key names: "alt+b Return Tab"); false when no key server runs.
bool TypeKeys(HWND window, const std::string& keys);

// A top-level window of the viewer's window class "Pixolum", as a running
// viewer has; gone with the object.
class FakeViewer {
public:
    FakeViewer();
    ~FakeViewer();
    FakeViewer(const FakeViewer&) = delete;
    FakeViewer& operator=(const FakeViewer&) = delete;
    bool IsUp() const { return m_hWnd != nullptr; }

private:
    HWND m_hWnd = nullptr;
};

}  // namespace pxgui
