// Unpacking of the embedded payload archive: minizip walks the resource in
// memory entry by entry (no copy on disk that another process could change),
// and every file lands below the target folder with the archive's date and
// time, through the install transaction.
#include "extraction.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "transaction.h"
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
class ZipReader {
public:
    // A file, read through Windows' file functions in blocks read ahead.
    explicit ZipReader(const wchar_t* path) {
        fill_win32_filefunc64W(&m_windowsFunctions);
        zlib_filefunc64_def functions;
        FillReadAheadFileFunctions(&functions, &m_windowsFunctions);
        m_handle = unzOpen2_64(path, &functions);
    }
    // An archive in memory (the resource, mapped with the program).
    ZipReader(const void* data, size_t size) : m_memory{static_cast<const unsigned char*>(data), size, 0} {
        zlib_filefunc64_def functions = {};
        functions.zopen64_file = OpenMemory;
        functions.zread_file = ReadMemory;
        functions.zwrite_file = WriteMemory;
        functions.ztell64_file = TellMemory;
        functions.zseek64_file = SeekMemory;
        functions.zclose_file = CloseMemory;
        functions.zerror_file = ErrorMemory;
        functions.opaque = &m_memory;
        m_handle = unzOpen2_64("payload", &functions);
    }
    ~ZipReader() {
        if (m_handle) unzClose(m_handle);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    unzFile get() const { return m_handle; }

private:
    struct Memory {
        const unsigned char* data;
        size_t size;
        size_t position;
    };
    static voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int mode) {
        if (mode & ZLIB_FILEFUNC_MODE_WRITE) return nullptr;
        static_cast<Memory*>(opaque)->position = 0;
        return opaque;
    }
    static uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
        auto* memory = static_cast<Memory*>(stream);
        const size_t left = memory->size - memory->position;
        const size_t count = size < left ? size : left;
        memcpy(buffer, memory->data + memory->position, count);
        memory->position += count;
        return static_cast<uLong>(count);
    }
    static uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }
    static ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream) {
        return static_cast<Memory*>(stream)->position;
    }
    static long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
        auto* memory = static_cast<Memory*>(stream);
        ZPOS64_T base = 0;
        if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = memory->position;
        if (origin == ZLIB_FILEFUNC_SEEK_END) base = memory->size;
        if (offset > memory->size - base) return -1;
        memory->position = static_cast<size_t>(base + offset);
        return 0;
    }
    static int ZCALLBACK CloseMemory(voidpf, voidpf) { return 0; }
    static int ZCALLBACK ErrorMemory(voidpf, voidpf) { return 0; }

    zlib_filefunc64_def m_windowsFunctions;
    Memory m_memory = {};
    unzFile m_handle = nullptr;
};

// The file an entry is written to, made fresh: whatever stood under its name
// is gone first, so nothing is written through a link planted there.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { m_file.Reset(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    bool Open(const wchar_t* path) {
        m_file.Reset(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file && GetLastError() == ERROR_ACCESS_DENIED) {
            // A read-only earlier file of that name.
            SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path);
            m_file.Reset(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        return static_cast<bool>(m_file);
    }
    bool Write(const void* data, DWORD bytes) {
        DWORD written = 0;
        return WriteFile(m_file.Get(), data, bytes, &written, nullptr) && written == bytes;
    }
    HANDLE Handle() const { return m_file.Get(); }
    bool Close() { return m_file.Close(); }

private:
    KernelHandle m_file;
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
        if (!output.Write(buffer, static_cast<DWORD>(read))) {
            result = kEntryFailed;
            break;
        }
        copied += static_cast<ZPOS64_T>(read);
    }
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

enum class Sameness { Same, Different, Broken };

