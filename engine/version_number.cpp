#include "version_number.h"

#include <cstdint>

// Exact rounding in 64-bit integers instead of the C library's strtof, whose
// general decimal conversion is several times the size of this program part.
// With at most 17 digits and ten of them after the point, the scaled
// numerator and denominator below stay under 2^59.
float VersionTextValue(const wchar_t* text) {
    if (!text) return 0.0f;
    while (*text == L' ' || (*text >= L'\t' && *text <= L'\r')) ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-') negative = *text++ == L'-';

    uint64_t digits = 0;
    uint64_t scale = 1;
    for (int n = 0; n < 7 && *text >= L'0' && *text <= L'9'; ++n, ++text) {
        digits = digits * 10 + static_cast<unsigned>(*text - L'0');
    }
    if (*text == L'.') {
        ++text;
        for (int n = 0; n < 10 && *text >= L'0' && *text <= L'9'; ++n, ++text) {
            digits = digits * 10 + static_cast<unsigned>(*text - L'0');
            scale *= 10;
        }
    }
    if (digits == 0) return negative ? -0.0f : 0.0f;

    // digits / scale = numerator / denominator * 2^exponent with the
    // quotient in [2^23, 2^24): the 24 bits of a float's significand.
    uint64_t numerator = digits;
    uint64_t denominator = scale;
    int exponent = 0;
    while (numerator < (denominator << 23)) {
        numerator <<= 1;
        --exponent;
    }
    while (numerator >= (denominator << 24)) {
        denominator <<= 1;
        ++exponent;
    }
    uint64_t significand = numerator / denominator;
    const uint64_t twiceRest = (numerator % denominator) * 2;
    if (twiceRest > denominator || (twiceRest == denominator && (significand & 1))) {
        ++significand;   // to nearest, ties to even
    }
    if (significand == (uint64_t{1} << 24)) {
        significand >>= 1;
        ++exponent;
    }
    float value = static_cast<float>(significand);   // exact: 24 bits
    for (; exponent > 0; --exponent) value *= 2.0f;   // powers of two: exact
    for (; exponent < 0; ++exponent) value *= 0.5f;
    return negative ? -value : value;
}
