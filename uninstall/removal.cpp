#include "removal.h"

#include <windows.h>
#include <shlobj.h>


#include "link_cleanup.h"
#include "path_utils.h"
#include "product.h"
#include "record_policy.h"
#include "registry_cleanup.h"
#include "transaction.h"
#include "uninstall_messages.h"
#include "uninstall_paths.h"

namespace {

constexpr const wchar_t* kLegacyRecordName = L"px_install.rec";

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// What the install record says of this installation: its files, its
// folders, its links and its settings files. Without a record (an earlier
// build's installation), the list built into this program and the settings
// file in the install folder and in the default settings folder.
struct Installed {
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;     // deepest last as created
    std::vector<std::wstring> links;
    std::vector<std::wstring> settings;
    std::vector<std::wstring> settingsFolders;   // made by the setup for the settings
};

Installed FromRecord(const std::vector<RecordEntry>& record, const std::wstring& installFolder) {
    Installed installed;
    for (const RecordEntry& entry : record) {
        if (!IsProductEntry(entry, installFolder)) continue;
        if (entry.kind == RecordEntry::FileCreated || entry.kind == RecordEntry::FileReplaced) {
            if (HasFileName(entry.key, kSettingsFileName)) {
                installed.settings.push_back(entry.key);
            } else if (IsPathInFolder(entry.key, installFolder)) {
                installed.files.push_back(entry.key);
            } else {
                installed.links.push_back(entry.key);
            }
        } else if (entry.kind == RecordEntry::FolderCreated &&
                   (IsPathInFolder(entry.key, installFolder) ||
                    IsPathInFolder(installFolder, entry.key + L"\\") ||
                    SamePath(entry.key + L"\\", installFolder))) {
            // Its own folders, the install folder and the levels above it
            // that the setup made: each goes when it is empty.
            installed.folders.push_back(entry.key);
        }
    }
    for (const RecordEntry& entry : record) {
        if (entry.kind != RecordEntry::FolderCreated || IsPathInFolder(entry.key, installFolder)) continue;
        for (const std::wstring& file : installed.settings) {
            if (SamePath(FolderOf(file), entry.key + L"\\")) installed.settingsFolders.push_back(entry.key);
        }
    }
    return installed;
}

// The default settings folder expanded by the setup's own rule; nothing when
// that gives no absolute folder: nothing is removed by a relative name.
std::wstring DefaultSettingsFile() {
    std::wstring expanded;
    wchar_t folder[kPathChars] = {};
    if (!ExpandVariables(kDefaultSettingsFolder, expanded) || !CanonicalFolder(expanded.c_str(), folder)) {
        return std::wstring();
    }
    return folder + std::wstring(kSettingsFileName);
}

Installed FromEntryList(const RemovalRequest& request) {
    Installed installed;
    for (const std::wstring& file : request.entries.files) {
        installed.files.push_back(request.installFolder + file);
    }
    // Deepest first in the list: reversed, so that the removal walks backwards.
    for (auto folder = request.entries.folders.rbegin(); folder != request.entries.folders.rend(); ++folder) {
        installed.folders.push_back(request.installFolder + *folder);
    }
    installed.folders.insert(installed.folders.begin(),
                             request.installFolder.substr(0, request.installFolder.size() - 1));
    installed.settings.push_back(request.installFolder + kSettingsFileName);
    const std::wstring fallback = DefaultSettingsFile();
    if (!fallback.empty()) installed.settings.push_back(fallback);
    return installed;
}

}  // namespace

std::vector<std::wstring> FindSettingsFiles(const std::wstring& installFolder) {
    std::vector<std::wstring> files;
    std::vector<RecordEntry> record;
    const std::wstring recordPath = InstallRecordPath(ScopeOfInstallation(installFolder));
    Installed installed;
    if (!recordPath.empty() && ReadRecordFile(recordPath, record) &&
        _wcsicmp(RecordInstallFolder(record).c_str(), installFolder.c_str()) == 0) {
        installed = FromRecord(record, installFolder);
    } else {
        RemovalRequest request;
        request.installFolder = installFolder;
        installed = FromEntryList(request);
    }
    for (const std::wstring& file : installed.settings) {
        bool seen = false;
        for (const std::wstring& listed : files) seen = seen || SamePath(listed, file);
        if (!seen && PathExists(file)) files.push_back(file);
    }
    return files;
}

