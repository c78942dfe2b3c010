// The five column kinds: text, typed entries, group sharing, depth pairs, units, widths, sub-tables.
#include "support/FakeEditor.h"
#include "support/TableHelpers.h"
#include "tables/ColStream.h"
#include "text/Messages.h"
#include "text/Units.h"
#include <QFont>
#include <QFontMetrics>
#include <QtTest>

class TestColumns : public QObject {
    Q_OBJECT
  private slots:
    void wrongTypeAccessors();
    void integerEntriesCheckedOnlyWhileEditing();
    void enumerationEntries();
    void rejectedFloatEntryKeepsValue();
    void floatHeaderCarriesUnitLabel();
    void groupSharedRows();
    void topBottomDepthPairs();
    void depthPairNeedsFloatPartner();
    void unitConversion();
    void widths();
    void dataHandlesFollowTheirRows();
    void subTablesByKind();
    void missingTemplateAndOwnerObjects();
    void cloneCopiesSettings();
    void columnTypeRegistry();
};

void TestColumns::wrongTypeAccessors() {
    TGridTable t;
    auto& s = Add<TStringColumn>(t);
    auto& i = Add<TIntColumn>(t);
    t.SetRowCount(1);
    const std::string wrong = "Data of wrong type";
    QCOMPARE(ErrorOf([&] { s.GetFloat(0); }), wrong);
    QCOMPARE(ErrorOf([&] { s.SetInt(0, 1); }), wrong);
    QCOMPARE(ErrorOf([&] { i.SetFloat(0, 1); }), wrong);
    QCOMPARE(ErrorOf([&] { t.Cell(1, 0).GetTable(); }), wrong);
    QCOMPARE(ErrorOf([&] { t.Cell(1, 0).GetObject(); }), wrong);
    QCOMPARE(ErrorOf([&] { t.Cell(0, 0).GetInt(); }), wrong);
    QCOMPARE(ErrorOf([&] { t.Cell(0, 1); }), std::string("Index out of bounds"));
    QCOMPARE(i.GetInt(0), 0); // untouched by the failed calls
}

void TestColumns::integerEntriesCheckedOnlyWhileEditing() {
    TGridTable t;
    auto& c = Add<TIntColumn>(t);
    c.Minimum = 0;
    c.Maximum = 20;
    c.Default = 3;
    t.SetRowCount(1);
    QCOMPARE(c.GetText(0), std::string("3"));
    {
        FakeEditor editor(t);
        QCOMPARE(ErrorOf([&] { c.SetText(0, "21"); }), std::string("Entry must be between 0 and 20."));
        QCOMPARE(ErrorOf([&] { c.SetText(0, "2.5"); }), std::string("Entry must be an integer."));
        QCOMPARE(ErrorOf([&] { c.SetText(0, "-2.5"); }), std::string("Entry must be an integer."));
        QCOMPARE(c.GetInt(0), 3);
        c.SetText(0, "4*5");
        QCOMPARE(c.GetInt(0), 20);
        QCOMPARE(ErrorOf([&] { c.SetText(0, "abc"); }).rfind("Entry could not be evaluated:\r", 0), 0u);
        QCOMPARE(c.GetInt(0), 20);
    }
    // Without an editor: any value, to the nearest integer, no range check.
    c.SetText(0, "2.6");
    QCOMPARE(c.GetInt(0), 3);
    c.SetText(0, "-57");
    QCOMPARE(c.GetInt(0), -57);
    // A value an integer cannot hold is refused rather than stored as garbage.
    QCOMPARE(ErrorOf([&] { c.SetText(0, "1E12"); }),
             std::string("Entry must be between -2147483648 and 2147483647."));
    QCOMPARE(c.GetInt(0), -57);
}

void TestColumns::enumerationEntries() {
    TGridTable t;
    auto& e = Add<TEnumColumn>(t);
    e.SetItems({"One", "Two", "Three"});
    t.SetRowCount(2);
    QCOMPARE(e.GetInt(1), 1);
    QCOMPARE(e.ItemIndex(1), 0);
    FakeEditor editor(t);
    e.SetText(1, "1+1");
    QCOMPARE(e.GetInt(1), 2);
    QCOMPARE(e.GetText(1), std::string("2"));
    QCOMPARE(editor.Cells.size(), std::size_t(1));
    e.SetInt(1, 2); // unchanged: nothing happens
    QCOMPARE(editor.Cells.size(), std::size_t(1));
    QCOMPARE(ErrorOf([&] { e.SetText(1, "2.5"); }), std::string("Value must be an integer."));
    QCOMPARE(ErrorOf([&] { e.SetText(1, "3E10"); }), std::string("Value must be an integer."));
    e.SetText(0, "9"); // no range check on the item number
    QCOMPARE(e.GetInt(0), 9);
    QVERIFY(e.UsesControls());
}

