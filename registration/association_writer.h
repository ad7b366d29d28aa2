// Binds one file extension to the viewer in the registry, as the Windows
// version requires.
#pragma once

class Transaction;

#include <string>

#include "install_scope.h"

// How this run binds extensions: the same for every one of them.
struct BindingRules {
    InstallScope scope = InstallScope::Machine;
    const wchar_t* openCommand = L"";
    bool isXp = false;
    bool isNt6 = false;
    // XP: the extension keys of all users too, not only the current user's choice.
    bool associationsAllUsers = false;
    // The system honours a UserChoice without its hash (Vista and 7).
    bool userChoice = false;
};

// Writes the per-user Explorer choice, the machine-wide extension key, the
// class key "Pixolum.<classGroup>" with type name, open command and icon, the
// capability entry and the UserChoice, each where the rules and the user's
// selection call for it.
void AssociateExtension(const BindingRules& rules, const wchar_t* extension, const wchar_t* classGroup,
                        const wchar_t* defaultIcon, bool selected, Transaction* tx = nullptr);

// ".<extension>" = "Pixolum.<classGroup>" in the capabilities' file
// associations; nothing when that key does not exist.
void WriteCapabilityEntry(InstallScope scope, const wchar_t* extension, const wchar_t* classGroup, Transaction* tx = nullptr);

// Keeps the store apps that claim picture formats out of "Open with".
void SuppressStoreAppSuggestions(Transaction* tx = nullptr);

// "Pixolum.jpg" and "Pixolum JPG File" for the class group jpg.
std::wstring ClassNameOf(const wchar_t* classGroup);
std::wstring TypeNameOf(const wchar_t* classGroup);

// Registry locations the registration writes and its tests read.
constexpr const wchar_t* kCapabilitiesKey = L"SOFTWARE\\Pixolum\\Capabilities";
constexpr const wchar_t* kCapabilityAssociationsKey =
    L"SOFTWARE\\Pixolum\\Capabilities\\FileAssociations";
constexpr const wchar_t* kFileExtsKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr const wchar_t* kStoreAppClasses[] = {
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};
