// The grid table: rows and row groups, identifiers, changed tracking, editor seam and titles.
#include "support/FakeEditor.h"
#include "support/TableHelpers.h"
#include "tables/TableChart.h"
#include <QtTest>

class TestGridTable : public QObject {
    Q_OBJECT
  private slots:
    void rowCountNeverNegative();
    void rowGroups();
    void rowOperationsOutOfRange();
    void identifiersStayUnique();
    void visibleColumns();
    void minRowsAndRowGroupLimits();
    void changedFlag();
    void editorSeam();
    void destroyingTableReleasesEditor();
    void subTableTakesOwnersUnits();
    void templatesThatContainThemselves();
};

void TestGridTable::rowCountNeverNegative() {
    TGridTable t;
    auto& f = AddFloat(t);
    f.Default = 2.5L;
    auto& i = Add<TIntColumn>(t);
    i.Default = 4;
    t.SetRowCount(3);
    f.SetFloat(0, 9);
    t.SetRowCount(-3);
    QCOMPARE(t.RowCount(), 0);
    QCOMPARE(f.RowCount(), 0);
    QCOMPARE(i.RowCount(), 0);
    t.SetRowCount(2);
    QCOMPARE(f.GetFloat(0), 2.5L);
    QCOMPARE(i.GetInt(1), 4);
    // A column added later gets the table's rows.
    auto& s = Add<TStringColumn>(t);
    QCOMPARE(s.RowCount(), 2);
}

void TestGridTable::rowGroups() {
    TGridTable t;
    t.SetRowGroup(2);
    auto& f = AddFloat(t);
    t.SetRowCount(4);
    for (int r = 0; r < 4; ++r)
        f.SetFloat(r, r);
    FakeEditor editor(t);
    // InsertGroup(3) inserts two rows before row 2.
    t.InsertGroup(3);
    QCOMPARE(t.RowCount(), 6);
    const Extended afterInsert[] = {0, 1, 0, 0, 2, 3};
    for (int r = 0; r < 6; ++r)
        QCOMPARE(f.GetFloat(r), afterInsert[r]);
    // DeleteGroup(3) removes rows 2 and 3.
    t.DeleteGroup(3);
    QCOMPARE(t.RowCount(), 4);
    for (int r = 0; r < 4; ++r)
        QCOMPARE(f.GetFloat(r), Extended(r));
    t.AddGroup();
    QCOMPARE(t.RowCount(), 6);
    QCOMPARE(editor.RowsChangedCount, 3);
    // SetRowCount never leaves a column longer than the table, whatever the group.
    t.SetRowCount(9);
    QCOMPARE(t.RowCount(), 9);
    QCOMPARE(f.RowCount(), 9);
    // Deleting in a cut-short last group removes what is there.
    t.DeleteGroup(8);
    QCOMPARE(t.RowCount(), 8);
    QCOMPARE(f.RowCount(), 8);
}

void TestGridTable::rowOperationsOutOfRange() {
    TGridTable t;
    auto& f = AddFloat(t);
    t.SetRowCount(2);
    QCOMPARE(ErrorOf([&] { t.DeleteGroup(2); }), std::string("Index out of bounds"));
    QCOMPARE(ErrorOf([&] { t.DeleteGroup(-1); }), std::string("Index out of bounds"));
    QCOMPARE(ErrorOf([&] { t.InsertGroup(3); }), std::string("Index out of bounds"));
    QCOMPARE(t.RowCount(), 2);
    QCOMPARE(f.RowCount(), 2);
    t.InsertGroup(2); // at the end is allowed
    QCOMPARE(t.RowCount(), 3);
}

