// A viewer running from a folder, in any session or desktop: its window may
// be out of sight (a deployment tool runs the setup as the system), its
// process is not.
#pragma once

// True when a process of the viewer's name runs from folder (ending in a
// backslash or not): found by the process's image path.
bool ViewerRunsFrom(const wchar_t* folder);
