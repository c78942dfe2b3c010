// The table editor windows driven as a user would: typing into cells, Enter, clicking cells and
// buttons, the drop-down lists and sub-table buttons, reading values from a file and the clipboard,
// and the graphs of the chart-backed editors. Message boxes are recorded through the seam.
#include <QApplication>
#include <QCategoryAxis>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "support/MessageRecorder.h"
#include "tables/TableSet.h"
#include "text/Errors.h"
#include "text/Evaluate.h"
#include "widgets/ChartTableEditor.h"
#include "widgets/MsgBox.h"
#include "widgets/TableEditor.h"
#include "widgets/TableEditorFactory.h"

namespace {
TTableForm* EditorOf(TGridTable& table) {
    return dynamic_cast<TTableForm*>(table.Editor());
}

TTableForm* OpenEditor(TGridTable& table) {
    table.Edit();
    TTableForm* form = EditorOf(table);
    if (!form)
        return nullptr;
    QWidget* window = form->window();
    if (!QTest::qWaitForWindowExposed(window))
        return nullptr;
    // Without a window manager (a bare X server) activation may not come; focus still works offscreen.
    QApplication::setActiveWindow(window);
    (void)QTest::qWaitForWindowActive(window, 200);
    form->Grid->setFocus();
    return form;
}

QLineEdit* OpenCellEditor(TTableForm* form) {
    if (!form->Grid->CellEditor())
        form->Grid->edit(form->Grid->currentIndex());
    return qobject_cast<QLineEdit*>(form->Grid->CellEditor());
}

// Moves to a cell as the user does by clicking it.
void ClickCell(TTableForm* form, int row, int column) {
    const QRect cell = form->Grid->visualRect(form->Grid->model()->index(row, column));
    QTest::mouseClick(form->Grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Types a text into the current cell, replacing what it shows.
void TypeIntoCurrent(TTableForm* form, const QString& text) {
    QLineEdit* edit = OpenCellEditor(form);
    QVERIFY(edit);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void PressEnter(TTableForm* form) {
    if (QLineEdit* edit = OpenCellEditor(form))
        QTest::keyClick(edit, Qt::Key_Return);
    else
        QTest::keyClick(form->Grid, Qt::Key_Return);
}

QString EvaluatorMessage(const std::string& text) {
    try {
        EvaluateEntry(text);
    } catch (const EAssignError& e) {
        return QString::fromStdString(e.what());
    }
    return QString();
}

void SetRow(TGridTable& table, int row, const std::vector<double>& values) {
    for (std::size_t c = 0; c < values.size(); ++c)
        table.Column(static_cast<int>(c)).SetFloat(row, values[c]);
}

QString CellText(TTableForm* form, int row, int column) {
    const QTableWidgetItem* item = form->Grid->item(row, column);
    return item ? item->text() : QString();
}

// A small table with a kind column and a sub-table per row whose template depends on the kind.
const char* const KindTables = R"(
table Kinds: TGridTable
  Identifier = 40
  Caption = "Layers"
  MaxRows = 10
  MinRows = 1
  Col = {
    3
    0 ("Kind") true false ("Plain" "Layered")
    2 ("Depth") true false false "FLOATCOLUMN2" "L2" 0.0
    3 ("Details") true false "FLEXCOLUMN2" (41 42)
  }
end
table PlainDetails: TGridTable
  Identifier = 41
  Caption = "Plain Details"
  MinRows = 1
  MaxRows = 5
  Col = {
    1
    2 ("Value") true false false "FLOATCOLUMN2" "" 0.0
  }
end
table LayerDetails: TGridTable
  Identifier = 42
  Caption = "Layer Details"
  MinRows = 2
  MaxRows = 5
  Col = {
    1
    2 ("Thickness") true false false "FLOATCOLUMN2" "L2" 0.0
  }
end
)";
} // namespace

class TestEditors : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanup();
    void typingValuesAndExpressions();
    void rejectedEntry();
    void rejectedEntryRealBox();
    void leavingModalAndClosing();
    void deactivatingTopLevel();
    void rowButtons();
    void rowGroups();
    void dropDownChangesKind();
    void subTableButton();
    void subTableButtonModal();
    void mdiChildWindow();
    void embeddedInFormParent();
    void readValuesFromFile();
    void pasteFromClipboard();
    void viewEditFile();
    void failureSurfaceGraph();
    void boundaryGraph();
    void axisRanges();
    void dragResizeSnapping();
    void screenshots();

  private:
    // What the program owns: the window the editors belong to (it holds their message boxes), the
    // editor factory and the core context the tables are given.
    QWidget Owner;
    TTableEditorFactory Editors;
    TCoreContext Context{&Editors, CoreMessageBoxes(&Owner)};
    std::unique_ptr<TTableSet> Set;
};

void TestEditors::initTestCase() {
    Editors.SetOwnerWindow(&Owner);
}

void TestEditors::cleanup() {
    if (Set)
        Set->CloseEditors();
    Set.reset();
    Editors.SetMdiArea(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestEditors::typingValuesAndExpressions() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& soil = Set->SoilData();
    soil.SetRowCount(2);
    TTableForm* form = OpenEditor(soil);
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Soil Properties "));
    QCOMPARE(form->Grid->rowCount(), 2);
    QCOMPARE(form->Grid->columnCount(), 8);
    QCOMPARE(form->FixedRows(), 2);
    QCOMPARE(form->Grid->horizontalHeaderItem(0)->text(), QStringLiteral("Moist Unit\nWeight (lbs/ft^3)  "));

    form->Grid->setCurrentCell(0, 0);
    TypeIntoCurrent(form, QStringLiteral("120"));
    PressEnter(form); // next row, same column
    QCOMPARE(form->Grid->currentRow(), 1);
    QCOMPARE(form->Grid->currentColumn(), 0);
    QCOMPARE(double(soil.Column(0).GetFloat(0)), 120.0);
    QVERIFY(soil.Changed());

    TypeIntoCurrent(form, QStringLiteral("2*(60+5)"));
    PressEnter(form); // last row: first row of the next column
    QCOMPARE(double(soil.Column(0).GetFloat(1)), 130.0);
    QCOMPARE(CellText(form, 1, 0), QStringLiteral("130")); // the expression shows as its value
    QCOMPARE(form->Grid->currentRow(), 0);
    QCOMPARE(form->Grid->currentColumn(), 1);

    // The integer column checks typed entries while its editor is open.
    form->Grid->setCurrentCell(0, 6);
    TypeIntoCurrent(form, QStringLiteral("2.5"));
    PressEnter(form);
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be an integer."));
    QCOMPARE(form->Grid->currentColumn(), 6);
    TypeIntoCurrent(form, QStringLiteral("21"));
    PressEnter(form);
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be between 0 and 20."));
    QCOMPARE(soil.Column(6).GetInt(0), 0);
    TypeIntoCurrent(form, QStringLiteral("4*5"));
    PressEnter(form);
    QCOMPARE(soil.Column(6).GetInt(0), 20);
    QCOMPARE(messages.Count(), 2);

    // Enter from the last row of the last typed column skips the sub-table buttons and wraps.
    form->Grid->setCurrentCell(1, 6);
    PressEnter(form);
    QCOMPARE(form->Grid->currentRow(), 0);
    QCOMPARE(form->Grid->currentColumn(), 0);

    // Tab leaves the grid for the row buttons and commits the entry on the way.
    form->Grid->setCurrentCell(1, 3);
    TypeIntoCurrent(form, QStringLiteral("30+2.5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(!form->Grid->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(double(soil.Column(3).GetFloat(1)), 32.5);
    QCOMPARE(CellText(form, 1, 3), QStringLiteral("32.5"));

    // Values the program writes show at once through the cell hook.
    soil.Column(2).SetFloat(1, 250);
    QCOMPARE(CellText(form, 1, 2), QStringLiteral("250"));
}

void TestEditors::rejectedEntry() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& soil = Set->SoilData();
    soil.SetRowCount(3);
    soil.Column(1).SetFloat(0, 125);
    TTableForm* form = OpenEditor(soil);
    QVERIFY(form);
    form->Grid->setCurrentCell(0, 1);
    TypeIntoCurrent(form, QStringLiteral("abc"));
    ClickCell(form, 2, 3);
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.LastText(), EvaluatorMessage("abc"));
    QCOMPARE(messages.Messages().first().Kind, TMsgKind::Information);
    QCOMPARE(form->Grid->currentRow(), 0); // the bad cell stays current
    QCOMPARE(form->Grid->currentColumn(), 1);
    QCOMPARE(CellText(form, 0, 1), QStringLiteral("abc")); // and keeps the bad text
    QCOMPARE(double(soil.Column(1).GetFloat(0)), 125.0);   // the stored value is unchanged
    QVERIFY(form->Grid->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == form->Grid);

    // A cleared cell is an entry error too.
    TypeIntoCurrent(form, QString());
    ClickCell(form, 1, 1);
    QCOMPARE(messages.LastText(), EvaluatorMessage(""));
    QCOMPARE(form->Grid->currentRow(), 0);

    // Leaving the grid of a window that is not modal commits: the message, and the focus comes back.
    TypeIntoCurrent(form, QStringLiteral("1+"));
    messages.Clear();
    form->BtnAdd->setFocus(Qt::TabFocusReason);
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.LastText(), EvaluatorMessage("1+"));
    QVERIFY(form->Grid->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == form->Grid);
    QCOMPARE(soil.RowCount(), 3);

    // Pressing a sub-table button with the bad entry: the message, and the sub-table stays shut.
    QCoreApplication::processEvents(); // a new user action
    messages.Clear();
    QTest::mouseClick(qobject_cast<QPushButton*>(form->RowControl(7, 2)), Qt::LeftButton);
    QCOMPARE(messages.Count(), 1);
    QVERIFY(!EditorOf(*soil.Column(7).GetTable(2)));
    QCOMPARE(form->Grid->currentRow(), 0);
    QCOMPARE(form->Grid->currentColumn(), 1);

    // Correcting the entry lets the user move on.
    TypeIntoCurrent(form, QStringLiteral("118.5"));
    ClickCell(form, 2, 3);
    QCOMPARE(form->Grid->currentRow(), 2);
    QCOMPARE(form->Grid->currentColumn(), 3);
    QCOMPARE(double(soil.Column(1).GetFloat(0)), 118.5);

    // Clicking a cell covered by a row control does not move the current cell into it.
    ClickCell(form, 1, 7);
    QCOMPARE(form->Grid->currentColumn(), 3);
}

// The same with the real message box of the desktop program, answered by a timer.
void TestEditors::rejectedEntryRealBox() {
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& soil = Set->SoilData();
    soil.SetRowCount(2);
    TTableForm* form = OpenEditor(soil);
    QVERIFY(form);
    QStringList texts;
    // Answers the next box; gives up after a second so a failing check leaves nothing behind.
    std::function<void(int)> poll = [&](int tries) {
        QTimer::singleShot(10, form, [&, tries] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                if (tries > 0)
                    poll(tries - 1);
                return;
            }
            texts << box->text();
            box->button(QMessageBox::Ok)->click();
        });
    };
    auto answer = [&] { poll(100); };
    form->Grid->setCurrentCell(0, 2);
    TypeIntoCurrent(form, QStringLiteral("12..5"));
    answer();
    ClickCell(form, 1, 4);
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts.first(), MsgDisplayText(EvaluatorMessage("12..5")));
    QCOMPARE(form->Grid->currentRow(), 0);
    QCOMPARE(form->Grid->currentColumn(), 2);
    QCOMPARE(CellText(form, 0, 2), QStringLiteral("12..5"));

    // Leaving the grid: one box, then the focus is back in the grid.
    QCoreApplication::processEvents(); // back in the event loop between two user actions
    answer();
    form->BtnIns->setFocus(Qt::TabFocusReason);
    QCOMPARE(texts.size(), 2);
    QTRY_VERIFY(form->Grid->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == form->Grid);
    QCOMPARE(double(soil.Column(2).GetFloat(0)), 0.0);
    // Clicking a row button with the bad entry: one box for the press, nothing for the click.
    QCoreApplication::processEvents();
    answer();
    QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
    QCOMPARE(texts.size(), 3);
    QCOMPARE(soil.RowCount(), 2);
    TypeIntoCurrent(form, QStringLiteral("12.5"));
    ClickCell(form, 1, 4);
    QCOMPARE(texts.size(), 3);
    QCOMPARE(double(soil.Column(2).GetFloat(0)), 12.5);
}

