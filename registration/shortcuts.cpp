#include "shortcuts.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <string>

#include "install_options.h"
#include "path_utils.h"
#include "text_buffer.h"
#include "version_probe.h"

namespace {

// COM for the span of one link. Only a successful CoInitialize (S_OK or
// S_FALSE) is balanced: after RPC_E_CHANGED_MODE the thread already lives in
// another apartment, the link is still made there, and an extra
// CoUninitialize would tear down the caller's COM.
class ComScope {
public:
    ComScope() : m_hr(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

// One interface pointer, released when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }

    void Reset() {
        if (m_p) {
            m_p->Release();
            m_p = nullptr;
        }
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&m_p);
    }

private:
    T* m_p = nullptr;
};

// An item-id list the shell allocated for us.
class ItemIdList {
public:
    ItemIdList() = default;
    ~ItemIdList() { CoTaskMemFree(m_pidl); }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;

    LPITEMIDLIST* Put() { return &m_pidl; }
    LPCITEMIDLIST Get() const { return m_pidl; }

private:
    LPITEMIDLIST m_pidl = nullptr;
};

bool FitsPath(const std::wstring& path) {
    return path.size() < static_cast<size_t>(kPathChars);
}

// The shared body of both link creators; description is set only for the
// desktop links. The order of the calls is the documented one.
int SaveLink(const std::wstring& linkPath, const wchar_t* target, const wchar_t* arguments,
             const wchar_t* iconFile, int iconIndex, const wchar_t* description) {
    // A link path or target beyond the path limit is refused, never cut:
    // a cut path would name a different file.
    if (!FitsPath(linkPath) || !target || wcslen(target) >= static_cast<size_t>(kPathChars)) {
        return 0;
    }
    ComScope com;
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) {
        return 0;
    }
    if (iconFile) link->SetIconLocation(iconFile, iconIndex);
    link->SetPath(target);
    if (arguments) link->SetArguments(arguments);
    if (description) link->SetDescription(description);
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE)) ? 1 : 0;
}

}  // namespace

int GetSpecialFolderPath(wchar_t* buffer, int csidl) {
    buffer[0] = L'\0';
    bool found = false;
    ItemIdList pidl;
    if (SUCCEEDED(SHGetSpecialFolderLocation(GetActiveWindow(), csidl, pidl.Put()))) {
        found = SHGetPathFromIDListW(pidl.Get(), buffer) != FALSE;
    }
    // A folder the shell does not know (or a virtual one without a path)
    // falls back to the Windows folder, so the links still land somewhere.
    if (!found) {
        const UINT length = GetWindowsDirectoryW(buffer, kPathChars);
        if (length == 0 || length >= static_cast<UINT>(kPathChars)) buffer[0] = L'\0';
    }
    AppendBackslash(buffer);
    return 1;
}

int CreateLinkInFolder(const wchar_t* folder, const wchar_t* linkName, const wchar_t* target,
                       const wchar_t* arguments, const wchar_t* iconFile, int iconIndex) {
    return SaveLink(std::wstring(folder) + linkName, target, arguments, iconFile, iconIndex,
                    nullptr);
}

int CreateDesktopLink(const wchar_t* target, const wchar_t* linkName, const wchar_t* iconFile,
                      const wchar_t* description, const wchar_t* arguments, int iconIndex,
                      bool allUsers) {
    wchar_t desktop[kPathChars];
    GetSpecialFolderPath(desktop, allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP);
    return SaveLink(std::wstring(desktop) + linkName, target, arguments, iconFile, iconIndex,
                    description);
}

int CreateStartMenuGroup(const wchar_t* installFolder, bool allUsers) {
    wchar_t group[kPathChars];
    GetSpecialFolderPath(group, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    if (!AppendText(group, kPathChars, L"Pixolum")) return 0;
    CreateDirectoryTree(group);
    AppendBackslash(group);

    const std::wstring folder(installFolder);
    const std::wstring viewer = folder + L"pixo32.exe";
    auto link = [&](const wchar_t* name, const std::wstring& target, const wchar_t* arguments,
                    const wchar_t* iconFile, int iconIndex) {
        return CreateLinkInFolder(group, name, target.c_str(), arguments, iconFile, iconIndex);
    };
    auto removeOldVersionLink = [&](const wchar_t* version) {
        const std::wstring old = std::wstring(group) + L"Pixolum " + version + L".lnk";
        DeleteFileW(old.c_str());
    };

    wchar_t versionLink[64];
    FormatText(versionLink, sizeof(versionLink) / sizeof(versionLink[0]), L"Pixolum %d.%2d.lnk",
               kVersionMajor, kVersionMinor);
    link(versionLink, viewer, nullptr, nullptr, 0);
    removeOldVersionLink(L"4.70");
    removeOldVersionLink(L"4.67");
    link(L"Pixolum - Thumbnails.lnk", viewer, L"/thumbs", viewer.c_str(), 7);
    if (GetWindowsVersionCode() != 8) {
        link(L"Pixolum deinstallieren.lnk", folder + L"px_uninstall.exe", nullptr, nullptr, 0);
    }
    link(L"Über Pixolum.lnk", folder + L"p_about.txt", nullptr, nullptr, 0);
    link(L"Was ist neu.lnk", folder + L"p_changes.txt", nullptr, nullptr, 0);
    link(L"Kommandozeilen-Optionen.lnk", folder + L"p_options.txt", nullptr, nullptr, 0);
    link(L"Verfügbare PlugIns.lnk", folder + L"p_plugins.txt", nullptr, nullptr, 0);
    link(L"Verfügbare Sprachen.lnk", folder + L"p_languages.txt", nullptr, nullptr, 0);
    return link(L"Pixolum Hilfe.lnk", folder + L"help\\pixo32_deutsch.chm", nullptr, nullptr, 0);
}
