#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <random>

#include "version_number.h"

namespace {

// The reading must give strtof's float, bit for bit: the icon-library gate
// compares versions through it.
void ExpectSameAsStrtof(const char* text) {
    wchar_t wide[64] = {};
    for (size_t i = 0; text[i] && i + 1 < 64; ++i) wide[i] = static_cast<unsigned char>(text[i]);
    const float expected = std::strtof(text, nullptr);
    const float actual = VersionTextValue(wide);
    uint32_t expectedBits = 0, actualBits = 0;
    std::memcpy(&expectedBits, &expected, sizeof expected);
    std::memcpy(&actualBits, &actual, sizeof actual);
    EXPECT_EQ(expectedBits, actualBits) << text << ": strtof " << expected << ", read " << actual;
}

TEST(VersionNumber, KnownTextsAndBorders) {
    for (const char* text :
         {"4.30", "4.3", "4.29", "4.31", "4.2999999", "4.3000001", "0.1", "0", "0.0", "7",
          "65535.6553565535", "0.0000000001", "9999999.9999999999", "1.", ".5", "  4.30",
          "\t+4.30", "-4.30", "-0", "4.30abc", "4.30.1", "8388608.5", "8388609.5", "9999999.5", "", "x4"}) {
        ExpectSameAsStrtof(text);
    }
    EXPECT_EQ(0.0f, VersionTextValue(nullptr));
}

// Exact halfway points between neighbouring floats (ten decimals suffice
// from 16384 up) round to the even neighbour; points next to them do not.
TEST(VersionNumber, HalfwayPointsRoundToEven) {
    char text[64];
    for (float f = 16384.0f; f < 65536.0f; f = std::nextafter(f, 70000.0f) + 977.0f) {
        const double low = f;
        const double high = std::nextafter(f, 70000.0f);
        const double middle = (low + high) / 2;
        for (double value : {middle, middle - 1e-10, middle + 1e-10}) {
            std::snprintf(text, sizeof text, "%.10f", value);
            ExpectSameAsStrtof(text);
        }
    }
}

// Texts as the version probe writes them: major "." minor build, 16-bit parts.
TEST(VersionNumber, VersionTextsAsWritten) {
    std::mt19937 random(1974);
    std::uniform_int_distribution<unsigned> part(0, 65535);
    std::uniform_int_distribution<unsigned> small(0, 99);
    char text[64];
    for (int i = 0; i < 50000; ++i) {
        const bool typical = i % 2 == 0;
        std::snprintf(text, sizeof text, "%u.%u%u", typical ? small(random) : part(random),
                      typical ? small(random) : part(random), part(random));
        ExpectSameAsStrtof(text);
    }
}

}  // namespace
