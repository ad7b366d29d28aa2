// Path and string helpers on caller-owned wide buffers of at least
// kPathChars characters. Only U+0020 is a blank, only '\' a separator.
#pragma once

void AppendBackslash(wchar_t* text);
void TrimSpaces(wchar_t* text);
int CreateDirectoryTree(wchar_t* folder);       // 1 = exists now; normalises in place
int FileSizeOf(const wchar_t* path);            // bytes, 0 when empty or not openable
enum PathPartMask { kPartDrive = 1, kPartFolder = 2, kPartName = 4, kPartExtension = 8 };
void GetPathPart(const wchar_t* path, wchar_t* out, int mask);  // out: kPathChars