void TestEditors::leavingModalAndClosing() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& limit = Set->limit();
    bool checked = false;
    QTimer::singleShot(0, [&] {
        TTableForm* form = EditorOf(limit);
        QVERIFY(form);
        QVERIFY(form->IsModal());
        QApplication::setActiveWindow(form);
        form->Grid->setFocus();
        form->Grid->setCurrentCell(0, 2);
        TypeIntoCurrent(form, QStringLiteral("x1"));
        // In a modal window leaving the grid does not commit yet.
        form->BtnDel->setFocus(Qt::TabFocusReason);
        QCOMPARE(messages.Count(), 0);
        // Closing does, and a rejected entry keeps the window open.
        QVERIFY(!form->close());
        QCOMPARE(messages.Count(), 1);
        QCOMPARE(messages.LastText(), EvaluatorMessage("x1"));
        QVERIFY(limit.EditorOpen());
        TypeIntoCurrent(form, QStringLiteral("35.25"));
        QVERIFY(form->close());
        checked = true;
    });
    limit.EditModal(); // returns when the window has closed
    QVERIFY(checked);
    QVERIFY(!limit.EditorOpen());
    QCOMPARE(double(limit.Column(2).GetFloat(0)), 35.25);
}

void TestEditors::deactivatingTopLevel() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TTableForm* limits = OpenEditor(Set->limit());
    QVERIFY(limits);
    TTableForm* loads = OpenEditor(Set->SurchargeLoad());
    QVERIFY(loads);
    loads->Grid->setCurrentCell(0, 1);
    TypeIntoCurrent(loads, QStringLiteral("4**2"));
    QApplication::setActiveWindow(limits); // the user goes to the other window
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.LastText(), EvaluatorMessage("4**2"));
    QTRY_COMPARE(QApplication::activeWindow(), loads); // brought back to the front
    TypeIntoCurrent(loads, QStringLiteral("4*2"));
    QApplication::setActiveWindow(limits);
    QTRY_COMPARE(QApplication::activeWindow(), limits);
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(double(Set->SurchargeLoad().Column(1).GetFloat(0)), 8.0);

    // Switching the unit system relabels the open editor's headers and shows converted values.
    Set->SurchargeLoad().SetUnitSystem(2);
    QCOMPARE(loads->Grid->horizontalHeaderItem(1)->text(), QStringLiteral("Right X Coord.\n(XRi) (m)  "));
    QCOMPARE(CellText(loads, 0, 1), QString::fromStdString(Set->SurchargeLoad().Column(1).GetText(0)));
    QVERIFY(CellText(loads, 0, 1) != QStringLiteral("8"));
}

