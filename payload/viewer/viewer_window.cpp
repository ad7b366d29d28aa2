#include "viewer_window.h"

#include "viewer_resource.h"
#include "viewer_logic.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

namespace pixo {
namespace {

constexpr const wchar_t* kWindowClass = L"Pixolum";
constexpr COLORREF kBackground = RGB(48, 48, 52);
constexpr COLORREF kTextColour = RGB(225, 225, 225);
// Longest string-table text and longest path the dialogs take.
constexpr int kTextChars = 1024;
constexpr int kPathChars = 32768;

}  // namespace

CViewerWindow::CViewerWindow(HINSTANCE hInstance) : m_hInstance(hInstance) {
    // Texts come from the installed language library when there is one.
    std::wstring language = ProgramFolder() + L"Languages\\Deutsch.dll";
    m_language.Reset(LoadLibraryExW(language.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

std::wstring CViewerWindow::ProgramFolder() const {
    std::wstring path(kPathChars, L'\0');
    DWORD n = GetModuleFileNameW(m_hInstance, &path[0], kPathChars);
    if (n == 0 || n >= static_cast<DWORD>(kPathChars)) return std::wstring();
    path.resize(n);
    return FolderPart(path);
}

std::wstring CViewerWindow::Text(UINT id) const {
    wchar_t buffer[kTextChars] = {};
    int n = 0;
    if (m_language) n = LoadStringW(m_language.Get(), id, buffer, kTextChars);
    if (n <= 0) n = LoadStringW(m_hInstance, id, buffer, kTextChars);
    return std::wstring(buffer, n > 0 ? n : 0);
}

bool CViewerWindow::Create(int showCommand) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = m_hInstance;
    wc.hIcon = LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDI_VIEWER));
    wc.hIconSm = static_cast<HICON>(
        LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_VIEWER), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc)) return false;
    m_hAccel = LoadAcceleratorsW(m_hInstance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

    std::wstring title = Text(IDS_APP_NAME);
    m_hwnd = CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, title.c_str(),
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                             800, 600, nullptr, nullptr, m_hInstance, this);
    if (!m_hwnd) return false;
    m_hwndList = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                 WS_CHILD | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0, 0,
                                 0, m_hwnd, reinterpret_cast<HMENU>(IDC_PICTURE_LIST), m_hInstance,
                                 nullptr);
    SendMessageW(m_hwndList, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
    return true;
}

int CViewerWindow::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (m_hAccel && TranslateAcceleratorW(m_hwnd, m_hAccel, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void CViewerWindow::ShowPicture(const std::wstring& path) {
    m_strPicturePath = path;
    m_picture = LoadPictureFile(path);
    m_bLoadFailed = !m_picture.bitmap;
    m_bShowingList = false;
    ShowWindow(m_hwndList, SW_HIDE);
    UpdateTitle();
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CViewerWindow::ShowFolder(const std::wstring& folder) {
    m_strFolder = folder;
    if (!m_strFolder.empty() && m_strFolder.back() != L'\\' && m_strFolder.back() != L'/') {
        m_strFolder += L'\\';
    }
    SendMessageW(m_hwndList, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : ListPictureFiles(m_strFolder)) {
        SendMessageW(m_hwndList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    m_bShowingList = true;
    bool any = SendMessageW(m_hwndList, LB_GETCOUNT, 0, 0) > 0;
    if (any) SendMessageW(m_hwndList, LB_SETCURSEL, 0, 0);
    ShowWindow(m_hwndList, any ? SW_SHOW : SW_HIDE);
    OnSize();
    UpdateTitle();
    if (any) SetFocus(m_hwndList);
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CViewerWindow::UpdateTitle() {
    std::wstring title;
    if (m_bShowingList) {
        title = Text(IDS_THUMBNAILS) + L": " + m_strFolder + L" - ";
    } else if (!m_strPicturePath.empty()) {
        title = FileNamePart(m_strPicturePath) + L" - ";
    }
    title += Text(IDS_APP_NAME);
    SetWindowTextW(m_hwnd, title.c_str());
}

LRESULT CALLBACK CViewerWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<CViewerWindow*>(create->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT CViewerWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills every pixel
    case WM_SIZE:
        OnSize();
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        UINT n = DragQueryFileW(drop, 0, nullptr, 0);
        if (n > 0 && n < static_cast<UINT>(kPathChars)) {
            std::wstring path(n + 1, L'\0');
            DragQueryFileW(drop, 0, &path[0], n + 1);
            path.resize(n);
            DWORD attributes = GetFileAttributesW(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ShowFolder(path);
            } else {
                ShowPicture(path);
            }
        }
        DragFinish(drop);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    }
}

void CViewerWindow::OnSize() {
    RECT client;
    GetClientRect(m_hwnd, &client);
    MoveWindow(m_hwndList, 0, 0, client.right, client.bottom, TRUE);
}

void CViewerWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    RECT client;
    GetClientRect(m_hwnd, &client);
    RECT picture = {0, 0, 0, 0};
    if (!m_bShowingList && m_picture.bitmap) {
        picture = FitPicture(m_picture.size.cx, m_picture.size.cy, client.right, client.bottom);
        MemoryDc source(CreateCompatibleDC(dc));
        if (source) {
            SelectedObject selected(source.Get(), m_picture.bitmap.Get());
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, picture.left, picture.top, picture.right - picture.left,
                       picture.bottom - picture.top, source.Get(), 0, 0, m_picture.size.cx,
                       m_picture.size.cy, SRCCOPY);
        }
    }
    // The background around the picture, without painting over it.
    int saved = SaveDC(dc);
    ExcludeClipRect(dc, picture.left, picture.top, picture.right, picture.bottom);
    GdiObject brush(CreateSolidBrush(kBackground));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.Get()));
    RestoreDC(dc, saved);

    std::wstring message;
    if (m_bShowingList) {
        if (SendMessageW(m_hwndList, LB_GETCOUNT, 0, 0) <= 0) message = Text(IDS_NO_PICTURES);
    } else if (m_bLoadFailed) {
        message = Text(IDS_CANNOT_SHOW) + L"\n" + m_strPicturePath;
    } else if (m_strPicturePath.empty()) {
        message = Text(IDS_NO_PICTURE);
    }
    if (!message.empty()) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kTextColour);
        SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
        RECT box = client;
        InflateRect(&box, -16, -16);
        RECT measure = box;
        DrawTextW(dc, message.c_str(), -1, &measure, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
        OffsetRect(&box, 0, ((box.bottom - box.top) - (measure.bottom - measure.top)) / 2);
        DrawTextW(dc, message.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK);
    }
    EndPaint(m_hwnd, &ps);
}

