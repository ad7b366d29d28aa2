// Geometry of a hyperlink that fits itself to its text.
#pragma once

#include <windows.h>

// The new window rectangle of a static control sized to its text: window and
// client are the control's rectangles in one coordinate system, text the
// extent of its text. The borders are kept; SS_CENTERIMAGE shrinks the height
// about the middle, otherwise the top stays; SS_CENTER keeps the centre,
// SS_RIGHT the right edge, anything else the left edge.
RECT FitLinkRect(const RECT& window, const RECT& client, SIZE text, LONG style);
