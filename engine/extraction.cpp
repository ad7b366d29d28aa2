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

// --- the walk: one thread inflates, the calling thread writes ---------------
// Inflating and checking the archive keeps one core busy; creating, writing
// and closing files waits mostly on the file system. The two run side by
// side: an inflating thread fills a small ring of slots, and the calling
// thread (the only one that touches the transaction and the disk) empties
// it in order.

constexpr unsigned kSlotBytes = 0x8000;
constexpr LONG kSlots = 24;

// One slot: an entry's directory data with the first part of its bytes, a
// further part of the same entry, or the end of the walk. The slot that ends
// an entry carries minizip's verdict on it.
struct Slot {
    enum Kind { Entry, More, Finish } kind = Finish;
    bool last = true;             // the entry's bytes end here
    int status = kEntryOk;        // the entry's verdict, on the last slot; the walk's on Finish
    bool readable = true;         // Entry: the directory data could be read
    unz_file_info64 info = {};
    char name[kEntryNameBytes] = {};
    DWORD bytes = 0;
    char* data = nullptr;
};

// A ring of slots for one inflating and one writing thread. Each side
// waits on an event only when it cannot go on; the counter of filled slots
// is all they share otherwise. Wine makes every wait and every signal a
// round trip to its server, so the inflating side, once the ring is full,
// sleeps until half of it is free again instead of waking for every slot.
class Ring {
public:
    Ring()
        : m_room(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          m_filledEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          m_memory(new (std::nothrow) char[static_cast<size_t>(kSlots) * kSlotBytes]) {
        if (!m_memory) return;
        for (LONG i = 0; i < kSlots; ++i) m_slots[i].data = m_memory.get() + static_cast<size_t>(i) * kSlotBytes;
    }
    bool Ready() const { return m_room && m_filledEvent && m_memory; }

    // Inflating side.
    Slot& Claim() {
        while (Filled() == kSlots) {
            InterlockedExchange(&m_inflaterWaits, 1);
            if (Filled() > kSlots / 2) WaitForSingleObject(m_room.Get(), INFINITE);
            InterlockedExchange(&m_inflaterWaits, 0);
        }
        return m_slots[m_produced % kSlots];
    }
    void Publish() {
        ++m_produced;
        InterlockedIncrement(&m_filled);
        if (InterlockedCompareExchange(&m_writerWaits, 0, 1) == 1) SetEvent(m_filledEvent.Get());
    }
    bool Stopped() const { return InterlockedCompareExchange(&m_stop, 0, 0) != 0; }

    // Writing side.
    Slot& Take() {
        while (Filled() == 0) {
            InterlockedExchange(&m_writerWaits, 1);
            if (Filled() == 0) WaitForSingleObject(m_filledEvent.Get(), INFINITE);
            InterlockedExchange(&m_writerWaits, 0);
        }
        return m_slots[m_consumed % kSlots];
    }
    void Release() {
        ++m_consumed;
        if (InterlockedDecrement(&m_filled) <= kSlots / 2 &&
            InterlockedCompareExchange(&m_inflaterWaits, 0, 1) == 1) {
            SetEvent(m_room.Get());
        }
    }
    // Tells the inflating side to stop and takes what it still sends, up to
    // its end of the walk.
    void StopAndDrain(Slot* current) {
        InterlockedExchange(&m_stop, 1);
        for (Slot* slot = current; slot->kind != Slot::Finish;) {
            Release();
            slot = &Take();
        }
    }

private:
    LONG Filled() const { return InterlockedCompareExchange(&m_filled, 0, 0); }

    KernelHandle m_room;
    KernelHandle m_filledEvent;
    std::unique_ptr<char[]> m_memory;
    Slot m_slots[kSlots];
    unsigned m_produced = 0;   // touched by the inflating thread only
    unsigned m_consumed = 0;   // touched by the writing thread only
    mutable volatile LONG m_filled = 0;
    mutable volatile LONG m_inflaterWaits = 0;
    mutable volatile LONG m_writerWaits = 0;
    mutable volatile LONG m_stop = 0;
};

bool IsFolderName(const char* name) {
    const size_t length = strlen(name);
    return length != 0 && (name[length - 1] == '/' || name[length - 1] == '\\');
}

struct InflateJob {
    Ring* ring;
    unzFile archive;
    ZPOS64_T entries;
    bool keepIconLibrary;
};

// Inflates one entry into as many slots as it needs; false when the walk
// must end (the stop asked for, or the archive cannot be read on).
bool InflateEntry(const InflateJob& job) {
    Slot* slot = &job.ring->Claim();
    slot->kind = Slot::Entry;
    slot->bytes = 0;
    slot->last = true;
    slot->status = kEntryOk;
    slot->name[0] = '\0';
    slot->readable = unzGetCurrentFileInfo64(job.archive, &slot->info, slot->name, kEntryNameBytes - 1,
                                             nullptr, 0, nullptr, 0) == UNZ_OK;
    if (!slot->readable) {
        job.ring->Publish();
        return false;
    }
    // Only a file's bytes are wanted: not a folder's, not the icon library
    // kept on purpose, not those of a name the writing side refuses anyway.
    const bool wanted = slot->info.size_filename < kEntryNameBytes && !IsFolderName(slot->name) &&
                        !(job.keepIconLibrary && NameHasIconLibrary(slot->name));
    if (!wanted) {
        job.ring->Publish();
        return true;
    }
    if (unzOpenCurrentFilePassword(job.archive, nullptr) != UNZ_OK) {
        unzCloseCurrentFile(job.archive);
        slot->status = kEntryFailed;
        job.ring->Publish();
        return false;
    }
    const ZPOS64_T announced = slot->info.uncompressed_size;
    ZPOS64_T inflated = 0;
    int status = kEntryOk;
    for (;;) {
        int read = 0;
        while (slot->bytes < kSlotBytes) {
            read = unzReadCurrentFile(job.archive, slot->data + slot->bytes, kSlotBytes - slot->bytes);
            if (read <= 0) break;
            slot->bytes += static_cast<DWORD>(read);
        }
        inflated += slot->bytes;
        if (read < 0) status = read;
        const bool ended = read <= 0;
        if (ended) {
            // minizip checks the checksum only when the whole announced size
            // was inflated; data that ends early would otherwise pass.
            if (status == kEntryOk && inflated != announced) status = kEntryFailed;
            const int closed = unzCloseCurrentFile(job.archive);
            if (status == kEntryOk && closed != UNZ_OK) status = closed;
            slot->last = true;
            slot->status = status;
            job.ring->Publish();
            return status == kEntryOk;
        }
        slot->last = false;
        job.ring->Publish();
        if (job.ring->Stopped()) {
            unzCloseCurrentFile(job.archive);
            return false;
        }
        slot = &job.ring->Claim();
        slot->kind = Slot::More;
        slot->bytes = 0;
    }
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

DWORD WINAPI InflateAll(void* parameter) {
    const InflateJob& job = *static_cast<InflateJob*>(parameter);
    int walk = kEntryOk;
    for (ZPOS64_T index = 0; index < job.entries; ++index) {
        if (job.ring->Stopped() || !InflateEntry(job)) {
            walk = kExtractIncomplete;
            break;
        }
        if (index + 1 < job.entries && unzGoToNextFile(job.archive) != UNZ_OK) {
            walk = kExtractIncomplete;
            break;
        }
    }
    if (walk == kEntryOk && CentralDirectoryGoesOn(job.archive)) walk = kExtractIncomplete;
    Slot& finish = job.ring->Claim();
    finish.kind = Slot::Finish;
    finish.status = walk;
    job.ring->Publish();
    return 0;
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
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[kSlotBytes]);
        if (!buffer) return false;
        for (ZPOS64_T left = m_matched; left != 0;) {
            const DWORD part = left < kSlotBytes ? static_cast<DWORD>(left) : kSlotBytes;
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
        if (!m_held) m_held.reset(new (std::nothrow) char[kSlotBytes]);
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

class Writer {
public:
    Writer(Ring& ring, bool keepIconLibrary, Transaction* transaction, const std::wstring& base)
        : m_ring(ring), m_keepIconLibrary(keepIconLibrary), m_transaction(transaction), m_base(base) {}

    // Writes the entry that starts in this slot and takes the rest of its
    // slots, unless the walk ends here (Broken: the caller drains).
    Outcome Entry(Slot*& slot) {
        Outcome outcome = Write(slot);
        if (outcome != Outcome::Broken) Skip(slot);
        return outcome;
    }

private:
    void Note(const std::wstring& path, DWORD error) {
        if (m_transaction) m_transaction->NoteFailure(path, error);
    }
    // Takes the next slot of the entry.
    void Next(Slot*& slot) {
        m_ring.Release();
        slot = &m_ring.Take();
    }
    // Takes what is left of the entry.
    void Skip(Slot*& slot) {
        while (!slot->last) Next(slot);
    }
    static DWORD ArchiveError(int status) { return status == UNZ_CRCERROR ? ERROR_CRC : ERROR_FILE_CORRUPT; }

    Outcome Write(Slot*& slot) {
        if (!slot->readable) return Outcome::Broken;
        const unz_file_info64& info = slot->info;
        const char* name = slot->name;
        if (m_keepIconLibrary && NameHasIconLibrary(name)) return Outcome::Done;

        wchar_t wideName[kEntryWideChars];
        const bool nameFits = info.size_filename < kEntryNameBytes && ToWide(name, wideName);
        if (nameFits && !IsContainedName(wideName)) {
            Note(FullPath(m_base, wideName), ERROR_FILE_CORRUPT);
            return Outcome::Broken;
        }
        // A NUL inside the stored name would make this entry land on another
        // entry's file ("pixo32.exe\0..." overwrites the viewer).
        if (nameFits && strlen(name) != info.size_filename) return Outcome::Broken;
        if (!nameFits) return Outcome::Missing;

        const std::wstring fullPath = FullPath(m_base, wideName);
        if (fullPath.back() == L'\\') {
            // A folder carries no data; one that does is a file whose name was damaged.
            if (info.uncompressed_size != 0) return Outcome::Broken;
            return EnsureFolder(m_transaction, m_base, fullPath, m_lastFolder) ? Outcome::Done : Outcome::Broken;
        }
        // Its folder entry may come later or not at all.
        if (!EnsureFolder(m_transaction, m_base, FolderPart(fullPath), m_lastFolder)) return Outcome::Broken;
        if (slot->last && slot->status != kEntryOk && slot->bytes == 0) {
            Note(fullPath, ArchiveError(slot->status));
            return Outcome::Broken;
        }
        const uint32_t dosDate = static_cast<uint32_t>(info.dosDate);
        // The data goes under a temporary name and takes the file's name only
        // when whole; the earlier file waits aside until the commit.
        const std::wstring writeTo = m_transaction ? m_transaction->BeginFile(fullPath) : fullPath;
        if (writeTo.empty()) return Outcome::Broken;   // a link or folder in the file's place
        EntrySink sink = writeTo != fullPath ? EntrySink(fullPath, info.uncompressed_size) : EntrySink();
        if (!sink.Comparing() && !sink.StartWriting(writeTo)) {
            // Read-only, or a folder of that name: the walk goes on so that
            // every other file is in place.
            Note(fullPath, GetLastError());
            return Outcome::Missing;
        }
        for (;;) {
            if (sink.Comparing() && !sink.Matches(slot->data, slot->bytes) && !sink.StartWriting(writeTo)) {
                Note(fullPath, GetLastError());
                return Outcome::Missing;
            }
            if (!sink.Comparing() && !sink.Write(slot->data, slot->bytes)) {
                Note(fullPath, GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
                return Outcome::Broken;
            }
            if (slot->last) break;
            Next(slot);
        }
        if (slot->status != kEntryOk) {
            Note(fullPath, ArchiveError(slot->status));
            return Outcome::Broken;
        }
        // An update over the same file: nothing written, nothing to undo.
        const bool same = sink.Comparing();
        if (!sink.Finish(dosDate)) {
            Note(fullPath, GetLastError());
            return Outcome::Broken;
        }
        if (same) return Outcome::Done;
        if (m_transaction && !m_transaction->PlaceFile(fullPath)) return Outcome::Missing;
        return Outcome::Done;
    }

    Ring& m_ring;
    const bool m_keepIconLibrary;
    Transaction* const m_transaction;
    const std::wstring& m_base;
    std::wstring m_lastFolder;
};

// The payload resource as mapped with the program; false when missing or empty.
bool PayloadResource(int resourceId, const wchar_t* resourceType, const void*& data, DWORD& size) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(self, MAKEINTRESOURCEW(resourceId), resourceType);
    HGLOBAL loaded = resource ? LoadResource(self, resource) : nullptr;
    data = loaded ? LockResource(loaded) : nullptr;
    size = data ? SizeofResource(self, resource) : 0;
    return data && size != 0;
}

int WalkArchive(ZipReader& archive, const wchar_t* targetFolder, bool keepIconLibrary,
                Transaction* transaction, const ExtractionProgress* progress) {
    std::wstring base(targetFolder);
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    if (!archive.get()) return -1;
    const DWORD target = GetFileAttributesW(targetFolder);
    if (target == INVALID_FILE_ATTRIBUTES || !(target & FILE_ATTRIBUTE_DIRECTORY)) return -1;

    unz_global_info64 global;
    if (unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) return kExtractIncomplete;
    // No payload is empty: an archive without entries has lost its end record.
    if (global.number_entry == 0) return kExtractIncomplete;

    Ring ring;
    if (!ring.Ready()) return -1;
    InflateJob job{&ring, archive.get(), global.number_entry, keepIconLibrary};
    KernelHandle inflater(CreateThread(nullptr, 0, InflateAll, &job, 0, nullptr));
    if (!inflater) {
        if (transaction) transaction->NoteFailure(base, GetLastError());
        return -1;
    }

    // Whatever stops the walk early, or any file left unwritten, makes the
    // result kExtractIncomplete: the installation must not be reported as done.
    int result = 0;
    Writer writer(ring, keepIconLibrary, transaction, base);
    unsigned done = 0;
    Slot* slot = &ring.Take();
    while (slot->kind == Slot::Entry) {
        const Outcome outcome = writer.Entry(slot);
        if (outcome != Outcome::Done) result = kExtractIncomplete;
        if (outcome == Outcome::Broken) break;
        ++done;
        if (progress && progress->report) {
            progress->report(progress->context, done, static_cast<unsigned>(global.number_entry));
        }
        ring.Release();
        slot = &ring.Take();
    }
    if (slot->kind == Slot::Finish) {
        if (slot->status != kEntryOk) result = kExtractIncomplete;
    } else {
        ring.StopAndDrain(slot);
    }
    WaitForSingleObject(inflater.Get(), INFINITE);
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
                   bool keepIconLibrary, Transaction* transaction,
                   const ExtractionProgress* progress) {
    const void* data = nullptr;
    DWORD size = 0;
    if (!PayloadResource(resourceId, resourceType, data, size)) return -1;
    ZipReader archive(data, size);
    return WalkArchive(archive, targetFolder, keepIconLibrary, transaction, progress);
}

int ExtractArchive(const wchar_t* archivePath, const wchar_t* targetFolder, bool keepIconLibrary,
                   Transaction* transaction, const ExtractionProgress* progress) {
    ZipReader archive(archivePath);
    return WalkArchive(archive, targetFolder, keepIconLibrary, transaction, progress);
}
