#include "navigation.h"

LRESULT NeighbourPageIdOf(const PageSlot* pages, int count, int activeIndex, BOOL forward) {
    const int step = forward ? 1 : -1;
    for (int index = activeIndex + step; index >= 0 && index < count; index += step) {
        if (pages[index].included) return static_cast<LRESULT>(pages[index].templateId);
    }
    return -1;
}
