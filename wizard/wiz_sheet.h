// CWizPropertySheet: the setup wizard's window; one global instance.
#pragma once

#include <windows.h>

#include "color_static.h"
#include "gdi_object.h"
#include "hyperlink.h"
#include "install_options.h"
#include "property_sheet.h"

class CWizPropertyPage;

class CWizPropertySheet : public CPropertySheet {
public:
    CWizPropertySheet();
    ~CWizPropertySheet() override;

    // Appends the page and makes this sheet its m_pSheet.
    bool AddPage(CWizPropertyPage* page);
    // The page at index; an index outside the sheet is a program error.
    CWizPropertyPage* WizPage(int index) const;
    // Brings a viewer window (class "Pixolum") to the front once it exists,
    // trying five times half a second apart; FALSE when none appeared.
    BOOL BringViewerToFront();
    // While an installation runs the wizard cannot be left: the close box
    // is greyed, Alt+F4 and Cancel commands are ignored.
    void SetInstalling(bool installing);
    // Puts the logo, drawn for the screen's DPI, into the page's logo slot.
    void ShowLogo(HWND page);

    CFont m_fontHeading;                 // the pages' heading font, owned
    HWND m_hwndFormatList = nullptr;     // association list once that page was shown
    CHyperLink m_linkEula;               // welcome page, control 1045
    CXColorStatic m_statusText;          // ready page, control 1044
    wchar_t m_szTitle[kPathChars] = {};  // window title and every message box's caption
    wchar_t m_szInstalledFolder[kPathChars] = {};  // where the last installation put the files
    int m_nDpi = 96;                     // the DPI the sheet is laid out for
    InstallScope m_scope = InstallScope::Machine;  // for whom the pages install

protected:
    const MessageMap* GetMessageMap() const override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

private:
    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSetText(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnDpiChanged(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The sheet's and the pages' controls at dpi, from m_nDpi.
    void RelayOut(int dpi);
    // "Installation beenden?" with No as the default; true for Yes.
    bool ConfirmLeave();
    void RunFinishActions();

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;

    // Set while a close the user already chose runs through the platform,
    // which may turn it into a Cancel command: no second question then, and
    // on the finish page no finish actions.
    bool m_bLeaveConfirmed = false;
    bool m_bInstalling = false;

    CGdiObject<HBITMAP> m_bmpLogo;       // the logo at m_logoSize, shown by three pages
    SIZE m_logoSize = {};
    // The controls' fonts made again for another DPI (dialog and button fonts).
    static constexpr int kScaledFonts = 4;
    CFont m_scaledFonts[kScaledFonts];
};

extern CWizPropertySheet g_wizardSheet;
