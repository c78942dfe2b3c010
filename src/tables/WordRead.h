#pragma once
// Reads a text file as lines and blank/tab-separated words, converting words to numbers with
// line-and-item error messages. The input-file reader takes every section through it.
#include "tables/NumberForms.h"
#include <cstdint>
#include <string>
#include <vector>

class TWordContainer {
  public:
    std::vector<std::string> Words; // the line's words in order
    std::string Raw;                // the line exactly as read (without its line end)
};

class TWordReader {
  public:
    // Reads the whole file; raises EInOutError with the system's reason when it cannot be read.
    explicit TWordReader(const std::string& fileName);
    // Same rules on text already in memory (clipboard text, tests).
    static TWordReader FromText(const std::string& text);

    bool AtEnd() const;
    std::string ReadLine();
    std::string ReadWord();
    Extended ReadFloat();
    std::int32_t ReadInteger();

    std::size_t LineCount() const { return Lines.size(); }
    std::size_t CurrentLine() const { return LineIndex; }
    // Words not yet read, from the current position to the end of the text.
    std::size_t WordsLeft() const;

  private:
    TWordReader() = default;
    std::vector<TWordContainer> Lines;
    std::size_t LineIndex = 0;
    std::size_t WordIndex = 0;
};
