// Seeded mutations of the real payload archive through the real extraction:
// bit flips in headers and data, truncations, oversized and escaping entry
// names, wrong entry counts, sizes, checksums and methods. After every run:
// no file or folder appeared or changed outside the scratch target (a
// sentinel folder beside it and every folder above it are compared), and a
// result of 0 means that every file of the payload arrived with its exact
// bytes. A damaged archive may fail in any way, but never as a success.
// The seed is fixed; PX_FUZZ_VERBOSE=1 prints each mutation before it runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "extraction.h"
#include "fuzz_support.h"
#include "test_support.h"

using pxfuzz::Rng;

namespace {

constexpr int kPayloadResource = 1;   // the payload archive as RCDATA of this program
constexpr int kIterations = 1008;   // 84 of each kind of damage

// --- bytes and the archive's structure -------------------------------------

uint32_t Get16(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t Get32(const std::string& b, size_t at) {
    return Get16(b, at) | Get16(b, at + 2) << 16;
}
void Put16(std::string& b, size_t at, uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Append16(std::string& b, uint32_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}
void Append32(std::string& b, uint32_t v) {
    Append16(b, v & 0xFFFF);
    Append16(b, v >> 16);
}

struct Entry {
    std::string name;
    uint32_t method = 0, flags = 0, crc = 0, compressedSize = 0, size = 0, dosDate = 0;
    size_t centralOffset = 0, centralLength = 0;   // header, name, extra field, comment
    size_t localOffset = 0, localLength = 0;       // header, name, extra field
    size_t dataOffset = 0;
    std::string data;                              // as stored (compressed)
    bool IsFolder() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }
};

struct Layout {
    std::vector<Entry> entries;
    size_t endOffset = 0;       // end-of-central-directory record
    size_t centralStart = 0;
    size_t centralSize = 0;
};

// Reads the archive the way the ZIP format lays it out; the payload the
// build makes has no archive comment, no ZIP64 and no data descriptors.
bool ParseZip(const std::string& zip, Layout& out) {
    if (zip.size() < 22) return false;
    size_t end = zip.size() - 22;
    while (Get32(zip, end) != 0x06054b50) {
        if (end == 0) return false;
        --end;
    }
    out.endOffset = end;
    out.centralSize = Get32(zip, end + 12);
    out.centralStart = Get32(zip, end + 16);
    const uint32_t count = Get16(zip, end + 10);
    size_t at = out.centralStart;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + 46 > zip.size() || Get32(zip, at) != 0x02014b50) return false;
        Entry e;
        e.flags = Get16(zip, at + 8);
        e.method = Get16(zip, at + 10);
        e.dosDate = Get32(zip, at + 12);
        e.crc = Get32(zip, at + 16);
        e.compressedSize = Get32(zip, at + 20);
        e.size = Get32(zip, at + 24);
        const size_t nameLength = Get16(zip, at + 28);
        e.centralOffset = at;
        e.centralLength = 46 + nameLength + Get16(zip, at + 30) + Get16(zip, at + 32);
        e.name = zip.substr(at + 46, nameLength);
        e.localOffset = Get32(zip, at + 42);
        if (e.localOffset + 30 > zip.size() || Get32(zip, e.localOffset) != 0x04034b50) return false;
        e.localLength = 30 + Get16(zip, e.localOffset + 26) + Get16(zip, e.localOffset + 28);
        e.dataOffset = e.localOffset + e.localLength;
        if (e.dataOffset + e.compressedSize > zip.size()) return false;
        e.data = zip.substr(e.dataOffset, e.compressedSize);
        out.entries.push_back(e);
        at += e.centralLength;
    }
    return true;
}

