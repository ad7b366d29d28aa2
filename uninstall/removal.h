// One uninstallation: links, registry entries, files, settings and folders.
#pragma once

#include <string>
#include <vector>

#include "entry_list.h"
#include "removal_report.h"

struct RemovalRequest {
    std::wstring installFolder;  // ends in a backslash
    PayloadEntries entries;
    bool removeSettings = false;
    // The uninstaller file that is running and so cannot be deleted yet, and
    // the folder on the same volume it is moved into instead (empty: none).
    std::wstring runningImage;
    std::wstring parkingFolder;
};

struct RemovalResult {
    RemovalReport report;
    std::wstring parkedImage;    // where the running image now lies, to delete once it has ended
    bool imageDeferred = false;  // the running image is still in place
};

// The settings files the installation has: "pixo32.ini" in the install
// folder and in the folder its [Others] "INI_Folder" names (expanded); only
// the existing ones.
std::vector<std::wstring> FindSettingsFiles(const std::wstring& installFolder);

// Whether installFolder holds an installation of the setup: the uninstall
// entry names it, or the setup's settings file lies in it. An uninstaller
// copied elsewhere (or run in a build folder) must not delete files there
// that merely share the payload's names.
bool IsInstallation(const std::wstring& installFolder);

RemovalResult RemoveInstallation(const RemovalRequest& request);

// Removes the listed folders that are empty, deepest first, then the install
// folder itself; true when the install folder is gone.
bool RemoveEmptyFolders(const std::wstring& installFolder, const PayloadEntries& entries);
