#include "link_cleanup.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cwchar>

#include "install_options.h"
#include "shortcuts.h"
#include "uninstall_paths.h"

namespace {

// COM for the span of one link; balanced only when CoInitialize succeeded.
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
    ~ComRef() {
        if (m_p) m_p->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ComRef& operator=(ComRef&&) = delete;

    T* operator->() const { return m_p; }
    void** PutVoid() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};

// The links of the group, as the setup names them.
std::wstring VersionLinkName() {
    wchar_t name[64];
    std::swprintf(name, sizeof(name) / sizeof(name[0]), L"Pixolum %d.%2d.lnk", kVersionMajor,
                  kVersionMinor);
    return name;
}

constexpr const wchar_t* kGroupLinks[] = {
    L"Pixolum - Thumbnails.lnk", L"Pixolum deinstallieren.lnk", L"Über Pixolum.lnk",
    L"Was ist neu.lnk",          L"Kommandozeilen-Optionen.lnk", L"Verfügbare PlugIns.lnk",
    L"Verfügbare Sprachen.lnk",  L"Pixolum Hilfe.lnk",
};
constexpr const wchar_t* kDesktopLinks[] = {L"Pixolum.lnk", L"Pixolum Thumbnails.lnk"};

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveOurLink(const std::wstring& linkPath, const std::wstring& installFolder,
                   const std::wstring& longInstallFolder, RemovalReport& report) {
    if (!Exists(linkPath)) return;
    const std::wstring target = ReadLinkTarget(linkPath);
    if (!IsPathInFolder(target, installFolder) && !IsPathInFolder(LongPathOf(target), longInstallFolder)) {
        return;
    }
    if (!DeleteFileW(linkPath.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) report.Fail(linkPath);
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

void RemoveLinks(const std::wstring& installFolder, RemovalReport& report) {
    std::wstring longFolder = LongPathOf(installFolder);
    if (!longFolder.empty() && longFolder.back() != L'\\') longFolder += L'\\';
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        const std::wstring group = SpecialFolder(csidl) + L"Pixolum\\";
        if (!Exists(group)) continue;
        RemoveOurLink(group + VersionLinkName(), installFolder, longFolder, report);
        for (const wchar_t* name : kGroupLinks) RemoveOurLink(group + name, installFolder, longFolder, report);
        // Links the user put into the group keep it.
        RemoveDirectoryW(group.c_str());
    }
    for (int csidl : {CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY}) {
        const std::wstring desktop = SpecialFolder(csidl);
        for (const wchar_t* name : kDesktopLinks) RemoveOurLink(desktop + name, installFolder, longFolder, report);
    }
}
