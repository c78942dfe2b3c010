#include "text/Evaluate.h"
#include "text/Errors.h"
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace {
// Intermediate results go back into the text with the precision an entry box shows.
constexpr int EntryDigits = 18;

// Beyond this magnitude n! no longer fits an extended value (1754! is about 2E4930).
constexpr int MaxFactorial = 1754;

[[noreturn]] void Fail(const char* reason) {
    throw EAssignError(std::string("Entry could not be evaluated:\r") + reason);
}

// Arithmetic faults are the user's entry, not the program's: report them like any other bad entry.
Extended Checked(Extended value) {
    if (std::isnan(value))
        Fail("result is undefined");
    if (std::isinf(value))
        Fail("result is too large");
    return value;
}

std::string Intermediate(Extended value) {
    return FormatGeneral(Checked(value), EntryDigits);
}

enum class TFunc {
    Arctanh,
    Arctan,
    Cotan,
    Tanh,
    Tan,
    Arccosh,
    Arccos,
    Cosh,
    Cos,
    Sec,
    Arcsinh,
    Arcsin,
    Sinh,
    Sin,
    Csc,
    Abs,
    Frac,
    Int,
    Ln,
    Round,
    Ceil,
    Floor,
    Log,
    Sqrt,
    Negate // a "-" before a function, constant or "$": not a name, see EvaluateOperand
};

struct TFuncName {
    const char* Name;
    TFunc Func;
};

// Tested in this order: a longer name before the shorter one it starts with.
constexpr TFuncName Functions[] = {
    {"arctanh", TFunc::Arctanh}, {"arctan", TFunc::Arctan},   {"cotan", TFunc::Cotan},
    {"tanh", TFunc::Tanh},       {"tan", TFunc::Tan},         {"arccosh", TFunc::Arccosh},
    {"arccos", TFunc::Arccos},   {"cosh", TFunc::Cosh},       {"cos", TFunc::Cos},
    {"sec", TFunc::Sec},         {"arcsinh", TFunc::Arcsinh}, {"arcsin", TFunc::Arcsin},
    {"sinh", TFunc::Sinh},       {"sin", TFunc::Sin},         {"csc", TFunc::Csc},
    {"abs", TFunc::Abs},         {"frac", TFunc::Frac},       {"int", TFunc::Int},
    {"ln", TFunc::Ln},           {"round", TFunc::Round},     {"ceil", TFunc::Ceil},
    {"floor", TFunc::Floor},     {"log", TFunc::Log},         {"sqrt", TFunc::Sqrt},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool IsFunctionName(std::string_view text) {
    for (const TFuncName& f : Functions)
        if (EqualsNoCase(text, f.Name))
            return true;
    return false;
}

Extended Divide(Extended a, Extended b) {
    if (b == 0)
        Fail("division by zero");
    return a / b;
}

Extended WholeInRange(Extended x, Extended low, Extended high) {
    if (!(x >= low && x <= high))
        Fail("value out of range");
    return x;
}

std::int64_t TruncToInt64(Extended x) {
    // 2^63 is exact in extended precision; anything at or beyond it does not fit.
    const Extended limit = 9223372036854775808.0L;
    const Extended t = std::trunc(x);
    if (!(t > -limit - 1 && t < limit))
        Fail("value out of range");
    return static_cast<std::int64_t>(t);
}

Extended Apply(TFunc f, Extended x) {
    switch (f) {
    case TFunc::Arctanh:
        return std::atanh(x);
    case TFunc::Arctan:
        return std::atan(x);
    case TFunc::Cotan:
        return Divide(1, std::tan(x));
    case TFunc::Tanh:
        return std::tanh(x);
    case TFunc::Tan:
        return std::tan(x);
    case TFunc::Arccosh:
        return std::acosh(x);
    case TFunc::Arccos:
        return std::acos(x);
    case TFunc::Cosh:
        return std::cosh(x);
    case TFunc::Cos:
        return std::cos(x);
    case TFunc::Sec:
        return Divide(1, std::cos(x));
    case TFunc::Arcsinh:
        return std::asinh(x);
    case TFunc::Arcsin:
        return std::asin(x);
    case TFunc::Sinh:
        return std::sinh(x);
    case TFunc::Sin:
        return std::sin(x);
    case TFunc::Csc:
        return Divide(1, std::sin(x));
    case TFunc::Abs:
        return std::fabs(x);
    case TFunc::Frac:
        return x - std::trunc(x);
    case TFunc::Int:
        return std::trunc(x);
    case TFunc::Ln:
        if (!(x > 0))
            Fail("logarithm of zero or of a negative number");
        return std::log(x);
    case TFunc::Round:
        // nearbyint follows the default rounding mode: to nearest, ties to even.
        return static_cast<Extended>(TruncToInt64(std::nearbyint(x)));
    case TFunc::Ceil:
        return WholeInRange(std::ceil(x), -2147483648.0L, 2147483647.0L);
    case TFunc::Floor:
        return WholeInRange(std::floor(x), -2147483648.0L, 2147483647.0L);
    case TFunc::Log:
        if (!(x > 0))
            Fail("logarithm of zero or of a negative number");
        return std::log10(x);
    case TFunc::Sqrt:
        if (x < 0)
            Fail("square root of a negative number");
        return std::sqrt(x);
    case TFunc::Negate:
        return -x;
    }
    return x;
}

Extended Factorial(Extended n) {
    if (n != std::trunc(n))
        Fail("! (factoral) applicable to integers only");
    const Extended magnitude = std::fabs(n);
    if (magnitude > MaxFactorial)
        Fail("result is too large");
    Extended r = 1;
    for (int i = 2; i <= static_cast<int>(magnitude); ++i)
        r *= i;
    return n < 0 ? -r : r;
}

Extended ReadHex(std::string_view digits) {
    if (digits.empty() || digits.size() > 16)
        Fail("invalid use of $ (hex function)");
    std::uint64_t v = 0;
    for (const char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            Fail("invalid use of $ (hex function)");
        v = v * 16 + static_cast<std::uint64_t>(d);
    }
    // Sixteen digits are a two's complement value, so that a negative value shown in hex reads back.
    return static_cast<Extended>(static_cast<std::int64_t>(v));
}

Extended EvaluateOperand(std::string text);

// The operand after its function names: a constant, a factorial, a hex or a decimal number.
Extended EvaluateCore(const std::string& core) {
    if (core == "pi")
        return 3.14159265358979323846264338327950288L;
    if (core == "e")
        return 2.71828182845904523536028747135266250L;
    std::size_t bangs = 0;
    while (bangs < core.size() && core[core.size() - 1 - bangs] == '!')
        ++bangs;
    if (bangs > 0) {
        Extended v = EvaluateOperand(core.substr(0, core.size() - bangs));
        for (std::size_t i = 0; i < bangs; ++i)
            v = Factorial(v);
        return v;
    }
    if (!core.empty() && core[0] == '$')
        return ReadHex(std::string_view(core).substr(1));
    Extended v = 0;
    if (!ParseFloat(core, v))
        Fail("invalid character(s) in expression");
    return v;
}

Extended EvaluateOperand(std::string text) {
    // "--" cancels out.
    std::string cleaned;
    cleaned.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            ++i;
            continue;
        }
        cleaned += Lower(text[i]);
    }

    // Function names chain ("sinsin0.5", "-cos1"): collect them without recursing, so a long chain
    // cannot exhaust the stack.
    std::vector<TFunc> chain;
    std::string_view rest = cleaned;
    for (;;) {
        if (rest == "-pi" || rest == "-e")
            break;
        if (rest.size() > 1 && rest[0] == '-' && ((rest[1] >= 'a' && rest[1] <= 'z') || rest[1] == '$')) {
            // A sign before a function, constant or hex form: typed "-sin(1)" or "-$FF".
            chain.push_back(TFunc::Negate);
            rest.remove_prefix(1);
            continue;
        }
        bool found = false;
        for (const TFuncName& f : Functions) {
            const std::size_t n = std::strlen(f.Name);
            if (rest.substr(0, n) == f.Name) {
                chain.push_back(f.Func);
                rest.remove_prefix(n);
                found = true;
                break;
            }
        }
        if (!found)
            break;
    }
    Extended v;
    if (rest == "-pi" || rest == "-e")
        v = -EvaluateCore(std::string(rest.substr(1)));
    else
        v = EvaluateCore(std::string(rest));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        v = Checked(Apply(*it, v));
    return Checked(v);
}

