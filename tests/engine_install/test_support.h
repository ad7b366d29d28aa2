// Helpers of the installation-engine tests: scratch folders, files, and ZIP
// archives written with minizip's own zip functions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "zip.h"

namespace pxtest {

// A fresh folder below the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return m_path; }   // ends in '\'
    std::wstring operator/(const std::wstring& relative) const { return m_path + relative; }

private:
    std::wstring m_path;
};

// Puts the process's current folder back when the test ends.
class CurrentFolderGuard {
public:
    CurrentFolderGuard();
    ~CurrentFolderGuard();
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    std::wstring m_saved;
};

std::wstring CurrentFolder();           // with a trailing '\'
std::wstring TempFolder();              // GetTempPathW, with a trailing '\'
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
void RemoveTree(const std::wstring& path);
std::wstring Utf16(const std::string& bytes);   // bytes read as UTF-16LE
std::string Narrow(const std::wstring& text);   // for messages
FILETIME LocalDosTimeToUtc(uint32_t dosDateTime);
bool SameTime(const FILETIME& a, const FILETIME& b);

constexpr uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second) {
    return (static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day) << 16) |
           static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
}

// A ZIP archive made entry by entry with minizip.
class ZipWriter {
public:
    explicit ZipWriter(const std::wstring& path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    void AddFile(const std::string& name, const std::string& data,
                 uint32_t dosDateTime = DosDateTime(2020, 5, 17, 10, 20, 30), bool deflate = true);
    void AddFolder(const std::string& name);
    // Stored entry with data, checksum and size given as they are, so that
    // the archive can lie about them.
    void AddRawStored(const std::string& name, const std::string& data, uint32_t crc,
                      uint32_t uncompressedSize);
    // Deflated entry whose compressed stream is cut after keepBytes bytes.
    void AddCutDeflated(const std::string& name, const std::string& data, size_t keepBytes);
    void Close();

private:
    zipFile m_zip = nullptr;
};

uint32_t Crc32(const std::string& data);
std::string SampleData(size_t bytes, unsigned seed);   // compressible, not trivial

}  // namespace pxtest
