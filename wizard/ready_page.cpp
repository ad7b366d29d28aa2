// The ready page (index 3): settings folder and the installation run.
#include <windows.h>

#include <string>

#include "format_list.h"
#include "install_driver.h"
#include "install_options.h"
#include "path_utils.h"
#include "resource.h"
#include "resource_text.h"
#include "text_buffer.h"
#include "version_probe.h"
#include "wiz_page.h"
#include "wiz_sheet.h"

namespace {

// The settings folder of the "application data" choice; the driver expands it.

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
    options.silent = 0;
    options.messageCaption = m_pSheet->m_szTitle;
    options.installedFolder = m_pSheet->m_szInstalledFolder;
}

void CWizPropertyPage::EnableWizardButtons(BOOL enable) {
    HWND sheet = GetSheetWindow();
    EnableWindow(GetDlgItem(sheet, ID_WIZBACK), enable);
    EnableWindow(GetDlgItem(sheet, ID_WIZNEXT), enable);
    EnableWindow(GetDlgItem(sheet, IDCANCEL), enable);
}

LRESULT CWizPropertyPage::RunInstallationStep() {
    // The viewer's files cannot be replaced while it runs: nothing is read,
    // disabled or installed, the user may close it and press Next again.
    if (FindWindowW(kViewerWindowClass, nullptr)) {
        const std::wstring warning = LoadResourceText(Resources(), IDS_VIEWER_RUNNING, kPathChars);
        MessageBoxW(m_hWnd, warning.c_str(), m_pSheet->m_szTitle, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }

    wchar_t targetFolder[kLongChars];
    wchar_t iniFolder[kLongChars];
    InstallOptions options;
    ReadInstallOptions(options, targetFolder, iniFolder);

    // The installation holds this thread until it ends: the status line shown
    // now is what the user sees meanwhile. Once it ends there is nothing to
    // wait for, whatever the outcome.
    HWND status = GetDlgItem(m_hWnd, IDC_STATUS_TEXT);
    ShowWindow(status, SW_SHOW);
    UpdateWindow(status);

    EnableWizardButtons(FALSE);
    const int installed = RunInstallation(options);
    ShowWindow(status, SW_HIDE);
    EnableWizardButtons(TRUE);

    // A failed installation was reported by the driver; the user starts over
    // on the welcome page with every choice still in place.
    return installed ? NeighbourPageId(TRUE) : static_cast<LRESULT>(IDD_WELCOME);
}
