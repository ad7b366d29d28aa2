#include "link_geometry.h"

RECT FitLinkRect(const RECT& window, const RECT& client, SIZE text, LONG style) {
    RECT fitted = window;
    const LONG windowWidth = window.right - window.left;
    const LONG windowHeight = window.bottom - window.top;
    const LONG neededWidth = text.cx + (windowWidth - (client.right - client.left));
    const LONG neededHeight = text.cy + (windowHeight - (client.bottom - client.top));

    if (style & SS_CENTERIMAGE) {
        const LONG shrink = (windowHeight - neededHeight) / 2;
        fitted.top += shrink;
        fitted.bottom -= shrink;
    } else {
        fitted.bottom = fitted.top + neededHeight;
    }

    if (style & 0x0001) {  // SS_CENTER
        const LONG shrink = (windowWidth - neededWidth) / 2;
        fitted.left += shrink;
        fitted.right -= shrink;
    } else if (style & 0x0002) {  // SS_RIGHT
        fitted.left = fitted.right - neededWidth;
    } else {
        fitted.right = fitted.left + neededWidth;
    }
    return fitted;
}
