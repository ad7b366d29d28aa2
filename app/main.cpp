#include <windows.h>

#include "win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    return AfxGetApp()->Run(instance);
}
