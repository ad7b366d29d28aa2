// The viewer's shell links: the Start-menu group and the two desktop links.
#pragma once

// Fills buffer (kPathChars) with the special folder's path ending in a
// backslash; the Windows folder when the shell does not know the folder.
int GetSpecialFolderPath(wchar_t* buffer, int csidl);

// Saves folder + linkName (folder ends in a backslash). arguments and
// iconFile may be null. 1 = saved, 0 = not.
int CreateLinkInFolder(const wchar_t* folder, const wchar_t* linkName, const wchar_t* target,
                       const wchar_t* arguments, const wchar_t* iconFile, int iconIndex);

// A link on the current user's or the common desktop. iconFile, description
// and arguments may be null. 1 = saved, 0 = not.
int CreateDesktopLink(const wchar_t* target, const wchar_t* linkName, const wchar_t* iconFile,
                      const wchar_t* description, const wchar_t* arguments, int iconIndex,
                      bool allUsers);

// The "Pixolum" group in the user's or the common programs folder, for an
// install folder that ends in a backslash. Returns the last link's result.
int CreateStartMenuGroup(const wchar_t* installFolder, bool allUsers);
