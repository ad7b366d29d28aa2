// The finish page (index 4) and the sheet's finish actions.
#include "wiz_page.h"
#include "wiz_sheet.h"

void CWizPropertyPage::ActivateFinished() {}

void CWizPropertySheet::RunFinishActions() {}
