// Which page the wizard moves to from the active one.
#pragma once

#include <windows.h>

struct PageSlot {
    UINT templateId;
    BOOL included;   // takes part in Next/Back
};

// The template id of the nearest included page after (forward) or before the
// active index, or -1 when there is none: the wizard then stays.
LRESULT NeighbourPageIdOf(const PageSlot* pages, int count, int activeIndex, BOOL forward);
