// The viewer's shell links: the Start-menu group and the two desktop links.
#pragma once

class Transaction;

#include <cstddef>

// The links of the "Pixolum" group after the version link, in the order they
// are made, and the two desktop links: what the setup creates and the
// uninstaller removes.
struct GroupLink {
    const wchar_t* name;
    const wchar_t* file;        // below the install folder
    const wchar_t* arguments;   // or null
    int viewerIconIndex;        // icon of the viewer, or -1 for the target's own
    bool isUninstaller;
};
inline constexpr GroupLink kGroupLinks[] = {
    {L"Pixolum - Thumbnails.lnk", L"pixo32.exe", L"/thumbs", 7, false},
    {L"Pixolum deinstallieren.lnk", L"px_uninstall.exe", nullptr, -1, true},
    {L"Über Pixolum.lnk", L"p_about.txt", nullptr, -1, false},
    {L"Was ist neu.lnk", L"p_changes.txt", nullptr, -1, false},
    {L"Kommandozeilen-Optionen.lnk", L"p_options.txt", nullptr, -1, false},
    {L"Verfügbare PlugIns.lnk", L"p_plugins.txt", nullptr, -1, false},
    {L"Verfügbare Sprachen.lnk", L"p_languages.txt", nullptr, -1, false},
    {L"Pixolum Hilfe.lnk", L"help\\pixo32_deutsch.chm", nullptr, -1, false},
};
inline constexpr const wchar_t* kViewerDesktopLink = L"Pixolum.lnk";
inline constexpr const wchar_t* kThumbnailsDesktopLink = L"Pixolum Thumbnails.lnk";

// "Pixolum 4.72.lnk": the group's link to the viewer, named by the version.
constexpr size_t kVersionLinkChars = 64;
bool FormatVersionLinkName(wchar_t* buffer, size_t chars);

// Fills buffer (kPathChars) with the special folder's path ending in a
// backslash; the Windows folder when the shell does not know the folder.
bool GetSpecialFolderPath(wchar_t* buffer, int csidl);

// Saves folder + linkName (folder ends in a backslash). arguments and
// iconFile may be null. true = saved.
bool CreateLinkInFolder(const wchar_t* folder, const wchar_t* linkName, const wchar_t* target,
                        const wchar_t* arguments, const wchar_t* iconFile, int iconIndex, Transaction* tx = nullptr);

// A link on the current user's or the common desktop. iconFile, description
// and arguments may be null. true = saved.
bool CreateDesktopLink(const wchar_t* target, const wchar_t* linkName, const wchar_t* iconFile,
                       const wchar_t* description, const wchar_t* arguments, int iconIndex,
                       bool allUsers, Transaction* tx = nullptr);

// The "Pixolum" group in the user's or the common programs folder, for an
// install folder that ends in a backslash. Returns the last link's result.
bool CreateStartMenuGroup(const wchar_t* installFolder, bool allUsers, Transaction* tx = nullptr);
