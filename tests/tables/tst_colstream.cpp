// The "Col" stream: tag encoding, both older forms, round trips, malformed streams, the text form.
#include "support/TableHelpers.h"
#include "tables/ColStream.h"
#include "tables/TableChart.h"
#include <QtTest>
#include <cmath>
#include <limits>

namespace {
std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}
} // namespace

class TestColStream : public QObject {
    Q_OBJECT
  private slots:
    void tagEncoding();
    void extendedRoundTrip();
    void readerRejectsWrongValues();
    void soilTableStream();
    void columnsRoundTrip();
    void olderFloatForm();
    void olderSubTableForms();
    void malformedStreams();
    void textFormMapsOneToOne();
    void textFormErrors();
};

void TestColStream::tagEncoding() {
    TValueWriter w;
    w.WriteInteger(5);
    w.WriteInteger(-1);
    w.WriteInteger(300);
    w.WriteInteger(70000);
    w.WriteInteger(-129);
    w.WriteString("ab");
    w.WriteBoolean(false);
    w.WriteBoolean(true);
    w.WriteListBegin();
    w.WriteListEnd();
    w.WriteFloat(1.0L);
    const std::string expected =
        Bytes({2,   5,   2, 0xFF, 3, 0x2C, 0x01, 4, 0x70, 0x11, 0x01, 0x00, 3, 0x7F, 0xFF, 6,    2,
               'a', 'b', 8, 9,    1, 0,    5,    0, 0,    0,    0,    0,    0, 0,    0x80, 0xFF, 0x3F});
    QCOMPARE(w.Bytes(), expected);
    // Texts longer than a one-byte length are kept whole.
    TValueWriter lw;
    lw.WriteString(std::string(300, 'x'));
    QCOMPARE(static_cast<int>(lw.Bytes()[0]), 12);
    TValueReader lr(lw.Bytes());
    QCOMPARE(lr.ReadString(), std::string(300, 'x'));
}

void TestColStream::extendedRoundTrip() {
    const Extended values[] = {0.0L,
                               -0.0L,
                               1.0L,
                               -2.5L,
                               0.1L,
                               1e-300L,
                               1e300L,
                               123456789.123456789L,
                               3.14159265358979323846L,
                               std::numeric_limits<Extended>::denorm_min(),
                               std::numeric_limits<Extended>::max(),
                               std::numeric_limits<Extended>::infinity()};
    for (Extended v : values) {
        unsigned char b[10];
        ExtendedToBytes(v, b);
        Extended back = ExtendedFromBytes(b);
        QCOMPARE(back, v);
        QCOMPARE(std::signbit(back), std::signbit(v));
    }
    unsigned char b[10];
    ExtendedToBytes(-2.0L, b);
    QCOMPARE(int(b[9]), 0xC0);
    QCOMPARE(int(b[8]), 0x00);
    QCOMPARE(int(b[7]), 0x80);
}

void TestColStream::readerRejectsWrongValues() {
    TValueWriter w;
    w.WriteString("x");
    w.WriteInteger(3);
    TValueReader r(w.Bytes());
    QCOMPARE(ErrorOf([&] { r.ReadInteger(); }), std::string("Invalid property value"));
    QCOMPARE(r.ReadString(), std::string("x"));
    QCOMPARE(r.ReadFloat(), 3.0L); // an integer reads as a float
    QCOMPARE(ErrorOf([&] { r.ReadBoolean(); }), std::string("Stream read error"));
    TValueReader cut(Bytes({6, 5, 'a'}));
    QCOMPARE(ErrorOf([&] { cut.ReadString(); }), std::string("Stream read error"));
}

void TestColStream::soilTableStream() {
    // The start of the soil table's definition, value by value.
    TGridTable soil;
    AddFloat(soil, "F/L2^3", false, {"Moist Unit", "Weight"});
    TValueWriter w;
    w.WriteInteger(1);
    w.WriteInteger(2);
    w.WriteListBegin();
    w.WriteString("Moist Unit");
    w.WriteString("Weight");
    w.WriteListEnd();
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    w.WriteBoolean(false);
    w.WriteString("FLOATCOLUMN2");
    w.WriteString("F/L2^3");
    w.WriteFloat(0.0L);
    QCOMPARE(soil.WriteCol(), w.Bytes());
}

