// Pure helpers of the viewer: its command line, the picture extensions it
// lists, the fit of a picture into the window and its window title.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pixo {

// What the command line asks for: a picture to show, or a folder to list.
struct ViewerArgs {
    bool thumbnails = false;  // "/thumbs" was given
    std::wstring path;        // the file or folder named, may be empty
};

// Splits a whole command line (program name first) into its words. Quotes
// group and are dropped; a backslash never escapes a quote, so the drive
// verb's "C:\" /thumbs stays a drive and a switch.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// Reads the words after the program name. "/thumbs" (any case) anywhere
// selects the folder list; other switches are ignored; the remaining words
// form the path (an unquoted path with blanks arrives as several words).
ViewerArgs ParseViewerArgs(const std::vector<std::wstring>& words);

// True for the extensions of the picture formats the viewer knows.
bool IsPictureFileName(const std::wstring& name);

// The name after the last "\" or "/".
std::wstring FileNamePart(const std::wstring& path);

// The folder of a path with its trailing backslash; empty without one.
std::wstring FolderPart(const std::wstring& path);

// The rectangle, centred in the area, that shows a picture of that size
// whole: shrunk to fit with its aspect kept, never enlarged.
RECT FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

}  // namespace pixo
