// Path and string helpers on caller-owned wide buffers of at least
// kPathChars characters. Only U+0020 is a blank, only '\' a separator.
#pragma once

#include <string>

#include "text_buffer.h"

// The process's current folder, of any length; empty when it cannot be read.
std::wstring CurrentFolder();

// Something (a file or a folder) is at path.
bool PathExists(const std::wstring& path);

// path's last level is name, in any case.
bool HasFileName(const std::wstring& path, const wchar_t* name);

// Deletes a file, a read-only one too; true when it is gone (or was never
// there). A file still in use is tried again every 100 ms for up to waitMs.
// On false, GetLastError tells why.
bool DeleteFileIfPresent(const std::wstring& path, int waitMs = 0);

// Replaces every %NAME% by the variable's value; an unknown name, an empty
// one and a '%' at the end vanish. A name or value of 260 characters or more,
// or a result of kLongChars characters or more, refuses the whole expansion
// (false) rather than cutting a folder name.
bool ExpandVariables(const wchar_t* text, std::wstring& expanded);

void AppendBackslash(wchar_t* text);
void TrimSpaces(wchar_t* text);
int FileSizeOf(const wchar_t* path);            // bytes, 0 when empty or not openable
enum PathPartMask { kPartDrive = 1, kPartFolder = 2, kPartName = 4, kPartExtension = 8 };
void GetPathPart(const wchar_t* path, wchar_t* out, int mask);  // out: kPathChars

// The one spelling of an install folder that the files, the registry and the
// uninstaller share: blanks and dots at the end of every level dropped (as
// Windows drops them when it creates the level), "." and ".." resolved,
// doubled separators collapsed, one trailing backslash. Only absolute folders
// ("X:\..." or "\\server\share\...") have one. true = out (kPathChars)
// holds it; false = relative, drive-relative, without a level name, or longer
// than kPathChars - 1 characters (out is then empty).
bool CanonicalFolder(const wchar_t* given, wchar_t* out);

// A folder no installation may take, since its uninstall would remove what
// Windows or other programs keep there: a drive root ("C:\"), a network
// share's root, the Windows folder or any folder below it. Compared in the
// canonical spelling, in any case; a folder without one is not refused here.
bool IsSystemFolder(const wchar_t* folder);
