// The finish page (index 4) and the sheet's finish actions.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "install_options.h"
#include "resource.h"
#include "resource_text.h"
#include "shell_api.h"
#include "site_address.h"
#include "text_buffer.h"
#include "wiz_page.h"
#include "wiz_sheet.h"

namespace {


// The viewer inside the install folder, or false when the
// path would not fit a path buffer: a cut path could name another program.
bool ViewerPathIn(const wchar_t* folder, wchar_t* path) {
    if (!CopyText(path, kPathChars, folder)) return false;
    const size_t length = wcslen(path);
    if (length > 0 && path[length - 1] != L'\\' && !AppendText(path, kPathChars, L"\\")) {
        return false;
    }
    return AppendText(path, kPathChars, kViewerExe);
}

}  // namespace

void CWizPropertyPage::ActivateFinished() {
    SendDlgItemMessageW(m_hWnd, IDC_FINISHED_HEADING, WM_SETFONT,
                        reinterpret_cast<WPARAM>(m_pSheet->m_fontHeading.GetSafeHandle()), TRUE);
    CheckDlgButton(m_hWnd, IDC_OPEN_FAQ, BST_CHECKED);
    CheckDlgButton(m_hWnd, IDC_START_VIEWER, BST_CHECKED);

    HWND sheet = GetSheetWindow();
    const std::wstring finish = LoadResourceText(Resources(), IDS_FINISH_LABEL, kPathChars);
    SetDlgItemTextW(sheet, IDCANCEL, finish.c_str());
    EnableWindow(GetDlgItem(sheet, ID_WIZBACK), FALSE);
    EnableWindow(GetDlgItem(sheet, ID_WIZNEXT), FALSE);
    // The one button left is the default: Enter presses it, as it does Next
    // on the other pages.
    SendMessageW(sheet, DM_SETDEFID, IDCANCEL, 0);
}

void CWizPropertySheet::RunFinishActions() {
    HWND finished = WizPage(kFinishedPage)->m_hWnd;
    if (IsDlgButtonChecked(finished, IDC_OPEN_FAQ) == BST_CHECKED) {
        const std::wstring faq = ProductSitePage(L"faq.htm");
        lazy::ShellExecuteW(GetDesktopWindow(), L"open", faq.c_str(), nullptr, L"", SW_SHOW);
    }
    if (IsDlgButtonChecked(finished, IDC_START_VIEWER) == BST_CHECKED) {
        // The folder the files went to, as the installation spelled it.
        wchar_t viewer[kPathChars] = {};
        if (ViewerPathIn(m_szInstalledFolder, viewer)) {
            lazy::ShellExecuteW(GetActiveWindow(), L"open", viewer, L"", nullptr, SW_SHOW);
            Sleep(50);
            BringViewerToFront();
        }
    }
}

BOOL CWizPropertySheet::BringViewerToFront() {
    // The viewer needs a moment to open its window; give up after about 2.5 s.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (HWND viewer = FindWindowExW(nullptr, nullptr, kViewerWindowClass, nullptr)) {
            SetForegroundWindow(viewer);
            return TRUE;
        }
        Sleep(500);
    }
    return FALSE;
}