void TestEditors::rowButtons() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& limit = Set->limit(); // 1 to 50 rows
    limit.SetRowCount(25);
    TTableForm* form = OpenEditor(limit);
    QVERIFY(form);
    QCOMPARE(form->RowsShown(), 10);
    QCOMPARE(form->Grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(form->BtnAdd->isVisible() && form->BtnIns->isVisible() && form->BtnDel->isVisible());
    QCOMPARE(form->lblComments->text(), QStringLiteral("50 limit lines maximum"));
    QVERIFY(form->lblComments->isVisible());
    limit.ResetChanged();
    QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
    QCOMPARE(limit.RowCount(), 26);
    QCOMPARE(form->RowsShown(), 10);
    QCOMPARE(form->FirstShownRow(), 16); // the new last row is the last one shown
    QVERIFY(limit.Changed());
    QCOMPARE(form->Grid->verticalHeaderItem(25)->text(), QStringLiteral("26"));

    // Insert before the current row: the values move down.
    limit.SetRowCount(3);
    QCOMPARE(form->RowsShown(), 3);
    SetRow(limit, 0, {1, 2, 3, 4});
    SetRow(limit, 1, {5, 6, 7, 8});
    form->Grid->setCurrentCell(1, 0);
    QTest::mouseClick(form->BtnIns, Qt::LeftButton);
    QCOMPARE(limit.RowCount(), 4);
    QCOMPARE(form->RowsShown(), 4); // all rows were shown, so the new one is shown too
    QCOMPARE(double(limit.Column(0).GetFloat(2)), 5.0);
    QCOMPARE(CellText(form, 2, 0), QStringLiteral("5"));
    QCOMPARE(CellText(form, 1, 0), QStringLiteral("0"));
    form->Grid->setCurrentCell(0, 1);
    QTest::mouseClick(form->BtnDel, Qt::LeftButton);
    QCOMPARE(limit.RowCount(), 3);
    QCOMPARE(CellText(form, 0, 1), QStringLiteral("0"));
    QCOMPARE(CellText(form, 1, 1), QStringLiteral("6"));

    // A pending entry is committed before the rows change, and a bad one stops the button.
    form->Grid->setCurrentCell(2, 3);
    TypeIntoCurrent(form, QStringLiteral("9*9"));
    form->BtnAddClick();
    QCOMPARE(double(limit.Column(3).GetFloat(2)), 81.0);
    QCOMPARE(limit.RowCount(), 4);
    TypeIntoCurrent(form, QStringLiteral("9*"));
    messages.Clear();
    form->BtnDelClick();
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(limit.RowCount(), 4);
    TypeIntoCurrent(form, QStringLiteral("1"));

    // Enabling: no deleting below MinRows, no adding beyond MaxRows.
    limit.SetRowCount(1);
    QVERIFY(!form->BtnDel->isEnabled());
    QVERIFY(form->BtnAdd->isEnabled() && form->BtnIns->isEnabled());
    limit.SetRowCount(50);
    QVERIFY(!form->BtnAdd->isEnabled() && !form->BtnIns->isEnabled());
    QVERIFY(form->BtnDel->isEnabled());
    limit.CloseEditor();
    QVERIFY(!limit.EditorOpen());

    // A table whose row count is fixed shows no row buttons.
    TGridTable& fixed = Set->FailSurface();
    fixed.SetMaxRows(fixed.MinRows());
    TTableForm* fixedForm = OpenEditor(fixed);
    QVERIFY(fixedForm);
    QVERIFY(!fixedForm->BtnAdd->isVisible() && !fixedForm->BtnIns->isVisible() &&
            !fixedForm->BtnDel->isVisible());
}

