#pragma once
// Reads a text file as lines and blank/tab-separated words, converting words to numbers with
// line-and-item error messages. The input-file reader takes every section through it.
#include "text/NumberForms.h"
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
    // Lines may end in LF or CR LF; the last line needs no line end; an empty file is one empty line.
    explicit TWordReader(const std::string& fileName);
    // Same rules on text already in memory (clipboard text, tests).
    static TWordReader FromText(const std::string& text);

    bool AtEnd() const;
    // Raw text of the current line; past the last line: EInOutError, as for running out of words.
    std::string ReadLine();
    std::string ReadWord();
    Extended ReadFloat();
    std::int32_t ReadInteger();

    std::size_t LineCount() const { return Lines.size(); }
    std::size_t CurrentLine() const { return LineIndex; }
    // Words not yet read, from the current position to the end of the text.
    std::size_t WordsLeft() const;

  private:
    friend class TLineSplitter;
    TWordReader() = default;
    void Finish();                 // after the last line: word counts for WordsLeft
    const std::string& NextWord(); // ReadWord without the copy
    std::vector<TWordContainer> Lines;
    std::vector<std::size_t> WordsFrom; // WordsFrom[i]: words on line i and all lines after it
    std::size_t LineIndex = 0;
    std::size_t WordIndex = 0;
};
