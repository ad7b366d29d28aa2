// Path rules of the uninstaller, on std::wstring.
#pragma once

#include <string>

// Whether path lies inside folder (which ends in a backslash), compared
// without regard to case; "C:\Pixolum2\x" is not inside "C:\Pixolum\".
bool IsPathInFolder(const std::wstring& path, const std::wstring& folder);

// The long form of an existing path (8.3 names expanded); the path itself
// when it does not exist.
std::wstring LongPathOf(const std::wstring& path);

// The folder in the setup's one spelling (blanks and dots ending a level
// dropped, doubled separators collapsed, one trailing backslash), so that
// two spellings of one folder compare equal; empty for a relative folder.
std::wstring CanonicalFolderOf(const std::wstring& folder);

// The folder part of a file path, ending in a backslash; empty when none.
std::wstring FolderOf(const std::wstring& path);

// The full path of this program's file.
std::wstring OwnModulePath();