void TestEditors::rowGroups() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& table = Set->Piezometric();
    table.SetRowGroup(2);
    table.SetRowCount(4);
    for (int r = 0; r < 4; ++r)
        table.Column(0).SetFloat(r, r + 1);
    TTableForm* form = OpenEditor(table);
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Piezometric Surfaces "));
    QStringList numbers;
    for (int r = 0; r < 4; ++r)
        numbers << form->Grid->verticalHeaderItem(r)->text();
    QCOMPARE(numbers, QStringList({"1", "1", "2", "2"}));
    form->Grid->setCurrentCell(3, 0);
    QTest::mouseClick(form->BtnIns, Qt::LeftButton); // two rows before row 2
    QCOMPARE(table.RowCount(), 6);
    QCOMPARE(CellText(form, 2, 0), QStringLiteral("0"));
    QCOMPARE(CellText(form, 4, 0), QStringLiteral("3"));
    form->Grid->setCurrentCell(5, 0);
    QTest::mouseClick(form->BtnDel, Qt::LeftButton); // the group of rows 4 and 5
    QCOMPARE(table.RowCount(), 4);
    QCOMPARE(double(table.Column(0).GetFloat(3)), 0.0);
    QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
    QCOMPARE(table.RowCount(), 6);
    QCOMPARE(form->RowsShown(), 6);
    QCOMPARE(form->Grid->verticalHeaderItem(5)->text(), QStringLiteral("3"));

    // Without a current data row the row buttons refuse with the fixed message.
    form->Grid->setCurrentCell(-1, -1);
    messages.Clear();
    form->BtnDelClick();
    QCOMPARE(messages.LastText(), QStringLiteral("Grid.Row not in valid range"));
    QCOMPARE(table.RowCount(), 6);
}

void TestEditors::dropDownChangesKind() {
    TMessageRecorder messages(&Owner);
    std::vector<TTableDefinition> defs = ReadTableDefinitions(KindTables);
    TGridTable& kinds = *defs[0].Table;
    kinds.SetContext(&Context);
    kinds.SetRowCount(2);
    QCOMPARE(kinds.Column(2).GetTable(1)->Caption(), std::string("Plain Details"));
    TTableForm* form = OpenEditor(kinds);
    QVERIFY(form);
    auto* combo = qobject_cast<QComboBox*>(form->RowControl(0, 1));
    QVERIFY(combo);
    QVERIFY(combo->isVisible());
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(combo->maxVisibleItems(), 11);
    auto* button = qobject_cast<QPushButton*>(form->RowControl(2, 1));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("2: Plain Details"));
    // The control lies over its cell.
    const QRect cell = form->Grid->visualRect(form->Grid->model()->index(1, 0));
    QVERIFY(cell.contains(combo->geometry().center()));

    // Pressing the list with a rejected entry pending: the message, and no list opens.
    form->Grid->setCurrentCell(0, 1);
    TypeIntoCurrent(form, QStringLiteral("abc"));
    QTest::mouseClick(combo, Qt::LeftButton);
    QCOMPARE(messages.Count(), 1);
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(form->Grid->currentColumn(), 1);
    TypeIntoCurrent(form, QStringLiteral("2"));

    combo->setFocus(Qt::MouseFocusReason);
    QCOMPARE(form->Grid->currentRow(), 1); // entering the list makes its row current
    QCOMPARE(form->Grid->currentColumn(), 0);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(kinds.Column(0).GetInt(1), 2);
    QCOMPARE(kinds.Column(0).GetInt(0), 1);
    TGridTable* sub = kinds.Column(2).GetTable(1);
    QVERIFY(sub);
    QCOMPARE(sub->Caption(), std::string("Layer Details"));
    QCOMPARE(sub->RowCount(), 2);
    QCOMPARE(button->text(), QStringLiteral("2: Layer Details"));
    QVERIFY(kinds.Changed());

    // A value the program sets is shown by the list.
    kinds.Column(0).SetInt(0, 2);
    QCOMPARE(qobject_cast<QComboBox*>(form->RowControl(0, 0))->currentIndex(), 1);
    kinds.CloseEditor();
}

void TestEditors::subTableButton() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& soil = Set->SoilData();
    soil.SetRowCount(3);
    TTableForm* form = OpenEditor(soil);
    QVERIFY(form);
    auto* button = qobject_cast<QPushButton*>(form->RowControl(7, 2));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("3: Anisotropic Strength Data"));
    QTest::mouseClick(button, Qt::LeftButton);
    TGridTable* aniso = soil.Column(7).GetTable(2);
    QVERIFY(aniso);
    TTableForm* sub = EditorOf(*aniso);
    QVERIFY(sub);
    QVERIFY(!sub->IsModal());
    QCOMPARE(sub->windowTitle(), QStringLiteral("Anisotropic Strength Data  3"));
    QVERIFY(sub->isVisible());
    // Clicking again brings the same window up.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(EditorOf(*aniso), sub);
    // Deleting the row above renumbers the sub-table and its open editor's title follows.
    form->Grid->setCurrentCell(0, 0);
    QTest::mouseClick(form->BtnDel, Qt::LeftButton);
    QCOMPARE(sub->windowTitle(), QStringLiteral("Anisotropic Strength Data  2"));
    // Deleting its own row frees the sub-table; its editor goes with it.
    QPointer<TTableForm> watch(sub);
    form->Grid->setCurrentCell(1, 0);
    QTest::mouseClick(form->BtnDel, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(watch.isNull());
    QCOMPARE(soil.RowCount(), 1);
}

void TestEditors::subTableButtonModal() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& soil = Set->SoilData();
    soil.SetRowCount(3);
    QString subTitle;
    bool subModal = false;
    QTimer::singleShot(0, [&] {
        TTableForm* form = EditorOf(soil);
        QVERIFY(form);
        QTimer::singleShot(0, [&] {
            auto* sub = qobject_cast<TTableForm*>(QApplication::activeModalWidget());
            if (sub) {
                subTitle = sub->windowTitle();
                subModal = sub->IsModal();
                sub->close();
            }
        });
        qobject_cast<QPushButton*>(form->RowControl(7, 2))->click(); // returns when the sub editor closed
        form->close();
    });
    soil.EditModal();
    QVERIFY(subModal);
    QCOMPARE(subTitle, QStringLiteral("Anisotropic Strength Data  3"));
    QVERIFY(!soil.EditorOpen());
}