void TestGridTable::identifiersStayUnique() {
    // Tables of one model (sharing live tables, as a set's do) have identifiers unique among them.
    TGridTable a;
    TGridTable b(a.Live(), nullptr);
    QCOMPARE(&b.Registry(), &a.Registry());
    QVERIFY(a.Identifier() != b.Identifier());
    QCOMPARE(a.Registry().FindIdentifier(a.Identifier()), &a);
    const int oldA = a.Identifier();
    b.SetIdentifier(500);
    a.SetIdentifier(500); // b holds 500: b gets a's old identifier
    QCOMPARE(a.Identifier(), 500);
    QCOMPARE(b.Identifier(), oldA);
    a.SetIdentifier(-4); // ignored
    QCOMPARE(a.Identifier(), 500);
    // A new table never takes an identifier already in use; a sub-table joins its owner's tables.
    TGridTable c(a.Live(), nullptr);
    QVERIFY(c.Identifier() != a.Identifier() && c.Identifier() != b.Identifier());
    TGridTable sub(&c);
    QCOMPARE(&sub.Registry(), &a.Registry());
    QVERIFY(sub.Identifier() != a.Identifier() && sub.Identifier() != b.Identifier() &&
            sub.Identifier() != c.Identifier());
    // The chart family counts on its own.
    TGridTableChart chart(a.Live(), nullptr);
    QCOMPARE(chart.Registry().FindIdentifier(chart.Identifier()), static_cast<TGridTable*>(&chart));
    QVERIFY(&chart.Registry() != &a.Registry());
    QCOMPARE(a.Registry().FindIdentifier(chart.Identifier()) == static_cast<TGridTable*>(&chart), false);
    const int pos = a.Registry().Count();
    {
        TGridTable d(a.Live(), nullptr);
        QCOMPARE(a.Registry().At(pos), &d);
    }
    QCOMPARE(a.Registry().Count(), pos); // destroyed tables leave the registry

    // A table of another model numbers on its own: it neither takes nor swaps this model's numbers.
    TGridTable other;
    QVERIFY(&other.Registry() != &a.Registry());
    QCOMPARE(other.Identifier(), 0);
    other.SetIdentifier(500);
    QCOMPARE(a.Identifier(), 500);
    QCOMPARE(other.Identifier(), 500);
    QCOMPARE(a.Registry().FindIdentifier(500), &a);
    QCOMPARE(other.Registry().FindIdentifier(500), &other);
}

void TestGridTable::visibleColumns() {
    TGridTable t;
    Add<TIntColumn>(t, {"a"});
    auto& hidden = Add<TIntColumn>(t, {"b"});
    hidden.Visible = false;
    auto& c = Add<TIntColumn>(t, {"c"});
    QCOMPARE(t.ColumnCount(), 3);
    QCOMPARE(t.VisibleColumnCount(), 2);
    QCOMPARE(&t.VisibleColumn(1), static_cast<TColumn*>(&c));
    QCOMPARE(t.VisibleIndexOf(&hidden), -1);
    QCOMPARE(ErrorOf([&] { t.VisibleColumn(2); }), std::string("Index out of bounds"));
    QCOMPARE(ErrorOf([&] { t.VisibleColumn(-1); }), std::string("Index out of bounds"));
    QCOMPARE(ErrorOf([&] { t.Column(3); }), std::string("Index out of bounds"));
}

void TestGridTable::minRowsAndRowGroupLimits() {
    TGridTable t;
    QCOMPARE(t.MinRows(), 1);
    t.SetMinRows(3);
    QCOMPARE(ErrorOf([&] { t.SetMinRows(0); }), std::string("Value must be greater than 0"));
    QCOMPARE(t.MinRows(), 3);
    t.Loading = true;
    t.SetMinRows(-2);
    QCOMPARE(t.MinRows(), 1);
    t.SetRowGroup(0);
    QCOMPARE(t.RowGroup(), 1);
}

void TestGridTable::changedFlag() {
    TGridTable t;
    AddFloat(t);
    QVERIFY(!t.Changed());
    t.SetChanged(true);
    QVERIFY(t.Changed());
    t.SetChanged(false);
    QVERIFY(!t.Changed());
}

void TestGridTable::editorSeam() {
    FakeEditorFactory factory;
    TGridTable empty;
    empty.Edit(); // no visible column: nothing opens
    QVERIFY(factory.Opened.empty());
    TGridTable t;
    t.SetCaption("Loads");
    AddFloat(t);
    // Without windows to open, asking for the editor is an error, never a silent no-op.
    QVERIFY_THROWS_EXCEPTION(EGeneralError, t.Edit());
    TCoreContext headless;
    t.SetContext(&headless);
    QVERIFY_THROWS_EXCEPTION(EGeneralError, t.EditModal());
    t.SetContext(&factory.Context);
    t.Edit();
    t.EditModal();
    QCOMPARE(factory.Opened.size(), std::size_t(2));
    QCOMPARE(factory.Opened[0].first, &t);
    QVERIFY(!factory.Opened[0].second);
    QVERIFY(factory.Opened[1].second);
    QCOMPARE(t.EditorTitle(), std::string("Loads "));

    // A sub-table button opens the sub-table's editor, modally under a modal editor.
    TGridTable tmpl;
    tmpl.SetCaption("Points");
    AddFloat(tmpl);
    TGridTable parent(tmpl.Live(), nullptr);
    parent.SetContext(&factory.Context); // its sub-tables use it too
    auto& subs = Add<TTableColumn>(parent);
    subs.Templates.Clear();
    subs.Templates.Add(tmpl.Identifier());
    parent.SetRowCount(2);
    subs.ButtonClick(1, true);
    QCOMPARE(factory.Opened.back().first, subs.GetTable(1));
    QVERIFY(factory.Opened.back().second);
    subs.ButtonClick(0, false);
    QVERIFY(!factory.Opened.back().second);

    // Open editors: title and picture changes reach them; CloseEditor closes the sub-editors too.
    FakeEditor parentEditor(parent);
    FakeEditor subEditor(*subs.GetTable(1));
    QVERIFY(subs.GetTable(1)->EditorOpen());
    parent.InsertGroup(0);
    QCOMPARE(subEditor.TitleChanges, 1); // its row number went from 2 to 3
    QCOMPARE(subs.GetTable(2)->EditorTitle(), std::string("Points  3"));
    parent.SetHelpPicture(QImage(4, 4, QImage::Format_RGB32));
    subs.FocusCell(1);
    QCOMPARE(parentEditor.Focus, std::make_pair(0, 1));
    QCOMPARE(parentEditor.PictureChanges, 1);
    parent.CloseEditor();
    QCOMPARE(parentEditor.Closed, 1);
    QCOMPARE(subEditor.Closed, 1);
    QVERIFY(!parent.EditorOpen());
    QVERIFY(!subs.GetTable(2)->EditorOpen());
}

