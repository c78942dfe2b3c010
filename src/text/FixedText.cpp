#include "text/FixedText.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {
constexpr int MaxDecimals = 40;
// The largest double has 309 digits before the point.
constexpr std::size_t BufferSize = 309 + 2 + MaxDecimals + 8;

// "-0.00" reads as a negative value that is not there.
void DropNegativeZero(std::string& s) {
    if (!s.empty() && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
}
} // namespace

std::string FormatFixedExact(double value, int decimals) {
    if (!std::isfinite(value))
        return "-";
    char buf[BufferSize];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                                         std::clamp(decimals, 0, MaxDecimals));
    if (ec != std::errc())
        return "-";
    std::string s(buf, end);
    DropNegativeZero(s);
    return s;
}

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value))
        return "-";
    char buf[BufferSize];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (ec != std::errc())
        return "-";
    const std::string_view text(buf, static_cast<std::size_t>(end - buf));
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    const std::size_t point = digits.find('.');
    const std::string_view whole = digits.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : digits.substr(point + 1);
    const std::size_t d = static_cast<std::size_t>(std::clamp(decimals, 0, MaxDecimals));
    // The kept digits, whole part and decimals, without the point.
    std::string kept(whole);
    for (std::size_t i = 0; i < d; ++i)
        kept += i < fraction.size() ? fraction[i] : '0';
    if (d < fraction.size() && fraction[d] >= '5') {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i - 1];
    }
    std::string s;
    if (negative && kept.find_first_not_of('0') != std::string::npos)
        s += '-';
    s.append(kept, 0, kept.size() - d);
    if (d > 0) {
        s += '.';
        s.append(kept, kept.size() - d, d);
    }
    return s;
}
