// The silent-mode command line: switch search, value reading and the
// record of choices it fills.
#pragma once

#include "install_options.h"

// Copies the value of a switch that starts at `source` (the switch text is
// `start` characters long) into `dest` up to the next '/' or the end, while
// the index stays below min(length of source, limit). Returns the index reached.
int ReadSwitchValue(const wchar_t* source, wchar_t* dest, int start, int limit);

// Removes trailing blanks, one closing and one opening double quote and,
// with `trimAgain`, trailing blanks once more. Leading blanks stay.
void StripQuotes(wchar_t* text, bool trimAgain);

// Signed decimal number: leading white space, optional sign, digits; the
// rest is ignored, no digits give 0. Saturates instead of overflowing.
int ParseSwitchNumber(const wchar_t* text);

// Working storage of silent mode: what the defaults and switches produce.
struct SilentChoices {
    wchar_t targetFolder[kLongChars] = {};
    wchar_t iniFolder[kLongChars] = {};
    bool iniFolderGiven = false;
    bool startMenuGroup = false;       // the numeric switches: any number but 0 asks for it
    bool desktopShortcut = false;
    bool thumbnailsShortcut = false;
    bool shortcutsAllUsers = false;
    bool associationsAllUsers = false;
    bool associationsRequested = false;
    AssociationSelection associations;
};

// True when the raw command line asks for silent mode.
bool IsSilentCommandLine(const wchar_t* commandLine);

// True when the raw command line asks for a per-user installation
// ("/currentuser", in the wizard too).
bool IsCurrentUserCommandLine(const wchar_t* commandLine);

// True when the raw command line asks for the list of switches ("/?" or "/help").
bool IsHelpCommandLine(const wchar_t* commandLine);

// The value of "/log=" (a file or folder for the silent log) into `logFile`
// (kLongChars), read like the path switches; empty when absent.
void ReadLogSwitch(const wchar_t* commandLine, wchar_t* logFile);

// Evaluates the switches on a copy of the command line cut at 519
// characters; `choices` holds the defaults on entry.
void ApplySilentSwitches(const wchar_t* commandLine, SilentChoices& choices);

// The record handed to the install driver; it points into `choices`.
InstallOptions MakeSilentOptions(SilentChoices& choices, wchar_t* caption);
