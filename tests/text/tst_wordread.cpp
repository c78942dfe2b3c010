// The word reader: lines, words, numbers, its messages, line ends and unreadable files.
#include "text/Errors.h"
#include "text/WordRead.h"
#include <QtTest>
#include <clocale>
#include <fstream>
#include <locale>

namespace {
template <typename F> std::string InOutMessage(F&& f) {
    try {
        f();
    } catch (const EInOutError& e) {
        return e.what();
    }
    return "no error";
}

struct TCommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};
} // namespace

class TestWordRead : public QObject {
    Q_OBJECT
  private slots:
    void wordsAreSplitAtBlanksAndTabs();
    void numbersAndTheirMessages();
    void integers();
    void emptyLinesArePassedOver();
    void runningOutOfWords();
    void lineEndsAndLastLine();
    void wordsLeft();
    void filesOnDisk();
    void missingAndUnreadableFiles();
    void numbersDoNotFollowTheLocale();
};

void TestWordRead::wordsAreSplitAtBlanksAndTabs() {
    const std::string line = "  10\t 2.5   abc ";
    TWordReader r = TWordReader::FromText(line + "\nnext");
    QCOMPARE(r.ReadWord(), std::string("10"));
    QCOMPARE(r.ReadWord(), std::string("2.5"));
    QCOMPARE(r.ReadWord(), std::string("abc"));
    QCOMPARE(r.ReadWord(), std::string("next"));

    TWordReader raw = TWordReader::FromText(line + "\nnext");
    QCOMPARE(raw.ReadWord(), std::string("10"));
    QCOMPARE(raw.ReadLine(), line); // the whole line with its blanks and tab, whatever was read of it
    QCOMPARE(raw.ReadLine(), std::string("next"));
    QVERIFY(raw.AtEnd());

    // Control characters at the ends of a word are trimmed; inside a word they stay.
    TWordReader ctl = TWordReader::FromText("\x01"
                                            "a\x02"
                                            "b \x03"
                                            "c\x04");
    QCOMPARE(ctl.ReadWord(), std::string("a\x02"
                                         "b"));
    QCOMPARE(ctl.ReadWord(), std::string("c"));
    QVERIFY(ctl.AtEnd() || ctl.WordsLeft() == 0);

    // Bytes above 127 are text, not blanks.
    TWordReader latin = TWordReader::FromText("\xe9t\xe9 \xa0x");
    QCOMPARE(latin.ReadWord(), std::string("\xe9t\xe9"));
    QCOMPARE(latin.ReadWord(), std::string("\xa0x"));
}

void TestWordRead::numbersAndTheirMessages() {
    TWordReader r = TWordReader::FromText("10 2.5 abc 4\n1E-6 1E-6. -3");
    QCOMPARE(r.ReadFloat(), 10.0L);
    QCOMPARE(r.ReadFloat(), 2.5L);
    QCOMPARE(InOutMessage([&] { r.ReadFloat(); }),
             std::string("Error on Line 1 Item 3\rA floating point number was expected but not found."));
    QCOMPARE(r.ReadFloat(), 4.0L); // the reader has moved past the bad word
    QCOMPARE(r.ReadFloat(), 0.000001L);
    QCOMPARE(InOutMessage([&] { r.ReadFloat(); }),
             std::string("Error on Line 2 Item 2\rA floating point number was expected but not found."));
    QCOMPARE(r.ReadFloat(), -3.0L);

    TWordReader range = TWordReader::FromText("1e99999 1,5 0x10");
    for (int item = 1; item <= 3; ++item)
        QCOMPARE(InOutMessage([&] { range.ReadFloat(); }),
                 "Error on Line 1 Item " + std::to_string(item) +
                     "\rA floating point number was expected but not found.");
}

void TestWordRead::integers() {
    TWordReader r = TWordReader::FromText("2.0 2.5 -2147483648 2147483647 2147483648 x 7e2 -0");
    QCOMPARE(r.ReadInteger(), 2);
    QCOMPARE(InOutMessage([&] { r.ReadInteger(); }),
             std::string("Error on Line 1 Item 2\rAn integer was expected but not found."));
    QCOMPARE(r.ReadInteger(), std::numeric_limits<std::int32_t>::min());
    QCOMPARE(r.ReadInteger(), std::numeric_limits<std::int32_t>::max());
    QCOMPARE(InOutMessage([&] { r.ReadInteger(); }),
             std::string("Error on Line 1 Item 5\rAn integer was expected but not found."));
    QCOMPARE(InOutMessage([&] { r.ReadInteger(); }),
             std::string("Error on Line 1 Item 6\rAn integer was expected but not found."));
    QCOMPARE(r.ReadInteger(), 700);
    QCOMPARE(r.ReadInteger(), 0);
}

void TestWordRead::emptyLinesArePassedOver() {
    TWordReader r = TWordReader::FromText("\n\n   \n\t\n1 2\n\n3");
    QCOMPARE(r.LineCount(), std::size_t(7));
    QCOMPARE(r.ReadInteger(), 1);
    QCOMPARE(r.CurrentLine(), std::size_t(4));
    QCOMPARE(r.ReadInteger(), 2);
    QCOMPARE(r.ReadInteger(), 3);
    QCOMPARE(r.CurrentLine(), std::size_t(6));
    // An error on a later line names that line.
    TWordReader e = TWordReader::FromText("\n\n  x");
    QCOMPARE(InOutMessage([&] { e.ReadFloat(); }),
             std::string("Error on Line 3 Item 1\rA floating point number was expected but not found."));
}

