// Unpacking of the embedded payload archive into the target folder.
#pragma once

#include <cstdint>

struct FileJournal;

// Hears the walk's progress: entries done of all, after each entry.
struct ExtractionProgress {
    void (*report)(void* context, unsigned done, unsigned total) = nullptr;
    void* context = nullptr;
};

// 0 = opened and walked completely; -1 = could not start (resource, temporary
// file, archive, target folder); kExtractIncomplete = the walk stopped early
// or a file could not be written.
constexpr int kExtractIncomplete = 1;

// With a journal, every file and folder written is noted in it (earlier files
// moved aside) and the first failure with its Windows error; without one, the
// files are written in place.
int ExtractPayload(int resourceId, const wchar_t* resourceType, const wchar_t* tempName,
                   const wchar_t* targetFolder, int keepIconLibrary,
                   FileJournal* journal = nullptr,
                   const ExtractionProgress* progress = nullptr);
// Characters of the payload's longest entry name, the deepest path below the
// target folder, read from the embedded archive's central directory without
// unpacking anything; -1 when the resource or its directory cannot be read.
int LongestPayloadEntry(int resourceId, const wchar_t* resourceType);
int ExtractArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary,
                   FileJournal* journal = nullptr,
                   const ExtractionProgress* progress = nullptr);
void SetFileDateFromEntry(const wchar_t* fileName, uint32_t dosDateTime);
int MakeParentDirectories(const wchar_t* relativePath);   // 1, 0, -104
