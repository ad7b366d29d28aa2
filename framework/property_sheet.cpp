#include "property_sheet.h"

#include <cwchar>
#include <cstdlib>

#include "system_library.h"
#include "win_handles.h"

namespace {

// The sheet whose window is about to be created by PropertySheetW, and the
// hook that binds it: the sheet must see its own WM_INITDIALOG, which comes
// before PropertySheetW hands out the window. One UI thread, one sheet.
CPropertySheet* g_pendingSheet = nullptr;
HHOOK g_creationHook = nullptr;

void RemoveCreationHook() {
    if (g_creationHook) UnhookWindowsHookEx(g_creationHook);
    g_creationHook = nullptr;
    g_pendingSheet = nullptr;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd || !pDX || !pDX->m_pDlgWnd) return;
    control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd->m_hWnd);
}

// ---- CPropertyPage ----

void CPropertyPage::Construct(UINT templateId, UINT captionId) {
    m_nTemplateId = templateId;
    m_nCaptionId = captionId;
}

BOOL CPropertyPage::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CPropertyPage::DoDataExchange(CDataExchange*) {}

BOOL CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive) {
        m_bFirstSetActive = false;
    } else {
        UpdateData(FALSE);
    }
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

LRESULT CPropertyPage::OnWizardNext() { return 0; }

LRESULT CPropertyPage::OnWizardBack() { return 0; }

BOOL CPropertyPage::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange{this, saveAndValidate};
    DoDataExchange(&exchange);
    return TRUE;
}

INT_PTR CPropertyPage::Answer(LRESULT result) {
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    CPropertyPage* page;
    if (message == WM_INITDIALOG) {
        // lParam is the sheet's copy of our PROPSHEETPAGEW; its lParam is the page.
        const auto* descriptor = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        page = reinterpret_cast<CPropertyPage*>(descriptor->lParam);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->m_hWnd = window;
    } else {
        page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!page || page->m_hWnd != window) return FALSE;
    return page->OnDialogMessage(message, wParam, lParam);
}

INT_PTR CPropertyPage::OnSheetNotify(const NMHDR& header) {
    switch (header.code) {
    case PSN_SETACTIVE:
        if (m_pOwner) m_pOwner->NoteActivePage(this);
        return Answer(OnSetActive() ? 0 : -1);
    case PSN_KILLACTIVE:
        return Answer(OnKillActive() ? FALSE : TRUE);
    case PSN_WIZNEXT:
        return Answer(OnWizardNext());
    case PSN_WIZBACK:
        return Answer(OnWizardBack());
    default:
        return -1;
    }
}

INT_PTR CPropertyPage::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_INITDIALOG:
        // Pages are created just before their first activation.
        if (m_pOwner) m_pOwner->NoteActivePage(this);
        return OnInitDialog();
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == GetParent(m_hWnd)) {
            const INT_PTR answered = OnSheetNotify(*header);
            if (answered != -1) return answered;
        }
        break;
    }
    case WM_COMMAND:
        if (lParam && ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam,
                                     result)) {
            return Answer(result);
        }
        break;
    case WM_CTLCOLORSTATIC:
        // A dialog procedure answers this one with the brush itself.
        if (ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result)) {
            return static_cast<INT_PTR>(result);
        }
        break;
    case WM_NCDESTROY:
        m_hWnd = nullptr;
        m_bFirstSetActive = true;
        return FALSE;
    default:
        break;
    }
    if (DispatchToMap(message, wParam, lParam, result)) return Answer(result);
    return FALSE;
}

// ---- CPropertySheet ----

CPropertySheet::CPropertySheet(const wchar_t* caption, HWND parent, UINT startPage)
    : m_strCaption(caption ? caption : L"") {
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE;
    m_psh.hwndParent = parent;
    m_psh.hInstance = GetModuleHandleW(nullptr);
    m_psh.nStartPage = startPage;
    m_nActivePage = static_cast<int>(startPage);
}

bool CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page || m_nPages >= kMaxPages) return false;
    m_pages[m_nPages++] = page;
    page->m_pOwner = this;
    return true;
}

void CPropertySheet::RemoveAllPages() {
    for (int i = 0; i < m_nPages; ++i) m_pages[i]->m_pOwner = nullptr;
    m_nPages = 0;
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    if (index < 0 || index >= GetPageCount()) {
        // Nothing catches a bad index: end the program as an uncaught
        // exception would.
        std::abort();
    }
    return m_pages[index];
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
    for (int i = 0; i < m_nPages; ++i) {
        if (m_pages[i] == page) return i;
    }
    return -1;
}

void CPropertySheet::NoteActivePage(const CPropertyPage* page) {
    const int index = GetPageIndex(page);
    if (index >= 0) m_nActivePage = index;
}

INT_PTR CPropertySheet::DoModal() {
    PROPSHEETPAGEW descriptors[kMaxPages] = {};
    for (int i = 0; i < m_nPages; ++i) {
        PROPSHEETPAGEW& descriptor = descriptors[i];
        descriptor.dwSize = sizeof(descriptor);
        descriptor.dwFlags = PSP_DEFAULT;
        if (m_pages[i]->m_nCaptionId) {
            descriptor.dwFlags |= PSP_USETITLE;
            descriptor.pszTitle = MAKEINTRESOURCEW(m_pages[i]->m_nCaptionId);
        }
        descriptor.hInstance = m_psh.hInstance;
        descriptor.pszTemplate = MAKEINTRESOURCEW(m_pages[i]->m_nTemplateId);
        descriptor.pfnDlgProc = &CPropertyPage::PageDialogProc;
        descriptor.lParam = reinterpret_cast<LPARAM>(m_pages[i]);
    }
    m_psh.dwFlags |= PSH_PROPSHEETPAGE;
    m_psh.nPages = static_cast<UINT>(m_nPages);
    m_psh.ppsp = descriptors;
    m_psh.pszCaption = m_strCaption.c_str();
    m_nActivePage = static_cast<int>(m_psh.nStartPage);

    g_pendingSheet = this;
    g_creationHook = SetWindowsHookExW(WH_CBT, &CPropertySheet::CreationHook, nullptr,
                                       GetCurrentThreadId());
    auto propertySheet = GetProcAs<decltype(&::PropertySheetW)>(CommonControlsLibrary(), "PropertySheetW");
    const INT_PTR result = propertySheet ? propertySheet(&m_psh) : -1;
    RemoveCreationHook();
    m_psh.ppsp = nullptr;
    return result;
}

LRESULT CALLBACK CPropertySheet::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT next = CallNextHookEx(g_creationHook, code, wParam, lParam);
    if (code == HCBT_CREATEWND && g_pendingSheet) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (wcscmp(className, L"#32770") == 0) {  // the sheet's dialog window
            CPropertySheet* sheet = g_pendingSheet;
            RemoveCreationHook();
            sheet->SubclassWindow(window);
        }
    }
    return next;
}

BOOL CPropertySheet::OnInitDialog() { return static_cast<BOOL>(Default()); }

BOOL CPropertySheet::OnCommand(WPARAM, LPARAM) { return FALSE; }

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_COMMAND && OnCommand(wParam, lParam)) return 0;
    return CWnd::WindowProc(message, wParam, lParam);
}
