// Whether the texts of a wizard page show whole in their controls, measured
// from outside with the fonts those controls get.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pxgui {

// One text as measured: the room its control offers and what the text needs
// there (pixels; a check box's or radio button's box and gap included).
struct TextMeasure {
    int id;
    std::wstring text;
    SIZE needed;
    SIZE room;
    bool Fits() const { return needed.cx <= room.cx && needed.cy <= room.cy; }
};

// Every static text, push button, check box, radio button and group box of
// page, hidden ones too, in the dialog font of the templates (8 pt "Microsoft
// Sans Serif", as the dialog manager makes it) or, for the headings and the
// status line, in the wizard's heading font (bold Arial, 18 pixels at 96 dpi).
std::vector<TextMeasure> MeasurePageTexts(HWND page);

// Pixels of dialog units in the template font, as the dialog manager maps them.
int DialogUnitsToPixelsX(int units);

}  // namespace pxgui
