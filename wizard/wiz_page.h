// CWizPropertyPage: the one page class of the wizard; each operation branches
// on the index of the active page.
#pragma once

#include <windows.h>

#include "install_options.h"
#include "property_sheet.h"

class CWizPropertySheet;

// The installing thread's message box request to the ready page: wParam the
// style, lParam the text; the answer is the button pressed.
constexpr UINT WM_PX_ASK = WM_APP + 1;

// Page indexes: positions in the sheet.
enum WizardPageIndex : int {
    kWelcomePage = 0,
    kWhatsNewPage = 1,
    kAssociationsPage = 2,
    kReadyPage = 3,
    kFinishedPage = 4,
};

class CWizPropertyPage : public CPropertyPage {
public:
    CWizPropertyPage() = default;
    ~CWizPropertyPage() override = default;

    // Template id of the included page next to the active one (forward or
    // back), -1 when there is none.
    virtual LRESULT NeighbourPageId(BOOL forward);

    BOOL m_bFirstVisit = TRUE;                           // welcome page only
    COLORREF m_crListBk = 0;                             // valid once m_crListText was saved
    COLORREF m_crListText = static_cast<COLORREF>(-1);   // -1: list colours not saved yet
    BOOL m_bIncluded = TRUE;
    CWizPropertySheet* m_pSheet = nullptr;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;

private:
    int ActiveIndex() const;
    HINSTANCE Resources() const;

    // Welcome page (welcome_page.cpp)
    void ActivateWelcome();
    void BindEulaLink(CDataExchange* pDX);
    bool IsTargetFolderValid();
    bool OnBrowse(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnShortcutClicked(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnNoShortcuts(WPARAM wParam, LPARAM lParam, LRESULT& result);

    // What's-new page (whats_new_page.cpp)
    void ActivateWhatsNew();

    // Association page (association_page.cpp)
    void ActivateAssociations();
    // The enabled or the greyed look of the format list and its buttons.
    void SetFormatListLook(bool enabled);
    bool OnWriteAssociations(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnCheckAllFormats(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnCheckNoFormats(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPictureFormatsOnly(WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Ready page (ready_page.cpp)
    void ActivateReady();
    void BindStatusText(CDataExchange* pDX);
    LRESULT RunInstallationStep();
    // Fills options from the controls of every page; the buffers belong to the caller.
    void ReadInstallOptions(InstallOptions& options, wchar_t* targetFolder, wchar_t* iniFolder);
    void EnableWizardButtons(BOOL enable);
    // A message box the installing thread asks for (WM_PX_ASK).
    bool OnAskFromInstallation(WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Finish page (finish_page.cpp)
    void ActivateFinished();

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
};
