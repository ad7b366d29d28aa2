// Removal of the registry entries the registration wrote.
#pragma once

#include <windows.h>

#include <string>

#include "install_scope.h"
#include "removal_report.h"

// Deletes root\subKey with everything below it (RegDeleteTree is missing on
// XP). ERROR_SUCCESS also when the key did not exist.
LONG DeleteKeyTree(HKEY root, const std::wstring& subKey);

// The install folder the uninstall entry names ("InstallLocation"), ending
// in a backslash; empty when there is no entry or no location.
std::wstring RegisteredInstallFolder(InstallScope scope);

// Whether the uninstall entry names another install folder than
// installFolder (ending in a backslash): then the registration belongs to
// that installation and stays.
bool RegistrationBelongsElsewhere(InstallScope scope, const std::wstring& installFolder);

// Every entry of the registration tables: application keys, folder and
// drive verb, capabilities, RegisteredApplications, class keys, extension
// defaults that still name one of our classes, FileExts ProgID and
// UserChoice, the store apps' NoOpenWith values. With keepUninstallEntry the
// uninstall key stays (files remain, so the user can run it again).
void RemoveRegistration(InstallScope scope, bool keepUninstallEntry, RemovalReport& report);
