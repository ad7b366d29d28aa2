// The association page (index 2): the formats the viewer shall open.
#include "wiz_page.h"

void CWizPropertyPage::ActivateAssociations() {}
