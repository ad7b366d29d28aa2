// Used only while the wizard is not part of the build.
#include "wizard_entry.h"

void RunSetupWizard(HINSTANCE, HFONT headingFont) {
    if (headingFont) DeleteObject(headingFont);
}
