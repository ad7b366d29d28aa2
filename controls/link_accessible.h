// What screen readers learn about a hyperlink control: a link named by its text.
#pragma once

#include <windows.h>

// The answer to WM_GETOBJECT for the window of a link: for OBJID_CLIENT the
// system's own accessible object of the window with the role of a link, the
// window text as name and "linked" among its states; 0 (the system's answer)
// otherwise or when the accessibility library cannot be had.
LRESULT AnswerLinkAccessibleObject(HWND link, WPARAM wParam, LPARAM lParam);
