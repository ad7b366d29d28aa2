// Lists every shell link below the given folders as the shell reads it back,
// one tab-separated UTF-8 line per link: path, target, arguments, working
// folder, icon and index, description, show command.
// Usage: link_report OUT_FILE FOLDER...
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes,
                        nullptr, nullptr);
    return out;
}

std::wstring Describe(const std::wstring& path) {
    std::wstring line = path;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t text[INFOTIPSIZE] = {};
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        line += L"\t" + std::wstring(text);
        text[0] = L'\0';
        link->GetArguments(text, INFOTIPSIZE);
        line += L"\t" + std::wstring(text);
        text[0] = L'\0';
        link->GetWorkingDirectory(text, MAX_PATH);
        line += L"\t" + std::wstring(text);
        text[0] = L'\0';
        int index = 0;
        link->GetIconLocation(text, MAX_PATH, &index);
        line += L"\t" + std::wstring(text) + L"," + std::to_wstring(index);
        text[0] = L'\0';
        link->GetDescription(text, INFOTIPSIZE);
        line += L"\t" + std::wstring(text);
        int show = 0;
        link->GetShowCmd(&show);
        line += L"\t" + std::to_wstring(show);
    } else {
        line += L"\t(unreadable)";
    }
    if (file) file->Release();
    if (link) link->Release();
    return line;
}

void Walk(const std::wstring& folder, std::vector<std::wstring>& lines) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(path, lines);
        } else if (name.size() > 4 && lstrcmpiW(name.c_str() + name.size() - 4, L".lnk") == 0) {
            lines.push_back(Describe(path));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: link_report OUT_FILE FOLDER...\n");
        return 2;
    }
    const HRESULT com = CoInitialize(nullptr);
    std::vector<std::wstring> lines;
    for (int i = 2; i < argc; ++i) Walk(argv[i], lines);
    if (SUCCEEDED(com)) CoUninitialize();
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out) return 1;
    for (const std::wstring& line : lines) {
        const std::string bytes = Utf8(line) + "\n";
        fwrite(bytes.data(), 1, bytes.size(), out);
    }
    fclose(out);
    return 0;
}
