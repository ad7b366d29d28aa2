// Text rules of the welcome page that need no window.
#pragma once

#include <initializer_list>
#include <string>

// Fills the "%s" placeholders of a page text in order ("%%" gives "%"); a
// placeholder without an argument becomes empty. The texts come from the
// page's own template, but are never used as a printf format.
std::wstring FormatPlaceholders(const std::wstring& pattern,
                                std::initializer_list<const wchar_t*> arguments);

// The folder field's new text after the user chose `chosen` in the browse
// dialog: a backslash at the end, and the product folder "Pixolum\" added
// unless the chosen folder already carries the product's name (any case);
// a bare folder without a parent gets it only when it is a drive root (C:\).
// False when the result would not fit a path of 259 characters: the field
// then stays as it was.
bool ApplyProductFolderRule(const std::wstring& chosen, std::wstring& folder);

// The check on leaving the welcome page: the untrimmed text must not be empty
// and must have a drive part, as _wsplitpath splits it ("C:" counts, a UNC
// path, a relative path or a blank before the drive does not).
bool IsTargetFolderAccepted(const wchar_t* text);
