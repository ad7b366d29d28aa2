// Unpacking of the embedded payload archive: the resource goes to a temporary
// file, minizip walks it entry by entry, and every file lands below the
// target folder with the archive's date and time.
#include "extraction.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "file_journal.h"
#include "install_options.h"
#include "read_ahead_io.h"
#include "unzip.h"
// iowin32.h relies on the declarations of unzip.h (zlib's OF macro).
#include "iowin32.h"
#include "win_handles.h"

namespace {

constexpr unsigned kCopyBufferBytes = 0x8000;
constexpr int kEntryNameBytes = 520;   // 519 bytes of name and the terminator
constexpr int kEntryWideChars = 324;   // 323 characters and the terminator
constexpr int kEntryOk = 0;
constexpr int kEntryFailed = -1;

// The archive stays open for the whole walk and is closed on every path.
// Windows' file functions do the reading, in blocks read ahead.
class ZipReader {
public:
    explicit ZipReader(const wchar_t* path) {
        fill_win32_filefunc64W(&m_windowsFunctions);
        zlib_filefunc64_def functions;
        FillReadAheadFileFunctions(&functions, &m_windowsFunctions);
        m_handle = unzOpen2_64(path, &functions);
    }
    ~ZipReader() {
        if (m_handle) unzClose(m_handle);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    unzFile get() const { return m_handle; }

private:
    zlib_filefunc64_def m_windowsFunctions;
    unzFile m_handle = nullptr;
};

// A C stream whose close is checked by the writer (buffered data may only fail
// to reach the disk at that point) and closed quietly on every other path.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() {
        if (m_file) fclose(m_file);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    bool Open(const wchar_t* path) {
        m_file = _wfopen(path, L"wb");
        return m_file != nullptr;
    }
    FILE* get() const { return m_file; }
    // The explicit flush: some C runtimes lose a failed flush inside fclose.
    bool Flush() { return fflush(m_file) == 0; }
    HANDLE Handle() const { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_file))); }
    bool Close() {
        FILE* file = m_file;
        m_file = nullptr;
        bool flushed = fflush(file) == 0;
        return fclose(file) == 0 && flushed;
    }

private:
    FILE* m_file = nullptr;
};

// The temporary copy of the archive is removed on every way out of the call.
class TemporaryFile {
public:
    explicit TemporaryFile(const wchar_t* path) : m_path(path) {}
    ~TemporaryFile() {
        if (m_path[0] != L'\0') DeleteFileW(m_path);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

private:
    const wchar_t* m_path;
};

// Creation and last-write time from the entry's local DOS date and time; the
// last-access time is left as it is.
void SetOpenFileDate(HANDLE file, uint32_t dosDateTime) {
    FILETIME local;
    FILETIME utc;
    if (!DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &local)) return;
    if (!LocalFileTimeToFileTime(&local, &utc)) return;
    SetFileTime(file, &utc, nullptr, &utc);
}

bool IsSeparator(wchar_t c) {
    return c == L'/' || c == L'\\';
}

wchar_t UpperAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// A level that Windows opens as a device wherever it stands ("NUL",
// "nul.txt", "Help\\COM1 .dll"): the part before the first dot, blanks
// stripped, is a DOS device name. Its bytes would go to the device.
bool IsDeviceLevel(const wchar_t* level, const wchar_t* end) {
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$",
                                              L"CONOUT$", L"CLOCK$"};
    const wchar_t* stem = level;
    while (stem < end && *stem != L'.') ++stem;
    while (stem > level && stem[-1] == L' ') --stem;
    size_t length = static_cast<size_t>(stem - level);
    for (const wchar_t* device : kDevices) {
        size_t i = 0;
        while (i < length && device[i] && UpperAscii(level[i]) == device[i]) ++i;
        if (i == length && device[i] == L'\0') return true;
    }
    if (length != 4) return false;
    wchar_t a = UpperAscii(level[0]), b = UpperAscii(level[1]), c = UpperAscii(level[2]);
    bool port = (a == L'C' && b == L'O' && c == L'M') || (a == L'L' && b == L'P' && c == L'T');
    // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits 1 to 3.
    wchar_t digit = level[3];
    return port && ((digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
                    digit == L'\u00B3');
}

