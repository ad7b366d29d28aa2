// The association page's format list (list view 1579): one row per row of
// the format catalogue, a check box per row.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "install_options.h"

// Exactly these extended styles; no other may remain.
constexpr DWORD kFormatListExStyles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
static_assert(kFormatListExStyles == 0x24, "check boxes and full-row selection");

// The greyed look of a list whose associations are not wanted.
constexpr COLORREF kGreyedListBack = RGB(192, 192, 192);
constexpr COLORREF kGreyedListText = RGB(255, 128, 0);

// State image indexes of the check-box style.
constexpr UINT kRowUnchecked = 1;
constexpr UINT kRowChecked = 2;

struct FormatColumnWidths {
    int label;  // group label, a third of the list
    int name;   // display name: the rest, less room for the vertical scroll bar
};

// Column widths for a list listWidth pixels wide on a screen of dpi pixels per inch.
FormatColumnWidths FormatColumnWidthsFor(int listWidth, int dpi);

// Sets the extended styles, adds the two columns sized from the list's width
// and DPI, and inserts the catalogue's rows in order, all unchecked.
void BuildFormatList(HWND list);

// An end row that stands for "through the last row".
constexpr int kThroughLastRow = 0x7FFFFFFF;

// Ticks (checked) or unticks rows first to end - 1; end is cut to the row count.
void SetFormatRowChecks(HWND list, int first, int end, bool checked);

// The list's state image index of row (kRowUnchecked, kRowChecked, 0 without a box).
UINT FormatRowStateImage(HWND list, int row);

// The chosen rows of an enabled list: slot i = 1 for every row i below the
// smaller of the row count and the 64 slots whose box is anything but
// unticked. A disabled (or missing) list chooses nothing. Returns 1 when any
// slot was set.
int ReadAssociationSelection(HWND list, AssociationSelection& selection);
