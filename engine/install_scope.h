// For whom an installation is made: the whole machine (HKLM, Program Files,
// the journal in the machine's application data, administrators only) or the
// current user alone (HKCU, the user's local application data), chosen with
// /currentuser or because the setup runs without administrator rights. The
// scope travels with the run (the options record, the transaction), never in
// a process-wide flag.
#pragma once

#include <windows.h>

#include <string>

enum class InstallScope { Machine, User };

// HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER for a per-user installation: the
// root of "SOFTWARE\Classes\…", "SOFTWARE\Pixolum", the uninstall entry and
// RegisteredApplications.
HKEY ScopeRoot(InstallScope scope);

// True when the process token carries the Administrators group enabled (an
// elevated token on Vista and later; a filtered token has it deny-only).
bool HasAdministratorRights();