void TestColumns::rejectedFloatEntryKeepsValue() {
    TGridTable t;
    auto& f = AddFloat(t);
    t.SetRowCount(1);
    f.SetText(0, "2*3");
    QCOMPARE(f.GetFloat(0), 6.0L);
    QCOMPARE(ErrorOf([&] { f.SetText(0, ""); }),
             std::string("Entry could not be evaluated:\rentry cannot be blank"));
    QCOMPARE(ErrorOf([&] { f.SetText(0, "abc"); }).rfind("Entry could not be evaluated:\r", 0), 0u);
    QCOMPARE(f.GetFloat(0), 6.0L);
    f.SetFloat(0, 1.0L / 3);
    QCOMPARE(f.GetText(0), std::string("0.33333333"));
    QVERIFY(!f.UsesControls());
}

void TestColumns::floatHeaderCarriesUnitLabel() {
    TGridTable t;
    auto& w = AddFloat(t, "F/L2^3", false, {"Moist Unit", "Weight"});
    auto& plain = AddFloat(t, "", false, {"Pore Pressure", "Coefficient"});
    QCOMPARE(w.GetHeaderLine(0), std::string("Moist Unit"));
    QCOMPARE(w.GetHeaderLine(1), std::string("Weight (lbs/ft^3)  "));
    QCOMPARE(plain.GetHeaderLine(1), std::string("Coefficient"));
    t.SetUnitSystem(usSI);
    QCOMPARE(w.GetHeaderLine(1), std::string("Weight (kN/m^3)  "));
    t.SetUnitSystem(usOther);
    QCOMPARE(w.GetHeaderLine(1), std::string("Weight (F/L^3)  "));
    QCOMPARE(w.HeaderLines().at(1), std::string("Weight"));
}

void TestColumns::groupSharedRows() {
    TGridTable t;
    t.SetRowGroup(3);
    auto& f = AddFloat(t);
    auto& s = Add<TStringColumn>(t);
    auto& i = Add<TIntColumn>(t);
    f.GroupShared = s.GroupShared = i.GroupShared = true;
    t.SetRowCount(6);
    f.SetFloat(4, 2.5L);
    s.SetText(0, "x");
    i.SetInt(5, 7);
    for (int r = 0; r < 6; ++r) {
        QCOMPARE(f.GetFloat(r), r >= 3 ? 2.5L : 0.0L);
        QCOMPARE(s.GetText(r), std::string(r < 3 ? "x" : ""));
        QCOMPARE(i.GetInt(r), r >= 3 ? 7 : 0);
    }
    // A last group cut short by the row count is written as far as it goes.
    t.SetRowCount(7);
    f.SetFloat(6, 9);
    QCOMPARE(f.GetFloat(6), 9.0L);
    QCOMPARE(f.GetFloat(5), 2.5L);
}

void TestColumns::topBottomDepthPairs() {
    TGridTable t;
    auto& top = AddFloat(t, "L2", true);
    auto& bottom = AddFloat(t, "L2");
    top.Default = -1;
    bottom.Default = -2;
    t.SetRowCount(2);
    // Appended rows take the defaults.
    QCOMPARE(top.GetFloat(1), -1.0L);
    QCOMPARE(bottom.GetFloat(1), -2.0L);
    top.SetFloat(0, 0);
    bottom.SetFloat(0, 5);
    top.SetFloat(1, 5);
    bottom.SetFloat(1, 12);
    // Setting a top moves the bottom of the row above, and the other way round.
    top.SetFloat(1, 6);
    QCOMPARE(bottom.GetFloat(0), 6.0L);
    bottom.SetFloat(0, 5);
    QCOMPARE(top.GetFloat(1), 5.0L);
    // Inserting between rows 0 and 1: top = bottom above, bottom = top below.
    t.InsertGroup(1);
    QCOMPARE(t.RowCount(), 3);
    QCOMPARE(top.GetFloat(1), 5.0L);
    QCOMPARE(bottom.GetFloat(1), 5.0L);
    QCOMPARE(top.GetFloat(2), 5.0L);
    QCOMPARE(bottom.GetFloat(2), 12.0L);
    bottom.SetFloat(1, 8);
    QCOMPARE(top.GetFloat(2), 8.0L);
    // Deleting the middle row joins the rows around it.
    t.DeleteGroup(1);
    QCOMPARE(t.RowCount(), 2);
    QCOMPARE(top.GetFloat(1), 5.0L);
    QCOMPARE(bottom.GetFloat(0), 5.0L);
    QCOMPARE(bottom.GetFloat(1), 12.0L);
}

