// The release notes as the what's-new page shows them.
#pragma once

#include <cstddef>

// The page's display buffer: the notes and their terminator.
constexpr size_t kReleaseNotesUnits = 10240;

// Copies the UTF-16 notes resource (bytes long) into buffer (units
// characters, zero-filled first). Longer notes are cut at a whole character
// so that a terminator always remains; the byte-order mark is kept.
void CopyReleaseNotes(const void* data, size_t bytes, wchar_t* buffer, size_t units);

// Removes everything after the last letter or digit: blanks, line ends and
// punctuation at the end of the notes.
void TrimReleaseNotesEnd(wchar_t* text);