bool IsOperator(char c) {
    return std::strchr("^*/%+=|&", c) != nullptr && c != '\0';
}

// The text of the current operand ends in the "e" of a decimal exponent ("2.5e", "1E"), as opposed
// to the constant e or a hex digit.
bool EndsInExponentMark(std::string_view operand) {
    if (operand.empty() || Lower(operand.back()) != 'e')
        return false;
    std::string_view rest = operand.substr(0, operand.size() - 1);
    while (!rest.empty() && rest[0] == '-')
        rest.remove_prefix(1);
    if (rest.empty() || rest[0] == '$')
        return false;
    const char before = rest.back();
    return (before >= '0' && before <= '9') || before == '.';
}

Extended Power(Extended a, Extended b) {
    if (a == 0 && b < 0)
        Fail("division by zero");
    return std::pow(a, b);
}

Extended Reduce(char op, Extended a, Extended b) {
    switch (op) {
    case '^':
        return Power(a, b);
    case '*':
        return a * b;
    case '/':
        return Divide(a, b);
    case '%': {
        const std::int64_t x = TruncToInt64(a);
        const std::int64_t y = TruncToInt64(b);
        if (y == 0)
            Fail("division by zero");
        return y == -1 ? 0 : static_cast<Extended>(x % y);
    }
    case '&':
        return a != 0 && b != 0 ? 1 : 0;
    case '+':
        return a + b;
    case '-':
        return a - b;
    case '|':
        return a != 0 || b != 0 ? 1 : 0;
    case '=':
        return a == b ? 1 : 0;
    }
    return 0;
}
} // namespace

