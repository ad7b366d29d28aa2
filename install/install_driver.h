// One whole installation from a record of choices.
#pragma once

#include "install_options.h"

int RunInstallation(InstallOptions& options);    // 1 = installed, 0 = failed and reported

// At start, before the earlier installation is looked at: a run that was
// cut off (a killed process, a power cut) is undone, unless another run
// holds the lock of scope right now. What cannot be put back is logged.
void RecoverEarlierRun(InstallScope scope);
