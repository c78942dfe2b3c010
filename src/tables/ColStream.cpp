#include "tables/ColStream.h"
#include "text/Errors.h"
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {
const char* const StreamEnd = "Stream read error";
const char* const BadValue = "Invalid property value";

void PutLE(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint64_t GetLE(const char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}
} // namespace

// ---------------------------------------------------------------- 80-bit extended

void ExtendedToBytes(Extended value, unsigned char out[10]) {
    std::uint64_t mantissa = 0;
    int exponentField = 0;
    bool negative = std::signbit(value);
    if (std::isnan(value)) {
        exponentField = 0x7FFF;
        mantissa = 0xC000000000000000ULL;
    } else if (std::isinf(value)) {
        exponentField = 0x7FFF;
        mantissa = 0x8000000000000000ULL;
    } else if (value != 0) {
        int e = 0;
        Extended m = std::frexp(std::fabs(value), &e); // m in [0.5, 1)
        exponentField = e - 1 + 16383;
        Extended scaled = std::ldexp(m, 64);
        if (exponentField <= 0) { // below the normal range: denormal, shift the mantissa down
            scaled = std::ldexp(scaled, exponentField - 1);
            exponentField = 0;
        }
        mantissa = static_cast<std::uint64_t>(scaled);
    }
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>((mantissa >> (8 * i)) & 0xFF);
    unsigned top = static_cast<unsigned>(exponentField) | (negative ? 0x8000u : 0u);
    out[8] = static_cast<unsigned char>(top & 0xFF);
    out[9] = static_cast<unsigned char>(top >> 8);
}

Extended ExtendedFromBytes(const unsigned char in[10]) {
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    unsigned top = in[8] | (static_cast<unsigned>(in[9]) << 8);
    bool negative = (top & 0x8000u) != 0;
    int exponentField = static_cast<int>(top & 0x7FFFu);
    Extended v;
    if (exponentField == 0x7FFF)
        v = (mantissa << 1) == 0 ? std::numeric_limits<Extended>::infinity()
                                 : std::numeric_limits<Extended>::quiet_NaN();
    else
        v = std::ldexp(static_cast<Extended>(mantissa),
                       (exponentField == 0 ? 1 : exponentField) - 16383 - 63);
    return negative ? -v : v;
}

// ---------------------------------------------------------------- writer

void TValueWriter::WriteInteger(std::int32_t value) {
    if (value >= INT8_MIN && value <= INT8_MAX) {
        Buffer.push_back(static_cast<char>(TValueTag::Int8));
        PutLE(Buffer, static_cast<std::uint8_t>(value), 1);
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        Buffer.push_back(static_cast<char>(TValueTag::Int16));
        PutLE(Buffer, static_cast<std::uint16_t>(value), 2);
    } else {
        Buffer.push_back(static_cast<char>(TValueTag::Int32));
        PutLE(Buffer, static_cast<std::uint32_t>(value), 4);
    }
}

void TValueWriter::WriteFloat(Extended value) {
    Buffer.push_back(static_cast<char>(TValueTag::Extended));
    unsigned char bytes[10];
    ExtendedToBytes(value, bytes);
    Buffer.append(reinterpret_cast<const char*>(bytes), 10);
}

void TValueWriter::WriteString(const std::string& value) {
    if (value.size() <= 255) {
        Buffer.push_back(static_cast<char>(TValueTag::String));
        Buffer.push_back(static_cast<char>(value.size()));
    } else {
        Buffer.push_back(static_cast<char>(TValueTag::LString));
        PutLE(Buffer, value.size(), 4);
    }
    Buffer += value;
}

void TValueWriter::WriteBoolean(bool value) {
    Buffer.push_back(static_cast<char>(value ? TValueTag::True : TValueTag::False));
}
void TValueWriter::WriteListBegin() {
    Buffer.push_back(static_cast<char>(TValueTag::List));
}
void TValueWriter::WriteListEnd() {
    Buffer.push_back(static_cast<char>(TValueTag::Null));
}

// ---------------------------------------------------------------- reader

TValueTag TValueReader::NextValue() const {
    if (AtEnd())
        throw EGeneralError(StreamEnd);
    return static_cast<TValueTag>(static_cast<unsigned char>(Buffer[Pos]));
}

bool TValueReader::NextIsString() const {
    if (AtEnd())
        return false;
    TValueTag t = NextValue();
    return t == TValueTag::String || t == TValueTag::LString;
}

bool TValueReader::NextIsInteger() const {
    if (AtEnd())
        return false;
    TValueTag t = NextValue();
    return t == TValueTag::Int8 || t == TValueTag::Int16 || t == TValueTag::Int32;
}

TValueTag TValueReader::ReadTag() {
    TValueTag t = NextValue();
    ++Pos;
    return t;
}

const char* TValueReader::Take(std::size_t n) {
    if (Buffer.size() - Pos < n)
        throw EGeneralError(StreamEnd);
    const char* p = Buffer.data() + Pos;
    Pos += n;
    return p;
}

std::int32_t TValueReader::ReadInteger() {
    switch (NextValue()) {
    case TValueTag::Int8:
        ++Pos;
        return static_cast<std::int8_t>(GetLE(Take(1), 1));
    case TValueTag::Int16:
        ++Pos;
        return static_cast<std::int16_t>(GetLE(Take(2), 2));
    case TValueTag::Int32:
        ++Pos;
        return static_cast<std::int32_t>(GetLE(Take(4), 4));
    default:
        throw EGeneralError(BadValue);
    }
}

Extended TValueReader::ReadFloat() {
    if (NextIsInteger())
        return ReadInteger();
    if (NextValue() != TValueTag::Extended)
        throw EGeneralError(BadValue);
    ++Pos;
    unsigned char bytes[10];
    std::memcpy(bytes, Take(10), 10);
    return ExtendedFromBytes(bytes);
}

std::string TValueReader::ReadString() {
    switch (NextValue()) {
    case TValueTag::String: {
        ++Pos;
        std::size_t n = static_cast<unsigned char>(*Take(1));
        return std::string(Take(n), n);
    }
    case TValueTag::LString: {
        ++Pos;
        std::size_t n = static_cast<std::size_t>(GetLE(Take(4), 4));
        return std::string(Take(n), n);
    }
    default:
        throw EGeneralError(BadValue);
    }
}

bool TValueReader::ReadBoolean() {
    TValueTag t = NextValue();
    if (t != TValueTag::True && t != TValueTag::False)
        throw EGeneralError(BadValue);
    ++Pos;
    return t == TValueTag::True;
}

void TValueReader::ReadListBegin() {
    if (NextValue() != TValueTag::List)
        throw EGeneralError(BadValue);
    ++Pos;
}

void TValueReader::ReadListEnd() {
    if (NextValue() != TValueTag::Null)
        throw EGeneralError(BadValue);
    ++Pos;
}

// ---------------------------------------------------------------- text form

std::string QuoteText(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

namespace {
[[noreturn]] void TextError(int line, const std::string& reason) {
    throw ELineError("Line " + std::to_string(line) + ": " + reason);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool EndsToken(char c) {
    return IsBlank(c) || c == '(' || c == ')' || c == '#' || c == '"';
}
} // namespace

std::string ValuesFromText(const std::string& text, int firstLine) {
    TValueWriter w;
    int line = firstLine;
    int depth = 0;
    std::vector<int> openLines; // where each open list started, for the error message
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (IsBlank(c)) {
            ++i;
        } else if (c == '#') {
            while (i < n && text[i] != '\n')
                ++i;
        } else if (c == '(') {
            w.WriteListBegin();
            ++depth;
            openLines.push_back(line);
            ++i;
        } else if (c == ')') {
            if (depth == 0)
                TextError(line, "\")\" without \"(\"");
            w.WriteListEnd();
            --depth;
            openLines.pop_back();
            ++i;
        } else if (c == '"') {
            std::string s;
            ++i;
            bool closed = false;
            while (i < n) {
                char d = text[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\n')
                    TextError(line, "string not closed");
                if (d == '\\') {
                    if (i >= n)
                        TextError(line, "string not closed");
                    char e = text[i++];
                    switch (e) {
                    case 'r':
                        s.push_back('\r');
                        break;
                    case 'n':
                        s.push_back('\n');
                        break;
                    case 't':
                        s.push_back('\t');
                        break;
                    case '"':
                    case '\\':
                        s.push_back(e);
                        break;
                    default:
                        TextError(line, std::string("unknown escape \"\\") + e + "\"");
                    }
                } else {
                    s.push_back(d);
                }
            }
            if (!closed)
                TextError(line, "string not closed");
            w.WriteString(s);
        } else {
            std::size_t start = i;
            while (i < n && !EndsToken(text[i]))
                ++i;
            std::string word = text.substr(start, i - start);
            if (word == "true") {
                w.WriteBoolean(true);
            } else if (word == "false") {
                w.WriteBoolean(false);
            } else if (std::size_t lead = (word[0] == '-' || word[0] == '+') ? 1 : 0;
                       word.find_first_of(".eE") != std::string::npos && lead < word.size() &&
                       (std::isdigit(static_cast<unsigned char>(word[lead])) || word[lead] == '.')) {
                Extended v = 0;
                if (!ParseFloat(word, v))
                    TextError(line, "\"" + word + "\" is not a number");
                w.WriteFloat(v);
            } else {
                std::size_t k = (word[0] == '-' || word[0] == '+') ? 1 : 0;
                bool digits = k < word.size();
                long long v = 0;
                for (; k < word.size() && digits; ++k) {
                    if (word[k] < '0' || word[k] > '9')
                        digits = false;
                    else
                        v = v * 10 + (word[k] - '0');
                    if (v > 2147483648LL)
                        TextError(line, "\"" + word + "\" is out of the integer range");
                }
                if (!digits)
                    TextError(line, "\"" + word + "\" is not a value");
                if (word[0] == '-')
                    v = -v;
                if (v > INT32_MAX)
                    TextError(line, "\"" + word + "\" is out of the integer range");
                w.WriteInteger(static_cast<std::int32_t>(v));
            }
        }
    }
    if (depth != 0)
        TextError(openLines.back(), "\"(\" without \")\"");
    return w.Bytes();
}

namespace {
std::string FloatText(Extended v) {
    if (std::isnan(v) || std::isinf(v))
        return "0.0"; // never produced by a column; keeps the text readable by ValuesFromText
    // The shortest text that reads back to the same extended value: 18 significant digits are not
    // always enough for 80 bits (1.0000000000000000001 would come back as 1.0).
    std::string s;
    for (int precision : {0, std::numeric_limits<Extended>::max_digits10}) {
        char buf[64];
        const std::to_chars_result r =
            precision == 0
                ? std::to_chars(buf, buf + sizeof buf, v)
                : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision - 1);
        Extended back = 0;
        if (r.ec == std::errc() &&
            ParseFloat(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), back) && back == v) {
            s.assign(buf, r.ptr);
            break;
        }
    }
    if (s.empty())
        s = FormatGeneral(v, 18); // extended subnormals our reader cannot take exactly
    if (s.find_first_of(".eE") == std::string::npos)
        s += ".0";
    return s;
}
} // namespace

std::string ValuesToText(const std::string& bytes, const std::string& indent) {
    TValueReader r(bytes);
    std::string out;
    int depth = 0;
    bool lineStart = true;
    bool afterOpen = false;
    auto token = [&](const std::string& t) {
        if (lineStart)
            out += indent;
        else if (!afterOpen && t != ")")
            out.push_back(' ');
        out += t;
        lineStart = false;
        afterOpen = t == "(";
    };
    while (!r.AtEnd()) {
        TValueTag t = r.NextValue();
        switch (t) {
        case TValueTag::Int8:
        case TValueTag::Int16:
        case TValueTag::Int32: {
            // At the outermost level an integer followed by a list opens a column: new line.
            std::int32_t v = r.ReadInteger();
            if (depth == 0 && !r.AtEnd() && r.NextValue() == TValueTag::List && !lineStart) {
                out.push_back('\n');
                lineStart = true;
            }
            token(std::to_string(v));
            break;
        }
        case TValueTag::Extended:
            token(FloatText(r.ReadFloat()));
            break;
        case TValueTag::String:
        case TValueTag::LString:
            token(QuoteText(r.ReadString()));
            break;
        case TValueTag::True:
        case TValueTag::False:
            token(r.ReadBoolean() ? "true" : "false");
            break;
        case TValueTag::List:
            r.ReadListBegin();
            token("(");
            ++depth;
            break;
        case TValueTag::Null:
            r.ReadListEnd();
            token(")");
            --depth;
            break;
        default:
            throw EGeneralError(BadValue);
        }
    }
    if (!lineStart)
        out.push_back('\n');
    return out;
}
