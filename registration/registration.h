// Makes the installed viewer known to Windows: links, application keys,
// uninstall entry, capabilities and file associations.
#pragma once

#include "install_options.h"

int RegisterApplication(int associationsConfirmed, int associationsRequested,
                        const wchar_t* targetFolder, int startMenuGroup, int desktopShortcut,
                        int thumbnailsShortcut, int shortcutsAllUsers,
                        const AssociationSelection& associations, int associationsAllUsers);