void TestGridTable::destroyingTableReleasesEditor() {
    FakeEditor* editor = nullptr;
    std::unique_ptr<FakeEditor> keep;
    {
        TGridTable t;
        AddFloat(t);
        keep = std::make_unique<FakeEditor>(t);
        editor = keep.get();
    }
    QVERIFY(editor->Destroyed);
    QCOMPARE(editor->Table, static_cast<TGridTable*>(nullptr));
    // Deleting a row destroys its sub-table and tells that table's editor.
    TGridTable tmpl;
    AddFloat(tmpl);
    TGridTable parent(tmpl.Live(), nullptr);
    auto& subs = Add<TTableColumn>(parent);
    subs.Templates.Clear();
    subs.Templates.Add(tmpl.Identifier());
    parent.SetRowCount(1);
    FakeEditor subEditor(*subs.GetTable(0));
    parent.DeleteGroup(0);
    QVERIFY(subEditor.Destroyed);
}

void TestGridTable::subTableTakesOwnersUnits() {
    TGridTable tmpl;
    AddFloat(tmpl, "L2");
    tmpl.SetMinRows(2);
    tmpl.SetMaxRows(7);
    tmpl.SetTopLeft("Pt");
    tmpl.SetComments("few");
    TGridTable parent(tmpl.Live(), nullptr);
    auto& subs = Add<TTableColumn>(parent);
    subs.Templates.Clear();
    subs.Templates.Add(tmpl.Identifier());
    parent.SetUnitSystem(2);
    parent.SetRowCount(1);
    TGridTable* sub = subs.GetTable(0);
    QCOMPARE(sub->UnitSystem(), 2);
    QCOMPARE(sub->RowCount(), 2);
    QCOMPARE(sub->MaxRows(), 7);
    QCOMPARE(sub->TopLeft(), std::string("Pt"));
    QCOMPARE(sub->Comments(), std::string("few"));
    QCOMPARE(sub->Column(0).GetHeaderLine(0), std::string("H (m)  "));
    sub->Cell(0, 0).SetFloat(1);
    parent.SetUnitSystem(1);
    QVERIFY(std::fabs(sub->Cell(0, 0).GetFloat() - 3.280839895L) < 1e-12L);
    QCOMPARE(sub->UnitSystem(), 1);
}

void TestGridTable::templatesThatContainThemselves() {
    // A table used as its own template, and two templates naming each other, build one level and
    // stop instead of recursing without end.
    TGridTable self;
    auto& own = Add<TTableColumn>(self);
    own.Templates.Clear();
    own.Templates.Add(self.Identifier());
    self.SetRowCount(2);
    QVERIFY(!own.GetTable(0));
    TGridTable a(self.Live(), nullptr), b(self.Live(), nullptr), top(self.Live(), nullptr);
    auto& ab = Add<TTableColumn>(a);
    auto& ba = Add<TTableColumn>(b);
    auto& ta = Add<TTableColumn>(top);
    ab.Templates.Clear();
    ab.Templates.Add(b.Identifier());
    ba.Templates.Clear();
    ba.Templates.Add(a.Identifier());
    ta.Templates.Clear();
    ta.Templates.Add(a.Identifier());
    top.SetRowCount(1);
    TGridTable* a1 = ta.GetTable(0);
    QVERIFY(a1);
    TGridTable* b1 = a1->Cell(0, 0).GetTable();
    QVERIFY(b1);
    QVERIFY(!b1->Cell(0, 0).GetTable());
}

QTEST_MAIN(TestGridTable)
#include "tst_gridtable.moc"
