// Hand-over from start-up to the wizard.
#pragma once

#include <windows.h>

#include "install_scope.h"

// Builds the five pages on the one wizard sheet, gives the sheet the heading
// font (the sheet owns it from here on) and the scope of the installation,
// and runs it modally.
void RunSetupWizard(HINSTANCE instance, HFONT headingFont, InstallScope scope);
