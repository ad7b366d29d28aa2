#include "format_list.h"

#include <cwchar>

#include "format_catalogue.h"

namespace {

int ScreenDpiOf(HWND window) {
    int dpi = 96;
    if (HDC dc = GetDC(window)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(window, dc);
    }
    return dpi;
}

void InsertColumn(HWND list, int position, int width) {
    wchar_t empty[1] = {L'\0'};
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = empty;
    column.iSubItem = position;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(position),
                 reinterpret_cast<LPARAM>(&column));
}

void SetRowStateImage(HWND list, int row, UINT image) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

}  // namespace

FormatColumnWidths FormatColumnWidthsFor(int listWidth, int dpi) {
    // The second column leaves room for the vertical scroll bar, which the
    // 63 rows always need.
    return FormatColumnWidths{listWidth / 3, 2 * listWidth / 3 - MulDiv(25, dpi, 96)};
}

void BuildFormatList(HWND list) {
    // A zero mask makes the call set exactly these styles and clear the rest.
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(kFormatListExStyles));

    RECT bounds = {};
    GetWindowRect(list, &bounds);
    const FormatColumnWidths widths =
        FormatColumnWidthsFor(bounds.right - bounds.left, ScreenDpiOf(list));
    InsertColumn(list, 0, widths.label);
    InsertColumn(list, 1, widths.name);

    // Row index = catalogue index = selection slot.
    for (int row = 0; row < kFormatCount; ++row) {
        const FormatRow& format = FormatCatalogue[row];
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(format.groupLabel);
        item.cchTextMax = static_cast<int>(wcslen(format.groupLabel)) + 1;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));

        LVITEMW name = {};
        name.iSubItem = 1;
        name.pszText = const_cast<wchar_t*>(format.displayName);
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&name));
    }

    // The first row carries the focus, so that Space ticks it as soon as
    // the list is tabbed into; nothing is selected.
    LVITEMW focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
}

void SetFormatRowChecks(HWND list, int first, int end, bool checked) {
    const int count = RowCount(list);
    if (end > count) end = count;
    for (int row = first < 0 ? 0 : first; row < end; ++row) {
        SetRowStateImage(list, row, checked ? kRowChecked : kRowUnchecked);
    }
}

UINT FormatRowStateImage(HWND list, int row) {
    const LRESULT state =
        SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return (static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12;
}

int ReadAssociationSelection(HWND list, AssociationSelection& selection) {
    selection = AssociationSelection{};
    if (!list || !IsWindowEnabled(list)) return 0;
    int rows = RowCount(list);
    if (rows > kSelectionSlots) rows = kSelectionSlots;
    int any = 0;
    for (int row = 0; row < rows; ++row) {
        if (FormatRowStateImage(list, row) != kRowUnchecked) {
            selection.slots[row] = 1;
            any = 1;
        }
    }
    return any;
}