// Whether the existing file holds exactly the open entry's bytes, compared
// as they inflate. Same: the entry is closed (its checksum confirmed) and the
// file carries the archive's time. Different: the entry is open again at its
// start, ready to be written.
Sameness CompareWithEntry(unzFile archive, const unz_file_info64& info, const std::wstring& path,
                          char* buffer) {
    KernelHandle existing(CreateFileW(path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    bool same = existing && GetFileSizeEx(existing.Get(), &size) &&
                static_cast<ZPOS64_T>(size.QuadPart) == info.uncompressed_size;
    std::unique_ptr<char[]> held(same ? new (std::nothrow) char[kCopyBufferBytes] : nullptr);
    same = same && held;
    while (same) {
        const int read = unzReadCurrentFile(archive, buffer, kCopyBufferBytes);
        if (read < 0) {
            unzCloseCurrentFile(archive);
            return Sameness::Broken;
        }
        if (read == 0) break;
        DWORD got = 0;
        same = ReadFile(existing.Get(), held.get(), static_cast<DWORD>(read), &got, nullptr) &&
               got == static_cast<DWORD>(read) && memcmp(buffer, held.get(), static_cast<size_t>(read)) == 0;
    }
    if (same) {
        if (unzCloseCurrentFile(archive) != UNZ_OK) return Sameness::Broken;
        SetOpenFileDate(existing.Get(), static_cast<uint32_t>(info.dosDate));
        return Sameness::Same;
    }
    unzCloseCurrentFile(archive);
    return unzOpenCurrentFilePassword(archive, nullptr) == UNZ_OK ? Sameness::Different : Sameness::Broken;
}

// Done: written, a folder, or the icon library kept on purpose. Missing: the
// file could not be written; the walk goes on. Broken: the archive or the
// target cannot be trusted any further; the walk ends.
enum class Outcome { Done, Missing, Broken };

// The entry's full path: base ends in a backslash.
std::wstring FullPath(const std::wstring& base, const wchar_t* name) {
    std::wstring path = base + name;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring FolderPart(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\') + 1);
}

// Every level of folder below base, made when missing. With a transaction
// the levels made are noted, and an existing level that is a link somewhere
// else stops the installation.
bool EnsureFolder(Transaction* transaction, const std::wstring& base, const std::wstring& folder,
                  std::wstring& lastEnsured) {
    if (folder.size() <= base.size() || _wcsicmp(folder.c_str(), lastEnsured.c_str()) == 0) return true;
    bool made = true;
    if (transaction) {
        made = transaction->CreateFolder(folder);
    } else {
        for (size_t cut = folder.find(L'\\', base.size()); cut != std::wstring::npos;
             cut = folder.find(L'\\', cut + 1)) {
            CreateDirectoryW(folder.substr(0, cut).c_str(), nullptr);
        }
    }
    if (made) lastEnsured = folder;
    return made;
}

Outcome ExtractCurrentEntry(unzFile archive, int keepIconLibrary, Transaction* transaction,
                            const std::wstring& base, std::wstring& lastFolder) {
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
        if (transaction) transaction->NoteFailure(FullPath(base, wideName), ERROR_FILE_CORRUPT);
        return Outcome::Broken;
    }
    // A NUL inside the stored name would make this entry land on another
    // entry's file ("pixo32.exe\0..." overwrites the viewer).
    if (nameFits && strlen(name) != info.size_filename) return Outcome::Broken;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferBytes]);
    if (!buffer) return Outcome::Broken;
    if (!nameFits) return Outcome::Missing;

    const std::wstring fullPath = FullPath(base, wideName);
    if (fullPath.back() == L'\\') {
        // A folder carries no data; one that does is a file whose name was damaged.
        if (info.uncompressed_size != 0) return Outcome::Broken;
        return EnsureFolder(transaction, base, fullPath, lastFolder) ? Outcome::Done : Outcome::Broken;
    }
    // Its folder entry may come later or not at all.
    if (!EnsureFolder(transaction, base, FolderPart(fullPath), lastFolder)) return Outcome::Broken;

    if (unzOpenCurrentFilePassword(archive, nullptr) != UNZ_OK) {
        unzCloseCurrentFile(archive);
        return Outcome::Broken;
    }
    // The data goes under a temporary name and takes the file's name only
    // when whole; the earlier file waits aside until the commit.
    const std::wstring writeTo = transaction ? transaction->BeginFile(fullPath) : fullPath;
    if (writeTo.empty()) {
        unzCloseCurrentFile(archive);
        return Outcome::Broken;   // a link or folder in the file's place
    }
    if (writeTo != fullPath) {
        // An update over the same file: nothing to write, nothing to undo.
        const Sameness same = CompareWithEntry(archive, info, fullPath, buffer.get());
        if (same == Sameness::Same) return Outcome::Done;
        if (same == Sameness::Broken) {
            transaction->NoteFailure(fullPath, ERROR_CRC);
            return Outcome::Broken;
        }
    }
    OutputFile output;
    if (!output.Open(writeTo.c_str())) {
        if (transaction) transaction->NoteFailure(fullPath, GetLastError());
        // Read-only, or a folder of that name: the walk goes on so that
        // every other file is in place.
        unzCloseCurrentFile(archive);
        return Outcome::Missing;
    }
    const int copied = CopyEntry(archive, info, output, buffer.get());
    if (copied != kEntryOk) {
        if (transaction) {
            const DWORD error = copied == UNZ_CRCERROR ? ERROR_CRC
                                : copied == kEntryFailed && GetLastError() ? GetLastError()
                                                                           : ERROR_FILE_CORRUPT;
            transaction->NoteFailure(fullPath, error);
        }
        return Outcome::Broken;
    }
    if (transaction && !transaction->PlaceFile(fullPath)) return Outcome::Missing;
    return Outcome::Done;
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

// The payload resource as mapped with the program; false when missing or empty.
bool PayloadResource(int resourceId, const wchar_t* resourceType, const void*& data, DWORD& size) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(self, MAKEINTRESOURCEW(resourceId), resourceType);
    HGLOBAL loaded = resource ? LoadResource(self, resource) : nullptr;
    data = loaded ? LockResource(loaded) : nullptr;
    size = data ? SizeofResource(self, resource) : 0;
    return data && size != 0;
}

