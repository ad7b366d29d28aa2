// Version texts read as numbers.
#pragma once

// The leading decimal number of a version text ("4.30", "4.3012") as the
// nearest single-precision value, the way strtof reads it. Covers what the
// setup's version texts hold: blanks, a sign, up to seven digits, a point and
// up to ten digits; reading stops at anything else and after those digits.
float VersionTextValue(const wchar_t* text);