// Writes an archive from entries as they are: names, sizes, checksums and
// methods are not checked, so that they can lie. `count` overrides the
// entry count of the end record (both of its fields) when not negative.
std::string BuildZip(const std::vector<Entry>& entries, long count = -1) {
    std::string zip;
    std::vector<size_t> offsets;
    for (const Entry& e : entries) {
        offsets.push_back(zip.size());
        Append32(zip, 0x04034b50);
        Append16(zip, 20);
        Append16(zip, e.flags);
        Append16(zip, e.method);
        Append32(zip, e.dosDate);
        Append32(zip, e.crc);
        Append32(zip, e.compressedSize);
        Append32(zip, e.size);
        Append16(zip, static_cast<uint32_t>(e.name.size()));
        Append16(zip, 0);
        zip += e.name;
        zip += e.data;
    }
    const size_t centralStart = zip.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        Append32(zip, 0x02014b50);
        Append16(zip, 20);
        Append16(zip, 20);
        Append16(zip, e.flags);
        Append16(zip, e.method);
        Append32(zip, e.dosDate);
        Append32(zip, e.crc);
        Append32(zip, e.compressedSize);
        Append32(zip, e.size);
        Append16(zip, static_cast<uint32_t>(e.name.size()));
        Append16(zip, 0);
        Append16(zip, 0);
        Append16(zip, 0);
        Append16(zip, 0);
        Append32(zip, e.IsFolder() ? 0x10 : 0);
        Append32(zip, static_cast<uint32_t>(offsets[i]));
        zip += e.name;
    }
    const size_t centralSize = zip.size() - centralStart;
    const uint32_t n = count < 0 ? static_cast<uint32_t>(entries.size()) : static_cast<uint32_t>(count);
    Append32(zip, 0x06054b50);
    Append16(zip, 0);
    Append16(zip, 0);
    Append16(zip, n);
    Append16(zip, n);
    Append32(zip, static_cast<uint32_t>(centralSize));
    Append32(zip, static_cast<uint32_t>(centralStart));
    Append16(zip, 0);
    return zip;
}

// The entry's bytes, inflated here with zlib alone (independent of the
// extraction under test) and checked against the stored checksum.
bool Inflate(const Entry& e, std::string& out) {
    if (e.method == 0) {
        out = e.data;
    } else {
        out.assign(e.size, '\0');
        z_stream s{};
        if (inflateInit2(&s, -MAX_WBITS) != Z_OK) return false;
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(e.data.data()));
        s.avail_in = static_cast<uInt>(e.data.size());
        s.next_out = reinterpret_cast<Bytef*>(&out[0]);
        s.avail_out = static_cast<uInt>(out.size());
        int rc = inflate(&s, Z_FINISH);
        inflateEnd(&s);
        if (rc != Z_STREAM_END || s.total_out != e.size) return false;
    }
    return crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())) ==
           e.crc;
}

uint64_t Fnv(const std::string& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string Printable(const std::string& bytes, size_t max = 80) {
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < max; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    if (bytes.size() > max) out += "...(" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

// --- the file system -------------------------------------------------------

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    return CloseHandle(file) && ok;
}

// One line per entry of a folder (not recursive): name, kind, size and
// last-write time, so that a new, removed or rewritten item shows.
std::vector<std::string> Listing(const std::wstring& folder) {
    std::vector<std::string> lines;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return lines;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        char line[128];
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::snprintf(line, sizeof line, " %c %lu %lu:%lu", isFolder ? 'd' : 'f',
                      isFolder ? 0ul : static_cast<unsigned long>(found.nFileSizeLow),
                      isFolder ? 0ul : static_cast<unsigned long>(found.ftLastWriteTime.dwHighDateTime),
                      isFolder ? 0ul : static_cast<unsigned long>(found.ftLastWriteTime.dwLowDateTime));
        lines.push_back(Utf8(name) + line);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Every file below a folder: relative name and bytes. Each file is read
// through a handle that deletes it on close and each folder is removed after
// its files, so that reading back also empties the target for the next run
// (one open per file instead of two: Wine's file calls are what cost here).
void TakeFiles(const std::wstring& folder, const std::wstring& prefix, bool read,
               std::map<std::wstring, std::string>& out) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> folders;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders.push_back(name);
            continue;
        }
        std::string bytes = "<unreadable>";
        HANDLE file = CreateFileW((folder + name).c_str(), (read ? GENERIC_READ : 0) | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE && !read) {
            bytes.clear();
            CloseHandle(file);
        } else if (file != INVALID_HANDLE_VALUE) {
            // On the heap: this function recurses once per folder level.
            bytes.clear();
            std::vector<char> chunk(65536);
            DWORD n = 0;
            while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr) && n > 0) {
                bytes.append(chunk.data(), n);
            }
            CloseHandle(file);
        }
        out[prefix + name] = bytes;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& name : folders) {
        TakeFiles(folder + name + L"\\", prefix + name + L"\\", read, out);
        RemoveDirectoryW((folder + name).c_str());
    }
}

