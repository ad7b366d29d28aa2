// Unpacking of the embedded payload archive into the target folder.
#pragma once

#include <cstdint>

class Transaction;

// 0 = opened and walked completely; -1 = could not start (resource,
// archive, target folder); kExtractIncomplete = the walk stopped early or a
// file could not be written.
constexpr int kExtractIncomplete = 1;

// Hears the walk's progress: entries done of all, after each entry.
struct ExtractionProgress {
    void (*report)(void* context, unsigned done, unsigned total) = nullptr;
    void* context = nullptr;
};

// With a transaction, every file and folder is noted in its journal before
// it is written, each file is written under a temporary name and renamed
// into place, and the first failure is noted with its Windows error;
// without one, the files are written in place.
int ExtractPayload(int resourceId, const wchar_t* resourceType, const wchar_t* targetFolder,
                   bool keepIconLibrary, Transaction* transaction = nullptr,
                   const ExtractionProgress* progress = nullptr);
// Characters of the payload's longest entry name, the deepest path below the
// target folder; -1 when the resource or its directory cannot be read.
int LongestPayloadEntry(int resourceId, const wchar_t* resourceType);
int ExtractArchive(const wchar_t* archivePath, const wchar_t* targetFolder, bool keepIconLibrary,
                   Transaction* transaction = nullptr,
                   const ExtractionProgress* progress = nullptr);
