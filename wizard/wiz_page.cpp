#include "wiz_page.h"

#include "navigation.h"
#include "resource.h"
#include "wiz_sheet.h"

const MessageMapEntry CWizPropertyPage::s_messageEntries[] = {
    {WM_COMMAND, BN_CLICKED, IDC_BROWSE, Handler<&CWizPropertyPage::OnBrowse>},
    {WM_COMMAND, BN_CLICKED, IDC_DESKTOP_LINK, Handler<&CWizPropertyPage::OnShortcutClicked>},
    {WM_COMMAND, BN_CLICKED, IDC_THUMBS_LINK, Handler<&CWizPropertyPage::OnShortcutClicked>},
    {WM_COMMAND, BN_CLICKED, IDC_STARTMENU_GROUP, Handler<&CWizPropertyPage::OnShortcutClicked>},
    {WM_COMMAND, BN_CLICKED, IDC_NO_SHORTCUTS, Handler<&CWizPropertyPage::OnNoShortcuts>},
    {WM_COMMAND, BN_CLICKED, IDC_WRITE_ASSOCIATIONS,
     Handler<&CWizPropertyPage::OnWriteAssociations>},
    {WM_COMMAND, BN_CLICKED, IDC_CHECK_ALL, Handler<&CWizPropertyPage::OnCheckAllFormats>},
    {WM_COMMAND, BN_CLICKED, IDC_CHECK_NONE, Handler<&CWizPropertyPage::OnCheckNoFormats>},
    {WM_COMMAND, BN_CLICKED, IDC_PICTURES_ONLY, Handler<&CWizPropertyPage::OnPictureFormatsOnly>},
    {WM_PX_ASK, 0, 0, Handler<&CWizPropertyPage::OnAskFromInstallation>},
};
const MessageMap CWizPropertyPage::s_messageMap = MakeMessageMap(nullptr, s_messageEntries);

const MessageMap* CWizPropertyPage::GetMessageMap() const { return &s_messageMap; }

int CWizPropertyPage::ActiveIndex() const { return m_pSheet->GetActiveIndex(); }

HINSTANCE CWizPropertyPage::Resources() const { return m_pSheet->ResourceInstance(); }

LRESULT CWizPropertyPage::NeighbourPageId(BOOL forward) {
    PageSlot pages[CPropertySheet::kMaxPages] = {};
    const int count = m_pSheet->GetPageCount();
    for (int i = 0; i < count; ++i) {
        const CWizPropertyPage* page = m_pSheet->WizPage(i);
        pages[i] = PageSlot{page->TemplateId(), page->m_bIncluded};
    }
    return NeighbourPageIdOf(pages, count, ActiveIndex(), forward);
}

void CWizPropertyPage::DoDataExchange(CDataExchange* pDX) {
    // Only binds controls to the sheet's objects; the direction does not matter.
    switch (ActiveIndex()) {
    case kWelcomePage:
        BindEulaLink(pDX);
        break;
    case kReadyPage:
        BindStatusText(pDX);
        break;
    default:
        break;
    }
}

BOOL CWizPropertyPage::OnSetActive() {
    m_pSheet->ShowLogo(m_hWnd);
    switch (ActiveIndex()) {
    case kWelcomePage:
        ActivateWelcome();
        break;
    case kWhatsNewPage:
        ActivateWhatsNew();
        break;
    case kAssociationsPage:
        ActivateAssociations();
        break;
    case kReadyPage:
        ActivateReady();
        break;
    case kFinishedPage:
        ActivateFinished();
        break;
    default:
        break;
    }
    return CPropertyPage::OnSetActive();
}

LRESULT CWizPropertyPage::OnWizardBack() { return NeighbourPageId(FALSE); }

LRESULT CWizPropertyPage::OnWizardNext() {
    // First, also when the page then refuses to be left: the welcome page
    // disables Back on each activation, every Next enables it again.
    EnableWindow(GetDlgItem(GetSheetWindow(), ID_WIZBACK), TRUE);
    switch (ActiveIndex()) {
    case kWelcomePage:
        if (!IsTargetFolderValid()) return -1;
        break;
    case kReadyPage:
        return RunInstallationStep();
    default:
        break;
    }
    return NeighbourPageId(TRUE);
}