std::vector<std::pair<size_t, uint64_t>> ContentSet(const std::vector<std::string>& contents) {
    std::vector<std::pair<size_t, uint64_t>> set;
    for (const std::string& c : contents) set.emplace_back(c.size(), Fnv(c));
    std::sort(set.begin(), set.end());
    return set;
}

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

// --- the fuzzing run ---------------------------------------------------------

enum Kind {
    kLocalHeaderFlip, kDataFlip, kCentralFlip, kEndRecordFlip, kTruncation, kGarbage,
    kEscapingName, kOversizedName, kOddName, kEntryCount, kSizeOrChecksum, kMethodOrFlags,
    kKinds
};
const char* const kKindNames[kKinds] = {
    "bit flip, local header", "bit flip, data", "bit flip, central directory",
    "bit flip, end record", "truncation", "random bytes over a range", "escaping name",
    "oversized name", "device, stream or odd name", "wrong entry count",
    "wrong size or checksum", "wrong method or flags"};

const char* const kEscapingNames[] = {
    "../px_escape.txt", "..\\px_escape.txt", "Plugins/../../px_escape.txt",
    "a/b/../../../px_escape.txt", ".. /px_escape.txt", "..../px_escape.txt",
    "Help/.../px_escape.txt", "./../px_escape.txt", "/px_escape.txt", "\\px_escape.txt",
    "C:\\px_escape.txt", "C:px_escape.txt", "C:/px_escape.txt", "\\\\?\\C:\\px_escape.txt",
    "\\\\.\\C:\\px_escape.txt", "//localhost/C$/px_escape.txt",
    "../../../../../../../../../../../../px_escape.txt", "Plugins\\..\\..\\..\\px_escape.txt",
    "../run/Wache/wache.txt", "../Wache/wache.txt", "..", "../", "Html/../..",
};
const char* const kOddNames[] = {
    "NUL", "nul.txt", "Help/NUL", "Plugins/nul.dll", "px.txt:stream", "px.txt::$DATA",
    "./ok.txt", "a//b.txt", "\xDC" "bung.txt", "\xE5\x90\x8D.txt", "trailing. ", "x/ y /z",
    "pixo32.exe\0../../px_escape.txt", "", "/", "*?.txt", "a<b>|.txt", "Plugins/",
};

