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

constexpr int kEntryNameBytes = 520;   // 519 bytes of name and the terminator
constexpr int kEntryWideChars = 324;   // 323 characters and the terminator
constexpr int kEntryOk = 0;
constexpr int kEntryFailed = -1;

// Reads a file through Windows' file functions in blocks read ahead. Named
// only by ExtractArchive: the setup, which unpacks its resource, links none of it.
void FileFunctions(zlib_filefunc64_def* functions, zlib_filefunc64_def* windows) {
    fill_win32_filefunc64W(windows);
    FillReadAheadFileFunctions(functions, windows);
}

// Where the archive is: a file, or memory (the resource, mapped with the program).
struct ArchiveSource {
    const wchar_t* path = nullptr;
    void (*fileFunctions)(zlib_filefunc64_def* functions, zlib_filefunc64_def* windows) = nullptr;
    const void* data = nullptr;
    size_t size = 0;
};

// The archive stays open for the whole walk and is closed on every path.
class ZipReader {
public:
    explicit ZipReader(const ArchiveSource& source)
        : m_memory{static_cast<const unsigned char*>(source.data), source.size, 0} {
        zlib_filefunc64_def functions = {};
        if (source.path) {
            source.fileFunctions(&functions, &m_windowsFunctions);
            m_handle = unzOpen2_64(source.path, &functions);
            return;
        }
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

// --- the walk: several workers, each inflating and writing whole entries ---
// Inflating keeps a core busy; creating and closing a file waits on the file
// system (under Wine, each is a round trip to its one server). Several
// workers take the entries in turn, each through its own reader of the
// archive, so that one inflates or writes while another waits for its file.

constexpr unsigned kChunkBytes = 0x8000;
constexpr unsigned kMostWorkers = 4;

// An entry's data, inflated a chunk at a time; closed on every path.
class EntryData {
public:
    EntryData(unzFile archive, ZPOS64_T announced) : m_archive(archive), m_announced(announced) {
        m_open = unzOpenCurrentFilePassword(archive, nullptr) == UNZ_OK;
        if (!m_open) {
            unzCloseCurrentFile(archive);
            m_status = kEntryFailed;
        }
    }
    ~EntryData() {
        if (m_open) unzCloseCurrentFile(m_archive);
    }
    EntryData(const EntryData&) = delete;
    EntryData& operator=(const EntryData&) = delete;

    // The next chunk's bytes in buffer (fewer than a chunk only at the end).
    DWORD Next(char* buffer) {
        if (!m_open) return 0;
        DWORD bytes = 0;
        int read = 0;
        while (bytes < kChunkBytes) {
            read = unzReadCurrentFile(m_archive, buffer + bytes, kChunkBytes - bytes);
            if (read <= 0) break;
            bytes += static_cast<DWORD>(read);
        }
        m_inflated += bytes;
        if (read < 0) m_status = read;
        if (read <= 0) {
            m_open = false;
            // minizip checks the checksum only when the whole announced size
            // was inflated; data that ends early would otherwise pass.
            if (m_status == kEntryOk && m_inflated != m_announced) m_status = kEntryFailed;
            const int closed = unzCloseCurrentFile(m_archive);
            if (m_status == kEntryOk && closed != UNZ_OK) m_status = closed;
        }
        return bytes;
    }
    bool Ended() const { return !m_open; }
    // minizip's verdict once ended: kEntryOk, or why the data is not the entry's.
    int Status() const { return m_status; }

private:
    unzFile m_archive;
    ZPOS64_T m_announced;
    ZPOS64_T m_inflated = 0;
    int m_status = kEntryOk;
    bool m_open = false;
};

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

// Where an entry's bytes go. On an update over a file of the same size the
// bytes are first compared with it: a file that already holds them is left
// as it is. At the first difference the new file is started with the part
// that was equal, read back from the earlier file.
class EntrySink {
public:
    EntrySink(const std::wstring& earlier, ZPOS64_T size) {
        m_earlier.Reset(CreateFileW(earlier.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER existing = {};
        m_comparing = m_earlier && GetFileSizeEx(m_earlier.Get(), &existing) &&
                      static_cast<ZPOS64_T>(existing.QuadPart) == size;
        if (!m_comparing) m_earlier.Reset();
    }
    EntrySink() = default;
    bool Comparing() const { return m_comparing; }
    // Writes straight into this file from now on; false with the Windows error.
    bool StartWriting(const std::wstring& path) {
        if (!m_output.Open(path.c_str())) return false;
        if (!m_comparing) return true;
        // The bytes compared so far are the same in both: they come from the earlier file.
        m_comparing = false;
        LARGE_INTEGER start = {};
        if (!SetFilePointerEx(m_earlier.Get(), start, nullptr, FILE_BEGIN)) return false;
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[kChunkBytes]);
        if (!buffer) return false;
        for (ZPOS64_T left = m_matched; left != 0;) {
            const DWORD part = left < kChunkBytes ? static_cast<DWORD>(left) : kChunkBytes;
            DWORD got = 0;
            if (!ReadFile(m_earlier.Get(), buffer.get(), part, &got, nullptr) || got != part) {
                if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_HANDLE_EOF);
                return false;
            }
            if (!m_output.Write(buffer.get(), part)) return false;
            left -= part;
        }
        m_earlier.Reset();
        return true;
    }
    // Compares a part with the earlier file; false at the first difference.
    bool Matches(const char* data, DWORD bytes) {
        if (!m_held) m_held.reset(new (std::nothrow) char[kChunkBytes]);
        DWORD got = 0;
        const bool same = m_held && ReadFile(m_earlier.Get(), m_held.get(), bytes, &got, nullptr) &&
                          got == bytes && memcmp(data, m_held.get(), bytes) == 0;
        if (same) m_matched += bytes;
        return same;
    }
    bool Write(const char* data, DWORD bytes) { return bytes == 0 || m_output.Write(data, bytes); }
    // The archive's time on the file that now holds the entry, then closed.
    bool Finish(uint32_t dosDate) {
        if (m_comparing) {
            SetOpenFileDate(m_earlier.Get(), dosDate);
            return true;
        }
        // Through the handle that wrote the data: opening every file a
        // second time by name costs more than writing a small one.
        SetOpenFileDate(m_output.Handle(), dosDate);
        return m_output.Close();
    }

private:
    KernelHandle m_earlier;
    OutputFile m_output;
    std::unique_ptr<char[]> m_held;
    ZPOS64_T m_matched = 0;
    bool m_comparing = false;
};

// What the workers share: the next entry to take, the walk's verdict, and
// the transaction, which notes one worker's change at a time.
class SharedWalk {
public:
    SharedWalk(Transaction* transaction, const std::wstring& base, bool keepIconLibrary, LONG entries)
        : m_transaction(transaction), m_base(base), m_keepIconLibrary(keepIconLibrary), m_entries(entries) {}
    SharedWalk(const SharedWalk&) = delete;
    SharedWalk& operator=(const SharedWalk&) = delete;

    const std::wstring& Base() const { return m_base; }
    bool KeepIconLibrary() const { return m_keepIconLibrary; }
    LONG Entries() const { return m_entries; }

    // The number of the next entry to write; false when none is left or the walk has ended.
    bool Take(LONG& index) {
        if (Read(m_stop)) return false;
        const LONG taken = InterlockedIncrement(&m_next) - 1;
        if (taken >= m_entries) return false;
        index = taken;
        return true;
    }
    void Count(Outcome outcome) {
        if (outcome != Outcome::Done) InterlockedExchange(&m_incomplete, 1);
        if (outcome == Outcome::Broken) {
            InterlockedExchange(&m_stop, 1);
            return;
        }
        InterlockedIncrement(&m_done);
    }
    LONG Done() const { return Read(m_done); }
    // Every entry taken and written, nothing stopped the walk.
    bool Whole() const { return !Read(m_incomplete) && Read(m_next) >= m_entries; }

    // Every level of folder below the target, made when missing. With a
    // transaction the levels made are noted, and an existing level that is
    // a link somewhere else stops the installation.
    bool EnsureFolder(const std::wstring& folder, std::wstring& lastEnsured) {
        if (folder.size() <= m_base.size() || _wcsicmp(folder.c_str(), lastEnsured.c_str()) == 0) return true;
        bool made = true;
        if (m_transaction) {
            CriticalSection::Held held(m_lock);
            made = m_transaction->CreateFolder(folder);
        } else {
            for (size_t cut = folder.find(L'\\', m_base.size()); cut != std::wstring::npos;
                 cut = folder.find(L'\\', cut + 1)) {
                CreateDirectoryW(folder.substr(0, cut).c_str(), nullptr);
            }
        }
        if (made) lastEnsured = folder;
        return made;
    }
    // Where the entry's data goes: under a temporary name, taking the file's
    // name only when whole, the earlier file waiting aside until the commit.
    // Empty for a link or folder in the file's place.
    std::wstring BeginFile(const std::wstring& path) {
        if (!m_transaction) return path;
        CriticalSection::Held held(m_lock);
        return m_transaction->BeginFile(path);
    }
    bool PlaceFile(const std::wstring& path) {
        if (!m_transaction) return true;
        CriticalSection::Held held(m_lock);
        return m_transaction->PlaceFile(path);
    }
    void NoteFailure(const std::wstring& path, DWORD error) {
        if (!m_transaction) return;
        CriticalSection::Held held(m_lock);
        m_transaction->NoteFailure(path, error);
    }

private:
    static LONG Read(volatile const LONG& value) {
        return InterlockedCompareExchange(const_cast<volatile LONG*>(&value), 0, 0);
    }

    Transaction* const m_transaction;
    const std::wstring& m_base;
    const bool m_keepIconLibrary;
    const LONG m_entries;
    CriticalSection m_lock;
    volatile LONG m_next = 0;
    volatile LONG m_done = 0;
    volatile LONG m_stop = 0;
    volatile LONG m_incomplete = 0;
};

// Writes the entries a worker takes, one at a time.
class EntryWriter {
public:
    EntryWriter(SharedWalk& walk, char* buffer) : m_walk(walk), m_buffer(buffer) {}

    // The archive's current entry.
    Outcome Write(unzFile archive) {
        unz_file_info64 info;
        char name[kEntryNameBytes] = {};
        if (unzGetCurrentFileInfo64(archive, &info, name, kEntryNameBytes - 1, nullptr, 0, nullptr, 0) != UNZ_OK) {
            return Outcome::Broken;
        }
        if (m_walk.KeepIconLibrary() && NameHasIconLibrary(name)) return Outcome::Done;

        wchar_t wideName[kEntryWideChars];
        const bool nameFits = info.size_filename < kEntryNameBytes && ToWide(name, wideName);
        if (nameFits && !IsContainedName(wideName)) {
            m_walk.NoteFailure(FullPath(m_walk.Base(), wideName), ERROR_FILE_CORRUPT);
            return Outcome::Broken;
        }
        // A NUL inside the stored name would make this entry land on another
        // entry's file ("pixo32.exe\0..." overwrites the viewer).
        if (nameFits && strlen(name) != info.size_filename) return Outcome::Broken;
        if (!nameFits) return Outcome::Missing;

        const std::wstring fullPath = FullPath(m_walk.Base(), wideName);
        if (fullPath.back() == L'\\') {
            // A folder carries no data; one that does is a file whose name was damaged.
            if (info.uncompressed_size != 0) return Outcome::Broken;
            return m_walk.EnsureFolder(fullPath, m_lastFolder) ? Outcome::Done : Outcome::Broken;
        }
        // Its folder entry may come later, or not at all.
        if (!m_walk.EnsureFolder(FolderPart(fullPath), m_lastFolder)) return Outcome::Broken;
        // Data that cannot even be started leaves no file behind.
        EntryData data(archive, info.uncompressed_size);
        DWORD bytes = data.Next(m_buffer);
        if (data.Ended() && data.Status() != kEntryOk && bytes == 0) {
            m_walk.NoteFailure(fullPath, ArchiveError(data.Status()));
            return Outcome::Broken;
        }
        const std::wstring writeTo = m_walk.BeginFile(fullPath);
        if (writeTo.empty()) return Outcome::Broken;
        EntrySink sink = writeTo != fullPath ? EntrySink(fullPath, info.uncompressed_size) : EntrySink();
        if (!sink.Comparing() && !sink.StartWriting(writeTo)) {
            // Read-only, or a folder of that name: the walk goes on so that
            // every other file is in place.
            m_walk.NoteFailure(fullPath, GetLastError());
            return Outcome::Missing;
        }
        for (;;) {
            if (sink.Comparing() && !sink.Matches(m_buffer, bytes) && !sink.StartWriting(writeTo)) {
                m_walk.NoteFailure(fullPath, GetLastError());
                return Outcome::Missing;
            }
            if (!sink.Comparing() && !sink.Write(m_buffer, bytes)) {
                m_walk.NoteFailure(fullPath, GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
                return Outcome::Broken;
            }
            if (data.Ended()) break;
            bytes = data.Next(m_buffer);
        }
        if (data.Status() != kEntryOk) {
            m_walk.NoteFailure(fullPath, ArchiveError(data.Status()));
            return Outcome::Broken;
        }
        // An update over the same file: nothing written, nothing to undo.
        const bool same = sink.Comparing();
        if (!sink.Finish(static_cast<uint32_t>(info.dosDate))) {
            m_walk.NoteFailure(fullPath, GetLastError());
            return Outcome::Broken;
        }
        if (same) return Outcome::Done;
        return m_walk.PlaceFile(fullPath) ? Outcome::Done : Outcome::Missing;
    }

private:
    static DWORD ArchiveError(int status) { return status == UNZ_CRCERROR ? ERROR_CRC : ERROR_FILE_CORRUPT; }

    SharedWalk& m_walk;
    char* const m_buffer;
    std::wstring m_lastFolder;
};

// Moves a reader from the entry it stands on forward to entry index.
bool StepTo(unzFile archive, LONG& position, LONG index) {
    for (; position < index; ++position) {
        if (unzGoToNextFile(archive) != UNZ_OK) return false;
    }
    return true;
}

// One worker's part: entries taken until none is left, through its own
// reader. Returns the number of the entry the reader stands on.
LONG Work(SharedWalk& walk, unzFile archive, const ExtractionProgress* progress) {
    LONG position = 0;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kChunkBytes]);
    // A worker that cannot start takes nothing: the others take its share.
    if (!archive || !buffer) return position;
    EntryWriter writer(walk, buffer.get());
    for (LONG index = 0; walk.Take(index);) {
        if (!StepTo(archive, position, index)) {
            walk.Count(Outcome::Broken);
            return position;
        }
        walk.Count(writer.Write(archive));
        if (progress && progress->report) {
            progress->report(progress->context, static_cast<unsigned>(walk.Done()),
                             static_cast<unsigned>(walk.Entries()));
        }
    }
    return position;
}

struct WorkerJob {
    SharedWalk* walk;
    const ArchiveSource* source;
};

DWORD WINAPI WorkOnThread(void* parameter) {
    const WorkerJob& job = *static_cast<WorkerJob*>(parameter);
    ZipReader reader(*job.source);
    Work(*job.walk, reader.get(), nullptr);
    return 0;
}

// One worker more than processors: while one waits for its file, another
// has the core. At least two, so that even one core is never idle on a wait.
unsigned WorkerCount() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const unsigned count = system.dwNumberOfProcessors + 1;
    return count < 2 ? 2 : (count > kMostWorkers ? kMostWorkers : count);
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

int WalkArchive(const ArchiveSource& source, const wchar_t* targetFolder, bool keepIconLibrary,
                Transaction* transaction, const ExtractionProgress* progress) {
    std::wstring base(targetFolder);
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    ZipReader archive(source);
    if (!archive.get()) return -1;
    const DWORD target = GetFileAttributesW(targetFolder);
    if (target == INVALID_FILE_ATTRIBUTES || !(target & FILE_ATTRIBUTE_DIRECTORY)) return -1;

    unz_global_info64 global;
    if (unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) return kExtractIncomplete;
    // No payload is empty: an archive without entries has lost its end record.
    // Nor does one hold billions: such a count is damage.
    if (global.number_entry == 0 || global.number_entry > 0x7fff0000) return kExtractIncomplete;
    const LONG entries = static_cast<LONG>(global.number_entry);

    const size_t firstNoted = transaction ? transaction->Entries().size() : 0;
    SharedWalk walk(transaction, base, keepIconLibrary, entries);
    WorkerJob job{&walk, &source};
    KernelHandle others[kMostWorkers - 1];
    const unsigned workers = WorkerCount();
    for (unsigned i = 0; i + 1 < workers && i + 1 < kMostWorkers; ++i) {
        others[i].Reset(CreateThread(nullptr, 0, WorkOnThread, &job, 0, nullptr));
    }
    LONG position = Work(walk, archive.get(), progress);
    for (KernelHandle& other : others) {
        if (other) WaitForSingleObject(other.Get(), INFINITE);
    }
    if (transaction) transaction->SortEntriesFrom(firstNoted);
    // Whatever stopped the walk early, or any file left unwritten, makes the
    // result kExtractIncomplete: the installation must not be reported as done.
    if (!walk.Whole()) return kExtractIncomplete;
    if (progress && progress->report) {
        progress->report(progress->context, static_cast<unsigned>(walk.Done()), static_cast<unsigned>(entries));
    }
    if (!StepTo(archive.get(), position, entries - 1)) return kExtractIncomplete;
    return CentralDirectoryGoesOn(archive.get()) ? kExtractIncomplete : 0;
}

}  // namespace

int LongestPayloadEntry(int resourceId, const wchar_t* resourceType) {
    const void* data = nullptr;
    DWORD size = 0;
    if (!PayloadResource(resourceId, resourceType, data, size)) return -1;
    ZipReader archive(ArchiveSource{nullptr, nullptr, data, size});
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
                   bool keepIconLibrary, Transaction* transaction,
                   const ExtractionProgress* progress) {
    const void* data = nullptr;
    DWORD size = 0;
    if (!PayloadResource(resourceId, resourceType, data, size)) return -1;
    return WalkArchive(ArchiveSource{nullptr, nullptr, data, size}, targetFolder, keepIconLibrary, transaction, progress);
}

int ExtractArchive(const wchar_t* archivePath, const wchar_t* targetFolder, bool keepIconLibrary,
                   Transaction* transaction, const ExtractionProgress* progress) {
    return WalkArchive(ArchiveSource{archivePath, FileFunctions, nullptr, 0}, targetFolder, keepIconLibrary, transaction, progress);
}
