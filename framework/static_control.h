// CStatic: a static text control of a dialog, bound by subclassing.
#pragma once

#include "wnd.h"

class CStatic : public CWnd {};
