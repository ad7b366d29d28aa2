#include "link_cleanup.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cwchar>

#include "com_ptr.h"
#include "path_utils.h"
#include "product.h"
#include "shortcuts.h"
#include "text_buffer.h"
#include "uninstall_paths.h"

namespace {

void RemoveOurLink(const std::wstring& linkPath, const std::wstring& installFolder,
                   const std::wstring& longInstallFolder, Transaction& transaction,
                   RemovalReport& report) {
    if (!PathExists(linkPath)) return;
    const std::wstring target = ReadLinkTarget(linkPath);
    // Earlier builds wrote the folder as typed, blanks ending a level and all.
    const std::wstring canonicalTarget = CanonicalFolderOf(FolderOf(target));
    if (!IsPathInFolder(target, installFolder) && !IsPathInFolder(LongPathOf(target), longInstallFolder) &&
        !(!canonicalTarget.empty() &&
          (_wcsicmp(canonicalTarget.c_str(), installFolder.c_str()) == 0 || IsPathInFolder(canonicalTarget, installFolder)))) {
        return;
    }
    // Kept aside until the uninstallation is complete: a cut brings it back.
    if (!transaction.RemoveFile(linkPath)) report.Fail(linkPath);
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[kPathChars];
    GetSpecialFolderPath(path, csidl);
    return path;
}

}  // namespace

std::wstring ReadLinkTarget(const std::wstring& linkPath) {
    ComScope com;
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ))) {
        return std::wstring();
    }
    wchar_t target[MAX_PATH] = {};
    // Without flags: the long path as stored; the target need not exist.
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0))) return std::wstring();
    return target;
}

void RemoveLinks(const std::wstring& installFolder, const std::vector<std::wstring>& recordedLinks,
                 Transaction& transaction, RemovalReport& report) {
    std::wstring longFolder = LongPathOf(installFolder);
    if (!longFolder.empty() && longFolder.back() != L'\\') longFolder += L'\\';
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        const std::wstring group = SpecialFolder(csidl) + L"Pixolum\\";
        if (!PathExists(group)) continue;
        wchar_t versionLink[kVersionLinkChars];
        FormatVersionLinkName(versionLink, kVersionLinkChars);
        RemoveOurLink(group + versionLink, installFolder, longFolder, transaction, report);
        for (const GroupLink& link : kGroupLinks) {
            RemoveOurLink(group + link.name, installFolder, longFolder, transaction, report);
        }
        // The setup's record names the links of any version.
        for (const std::wstring& link : recordedLinks) {
            if (_wcsnicmp(link.c_str(), group.c_str(), group.size()) == 0) {
                RemoveOurLink(link, installFolder, longFolder, transaction, report);
            }
        }
        // Links the user put into the group keep it.
        transaction.RemoveFolder(group);
    }
    for (int csidl : {CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY}) {
        const std::wstring desktop = SpecialFolder(csidl);
        for (const wchar_t* name : {kViewerDesktopLink, kThumbnailsDesktopLink}) {
            RemoveOurLink(desktop + name, installFolder, longFolder, transaction, report);
        }
    }
}