void TestColStream::columnsRoundTrip() {
    TGridTable tmpl;
    AddFloat(tmpl);
    TGridTable t(tmpl.Live(), nullptr);
    auto& e = Add<TEnumColumn>(t, {"Kind"});
    e.SetItems({"a", "b", "c"});
    auto& i = Add<TIntColumn>(t, {"N", "count"});
    i.Default = -7;
    i.Minimum = -100000;
    i.Maximum = 2147483647;
    auto& f = AddFloat(t, "F/L^2", true, {"Top"});
    f.Default = -0.125L;
    f.GroupShared = true;
    auto& f2 = AddFloat(t, "L2", false, {"Bottom"});
    f2.Visible = false;
    auto& s = Add<TStringColumn>(t, {"Name"});
    s.Default = "abc \"q\"";
    s.WidthInches = 1.75L;
    auto& sub = Add<TTableColumn>(t, {"Sub"});
    sub.Templates.Clear();
    sub.Templates.Add(tmpl.Identifier());
    sub.Templates.Add(-1);
    sub.Templates.Add(99999);
    const std::string col = t.WriteCol();
    TGridTable copy(tmpl.Live(), nullptr); // of the template's model: its rows find the template
    copy.ReadCol(col);
    QCOMPARE(copy.WriteCol(), col);
    QCOMPARE(copy.ColumnCount(), 6);
    auto& ce = dynamic_cast<TEnumColumn&>(copy.Column(0));
    QVERIFY(ce.Items() == e.Items());
    auto& ci = dynamic_cast<TIntColumn&>(copy.Column(1));
    QCOMPARE(ci.Default, -7);
    QCOMPARE(ci.Minimum, -100000);
    QCOMPARE(ci.Maximum, 2147483647);
    QVERIFY(ci.HeaderLines() == i.HeaderLines());
    auto& cf = dynamic_cast<TFloatColumn&>(copy.Column(2));
    QVERIFY(cf.TopDepth && cf.GroupShared);
    QCOMPARE(cf.UnitString, std::string("F/L^2"));
    QCOMPARE(cf.Default, -0.125L);
    QVERIFY(!copy.Column(3).Visible);
    auto& cs = dynamic_cast<TStringColumn&>(copy.Column(4));
    QCOMPARE(cs.Default, s.Default);
    QCOMPARE(cs.WidthInches, 1.75L);
    auto& ct = dynamic_cast<TTableColumn&>(copy.Column(5));
    QCOMPARE(ct.Templates.Count(), 3);
    QCOMPARE(ct.Templates.Entry(0).Value, tmpl.Identifier());
    QCOMPARE(ct.Templates.Entry(1).Value, -1);
    QCOMPARE(ct.Templates.Entry(2).Value, 99999);
    // Rows of the copy: kind 1 takes the template, kind 2 has none.
    copy.SetRowCount(2);
    QVERIFY(ct.GetTable(0));
    ce.SetInt(1, 2);
    QVERIFY(!ct.GetTable(1));
}

void TestColStream::olderFloatForm() {
    TValueWriter w;
    w.WriteInteger(1);
    w.WriteInteger(2);
    w.WriteListBegin();
    w.WriteString("X");
    w.WriteListEnd();
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    w.WriteBoolean(false);
    w.WriteString("L2"); // no "FLOATCOLUMN2": this is the unit string, and no default follows
    TGridTable t;
    t.ReadCol(w.Bytes());
    auto& f = dynamic_cast<TFloatColumn&>(t.Column(0));
    QCOMPARE(f.UnitString, std::string("L2"));
    QCOMPARE(f.Default, 0.0L);
}

void TestColStream::olderSubTableForms() {
    TGridTable first, second;
    // Old form in a table whose first column is not an enumeration: one registry position.
    {
        TValueWriter w;
        w.WriteInteger(1);
        w.WriteInteger(3);
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteString("OLD");
        w.WriteInteger(0);
        TGridTable t;
        t.ReadCol(w.Bytes());
        auto& sub = dynamic_cast<TTableColumn&>(t.Column(0));
        QCOMPARE(sub.Templates.Count(), 1);
        QVERIFY(!sub.Templates.Entry(0).IsIdentifier);
        QCOMPARE(sub.Templates.Table(0, t), t.Registry().At(0));
        // Written back in the current form, naming the template by its identifier.
        TGridTable copy;
        copy.ReadCol(t.WriteCol());
        auto& csub = dynamic_cast<TTableColumn&>(copy.Column(0));
        QVERIFY(csub.Templates.Entry(0).IsIdentifier);
        QCOMPARE(csub.Templates.Entry(0).Value, t.Registry().At(0)->Identifier());
    }
    // After an enumeration column: one entry per item, identifiers 1..n, or the position when
    // the table is hard-wired.
    for (bool hardwired : {false, true}) {
        TValueWriter w;
        w.WriteInteger(2);
        w.WriteInteger(0);
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteListBegin();
        w.WriteString("a");
        w.WriteString("b");
        w.WriteListEnd();
        w.WriteInteger(3);
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteInteger(4); // the oldest form: the position alone
        TGridTable t;
        t.SetHardwiredButton(hardwired);
        t.ReadCol(w.Bytes());
        auto& sub = dynamic_cast<TTableColumn&>(t.Column(1));
        QCOMPARE(sub.Templates.Count(), 2);
        for (int k = 0; k < 2; ++k) {
            QCOMPARE(sub.Templates.Entry(k).IsIdentifier, !hardwired);
            QCOMPARE(sub.Templates.Entry(k).Value, hardwired ? 4 : k + 1);
        }
    }
}