bool IsInstallation(const std::wstring& installFolder) {
    const std::wstring registered = RegisteredInstallFolder(ScopeOfInstallation(installFolder));
    return (!registered.empty() &&
            _wcsicmp(registered.c_str(), CanonicalFolderOf(installFolder).c_str()) == 0) ||
           PathExists(installFolder + kSettingsFileName);
}

bool RemoveEmptyFolders(const std::wstring& installFolder, const PayloadEntries& entries) {
    // A folder with the user's files fails to go, and so do its parents:
    // they keep those files. Nothing to report.
    for (const std::wstring& folder : entries.folders) {
        RemoveDirectoryW((installFolder + folder).c_str());
    }
    RemoveDirectoryW(installFolder.c_str());
    return !PathExists(installFolder);
}

RemovalResult RemoveInstallation(const RemovalRequest& request) {
    RemovalResult result;
    RemovalReport& report = result.report;
    // Also in the copy that runs from the temporary folder: the scope follows
    // the installation, whoever started the uninstaller.
    const InstallScope scope = ScopeOfInstallation(request.installFolder);
    // One setup or uninstaller at a time, and a run that was cut off is put
    // back before this one looks at anything.
    MachineLock lock(scope);
    if (!lock.Acquire(kLockWaitMs)) {
        report.Fail(uninstall_text::kAnotherRun);
        return result;
    }
    std::vector<std::wstring> notRestored;
    if (!RecoverInterruptedTransaction(scope, IsProductEntry, notRestored)) {
        for (const std::wstring& line : notRestored) report.Fail(line);
        return result;
    }

    // The record lies where only administrators write. It names the
    // installation it belongs to: an uninstaller in another folder (an
    // earlier installation's) removes its own files and links and leaves
    // the registration of the installation that now owns it.
    const std::wstring folder = CanonicalFolderOf(request.installFolder);
    std::vector<RecordEntry> record;
    const std::wstring recordPath = InstallRecordPath(scope);
    const bool hasRecord = !recordPath.empty() && ReadRecordFile(recordPath, record) &&
                           !RecordInstallFolder(record).empty();
    const bool recordIsOurs = hasRecord && _wcsicmp(RecordInstallFolder(record).c_str(), folder.c_str()) == 0;
    const bool ownsRegistration =
        hasRecord ? recordIsOurs : !RegistrationBelongsElsewhere(scope, request.installFolder);
    Installed installed = hasRecord ? FromRecord(record, request.installFolder) : Installed();
    if (hasRecord && !recordIsOurs) {
        // Another installation's settings and the folders above its own are
        // not this uninstaller's to remove.
        std::vector<std::wstring> own;
        for (const std::wstring& file : installed.settings) {
            if (IsPathInFolder(file, request.installFolder)) own.push_back(file);
        }
        installed.settings = own;
        installed.settingsFolders.clear();
    }
    if (installed.files.empty()) installed = FromEntryList(request);

    Transaction transaction(scope);
    if (!transaction.Begin(request.installFolder, L"uninstall")) {
        report.Fail(DescribeFailure(transaction.FailedAt(), transaction.Error()));
        return result;
    }
    RemoveLinks(request.installFolder, installed.links, transaction, report);
    bool ownImageListed = false;
    for (const std::wstring& path : installed.files) {
        if (!request.runningImage.empty() && SamePath(path, request.runningImage)) {
            ownImageListed = true;
            continue;
        }
        if (!transaction.RemoveFile(path)) report.Fail(DescribeFailure(path, transaction.Error()));
        // An earlier file a setup could only set aside (it was running then).
        if (GetFileAttributesW((path + kKeptAsideSuffix).c_str()) != INVALID_FILE_ATTRIBUTES &&
            !transaction.RemoveFile(path + kKeptAsideSuffix)) {
            report.Fail(DescribeFailure(path + kKeptAsideSuffix, transaction.Error()));
        }
    }
    // A file in use (or any other failure) leaves the installation whole:
    // everything goes back, and the user can run the uninstaller again.
    if (!report.Succeeded()) {
        for (const std::wstring& line : transaction.Rollback()) report.Fail(L"Nicht rückgängig gemacht: " + line);
        return result;
    }

    // Settings: the files the installation recorded (or the default ones),
    // never a folder read back from a settings file users can write.
    std::vector<std::wstring> settingsFiles;
    for (const std::wstring& file : installed.settings) {
        const std::wstring scratch = FolderOf(file) + kSettingsScratchName;
        transaction.RemoveFile(scratch);
        if (PathExists(file)) settingsFiles.push_back(file);
    }
    if (!settingsFiles.empty() && !request.removeSettings) report.settingsKept = true;
    if (request.removeSettings) {
        for (const std::wstring& file : settingsFiles) {
            if (!transaction.RemoveFile(file)) report.Fail(file);
        }
        for (const std::wstring& created : installed.settingsFolders) transaction.RemoveFolder(created);
    }

    std::vector<std::wstring> refused;
    if (ownsRegistration) {
        std::vector<std::wstring> failed;
        if (recordIsOurs) {
            ReplayBackwards(record, false, IsProductEntry, folder, failed, &transaction);
        } else {
            // An earlier build kept its record in the install folder, which
            // users may be able to write: only the product's own entries count.
            std::vector<RecordEntry> legacy;
            if (ReadRecordFile(request.installFolder + kLegacyRecordName, legacy)) {
                ReplayBackwards(legacy, false, IsProductEntry, folder, failed, &transaction);
            } else {
                RemoveRegistration(scope, false, report);
            }
        }
        // Entries outside the product's own set are refused: reported once
        // the rest is done, never a reason to keep the installation.
        for (const std::wstring& line : failed) {
            if (line.compare(0, wcslen(kRefusedPrefix), kRefusedPrefix) == 0) {
                refused.push_back(line);
            } else {
                report.Fail(line);
            }
        }
        report.associationsRemoved = true;
    }
    if (!report.Succeeded()) {
        for (const std::wstring& line : transaction.Rollback()) report.Fail(L"Nicht rückgängig gemacht: " + line);
        report.associationsRemoved = false;
        return result;
    }

    // An earlier build's record beside the viewer is never replayed once the
    // machine's record knows the installation, and goes with it.
    transaction.RemoveFile(request.installFolder + kLegacyRecordName);

    // Folders the installation created, deepest first; one that holds the
    // user's files stays.
    for (auto created = installed.folders.rbegin(); created != installed.folders.rend(); ++created) {
        if (request.runningImage.empty() || !IsPathInFolder(request.runningImage, *created + L"\\")) {
            transaction.RemoveFolder(*created);
        }
    }
    // Only the installation the record belongs to removes it; an uninstaller
    // elsewhere leaves it exactly as it is.
    if (!transaction.Commit(ownsRegistration && recordIsOurs ? Transaction::Record::Remove
                                                              : Transaction::Record::Keep)) {
        report.Fail(DescribeFailure(transaction.FailedAt(), transaction.Error()));
        return result;
    }
    for (const std::wstring& line : refused) report.Fail(line);

    if (ownImageListed) {
        if (!request.parkingFolder.empty()) {
            const std::wstring parked = request.parkingFolder + L"px_uninstall.old";
            // No MOVEFILE_COPY_ALLOWED: a running image can be renamed on its
            // volume, never copied away and deleted.
            if (MoveFileExW(request.runningImage.c_str(), parked.c_str(), MOVEFILE_REPLACE_EXISTING)) {
                result.parkedImage = parked;
            }
        }
        result.imageDeferred = result.parkedImage.empty();
    }
    for (auto created = installed.folders.rbegin(); created != installed.folders.rend(); ++created) {
        RemoveDirectoryW(created->c_str());
    }
    report.folderKept = PathExists(request.installFolder) && !result.imageDeferred;
    if (report.associationsRemoved) {
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
    }
    return result;
}