class ArchiveFuzz : public ::testing::Test {
protected:
    void SetUp() override {
        HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(kPayloadResource), RT_RCDATA);
        ASSERT_NE(resource, nullptr);
        HGLOBAL loaded = LoadResource(nullptr, resource);
        const char* data = static_cast<const char*>(LockResource(loaded));
        m_payload.assign(data, SizeofResource(nullptr, resource));
        ASSERT_TRUE(ParseZip(m_payload, m_layout));
        ASSERT_GE(m_layout.entries.size(), 40u);
        for (const Entry& e : m_layout.entries) {
            if (e.IsFolder()) continue;
            std::string bytes;
            ASSERT_TRUE(Inflate(e, bytes)) << e.name;
            m_expected.push_back(bytes);
        }
        m_expectedSet = ContentSet(m_expected);

        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        m_temp = WithBackslash(temp);
        m_base = m_temp + L"px_archive_fuzz\\";
        pxtest::RemoveTree(m_base);
        ASSERT_TRUE(CreateDirectoryW(m_base.c_str(), nullptr));
        m_root = m_base + L"run\\";
        m_target = m_root + L"Ziel\\";
        m_sentinel = m_root + L"Wache\\";
        m_archive = m_base + L"mutated.zip";
        ASSERT_TRUE(CreateDirectoryW(m_root.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(m_target.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(m_sentinel.c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(m_sentinel + L"wache.txt", "nicht anfassen"));
        // Every folder above the scratch folder, up to the drive's root, and
        // under Wine the host's root folder: Wine reads a name that begins
        // with "/" as a host path.
        for (std::wstring f = m_base; f.size() > 3;) {
            f = f.substr(0, f.find_last_of(L'\\', f.size() - 2) + 1);
            m_watched.push_back(f);
        }
        if (GetDriveTypeW(L"Z:\\") != DRIVE_NO_ROOT_DIR) m_watched.push_back(L"Z:\\");
    }

    void TearDown() override {
        SetCurrentDirectoryW(m_temp.c_str());
        pxtest::RemoveTree(m_base);
    }

    // The state outside the target: the sentinel folder with its file, the
    // scratch folders and every folder above them.
    std::vector<std::string> Outside() {
        std::vector<std::string> state;
        auto add = [&](const std::wstring& folder, const std::vector<std::string>& lines) {
            for (const std::string& l : lines) state.push_back(Utf8(folder) + "|" + l);
        };
        add(m_sentinel, Listing(m_sentinel));
        state.push_back("wache.txt=" + pxtest::ReadBytes(m_sentinel + L"wache.txt"));
        add(m_root, Listing(m_root));
        std::vector<std::string> base = Listing(m_base);
        // The archive itself changes with every run.
        base.erase(std::remove_if(base.begin(), base.end(),
                                  [](const std::string& l) { return l.rfind("mutated.zip ", 0) == 0; }),
                   base.end());
        add(m_base, base);
        for (const std::wstring& f : m_watched) add(f, Listing(f));
        return state;
    }

    // Runs one archive; returns an empty text or what went wrong.
    std::string Check(const std::string& zip, int& result) {
        const DWORD t0 = GetTickCount();
        if (!WriteFileBytes(m_archive, zip)) return "cannot write the archive";
        const DWORD t1 = GetTickCount();
        result = ExtractArchive(m_archive.c_str(), m_target.c_str(), false);
        SetCurrentDirectoryW(m_base.c_str());
        const DWORD t2 = GetTickCount();
        m_msWrite += t1 - t0;
        m_msExtract += t2 - t1;
        std::string problem;
        if (result != 0 && result != kExtractIncomplete && result != -1) {
            problem = "result " + std::to_string(result) + " is none of 0, 1, -1";
        }
        std::vector<std::string> outside = Outside();
        m_msOutside += GetTickCount() - t2;
        if (problem.empty() && outside != m_outside) {
            problem = "something outside the target changed:";
            for (const std::string& l : outside) {
                if (std::find(m_outside.begin(), m_outside.end(), l) == m_outside.end()) {
                    problem += "\n    new or changed: " + l;
                }
            }
            for (const std::string& l : m_outside) {
                if (std::find(outside.begin(), outside.end(), l) == outside.end()) {
                    problem += "\n    gone or changed: " + l;
                }
            }
        }
        // The bytes matter only when the extraction claims success.
        std::map<std::wstring, std::string> files;
        TakeFiles(m_target, L"", result == 0, files);
        if (problem.empty() && result == 0) {
            std::vector<std::string> contents;
            for (const auto& f : files) contents.push_back(f.second);
            if (ContentSet(contents) != m_expectedSet) {
                problem = "result 0, but the target holds " + std::to_string(files.size()) +
                          " files instead of the payload's " + std::to_string(m_expected.size()) +
                          " (or their bytes differ)";
            }
        }
        // Whatever TakeFiles could not remove (a read-only file) goes here.
        const DWORD t3 = GetTickCount();
        pxtest::RemoveTree(m_target);
        CreateDirectoryW(m_target.c_str(), nullptr);
        m_msCheck += t3 - t2;
        m_msClean += GetTickCount() - t3;
        return problem;
    }

    Entry& RandomEntry(std::vector<Entry>& entries, Rng& rng, bool withData) {
        for (;;) {
            Entry& e = entries[static_cast<size_t>(rng.Below(static_cast<int>(entries.size())))];
            if (!withData || !e.data.empty()) return e;
        }
    }

    static void FlipBit(std::string& bytes, size_t at, Rng& rng) {
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << rng.Below(8)));
    }

