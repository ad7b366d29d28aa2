// Texts of the program's string table.
#pragma once

#include <windows.h>

#include <string>

// String id of instance, at most maxChars - 1 characters; empty when missing.
std::wstring LoadResourceText(HINSTANCE instance, UINT id, int maxChars);
