// The pages at the screen's DPI: the logo drawn to fill its slot, and a page
// laid out again when its window moves to a screen of another DPI.
#pragma once

#include <windows.h>

// The logo's slot on the pages, in dialog units.
constexpr int kLogoSlotWidth = 59;
constexpr int kLogoSlotHeight = 19;

// Logo bitmap (resource IDB_LOGO) of exactly width x height pixels: the
// picture's pixels repeated by the whole factor that reaches the size, then
// smoothed down to it, so that edges stay sharp at any DPI. Null on failure;
// the caller owns the bitmap.
HBITMAP MakeLogoBitmap(HINSTANCE resources, int width, int height);

// The page's logo (its SS_BITMAP static) or null.
HWND FindLogoStatic(HWND page);

// Moves and sizes every child of parent by num / den.
void ScaleChildWindows(HWND parent, int num, int den);