    // One mutation of the payload of the given kind; `what` describes it.
    std::string Mutate(Kind kind, Rng& rng, std::string& what) {
        std::string zip = m_payload;
        std::vector<Entry> entries = m_layout.entries;
        const size_t n = entries.size();
        switch (kind) {
        case kLocalHeaderFlip: {
            const Entry& e = RandomEntry(entries, rng, false);
            size_t at = e.localOffset + static_cast<size_t>(rng.Below(static_cast<int>(e.localLength)));
            FlipBit(zip, at, rng);
            what = "flip at " + std::to_string(at) + " (local header of " + e.name + ")";
            return zip;
        }
        case kDataFlip: {
            const Entry& e = RandomEntry(entries, rng, true);
            size_t at = e.dataOffset + static_cast<size_t>(rng.Below(static_cast<int>(e.data.size())));
            FlipBit(zip, at, rng);
            what = "flip at " + std::to_string(at) + " (data of " + e.name + ")";
            return zip;
        }
        case kCentralFlip: {
            const Entry& e = RandomEntry(entries, rng, false);
            size_t at = e.centralOffset + static_cast<size_t>(rng.Below(static_cast<int>(e.centralLength)));
            FlipBit(zip, at, rng);
            what = "flip at " + std::to_string(at) + " (central header of " + e.name + ")";
            return zip;
        }
        case kEndRecordFlip: {
            size_t at = m_layout.endOffset + static_cast<size_t>(rng.Below(22));
            FlipBit(zip, at, rng);
            what = "flip at " + std::to_string(at) + " (end record)";
            return zip;
        }
        case kTruncation: {
            size_t keep;
            switch (rng.Below(4)) {
            case 0: keep = zip.size() - 1 - static_cast<size_t>(rng.Below(22)); break;
            case 1: keep = m_layout.centralStart + static_cast<size_t>(rng.Below(static_cast<int>(m_layout.centralSize))); break;
            case 2: keep = RandomEntry(entries, rng, true).dataOffset + 1; break;
            default: keep = static_cast<size_t>(rng.Below(static_cast<int>(zip.size()))); break;
            }
            zip.resize(keep);
            what = "cut to " + std::to_string(keep) + " of " + std::to_string(m_payload.size()) + " bytes";
            return zip;
        }
        case kGarbage: {
            size_t length = 1 + static_cast<size_t>(rng.Below(16));
            size_t at = static_cast<size_t>(rng.Below(static_cast<int>(zip.size() - length)));
            for (size_t i = 0; i < length; ++i) zip[at + i] = static_cast<char>(rng.Below(256));
            what = std::to_string(length) + " random bytes at " + std::to_string(at);
            return zip;
        }
        case kEscapingName:
        case kOddName: {
            Entry& e = RandomEntry(entries, rng, true);
            const std::string old = e.name;
            if (kind == kEscapingName) {
                e.name = rng.Pick(kEscapingNames);
            } else {
                const char* picked = rng.Pick(kOddNames);
                // The name with an inner NUL keeps its bytes after it.
                e.name = std::strcmp(picked, "pixo32.exe") == 0
                             ? std::string("pixo32.exe\0../../px_escape.txt", 30)
                             : std::string(picked);
            }
            what = "entry " + old + " renamed to '" + Printable(e.name) + "'";
            return BuildZip(entries);
        }
        case kOversizedName: {
            const size_t lengths[] = {259, 300, 323, 324, 400, 518, 519, 520, 521, 1000, 5000, 65535};
            size_t length = rng.Pick(lengths);
            Entry& e = RandomEntry(entries, rng, true);
            std::string name = rng.Chance(50) ? "Plugins/" : "";
            while (name.size() < length) name += rng.Chance(90) ? 'a' : '/';
            name.resize(length);
            if (name.back() == '/') name.back() = 'z';
            what = "entry " + e.name + " renamed to a name of " + std::to_string(length) + " bytes";
            e.name = name;
            return BuildZip(entries);
        }
        case kEntryCount: {
            const long counts[] = {0, 1, static_cast<long>(n) - 2, static_cast<long>(n) - 1,
                                   static_cast<long>(n) + 1, 0xFFFF};
            long count = rng.Pick(counts);
            zip = BuildZip(entries, count);
            const size_t end = zip.size() - 22;
            if (rng.Chance(25)) Put16(zip, end + 8, static_cast<uint32_t>(n));   // one field only
            what = "end record says " + std::to_string(count) + " entries (" +
                   std::to_string(Get16(zip, end + 8)) + " on this disk) for " + std::to_string(n);
            return zip;
        }
        case kSizeOrChecksum: {
            Entry& e = RandomEntry(entries, rng, true);
            const char* field = "";
            switch (rng.Below(6)) {
            case 0: e.crc ^= 1u << rng.Below(32); field = "checksum"; break;
            case 1: e.size = e.size ? e.size - 1 : 1; field = "size - 1"; break;
            case 2: e.size += 1 + static_cast<uint32_t>(rng.Below(100000)); field = "larger size"; break;
            case 3: e.size = static_cast<uint32_t>(rng.Below(e.size + 1)); field = "smaller size"; break;
            case 4: e.compressedSize = static_cast<uint32_t>(rng.Below(static_cast<int>(e.compressedSize))); field = "smaller compressed size"; break;
            default: e.compressedSize += 1 + static_cast<uint32_t>(rng.Below(64)); field = "larger compressed size"; break;
            }
            what = std::string(field) + " of " + e.name;
            return BuildZip(entries);
        }
        case kMethodOrFlags:
        default: {
            Entry& e = RandomEntry(entries, rng, true);
            const char* change = "";
            switch (rng.Below(4)) {
            case 0: e.method = e.method == 8 ? 0 : 8; change = "stored/deflated swapped"; break;
            case 1: e.method = rng.Pick({1u, 9u, 12u, 14u, 99u}); change = "unknown method"; break;
            case 2: e.flags |= 1; change = "encrypted flag"; break;
            default: e.flags |= 0x40; change = "strong-encryption flag"; break;
            }
            what = std::string(change) + " on " + e.name;
            return BuildZip(entries);
        }
        }
    }

