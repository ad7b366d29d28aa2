// One whole installation from a record of choices.
#pragma once

#include "install_options.h"

int RunInstallation(InstallOptions& options);    // 1 = installed, 0 = failed and reported
