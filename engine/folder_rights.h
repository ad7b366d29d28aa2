// The access rights of an install folder the setup creates itself.
#pragma once

// True when `folder` lies in a Program Files folder (the one of the
// program's own view, or the 64-bit one on 64-bit Windows): a folder made
// there inherits the rights below.
bool IsInProgramFiles(const wchar_t* folder);

// Gives `folder`, just created by the setup, the rights Program Files has:
// full control for Administrators and SYSTEM, read and execute for Users,
// for the folder and everything that will lie in it. Protected, so that the
// looser rights of its parent (C:\ lets every user create and change
// folders) are not inherited. False when Windows refused (a file system
// without access rights, a share).
bool GrantProgramFilesRights(const wchar_t* folder);
