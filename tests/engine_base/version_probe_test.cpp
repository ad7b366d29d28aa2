// Runs once per emulated Windows version; PX_WINVER names the one of this run.
#include "version_probe.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct Expected {
    const wchar_t* winver;
    int code;
    bool nt6;
    bool xp;
};

const Expected kExpected[] = {
    {L"xp", 5, false, true},  {L"vista", 6, true, false}, {L"7", 7, true, false},
    {L"8", 8, true, false},   {L"81", 8, true, false},    {L"10", 10, true, false},
    {L"11", 11, true, false}, {L"11edge", 10, true, false},
};

const Expected* ExpectedForThisRun() {
    wchar_t winver[32] = {};
    const DWORD n = GetEnvironmentVariableW(L"PX_WINVER", winver, 32);
    if (n == 0 || n >= 32) return nullptr;
    for (const Expected& e : kExpected)
        if (std::wstring(winver) == e.winver) return &e;
    return nullptr;
}

TEST(WindowsVersionProbe, AnswersMatchTheEmulatedVersion) {
    const Expected* expected = ExpectedForThisRun();
    ASSERT_NE(expected, nullptr) << "PX_WINVER must name the emulated version (see cmake/wine-run.sh)";
    EXPECT_EQ(GetWindowsVersionCode(), expected->code);
    EXPECT_EQ(GetWindowsVersionCode(), expected->code) << "cached code";
    EXPECT_EQ(IsNt6OrLater(), expected->nt6);
    EXPECT_EQ(IsWindowsXp(), expected->xp);

    // On 8.1 and 10 GetVersionExW reports Windows 8 to a program without a
    // supportedOS entry; the code still follows the true version.
    const std::wstring winver = expected->winver;
    if (winver == L"81" || winver == L"10") {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
        ASSERT_TRUE(GetVersionExW(&info));
        EXPECT_EQ(info.dwMajorVersion, 6u);
        EXPECT_EQ(info.dwMinorVersion, 2u);
    }
}

}  // namespace
