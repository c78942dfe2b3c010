// Chart-backed tables: own registries, graphic parameters, the line parser, reading values from a
// file or clipboard text, and the data the editor's graph shows.
#include "support/FakeEditor.h"
#include "support/TableHelpers.h"
#include "tables/ColStream.h"
#include "tables/TableSet.h"
#include "text/Messages.h"
#include "text/NumberForms.h"
#include <QTemporaryDir>
#include <QtTest>

namespace {
std::string Data(const char* name) {
    return std::string(TEST_DATA_DIR) + "/tables/" + name;
}

std::vector<double> Numbers(const std::string& line) {
    std::vector<double> out;
    for (Extended v : ParseValueLine(line))
        out.push_back(static_cast<double>(v));
    return out;
}
} // namespace

class TestTableChart : public QObject {
    Q_OBJECT
  private slots:
    void graphicParametersInStream();
    void chartSubTablesFromChartTemplates();
    void lineParser();
    void clipboardLines();
    void readValuesFromFile();
    void readStopsAtMaxRowsAndOnRejectedValue();
    void pasteValues();
    void lineChartData();
    void axisLabels();
    void segmentDrawing();
};

void TestTableChart::graphicParametersInStream() {
    TGridTableChart t;
    AddFloat(t, "L2");
    AddFloat(t, "L2");
    t.GraphVisible = true;
    t.GraphAsSegments = true;
    t.XColumn = 1;
    t.YColumn = 0;
    t.X2Column = 300;
    t.Y2Column = -2;
    const std::string col = t.WriteCol();
    TGridTableChart copy;
    FakeEditor editor(copy);
    copy.ReadCol(col);
    QVERIFY(copy.GraphVisible && copy.GraphAsSegments);
    QCOMPARE(copy.XColumn, 1);
    QCOMPARE(copy.YColumn, 0);
    QCOMPARE(copy.X2Column, 300);
    QCOMPARE(copy.Y2Column, -2);
    QCOMPARE(copy.WriteCol(), col);
    QVERIFY(editor.RowsChangedCount >= 1);
    // A stream that ends inside the parameters: nothing of them is taken.
    TGridTableChart cut;
    QCOMPARE(ErrorOf([&] { cut.ReadCol(col.substr(0, col.size() - 2)); }),
             std::string("Error reading graphic parameters"));
    QVERIFY(!cut.GraphVisible);
    QCOMPARE(cut.XColumn, 0);
    // A plain table reads the columns alone; the parameters are the chart family's.
    TGridTable plain;
    plain.ReadCol(col);
    QCOMPARE(plain.ColumnCount(), 2);
}

void TestTableChart::chartSubTablesFromChartTemplates() {
    TGridTableChart tmpl;
    tmpl.SetCaption("Profile");
    AddFloat(tmpl);
    tmpl.GraphVisible = true;
    tmpl.XColumn = 0;
    tmpl.YColumn = 3;
    tmpl.GetDataFromFile = tmpl.InvertedYAxis = true;
    // The chart family's identifiers are its own: a plain table may hold the same number.
    TGridTable plainTwin(tmpl.Live(), nullptr);
    plainTwin.SetIdentifier(tmpl.Identifier());
    QCOMPARE(plainTwin.Identifier(), tmpl.Identifier());
    TGridTableChart parent(tmpl.Live(), nullptr);
    auto& subs = Add<TTableColumn>(parent);
    subs.Templates.Clear();
    subs.Templates.Add(tmpl.Identifier());
    parent.SetRowCount(1);
    auto* sub = dynamic_cast<TGridTableChart*>(subs.GetTable(0));
    QVERIFY(sub);
    QCOMPARE(sub->Caption(), std::string("Profile"));
    QVERIFY(sub->GraphVisible && sub->GetDataFromFile && sub->InvertedYAxis && !sub->InvertedXAxis);
    QCOMPARE(sub->YColumn, 3);
    QVERIFY(sub->IsChart());
}

