#include "text/NumberForms.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {
// Digits an extended value carries reliably; every rounding below starts from this many digits.
constexpr int MaxDigits = 18;

// A value as decimal digits: Value = 0.Digits * 10^(Exponent + 1), i.e. Exponent is the power of ten
// of the first digit. Digits hold no leading zero (except for zero itself, which has none at all).
struct TDecimal {
    bool Negative = false;
    char Digits[MaxDigits + 1] = {};
    int Count = 0;
    int Exponent = 0;
};

// The value with 18 significant digits, as std::to_chars writes them (correctly rounded, no locale).
// std::to_chars is slow for extended values with a precision, and tables format every cell they
// draw, so values of ordinary size take an exact path in 128-bit integers (same digits).
bool ExactDecimal(Extended magnitude, TDecimal& d) {
    using u128 = unsigned __int128;
    int exp2 = 0;
    const Extended fraction = std::frexp(magnitude, &exp2); // magnitude = fraction * 2^exp2
    std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    if (static_cast<Extended>(m) != std::ldexp(fraction, 64) || m == 0)
        return false;
    int e = exp2 - 64; // magnitude = m * 2^e exactly
    const int zeros = __builtin_ctzll(m);
    m >>= zeros;
    e += zeros;

    char digits[48];
    int count = 0;       // significant digits produced
    int pointAfter = 0;  // digits before the decimal point among them (may be negative)
    bool sticky = false; // anything non-zero after the produced digits
    auto integerDigits = [&](u128 n) {
        char tmp[40];
        int k = 0;
        while (n >> 64 != 0) { // 128-bit division is slow: only for what does not fit 64 bits
            tmp[k++] = static_cast<char>('0' + static_cast<int>(n % 10));
            n /= 10;
        }
        for (std::uint64_t small = static_cast<std::uint64_t>(n); small != 0; small /= 10)
            tmp[k++] = static_cast<char>('0' + static_cast<int>(small % 10));
        while (k > 0)
            digits[count++] = tmp[--k];
        pointAfter = count;
    };
    if (e >= 0) {
        const int bits = 64 - __builtin_clzll(m);
        if (bits + e > 127)
            return false;
        integerDigits(static_cast<u128>(m) << e);
    } else {
        const int s = -e;
        if (s > 124)
            return false;
        const u128 mask = (static_cast<u128>(1) << s) - 1;
        u128 frac = static_cast<u128>(m) & mask;
        if (s < 64)
            integerDigits(static_cast<u128>(m) >> s);
        while (frac != 0 && count < MaxDigits + 1) {
            frac *= 10;
            const int digit = static_cast<int>(frac >> s);
            frac &= mask;
            if (count == 0 && digit == 0) {
                --pointAfter;
                continue;
            }
            digits[count++] = static_cast<char>('0' + digit);
        }
        sticky = frac != 0;
    }
    // Correct rounding to 18 digits, ties to even, as std::to_chars does.
    if (count > MaxDigits) {
        for (int i = MaxDigits + 1; i < count; ++i)
            sticky = sticky || digits[i] != '0';
        const char next = digits[MaxDigits];
        const bool up = next > '5' || (next == '5' && (sticky || (digits[MaxDigits - 1] - '0') % 2 == 1));
        count = MaxDigits;
        if (up) {
            int i = count - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i < 0) {
                digits[0] = '1';
                ++pointAfter;
            } else {
                ++digits[i];
            }
        }
    }
    std::memcpy(d.Digits, digits, static_cast<std::size_t>(count));
    d.Count = count;
    d.Exponent = pointAfter - 1;
    return true;
}

TDecimal ToDecimal(Extended value) {
    TDecimal d;
    d.Negative = std::signbit(value);
    if (value == 0)
        return d;
    if (ExactDecimal(std::fabs(value), d))
        return d;
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, MaxDigits - 1);
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.Digits[d.Count++] = *p;
    int exponent = 0;
    if (p < res.ptr) {
        ++p;
        if (*p == '+')
            ++p;
        std::from_chars(p, res.ptr, exponent);
    }
    d.Exponent = exponent;
    return d;
}

