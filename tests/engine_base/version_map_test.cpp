#include <gtest/gtest.h>

#include "version_probe.h"

namespace {

struct VersionRow {
    unsigned major, minor, build;
    const wchar_t* servicePack;
    int code;
    const char* what;
};

// Reported versions of real systems and the borders between the codes.
const VersionRow kRows[] = {
    {10, 0, 22631, L"", 11, "Windows 11 23H2"},
    {10, 0, 22000, L"", 11, "Windows 11 first build"},
    {10, 0, 21999, L"", 10, "last build below Windows 11"},
    {10, 0, 19045, L"", 10, "Windows 10 22H2"},
    {10, 0, 10240, L"", 10, "Windows 10 first build"},
    {11, 0, 21999, L"", 10, "a later major with a low build"},
    {11, 0, 26000, L"", 11, "a later major with a high build"},
    {6, 3, 9600, L"", 8, "Windows 8.1 / Server 2012 R2"},
    {6, 2, 9200, L"", 8, "Windows 8 / Server 2012"},
    {6, 1, 7601, L"Service Pack 1", 7, "Windows 7 SP1 / Server 2008 R2"},
    {6, 1, 7600, L"", 7, "Windows 7"},
    {6, 0, 6002, L"Service Pack 2", 6, "Windows Vista SP2"},
    {6, 0, 6000, L"Service Pack 3", 6, "Vista is never taken for XP SP3"},
    {9, 0, 30000, L"", 6, "major 6 to 9, minor 0"},
    {7, 4, 30000, L"", 8, "major 6 to 9, minor 2 or more"},
    {5, 1, 2600, L"Service Pack 3", 5, "Windows XP SP3"},
    {5, 1, 2600, L"Service Pack 3, v.3311", 5, "XP SP3 with a build suffix"},
    {5, 1, 2600, L"Service Pack 2", 1, "Windows XP SP2"},
    {5, 1, 2600, L"", 1, "Windows XP without service pack"},
    {5, 1, 2600, nullptr, 1, "no service-pack text at all"},
    {5, 1, 2600, L"service pack 3", 1, "the text is compared case-sensitively"},
    {5, 2, 3790, L"Service Pack 2", 1, "XP x64 / Server 2003 SP2"},
    {5, 0, 2195, L"Service Pack 4", 0, "Windows 2000"},
    {5, 0, 2195, L"Service Pack 3", 0, "Windows 2000 SP3 is not XP"},
    {4, 0, 1381, L"Service Pack 6", 0, "Windows NT 4"},
    {0, 0, 0, L"", 0, "nothing reported"},
};

TEST(MapWindowsVersion, EveryRowOfTheTable) {
    for (const VersionRow& row : kRows) {
        EXPECT_EQ(MapWindowsVersion(row.major, row.minor, row.build, row.servicePack), row.code)
            << row.what << " (" << row.major << "." << row.minor << "." << row.build << ")";
    }
}

}  // namespace
