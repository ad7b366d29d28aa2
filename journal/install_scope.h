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

// Where an installation may have written its keys. The first place of each
// scope is where this setup writes; the machine's others are the two views
// of 64-bit Windows, one of which an earlier 64-bit build may have used.
struct RegistryPlace {
    InstallScope scope;
    HKEY root;
    REGSAM view;
};
extern const RegistryPlace kRegistryPlaces[4];

// HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER for a per-user installation: the
// root of "SOFTWARE\Classes\…", "SOFTWARE\Pixolum", the uninstall entry and
// RegisteredApplications.
HKEY ScopeRoot(InstallScope scope);

// True when the process token carries the Administrators group enabled (an
// elevated token on Vista and later; a filtered token has it deny-only).
bool HasAdministratorRights();

// The folder the uninstall entry of scope names (InstallLocation) as written,
// or empty.
std::wstring RegisteredInstallLocation(InstallScope scope);
