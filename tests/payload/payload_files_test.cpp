// The built payload programs under Wine: the viewer's window and its
// command lines, its icon groups, the uninstaller's answer, and the version
// and texts of the two libraries. Arguments: the shipped pixo32.exe, whose
// resources are read as files, and the pixo32.exe that this machine can run
// (the 64-bit twin where 32-bit code cannot execute; by default the same).
// The other files lie beside each as they are installed.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring g_viewer;    // the shipped pixo32.exe
std::wstring g_runnable;  // the pixo32.exe that runs here

// A Unix path from CTest becomes a path on Wine's Z: drive.
std::wstring WindowsPath(const char* arg) {
    std::string s = arg;
    if (!s.empty() && s[0] == '/') s = "Z:" + s;
    for (char& c : s) {
        if (c == '/') c = '\\';
    }
    return std::wstring(s.begin(), s.end());
}

std::wstring Beside(const std::wstring& program, const std::wstring& relative) {
    return program.substr(0, program.find_last_of(L'\\') + 1) + relative;
}

// A fresh folder under %TEMP%, removed with its files (one level) at the end.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* name) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + name + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((m_path + L"*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring p = m_path + found.cFileName;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L".."))
                        RemoveDirectoryW(p.c_str());
                } else {
                    DeleteFileW(p.c_str());
                }
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

void WriteFile(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// A 24-bit bottom-up BMP of one colour.
std::vector<unsigned char> SolidBitmap(int width, int height) {
    int row = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = row * height;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<unsigned char> out(file.bfSize, 0);
    memcpy(out.data(), &file, sizeof file);
    memcpy(out.data() + sizeof file, &info, sizeof info);
    for (size_t i = file.bfOffBits; i < out.size(); i += 3) {
        if (i + 2 < out.size()) {
            out[i] = 40;
            out[i + 1] = 160;
            out[i + 2] = 220;
        }
    }
    return out;
}

// A started program; ended by force if a test leaves it running.
class Program {
public:
    explicit Program(std::wstring commandLine) {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        m_started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &m_pi) != FALSE;
    }
    ~Program() {
        if (!m_started) return;
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_pi.hProcess, 99);
            WaitForSingleObject(m_pi.hProcess, 5000);
        }
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return m_started; }
    DWORD Id() const { return m_pi.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end within the time.
    DWORD WaitForExit(DWORD ms) const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0) {
            GetExitCodeProcess(m_pi.hProcess, &code);
        }
        return code;
    }

private:
    bool m_started = false;
    PROCESS_INFORMATION m_pi = {};
};

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == search->pid && wcscmp(cls, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t title[1024] = {};
    GetWindowTextW(hwnd, title, 1024);
    return title;
}

// Waits up to 15 s for a top-level window of the program whose title
// contains the text.
HWND WaitForWindow(const Program& program, const wchar_t* className, const std::wstring& text) {
    for (int i = 0; i < 300; ++i) {
        WindowSearch search = {program.Id(), className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && TitleOf(search.found).find(text) != std::wstring::npos) {
            return search.found;
        }
        Sleep(50);
    }
    return nullptr;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

class PayloadFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(g_viewer.empty())
            << "usage: payload_files_tests PIXO32_EXE [RUNNABLE_PIXO32_EXE]";
    }
};

TEST_F(PayloadFiles, ShowsTheNamedPictureAndClosesOnWmClose) {
    TempFolder folder(L"px_viewer_show");
    std::wstring picture = folder.Path() + L"Testbild Äpfel.bmp";
    WriteFile(picture, SolidBitmap(64, 48));

    Program viewer(Quoted(g_runnable) + L" " + Quoted(picture));
    ASSERT_TRUE(viewer.Started());
    HWND hwnd = WaitForWindow(viewer, L"Pixolum", L"Testbild Äpfel.bmp");
    ASSERT_NE(hwnd, nullptr) << "no window of class Pixolum with the file name in its title";
    // The setup looks for the viewer by its class alone.
    EXPECT_NE(FindWindowW(L"Pixolum", nullptr), nullptr);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(viewer.WaitForExit(10000), 0u);
}

