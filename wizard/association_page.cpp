// The association page (index 2): the formats the viewer shall open.
#include <windows.h>
#include <commctrl.h>

#include "format_catalogue.h"
#include "format_list.h"
#include "resource.h"
#include "version_probe.h"
#include "wiz_page.h"
#include "wiz_sheet.h"

void CWizPropertyPage::ActivateAssociations() {
    // Associations for all users only mean something on XP.
    if (IsNt6OrLater() || m_pSheet->m_scope == InstallScope::User) {
        ShowWindow(GetDlgItem(m_hWnd, IDC_ASSOC_ALL_USERS), SW_HIDE);
    }

    // The list is built once, on the first show; later shows find it as the
    // user left it.
    if (!m_pSheet->m_hwndFormatList) {
        HWND list = GetDlgItem(m_hWnd, IDC_FORMAT_LIST);
        m_pSheet->m_hwndFormatList = list;
        // Windows 11 ignores associations written into the registry.
        if (GetWindowsVersionCode() == 11) {
            EnableWindow(GetDlgItem(m_hWnd, IDC_WRITE_ASSOCIATIONS), FALSE);
        }
        if (m_crListText == static_cast<COLORREF>(-1)) {
            m_crListBk = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
            m_crListText = static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0));
        }
        BuildFormatList(list);
    }

    if (IsDlgButtonChecked(m_hWnd, IDC_WRITE_ASSOCIATIONS) != BST_CHECKED) {
        SetFormatListLook(false);
    }
}

void CWizPropertyPage::SetFormatListLook(bool enabled) {
    HWND list = m_pSheet->m_hwndFormatList;
    if (!list) return;
    EnableWindow(list, enabled);
    SendMessageW(list, LVM_SETBKCOLOR, 0,
                 static_cast<LPARAM>(enabled ? m_crListBk : kGreyedListBack));
    SendMessageW(list, LVM_SETTEXTCOLOR, 0,
                 static_cast<LPARAM>(enabled ? m_crListText : kGreyedListText));
    // Rows paint their own text background, white unless told: the same
    // colour as the list, so that a greyed row is grey all across.
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0,
                 static_cast<LPARAM>(enabled ? m_crListBk : kGreyedListBack));
    EnableWindow(GetDlgItem(m_hWnd, IDC_PICTURES_ONLY), enabled);
    EnableWindow(GetDlgItem(m_hWnd, IDC_CHECK_ALL), enabled);
    EnableWindow(GetDlgItem(m_hWnd, IDC_CHECK_NONE), enabled);
    // The colours apply to rows drawn from now on: repaint the visible ones.
    InvalidateRect(list, nullptr, TRUE);
}

bool CWizPropertyPage::OnWriteAssociations(WPARAM, LPARAM, LRESULT&) {
    // Unticking keeps the rows' check marks; they count again once ticked.
    SetFormatListLook(IsDlgButtonChecked(m_hWnd, IDC_WRITE_ASSOCIATIONS) == BST_CHECKED);
    return true;
}

bool CWizPropertyPage::OnCheckAllFormats(WPARAM, LPARAM, LRESULT&) {
    SetFormatRowChecks(m_pSheet->m_hwndFormatList, 0, kThroughLastRow, true);
    return true;
}

bool CWizPropertyPage::OnCheckNoFormats(WPARAM, LPARAM, LRESULT&) {
    SetFormatRowChecks(m_pSheet->m_hwndFormatList, 0, kThroughLastRow, false);
    return true;
}

bool CWizPropertyPage::OnPictureFormatsOnly(WPARAM, LPARAM, LRESULT&) {
    HWND list = m_pSheet->m_hwndFormatList;
    SetFormatRowChecks(list, 0, kPictureFormatCount, true);
    SetFormatRowChecks(list, kPictureFormatCount, kThroughLastRow, false);
    return true;
}
