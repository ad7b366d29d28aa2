// Bounded copying into the fixed wide-character buffers the setup passes around.
#pragma once

#include <cwchar>

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
