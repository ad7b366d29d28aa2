#include "run_wizard.h"

#include "resource.h"
#include "wiz_page.h"
#include "wiz_sheet.h"

void RunSetupWizard(HINSTANCE instance, HFONT headingFont, InstallScope scope) {
    CWizPropertySheet& sheet = g_wizardSheet;
    sheet.m_scope = scope;
    sheet.m_fontHeading.Attach(headingFont);
    sheet.m_hwndFormatList = nullptr;
    sheet.SetResourceInstance(instance);

    // Sheet order is the page index every page operation branches on.
    static const UINT kTemplates[] = {IDD_WELCOME, IDD_WHATSNEW, IDD_ASSOCIATIONS, IDD_READY,
                                      IDD_FINISHED};
    CWizPropertyPage pages[sizeof(kTemplates) / sizeof(kTemplates[0])];
    for (size_t i = 0; i < sizeof(kTemplates) / sizeof(kTemplates[0]); ++i) {
        pages[i].Construct(kTemplates[i], 0);
        sheet.AddPage(&pages[i]);
    }
    sheet.DoModal();
    sheet.RemoveAllPages();
}