void CViewerWindow::OnCommand(int id, int code) {
    switch (id) {
    case IDM_OPEN:
        OnOpen();
        break;
    case IDM_THUMBNAILS:
        if (!m_bShowingList) {
            std::wstring folder = FolderPart(m_strPicturePath);
            ShowFolder(folder.empty() ? m_strFolder : folder);
        }
        break;
    case IDM_EXIT:
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        break;
    case IDM_ESCAPE:
        // From a picture opened out of the list, Esc goes back to the list.
        if (!m_bShowingList && !m_strFolder.empty()) {
            ShowFolder(m_strFolder);
        } else {
            PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        }
        break;
    case IDM_HELP:
        OnHelp();
        break;
    case IDM_ABOUT:
        MessageBoxW(m_hwnd, Text(IDS_ABOUT_TEXT).c_str(), Text(IDS_ABOUT_TITLE).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        break;
    case IDM_OPEN_SELECTED:
        if (m_bShowingList) OpenSelectedListItem();
        break;
    case IDC_PICTURE_LIST:
        if (code == LBN_DBLCLK) OpenSelectedListItem();
        break;
    default:
        break;
    }
}

void CViewerWindow::OpenSelectedListItem() {
    LRESULT index = SendMessageW(m_hwndList, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    LRESULT length = SendMessageW(m_hwndList, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length <= 0 || length >= kPathChars) return;
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(m_hwndList, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&name[0]));
    name.resize(static_cast<size_t>(length));
    ShowPicture(m_strFolder + name);
}

void CViewerWindow::OnOpen() {
    // Filter: "Bilddateien\0*.bmp;...\0Alle Dateien\0*.*\0\0".
    std::wstring filter = Text(IDS_FILTER_PICTURES);
    filter += L'\0';
    filter += L"*.bmp;*.dib;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.png;*.ico;*.wmf;*.emf";
    filter += L'\0';
    filter += Text(IDS_FILTER_ALL);
    filter += L'\0';
    filter += L"*.*";
    filter += L'\0';
    std::wstring file(kPathChars, L'\0');
    std::wstring title = Text(IDS_OPEN_TITLE);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hwnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = &file[0];
    ofn.nMaxFile = kPathChars;
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return;
    file.resize(wcslen(file.c_str()));
    m_strFolder.clear();
    ShowPicture(file);
}

void CViewerWindow::OnHelp() {
    std::wstring help = ProgramFolder() + L"Help\\pixo32_deutsch.chm";
    if (GetFileAttributesW(help.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::wstring text = Text(IDS_HELP_MISSING) + L"\n" + help;
        MessageBoxW(m_hwnd, text.c_str(), Text(IDS_APP_NAME).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShellExecuteW(m_hwnd, L"open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace pixo