// An entry name must stay below the target folder: no root, no drive, no UNC
// server, no stream name (every ':' is refused), no level that Windows
// would read as a step upwards (".." and its forms with trailing dots or
// blanks, which Windows strips) and no device name.
bool IsContainedName(const wchar_t* name) {
    if (name[0] == L'\0' || IsSeparator(name[0])) return false;
    if (wcschr(name, L':')) return false;
    const wchar_t* level = name;
    while (*level) {
        const wchar_t* end = level;
        while (*end && !IsSeparator(*end)) ++end;
        int dots = 0;
        bool onlyDotsAndBlanks = true;
        for (const wchar_t* c = level; c < end; ++c) {
            if (*c == L'.') {
                ++dots;
            } else if (*c != L' ') {
                onlyDotsAndBlanks = false;
            }
        }
        if (onlyDotsAndBlanks && dots >= 2) return false;
        if (IsDeviceLevel(level, end)) return false;
        level = *end ? end + 1 : end;
    }
    return true;
}

bool ToWide(const char* narrow, wchar_t* wide) {
    return MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, kEntryWideChars) != 0;
}

bool NameHasIconLibrary(const char* name) {
    char lower[kEntryNameBytes];
    size_t i = 0;
    for (; name[i] && i + 1 < sizeof lower; ++i) {
        char c = name[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    lower[i] = '\0';
    return strstr(lower, "icons.dll") != nullptr;
}

// Copies the open entry into a file; kEntryOk only when every byte of the
// entry arrived on disk and minizip confirmed its checksum.
int CopyEntry(unzFile archive, const unz_file_info64& info, OutputFile& output, char* buffer) {
    int result = kEntryOk;
    ZPOS64_T copied = 0;
    for (;;) {
        int read = unzReadCurrentFile(archive, buffer, kCopyBufferBytes);
        if (read < 0) {
            result = read;
            break;
        }
        if (read == 0) break;
        if (fwrite(buffer, 1, static_cast<size_t>(read), output.get()) !=
            static_cast<size_t>(read)) {
            result = kEntryFailed;
            break;
        }
        copied += static_cast<ZPOS64_T>(read);
    }
    if (!output.Flush() && result == kEntryOk) result = kEntryFailed;
    // minizip checks the checksum only when the whole announced size was
    // inflated; data that ends early would otherwise pass unnoticed.
    if (result == kEntryOk && copied != info.uncompressed_size) result = kEntryFailed;
    // The times go on through the handle that wrote the data: opening every
    // file a second time by name costs more than writing a small one.
    if (result == kEntryOk) SetOpenFileDate(output.Handle(), static_cast<uint32_t>(info.dosDate));
    if (!output.Close() && result == kEntryOk) result = kEntryFailed;
    if (result == kEntryOk) {
        int closed = unzCloseCurrentFile(archive);
        if (closed != UNZ_OK) result = closed;
    } else {
        unzCloseCurrentFile(archive);
    }
    return result;
}

// The folder part of a narrow entry name (up to its last separator), wide.
bool WideFolderPart(const char* name, wchar_t* wideFolder) {
    char folder[kEntryNameBytes];
    size_t cut = 0;
    for (size_t i = 0; name[i]; ++i) {
        if (name[i] == '/' || name[i] == '\\') cut = i;
    }
    if (cut == 0) return false;
    memcpy(folder, name, cut);
    folder[cut] = '\0';
    return ToWide(folder, wideFolder);
}

// Done: written, a folder, or the icon library kept on purpose. Missing: the
// file could not be written; the walk goes on. Broken: the archive cannot be
// trusted any further; the walk ends.
enum class Outcome { Done, Missing, Broken };

// The entry's full path for the journal and the log: base ends in a backslash.
std::wstring FullPath(const std::wstring& base, const wchar_t* name) {
    std::wstring path = base + name;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

Outcome ExtractCurrentEntry(unzFile archive, int keepIconLibrary, FileJournal* journal,
                            const std::wstring& base) {
    unz_file_info64 info;
    char name[kEntryNameBytes] = {};
    if (unzGetCurrentFileInfo64(archive, &info, name, kEntryNameBytes - 1, nullptr, 0, nullptr,
                                0) != UNZ_OK) {
        return Outcome::Broken;
    }
    if (keepIconLibrary == 1 && NameHasIconLibrary(name)) return Outcome::Done;

    wchar_t wideName[kEntryWideChars];
    bool nameFits = info.size_filename < kEntryNameBytes && ToWide(name, wideName);
    if (nameFits && !IsContainedName(wideName)) {
        if (journal) NoteFailure(*journal, FullPath(base, wideName), ERROR_FILE_CORRUPT);
        return Outcome::Broken;
    }
    // A NUL inside the stored name would make this entry land on another
    // entry's file ("pixo32.exe\0..." overwrites the viewer).
    if (nameFits && strlen(name) != info.size_filename) return Outcome::Broken;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferBytes]);
    if (!buffer) return Outcome::Broken;
    if (!nameFits) return Outcome::Missing;

    const char* lastSeparator = nullptr;
    for (const char* c = name; *c; ++c) {
        if (*c == '/' || *c == '\\') lastSeparator = c;
    }
    if (lastSeparator && lastSeparator[1] == '\0') {
        // A folder carries no data; one that does is a file whose name was damaged.
        if (info.uncompressed_size != 0) return Outcome::Broken;
        if (journal) {
            if (!CreateFolderNoted(*journal, FullPath(base, wideName))) return Outcome::Missing;
        } else {
            CreateDirectoryW(wideName, nullptr);   // an existing folder is fine
        }
        return Outcome::Done;
    }

    if (unzOpenCurrentFilePassword(archive, nullptr) != UNZ_OK) {
        unzCloseCurrentFile(archive);
        return Outcome::Broken;
    }
    const std::wstring fullPath = journal ? FullPath(base, wideName) : std::wstring();
    wchar_t wideFolder[kEntryWideChars];
    // The earlier file moves aside first: a failed installation puts it back.
    const bool prepared = !journal || PrepareFileWrite(*journal, fullPath);
    OutputFile output;
    bool opened = prepared && output.Open(wideName);
    if (!opened && prepared && WideFolderPart(name, wideFolder)) {
        // Its folder entry may come later or not at all.
        if (journal) {
            CreateFolderNoted(*journal, FullPath(base, wideFolder));
        } else {
            MakeParentDirectories(wideFolder);
        }
        opened = output.Open(wideName);
    }
    if (!opened) {
        if (journal && prepared) NoteFailure(*journal, fullPath, GetLastError());
        // Held open by a running viewer, read-only, or a folder of that name:
        // the walk goes on so that every other file is in place.
        unzCloseCurrentFile(archive);
        return Outcome::Missing;
    }
    const int copied = CopyEntry(archive, info, output, buffer.get());
    if (copied != kEntryOk && journal) {
        const DWORD error = copied == UNZ_CRCERROR ? ERROR_CRC
                            : copied == kEntryFailed && GetLastError() ? GetLastError()
                                                                       : ERROR_FILE_CORRUPT;
        NoteFailure(*journal, fullPath, error);
    }
    return copied == kEntryOk ? Outcome::Done : Outcome::Broken;
}

// minizip walks as many entries as the end record counts. A damaged count
// must not hide files: after the last counted entry, another central header
// means the walk left entries out.
bool CentralDirectoryGoesOn(unzFile archive) {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        return false;
    }
    constexpr ZPOS64_T kCentralHeaderBytes = 46;
    ZPOS64_T next = unzGetOffset64(archive) + kCentralHeaderBytes + info.size_filename +
                    info.size_file_extra + info.size_file_comment;
    return unzSetOffset64(archive, next) == UNZ_OK;
}