void TestTableChart::lineParser() {
    QCOMPARE(Numbers("1.5, 2.5"), (std::vector<double>{1.5, 2.5}));
    QCOMPARE(Numbers("1.5 abc 2.5"), (std::vector<double>{1.5}));
    QCOMPARE(Numbers("1,,2"), (std::vector<double>{1}));
    QCOMPARE(Numbers("  \t-3E2\t4"), (std::vector<double>{-300, 4}));
    QCOMPARE(Numbers("7 "), (std::vector<double>{7}));
    QCOMPARE(Numbers("X Y"), (std::vector<double>{}));
    QCOMPARE(Numbers(""), (std::vector<double>{}));
    QCOMPARE(Numbers("1\r2"), (std::vector<double>{1, 2}));
    QCOMPARE(Numbers("1 2\n3 4"), (std::vector<double>{1})); // a line feed is no separator
    std::string many;
    for (int i = 0; i < 20; ++i)
        many += std::to_string(i) + " ";
    QCOMPARE(ParseValueLine(many).size(), std::size_t(15));
}

void TestTableChart::clipboardLines() {
    QCOMPARE(SplitTextLines("a\r\nb\rc"), (std::vector<std::string>{"a", "b", "c"}));
    QCOMPARE(SplitTextLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    QCOMPARE(SplitTextLines("a\nb\n"), (std::vector<std::string>{"a", "b"}));
}

void TestTableChart::readValuesFromFile() {
    TTableSet set;
    TGridTableChart& surface = set.FailSurfaceChart();
    surface.SetRowCount(5);
    TData& keep = surface.Cell(1, 0);
    QCOMPARE(surface.ReadValuesFromFile(Data("surface3.txt")), 3);
    QCOMPARE(surface.RowCount(), 3);
    QCOMPARE(surface.Cell(0, 1).GetFloat(), 5.5L);
    QCOMPARE(surface.Cell(1, 2).GetFloat(), 12.25L);
    QCOMPARE(keep.GetFloat(), 10.0L);
    QVERIFY(surface.Changed()); // rows were deleted
    // Reading fewer rows than there are keeps nothing of the old ones; reading into a shorter
    // table appends rows.
    surface.SetRowCount(1);
    surface.ResetChanged();
    QCOMPARE(surface.ReadValuesFromFile(Data("surface3.txt")), 3);
    QCOMPARE(surface.RowCount(), 3);
    QVERIFY(surface.Changed());
    // A file that cannot be opened is an input/output error; the table is untouched.
    QVERIFY_THROWS_EXCEPTION(EInOutError, surface.ReadValuesFromFile(Data("no-such-file.txt")));
    QCOMPARE(surface.RowCount(), 3);
    // A file without any matching line changes nothing.
    QTemporaryDir dir;
    const std::string empty = dir.filePath("empty.txt").toStdString();
    QFile f(QString::fromStdString(empty));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("heading only\n1 2 3\n");
    f.close();
    QCOMPARE(surface.ReadValuesFromFile(empty), 0);
    QCOMPARE(surface.RowCount(), 3);
    // A text editor may start the file with a byte-order mark; it is not part of the first line,
    // whose point must not be lost. UTF-16 files carry one as well.
    const std::string marked = dir.filePath("marked.txt").toStdString();
    QFile m(QString::fromStdString(marked));
    QVERIFY(m.open(QIODevice::WriteOnly));
    m.write("\xEF\xBB\xBF"
            "1 2\r\n3 4\r\n");
    m.close();
    QCOMPARE(surface.ReadValuesFromFile(marked), 2);
    QCOMPARE(surface.Cell(0, 0).GetFloat(), 1.0L);
    QCOMPARE(surface.Cell(1, 1).GetFloat(), 4.0L);
    QVERIFY(m.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const char16_t wide[] = u"\uFEFF7 8\r\n9 10\r\n";
    m.write(reinterpret_cast<const char*>(wide), sizeof(wide) - sizeof(char16_t));
    m.close();
    QCOMPARE(surface.ReadValuesFromFile(marked), 2);
    QCOMPARE(surface.Cell(0, 0).GetFloat(), 7.0L);
    QCOMPARE(surface.Cell(1, 1).GetFloat(), 10.0L);
}

void TestTableChart::readStopsAtMaxRowsAndOnRejectedValue() {
    TTableSet set;
    TGridTableChart& surface = set.FailSurfaceChart();
    QCOMPARE(surface.ReadValuesFromFile(Data("surface120.txt")), 100);
    QCOMPARE(surface.RowCount(), 100);
    QCOMPARE(surface.Cell(1, 99).GetFloat(), 49.5L);
    // The soil number 25 is out of range while the editor is open: reading stops with the
    // column's message, the rows read before stay.
    TGridTableChart& boundary = set.BoundCood();
    FakeEditor editor(boundary);
    QCOMPARE(ErrorOf([&] { boundary.ReadValuesFromFile(Data("boundary_badsoil.txt")); }),
             std::string("Entry must be between 1 and 20."));
    QCOMPARE(boundary.RowCount(), 2);
    QCOMPARE(boundary.Cell(2, 0).GetFloat(), 10.0L);
    QCOMPARE(boundary.Cell(3, 1).GetFloat(), 5.0L);
    QCOMPARE(boundary.Cell(4, 1).GetInt(), 1); // the rejected cell keeps its value

    // A value beyond the double range would be drawn and labelled as infinity: it is refused.
    surface.SetRowCount(1);
    surface.Cell(0, 0).SetFloat(7);
    QCOMPARE(ErrorOf([&] { surface.PasteValues("1 2\n1e904 5\n3 4\n"); }),
             std::string("Entry could not be evaluated:\rvalue out of range"));
    QCOMPARE(surface.Cell(0, 0).GetFloat(), 1.0L);
    QCOMPARE(surface.RowCount(), 1);
    for (Extended v : {1e308L * 10, -1e309L})
        QVERIFY(ErrorOf([&] { surface.PasteValues(FormatGeneral(v, 18) + " 1\n"); }).find("out of range") !=
                std::string::npos);
    QCOMPARE(FormatAxisLabel(std::numeric_limits<double>::infinity(), "#.0##E-0"), std::string());
    QCOMPARE(FormatAxisLabel(std::nan(""), "#,##0.###"), std::string());
}

void TestTableChart::pasteValues() {
    std::string shown;
    const TCoreContext context{nullptr, [&](TMessageKind, const std::string& m) { shown = m; }};
    TTableSet set(&context);
    TGridTableChart& surface = set.FailSurfaceChart();
    surface.SetRowCount(2);
    surface.Cell(0, 1).SetFloat(42);
    QCOMPARE(surface.PasteValues(""), 0);
    QCOMPARE(shown, std::string("There is no text on the Clipboard"));
    // Text copied on Linux ends its lines with line feeds alone: each is a line of its own.
    QCOMPARE(surface.PasteValues("0 10\n5 10\n10 10\n"), 3);
    QCOMPARE(surface.RowCount(), 3);
    QCOMPARE(surface.Cell(0, 2).GetFloat(), 10.0L);
    QCOMPARE(surface.PasteValues("x y\r\n1 2\r\n3,4\r\n5\t6"), 3);
    QCOMPARE(surface.RowCount(), 3);
    QCOMPARE(surface.Cell(0, 2).GetFloat(), 5.0L);
    QCOMPARE(surface.Cell(1, 2).GetFloat(), 6.0L);
    // Values go through the column as text with up to 15 significant digits.
    QCOMPARE(surface.PasteValues("0.1 1e-7\r"), 1);
    QCOMPARE(surface.Cell(0, 0).GetText(), std::string("0.1"));
    QCOMPARE(surface.Cell(1, 0).GetText(), std::string("1E-7"));
}

void TestTableChart::lineChartData() {
    TTableSet set;
    TGridTableChart& surface = set.FailSurfaceChart();
    surface.SetRowCount(3);
    const double pts[3][2] = {{0, 10}, {5, 10}, {10, 10}};
    for (int r = 0; r < 3; ++r) {
        surface.Cell(0, r).SetFloat(pts[r][0]);
        surface.Cell(1, r).SetFloat(pts[r][1]);
    }
    TLineChartData d = LineChartData(surface);
    QCOMPARE(d.Series1.size(), std::size_t(3));
    QCOMPARE(d.Series1[1].Y, 10 * 1.001);
    QCOMPARE(d.Series1[2].Y, 10.0);
    QVERIFY(d.FixedLeftRange);
    QCOMPARE(d.LeftMin, 9.0);
    QCOMPARE(d.LeftMax, 11.0);
    QVERIFY(!d.TwoSeries);
    QCOMPARE(d.BottomTitle, std::string("X Coord (ft)  "));
    QCOMPARE(d.LeftTitle, std::string("Y Coord (ft)  "));
    // A single point: an automatic range.
    surface.SetRowCount(1);
    d = LineChartData(surface);
    QVERIFY(!d.FixedLeftRange);
    QCOMPARE(d.Series1.size(), std::size_t(1));
    // Decreasing x is joined in increasing x.
    surface.SetRowCount(3);
    const double back[3][2] = {{10, 1}, {5, 2}, {0, 3}};
    for (int r = 0; r < 3; ++r) {
        surface.Cell(0, r).SetFloat(back[r][0]);
        surface.Cell(1, r).SetFloat(back[r][1]);
    }
    d = LineChartData(surface);
    QCOMPARE(d.Series1[0].X, 0.0);
    QCOMPARE(d.Series1[0].Y, 3.0);
    QCOMPARE(d.Series1[2].X, 10.0);
    // Three data columns with x in 0 and y in 1: two series titled by columns 1 and 2.
    TGridTableChart three;
    AddFloat(three, "", false, {"X"});
    AddFloat(three, "", false, {"Top"});
    AddFloat(three, "", false, {"Bottom"});
    three.XColumn = 0;
    three.YColumn = 1;
    three.SetRowCount(2);
    three.Cell(2, 1).SetFloat(4);
    d = LineChartData(three);
    QVERIFY(d.TwoSeries);
    QCOMPARE(d.Series2Title, std::string("Bottom"));
    QCOMPARE(d.Series2[1].Y, 4.0);
    QVERIFY(!d.FixedLeftRange); // column 2 varies
    // One data column: x is the row index.
    TGridTableChart one;
    AddFloat(one, "", false, {"V"});
    one.SetRowCount(2);
    one.Cell(0, 1).SetFloat(3);
    d = LineChartData(one);
    QCOMPARE(d.BottomTitle, std::string("N"));
    QVERIFY(d.HideSeries1Marks);
    QCOMPARE(d.Series1[1].X, 1.0);
    QCOMPARE(d.BottomFormat, std::string("#,##0"));
}

void TestTableChart::axisLabels() {
    QCOMPARE(AxisLabelFormat(0, 50), std::string("#,##0.###"));
    QCOMPARE(AxisLabelFormat(150000, 250000), std::string("#.0##E-0"));
    QCOMPARE(AxisLabelFormat(-200000, 5), std::string("#.0##E-0"));
    QCOMPARE(AxisLabelFormat(0.0001, 0.0009), std::string("#.0##E-0"));
    QCOMPARE(AxisLabelFormat(0, 0), std::string("#,##0.###"));
    QCOMPARE(FormatAxisLabel(1234567.25, "#,##0.###"), std::string("1,234,567.25"));
    QCOMPARE(FormatAxisLabel(-0.5, "#,##0.###"), std::string("-0.5"));
    QCOMPARE(FormatAxisLabel(12, "#,##0.###"), std::string("12"));
    QCOMPARE(FormatAxisLabel(1234.6, "#,##0"), std::string("1,235"));
    QCOMPARE(FormatAxisLabel(123456, "#.0##E-0"), std::string("1.235E5"));
    QCOMPARE(FormatAxisLabel(200000, "#.0##E-0"), std::string("2.0E5"));
    QCOMPARE(FormatAxisLabel(-0.00025, "#.0##E-0"), std::string("-2.5E-4"));
}

void TestTableChart::segmentDrawing() {
    TTableSet set;
    TGridTableChart& b = set.BoundCood();
    b.SetRowCount(2);
    for (int r = 0; r < 2; ++r) {
        b.Cell(0, r).SetFloat(10 * r);
        b.Cell(1, r).SetFloat(3);
        b.Cell(2, r).SetFloat(10 * r + 10);
        b.Cell(3, r).SetFloat(3);
    }
    QVERIFY(SegmentDrawing(b, 285, 170).Blank); // no vertical extent
    const double rows[2][4] = {{0, 0, 10, 5}, {10, 5, 20, 5}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            b.Cell(c, r).SetFloat(rows[r][c]);
    TSegmentDrawing d = SegmentDrawing(b, 285, 170);
    QVERIFY(!d.Blank);
    QCOMPARE(d.Segments.size(), std::size_t(2));
    const auto& s1 = d.Segments[0];
    const auto& s2 = d.Segments[1];
    QCOMPARE(s1.X1, 20);
    QCOMPARE(s1.Y1, 150); // lowest y at the bottom margin
    QCOMPARE(s2.X2, 265);
    QCOMPARE(s2.Y2, 20);
    QCOMPARE(s1.Label, std::string("1"));
    QCOMPARE(s2.Label, std::string("2"));
    QCOMPARE(s1.LabelX, 20 + 61); // midpoint x = 5 of 20: a quarter of 245, rounded
    TGridTableChart empty;
    QVERIFY(SegmentDrawing(empty, 100, 100).Blank);
}

QTEST_GUILESS_MAIN(TestTableChart)
#include "tst_tablechart.moc"