void TestColStream::malformedStreams() {
    TGridTable t;
    QCOMPARE(ErrorOf([&] { t.ReadCol(""); }), std::string("Error reading column count"));
    QCOMPARE(ErrorOf([&] { t.ReadCol(Bytes({6, 1, 'x'})); }), std::string("Error reading column count"));
    QCOMPARE(ErrorOf([&] { t.ReadCol(Bytes({2, 1, 2, 9})); }), std::string("Error Column Class not defined"));
    QCOMPARE(ErrorOf([&] {
                 t.ReadCol(Bytes({2, 1}));
             }),
             std::string("Error occured when creating column 0: Stream read error"));
    QCOMPARE(t.ColumnCount(), 0);
    // The second column breaks off: the first stays, the half-made one is gone.
    TGridTable good;
    Add<TIntColumn>(good);
    std::string bytes = good.WriteCol();
    bytes[1] = 2;                             // claim two columns
    bytes += Bytes({2, 1, 1, 0, 9, 8, 2, 0}); // an integer column without its maximum
    t.SetRowCount(3);
    QCOMPARE(ErrorOf([&] { t.ReadCol(bytes); }),
             std::string("Error occured when creating column 1: Stream read error"));
    QCOMPARE(t.ColumnCount(), 1);
    QCOMPARE(t.Column(0).RowCount(), 3);
    // A value of the wrong kind inside a column.
    TGridTable u;
    QCOMPARE(ErrorOf([&] {
                 u.ReadCol(Bytes({2, 1, 2, 1, 1, 0, 9, 8, 8, 6, 0}));
             }),
             std::string("Error occured when creating column 0: Invalid property value"));
    QCOMPARE(u.ColumnCount(), 0);
}

void TestColStream::textFormMapsOneToOne() {
    const std::string text = "  3 -1 300 70000 1.5 0.0 -2E-3 \"a \\\"q\\\"\\r\" true false ( ) # comment\n"
                             "  (\"x\" (1))\n";
    const std::string bytes = ValuesFromText(text);
    TValueReader r(bytes);
    QCOMPARE(r.ReadInteger(), 3);
    QCOMPARE(r.ReadInteger(), -1);
    QCOMPARE(r.ReadInteger(), 300);
    QCOMPARE(r.ReadInteger(), 70000);
    QCOMPARE(r.NextValue(), TValueTag::Extended);
    QCOMPARE(r.ReadFloat(), 1.5L);
    QCOMPARE(r.NextValue(), TValueTag::Extended);
    QCOMPARE(r.ReadFloat(), 0.0L);
    QCOMPARE(r.ReadFloat(), -2E-3L);
    QCOMPARE(r.ReadString(), std::string("a \"q\"\r"));
    QVERIFY(r.ReadBoolean());
    QVERIFY(!r.ReadBoolean());
    r.ReadListBegin();
    r.ReadListEnd();
    r.ReadListBegin();
    QCOMPARE(r.ReadString(), std::string("x"));
    r.ReadListBegin();
    QCOMPARE(r.ReadInteger(), 1);
    r.ReadListEnd();
    r.ReadListEnd();
    QVERIFY(r.AtEnd());
    // Text written from bytes reads back to the same bytes.
    QCOMPARE(ValuesFromText(ValuesToText(bytes)), bytes);

    // Floats need up to 21 digits for 80 bits; the text form keeps every one of them.
    TValueWriter w;
    const Extended values[] = {1.0000000000000000001L, 1.0L / 3, std::numeric_limits<Extended>::max(),
                               -std::numeric_limits<Extended>::min(), 2.5L};
    for (Extended v : values)
        w.WriteFloat(v);
    const std::string floats = w.Bytes();
    QCOMPARE(ValuesFromText(ValuesToText(floats)), floats);
    QVERIFY(ValuesToText(floats).find("2.5") != std::string::npos); // and stays short where it can
}

void TestColStream::textFormErrors() {
    QCOMPARE(ErrorOf([] { ValuesFromText("1 )"); }), std::string("Line 1: \")\" without \"(\""));
    QCOMPARE(ErrorOf([] { ValuesFromText("1\n(\n2"); }), std::string("Line 2: \"(\" without \")\""));
    QCOMPARE(ErrorOf([] { ValuesFromText("\n\"abc"); }), std::string("Line 2: string not closed"));
    QCOMPARE(ErrorOf([] { ValuesFromText("1.2.3"); }), std::string("Line 1: \"1.2.3\" is not a number"));
    QCOMPARE(ErrorOf([] { ValuesFromText("yes"); }), std::string("Line 1: \"yes\" is not a value"));
    QCOMPARE(ErrorOf([] { ValuesFromText("2147483648"); }),
             std::string("Line 1: \"2147483648\" is out of the integer range"));
    QCOMPARE(ValuesFromText("-2147483648"), Bytes({4, 0, 0, 0, 0x80}));
    QCOMPARE(ErrorOf([] { ValuesFromText("\"\\q\""); }), std::string("Line 1: unknown escape \"\\q\""));
}

QTEST_GUILESS_MAIN(TestColStream)
#include "tst_colstream.moc"