    // The payload with one entry renamed: refused (never 0) and nothing
    // written outside the target.
    void ExpectRefusedWhenRenamed(const std::string& original, const std::string& renamed) {
        std::vector<Entry> entries = m_layout.entries;
        for (Entry& e : entries) {
            if (e.name == original) e.name = renamed;
        }
        int result = -2;
        std::string problem = Check(BuildZip(entries), result);
        EXPECT_EQ(problem, "") << original << " stored as " << Printable(renamed);
        EXPECT_NE(result, 0) << original << " stored as " << Printable(renamed);
    }

    std::string m_payload;
    Layout m_layout;
    std::vector<std::string> m_expected;
    std::vector<std::pair<size_t, uint64_t>> m_expectedSet;
    std::wstring m_temp, m_base, m_root, m_target, m_sentinel, m_archive;
    std::vector<std::wstring> m_watched;
    std::vector<std::string> m_outside;
    DWORD m_msOutside = 0, m_msWrite = 0, m_msExtract = 0, m_msCheck = 0, m_msClean = 0;
};

TEST_F(ArchiveFuzz, DamagedPayloadsNeverEscapeTheTargetAndNeverSucceedIncomplete) {
    m_outside = Outside();
    int result = -2;
    std::string problem = Check(m_payload, result);
    ASSERT_EQ(problem, "") << "the undamaged payload";
    ASSERT_EQ(result, 0) << "the undamaged payload";
    ASSERT_EQ(Check(BuildZip(m_layout.entries), result), "") << "the payload written again";
    ASSERT_EQ(result, 0);

    struct Tally {
        int tried = 0, ok = 0, incomplete = 0, refused = 0, faults = 0;
    } tally[kKinds];
    Rng rng(0x5A49503130ull);   // fixed: "ZIP10"
    int faults = 0;
    const DWORD started = GetTickCount();
    const bool verbose = GetEnvironmentVariableW(L"PX_FUZZ_VERBOSE", nullptr, 0) != 0;
    for (int i = 0; i < kIterations; ++i) {
        Kind kind = static_cast<Kind>(i % kKinds);
        std::string what;
        std::string zip = Mutate(kind, rng, what);
        if (verbose) {
            std::printf("%d: %s\n", i, what.c_str());
            std::fflush(stdout);
        }
        problem = Check(zip, result);
        Tally& t = tally[kind];
        ++t.tried;
        if (result == 0) ++t.ok;
        else if (result == kExtractIncomplete) ++t.incomplete;
        else ++t.refused;
        if (!problem.empty()) {
            ++t.faults;
            if (++faults <= 25) {
                ADD_FAILURE() << "mutation " << i << " (" << kKindNames[kind] << "): " << what
                              << "\n  " << problem;
            }
        }
    }
    std::printf("%-30s %6s %6s %6s %6s %6s\n", "mutation", "tried", "0", "1", "-1", "faults");
    int total = 0;
    for (int k = 0; k < kKinds; ++k) {
        const Tally& t = tally[k];
        total += t.tried;
        std::printf("%-30s %6d %6d %6d %6d %6d\n", kKindNames[k], t.tried, t.ok, t.incomplete,
                    t.refused, t.faults);
    }
    std::printf("archives tried: %d in %.1f s (outside %.1f, extracting %.1f, checking %.1f, "
                "cleaning up %.1f)\n",
                total, (GetTickCount() - started) / 1000.0, m_msOutside / 1000.0,
                m_msExtract / 1000.0, m_msCheck / 1000.0, m_msClean / 1000.0);
    EXPECT_GE(total, 1000);
    EXPECT_EQ(faults, 0);
}

