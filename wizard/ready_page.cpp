// The ready page (index 3): settings folder and the installation run.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "earlier_install.h"
#include "format_list.h"
#include "install_driver.h"
#include "install_options.h"
#include "path_utils.h"
#include "resource.h"
#include "resource_text.h"
#include "text_buffer.h"
#include "version_probe.h"
#include "viewer_process.h"
#include "wiz_page.h"
#include "wiz_sheet.h"

namespace {

constexpr int kProgressEnd = 1000;  // the driver's per mille

// One installation run off the window's thread; lives on the stack of the
// ready page's Next handling, which waits for the thread to end.
struct InstallJob {
    InstallOptions options;
    wchar_t targetFolder[kLongChars];
    wchar_t iniFolder[kLongChars];
    HWND page = nullptr;
    HWND bar = nullptr;
    int installed = 0;
};

DWORD WINAPI InstallThread(void* parameter) {
    auto* job = static_cast<InstallJob*>(parameter);
    job->installed = RunInstallation(job->options);
    return 0;
}

// Posted, not sent: the installing thread never waits for a repaint.
void ShowInstallProgress(void* context, int perMille) {
    PostMessageW(static_cast<InstallJob*>(context)->bar, PBM_SETPOS,
                 static_cast<WPARAM>(perMille), 0);
}

int AskOnWindowThread(void* context, const wchar_t* text, unsigned style) {
    return static_cast<int>(SendMessageW(static_cast<InstallJob*>(context)->page, WM_PX_ASK,
                                         style, reinterpret_cast<LPARAM>(text)));
}

// Dispatches this thread's messages until thread has ended. A quit request
// met meanwhile is passed on to the loop that runs the sheet.
void PumpMessagesUntil(HANDLE thread) {
    bool quit = false;
    WPARAM quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

void CWizPropertyPage::ActivateReady() {
    SendDlgItemMessageW(m_hWnd, IDC_READY_HEADING, WM_SETFONT,
                        reinterpret_cast<WPARAM>(m_pSheet->m_fontHeading.GetSafeHandle()), TRUE);

    wchar_t folder[kPathChars] = {};
    GetDlgItemTextW(m_pSheet->WizPage(kWelcomePage)->m_hWnd, IDC_TARGET_FOLDER, folder, kPathChars);
    TrimSpaces(folder);
    const std::wstring label = LoadResourceText(Resources(), IDS_TARGET_LABEL, 50);
    const std::wstring line = label + L": " + folder;
    SetDlgItemTextW(m_hWnd, IDC_READY_FOLDER, line.c_str());

    // Reset on every activation: the application-data folder from Vista on,
    // the program folder on older systems.
    CheckDlgButton(m_hWnd, IDC_INI_PROGRAM_FOLDER, BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_INI_APPDATA, BST_CHECKED);
    if (!IsNt6OrLater()) {
        CheckDlgButton(m_hWnd, IDC_INI_PROGRAM_FOLDER, BST_CHECKED);
        CheckDlgButton(m_hWnd, IDC_INI_APPDATA, BST_UNCHECKED);
    }
}

void CWizPropertyPage::BindStatusText(CDataExchange* pDX) {
    CXColorStatic& status = m_pSheet->m_statusText;
    DDX_Control(pDX, IDC_STATUS_TEXT, status);
    int dpi = 96;
    HWND sheet = GetSheetWindow();
    if (HDC dc = GetDC(sheet)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(sheet, dc);
    }
    status.SetTextColour(RGB(255, 0, 0), FALSE);
    status.SetTextBold(TRUE, TRUE);
    status.SetTextFace(L"Arial", MulDiv(18, dpi, 96), TRUE);
}

void CWizPropertyPage::ReadInstallOptions(InstallOptions& options, wchar_t* targetFolder,
                                          wchar_t* iniFolder) {
    HWND welcome = m_pSheet->WizPage(kWelcomePage)->m_hWnd;
    HWND associations = m_pSheet->WizPage(kAssociationsPage)->m_hWnd;

    targetFolder[0] = L'\0';
    GetDlgItemTextW(welcome, IDC_TARGET_FOLDER, targetFolder, kLongChars);
    TrimSpaces(targetFolder);
    options.targetFolder = targetFolder;
    options.startMenuGroup = IsChecked(welcome, IDC_STARTMENU_GROUP);
    options.desktopShortcut = IsChecked(welcome, IDC_DESKTOP_LINK);
    options.thumbnailsShortcut = IsChecked(welcome, IDC_THUMBS_LINK);
    options.shortcutsAllUsers = IsChecked(welcome, IDC_ALL_USERS);
    options.associationsAllUsers = IsChecked(associations, IDC_ASSOC_ALL_USERS);

    // Rows count only while the list is enabled, that is while the user wants
    // associations written at all.
    options.associationsRequested =
        ReadAssociationSelection(m_pSheet->m_hwndFormatList, options.associations);

    iniFolder[0] = L'\0';
    if (IsChecked(m_hWnd, IDC_INI_APPDATA)) CopyText(iniFolder, kLongChars, kDefaultSettingsFolder);
    options.iniFolder = iniFolder;
    options.silent = false;
    options.scope = m_pSheet->m_scope;
    options.messageCaption = m_pSheet->m_szTitle;
    options.installedFolder = m_pSheet->m_szInstalledFolder;
}

void CWizPropertyPage::EnableWizardButtons(BOOL enable) {
    HWND sheet = GetSheetWindow();
    EnableWindow(GetDlgItem(sheet, ID_WIZBACK), enable);
    EnableWindow(GetDlgItem(sheet, ID_WIZNEXT), enable);
    EnableWindow(GetDlgItem(sheet, IDCANCEL), enable);
}

bool CWizPropertyPage::OnAskFromInstallation(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The installing thread waits in SendMessage: the box belongs to the
    // sheet, as when the installation ran on this thread.
    result = MessageBoxW(GetSheetWindow(), reinterpret_cast<const wchar_t*>(lParam),
                         m_pSheet->m_szTitle, static_cast<UINT>(wParam));
    return true;
}

LRESULT CWizPropertyPage::RunInstallationStep() {
    // The viewer's files cannot be replaced while it runs: nothing is read,
    // disabled or installed, the user may close it and press Next again.
    InstallJob job;
    ReadInstallOptions(job.options, job.targetFolder, job.iniFolder);
    // Its window may lie on another desktop: the process counts too.
    wchar_t registered[kPathChars] = {};
    FindInstalledFolder(m_pSheet->m_scope, registered);
    if (FindWindowW(kViewerWindowClass, nullptr) || ViewerRunsFrom(job.targetFolder) ||
        ViewerRunsFrom(registered)) {
        const std::wstring warning = LoadResourceText(Resources(), IDS_VIEWER_RUNNING, kPathChars);
        MessageBoxW(m_hWnd, warning.c_str(), m_pSheet->m_szTitle, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    job.page = m_hWnd;
    job.bar = GetDlgItem(m_hWnd, IDC_INSTALL_PROGRESS);
    job.options.uiContext = &job;
    job.options.progress = ShowInstallProgress;
    job.options.ask = AskOnWindowThread;

    HWND status = GetDlgItem(m_hWnd, IDC_STATUS_TEXT);
    SendMessageW(job.bar, PBM_SETRANGE32, 0, kProgressEnd);
    SendMessageW(job.bar, PBM_SETPOS, 0, 0);
    ShowWindow(status, SW_SHOW);
    ShowWindow(job.bar, SW_SHOW);
    EnableWizardButtons(FALSE);
    m_pSheet->SetInstalling(true);

    // The installation runs on a thread of its own while this one keeps the
    // window painted and movable; its questions come back here through
    // OnAskFromInstallation, one at a time and in the driver's order.
    int installed = 0;
    if (HANDLE thread = CreateThread(nullptr, 0, InstallThread, &job, 0, nullptr)) {
        PumpMessagesUntil(thread);
        CloseHandle(thread);
        installed = job.installed;
    } else {
        installed = RunInstallation(job.options);
    }

    m_pSheet->SetInstalling(false);
    ShowWindow(status, SW_HIDE);
    ShowWindow(job.bar, SW_HIDE);
    EnableWizardButtons(TRUE);

    // A failed installation was reported by the driver; the user starts over
    // on the welcome page with every choice still in place.
    return installed ? NeighbourPageId(TRUE) : static_cast<LRESULT>(IDD_WELCOME);
}
