#include "text/Units.h"
#include <cstddef>
#include <iterator>

namespace {
constexpr int TokenCount = 10;

// How many English units make one SI unit, by token index.
constexpr long double Factors[TokenCount] = {
    224.8089237L,   // 0 F  lbs / kN
    0.2248089237L,  // 1 F1 kips / kN
    0.1124044745L,  // 2 F2 tons / kN
    39.37007874L,   // 3 L  in / m
    0.03937007874L, // 4 L1 in / mm
    3.280839895L,   // 5 L2 ft / m
    5.7101483L,     // 6 F4 lb-sec2/in / Mg
    1.0L,           // 7 F5 sec
    1.0L,           // 8 L3 rad
    68.364249L,     // 9 F6 slug / Mg
};

const char* const Labels[3][TokenCount] = {
    {"lbs", "kips", "tons", "in", "in", "ft", "lb-sec2/in", "sec", "rad", "slug"},
    {"kN", "kN", "kN", "m", "mm", "m", "Mg", "sec", "rad", "Mg"},
    {"F", "F", "F", "L", "L", "L", "M", "T", "L", "F"},
};

struct TToken {
    const char* Text;
    int Index;
};

int ForceIndex(char variant) {
    switch (variant) {
    case '1':
        return 1;
    case '2':
        return 2;
    case '4':
        return 6;
    case '5':
        return 7;
    case '6':
        return 9;
    default:
        return 0;
    }
}

int LengthIndex(char variant) {
    switch (variant) {
    case '1':
        return 4;
    case '2':
        return 5;
    case '3':
        return 8;
    default:
        return 3;
    }
}

int ClampSystem(int system) {
    return system < usEnglish ? usEnglish : (system > usOther ? usOther : system);
}

long double IntPower(long double base, int exponent) {
    long double r = 1;
    for (int i = 0; i < exponent; ++i)
        r *= base;
    return r;
}

// One term of a part: the letter, an optional variant digit, an optional "^" and exponent digit.
// Returns the position after the term; `factor` receives the term's factor raised to its exponent.
std::size_t ReadTerm(const std::string& part, std::size_t pos, bool force, long double& factor) {
    ++pos; // the letter
    char variant = '0';
    const char* variants = force ? "012456" : "0123";
    if (pos < part.size() && std::string(variants).find(part[pos]) != std::string::npos)
        variant = part[pos++];
    int exponent = 1;
    if (pos + 1 < part.size() && part[pos] == '^' && part[pos + 1] >= '0' && part[pos + 1] <= '9') {
        exponent = part[pos + 1] - '0';
        pos += 2;
    }
    factor = IntPower(Factors[force ? ForceIndex(variant) : LengthIndex(variant)], exponent);
    return pos;
}

long double PartFactor(const std::string& part) {
    long double force = 1;
    long double length = 1;
    std::size_t pos = 0;
    const std::size_t f = part.find('F');
    if (f != std::string::npos)
        pos = ReadTerm(part, f, true, force);
    const std::size_t l = part.find('L', pos);
    if (l != std::string::npos)
        ReadTerm(part, l, false, length);
    return force * length;
}

std::string ReplaceAll(std::string text, const std::string& token, const std::string& label) {
    std::size_t pos = 0;
    while ((pos = text.find(token, pos)) != std::string::npos) {
        text.replace(pos, token.size(), label);
        pos += label.size();
    }
    return text;
}

// Replaces every occurrence of the first token of `order` that occurs in the text.
std::string ReplaceFirstFound(std::string text, const TToken* order, std::size_t count, int row) {
    for (std::size_t i = 0; i < count; ++i)
        if (text.find(order[i].Text) != std::string::npos)
            return ReplaceAll(std::move(text), order[i].Text, Labels[row][order[i].Index]);
    return text;
}
} // namespace

long double UnitFactor(int from, int to, const std::string& unitString) {
    int e = 0;
    if (from == usEnglish && to == usSI)
        e = -1;
    else if (from == usSI && to == usEnglish)
        e = 1;
    if (e == 0)
        return 1;
    const std::size_t slash = unitString.find('/');
    const std::string numerator = unitString.substr(0, slash);
    const std::string denominator = slash == std::string::npos ? std::string() : unitString.substr(slash + 1);
    const long double r = PartFactor(numerator) / PartFactor(denominator);
    return e > 0 ? r : 1 / r;
}

std::string UnitLabel(const std::string& unitString, int system) {
    static const TToken order[] = {{"F2", 2}, {"F1", 1}, {"F4", 6}, {"F5", 7}, {"F6", 9},
                                   {"F", 0},  {"L3", 8}, {"L2", 5}, {"L1", 4}, {"L", 3}};
    const int row = ClampSystem(system) - 1;
    std::string label = unitString;
    for (const TToken& t : order)
        label = ReplaceAll(std::move(label), t.Text, Labels[row][t.Index]);
    return label;
}

std::string UnitLabelEntry(const std::string& unitString, int system) {
    static const TToken forces[] = {{"F6", 9}, {"F5", 7}, {"F4", 6}, {"F2", 2}, {"F1", 1}, {"F", 0}};
    static const TToken lengths[] = {{"L2", 5}, {"L1", 4}, {"L3", 8}, {"L", 3}};
    system = ClampSystem(system);
    if (system == usOther)
        return unitString;
    const int row = system - 1;
    std::string label = ReplaceFirstFound(unitString, forces, std::size(forces), row);
    return ReplaceFirstFound(std::move(label), lengths, std::size(lengths), row);
}

std::string UnitLabelCombo(const std::string& unitString, int system) {
    system = ClampSystem(system);
    if (system == usOther)
        return unitString;
    const std::string label = ReplaceAll(unitString, "F", system == usEnglish ? "lbs" : "kN");
    return ReplaceAll(label, "L", system == usEnglish ? "in" : "m");
}
