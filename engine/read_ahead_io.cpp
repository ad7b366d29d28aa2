// minizip reads every header field byte by byte through the file functions;
// under Wine each of those is a system call. Serving them from one block that
// is read ahead keeps the archive walk close to the speed of the disk.
#include "read_ahead_io.h"

#include <cstring>
#include <new>

namespace {

constexpr uLong kBlockBytes = 0x10000;

struct ReadAheadStream {
    zlib_filefunc64_def* inner = nullptr;
    voidpf file = nullptr;
    ZPOS64_T position = 0;        // where the caller reads next
    ZPOS64_T filePosition = 0;    // where the inner file stands
    ZPOS64_T blockStart = 0;
    uLong blockBytes = 0;
    unsigned char block[kBlockBytes];
};

ReadAheadStream* AsStream(voidpf stream) {
    return static_cast<ReadAheadStream*>(stream);
}

bool MoveInnerTo(ReadAheadStream* s, ZPOS64_T position) {
    if (s->filePosition == position) return true;
    if (s->inner->zseek64_file(s->inner->opaque, s->file, position, ZLIB_FILEFUNC_SEEK_SET) != 0) {
        return false;
    }
    s->filePosition = position;
    return true;
}

uLong ReadInner(ReadAheadStream* s, void* buffer, uLong size) {
    if (!MoveInnerTo(s, s->position)) return 0;
    uLong got = s->inner->zread_file(s->inner->opaque, s->file, buffer, size);
    s->filePosition += got;
    return got;
}

voidpf ZCALLBACK OpenReadAhead(voidpf opaque, const void* name, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    auto* inner = static_cast<zlib_filefunc64_def*>(opaque);
    auto* s = new (std::nothrow) ReadAheadStream;
    if (!s) return nullptr;
    s->inner = inner;
    s->file = inner->zopen64_file(inner->opaque, name, mode);
    if (!s->file) {
        delete s;
        return nullptr;
    }
    return s;
}

uLong ZCALLBACK ReadReadAhead(voidpf, voidpf stream, void* buffer, uLong size) {
    ReadAheadStream* s = AsStream(stream);
    auto* out = static_cast<unsigned char*>(buffer);
    uLong done = 0;
    while (done < size) {
        if (s->position >= s->blockStart && s->position < s->blockStart + s->blockBytes) {
            uLong offset = static_cast<uLong>(s->position - s->blockStart);
            uLong n = s->blockBytes - offset;
            if (n > size - done) n = size - done;
            memcpy(out + done, s->block + offset, n);
            s->position += n;
            done += n;
            continue;
        }
        if (size - done >= kBlockBytes) {   // large reads bypass the block
            uLong got = ReadInner(s, out + done, size - done);
            s->position += got;
            done += got;
            break;
        }
        s->blockStart = s->position;
        s->blockBytes = ReadInner(s, s->block, kBlockBytes);
        if (s->blockBytes == 0) break;
    }
    return done;
}

uLong ZCALLBACK WriteReadAhead(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK TellReadAhead(voidpf, voidpf stream) {
    return AsStream(stream)->position;
}

long ZCALLBACK SeekReadAhead(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    ReadAheadStream* s = AsStream(stream);
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        s->position = offset;
        return 0;
    case ZLIB_FILEFUNC_SEEK_CUR:
        s->position += offset;
        return 0;
    case ZLIB_FILEFUNC_SEEK_END: {
        zlib_filefunc64_def* inner = s->inner;
        if (inner->zseek64_file(inner->opaque, s->file, offset, ZLIB_FILEFUNC_SEEK_END) != 0) {
            return -1;
        }
        s->filePosition = inner->ztell64_file(inner->opaque, s->file);
        s->position = s->filePosition;
        return 0;
    }
    default:
        return -1;
    }
}

int ZCALLBACK CloseReadAhead(voidpf, voidpf stream) {
    ReadAheadStream* s = AsStream(stream);
    int result = s->inner->zclose_file(s->inner->opaque, s->file);
    delete s;
    return result;
}

int ZCALLBACK ErrorReadAhead(voidpf, voidpf stream) {
    ReadAheadStream* s = AsStream(stream);
    return s->inner->zerror_file(s->inner->opaque, s->file);
}

}  // namespace

void FillReadAheadFileFunctions(zlib_filefunc64_def* outer, zlib_filefunc64_def* inner) {
    outer->zopen64_file = OpenReadAhead;
    outer->zread_file = ReadReadAhead;
    outer->zwrite_file = WriteReadAhead;
    outer->ztell64_file = TellReadAhead;
    outer->zseek64_file = SeekReadAhead;
    outer->zclose_file = CloseReadAhead;
    outer->zerror_file = ErrorReadAhead;
    outer->opaque = inner;
}
