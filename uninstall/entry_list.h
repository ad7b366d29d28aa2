// The list of the archive's entries that the build embeds in the uninstaller:
// exactly the files and folders the setup unpacked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct PayloadEntries {
    std::vector<std::wstring> files;    // relative to the install folder: "Plugins\Icons.dll"
    std::vector<std::wstring> folders;  // relative, deepest first, no trailing backslash
};

// One name a line ("Plugins/", "Plugins/Icons.dll"), as the packer writes
// them. A name that could reach outside the install folder is dropped, so
// no list can make the uninstaller delete anything elsewhere. Folders of
// files are added when the list lacks them.
PayloadEntries ParseEntryList(const char* text, size_t length);

// The list embedded in this program; false when it is missing or empty.
bool LoadEmbeddedEntryList(PayloadEntries& entries);