void TestEditors::mdiChildWindow() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(900, 700);
    main.show();
    Editors.SetMdiArea(area);
    TGridTable& loads = Set->SurchargeLoad();
    loads.Edit();
    TTableForm* form = EditorOf(loads);
    QVERIFY(form);
    auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    QVERIFY(sub);
    QCOMPARE(sub->mdiArea(), area);
    QCOMPARE(sub->windowTitle(), QStringLiteral("Surcharge Loads "));
    QCOMPARE(area->subWindowList().size(), 1);
    QCOMPARE(form->size(), form->ClientSize()); // the child window fits the laid-out client area
    // Deactivating the child with a bad entry reports it and brings the child back.
    QApplication::setActiveWindow(&main);
    QVERIFY(QTest::qWaitForWindowActive(&main));
    area->setActiveSubWindow(sub);
    form->Grid->setFocus();
    form->Grid->setCurrentCell(0, 2);
    TypeIntoCurrent(form, QStringLiteral("7/"));
    Set->FailSurface().Edit();
    QVERIFY(messages.Count() >= 1);
    QCOMPARE(messages.LastText(), EvaluatorMessage("7/"));
    QTRY_COMPARE(area->activeSubWindow(), sub);
    TypeIntoCurrent(form, QStringLiteral("7/2"));

    // Dragging the child's left and bottom edges: it snaps to whole rows and columns, and the right
    // edge stays where it was.
    while (loads.RowCount() < 9)
        form->BtnAddClick();
    const QRect before = sub->geometry();
    QVERIFY(form->RowsShown() == 9);
    sub->setGeometry(before.adjusted(60, 0, 0, -60));
    QTRY_COMPARE(form->size(), form->ClientSize());
    QVERIFY(form->RowsShown() < 9);
    QVERIFY(form->ColumnsShown() < 4);
    QCOMPARE(sub->geometry().right(), before.right());
    QCOMPARE(sub->geometry().top(), before.top());
    QCOMPARE(form->Grid->viewport()->height(), 24 * form->RowsShown());
    // A plain move is not taken for a drag of the left edge.
    sub->move(sub->pos() + QPoint(25, 10));
    const QRect moved = sub->geometry();
    sub->resize(moved.width(), moved.height() + 24);
    QTRY_COMPARE(form->size(), form->ClientSize());
    QCOMPARE(sub->geometry().left(), moved.left());
    QVERIFY(sub->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!loads.EditorOpen());
    QCOMPARE(double(loads.Column(2).GetFloat(0)), 3.5);
    Set->CloseEditors();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(area->subWindowList().size(), 0);
}

void TestEditors::embeddedInFormParent() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    QWidget host;
    host.resize(700, 500);
    host.show();
    TGridTable& ties = Set->TiebackCoord();
    ties.SetFormParent(&host);
    int resized = 0;
    ties.OnResize = [&](TGridTable& sender) {
        QCOMPARE(&sender, &ties);
        ++resized;
    };
    ties.Edit();
    TTableForm* form = EditorOf(ties);
    QVERIFY(form);
    QCOMPARE(form->parentWidget(), &host);
    QVERIFY(!form->isWindow());
    QCOMPARE(form->pos(), QPoint(0, 0));
    QVERIFY(form->isVisible());
    QVERIFY(resized > 0);
    const int before = resized;
    ties.AddGroup();
    QVERIFY(resized > before); // every layout raises OnResize
    // A new help picture shows at once, below the comment.
    QImage picture(120, 60, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ties.SetHelpPicture(picture);
    QVERIFY(form->imgHelp->isVisible());
    QCOMPARE(form->imgHelp->size(), QSize(120, 60));
    QVERIFY(form->imgHelp->geometry().top() > form->lblComments->geometry().bottom());
    QCOMPARE(form->ClientSize().height(), form->imgHelp->geometry().bottom() + 1 + form->Margin());
    ties.CloseEditor();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(host.findChildren<TTableForm*>().isEmpty());
    ties.OnResize = nullptr;
}

void TestEditors::readValuesFromFile() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTableChart& surface = Set->FailSurfaceChart();
    surface.SetRowCount(5);
    auto* form = dynamic_cast<TTableChartForm*>(OpenEditor(surface));
    QVERIFY(form);
    QVERIFY(form->FileNameEdit->isVisible());
    QVERIFY(!form->BtnRead->isEnabled());
    QVERIFY(!form->BtnOK->isVisible());
    QCOMPARE(form->RowsShown(), 5);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("surface.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("X Y of the surface\n10.5 40\n20, 32.25\n35 30\n");
    }
    QTest::keyClicks(form->FileNameEdit, path);
    QVERIFY(form->BtnRead->isEnabled());
    QVERIFY(form->BtnEdit->isEnabled());
    QTest::mouseClick(form->BtnRead, Qt::LeftButton);
    QCOMPARE(surface.RowCount(), 3);
    QCOMPARE(double(surface.Column(0).GetFloat(1)), 20.0);
    QCOMPARE(double(surface.Column(1).GetFloat(1)), 32.25);
    QCOMPARE(CellText(form, 2, 0), QStringLiteral("35"));
    QCOMPARE(form->Series1->count(), 3);
    QCOMPARE(messages.Count(), 0);

    // 120 lines: the table stops at its 100 rows; the rows shown stay at the chart editor's 5.
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (int i = 0; i < 120; ++i)
            file.write(QByteArray::number(i) + " " + QByteArray::number(i * 0.5) + "\r\n");
    }
    form->BtnReadClick();
    QCOMPARE(surface.RowCount(), 100);
    QCOMPARE(form->RowsShown(), 5);
    QCOMPARE(form->FirstShownRow(), 95);
    QCOMPARE(CellText(form, 99, 1), QStringLiteral("49.5"));

    // A value a column rejects stops reading with the column's message; rows read before stay.
    TGridTableChart& bound = Set->BoundCood();
    auto* boundForm = dynamic_cast<TTableChartForm*>(OpenEditor(bound));
    QVERIFY(boundForm);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("0 20 40 20 1\n40 20 60 30 2\n60 30 90 30 99\n");
    }
    boundForm->FileNameEdit->setText(path);
    messages.Clear();
    boundForm->BtnReadClick();
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be between 1 and 20."));
    QCOMPARE(messages.Messages().first().Kind, TMsgKind::Error);
    QVERIFY(bound.RowCount() >= 3);
    QCOMPARE(double(bound.Column(3).GetFloat(1)), 30.0);
    QCOMPARE(bound.Column(4).GetInt(1), 2);
    // A file that is gone disables the buttons at the next layout.
    QFile::remove(path);
    boundForm->Layout();
    QVERIFY(!boundForm->BtnRead->isEnabled());
}

