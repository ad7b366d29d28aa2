#include "format_catalogue.h"

#include <cwchar>

#include "text_buffer.h"

namespace {

constexpr int CountCatalogueExtensions() {
    int n = 0;
    for (const FormatRow& row : FormatCatalogue) n += row.ExtensionCount();
    return n;
}

// Rows 0..48 must be the pictures: "/assoc=1" and the "Nur Bilder" button
// select by index, not by kind.
constexpr bool PicturesComeFirst() {
    for (int i = 0; i < kFormatCount; ++i) {
        const bool picture = FormatCatalogue[i].kind == FormatKind::Picture;
        if (picture != (i < kPictureFormatCount)) return false;
    }
    return true;
}

static_assert(CountCatalogueExtensions() == kCatalogueExtensionCount,
              "the catalogue registers 87 extensions");
static_assert(PicturesComeFirst(), "rows 0 to 48 are exactly the picture formats");

}  // namespace

void SelectPictureFormats(AssociationSelection& selection) {
    for (int i = 0; i < kSelectionSlots; ++i) selection.slots[i] = i < kPictureFormatCount ? 1 : 0;
}

void SelectAllFormats(AssociationSelection& selection) {
    for (int32_t& slot : selection.slots) slot = 1;
}

bool FormatDefaultIcon(const FormatRow& row, const wchar_t* viewerPath, wchar_t* out,
                       size_t outChars) {
    if (!out || outChars == 0) return false;
    out[0] = L'\0';
    // "%1" is data for the shell, not a format: only "%s" is replaced, so
    // the text never goes through printf.
    const wchar_t* icon = row.defaultIcon;
    const wchar_t* slot = wcsstr(icon, L"%s");
    if (!slot) return CopyText(out, outChars, icon);

    const size_t head = static_cast<size_t>(slot - icon);
    if (head >= outChars) return false;
    wmemcpy(out, icon, head);
    out[head] = L'\0';
    if (!AppendText(out, outChars, viewerPath ? viewerPath : L"") ||
        !AppendText(out, outChars, slot + 2)) {
        out[0] = L'\0';
        return false;
    }
    return true;
}
