// The welcome page (index 0): greeting, shortcuts, target folder, EULA link.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "com_ptr.h"
#include "earlier_install.h"
#include "install_options.h"
#include "path_utils.h"
#include "resource.h"
#include "resource_text.h"
#include "shell_api.h"
#include "site_address.h"
#include "text_buffer.h"
#include "welcome_rules.h"
#include "wiz_page.h"
#include "wiz_sheet.h"

namespace {

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        wchar_t initial[kPathChars] = {};
        CopyText(initial, kPathChars, reinterpret_cast<const wchar_t*>(data));
        // The dialog wants C:\ with its backslash, other folders without.
        const size_t length = wcslen(initial);
        if (length > 3 && initial[length - 1] == L'\\') initial[length - 1] = L'\0';
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial));
    }
    return 0;
}

// Lets the user choose a folder, starting at path (kPathChars); on TRUE path
// holds the chosen folder with a trailing backslash.
BOOL BrowseForTargetFolder(HINSTANCE resources, HWND owner, wchar_t* path) {
    const std::wstring title = LoadResourceText(resources, IDS_BROWSE_TITLE, 50);
    wchar_t displayName[kPathChars] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(path);

    // The shell documents the folder dialog as needing COM on the thread.
    ComScope com;
    LPITEMIDLIST chosen = lazy::SHBrowseForFolderW(&info);
    if (!chosen) return FALSE;
    ItemIdList item(chosen);
    wchar_t folder[MAX_PATH] = {};
    if (!lazy::SHGetPathFromIDListW(item.Get(), folder)) return FALSE;
    folder[MAX_PATH - 1] = L'\0';
    CopyText(path, kPathChars, folder);
    AppendBackslash(path);
    return TRUE;
}

std::wstring DialogItemText(HWND dialog, int id) {
    return GetWindowTextString(GetDlgItem(dialog, id));
}

}  // namespace

void CWizPropertyPage::ActivateWelcome() {
    HWND sheet = GetSheetWindow();
    EnableWindow(GetDlgItem(sheet, ID_WIZBACK), FALSE);
    HICON icon = LoadIconW(Resources(), MAKEINTRESOURCEW(IDI_SETUP));
    SendMessageW(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    if (m_bFirstVisit) {
        SetDlgItemTextW(sheet, ID_WIZBACK, L"< &Zurück");
        SetDlgItemTextW(sheet, ID_WIZNEXT, L"&Weiter >");
        SendDlgItemMessageW(m_hWnd, IDC_WELCOME_HEADING, WM_SETFONT,
                            reinterpret_cast<WPARAM>(m_pSheet->m_fontHeading.GetSafeHandle()),
                            TRUE);

        const std::wstring heading =
            FormatPlaceholders(DialogItemText(m_hWnd, IDC_WELCOME_HEADING), {kBitness});
        SetDlgItemTextW(m_hWnd, IDC_WELCOME_HEADING, heading.c_str());
        const std::wstring intro = FormatPlaceholders(DialogItemText(m_hWnd, IDC_WELCOME_TEXT),
                                                      {kVersionText, kBitness});
        SetDlgItemTextW(m_hWnd, IDC_WELCOME_TEXT, intro.c_str());

        CheckDlgButton(m_hWnd, IDC_DESKTOP_LINK, BST_CHECKED);
        CheckDlgButton(m_hWnd, IDC_THUMBS_LINK, BST_CHECKED);
        CheckDlgButton(m_hWnd, IDC_STARTMENU_GROUP, BST_CHECKED);
        // The pair set directly: CheckRadioButton walks every control of the page.
        CheckDlgButton(m_hWnd, IDC_CURRENT_USER, BST_CHECKED);
        CheckDlgButton(m_hWnd, IDC_ALL_USERS, BST_UNCHECKED);
        // A per-user installation has links for its user only.
        if (m_pSheet->m_scope == InstallScope::User) EnableWindow(GetDlgItem(m_hWnd, IDC_ALL_USERS), FALSE);

        // The folder installed to, else the default: the field is set once.
        wchar_t folder[kPathChars] = {};
        if (!FindInstalledFolder(m_pSheet->m_scope, folder)) GetDefaultInstallFolder(m_pSheet->m_scope, folder);
        SetDlgItemTextW(m_hWnd, IDC_TARGET_FOLDER, folder);
    }

    // A warning only: the ready page refuses to install beside a running viewer.
    if (FindWindowW(kViewerWindowClass, nullptr)) {
        const std::wstring warning = LoadResourceText(Resources(), IDS_VIEWER_RUNNING, kPathChars);
        MessageBoxW(m_hWnd, warning.c_str(), m_pSheet->m_szTitle, MB_ICONWARNING);
    }
    m_bFirstVisit = FALSE;
}

void CWizPropertyPage::BindEulaLink(CDataExchange* pDX) {
    CHyperLink& link = m_pSheet->m_linkEula;
    DDX_Control(pDX, IDC_EULA_LINK, link);
    link.SetUnderlineMode(1);
    link.SetLinkTarget(ProductSitePage(L"eula.htm").c_str());
}

bool CWizPropertyPage::IsTargetFolderValid() {
    wchar_t folder[kPathChars] = {};
    GetDlgItemTextW(m_hWnd, IDC_TARGET_FOLDER, folder, kPathChars);
    if (IsTargetFolderAccepted(folder) && !IsSystemFolder(folder)) return true;
    const std::wstring message = LoadResourceText(Resources(), IDS_INVALID_TARGET, kPathChars);
    MessageBoxW(m_hWnd, message.c_str(), m_pSheet->m_szTitle, MB_OK | MB_ICONERROR);
    return false;
}

bool CWizPropertyPage::OnBrowse(WPARAM, LPARAM, LRESULT&) {
    wchar_t chosen[kPathChars] = {};
    GetDlgItemTextW(m_hWnd, IDC_TARGET_FOLDER, chosen, kPathChars);
    if (!BrowseForTargetFolder(Resources(), GetActiveWindow(), chosen)) return true;
    std::wstring folder;
    if (ApplyProductFolderRule(chosen, folder)) {
        SetDlgItemTextW(m_hWnd, IDC_TARGET_FOLDER, folder.c_str());
    }
    return true;
}

bool CWizPropertyPage::OnShortcutClicked(WPARAM, LPARAM, LRESULT&) {
    const BOOL any = IsDlgButtonChecked(m_hWnd, IDC_DESKTOP_LINK) == BST_CHECKED ||
                     IsDlgButtonChecked(m_hWnd, IDC_THUMBS_LINK) == BST_CHECKED ||
                     IsDlgButtonChecked(m_hWnd, IDC_STARTMENU_GROUP) == BST_CHECKED;
    EnableWindow(GetDlgItem(m_hWnd, IDC_CURRENT_USER), any);
    EnableWindow(GetDlgItem(m_hWnd, IDC_ALL_USERS), any);
    return true;
}

bool CWizPropertyPage::OnNoShortcuts(WPARAM, LPARAM, LRESULT&) {
    CheckDlgButton(m_hWnd, IDC_DESKTOP_LINK, BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_THUMBS_LINK, BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_STARTMENU_GROUP, BST_UNCHECKED);
    EnableWindow(GetDlgItem(m_hWnd, IDC_CURRENT_USER), FALSE);
    EnableWindow(GetDlgItem(m_hWnd, IDC_ALL_USERS), FALSE);
    return true;
}