void TestWordRead::runningOutOfWords() {
    TWordReader r = TWordReader::FromText("a b\n\n");
    QCOMPARE(r.ReadWord(), std::string("a"));
    QCOMPARE(r.ReadWord(), std::string("b"));
    const std::string incomplete = "This file either invalid or incomplete.";
    QCOMPARE(InOutMessage([&] { r.ReadWord(); }), incomplete);
    QVERIFY(r.AtEnd());
    QCOMPARE(InOutMessage([&] { r.ReadFloat(); }), incomplete);
    QCOMPARE(InOutMessage([&] { r.ReadInteger(); }), incomplete);
    // A line past the last one is as incomplete a file as a missing word.
    QCOMPARE(InOutMessage([&] { r.ReadLine(); }), incomplete);
}

void TestWordRead::lineEndsAndLastLine() {
    TWordReader crlf = TWordReader::FromText("PROFIL\r\nTitle  \r\n1 2\r\n");
    QCOMPARE(crlf.LineCount(), std::size_t(3));
    QCOMPARE(crlf.ReadLine(), std::string("PROFIL"));
    QCOMPARE(crlf.ReadLine(), std::string("Title  "));
    QCOMPARE(crlf.ReadInteger(), 1);
    QCOMPARE(crlf.ReadInteger(), 2);

    QCOMPARE(TWordReader::FromText("a\nb").LineCount(), std::size_t(2));     // last line without line end
    QCOMPARE(TWordReader::FromText("a\nb\n").LineCount(), std::size_t(2));   // a final line end adds no line
    QCOMPARE(TWordReader::FromText("a\r\nb\n").LineCount(), std::size_t(2)); // mixed line ends
    QCOMPARE(TWordReader::FromText("\n").LineCount(), std::size_t(1));

    // A UTF-8 byte-order mark before the first line is no part of it; elsewhere it is text.
    TWordReader bom = TWordReader::FromText("\xEF\xBB\xBFPROFIL\n\xEF\xBB\xBFx\n");
    QCOMPARE(bom.ReadLine(), std::string("PROFIL"));
    QCOMPARE(bom.ReadLine(), std::string("\xEF\xBB\xBFx"));

    TWordReader empty = TWordReader::FromText("");
    QCOMPARE(empty.LineCount(), std::size_t(1)); // an empty text is one empty line
    QVERIFY(!empty.AtEnd());
    QCOMPARE(empty.ReadLine(), std::string());
    QVERIFY(empty.AtEnd());
}

void TestWordRead::wordsLeft() {
    TWordReader r = TWordReader::FromText("1 2 3\n\n4\n5 6");
    QCOMPARE(r.WordsLeft(), std::size_t(6));
    r.ReadWord();
    QCOMPARE(r.WordsLeft(), std::size_t(5));
    r.ReadLine(); // skips "2 3"
    QCOMPARE(r.WordsLeft(), std::size_t(3));
    r.ReadWord();
    r.ReadWord();
    QCOMPARE(r.WordsLeft(), std::size_t(1));
    r.ReadWord();
    QCOMPARE(r.WordsLeft(), std::size_t(0));
    r.ReadLine();
    QVERIFY(r.AtEnd());
    QCOMPARE(r.WordsLeft(), std::size_t(0));
}

void TestWordRead::filesOnDisk() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = dir.filePath("numbers.txt").toStdString();
    // Long lines and many of them cross the reader's buffer boundaries at odd places.
    std::string expected;
    {
        std::ofstream out(path, std::ios::binary);
        for (int line = 0; line < 3000; ++line) {
            for (int k = 0; k < line % 400; ++k)
                out << line << '.' << k << ' ';
            out << (line % 2 ? "\r\n" : "\n");
        }
        out << "end"; // no line end after the last line
    }
    TWordReader r(path);
    QCOMPARE(r.LineCount(), std::size_t(3001));
    std::size_t words = r.WordsLeft();
    for (int line = 0; line < 3000; ++line)
        for (int k = 0; k < line % 400; ++k) {
            const std::string word = r.ReadWord();
            if (word != std::to_string(line) + '.' + std::to_string(k))
                QFAIL(("unexpected word " + word).c_str());
            --words;
        }
    QCOMPARE(r.WordsLeft(), words);
    QCOMPARE(r.ReadWord(), std::string("end"));
    QCOMPARE(r.WordsLeft(), std::size_t(0));
}

void TestWordRead::missingAndUnreadableFiles() {
    QTemporaryDir dir;
    const std::string missing = dir.filePath("no such file.qvxd").toStdString();
    QCOMPARE(InOutMessage([&] { TWordReader r(missing); }),
             "Cannot open file \"" + missing + "\": No such file or directory");
    const std::string folder = dir.path().toStdString();
    QCOMPARE(InOutMessage([&] { TWordReader r(folder); }),
             "Cannot read file \"" + folder + "\": Is a directory");
}

void TestWordRead::numbersDoNotFollowTheLocale() {
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new TCommaDecimal));
    TWordReader r = TWordReader::FromText("2.5 2,5 3.0");
    QCOMPARE(r.ReadFloat(), 2.5L);
    QCOMPARE(InOutMessage([&] { r.ReadFloat(); }),
             std::string("Error on Line 1 Item 2\rA floating point number was expected but not found."));
    QCOMPARE(r.ReadInteger(), 3);
    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
}

QTEST_APPLESS_MAIN(TestWordRead)
#include "tst_wordread.moc"