// Keeps `keep` digits, rounding the rest half away from zero on the decimal text: a value typed as
// 2.675 is meant as 2.675, whatever binary neighbour holds it.
void RoundDigits(TDecimal& d, int keep) {
    if (keep >= d.Count)
        return;
    if (keep < 0) {
        d.Count = 0;
        return;
    }
    const bool up = d.Digits[keep] >= '5';
    d.Count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[i] == '9')
            --i;
        if (i < 0) {
            // 999.. rounds to 1000..: one digit more before the point.
            d.Digits[0] = '1';
            d.Count = 1;
            ++d.Exponent;
        } else {
            ++d.Digits[i];
            d.Count = i + 1;
        }
    }
}

void StripTrailingZeros(TDecimal& d) {
    while (d.Count > 0 && d.Digits[d.Count - 1] == '0')
        --d.Count;
}

const char* NonFinite(Extended value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}
// The general form's text of a value given by its significant digits (no leading zero) and the power
// of ten of the first digit: fixed notation when the magnitude is at least 1E-5 and at most `limit`
// digits stand before the point, scientific otherwise.
std::string Layout(bool negative, const char* digits, int count, int exponent, int limit) {
    std::string out;
    out.reserve(32);
    if (negative)
        out += '-';
    if (exponent >= -5 && exponent < limit) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out.append(digits, static_cast<std::size_t>(count));
        } else {
            const int before = exponent + 1;
            for (int i = 0; i < before; ++i)
                out += i < count ? digits[i] : '0';
            if (count > before) {
                out += '.';
                out.append(digits + before, static_cast<std::size_t>(count - before));
            }
        }
        return out;
    }
    out += digits[0];
    if (count > 1) {
        out += '.';
        out.append(digits + 1, static_cast<std::size_t>(count - 1));
    }
    out += 'E';
    out += FormatI(exponent);
    return out;
}
} // namespace