// Every escaping form once, in place of a file in the middle of the archive:
// refused (the archive counts as corrupt) and nothing written outside.
TEST_F(ArchiveFuzz, EveryEscapingNameIsRefused) {
    m_outside = Outside();
    for (const char* escaping : kEscapingNames) ExpectRefusedWhenRenamed("p_about.txt", escaping);
}

// The faults the mutations found, one input each, so that a report names them.

// An entry named like a DOS device goes to the device, not into the target:
// its bytes are lost while the installation reports success.
TEST_F(ArchiveFuzz, EntriesNamedLikeDevicesAreNotReportedAsWritten) {
    m_outside = Outside();
    for (const char* device : {"NUL", "nul.txt", "Help/NUL", "Plugins/nul.dll", "COM1 .dll"}) {
        ExpectRefusedWhenRenamed("p_about.txt", device);
    }
}

// A NUL inside a stored name cuts it short: the entry lands on another
// entry's file. A folder name on an entry with data loses the file.
TEST_F(ArchiveFuzz, NamesThatHideAnotherFileAreRefused) {
    m_outside = Outside();
    ExpectRefusedWhenRenamed("p_languages.txt", std::string("pixo32.exe\0../../px_escape.txt", 30));
    ExpectRefusedWhenRenamed("Plugins/Icons.dll", "Plugins/");
}

// An end record that counts fewer entries than its central directory holds
// (or whose counts were cut off with the end of the file) leaves files
// unwritten; minizip walks only the counted entries.
TEST_F(ArchiveFuzz, EntryCountBelowTheCentralDirectoryIsNotASuccess) {
    m_outside = Outside();
    const long n = static_cast<long>(m_layout.entries.size());
    for (long count : {n - 1, 1L, 0L}) {
        int result = -2;
        std::string problem = Check(BuildZip(m_layout.entries, count), result);
        EXPECT_EQ(problem, "") << "end record counts " << count << " of " << n << " entries";
        EXPECT_NE(result, 0) << "end record counts " << count << " of " << n << " entries";
    }
    // Reading past the end of the file gives zeros to minizip (UNZ_EOF is 0):
    // an end record cut after its signature reads as an empty archive.
    for (size_t cut : {18u, 10u}) {
        int result = -2;
        std::string problem = Check(m_payload.substr(0, m_payload.size() - cut), result);
        EXPECT_EQ(problem, "") << "last " << cut << " bytes cut";
        EXPECT_NE(result, 0) << "last " << cut << " bytes cut";
    }
}

}  // namespace
