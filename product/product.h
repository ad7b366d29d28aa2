// The product's names and numbers, the one place every program part takes
// them from; the version and the publisher come from the build (px_identity.h).
#pragma once

#include "px_identity.h"

// Inline, so the program carries each text once.
inline constexpr wchar_t kSetupCaption[] = L"Pixolum 32-bit Setup";
inline constexpr wchar_t kViewerExe[] = L"pixo32.exe";
inline constexpr wchar_t kViewerWindowClass[] = L"Pixolum";
inline constexpr wchar_t kDefaultSettingsFolder[] = L"%APPDATA%\\Pixolum";
inline constexpr wchar_t kSettingsFileName[] = L"pixo32.ini";
// Left beside the settings file when its UTF-16 copy could not be put in place.
inline constexpr wchar_t kSettingsScratchName[] = L"pixo32.ini_temp";
inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pixolum";
// The folder verb's key name and menu text ("Browse with Pixolum").
inline constexpr wchar_t kFolderVerb[] = L"Durchsuchen mit &Pixolum";

constexpr int kVersionMajor = PX_VERSION_MAJOR;
constexpr int kVersionMinor = PX_VERSION_MINOR;
// "MAJOR.MINOR" as the uninstall entry, the welcome page and the uninstaller show it.
inline constexpr wchar_t kVersionText[] = PX_VERSION_TEXT_W;
constexpr const wchar_t* kPublisher = PX_PUBLISHER_W;
constexpr const wchar_t* kBitness = L"32";