void TestColumns::depthPairNeedsFloatPartner() {
    TGridTable t;
    AddFloat(t, "", true);
    Add<TIntColumn>(t);
    auto& s = Add<TStringColumn>(t);
    QCOMPARE(ErrorOf([&] { t.SetRowCount(1); }),
             std::string("If column if a topdepth then the next column must be a float column"));
    // Nothing half-done: every column still has the table's row count.
    QCOMPARE(t.RowCount(), 0);
    QCOMPARE(s.RowCount(), 0);
}

void TestColumns::unitConversion() {
    TGridTable t;
    auto& w = AddFloat(t, "F/L2^3");
    auto& a = AddFloat(t, "DEG.");
    auto& n = Add<TIntColumn>(t);
    t.SetRowCount(2);
    w.SetFloat(0, 120);
    a.SetFloat(0, 30);
    n.SetInt(0, 4);
    FakeEditor editor(t);
    t.SetUnitSystem(usSI);
    QVERIFY(std::fabs(w.GetFloat(0) - 18.850L) < 0.0005L);
    QCOMPARE(a.GetFloat(0), 30.0L);
    QCOMPARE(n.GetInt(0), 4);
    QCOMPARE(editor.RowsChangedCount, 1);
    t.SetUnitSystem(usSI); // same system: nothing
    QCOMPARE(editor.RowsChangedCount, 1);
    t.SetUnitSystem(usOther);
    t.SetUnitSystem(usEnglish); // via the general system nothing converts
    QVERIFY(std::fabs(w.GetFloat(0) - 18.850L) < 0.0005L);
}

void TestColumns::widths() {
    TGridTable t;
    auto& i = Add<TIntColumn>(t, {"N"});
    auto& f = AddFloat(t, "", false, {"X"});
    auto& e = Add<TEnumColumn>(t, {"K"});
    auto& s = Add<TStringColumn>(t, {"S"});
    s.WidthInches = 1.26L;
    auto& sub = Add<TTableColumn>(t, {"T"});
    auto& wide = AddFloat(t, "", false, {"A rather long header line", "x"});
    QFont font;
    QFontMetrics metrics(font);
    QCOMPARE(i.GetWidth(metrics, 96), 48);
    QCOMPARE(f.GetWidth(metrics, 96), 48);
    QCOMPARE(e.GetWidth(metrics, 96), 144);
    QCOMPARE(s.GetWidth(metrics, 100), 126);
    QCOMPARE(sub.GetWidth(metrics, 96), 192);
    QCOMPARE(wide.GetWidth(metrics, 10),
             metrics.horizontalAdvance(QStringLiteral("A rather long header line  ")));
}

void TestColumns::dataHandlesFollowTheirRows() {
    TGridTable t;
    auto& f = AddFloat(t);
    t.SetRowCount(3);
    for (int r = 0; r < 3; ++r)
        f.SetFloat(r, r);
    TData& d = t.Cell(0, 2);
    t.InsertGroup(0);
    t.InsertGroup(1);
    QCOMPARE(d.Row(), 4);
    QCOMPARE(d.GetFloat(), 2.0L);
    QCOMPARE(&t.Cell(0, 4), &d);
    QCOMPARE(f.IndexOf(d), 4);
    t.DeleteGroup(0);
    QCOMPARE(d.Row(), 3);
    d.SetFloat(7);
    QCOMPARE(f.GetFloat(3), 7.0L);
    QCOMPARE(d.GetText(), std::string("7"));
}

namespace {
// A table whose first column picks the row kind and whose sub-table column follows it.
struct KindTables {
    // One model's tables: the sub-table column finds its templates among them by identifier.
    TGridTable kindA;
    TGridTable kindB{kindA.Live(), nullptr};
    TGridTable main{kindA.Live(), nullptr};
    TEnumColumn* kinds;
    TTableColumn* subs;
    KindTables() {
        kindA.SetCaption("Kind A");
        AddFloat(kindA);
        kindB.SetCaption("Kind B");
        kindB.SetMinRows(2);
        Add<TIntColumn>(kindB);
        Add<TIntColumn>(kindB);
        kinds = &Add<TEnumColumn>(main);
        kinds->SetItems({"A", "B"});
        subs = &Add<TTableColumn>(main);
        QCOMPARE(subs->Templates.Count(), 2); // synchronised with the items
        subs->Templates = TGridTableList();
        subs->Templates.Add(kindA.Identifier());
        subs->Templates.Add(kindB.Identifier());
    }
};
} // namespace