void TestEditors::pasteFromClipboard() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTableChart& surface = Set->FailSurfaceChart();
    auto* form = dynamic_cast<TTableChartForm*>(OpenEditor(surface));
    QVERIFY(form);
    QCOMPARE(form->BtnClip->text(), QStringLiteral("Paste values from  Clipboard (text)"));
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(form->BtnClip, Qt::LeftButton);
    QCOMPARE(messages.LastText(), QStringLiteral("There is no text on the Clipboard"));
    QCOMPARE(surface.RowCount(), 1);

    QGuiApplication::clipboard()->setText(QStringLiteral("x\ty\r\n1.5, 2.5\r\n3\t4.75\r\n6 abc 7\r\n8 9"));
    messages.Clear();
    QTest::mouseClick(form->BtnClip, Qt::LeftButton);
    QCOMPARE(messages.Count(), 0);
    QCOMPARE(surface.RowCount(), 3);
    QCOMPARE(double(surface.Column(0).GetFloat(0)), 1.5);
    QCOMPARE(double(surface.Column(1).GetFloat(1)), 4.75);
    QCOMPARE(double(surface.Column(0).GetFloat(2)), 8.0);
    QCOMPARE(form->RowsShown(), 3);
    QCOMPARE(CellText(form, 2, 1), QStringLiteral("9"));
    QCOMPARE(form->Series1->count(), 3);
}

void TestEditors::viewEditFile() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    auto* form = dynamic_cast<TTableChartForm*>(OpenEditor(Set->BoundCood()));
    QVERIFY(form);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bound.dat"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0 0 10 5 1\n");
    }
    QString program;
    QStringList arguments;
    form->StartProcess = [&](const QString& p, const QStringList& a) {
        program = p;
        arguments = a;
        return true;
    };
    form->FileNameEdit->setText(path);
    QTest::mouseClick(form->BtnEdit, Qt::LeftButton);
    QCOMPARE(arguments, QStringList{path});
    QVERIFY(!program.isEmpty());
    QCOMPARE(messages.Count(), 0);
    form->StartProcess = [](const QString&, const QStringList&) { return false; };
    QTest::mouseClick(form->BtnEdit, Qt::LeftButton);
    QCOMPARE(messages.LastText(), QStringLiteral("An error occurred in running the Word Processor"));

    form->ChooseFile = [&](QWidget*) { return path; };
    form->FileNameEdit->clear();
    QVERIFY(!form->BtnRead->isEnabled());
    QTest::mouseClick(form->BtnBrowse, Qt::LeftButton);
    QCOMPARE(form->FileNameEdit->text(), QDir::toNativeSeparators(path));
    QVERIFY(form->BtnRead->isEnabled());
}

void TestEditors::failureSurfaceGraph() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTableChart& surface = Set->FailSurfaceChart();
    surface.SetRowCount(3);
    SetRow(surface, 0, {0, 10});
    SetRow(surface, 1, {5, 10});
    SetRow(surface, 2, {10, 10});
    auto* form = dynamic_cast<TTableChartForm*>(OpenEditor(surface));
    QVERIFY(form);
    QVERIFY(form->Chart1->isVisible());
    QVERIFY(!form->PaintBox1->isVisible());
    QCOMPARE(form->Chart1->size(), QSize(285, 170));
    QVERIFY(form->Grid->geometry().top() > form->Chart1->geometry().bottom());
    // Values that do not vary: the middle point is lifted a little, the axis fixed from 9 to 11.
    QCOMPARE(form->Series1->count(), 3);
    QCOMPARE(form->Series1->at(1).y(), 10.01);
    QCOMPARE(form->Series1->at(2), QPointF(10, 10));
    QCOMPARE(form->AxisY->min(), 9.0);
    QCOMPARE(form->AxisY->max(), 11.0);
    QVERIFY(!form->Series2->isVisible());
    QVERIFY(!form->Chart1->chart()->legend()->isVisible());
    QCOMPARE(form->AxisX->titleText(), QStringLiteral("X Coord (ft)"));
    QCOMPARE(form->AxisY->titleText(), QStringLiteral("Y Coord (ft)"));
    QVERIFY(!form->AxisX->isReverse());

    // Points typed with decreasing x are joined in x order; the graph follows the typed values.
    form->Grid->setCurrentCell(0, 0);
    TypeIntoCurrent(form, QStringLiteral("12"));
    PressEnter(form);
    TypeIntoCurrent(form, QStringLiteral("6"));
    PressEnter(form);
    TypeIntoCurrent(form, QStringLiteral("0"));
    PressEnter(form);
    QTest::qWait(1);
    QCOMPARE(form->Series1->at(0).x(), 0.0);
    QCOMPARE(form->Series1->at(2).x(), 12.0);
    QVERIFY(qFuzzyCompare(form->Series1->at(1).y(), 10.01)); // still the lifted middle row (x = 6)

    // Typing a key redraws from the stored values.
    const int redraws = form->RedrawCount();
    form->Grid->setCurrentCell(1, 1);
    QTest::keyClick(OpenCellEditor(form), Qt::Key_Left);
    QVERIFY(form->RedrawCount() > redraws);

    // A single point: drawn as is, with an automatic axis.
    surface.SetRowCount(1);
    QCOMPARE(form->Series1->count(), 1);
    QCOMPARE(form->Series1->at(0), QPointF(12, 10));
    QVERIFY(form->AxisY->min() <= 10.0 && form->AxisY->max() >= 10.0);

    // Varying values above 100000 switch the left axis to the scientific format.
    surface.SetRowCount(2);
    SetRow(surface, 0, {0, 250000});
    SetRow(surface, 1, {10, 400000});
    form->RedrawGraph();
    QCOMPARE(form->LeftAxisFormat(), QStringLiteral("#.0##E-0"));
    QCOMPARE(form->BottomAxisFormat(), QStringLiteral("#,##0.###"));
    QVERIFY(form->AxisY->categoriesLabels().contains(QStringLiteral("3.0E5")));

    // Values in ten-thousandths: every label names the place it stands at (no "0.001" at 0.0005).
    surface.SetRowCount(4);
    for (int i = 0; i < 4; ++i)
        SetRow(surface, i, {0.0002 * i, 0.0001 * (i + 1) * (i + 1)});
    form->RedrawGraph();
    QCOMPARE(form->LeftAxisFormat(), QStringLiteral("#,##0.###"));
    for (QCategoryAxis* axis : {form->AxisX, form->AxisY}) {
        const QStringList labels = axis->categoriesLabels();
        QVERIFY(labels.size() >= 2);
        for (const QString& label : labels)
            QVERIFY2(std::abs(label.toDouble() - axis->endValue(label)) < 1e-9, qPrintable(label));
    }

    // Inverted axes.
    surface.InvertedXAxis = true;
    surface.InvertedYAxis = true;
    form->RedrawGraph();
    QVERIFY(form->AxisX->isReverse());
    QVERIFY(form->AxisY->isReverse());
    surface.CloseEditor();

    // Three data columns with x first: two series and a legend titled by the header lines.
    std::vector<TTableDefinition> defs = ReadTableDefinitions(R"(
table Profile: TGridTableChart
  Caption = "Profile"
  MinRows = 3
  MaxRows = 20
  Col = {
    3
    2 ("Distance") true false false "FLOATCOLUMN2" "" 0.0
    2 ("Top") true false false "FLOATCOLUMN2" "" 0.0
    2 ("Bottom") true false false "FLOATCOLUMN2" "" 0.0
    true false 0 1 0 0
  }
end
)");
    auto& profile = static_cast<TGridTableChart&>(*defs[0].Table);
    profile.SetContext(&Context);
    profile.SetRowCount(3);
    SetRow(profile, 0, {0, 5, 1});
    SetRow(profile, 1, {1, 6, 2});
    SetRow(profile, 2, {2, 5, 1});
    auto* two = dynamic_cast<TTableChartForm*>(OpenEditor(profile));
    QVERIFY(two);
    QVERIFY(two->Series2->isVisible());
    QCOMPARE(two->Series2->count(), 3);
    QCOMPARE(two->Series1->name(), QStringLiteral("Top"));
    QCOMPARE(two->Series2->name(), QStringLiteral("Bottom"));
    QVERIFY(two->Chart1->chart()->legend()->isVisible());
    QVERIFY(!two->FileNameEdit->isVisible());
    profile.CloseEditor();
}

