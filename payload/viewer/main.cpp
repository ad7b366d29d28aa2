// Pixolum viewer stand-in: shows the picture named on the command line, or
// with "/thumbs" the pictures of a folder.
#include "com_ptr.h"
#include "viewer_logic.h"
#include "viewer_window.h"

#include <shlobj.h>

namespace {

std::wstring PicturesFolder() {
    wchar_t path[MAX_PATH] = {};
    if (SHGetSpecialFolderPathW(nullptr, path, CSIDL_MYPICTURES, FALSE)) return path;
    DWORD n = GetCurrentDirectoryW(MAX_PATH, path);
    return (n > 0 && n < MAX_PATH) ? std::wstring(path) : std::wstring();
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int showCommand) {
    ComScope com;  // OleLoadPicture decodes through COM
    std::vector<std::wstring> words = pixo::SplitCommandLine(GetCommandLineW());
    if (!words.empty()) words.erase(words.begin());  // the program itself
    pixo::ViewerArgs args = pixo::ParseViewerArgs(words);

    pixo::CViewerWindow window(hInstance);
    if (!window.Create(showCommand)) return 1;
    if (args.thumbnails) {
        // A picture named with /thumbs stands for its folder.
        std::wstring folder = args.path;
        if (folder.empty()) {
            folder = PicturesFolder();
        } else if (IsFile(folder)) {
            folder = pixo::FolderPart(folder);
        }
        window.ShowFolder(folder);
    } else if (!args.path.empty()) {
        if (IsFolder(args.path)) {
            window.ShowFolder(args.path);
        } else {
            window.ShowPicture(args.path);
        }
    }
    return window.Run();
}