TEST_F(PayloadFiles, AFileItCannotReadStillOpensAWindow) {
    TempFolder folder(L"px_viewer_bad");
    std::wstring broken = folder.Path() + L"kaputt.jpg";
    WriteFile(broken, {'n', 'o', ' ', 'j', 'p', 'e', 'g'});

    Program viewer(Quoted(g_runnable) + L" " + Quoted(broken));
    ASSERT_TRUE(viewer.Started());
    HWND hwnd = WaitForWindow(viewer, L"Pixolum", L"kaputt.jpg");
    ASSERT_NE(hwnd, nullptr);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(viewer.WaitForExit(10000), 0u);
}

TEST_F(PayloadFiles, ThumbsListsThePicturesOfTheFolderSorted) {
    TempFolder folder(L"px_viewer_thumbs");
    WriteFile(folder.Path() + L"Beta.BMP", SolidBitmap(8, 8));
    WriteFile(folder.Path() + L"alpha_long.bmp", SolidBitmap(8, 8));
    WriteFile(folder.Path() + L"notes.txt", {'x'});
    CreateDirectoryW((folder.Path() + L"ordner.png").c_str(), nullptr);

    // As the drive and folder verbs start it: "%1" with a trailing backslash, then /thumbs.
    Program viewer(Quoted(g_runnable) + L" " + Quoted(folder.Path()) + L" /thumbs");
    ASSERT_TRUE(viewer.Started());
    HWND hwnd = WaitForWindow(viewer, L"Pixolum", L"Thumbnails");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_NE(TitleOf(hwnd).find(L"px_viewer_thumbs"), std::wstring::npos)
        << "the title names the folder";
    HWND list = FindWindowExW(hwnd, nullptr, L"ListBox", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    // Sorted without regard to case: alpha_long.bmp (14), then Beta.BMP (8).
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 0, 0), 14);
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 1, 0), 8);

    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(viewer.WaitForExit(10000), 0u);
}

TEST_F(PayloadFiles, HasTheIconIndexesLinksAndFileClassesUse) {
    UINT count = ExtractIconExW(g_viewer.c_str(), -1, nullptr, nullptr, 0);
    EXPECT_GE(count, 13u);
    for (int index : {0, 7, 11, 12}) {
        HICON large = nullptr;
        HICON small = nullptr;
        EXPECT_GT(ExtractIconExW(g_viewer.c_str(), index, &large, &small, 1), 0u)
            << "index " << index;
        EXPECT_NE(large, nullptr) << "index " << index;
        EXPECT_NE(small, nullptr) << "index " << index;
        if (large) DestroyIcon(large);
        if (small) DestroyIcon(small);
    }
}

// px_uninstall.exe is never started here: it removes the installation it
// lies in, and here that would be this build's folder. tests/uninstall runs
// it in an installation.

TEST_F(PayloadFiles, IconLibraryIsTheMakersBuild430) {
    std::wstring library = Beside(g_viewer, L"Plugins\\Icons.dll");
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(library.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(library.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    // The setup's reading: product major, product minor, file version's third part.
    wchar_t version[32];
    _snwprintf(version, 31, L"%d.%d%d", HIWORD(fixed->dwProductVersionMS),
               LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwFileVersionLS));
    version[31] = 0;
    EXPECT_STREQ(version, L"4.300");
    wchar_t* company = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904E4\\CompanyName",
                               reinterpret_cast<void**>(&company), &length));
    EXPECT_STREQ(company, L"Orlovane");

    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(library.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 226816u) << "the size by which the setup knows its own build";
    EXPECT_GE(ExtractIconExW(library.c_str(), -1, nullptr, nullptr, 0), 13u);
}

TEST_F(PayloadFiles, LanguageLibraryHoldsTheGermanTexts) {
    std::wstring path = Beside(g_viewer, L"Languages\\Deutsch.dll");
    HMODULE language = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(language, nullptr);
    wchar_t text[256] = {};
    EXPECT_GT(LoadStringW(language, 1, text, 256), 0);
    EXPECT_STREQ(text, L"Pixolum");
    EXPECT_GT(LoadStringW(language, 9, text, 256), 0);
    EXPECT_STREQ(text, L"Über Pixolum");
    FreeLibrary(language);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc > 1) g_viewer = WindowsPath(argv[1]);
    g_runnable = argc > 2 ? WindowsPath(argv[2]) : g_viewer;
    return RUN_ALL_TESTS();
}
