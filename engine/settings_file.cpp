// The viewer's first settings: where they live, the German interface and a
// toolbar skin that suits the screen; at the end of the installation the
// settings file is turned into UTF-16, the form the viewer keeps.
#include "settings_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "install_options.h"
#include "path_utils.h"

namespace {

constexpr wchar_t kUnicodeHeader[] = L"; UNICODE FILE - edit with care ;-)\r\n\r\n";
constexpr int kPieceBytes = 2048;   // 2047 bytes of a line and the terminator
constexpr wchar_t kTempName[] = L"pixo32.ini_temp";

class StdioFile {
public:
    StdioFile(const wchar_t* path, const wchar_t* mode) : m_file(_wfopen(path, mode)) {}
    ~StdioFile() {
        if (m_file) fclose(m_file);
    }
    StdioFile(const StdioFile&) = delete;
    StdioFile& operator=(const StdioFile&) = delete;
    FILE* get() const { return m_file; }
    // Buffered data reaches the disk only here; the caller must know if it
    // did. The explicit flush: some C runtimes lose a failed flush in fclose.
    bool Close() {
        FILE* file = m_file;
        m_file = nullptr;
        if (!file) return false;
        bool flushed = fflush(file) == 0;
        return fclose(file) == 0 && flushed;
    }

private:
    FILE* m_file;
};

class DisplayDc {
public:
    DisplayDc() : m_dc(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)) {}
    ~DisplayDc() {
        if (m_dc) DeleteDC(m_dc);
    }
    DisplayDc(const DisplayDc&) = delete;
    DisplayDc& operator=(const DisplayDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

int DisplayScalePercent() {
    DisplayDc display;
    if (!display.get()) return 100;
    return GetDeviceCaps(display.get(), LOGPIXELSX) * 100 / 96;
}

bool WriteUtf16(FILE* file, const wchar_t* text, size_t chars) {
    // wchar_t is UTF-16LE on Windows, so the characters go out as they are.
    return fwrite(text, sizeof(wchar_t), chars, file) == chars;
}

}  // namespace

ToolbarSkin ChooseToolbarSkin(int fullScreenHeight, int scalePercent) {
    if (fullScreenHeight >= 1600 || scalePercent >= 170) return {L"gnome-colors-human_48.png", L"48"};
    if (fullScreenHeight > 1200 || scalePercent >= 150) return {L"gnome-colors-wise_32.png", L"32"};
    if (fullScreenHeight < 768) return {L"Marlo_16.png", L"16"};
    return {L"Kestrin_24.png", L"24"};
}

void WriteInitialSettings(const wchar_t* programFolderIni, const wchar_t* activeIni,
                          const wchar_t* iniFolder, bool portableLayout) {
    const bool separateFolder = iniFolder && iniFolder[0] != L'\0';
    WritePrivateProfileStringW(L"Others", L"INI_Folder", separateFolder ? iniFolder : nullptr,
                               programFolderIni);

    WritePrivateProfileStringW(L"Language", L"DLL", L"DEUTSCH.DLL", activeIni);
    WritePrivateProfileStringW(L"Language", L"Lang", L"Deutsch", activeIni);
    if (portableLayout) {
        WritePrivateProfileStringW(L"Language", L"DefaultLang", L"DEUTSCH.DLL", programFolderIni);
        WritePrivateProfileStringW(L"Language", L"Lang", L"Deutsch", programFolderIni);
    }

    // A skin the user picked earlier stays, together with its size.
    wchar_t skin[kPathChars] = {};
    GetPrivateProfileStringW(L"Toolbar", L"Skin", L"", skin, kPathChars, activeIni);
    if (skin[0] != L'\0') return;
    ToolbarSkin chosen = ChooseToolbarSkin(GetSystemMetrics(SM_CYFULLSCREEN), DisplayScalePercent());
    WritePrivateProfileStringW(L"Toolbar", L"Skin", chosen.skin, activeIni);
    WritePrivateProfileStringW(L"Toolbar", L"Size", chosen.size, activeIni);
    if (portableLayout) {
        WritePrivateProfileStringW(L"Toolbar", L"Skin", L"Kestrin_24.png", programFolderIni);
        WritePrivateProfileStringW(L"Toolbar", L"Size", L"24", programFolderIni);
    }
}

bool ConvertSettingsFileToUnicode(const wchar_t* path) {
    // Longer paths would not fit the folder split below; such a file is never
    // formed by the installation and is left as it is.
    if (!path || wcslen(path) >= static_cast<size_t>(kPathChars)) return true;
    StdioFile source(path, L"rb");
    if (!source.get()) return true;
    unsigned char mark[2] = {};
    if (fread(mark, 1, 2, source.get()) == 2 && mark[0] == 0xFF && mark[1] == 0xFE) return true;
    rewind(source.get());

    wchar_t tempPath[kLongChars] = {};
    GetPathPart(path, tempPath, kPartDrive | kPartFolder);
    size_t folderChars = wcslen(tempPath);
    size_t nameChars = wcslen(kTempName);
    if (folderChars + nameChars >= static_cast<size_t>(kLongChars)) return true;
    wmemcpy(tempPath + folderChars, kTempName, nameChars + 1);

    bool complete = true;
    int pieces = 0;
    {
        StdioFile temp(tempPath, L"wb");
        if (!temp.get()) return true;
        const wchar_t mark16 = 0xFEFF;
        complete = WriteUtf16(temp.get(), &mark16, 1) &&
                   WriteUtf16(temp.get(), kUnicodeHeader, wcslen(kUnicodeHeader));
        char piece[kPieceBytes];
        wchar_t wide[kPieceBytes];
        while (complete && fgets(piece, kPieceBytes, source.get())) {
            int bytes = static_cast<int>(strlen(piece));
            int chars = MultiByteToWideChar(CP_ACP, 0, piece, bytes, wide, kPieceBytes);
            complete = WriteUtf16(temp.get(), wide, static_cast<size_t>(chars));
            ++pieces;
        }
        if (ferror(source.get())) complete = false;
        source.Close();
        if (!temp.Close()) complete = false;
    }
    // Only a complete copy may take the file's place; an empty file stays as
    // it is. The temporary copy never outlives the call.
    if (!complete || pieces == 0) {
        DeleteFileW(tempPath);
        return complete;
    }
    if (MoveFileExW(tempPath, path, MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileW(tempPath);
    return false;
}
