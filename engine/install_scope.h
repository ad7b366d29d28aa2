// For whom an installation is made: the whole machine (HKLM, Program Files,
// the journal in the machine's application data, administrators only) or the
// current user alone (HKCU, the user's local application data), chosen with
// /currentuser or because the setup runs without administrator rights.
#pragma once

#include <windows.h>

#include <string>

// Decided once at start, before any journal is looked at; machine-wide until then.
void SetPerUserInstall(bool perUser);
bool IsPerUserInstall();

// HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER for a per-user installation: the
// root of "SOFTWARE\Classes\…", "SOFTWARE\Pixolum", the uninstall entry and
// RegisteredApplications.
HKEY ScopeRoot();

// True when the process token carries the Administrators group enabled (an
// elevated token on Vista and later; a filtered token has it deny-only).
bool HasAdministratorRights();

// The per-user installation of an uninstaller in installFolder: its own
// journal or record names that folder, or the user's uninstall entry does.
bool IsPerUserInstallation(const std::wstring& installFolder);