int WalkArchive(ZipReader& archive, const wchar_t* targetFolder, int keepIconLibrary,
                Transaction* transaction, const ExtractionProgress* progress) {
    std::wstring base(targetFolder);
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    if (!archive.get()) return -1;
    // Every file is opened by its full path below base: the process's
    // current folder stays where it was (the log of a failure belongs there).
    const DWORD attributes = GetFileAttributesW(targetFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return -1;

    unz_global_info64 global;
    if (unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) return kExtractIncomplete;

    // Whatever stops the walk early, or any file left unwritten, makes the
    // result kExtractIncomplete: the installation must not be reported as done.
    // No payload is empty: an archive without entries has lost its end record.
    int result = global.number_entry == 0 ? kExtractIncomplete : 0;
    std::wstring lastFolder;
    for (ZPOS64_T index = 0; index < global.number_entry;) {
        Outcome outcome = ExtractCurrentEntry(archive.get(), keepIconLibrary, transaction, base, lastFolder);
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

}  // namespace

int LongestPayloadEntry(int resourceId, const wchar_t* resourceType) {
    const void* data = nullptr;
    DWORD size = 0;
    if (!PayloadResource(resourceId, resourceType, data, size)) return -1;
    ZipReader archive(data, size);
    if (!archive.get()) return -1;
    int longest = 0;
    for (int status = unzGoToFirstFile(archive.get()); status == UNZ_OK;
         status = unzGoToNextFile(archive.get())) {
        unz_file_info64 info;
        char name[kEntryNameBytes] = {};
        if (unzGetCurrentFileInfo64(archive.get(), &info, name, kEntryNameBytes - 1, nullptr, 0,
                                    nullptr, 0) != UNZ_OK) {
            return -1;
        }
        // As the extraction converts it: the name's characters in the ANSI code page.
        const int chars = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0) - 1;
        if (chars > longest) longest = chars;
    }
    return longest;
}

int ExtractPayload(int resourceId, const wchar_t* resourceType, const wchar_t* targetFolder,
                   int keepIconLibrary, Transaction* transaction,
                   const ExtractionProgress* progress) {
    const void* data = nullptr;
    DWORD size = 0;
    if (!PayloadResource(resourceId, resourceType, data, size)) return -1;
    ZipReader archive(data, size);
    return WalkArchive(archive, targetFolder, keepIconLibrary, transaction, progress);
}

int ExtractArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary,
                   Transaction* transaction, const ExtractionProgress* progress) {
    ZipReader archive(archivePath);
    return WalkArchive(archive, targetFolder, keepIconLibrary, transaction, progress);
}