void TestColumns::subTablesByKind() {
    KindTables k;
    k.main.SetRowCount(3);
    TGridTable* sub = k.main.Cell(1, 1).GetTable();
    QVERIFY(sub);
    QCOMPARE(sub->Caption(), std::string("Kind A"));
    QCOMPARE(sub->RowNumber(), 2);
    QCOMPARE(sub->OwnerTable(), &k.main);
    sub->Cell(0, 0).SetFloat(4);
    QVERIFY(k.main.Changed() == false);
    sub->SetChanged(true);
    QVERIFY(k.main.Changed());
    k.main.ResetChanged();
    QVERIFY(!sub->Changed());
    // Choosing item 2 replaces the row's sub-table with a fresh copy of template 2.
    k.kinds->SetInt(1, 2);
    TGridTable* fresh = k.main.Cell(1, 1).GetTable();
    QCOMPARE(fresh->Caption(), std::string("Kind B"));
    QCOMPARE(fresh->RowCount(), 2);
    QCOMPARE(fresh->ColumnCount(), 2);
    QCOMPARE(fresh->RowNumber(), 2);
    QCOMPARE(k.subs->ButtonCaption(1), std::string("2: Kind B"));
    // Rows renumber after an insert before them.
    k.main.InsertGroup(0);
    QCOMPARE(k.main.Cell(1, 2).GetTable(), fresh);
    QCOMPARE(fresh->RowNumber(), 3);
    QCOMPARE(fresh->EditorTitle(), std::string("Kind B  3"));
    k.main.DeleteGroup(0);
    QCOMPARE(fresh->RowNumber(), 2);
    // A sub-table of a sub-table shows both row numbers in its title.
    TGridTable inner(fresh);
    inner.SetCaption("Inner");
    inner.SetRowNumber(4);
    QCOMPARE(inner.EditorTitle(), std::string("Inner  2 4"));
}

void TestColumns::missingTemplateAndOwnerObjects() {
    struct Owned : TRowObject {
        int Row = -1;
    };
    TGridTable t;
    auto& subs = Add<TTableColumn>(t);
    subs.Templates.Clear();
    subs.Templates.Add(-1);
    t.SetRowCount(3);
    QCOMPARE(subs.GetTable(2), static_cast<TGridTable*>(nullptr));
    QCOMPARE(subs.ButtonCaption(2), std::string("3: "));
    // An identifier that no table holds gives no sub-table either.
    subs.Templates.Clear();
    subs.Templates.Add(987654);
    t.SetRowCount(4);
    QVERIFY(!subs.GetObject(3));
    // With no template the owner may supply an object; it follows its row.
    int kindSeen = 0;
    t.OnInitRow = [&](TGridTable&, int col, int, int kind, std::unique_ptr<TRowObject>& data) {
        QCOMPARE(col, 0);
        kindSeen = kind;
        data = std::make_unique<Owned>();
    };
    t.OnSetRow = [](TGridTable&, int, TRowObject* data, int row) { static_cast<Owned*>(data)->Row = row; };
    t.OnGetButtonCaption = [](TGridTable&, int, int row, TRowObject*, std::string& caption) {
        caption = "owned " + std::to_string(row);
    };
    bool changed = false;
    t.OnGetChanged = [&](TGridTable&, int, int, TRowObject*, bool& c) { c = changed; };
    int clicks = 0;
    t.OnButtonClick = [&](TGridTable&, int, int, TRowObject*) { ++clicks; };
    int units = 0;
    t.OnSetUnits = [&](TGridTable&, int, int, TRowObject*, int value) { units = value; };
    t.SetRowCount(5);
    QCOMPARE(kindSeen, 1);
    auto* owned = static_cast<Owned*>(subs.GetObject(4));
    QVERIFY(owned);
    QCOMPARE(owned->Row, 4);
    QCOMPARE(subs.ButtonCaption(4), std::string("5: owned 4"));
    QVERIFY(!t.Changed());
    changed = true;
    QVERIFY(t.Changed());
    subs.ButtonClick(4, false);
    QCOMPARE(clicks, 1);
    t.SetUnitSystem(usSI);
    QCOMPARE(units, 2);
    t.DeleteGroup(0);
    QCOMPARE(owned->Row, 3);
    // An owner that fails leaves the row empty, never the columns out of step.
    t.OnInitRow = [](TGridTable&, int, int, int, std::unique_ptr<TRowObject>&) { throw EGeneralError("no"); };
    std::string shown;
    const TCoreContext context{nullptr, [&](TMessageKind, const std::string& m) { shown = m; }};
    t.SetContext(&context);
    t.SetRowCount(6);
    t.SetContext(nullptr);
    QCOMPARE(shown, std::string("no"));
    QCOMPARE(subs.RowCount(), 6);
    QVERIFY(!subs.GetObject(5));
}

