#include "shortcuts.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <string>

#include "com_ptr.h"
#include "transaction.h"
#include "install_options.h"
#include "path_utils.h"
#include "text_buffer.h"
#include "version_probe.h"

namespace {

bool FitsPath(const std::wstring& path) {
    return path.size() < static_cast<size_t>(kPathChars);
}

// The shared body of both link creators; description is set only for the
// desktop links. The order of the calls is the documented one.
bool SaveLink(const std::wstring& linkPath, const wchar_t* target, const wchar_t* arguments,
              const wchar_t* iconFile, int iconIndex, const wchar_t* description, Transaction* tx) {
    // A link path or target beyond the path limit is refused, never cut:
    // a cut path would name a different file.
    if (!FitsPath(linkPath) || !target || wcslen(target) >= static_cast<size_t>(kPathChars)) {
        return false;
    }
    ComScope com;
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    if (FAILED(lazy::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) {
        return false;
    }
    if (iconFile) link->SetIconLocation(iconFile, iconIndex);
    link->SetPath(target);
    if (arguments) link->SetArguments(arguments);
    if (description) link->SetDescription(description);
    // A link of that name from before is kept aside until the commit.
    if (tx) tx->PreserveFile(linkPath);
    const HRESULT saved = file->Save(linkPath.c_str(), TRUE);
    if (FAILED(saved)) {
        if (tx) tx->NoteFailure(linkPath, HRESULT_FACILITY(saved) == FACILITY_WIN32 ? HRESULT_CODE(saved) : ERROR_CANNOT_MAKE);
        return false;
    }
    return true;
}

}  // namespace

bool FormatVersionLinkName(wchar_t* buffer, size_t chars) {
    return FormatText(buffer, chars, L"Pixolum %s.lnk", kVersionText);
}

bool GetSpecialFolderPath(wchar_t* buffer, int csidl) {
    // A folder the shell does not know (or a virtual one without a path, or
    // one too long for a link's path) falls back to the Windows folder, so
    // the links still land somewhere.
    const std::wstring known = KnownFolder(csidl, GetActiveWindow());
    if (known.empty() || !CopyText(buffer, kPathChars, known.c_str())) {
        const UINT length = GetWindowsDirectoryW(buffer, kPathChars);
        if (length == 0 || length >= static_cast<UINT>(kPathChars)) buffer[0] = L'\0';
        AppendBackslash(buffer);
    }
    return true;
}

bool CreateLinkInFolder(const wchar_t* folder, const wchar_t* linkName, const wchar_t* target,
                        const wchar_t* arguments, const wchar_t* iconFile, int iconIndex, Transaction* tx) {
    return SaveLink(std::wstring(folder) + linkName, target, arguments, iconFile, iconIndex,
                    nullptr, tx);
}

bool CreateDesktopLink(const wchar_t* target, const wchar_t* linkName, const wchar_t* iconFile,
                       const wchar_t* description, const wchar_t* arguments, int iconIndex,
                       bool allUsers, Transaction* tx) {
    wchar_t desktop[kPathChars];
    GetSpecialFolderPath(desktop, allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP);
    return SaveLink(std::wstring(desktop) + linkName, target, arguments, iconFile, iconIndex,
                    description, tx);
}

bool CreateStartMenuGroup(const wchar_t* installFolder, bool allUsers, Transaction* tx) {
    wchar_t group[kPathChars];
    GetSpecialFolderPath(group, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    if (!AppendText(group, kPathChars, L"Pixolum")) return false;
    // Journaled where there is a journal; the Programs folder itself exists.
    if (tx) {
        tx->CreateFolder(group);
    } else {
        CreateDirectoryW(group, nullptr);
    }
    // A file of that name, or no rights: the links cannot be made, and the
    // installation must not say they were.
    const DWORD groupAttributes = GetFileAttributesW(group);
    if (groupAttributes == INVALID_FILE_ATTRIBUTES || !(groupAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (groupAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (tx) tx->NoteFailure(group, groupAttributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY);
        return false;
    }
    AppendBackslash(group);

    const std::wstring folder(installFolder);
    const std::wstring viewer = folder + kViewerExe;
    auto removeOldVersionLink = [&](const wchar_t* version) {
        const std::wstring old = std::wstring(group) + L"Pixolum " + version + L".lnk";
        // Kept aside until the commit: a failed update brings it back.
        if (tx) {
            tx->RemoveFile(old);
        } else {
            DeleteFileW(old.c_str());
        }
    };

    wchar_t versionLink[kVersionLinkChars];
    FormatVersionLinkName(versionLink, kVersionLinkChars);
    CreateLinkInFolder(group, versionLink, viewer.c_str(), nullptr, nullptr, 0, tx);
    removeOldVersionLink(L"4.70");
    removeOldVersionLink(L"4.67");
    int result = 0;
    for (const GroupLink& link : kGroupLinks) {
        // Windows 8 and 8.1 list programs by their links: no uninstall link there.
        if (link.isUninstaller && GetWindowsVersionCode() == 8) continue;
        const std::wstring target = folder + link.file;
        result = CreateLinkInFolder(group, link.name, target.c_str(), link.arguments,
                                    link.viewerIconIndex >= 0 ? viewer.c_str() : nullptr,
                                    link.viewerIconIndex >= 0 ? link.viewerIconIndex : 0, tx);
    }
    return result;
}
