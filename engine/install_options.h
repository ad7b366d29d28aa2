// The record of choices that drives one installation, shared by start-up,
// the ready page and the install driver.
#pragma once

#include <cstdint>

#include "install_scope.h"
#include "product.h"
#include "text_buffer.h"

// Chosen rows of the format catalogue; slot i belongs to row i. Slot 63 has
// no row: it may be set and is never read.
constexpr int kSelectionSlots = 64;
struct AssociationSelection {
    int32_t slots[kSelectionSlots] = {};
};
static_assert(sizeof(AssociationSelection) == 256, "selection is 64 signed 32-bit slots");

struct InstallOptions {
    InstallScope scope = InstallScope::Machine;
    const wchar_t* targetFolder = L"";     // as typed or given; may carry blanks, may lack '\'
    bool startMenuGroup = false;
    bool desktopShortcut = false;
    bool thumbnailsShortcut = false;
    bool shortcutsAllUsers = false;
    wchar_t* iniFolder = nullptr;          // writable, kLongChars; the driver may store a default
    // iniFolder was asked for ("/ini="): it replaces an earlier installation's
    // settings folder, which is otherwise kept.
    bool iniFolderGiven = false;
    AssociationSelection associations;
    bool associationsAllUsers = false;
    bool associationsRequested = false;
    bool silent = false;
    const wchar_t* messageCaption = kSetupCaption;
    // Optional, kPathChars: receives the folder the files went to, as the
    // registration names it.
    wchar_t* installedFolder = nullptr;
    // The wizard runs the installation off its window's thread. progress
    // hears the share done in per mille from the installing thread; ask
    // shows a message box on the window's thread and returns the button
    // pressed. Null in silent mode: no window, no question.
    void* uiContext = nullptr;
    void (*progress)(void* context, int perMille) = nullptr;
    int (*ask)(void* context, const wchar_t* text, unsigned style) = nullptr;
};

