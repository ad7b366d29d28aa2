// Bounded copying into the fixed wide-character buffers the setup passes around.
#pragma once

#include <cstdarg>
#include <cwchar>

// Fixed text limits: a path holds at most 259 characters plus the
// terminator; command lines, settings folders and messages use 520.
constexpr int kPathChars = 260;
constexpr int kLongChars = 520;

// Copies src into dst (dstChars characters including the terminator), cutting
// what does not fit. Returns false when src was cut. dst is always terminated.
inline bool CopyText(wchar_t* dst, size_t dstChars, const wchar_t* src) {
    if (!dst || dstChars == 0) return false;
    size_t i = 0;
    if (src) {
        for (; src[i] != L'\0'; ++i) {
            if (i + 1 >= dstChars) {
                dst[i] = L'\0';
                return false;
            }
            dst[i] = src[i];
        }
    }
    dst[i] = L'\0';
    return true;
}

// Appends src to the terminated text in dst, cutting what does not fit.
// Returns false when src was cut (or dst was not terminated within dstChars).
inline bool AppendText(wchar_t* dst, size_t dstChars, const wchar_t* src) {
    if (!dst || dstChars == 0) return false;
    const size_t used = wcsnlen(dst, dstChars);
    if (used >= dstChars) return false;
    return CopyText(dst + used, dstChars - used, src);
}

// Formats into dst with the system C library's formatting (msvcrt's, which
// keeps the runtime's own printf out of the programs; "%s" takes a wide
// string), cutting what does not fit. Returns false when the text was cut or
// could not be formatted. dst is always terminated.
inline bool FormatText(wchar_t* dst, size_t dstChars, const wchar_t* format, ...) {
    if (!dst || dstChars == 0) return false;
    va_list args;
    va_start(args, format);
    const int written = _vsnwprintf(dst, dstChars - 1, format, args);
    va_end(args);
    dst[dstChars - 1] = L'\0';
    return written >= 0;
}
