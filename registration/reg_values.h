// The ways the registration changes the registry. While an installation
// runs, each change is first noted in its install record together with what
// was there before, and a failure is noted for the install driver.
#pragma once

class Transaction;

#include <windows.h>

#include "reg_key.h"

// Opens root\subKey with KEY_ALL_ACCESS, creating it and any missing parents.
LONG CreateKeyRecorded(HKEY root, const wchar_t* subKey, RegKey& key, Transaction* tx = nullptr);

// The unnamed value of root\subKey as REG_SZ; the key and its parents are
// created when missing.
LONG SetDefaultValue(HKEY root, const wchar_t* subKey, const wchar_t* data, Transaction* tx = nullptr);

// A named REG_SZ value; its size includes the terminating NUL.
LONG SetStringValue(HKEY key, const wchar_t* name, const wchar_t* data, Transaction* tx = nullptr);
LONG SetDwordValue(HKEY key, const wchar_t* name, DWORD data, Transaction* tx = nullptr);

// Deletes root\subKey, a key of values only; ERROR_SUCCESS also when missing.
LONG DeleteKeyRecorded(HKEY root, const wchar_t* subKey, Transaction* tx = nullptr);
