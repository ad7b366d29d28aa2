#include "wiz_sheet.h"

#include <cwchar>

#include "resource.h"
#include "resource_text.h"
#include "text_buffer.h"
#include "win_app.h"
#include "wiz_page.h"

CWizPropertySheet g_wizardSheet;

const MessageMapEntry CWizPropertySheet::s_messageEntries[] = {
    {WM_SYSCOMMAND, 0, 0, Handler<&CWizPropertySheet::OnSysCommand>},
    {WM_SETTEXT, 0, 0, Handler<&CWizPropertySheet::OnSetText>},
};
const MessageMap CWizPropertySheet::s_messageMap = MakeMessageMap(nullptr, s_messageEntries);

CWizPropertySheet::CWizPropertySheet() : CPropertySheet(L"Pixolum Setup", nullptr, 0) {
    m_psh.dwFlags |= PSH_WIZARD;
}

CWizPropertySheet::~CWizPropertySheet() = default;

const MessageMap* CWizPropertySheet::GetMessageMap() const { return &s_messageMap; }

bool CWizPropertySheet::AddPage(CWizPropertyPage* page) {
    if (!CPropertySheet::AddPage(page)) return false;
    page->m_pSheet = this;
    return true;
}

CWizPropertyPage* CWizPropertySheet::WizPage(int index) const {
    // Only CWizPropertyPage objects are ever added to this sheet.
    return static_cast<CWizPropertyPage*>(GetPage(index));
}

BOOL CWizPropertySheet::OnInitDialog() {
    CopyText(m_szTitle, kPathChars, kSetupCaption);
    const BOOL result = CPropertySheet::OnInitDialog();
    const std::wstring cancel = LoadResourceText(ResourceInstance(), IDS_CANCEL_LABEL, kPathChars);
    SetDlgItemTextW(m_hWnd, IDCANCEL, cancel.c_str());
    SetWindowTextW(m_hWnd, m_szTitle);
    if (CWinApp* app = AfxGetApp()) app->SetMainWindow(m_hWnd);
    return result;
}

bool CWizPropertySheet::ConfirmLeave() {
    const std::wstring question =
        LoadResourceText(ResourceInstance(), IDS_LEAVE_QUESTION, kPathChars);
    return MessageBoxW(m_hWnd, question.c_str(), m_szTitle,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

BOOL CWizPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDCANCEL) {
        if (GetActiveIndex() == kFinishedPage) {
            // Escape also arrives as this command; it and the close box leave
            // without opening the browser or starting the viewer.
            if (!m_bLeaveConfirmed && GetKeyState(VK_ESCAPE) >= 0) RunFinishActions();
        } else if (!m_bLeaveConfirmed && !ConfirmLeave()) {
            return TRUE;  // the wizard stays open
        }
    }
    return CPropertySheet::OnCommand(wParam, lParam);
}

bool CWizPropertySheet::OnSysCommand(WPARAM wParam, LPARAM, LRESULT& result) {
    // Exactly SC_CLOSE: the title-bar close box and Alt+F4.
    if (wParam != SC_CLOSE) return false;
    if (GetActiveIndex() != kFinishedPage && !ConfirmLeave()) {
        result = 0;
        return true;
    }
    m_bLeaveConfirmed = true;
    result = Default();
    m_bLeaveConfirmed = false;
    return true;
}

bool CWizPropertySheet::OnSetText(WPARAM, LPARAM lParam, LRESULT& result) {
    // The platform titles the sheet after each page it shows, and our pages
    // have no caption: once the sheet has its title, it keeps it.
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    if (!m_szTitle[0] || (text && wcscmp(text, m_szTitle) == 0)) return false;
    SetWindowTextW(m_hWnd, m_szTitle);
    result = TRUE;
    return true;
}
