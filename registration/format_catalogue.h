// The built-in table of the file formats the setup can associate with the viewer.
#pragma once

#include <cstddef>

#include "install_options.h"

constexpr int kFormatCount = 63;          // rows 0..62; row index = list row = selection slot
constexpr int kPictureFormatCount = 49;   // rows 0..48 are pictures
constexpr int kCatalogueExtensionCount = 87;
constexpr int kMaxRowExtensions = 4;

enum class FormatKind { Picture, Other };

// A row whose files are their own icon (cursors, icons): DefaultIcon "%1".
// An index, not a text with the viewer's path to fill in: the table holds
// no pointer that must be relocated at load time.
constexpr int kOwnIcon = -1;

// One extension of a row and the extension whose class key "Pixolum.<group>"
// it is bound to. Both lower case ASCII, without the dot, held in the row
// itself: a pointer each would be one more address the loader relocates.
constexpr int kExtensionChars = 5;   // four letters and the terminator
struct FormatExtension {
    char extension[kExtensionChars];
    char classGroup[kExtensionChars];
};

// An extension or class group as the registry wants it, in UTF-16.
struct WideExtension {
    explicit WideExtension(const char (&text)[kExtensionChars]) {
        for (int i = 0; i < kExtensionChars; ++i) chars[i] = static_cast<unsigned char>(text[i]);
    }
    const wchar_t* c_str() const { return chars; }
    wchar_t chars[kExtensionChars];
};

struct FormatRow {
    const wchar_t* groupLabel;    // first list column
    const wchar_t* displayName;   // second list column; " *" marks a plug-in format
    FormatExtension extensions[kMaxRowExtensions];  // in registration order; unused ones empty
    int iconIndex;                // DefaultIcon: the viewer's icon at this index, or kOwnIcon
    FormatKind kind;

    constexpr int ExtensionCount() const {
        int n = 0;
        while (n < kMaxRowExtensions && extensions[n].extension[0]) ++n;
        return n;
    }
};

// One definition, in format_catalogue.cpp: the wizard and the registration
// share its strings instead of each carrying a copy.
extern const FormatRow FormatCatalogue[kFormatCount];

static_assert(kFormatCount < kSelectionSlots, "every row has its selection slot");


// The row's DefaultIcon data: "<viewerPath>,<index>", or "%1" for kOwnIcon.
// Returns false (out empty) when the result would not fit in outChars
// characters including the terminator.
bool FormatDefaultIcon(const FormatRow& row, const wchar_t* viewerPath, wchar_t* out,
                       size_t outChars);