void TestEditors::boundaryGraph() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTableChart& bound = Set->BoundCood();
    bound.SetRowCount(2);
    SetRow(bound, 0, {0, 0, 10, 5});
    SetRow(bound, 1, {10, 5, 20, 5});
    auto* form = dynamic_cast<TTableChartForm*>(OpenEditor(bound));
    QVERIFY(form);
    QVERIFY(form->PaintBox1->isVisible());
    QVERIFY(!form->Chart1->isVisible());
    QCOMPARE(form->RowsShown(), 2);
    const QSize area = form->PaintBox1->size();
    const TSegmentDrawing drawing = SegmentDrawing(bound, area.width(), area.height());
    QCOMPARE(int(drawing.Segments.size()), 2);
    const int middle = int(std::lround((area.width() - 40) * 0.5)) + 20;
    const TSegmentDrawing::TSegment& first = drawing.Segments[0];
    QCOMPARE(QLine(first.X1, first.Y1, first.X2, first.Y2), QLine(20, area.height() - 20, middle, 20));
    QCOMPARE(drawing.Segments[1].Label, std::string("2"));

    // The picture really shows the segments: a dark pixel on the second one, none off the lines.
    const QImage image = form->PaintBox1->grab().toImage();
    const QPoint onLine((middle + area.width() - 20) / 2 + 5, 20);
    QVERIFY(qGray(image.pixel(onLine)) < 128);
    QVERIFY(qGray(image.pixel(area.width() - 10, area.height() - 10)) > 200);

    // Rows that all lie at one height draw nothing.
    SetRow(bound, 0, {0, 5, 10, 5});
    QVERIFY(SegmentDrawing(bound, area.width(), area.height()).Blank);
    QTRY_VERIFY(qGray(form->PaintBox1->grab().toImage().pixel(onLine)) > 200); // blank area

    // A click on the window's background redraws the graph.
    const int redraws = form->RedrawCount();
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(form->width() - 3, form->height() - 3));
    QCOMPARE(form->RedrawCount(), redraws + 1);

    // A point typed into the grid shows up in the drawing.
    form->Grid->setCurrentCell(0, 1);
    TypeIntoCurrent(form, QStringLiteral("0"));
    PressEnter(form);
    QCOMPARE(double(bound.Column(1).GetFloat(1)), 5.0);
    QCOMPARE(int(SegmentDrawing(bound, area.width(), area.height()).Segments.size()), 2);

    // The tables go while their editors are open (a new model replaces them): the windows close
    // without touching them again.
    QPointer<TTableForm> watch(form);
    QPointer<TTableForm> soilForm(OpenEditor(Set->SoilData()));
    QVERIFY(soilForm);
    form->PaintBox1->update();
    Set.reset();
    QTest::qWait(20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(watch.isNull());
    QVERIFY(soilForm.isNull());
}

void TestEditors::axisRanges() {
    TAxisRange range = AutoAxisRange(3.2, 47.9);
    QCOMPARE(range.Step, 10.0);
    QCOMPARE(range.Min, 0.0);
    QCOMPARE(range.Max, 50.0);
    range = AutoAxisRange(-0.013, 0.004);
    QCOMPARE(range.Step, 0.005);
    QVERIFY(qFuzzyCompare(range.Min, -0.015));
    QVERIFY(qFuzzyCompare(range.Max, 0.005));
    range = AutoAxisRange(7, 7); // one value: a range around it
    QVERIFY(range.Min < 7 && range.Max > 7);
    range = AutoAxisRange(0, 0);
    QVERIFY(range.Min < 0 && range.Max > 0);

    // A fixed range about a constant value at or below zero still runs upwards.
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTableChart& surface = Set->FailSurfaceChart();
    surface.SetRowCount(3);
    for (int r = 0; r < 3; ++r)
        SetRow(surface, r, {double(r), -20});
    auto* form = dynamic_cast<TTableChartForm*>(OpenEditor(surface));
    QVERIFY(form);
    QVERIFY(form->AxisY->min() < -20 && form->AxisY->max() > -20);
    QCOMPARE(form->AxisY->min(), -22.0);
    for (int r = 0; r < 3; ++r)
        SetRow(surface, r, {double(r), 0});
    form->RedrawGraph();
    QCOMPARE(form->AxisY->min(), -1.0);
    QCOMPARE(form->AxisY->max(), 1.0);
    QVERIFY(form->AxisY->categoriesLabels().contains(QStringLiteral("0")));
}

