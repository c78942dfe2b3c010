// The text library's small helpers: an output file's name beside its input, and trimming a line.
#include "text/FileNames.h"
#include "text/Trim.h"
#include <QtTest>

class TestTextHelpers : public QObject {
    Q_OBJECT
  private slots:
    void extensionIsReplacedOnlyInTheFileName();
    void trimRemovesBlanksAndLineEndsAtBothEnds();
};

void TestTextHelpers::extensionIsReplacedOnlyInTheFileName() {
    QCOMPARE(ChangeFileExt("/m/slope.qvxi", ".qvxo"), std::string("/m/slope.qvxo"));
    QCOMPARE(ChangeFileExt("slope", ".qvxo"), std::string("slope.qvxo"));
    // Only the last dot is the extension's.
    QCOMPARE(ChangeFileExt("a.b.qvxi", ".qvxp"), std::string("a.b.qvxp"));
    // A dot in a folder name is not an extension, with either separator.
    QCOMPARE(ChangeFileExt("/run.1/slope", ".qvxr"), std::string("/run.1/slope.qvxr"));
    QCOMPARE(ChangeFileExt("C:\\run.1\\slope", ".qvxr"), std::string("C:\\run.1\\slope.qvxr"));
    QCOMPARE(ChangeFileExt("C:\\run\\slope.qvxi", ".qvxr"), std::string("C:\\run\\slope.qvxr"));
}

void TestTextHelpers::trimRemovesBlanksAndLineEndsAtBothEnds() {
    QCOMPARE(Trim("  Table  Soils : TSoilTable \r"), std::string("Table  Soils : TSoilTable"));
    QCOMPARE(Trim("\tx\n"), std::string("x"));
    QCOMPARE(Trim("x"), std::string("x"));
    QCOMPARE(Trim(" \t\r\n "), std::string());
    QCOMPARE(Trim(""), std::string());
}

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
