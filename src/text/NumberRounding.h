#pragma once
// Numbers that must come back as they were: numbers written to files with the digits they need to read
// back unchanged, and values rounded to a number of digits.
#include "text/NumberForms.h"

// The value rounded to `digits` significant decimal digits (the nearest extended value to that decimal),
// as a number typed with that many digits would be held.
Extended RoundSignificant(Extended value, int digits);

// A value as a file writes it: `formText` (the value in the file's own number form) when that reads
// back to exactly the value held; otherwise the general form with the fewest digits beyond 8 that
// does (at most 21), a point appended when `point`. So a value typed or
// read from a file keeps its bytes, and one that a unit switch left between two 8-digit numbers is not
// rounded on the way through a file.
std::string FormatReadBack(Extended value, const std::string& formText, bool point);
inline std::string FormatPExact(Extended value) {
    return FormatReadBack(value, FormatP(value), true);
}