Extended EvaluateEntry(const std::string& entry) {
    std::string text;
    text.reserve(entry.size());
    for (const char c : entry)
        if (c != ' ' && c != '\t')
            text += c;
    // Blanks alone are as blank as nothing at all.
    if (text.empty())
        Fail("entry cannot be blank");

    // Parentheses, innermost first.
    for (;;) {
        const std::size_t close = text.find(')');
        if (close == std::string::npos)
            break;
        const std::size_t open = close == 0 ? std::string::npos : text.rfind('(', close - 1);
        if (open == std::string::npos)
            Fail("() (parentheses) do not match");
        const Extended inner = EvaluateEntry(text.substr(open + 1, close - open - 1));
        text.replace(open, close - open + 1, Intermediate(inner));
    }

    // Cut into operands and one-character operators.
    std::vector<std::string> operands;
    std::string ops;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const std::string_view operand(text.data() + start, i - start);
        if (c == '-') {
            bool sign =
                i == 0 || operand.empty() || operand == "!" || operand == "$" || IsFunctionName(operand);
            if (!sign) {
                const char before = text[i - 1];
                sign = before == '-' || (Lower(before) == 'e' && EndsInExponentMark(operand));
            }
            if (sign)
                continue;
        } else if (!IsOperator(c) || (c == '+' && EndsInExponentMark(operand))) {
            continue; // "+" of an exponent as in 1e+5 belongs to its number
        }
        operands.emplace_back(operand);
        ops += c;
        start = i + 1;
    }
    operands.emplace_back(text.substr(start));
    if (!ops.empty() && operands.back().empty())
        Fail("invalid expression");

    static const char* const passes[] = {"^", "*/%&", "+-|", "="};
    for (const char* pass : passes) {
        std::size_t i = 0;
        while (i < ops.size()) {
            if (std::strchr(pass, ops[i]) == nullptr) {
                ++i;
                continue;
            }
            const Extended a = EvaluateOperand(operands[i]);
            const Extended b = EvaluateOperand(operands[i + 1]);
            operands[i] = Intermediate(Reduce(ops[i], a, b));
            operands.erase(operands.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            ops.erase(i, 1);
        }
    }
    return EvaluateOperand(operands.front());
}

Extended EvaluateStoredEntry(const std::string& text) {
    const Extended value = EvaluateEntry(text);
    if (std::fabs(value) > static_cast<Extended>(std::numeric_limits<double>::max()))
        Fail("value out of range");
    return value;
}

std::string FormatEntry(bool hex, Extended value) {
    if (!hex)
        return FormatGeneral(value, EntryDigits);
    std::int64_t n = 0;
    const Extended r = std::nearbyint(value);
    if (r >= 9223372036854775807.0L)
        n = INT64_MAX;
    else if (r <= -9223372036854775807.0L - 1)
        n = INT64_MIN;
    else if (!std::isnan(r))
        n = static_cast<std::int64_t>(r);
    static const char digits[] = "0123456789ABCDEF";
    std::uint64_t u = static_cast<std::uint64_t>(n);
    std::string hexText;
    do {
        hexText.insert(hexText.begin(), digits[u & 15]);
        u >>= 4;
    } while (u != 0);
    if (hexText.size() < 4)
        hexText.insert(0, 4 - hexText.size(), '0');
    return "$" + hexText;
}