uint32_t ReadLittle(const unsigned char* at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

}  // namespace

int LongestPayloadEntry(int resourceId, const wchar_t* resourceType) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(self, MAKEINTRESOURCEW(resourceId), resourceType);
    HGLOBAL loaded = resource ? LoadResource(self, resource) : nullptr;
    const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = data ? SizeofResource(self, resource) : 0;
    constexpr DWORD kEndRecordBytes = 22;
    constexpr DWORD kCentralHeaderBytes = 46;
    if (size < kEndRecordBytes) return -1;
    // The end record sits before a comment of at most 65,535 bytes.
    DWORD end = size - kEndRecordBytes;
    const DWORD lowest = end > 0xFFFF ? end - 0xFFFF : 0;
    while (ReadLittle(data + end, 4) != 0x06054b50) {
        if (end == lowest) return -1;
        --end;
    }
    const uint32_t entries = ReadLittle(data + end + 10, 2);
    DWORD at = ReadLittle(data + end + 16, 4);
    int longest = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        if (size < kCentralHeaderBytes || at > size - kCentralHeaderBytes || ReadLittle(data + at, 4) != 0x02014b50) return -1;
        const DWORD nameBytes = ReadLittle(data + at + 28, 2);
        const DWORD next = at + kCentralHeaderBytes + nameBytes + ReadLittle(data + at + 30, 2) +
                           ReadLittle(data + at + 32, 2);
        if (next > size) return -1;
        // As the extraction converts it: the name's characters in the ANSI code page.
        const int chars = nameBytes == 0 ? 0
                          : MultiByteToWideChar(CP_ACP, 0,
                                                reinterpret_cast<const char*>(data + at + kCentralHeaderBytes),
                                                static_cast<int>(nameBytes), nullptr, 0);
        if (chars > longest) longest = chars;
        at = next;
    }
    return longest;
}

