// A read-ahead layer under minizip: the archive is read in 64 KB blocks
// instead of one call per header byte.
#pragma once

#include "unzip.h"

// Wraps the file functions in `inner` (left untouched and used for the
// actual reads) into `outer`. `inner` must outlive every file opened through
// `outer`. Only reading is supported: writes fail.
void FillReadAheadFileFunctions(zlib_filefunc64_def* outer, zlib_filefunc64_def* inner);
