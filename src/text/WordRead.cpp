#include "text/WordRead.h"
#include "text/Errors.h"
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace {
const char* const Incomplete = "This file either invalid or incomplete.";

// Blanks and control characters, as trimmed from both ends of a line and before each word.
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

void SplitWords(std::string_view line, std::vector<std::string>& words) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && IsTrimmed(line[begin]))
        ++begin;
    while (end > begin && IsTrimmed(line[end - 1]))
        --end;
    // Count first so that each line's list is allocated once.
    std::size_t count = 0;
    for (std::size_t i = begin; i < end;) {
        ++count;
        while (i < end && line[i] != ' ' && line[i] != '\t')
            ++i;
        while (i < end && IsTrimmed(line[i]))
            ++i;
    }
    words.reserve(count);
    while (begin < end) {
        std::size_t stop = begin;
        while (stop < end && line[stop] != ' ' && line[stop] != '\t')
            ++stop;
        words.emplace_back(line.substr(begin, stop - begin));
        begin = stop;
        while (begin < end && IsTrimmed(line[begin]))
            ++begin;
    }
}

std::string ItemError(std::size_t line, std::size_t item, const char* what) {
    return "Error on Line " + std::to_string(line) + " Item " + std::to_string(item) + "\r" + what;
}

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

// Cuts text, arriving in pieces of any size, into lines and their words.
class TLineSplitter {
  public:
    explicit TLineSplitter(TWordReader& reader) : Reader(reader) {}

    void Feed(std::string_view chunk) {
        // One allocation for the lines of this piece rather than repeated growth.
        const std::size_t lines =
            Reader.Lines.size() + static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), '\n'));
        if (lines > Reader.Lines.capacity())
            Reader.Lines.reserve(std::max(lines, Reader.Lines.capacity() + Reader.Lines.capacity() / 2));
        while (!chunk.empty()) {
            const std::size_t lf = chunk.find('\n');
            if (lf == std::string_view::npos) {
                Pending.append(chunk);
                return;
            }
            if (Pending.empty()) {
                AddLine(chunk.substr(0, lf));
            } else {
                Pending.append(chunk.substr(0, lf));
                AddLine(Pending);
                Pending.clear();
            }
            chunk.remove_prefix(lf + 1);
        }
    }

    void Close() {
        // The last line counts without a line end; an empty text is one empty line.
        if (!Pending.empty() || Reader.Lines.empty())
            AddLine(Pending);
        Pending.clear();
        Reader.Finish();
    }

  private:
    void AddLine(std::string_view line) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // Editors that save as UTF-8 may put a byte-order mark first; it is no part of the first
        // line's text, and left there it would hide a keyword such as "PROFIL".
        if (Reader.Lines.empty() && line.substr(0, 3) == "\xEF\xBB\xBF")
            line.remove_prefix(3);
        TWordContainer& c = Reader.Lines.emplace_back();
        c.Raw.assign(line);
        SplitWords(line, c.Words);
    }

    TWordReader& Reader;
    std::string Pending;
};

TWordReader::TWordReader(const std::string& fileName) {
    errno = 0;
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file)
        throw EInOutError("Cannot open file \"" + fileName + "\": " + std::strerror(errno));
    TLineSplitter splitter(*this);
    std::unique_ptr<char[]> buffer(new char[1 << 20]);
    for (;;) {
        const std::size_t n = std::fread(buffer.get(), 1, 1 << 20, file.get());
        splitter.Feed(std::string_view(buffer.get(), n));
        if (n < (1 << 20)) {
            if (std::ferror(file.get()))
                throw EInOutError("Cannot read file \"" + fileName + "\": " + std::strerror(errno));
            break;
        }
    }
    splitter.Close();
}

TWordReader TWordReader::FromText(const std::string& text) {
    TWordReader reader;
    TLineSplitter splitter(reader);
    splitter.Feed(text);
    splitter.Close();
    return reader;
}

void TWordReader::Finish() {
    WordsFrom.assign(Lines.size() + 1, 0);
    for (std::size_t i = Lines.size(); i-- > 0;)
        WordsFrom[i] = WordsFrom[i + 1] + Lines[i].Words.size();
}

bool TWordReader::AtEnd() const {
    return LineIndex >= Lines.size();
}

std::size_t TWordReader::WordsLeft() const {
    if (AtEnd())
        return 0;
    const std::size_t onLine = Lines[LineIndex].Words.size();
    return (WordIndex < onLine ? onLine - WordIndex : 0) + WordsFrom[LineIndex + 1];
}

std::string TWordReader::ReadLine() {
    if (AtEnd())
        throw EInOutError(Incomplete);
    std::string raw = Lines[LineIndex].Raw;
    ++LineIndex;
    WordIndex = 0;
    return raw;
}

std::string TWordReader::ReadWord() {
    return NextWord();
}

const std::string& TWordReader::NextWord() {
    while (LineIndex < Lines.size() && WordIndex >= Lines[LineIndex].Words.size()) {
        ++LineIndex;
        WordIndex = 0;
    }
    if (AtEnd())
        throw EInOutError(Incomplete);
    return Lines[LineIndex].Words[WordIndex++];
}

Extended TWordReader::ReadFloat() {
    const std::string& word = NextWord();
    Extended v = 0;
    if (!ParseFloat(word, v))
        throw EInOutError(
            ItemError(LineIndex + 1, WordIndex, "A floating point number was expected but not found."));
    return v;
}

std::int32_t TWordReader::ReadInteger() {
    const std::string& word = NextWord();
    Extended v = 0;
    if (!ParseFloat(word, v) || !(v >= -2147483648.0L && v <= 2147483647.0L) || v != std::trunc(v))
        throw EInOutError(ItemError(LineIndex + 1, WordIndex, "An integer was expected but not found."));
    return static_cast<std::int32_t>(v);
}
