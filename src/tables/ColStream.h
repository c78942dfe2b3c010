#pragma once
// The typed-value stream in which a table stores its column definitions (its "Col" property),
// and a readable text form of the same values for the definitions kept under resources/.
//
// Binary form: every value starts with a one-byte tag; integers are little-endian and use the
// smallest width that holds them, floats are 80-bit extended numbers in 10 bytes, strings carry a
// one-byte length (a four-byte length above 255 bytes, so long texts are never cut).
//
// Text form: one token per value, so text and binary map one to one:
//   123 / -5            integer            1.5 / 0.0 / 2E-3   float (has "." or an exponent)
//   "text"              string ("\"", "\\", "\r", "\n", "\t" escapes)
//   true / false        boolean            ( ... )            list start ... list end
//   # to the end of the line is a comment; blanks and line ends only separate tokens.
#include "text/NumberForms.h"
#include <cstdint>
#include <string>

enum class TValueTag : std::uint8_t {
    Null = 0, // end of list
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    False = 8,
    True = 9,
    LString = 12,
};

class TValueWriter {
  public:
    void WriteInteger(std::int32_t value);
    void WriteFloat(Extended value);
    void WriteString(const std::string& value);
    void WriteBoolean(bool value);
    void WriteListBegin();
    void WriteListEnd();

    const std::string& Bytes() const { return Buffer; }

  private:
    std::string Buffer;
};

// Reads the values back. Every failure (end of data, a value of another kind) raises
// EGeneralError: "Stream read error" at the end of the data, "Invalid property value" otherwise.
class TValueReader {
  public:
    explicit TValueReader(std::string bytes) : Buffer(std::move(bytes)) {}

    bool AtEnd() const { return Pos >= Buffer.size(); }
    TValueTag NextValue() const; // raises at the end of the data
    bool NextIsString() const;
    bool NextIsInteger() const;
    bool EndOfList() const { return !AtEnd() && NextValue() == TValueTag::Null; }

    std::int32_t ReadInteger();
    Extended ReadFloat(); // an integer value is accepted as well
    std::string ReadString();
    bool ReadBoolean();
    void ReadListBegin();
    void ReadListEnd();

  private:
    TValueTag ReadTag();
    const char* Take(std::size_t n);

    std::string Buffer;
    std::size_t Pos = 0;
};

// 80-bit extended layout, independent of how wide long double is on the build machine.
void ExtendedToBytes(Extended value, unsigned char out[10]);
Extended ExtendedFromBytes(const unsigned char in[10]);

// Converts between the two forms. ValuesFromText raises EGeneralError "Line %d: <reason>" on
// malformed text; ValuesToText writes one value per token, starting a new line before each list
// opened at the outermost level so that one column reads as one line.
std::string ValuesFromText(const std::string& text, int firstLine = 1);
std::string ValuesToText(const std::string& bytes, const std::string& indent = "  ");

// Quoting used by the text form (also for property values of the definition files).
std::string QuoteText(const std::string& value);
