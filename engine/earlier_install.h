// Probes for the starting target folder and for the icon-library version.
#pragma once

int FindInstalledFolder(wchar_t* folder);       // kPathChars; 1 = found, ends in '\'
int GetDefaultInstallFolder(wchar_t* folder);   // kPathChars; always 1
// company may be null; otherwise zero-filled by the caller, companyChars long.
int ReadFileVersionAndCompany(const wchar_t* path, wchar_t* version, wchar_t* company,
                              int companyChars);
