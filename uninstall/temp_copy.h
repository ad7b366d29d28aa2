// Running the removal from a copy of the uninstaller, so that the
// uninstaller's own file and folder can go too.
#pragma once

#include <string>

#include "removal_report.h"
#include "uninstall_args.h"

// The caller's side. Copies this program (ownPath, in the install folder)
// into a fresh folder under the temporary folder, runs the removal there and
// waits for its report. false when the copy could not be made or started:
// then nothing was removed.
bool RemoveThroughTempCopy(const std::wstring& ownPath, bool silent, bool removeSettings,
                           RemovalReport& report);

// The copy's side: the whole removal, the report to the caller, and after
// the caller has ended its file and this copy's folder. Returns the exit code.
int RunWorker(const UninstallArgs& args);