int ExtractPayload(int resourceId, const wchar_t* resourceType, const wchar_t* tempName,
                   const wchar_t* targetFolder, int keepIconLibrary, FileJournal* journal,
                   const ExtractionProgress* progress) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(self, MAKEINTRESOURCEW(resourceId), resourceType);
    if (!resource) return -1;
    HGLOBAL loaded = LoadResource(self, resource);
    if (!loaded) return -1;
    const void* data = LockResource(loaded);
    DWORD size = SizeofResource(self, resource);
    if (!data || size == 0) return -1;

    wchar_t tempPath[kLongChars] = {};
    DWORD folderChars = GetTempPathW(kLongChars - 1, tempPath);
    if (folderChars == 0 || folderChars >= kLongChars - 1) return -1;
    size_t length = wcslen(tempPath);
    if (length > 0 && tempPath[length - 1] != L'\\') tempPath[length++] = L'\\';
    size_t nameChars = wcslen(tempName);
    if (length + nameChars >= kLongChars) return -1;
    wmemcpy(tempPath + length, tempName, nameChars + 1);

    TemporaryFile removeLater(tempPath);
    {
        OutputFile temp;
        if (!temp.Open(tempPath)) return -1;
        bool written = fwrite(data, 1, size, temp.get()) == size;
        // A copy that did not fully reach the disk must not be walked.
        if (!temp.Close() || !written) return -1;
    }
    return ExtractArchive(tempPath, targetFolder, keepIconLibrary, journal, progress);
}

int ExtractArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary,
                   FileJournal* journal, const ExtractionProgress* progress) {
    std::wstring base(targetFolder);
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    ZipReader archive(archivePath);
    if (!archive.get()) return -1;
    if (!SetCurrentDirectoryW(targetFolder)) return -1;

    unz_global_info64 global;
    if (unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) return kExtractIncomplete;

    // Whatever stops the walk early, or any file left unwritten, makes the
    // result kExtractIncomplete: the installation must not be reported as done.
    // No payload is empty: an archive without entries has lost its end record.
    int result = global.number_entry == 0 ? kExtractIncomplete : 0;
    for (ZPOS64_T index = 0; index < global.number_entry;) {
        Outcome outcome = ExtractCurrentEntry(archive.get(), keepIconLibrary, journal, base);
        if (outcome != Outcome::Done) result = kExtractIncomplete;
        if (outcome == Outcome::Broken) break;
        ++index;
        if (progress && progress->report) {
            progress->report(progress->context, static_cast<unsigned>(index),
                             static_cast<unsigned>(global.number_entry));
        }
        if (index < global.number_entry && unzGoToNextFile(archive.get()) != UNZ_OK) {
            result = kExtractIncomplete;
            break;
        }
    }
    if (result == 0 && CentralDirectoryGoesOn(archive.get())) result = kExtractIncomplete;
    return result;
}

void SetFileDateFromEntry(const wchar_t* fileName, uint32_t dosDateTime) {
    KernelHandle file(CreateFileW(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                0, nullptr));
    if (!file) return;
    SetOpenFileDate(file.Get(), dosDateTime);
}

int MakeParentDirectories(const wchar_t* relativePath) {
    if (!relativePath || relativePath[0] == L'\0') return 0;
    size_t length = wcslen(relativePath);
    std::unique_ptr<wchar_t[]> path(new (std::nothrow) wchar_t[length + 1]);
    if (!path) return -104;
    wmemcpy(path.get(), relativePath, length + 1);
    if (IsSeparator(path[length - 1])) path[--length] = L'\0';
    if (length == 0) return 0;

    if (CreateDirectoryW(path.get(), nullptr)) return 1;
    for (size_t i = 1; i <= length; ++i) {
        if (i < length && !IsSeparator(path[i])) continue;
        wchar_t kept = path[i];
        path[i] = L'\0';
        if (!CreateDirectoryW(path.get(), nullptr) && GetLastError() == ERROR_PATH_NOT_FOUND) {
            return 0;
        }
        path[i] = kept;
    }
    return 1;
}
