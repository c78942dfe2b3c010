#pragma once
// Locale-independent number text: the forms written to input files (I, G, P, F2), the general
// formats of table cells (8 significant digits) and entry boxes (18), and the strict parser used
// by the word reader. "." is always the decimal separator; no thousands separator is ever written.
#include <cstdint>
#include <string>
#include <string_view>

using Extended = long double;

// Form I: decimal integer, "-" for negatives.
std::string FormatI(std::int64_t value);

// General format with at most `digits` significant digits: fixed notation when the magnitude is at
// least 1E-5 and there are at most `digits` digits before the point, otherwise scientific notation
// ("1.2345679E8", "1E-6"); trailing zeros and a trailing point dropped. Form G is digits = 8.
std::string FormatGeneral(Extended value, int digits);
// The general form with the fewest digits (up to 21) that read back to exactly `value`.
std::string FormatExact(Extended value);
inline std::string FormatG(Extended value) {
    return FormatGeneral(value, 8);
}

// Form P applied to a G text: appends "." when the text holds no "." and is not in scientific
// notation (a point after an exponent would not read back).
std::string ApplyP(const std::string& gText);
inline std::string FormatP(Extended value) {
    return ApplyP(FormatG(value));
}

// Form F2: fixed notation with exactly two decimals, halves rounded away from zero.
std::string FormatF2(Extended value);

// Strict decimal number: optional sign, digits with at most one ".", optional exponent ("E"/"e",
// optional sign, digits), nothing else. False for anything else or for values beyond the range.
bool ParseFloat(std::string_view text, Extended& out);