void TestColumns::cloneCopiesSettings() {
    TGridTable source, target;
    auto& e = Add<TEnumColumn>(source);
    e.SetItems({"x", "y"});
    auto& i = Add<TIntColumn>(source, {"a", "b"});
    i.Default = 2;
    i.Minimum = 1;
    i.Maximum = 9;
    i.Visible = false;
    auto& f = AddFloat(source, "F", true);
    f.Default = 1.5L;
    auto& s = Add<TStringColumn>(source);
    s.Default = "d";
    s.WidthInches = 2;
    auto& sub = Add<TTableColumn>(source);
    sub.Templates.Clear();
    sub.Templates.Add(source.Identifier());
    sub.Templates.Add(0, false); // a registry position, resolved when cloned
    for (int c = 0; c < source.ColumnCount(); ++c)
        target.AddColumn(source.Column(c).Clone(&target));
    QVERIFY(dynamic_cast<TEnumColumn&>(target.Column(0)).Items() == e.Items());
    auto& ti = dynamic_cast<TIntColumn&>(target.Column(1));
    QCOMPARE(ti.Default, 2);
    QCOMPARE(ti.Minimum, 1);
    QCOMPARE(ti.Maximum, 9);
    QVERIFY(!ti.Visible);
    QVERIFY(ti.HeaderLines() == i.HeaderLines());
    auto& tf = dynamic_cast<TFloatColumn&>(target.Column(2));
    QVERIFY(tf.TopDepth);
    QCOMPARE(tf.UnitString, std::string("F"));
    QCOMPARE(tf.Default, 1.5L);
    auto& ts = dynamic_cast<TStringColumn&>(target.Column(3));
    QCOMPARE(ts.Default, std::string("d"));
    QCOMPARE(ts.WidthInches, 2.0L);
    auto& tt = dynamic_cast<TTableColumn&>(target.Column(4));
    QCOMPARE(tt.Templates.Count(), 2);
    QCOMPARE(tt.Templates.Entry(0).Value, source.Identifier());
    QCOMPARE(tt.Templates.Entry(1).Value, source.Registry().At(0)->Identifier());
    QVERIFY(tt.Templates.Entry(1).IsIdentifier);
}

void TestColumns::columnTypeRegistry() {
    QCOMPARE(ColumnTypes().KeyOf(typeid(TEnumColumn)), 0);
    QCOMPARE(ColumnTypes().KeyOf(typeid(TIntColumn)), 1);
    QCOMPARE(ColumnTypes().KeyOf(typeid(TFloatColumn)), 2);
    QCOMPARE(ColumnTypes().KeyOf(typeid(TTableColumn)), 3);
    QCOMPARE(ColumnTypes().KeyOf(typeid(TStringColumn)), 4);
    QCOMPARE(ColumnChartTypes().KeyOf(typeid(TStringColumn)), 4);
    QVERIFY(&ColumnTypes() != &ColumnChartTypes());
    QVERIFY(ColumnTypes().ClassOf(5) == nullptr);
    QCOMPARE(ColumnTypes().KeyOf(typeid(int)), -1);
    // The end-of-run check: a class left behind is reported.
    TColumnTypeStorage storage;
    storage.RegisterStandard();
    QCOMPARE(storage.Count(), 5);
    storage.UnregisterStandard();
    QCOMPARE(storage.Count(), 0);
    storage.RegisterStandard();
    struct TExtraColumn : TStringColumn {
        using TStringColumn::TStringColumn;
    };
    storage.Register(typeid(TExtraColumn), 9, &TStringColumn::CreateFromStream);
    QCOMPARE(ErrorOf([&] { storage.UnregisterStandard(); }), std::string("Column Type list not empty"));
}

QTEST_MAIN(TestColumns)
#include "tst_columns.moc"
