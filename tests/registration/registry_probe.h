// Reading back what the registration left in the registry and the shell.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

struct RegRead {
    bool found = false;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    std::wstring text;  // REG_SZ data without its terminator
    DWORD number = 0;   // REG_DWORD data
};

// name nullptr = the key's default value.
RegRead ReadValue(HKEY root, const std::wstring& key, const wchar_t* name);
bool KeyExists(HKEY root, const std::wstring& key);
// The key's value names as stored, in their exact case ("" = the default).
std::set<std::wstring> ValueNames(HKEY root, const std::wstring& key);
void DeleteTree(HKEY root, const std::wstring& key);
void SetDefault(HKEY root, const std::wstring& key, const wchar_t* data);

// REG_SZ, exactly `expected`, and a size that counts the terminator.
::testing::AssertionResult HasString(HKEY root, const std::wstring& key, const wchar_t* name,
                                     const std::wstring& expected);
::testing::AssertionResult HasDword(HKEY root, const std::wstring& key, const wchar_t* name,
                                    DWORD expected);

struct LinkRead {
    bool loaded = false;
    std::wstring target, arguments, iconFile, description;
    int iconIndex = -1;
};
LinkRead ReadLink(const std::wstring& path);

std::wstring SpecialFolder(int csidl);  // ends in a backslash
bool FileExists(const std::wstring& path);
void MakeFile(const std::wstring& path);
void MakeFolder(const std::wstring& path);  // with its parents

// The Windows version code the prefix was set up for (PX_WINVER), or the
// probe's own answer when the test runs outside CTest.
int ExpectedVersionCode();
bool ExpectXp();
bool ExpectNt6();

std::string Narrow(const std::wstring& text);
