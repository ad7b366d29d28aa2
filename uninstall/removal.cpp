#include "removal.h"

#include <windows.h>
#include <shlobj.h>


#include "install_record.h"
#include "link_cleanup.h"
#include "registry_cleanup.h"
#include "uninstall_paths.h"

namespace {

constexpr const wchar_t* kSettingsFileName = L"pixo32.ini";
// Left by the setup when it could not put the UTF-16 copy in place.
constexpr const wchar_t* kSettingsScratchName = L"pixo32.ini_temp";
constexpr DWORD kIniFolderChars = 520;

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// The expanded settings folder of [Others] "INI_Folder", ending in a
// backslash; empty when the install folder's settings file names none.
std::wstring SettingsFolder(const std::wstring& installFolder) {
    const std::wstring programIni = installFolder + kSettingsFileName;
    if (!Exists(programIni)) return std::wstring();
    std::vector<wchar_t> raw(kIniFolderChars, L'\0');
    GetPrivateProfileStringW(L"Others", L"INI_Folder", L"", raw.data(), kIniFolderChars,
                             programIni.c_str());
    if (raw[0] == L'\0') return std::wstring();
    std::vector<wchar_t> expanded(kIniFolderChars, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(raw.data(), expanded.data(), kIniFolderChars);
    if (length == 0 || length > kIniFolderChars) return std::wstring();  // would not fit: unknown
    std::wstring folder(expanded.data());
    while (!folder.empty() && folder.back() == L' ') folder.pop_back();
    while (!folder.empty() && folder.front() == L' ') folder.erase(folder.begin());
    if (folder.empty()) return folder;
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

void RemovePayloadFiles(const RemovalRequest& request, RemovalReport& report, bool& ownImageListed) {
    for (const std::wstring& file : request.entries.files) {
        const std::wstring path = request.installFolder + file;
        if (!request.runningImage.empty() && SamePath(path, request.runningImage)) {
            ownImageListed = true;
            continue;
        }
        if (!DeleteFileIfPresent(path)) report.Fail(path);
    }
}

void RemoveSettings(const RemovalRequest& request, const std::wstring& settingsFolder,
                    const std::vector<std::wstring>& settingsFiles, RemovalReport& report) {
    for (const std::wstring& folder : {request.installFolder, settingsFolder}) {
        if (!folder.empty() && !DeleteFileIfPresent(folder + kSettingsScratchName)) {
            report.Fail(folder + kSettingsScratchName);
        }
    }
    if (settingsFiles.empty()) return;
    if (!request.removeSettings) {
        report.settingsKept = true;
        return;
    }
    for (const std::wstring& file : settingsFiles) {
        if (!DeleteFileIfPresent(file)) report.Fail(file);
    }
    // The setup made the settings folder ("%APPDATA%\Pixolum" by default).
    // Only a folder of the product's own is removed, and only when empty: a
    // settings folder such as "%APPDATA%" itself always stays.
    if (!settingsFolder.empty() && !SamePath(settingsFolder, request.installFolder)) {
        std::wstring name = settingsFolder.substr(0, settingsFolder.size() - 1);
        name = name.substr(name.rfind(L'\\') + 1);
        CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
        if (name.find(L"PIXOLUM") != std::wstring::npos) RemoveDirectoryW(settingsFolder.c_str());
    }
}

}  // namespace

bool DeleteFileIfPresent(const std::wstring& path, int waitMs) {
    for (int waited = 0;; waited += 100) {
        if (DeleteFileW(path.c_str())) return true;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
            if (DeleteFileW(path.c_str())) return true;
        }
        if (waited >= waitMs) return false;
        Sleep(100);
    }
}

std::vector<std::wstring> FindSettingsFiles(const std::wstring& installFolder) {
    std::vector<std::wstring> files;
    const std::wstring programIni = installFolder + kSettingsFileName;
    if (Exists(programIni)) files.push_back(programIni);
    const std::wstring folder = SettingsFolder(installFolder);
    if (!folder.empty()) {
        const std::wstring activeIni = folder + kSettingsFileName;
        if (Exists(activeIni) && !SamePath(activeIni, programIni)) files.push_back(activeIni);
    }
    return files;
}

bool IsInstallation(const std::wstring& installFolder) {
    const std::wstring registered = RegisteredInstallFolder();
    return (!registered.empty() &&
            _wcsicmp(registered.c_str(), CanonicalFolderOf(installFolder).c_str()) == 0) ||
           Exists(installFolder + kSettingsFileName);
}

bool RemoveEmptyFolders(const std::wstring& installFolder, const PayloadEntries& entries) {
    // A folder with the user's files fails to go, and so do its parents:
    // they keep those files. Nothing to report.
    for (const std::wstring& folder : entries.folders) {
        RemoveDirectoryW((installFolder + folder).c_str());
    }
    RemoveDirectoryW(installFolder.c_str());
    return !Exists(installFolder);
}

RemovalResult RemoveInstallation(const RemovalRequest& request) {
    RemovalResult result;
    RemovalReport& report = result.report;
    // Read before anything goes: the install folder's settings file names
    // the settings folder.
    const std::wstring settingsFolder = SettingsFolder(request.installFolder);
    const std::vector<std::wstring> settingsFiles = FindSettingsFiles(request.installFolder);

    RemoveLinks(request.installFolder, report);
    bool ownImageListed = false;
    RemovePayloadFiles(request, report, ownImageListed);
    RemoveSettings(request, settingsFolder, settingsFiles, report);

    // Files that stay (in use, no rights) keep the uninstall entry and the
    // uninstaller itself, so that the user can run it again later. An
    // installation with a record gets back what the setup replaced and loses
    // only what it wrote; one without (an earlier build's) loses the
    // registration by the tables.
    const bool filesRemain = !report.Succeeded();
    const std::wstring recordPath = request.installFolder + kInstallRecordName;
    std::vector<RecordEntry> record;
    if (ReadInstallRecord(recordPath, record)) {
        if (!filesRemain) {
            for (const std::wstring& key : ReplayBackwards(record, false)) report.Fail(key);
            if (report.Succeeded() && !DeleteFileIfPresent(recordPath)) report.Fail(recordPath);
            report.associationsRemoved = true;
        }
    } else if (!RegistrationBelongsElsewhere(request.installFolder)) {
        RemoveRegistration(filesRemain, report);
    }

    if (ownImageListed && !filesRemain) {
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

    report.folderKept = !RemoveEmptyFolders(request.installFolder, request.entries) &&
                        !result.imageDeferred;
    if (report.associationsRemoved) {
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
    }
    return result;
}
