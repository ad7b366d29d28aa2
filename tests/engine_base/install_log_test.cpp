#include "install_log.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "test_support.h"

namespace {

const std::string kSeparator = std::string(48, '-') + "\r\n";

std::string ShortDateLatin1() {
    wchar_t date[256] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 256);
    std::string bytes;
    for (const wchar_t* p = date; *p; ++p)
        if (*p <= 0xFF) bytes += static_cast<char>(*p);
    return bytes;
}

std::string TimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof(text), "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    return text;
}

bool IsClockTime(const std::string& t) {
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') return false;
    for (size_t i : {0, 1, 3, 4, 6, 7})
        if (t[i] < '0' || t[i] > '9') return false;
    return std::stoi(t.substr(0, 2)) < 24 && std::stoi(t.substr(3, 2)) < 60 &&
           std::stoi(t.substr(6, 2)) < 60;
}

// Takes one entry off the front of log and checks its frame; returns the message bytes.
::testing::AssertionResult TakeEntry(std::string& log, const std::string& date,
                                     const std::string& earliest, const std::string& latest,
                                     const std::string& message) {
    const std::string head = date + " - ";
    if (log.compare(0, head.size(), head) != 0)
        return ::testing::AssertionFailure() << "entry does not start with the date: " << log;
    const std::string time = log.substr(head.size(), 8);
    if (!IsClockTime(time)) return ::testing::AssertionFailure() << "no HH:MM:SS time: " << time;
    // Unless the clock passed midnight during the test, the time lies between the two readings.
    if (earliest <= latest && (time < earliest || time > latest))
        return ::testing::AssertionFailure() << time << " not within " << earliest << ".." << latest;
    const std::string rest = ": " + message + "\r\n" + kSeparator;
    if (log.compare(head.size() + 8, rest.size(), rest) != 0)
        return ::testing::AssertionFailure() << "entry body differs: " << log.substr(head.size() + 8);
    log.erase(0, head.size() + 8 + rest.size());
    return ::testing::AssertionSuccess();
}

class InstallLogTest : public ::testing::Test {
protected:
    std::wstring LogPath() const { return scratch.Path() + L"\\Pixolum_Install.log"; }
    test::ScratchFolder scratch;
};

TEST_F(InstallLogTest, EntriesAreAppendedAsLatin1WithCrLfAndSeparator) {
    test::CurrentFolderScope inScratch(scratch.Path());
    const std::string earlier = "fr\xfchere Zeile\r\n";
    ASSERT_TRUE(test::WriteBytes(LogPath(), earlier));

    const std::string date = ShortDateLatin1();
    const std::string before = TimeNow();
    WriteInstallLog(L"Kann Zielverzeichnis nicht erstellen!\n\nBitte \u00fcberpr\u00fcfen Sie "
                    L"Ihre Schreibrechte!: C:\\Z\u00e4hler\u00df\\");
    WriteInstallLog(L"Zweiter Eintrag \u20ac\u4e2d ok \u00ff");
    const std::string after = TimeNow();
    ASSERT_EQ(ShortDateLatin1(), date) << "the date changed during the test";

    std::string log = test::ReadBytes(LogPath());
    ASSERT_EQ(log.compare(0, earlier.size(), earlier), 0) << "earlier content must stay in front";
    log.erase(0, earlier.size());
    EXPECT_TRUE(TakeEntry(log, date, before, after,
                          "Kann Zielverzeichnis nicht erstellen!\r\n\r\nBitte \xfc" "berpr\xfc"
                          "fen Sie Ihre Schreibrechte!: C:\\Z\xe4hler\xdf\\"));
    // Characters beyond U+00FF vanish; U+00FF itself is one byte.
    EXPECT_TRUE(TakeEntry(log, date, before, after, "Zweiter Eintrag  ok \xff"));
    EXPECT_EQ(log, "");
}

TEST_F(InstallLogTest, NewLogStartsWithTheEntryWithoutByteOrderMark) {
    test::CurrentFolderScope inScratch(scratch.Path());
    WriteInstallLog(L"Ung\u00fcltiges Zielverzeichnis!: ");
    const std::string log = test::ReadBytes(LogPath());
    const std::string date = ShortDateLatin1();
    ASSERT_FALSE(date.empty());
    EXPECT_EQ(log.compare(0, date.size(), date), 0);
    const std::string message = "Ung\xfcltiges Zielverzeichnis!: ";
    EXPECT_NE(log.find(": " + message + "\r\n" + kSeparator), std::string::npos);
    EXPECT_EQ(log.size(), date.size() + 3 + 8 + 2 + message.size() + 2 + kSeparator.size());
}

TEST_F(InstallLogTest, UnopenableLogIsSkippedSilently) {
    test::CurrentFolderScope inScratch(scratch.Path());
    // A folder of the log's name makes opening the file fail.
    ASSERT_TRUE(CreateDirectoryW(LogPath().c_str(), nullptr));
    WriteInstallLog(L"nichts");
    EXPECT_TRUE(test::IsFolder(LogPath()));
}

}  // namespace