void TestEditors::dragResizeSnapping() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    TGridTable& ties = Set->TiebackCoord(); // seven columns
    ties.SetRowCount(8);
    TTableForm* form = OpenEditor(ties);
    QVERIFY(form);
    const QSize full = form->ClientSize();
    QCOMPARE(form->RowsShown(), 8);
    QCOMPARE(form->size(), full);

    // Dragging the bottom edge up: whole rows, with a vertical scroll bar.
    QSize snapped = form->SnapClientSize(QSize(full.width() + 40, full.height() - 70), Qt::BottomEdge);
    QVERIFY(form->RowsShown() < 8);
    QVERIFY(form->RowsShown() >= 4);
    QCOMPARE(form->ColumnsShown(), 7);
    QVERIFY(snapped.height() <= full.height() - 70);
    const int gridInner = form->Grid->viewport()->height();
    QCOMPARE(gridInner % 24, 0); // whole rows only
    QCOMPARE(gridInner / 24, form->RowsShown());

    // Dragging the right edge in: whole columns, with a horizontal scroll bar.
    snapped = form->SnapClientSize(QSize(full.width() / 2 + 30, snapped.height() + 200), Qt::RightEdge);
    QVERIFY(form->ColumnsShown() < 7);
    QVERIFY(snapped.width() <= full.width() / 2 + 30 ||
            snapped.width() == form->BtnDel->geometry().right() + 1 + form->Margin());
    int sum = 0;
    for (int c = form->FirstShownColumn(); c < form->FirstShownColumn() + form->ColumnsShown(); ++c)
        sum += form->Grid->horizontalHeader()->sectionSize(c);
    QCOMPARE(form->Grid->viewport()->width(), sum);

    // Growing again back to everything.
    snapped = form->SnapClientSize(full + QSize(100, 100), Qt::RightEdge | Qt::BottomEdge);
    QCOMPARE(snapped, full);
    QCOMPARE(form->RowsShown(), 8);
    QCOMPARE(form->ColumnsShown(), 7);

    // A real resize of the window snaps once the drag pauses.
    form->resize(full.width(), full.height() - 50);
    QTRY_COMPARE(form->size(), form->ClientSize());
    QVERIFY(form->RowsShown() < 8);
}

// Renders the three editors with realistic data; set BREVANTO_SHOT_DIR to keep the pictures.
void TestEditors::screenshots() {
    TMessageRecorder messages(&Owner);
    Set = std::make_unique<TTableSet>(&Context);
    const QString dir = qEnvironmentVariable("BREVANTO_SHOT_DIR");

    TGridTable& soil = Set->SoilData();
    soil.SetRowCount(3);
    const std::vector<std::vector<double>> soils = {
        {115, 125, 150, 28, 0, 0}, {120, 130, 400, 32, 0, 0}, {125, 135, 0, 36, 0.1, 0}};
    for (int r = 0; r < 3; ++r)
        SetRow(soil, r, soils[static_cast<std::size_t>(r)]);
    soil.Column(6).SetInt(1, 1);
    TTableForm* soilForm = OpenEditor(soil);
    QVERIFY(soilForm);

    TGridTableChart& bound = Set->BoundCood();
    const std::vector<std::vector<double>> lines = {{0, 100, 40, 100, 1},   {40, 100, 90, 125, 1},
                                                    {90, 125, 140, 125, 1}, {0, 85, 40, 85, 2},
                                                    {40, 85, 140, 95, 2},   {0, 70, 140, 72, 3}};
    bound.SetRowCount(static_cast<int>(lines.size()));
    for (std::size_t r = 0; r < lines.size(); ++r) {
        SetRow(bound, static_cast<int>(r), {lines[r][0], lines[r][1], lines[r][2], lines[r][3]});
        bound.Column(4).SetInt(static_cast<int>(r), static_cast<int>(lines[r][4]));
    }
    auto* boundForm = dynamic_cast<TTableChartForm*>(OpenEditor(bound));
    QVERIFY(boundForm);

    TGridTableChart& surface = Set->FailSurfaceChart();
    const std::vector<std::vector<double>> points = {{28, 100},  {45, 88.5}, {62, 82},   {80, 81},
                                                     {97, 86.5}, {112, 97},  {121, 108}, {128, 125}};
    surface.SetRowCount(static_cast<int>(points.size()));
    for (std::size_t r = 0; r < points.size(); ++r)
        SetRow(surface, static_cast<int>(r), points[r]);
    auto* surfaceForm = dynamic_cast<TTableChartForm*>(OpenEditor(surface));
    QVERIFY(surfaceForm);
    QCOMPARE(surfaceForm->Series1->count(), 8);
    QCOMPARE(surfaceForm->RowsShown(), 5);
    QVERIFY(surfaceForm->Grid->verticalScrollBar()->isVisible());

    // Nothing overlaps: every control lies inside the window and below the previous one's line.
    for (TTableForm* form :
         {soilForm, static_cast<TTableForm*>(boundForm), static_cast<TTableForm*>(surfaceForm)}) {
        const QRect client(QPoint(0, 0), form->size());
        for (QWidget* child : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child->isVisible())
                QVERIFY2(client.contains(child->geometry()), qPrintable(child->objectName()));
        QVERIFY(form->BtnAdd->geometry().top() > form->Grid->geometry().bottom());
    }
    QVERIFY(boundForm->FileNameEdit->geometry().top() > boundForm->BtnAdd->geometry().bottom());
    QVERIFY(boundForm->BtnBrowse->geometry().top() > boundForm->FileNameEdit->geometry().bottom());
    QCOMPARE(boundForm->BtnClip->geometry().right(), boundForm->BtnRead->geometry().right());
    QVERIFY(boundForm->lblComments->geometry().top() > boundForm->BtnClip->geometry().bottom());

    if (!dir.isEmpty()) {
        QVERIFY(soilForm->grab().save(dir + "/soil-table-editor.png"));
        QVERIFY(boundForm->grab().save(dir + "/boundary-table-editor.png"));
        QVERIFY(surfaceForm->grab().save(dir + "/failure-surface-editor.png"));
    }
}

QTEST_MAIN(TestEditors)
#include "tst_editors.moc"
