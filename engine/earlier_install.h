// Probes for the starting target folder and for the icon-library version.
#pragma once

#include "install_scope.h"

// Room for the longest version text "%d.%d%d" of three 16-bit numbers.
constexpr int kVersionTextChars = 20;

bool FindInstalledFolder(InstallScope scope, wchar_t* folder);      // kPathChars; true = found, ends in '\'
bool GetDefaultInstallFolder(InstallScope scope, wchar_t* folder);  // kPathChars; always true
// True when an uninstall entry of the product, machine-wide or the user's
// own, names a version (VersionMajor, VersionMinor) newer than this setup's.
bool InstalledVersionIsNewer();
// version: at least kVersionTextChars; left untouched when 0 is returned.
// company may be null; otherwise companyChars long and always terminated.
bool ReadFileVersionAndCompany(const wchar_t* path, wchar_t* version, wchar_t* company,
                              int companyChars);
