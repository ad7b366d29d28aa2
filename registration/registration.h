// Makes the installed viewer known to Windows: links, application keys,
// uninstall entry, capabilities and file associations.
#pragma once

class Transaction;

#include "install_options.h"

// Registers what options chose for the files in targetFolder. A declined
// association question (associationsConfirmed false) changes no association.
// False, with nothing written, when targetFolder is refused by
// TargetFolderFitsCommands.
bool RegisterApplication(const InstallOptions& options, const wchar_t* targetFolder,
                         bool associationsConfirmed, Transaction* tx = nullptr);

// Whether targetFolder, trimmed and ending in a backslash, is not empty and
// short enough that the longest text formed from it, the thumbnails command
// "<folder>pixo32.exe" "%1" /thumbs, fits in kPathChars characters with its
// terminator. The install driver refuses other folders before installing.
bool TargetFolderFitsCommands(const wchar_t* targetFolder);
