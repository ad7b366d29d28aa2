// Makes the installed viewer known to Windows: links, application keys,
// uninstall entry, capabilities and file associations.
#pragma once

class Transaction;

#include "install_options.h"

// Always 1, except 0 when targetFolder is refused by TargetFolderFitsCommands
// (then nothing is written).
int RegisterApplication(int associationsConfirmed, int associationsRequested,
                        const wchar_t* targetFolder, int startMenuGroup, int desktopShortcut,
                        int thumbnailsShortcut, int shortcutsAllUsers,
                        const AssociationSelection& associations, int associationsAllUsers,
                        Transaction* tx = nullptr);

// Whether targetFolder, trimmed and ending in a backslash, is not empty and
// short enough that the longest text formed from it, the thumbnails command
// "<folder>pixo32.exe" "%1" /thumbs, fits in kPathChars characters with its
// terminator. The install driver refuses other folders before installing.
bool TargetFolderFitsCommands(const wchar_t* targetFolder);
