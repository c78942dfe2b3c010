#pragma once
// Fixed-point text of doubles for reports and pictures: "." always, never "-0.00", and never a
// non-number or an unfinished conversion: a value that has no such text (infinite, not a number)
// gives "-".
#include <string>

// `decimals` decimals (0 to 40) of the value as it is written shortest ("0.35", not 0.34999...),
// halves rounded away from zero: what a person who typed the value expects to see.
std::string FormatFixed(double value, int decimals);

// `decimals` decimals (0 to 40) of the value's exact binary value, correctly rounded: the engine's
// reports, whose numbers are computed, not typed.
std::string FormatFixedExact(double value, int decimals);
