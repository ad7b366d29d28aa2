#include "test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <vector>

#include "iowin32.h"

namespace pxtest {

namespace {

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::string RawDeflate(const std::string& data) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                           Z_DEFAULT_STRATEGY),
              Z_OK);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

}  // namespace

ScratchFolder::ScratchFolder(const wchar_t* tag) {
    static unsigned counter = 0;
    wchar_t name[96];
    _snwprintf(name, 95, L"px_%ls_%lu_%u", tag, GetCurrentProcessId(), ++counter);
    name[95] = L'\0';
    m_path = TempFolder() + name + L"\\";
    RemoveTree(m_path);
    EXPECT_TRUE(CreateDirectoryW(m_path.c_str(), nullptr)) << Narrow(m_path);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(m_path);
}

CurrentFolderGuard::CurrentFolderGuard() : m_saved(CurrentFolder()) {}

CurrentFolderGuard::~CurrentFolderGuard() {
    SetCurrentDirectoryW(m_saved.c_str());
}

std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    return WithBackslash(buffer);
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, buffer);
    return WithBackslash(buffer);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return "<missing>";
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    fclose(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr) << Narrow(path);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

void RemoveTree(const std::wstring& path) {
    std::wstring folder = WithBackslash(path);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = folder + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring Utf16(const std::string& bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    memcpy(&text[0], bytes.data(), text.size() * 2);
    return text;
}

std::string Narrow(const std::wstring& text) {
    char buffer[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

FILETIME LocalDosTimeToUtc(uint32_t dosDateTime) {
    FILETIME local{}, utc{};
    DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

ZipWriter::ZipWriter(const std::wstring& path) {
    zlib_filefunc64_def functions;
    fill_win32_filefunc64W(&functions);
    m_zip = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    EXPECT_NE(m_zip, nullptr) << Narrow(path);
}

ZipWriter::~ZipWriter() {
    Close();
}

void ZipWriter::AddFile(const std::string& name, const std::string& data, uint32_t dosDateTime,
                        bool deflate) {
    zip_fileinfo info{};
    info.dosDate = dosDateTime;
    ASSERT_EQ(zipOpenNewFileInZip(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION),
              ZIP_OK);
    if (!data.empty()) {
        ASSERT_EQ(zipWriteInFileInZip(m_zip, data.data(), static_cast<unsigned>(data.size())),
                  ZIP_OK);
    }
    ASSERT_EQ(zipCloseFileInZip(m_zip), ZIP_OK);
}

void ZipWriter::AddFolder(const std::string& name) {
    AddFile(name, std::string(), DosDateTime(2020, 5, 17, 10, 20, 30), false);
}

void ZipWriter::AddRawStored(const std::string& name, const std::string& data, uint32_t crc,
                             uint32_t uncompressedSize) {
    zip_fileinfo info{};
    info.dosDate = DosDateTime(2020, 5, 17, 10, 20, 30);
    ASSERT_EQ(zipOpenNewFileInZip2(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0,
                                   0, 1),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(m_zip, data.data(), static_cast<unsigned>(data.size())), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZipRaw(m_zip, uncompressedSize, crc), ZIP_OK);
}

void ZipWriter::AddCutDeflated(const std::string& name, const std::string& data,
                               size_t keepBytes) {
    std::string compressed = RawDeflate(data);
    ASSERT_LT(keepBytes, compressed.size());
    compressed.resize(keepBytes);
    zip_fileinfo info{};
    info.dosDate = DosDateTime(2020, 5, 17, 10, 20, 30);
    ASSERT_EQ(zipOpenNewFileInZip2(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                   Z_DEFLATED, Z_BEST_COMPRESSION, 1),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(m_zip, compressed.data(),
                                  static_cast<unsigned>(compressed.size())),
              ZIP_OK);
    ASSERT_EQ(zipCloseFileInZipRaw(m_zip, static_cast<uLong>(data.size()), Crc32(data)), ZIP_OK);
}

void ZipWriter::Close() {
    if (m_zip) {
        EXPECT_EQ(zipClose(m_zip, nullptr), ZIP_OK);
        m_zip = nullptr;
    }
}

uint32_t Crc32(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string SampleData(size_t bytes, unsigned seed) {
    std::string data(bytes, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < bytes; ++i) {
        state = state * 1103515245u + 12345u;
        // Words from a small alphabet: compressible, yet every buffer differs.
        data[i] = static_cast<char>('a' + (state >> 16) % 12);
        if (i % 61 == 60) data[i] = '\n';
    }
    return data;
}

}  // namespace pxtest
