#include "registry_probe.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "version_probe.h"

RegRead ReadValue(HKEY root, const std::wstring& key, const wchar_t* name) {
    RegRead read;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return read;
    DWORD bytes = 0;
    if (RegQueryValueExW(handle, name, nullptr, &read.type, nullptr, &bytes) == ERROR_SUCCESS) {
        std::vector<BYTE> data(bytes + 2, 0);
        DWORD size = bytes;
        if (RegQueryValueExW(handle, name, nullptr, &read.type, data.data(), &size) ==
            ERROR_SUCCESS) {
            read.found = true;
            read.bytes = size;
            if (read.type == REG_DWORD && size == sizeof(DWORD)) {
                std::memcpy(&read.number, data.data(), sizeof(DWORD));
            } else if (read.type == REG_SZ) {
                read.text.assign(reinterpret_cast<const wchar_t*>(data.data()));
            }
        }
    }
    RegCloseKey(handle);
    return read;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

std::set<std::wstring> ValueNames(HKEY root, const std::wstring& key) {
    std::set<std::wstring> names;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumValueW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.insert(std::wstring(name, length));
    }
    RegCloseKey(handle);
    return names;
}

void DeleteTree(HKEY root, const std::wstring& key) {
    SHDeleteKeyW(root, key.c_str());
}

void SetDefault(HKEY root, const std::wstring& key, const wchar_t* data) {
    RegSetValueW(root, key.c_str(), REG_SZ, data, static_cast<DWORD>(wcslen(data) * 2));
}

static std::string Where(const std::wstring& key, const wchar_t* name) {
    return Narrow(key) + " [" + (name ? Narrow(name) : std::string("(default)")) + "]";
}

::testing::AssertionResult HasString(HKEY root, const std::wstring& key, const wchar_t* name,
                                     const std::wstring& expected) {
    const RegRead read = ReadValue(root, key, name);
    if (!read.found) return ::testing::AssertionFailure() << Where(key, name) << " is missing";
    if (read.type != REG_SZ) {
        return ::testing::AssertionFailure() << Where(key, name) << " has type " << read.type;
    }
    if (read.text != expected) {
        return ::testing::AssertionFailure() << Where(key, name) << " is \"" << Narrow(read.text)
                                             << "\", expected \"" << Narrow(expected) << "\"";
    }
    const DWORD bytes = static_cast<DWORD>((expected.size() + 1) * sizeof(wchar_t));
    if (read.bytes != bytes) {
        return ::testing::AssertionFailure()
               << Where(key, name) << " has " << read.bytes << " bytes, expected " << bytes;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HasDword(HKEY root, const std::wstring& key, const wchar_t* name,
                                    DWORD expected) {
    const RegRead read = ReadValue(root, key, name);
    if (!read.found || read.type != REG_DWORD || read.bytes != 4 || read.number != expected) {
        return ::testing::AssertionFailure()
               << Where(key, name) << ": found " << read.found << ", type " << read.type
               << ", value " << read.number << ", expected DWORD " << expected;
    }
    return ::testing::AssertionSuccess();
}

LinkRead ReadLink(const std::wstring& path) {
    LinkRead link;
    const HRESULT init = CoInitialize(nullptr);
    IShellLinkW* shellLink = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink))) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t text[INFOTIPSIZE] = {};
        link.loaded = true;
        if (SUCCEEDED(shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
            link.target = text;
        text[0] = L'\0';
        if (SUCCEEDED(shellLink->GetArguments(text, INFOTIPSIZE))) link.arguments = text;
        text[0] = L'\0';
        int index = -1;
        if (SUCCEEDED(shellLink->GetIconLocation(text, MAX_PATH, &index))) {
            link.iconFile = text;
            link.iconIndex = index;
        }
        text[0] = L'\0';
        if (SUCCEEDED(shellLink->GetDescription(text, INFOTIPSIZE))) link.description = text;
    }
    if (file) file->Release();
    if (shellLink) shellLink->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return link;
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    std::wstring folder(path);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

void MakeFolder(const std::wstring& path) {
    SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
}

int ExpectedVersionCode() {
    const char* winver = std::getenv("PX_WINVER");
    if (!winver) return GetWindowsVersionCode();
    const std::string v(winver);
    if (v == "xp") return 5;
    if (v == "vista") return 6;
    if (v == "7") return 7;
    if (v == "8" || v == "81") return 8;
    if (v == "10" || v == "11edge") return 10;
    if (v == "11") return 11;
    ADD_FAILURE() << "unknown PX_WINVER " << v;
    return 0;
}

bool ExpectXp() {
    return ExpectedVersionCode() == 5;
}
bool ExpectNt6() {
    return ExpectedVersionCode() >= 6;
}

std::string Narrow(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    return out;
}
