#include "text/NumberRounding.h"
#include <cmath>

namespace {
// The digits an extended value shows in a box.
constexpr int HeldDigits = 18;
} // namespace

Extended RoundSignificant(Extended value, int digits) {
    if (!std::isfinite(value) || value == 0)
        return value;
    Extended rounded = 0;
    return ParseFloat(FormatGeneral(value, digits), rounded) ? rounded : value;
}

std::string FormatReadBack(Extended value, const std::string& formText, bool point) {
    if (!std::isfinite(value))
        return formText;
    // Bit for bit: a value that a unit switch left with noise in its last digits must come back with
    // that noise, or switching back would not give the typed number again.
    const auto readsBack = [&](const std::string& text) {
        Extended back = 0;
        return ParseFloat(text, back) && back == value;
    };
    if (readsBack(formText))
        return formText;
    for (int digits = 9; digits <= HeldDigits; ++digits) {
        const std::string text = point ? ApplyP(FormatGeneral(value, digits)) : FormatGeneral(value, digits);
        if (readsBack(text))
            return text;
    }
    const std::string exact = FormatExact(value);
    return point ? ApplyP(exact) : exact;
}
