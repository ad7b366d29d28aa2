#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <type_traits>
#include <utility>

#include "reg_key.h"
#include "test_support.h"
#include "win_handles.h"

namespace {

static_assert(!std::is_copy_constructible_v<RegKey> && !std::is_copy_assignable_v<RegKey>);
static_assert(std::is_nothrow_move_constructible_v<RegKey>);
static_assert(!std::is_copy_constructible_v<ModuleHandle> && !std::is_copy_assignable_v<KernelHandle>);

const wchar_t* const kScratchKey = L"Software\\PixolumSetupTests\\RegKey";

bool HandleIsOpen(HKEY key) {
    DWORD subKeys = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(RegKey, StatusAndDisposition) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kScratchKey);
    RegKey key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratchKey, KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());
    DWORD disposition = 0;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratchKey, KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratchKey, KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    key.Close();
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
}

TEST(RegKey, MovedKeyIsClosedOnceByItsLastOwner) {
    RegKey first;
    ASSERT_EQ(first.Create(HKEY_CURRENT_USER, kScratchKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
    const HKEY raw = first.Get();
    {
        RegKey second(std::move(first));
        EXPECT_FALSE(first.IsOpen());
        EXPECT_EQ(second.Get(), raw);
        RegKey third;
        third = std::move(second);
        EXPECT_TRUE(HandleIsOpen(raw));
    }
    EXPECT_FALSE(HandleIsOpen(raw)) << "the last owner must close the key";
    RegDeleteKeyW(HKEY_CURRENT_USER, kScratchKey);
}

TEST(KernelHandle, ClosesOnScopeExitAndAfterMove) {
    test::ScratchFolder scratch;
    const std::wstring path = scratch.Path() + L"\\sperre.bin";
    auto openExclusive = [&] {
        return KernelHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    {
        KernelHandle outer;
        {
            KernelHandle inner = openExclusive();
            ASSERT_TRUE(inner);
            outer = std::move(inner);
            EXPECT_FALSE(inner);
        }
        EXPECT_FALSE(openExclusive()) << "the moved-to owner still holds the file";
    }
    EXPECT_TRUE(openExclusive()) << "the file was not closed";
}

}  // namespace