std::string FormatI(std::int64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string FormatGeneral(Extended value, int digits) {
    if (!std::isfinite(value))
        return NonFinite(value);
    if (digits < 1)
        digits = 1;
    if (digits > MaxDigits)
        digits = MaxDigits;
    TDecimal d = ToDecimal(value);
    const TDecimal exact = d;
    RoundDigits(d, digits);
    // Just below the largest extended value, rounding up would write a number above it, which no
    // reader takes back: a saved file would stop loading at that word. There the digits are cut
    // instead, so every text written reads back.
    const auto readsBack = [](const TDecimal& t) {
        Extended back = 0;
        return ParseFloat(std::string(t.Digits, static_cast<std::size_t>(t.Count)) + "E" +
                              FormatI(t.Exponent - t.Count + 1),
                          back);
    };
    if (d.Exponent >= std::numeric_limits<Extended>::max_exponent10 && d.Count > 0 && !readsBack(d)) {
        d = exact;
        d.Count = std::min(d.Count, digits);
        if (!readsBack(d)) { // the 18 digits themselves were rounded up: one unit lower
            int k = d.Count - 1;
            while (k > 0 && d.Digits[k] == '0')
                d.Digits[k--] = '9';
            --d.Digits[k];
        }
    }
    StripTrailingZeros(d);
    if (d.Count == 0)
        return "0";

    return Layout(d.Negative, d.Digits, d.Count, d.Exponent, digits);
}

std::string FormatExact(Extended value) {
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return "0";
    // The shortest digits that read back to the same extended value (at most 21).
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    char digits[32];
    int count = 0;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e' && count < 32; ++p)
        if (*p >= '0' && *p <= '9')
            digits[count++] = *p;
    int exponent = 0;
    if (p < res.ptr && *p == 'e') {
        ++p;
        if (p < res.ptr && *p == '+')
            ++p;
        std::from_chars(p, res.ptr, exponent);
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;
    return Layout(std::signbit(value), digits, count, exponent, std::max(count, MaxDigits));
}

std::string ApplyP(const std::string& gText) {
    if (gText.find('.') != std::string::npos || gText.find_first_of("Ee") != std::string::npos)
        return gText;
    // Not a number at all ("INF", "NAN") stays as it is too.
    if (gText.find_first_of("0123456789") == std::string::npos)
        return gText;
    return gText + '.';
}

std::string FormatF2(Extended value) {
    if (!std::isfinite(value))
        return NonFinite(value);
    TDecimal d = ToDecimal(value);
    // Digits up to and including the hundredths.
    RoundDigits(d, d.Exponent + 3);
    StripTrailingZeros(d);
    if (d.Count == 0)
        return "0.00";
    std::string out;
    out.reserve(d.Exponent > 0 ? static_cast<std::size_t>(d.Exponent) + 8 : 8);
    if (d.Negative)
        out += '-';
    auto digitAt = [&](int power) { // the digit of 10^power
        const int i = d.Exponent - power;
        return i >= 0 && i < d.Count ? d.Digits[i] : '0';
    };
    for (int power = d.Exponent > 0 ? d.Exponent : 0; power >= 0; --power)
        out += digitAt(power);
    out += '.';
    out += digitAt(-1);
    out += digitAt(-2);
    return out;
}

namespace {
// Exact powers of ten in extended precision: 5^27 still fits the 64-bit mantissa.
constexpr int MaxExactPower = 27;
const Extended* PowersOfTen() {
    static const auto table = [] {
        struct T {
            Extended v[MaxExactPower + 1];
        } t{};
        Extended p = 1;
        for (int i = 0; i <= MaxExactPower; ++i, p *= 10)
            t.v[i] = p;
        return t;
    }();
    return table.v;
}
} // namespace

bool ParseFloat(std::string_view text, Extended& out) {
    const char* p = text.data();
    const char* const end = p + text.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* const numberStart = p;
    // Mantissa: digits with at most one point; at least one digit.
    std::uint64_t mantissa = 0;
    int significant = 0;   // digits that went into `mantissa` (leading zeros excluded)
    int dropped = 0;       // integer digits beyond 19 significant ones
    int fractionTaken = 0; // fraction digits that went into `mantissa`
    int digits = 0;
    int intSignificant = 0; // significant digits before the point
    int fractionZeros = 0;  // zeros between the point and the first significant digit
    bool point = false;
    bool exact = true;
    for (; p < end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            ++digits;
            if (significant == 0 && c == '0') {
                if (point) {
                    ++fractionTaken;
                    ++fractionZeros;
                }
                continue;
            }
            if (!point)
                ++intSignificant;
            if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
                ++significant;
                if (point)
                    ++fractionTaken;
            } else {
                exact = false;
                if (!point)
                    ++dropped;
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool expNegative = false;
        if (p < end && (*p == '+' || *p == '-')) {
            expNegative = *p == '-';
            ++p;
        }
        if (p == end)
            return false;
        for (; p < end; ++p) {
            if (*p < '0' || *p > '9')
                return false;
            if (exponent < 100000)
                exponent = exponent * 10 + (*p - '0');
        }
        if (expNegative)
            exponent = -exponent;
    }
    if (p != end)
        return false;

    // Fast path: an exact mantissa times or divided by an exact power of ten is one correctly
    // rounded operation.
    const long scale = exponent + dropped - fractionTaken;
    if (exact && scale >= -MaxExactPower && scale <= MaxExactPower) {
        Extended v = static_cast<Extended>(mantissa);
        if (scale >= 0)
            v *= PowersOfTen()[scale];
        else
            v /= PowersOfTen()[-scale];
        out = negative ? -v : v;
        return true;
    }
    if (mantissa == 0) {
        out = negative ? -0.0L : 0.0L;
        return true;
    }

    // std::from_chars takes neither a leading "+" nor (for the sign) our grammar exactly, so hand it
    // the checked digits only.
    Extended v = 0;
    const auto res = std::from_chars(numberStart, end, v, std::chars_format::general);
    if (res.ptr != end)
        return false;
    if (res.ec == std::errc::result_out_of_range) {
        // Either too large (rejected) or too small to be told from zero (reads as zero).
        const long magnitude = intSignificant > 0 ? exponent + intSignificant : exponent - fractionZeros;
        if (magnitude > 0)
            return false;
        v = 0;
    } else if (res.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    out = negative ? -v : v;
    return true;
}
