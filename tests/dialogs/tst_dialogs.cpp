// The data windows driven as a user would, inside a frame with a multiple-document area: typing into
// the boxes, Tab, clicking check boxes and buttons, switching between windows and closing them. The
// message boxes are recorded through the seam.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "dialogs/DlgBlock.h"
#include "dialogs/DlgEarthquake.h"
#include "dialogs/DlgOptional.h"
#include "dialogs/DlgOptions.h"
#include "dialogs/DlgSearch.h"
#include "dialogs/DlgSlopeBoundary.h"
#include "dialogs/DlgTitle.h"
#include "dialogs/SvgPicture.h"
#include "support/MessageRecorder.h"
#include "support/ModelTestSupport.h"
#include "text/Evaluate.h"
#include "widgets/TableEditor.h"

namespace {
// File dialogs that answer from queues.
class TScriptedDialogs : public IFileDialogs {
  public:
    QList<std::optional<TOpenChoice>> Opens;
    QList<std::optional<QString>> Saves;
    std::optional<TOpenChoice> Open(QWidget*, int) override {
        return Opens.isEmpty() ? std::nullopt : Opens.takeFirst();
    }
    std::optional<QString> SaveAs(QWidget*, const QString&, const QString&) override {
        return Saves.isEmpty() ? std::nullopt : Saves.takeFirst();
    }
};

// Types into a box as a user does (the text replaces what it shows), without leaving it.
void TypeInto(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    box->selectAll();
    // Cleared first: an operator typed over the selected text would extend it ("-45" then "-30").
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

// Types and leaves the box with Tab (the box validates its entry).
void Enter(QLineEdit* box, const QString& text) {
    TypeInto(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

QString Label(TDataEdit* box) {
    return box->EditLabel()->text();
}

double Shown(TDataEdit* box) {
    return double(box->Number());
}

// Clicks a check box on its box, as a user does.
void ClickCheck(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

// Activates a data window's child window as a click on it would.
void Activate(TDataForm* window) {
    window->SubWindow()->mdiArea()->setActiveSubWindow(window->SubWindow());
}

// Closes a data window through its child window; true when it went.
bool CloseWindow(TDataForm* window) {
    QPointer<QMdiSubWindow> sub = window->SubWindow();
    const bool closed = sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return closed && !sub;
}

void OpenMenu(QMenu* menu) {
    emit menu->aboutToShow();
}

std::string SavedText(TProgramData& model) {
    return model.FileText();
}

bool Contains(const std::string& text, const char* line) {
    return text.find(std::string(line) + "\r\n") != std::string::npos;
}

// --- the table editors, typed into as a user does
QLineEdit* OpenCellEditor(TTableForm* form) {
    if (!form->Grid->CellEditor())
        form->Grid->edit(form->Grid->currentIndex());
    return qobject_cast<QLineEdit*>(form->Grid->CellEditor());
}

// Types a row of values from `column` on: click into the cell, type, Enter.
void TypeRow(TTableForm* form, int row, const QStringList& values, int column = 0) {
    for (const QString& value : values) {
        const QRect cell = form->Grid->visualRect(form->Grid->model()->index(row, column));
        QTest::mouseClick(form->Grid->viewport(), Qt::LeftButton, {}, cell.center());
        QLineEdit* edit = OpenCellEditor(form);
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, value);
        QTest::keyClick(edit, Qt::Key_Return);
        ++column;
    }
}

TTableForm* EditorOf(TGridTable& table) {
    return dynamic_cast<TTableForm*>(table.Editor());
}
} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void searchWindowFamily();
    void searchCommitProtocol();
    void searchValuesSharedBetweenKinds();
    void invalidEntryKeepsWindow();
    void unitSwitchWithWindowsOpen();
    void optionalCategoryWindows();
    void surchargeBoxKeepsRows();
    void reinforcementSwitchesSurfaceKeyword();
    void waterWindow();
    void earthquakeWindow();
    void titleWindow();
    void textEditorWindow();
    void singleInstanceWindows();
    void slopeBoundaryWindow();
    void boundaryPreviewMouse();
    void pictures();
    void anyAreaFramesTheWindows();
    void exampleModelThroughTheWindows();
    void layoutsAtExampleModel();

  private:
    // The data window a command opened (it is the active child window afterwards).
    template <class T> T* Command(QAction* item);
    template <class T> T* Current() const;
    TDlgSearch* Search(int kind);
    // What the menu commands do before a command runs: the active window stores its entries.
    void MenuOpens() { OpenMenu(Form->DataMenu); }
    void SwitchUnits(QAction* item);
    void NewModel();
    void LoadModel(const QString& path);

    std::unique_ptr<TMainForm> Form;
    TScriptedDialogs* Dialogs = nullptr;
    QString StartDirectory;
};

template <class T> T* TestDialogs::Current() const {
    QMdiSubWindow* sub = Form->MdiArea->currentSubWindow();
    return sub ? qobject_cast<T*>(sub->widget()) : nullptr;
}

template <class T> T* TestDialogs::Command(QAction* item) {
    MenuOpens();
    item->trigger();
    return Current<T>();
}

TDlgSearch* TestDialogs::Search(int kind) {
    QAction* items[] = {nullptr,
                        Form->FailureSurface1,
                        Form->JanbusMethod1,
                        Form->BishopsMethod1,
                        Form->Irregularfailure1,
                        Form->BlockSearch1,
                        Form->SpencersMethod1};
    return Command<TDlgSearch>(items[kind]);
}

void TestDialogs::SwitchUnits(QAction* item) {
    OpenMenu(Form->OptionsMenu);
    item->trigger();
}

void TestDialogs::NewModel() {
    Form->SetModified(false);
    Form->FileNewClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestDialogs::LoadModel(const QString& path) {
    Form->SetModified(false);
    Dialogs->Opens << TOpenChoice{path, 0};
    Form->FileOpenClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestDialogs::initTestCase() {
    // The settings of the program go to a test location, never the user's.
    QStandardPaths::setTestModeEnabled(true);
}

void TestDialogs::init() {
    StartDirectory = QDir::currentPath();
    Form = std::make_unique<TMainForm>();
    auto dialogs = std::make_unique<TScriptedDialogs>();
    Dialogs = dialogs.get();
    Form->SetFileDialogs(std::move(dialogs));
    Form->SetUrlOpener([](const QUrl&) { return true; });
    Form->resize(1500, 1000);
    Form->show();
    QApplication::setActiveWindow(Form.get());
    // Without a window manager (a bare X server, for screenshots) activation may not come.
    const bool active = QTest::qWaitForWindowActive(Form.get(), 2000);
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QVERIFY(active);
    QVERIFY(Form->Model());
}

void TestDialogs::cleanup() {
    // A window left with a rejected entry would ask a person when it is closed: no closing, deleting.
    Form->Tables().CloseEditors();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QMdiSubWindow* sub : Form->MdiArea->subWindowList())
        delete sub;
    Form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(StartDirectory);
}

void TestDialogs::searchWindowFamily() {
    TMessageRecorder messages(Form.get());
    struct TExpect {
        int Kind;
        const char* Class;
        const char* Caption;
        const char* IP;
        const char* CCW;
        const char* CW;
        bool Notes;
        bool Angle;
    };
    const TExpect expected[] = {
        {2, "TDlgJanbu", "Search by Janbu's Method", "Initiation Points ", "Counterclockwise limit (deg.)",
         "Clockwise limit (deg.)", true, false},
        {3, "TDlgBishop", "Search by Bishop's Method", "Initiation Points ",
         "Counterclockwise direction limit (deg.)", "Clockwise limit (negative value) (deg.)", true, false},
        {4, "TDlgIrregular", "Search by Irregular Method", "Number of Initiation Points ", "CCW limit (deg.)",
         "CW limit (deg.)", true, false},
        {6, "TDlgSpencer", "Search by Spencer's Method", "Initiation Points ",
         "Counterclockwise limit (deg.)", "Clockwise limit (negative value) (deg.)", false, true},
    };
    for (const TExpect& e : expected) {
        TDlgSearch* w = Search(e.Kind);
        QCOMPARE(w->objectName(), QLatin1String(e.Class));
        QCOMPARE(w->windowTitle(), QLatin1String(e.Caption));
        QCOMPARE(Label(w->deIP), QLatin1String(e.IP));
        QCOMPARE(Label(w->deXLi), QStringLiteral("Left initiation X-coordinate, XL,i  (ft)"));
        QCOMPARE(Label(w->deSL), QStringLiteral("Segment length (ft)"));
        QCOMPARE(Label(w->deCCW), QLatin1String(e.CCW));
        QCOMPARE(Label(w->deCW), QLatin1String(e.CW));
        QCOMPARE(w->lblCCWNote != nullptr, e.Notes);
        if (e.Notes) {
            QCOMPARE(w->lblCCWNote->text(), QStringLiteral("(Use ß - 5 degrees.)"));
            QCOMPARE(w->lblCWNote->text(), QStringLiteral("(Use negative values for CW limit.)"));
        }
        QCOMPARE(w->deAng != nullptr, e.Angle);
        if (e.Angle) {
            QCOMPARE(Label(w->deAng), QStringLiteral("Approximate interslice force inclination,  (deg.)"));
            QCOMPARE(double(w->deAng->MaxVal()), 100.0);
            QVERIFY(w->findChild<QLabel*>(QStringLiteral("lblAng2")));
        }
        QVERIFY(w->deIP->IntegerOnly() && w->deSP->IntegerOnly() && !w->deXLi->IntegerOnly());
        QCOMPARE(double(w->deXRi->MaxVal()), 1e8);
        QCOMPARE(double(w->deXRt->MaxVal()), 1e5);
        // A new model: counts of 0 shown as they are, the clockwise limit -45.
        QCOMPARE(w->deIP->text(), QStringLiteral("0"));
        QCOMPARE(w->deSP->text(), QStringLiteral("0"));
        QCOMPARE(w->deCCW->text(), QStringLiteral("0"));
        QCOMPARE(w->deCW->text(), QStringLiteral("-45"));
        // The focus order, from the first box.
        QCOMPARE(QApplication::focusWidget(), w->deXLi);
        QList<QWidget*> order;
        for (QWidget* at = w->deXLi; order.size() < 12; at = at->nextInFocusChain())
            if (!w->isAncestorOf(at))
                continue;
            else if (qobject_cast<TDataEdit*>(at) && !order.contains(at))
                order << at;
            else if (order.contains(at))
                break;
        QList<QWidget*> want{w->deXLi, w->deXRi,   w->deSP, w->deXRt, w->deXLt,
                             w->deIP,  w->deMinEl, w->deSL, w->deCCW, w->deCW};
        if (w->deAng)
            want << w->deAng;
        QCOMPARE(order, want);
        // Two pictures, both drawn from valid resources.
        const auto pictures = w->findChildren<TSvgPicture*>();
        QCOMPARE(pictures.size(), 2);
        for (TSvgPicture* p : pictures)
            QVERIFY(p->IsValid());
        // A fixed child window without a maximize button.
        QMdiSubWindow* sub = w->SubWindow();
        QCOMPARE(sub->minimumSize(), sub->maximumSize());
        QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
    }
    // Each command made a new window.
    QCOMPARE(Form->MdiArea->subWindowList().size(), 4);
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::searchCommitProtocol() {
    TMessageRecorder messages(Form.get());
    TDlgSearch* bishop = Search(3);
    // 150 initiation points: the upper-limit message, 100 in the box.
    Enter(bishop->deIP, QStringLiteral("150"));
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 100"));
    QCOMPARE(bishop->deIP->text(), QStringLiteral("100"));
    QVERIFY(Form->IsModified()); // typing marked the model
    Enter(bishop->deSP, QStringLiteral("2*5"));
    QCOMPARE(bishop->deSP->text(), QStringLiteral("10"));
    Enter(bishop->deXLi, QStringLiteral("10"));
    Enter(bishop->deXRi, QStringLiteral("60"));
    Enter(bishop->deXLt, QStringLiteral("170"));
    Enter(bishop->deXRt, QStringLiteral("220"));
    Enter(bishop->deMinEl, QStringLiteral("32"));
    Enter(bishop->deSL, QStringLiteral("6"));
    // Nothing reaches the model before the window is left.
    QCOMPARE(Form->Model()->InitiationPoints, 0);
    // Deactivation (another window comes to the front) commits everything.
    TDlgEarthquake* quake = Command<TDlgEarthquake>(Form->EarthquakeLoad1);
    QCOMPARE(Form->MdiArea->activeSubWindow(), quake->SubWindow());
    const TProgramData& m = *Form->Model();
    QCOMPARE(m.InitiationPoints, 100);
    QCOMPARE(m.SurfacesPerPoint, 10);
    QCOMPARE(double(m.LeftInitiationX), 10.0);
    QCOMPARE(double(m.RightInitiationX), 60.0);
    QCOMPARE(double(m.LeftTerminationX), 170.0);
    QCOMPARE(double(m.RightTerminationX), 220.0);
    QCOMPARE(double(m.MinimumElevation), 32.0);
    QCOMPARE(double(m.SegmentLength), 6.0);
    QCOMPARE(double(m.CwLimit), -45.0);
    QVERIFY(Contains(SavedText(*Form->Model()), "CIRCL2"));
    QVERIFY(Contains(SavedText(*Form->Model()), "10. 60. 170. 220."));
    QVERIFY(Contains(SavedText(*Form->Model()), "32. 6. 0. -45."));

    // Never focused: a count of 0 is committed as it is, below the box's lower limit.
    NewModel();
    TDlgSearch* janbu = Search(2);
    Enter(janbu->deXLi, QStringLiteral("5"));
    QVERIFY(CloseWindow(janbu));
    QCOMPARE(Form->Model()->InitiationPoints, 0);
    QCOMPARE(double(Form->Model()->LeftInitiationX), 5.0);

    // Closing commits, and a window activated again shows what the model holds.
    TDlgSearch* spencer = Search(6);
    Enter(spencer->deAng, QStringLiteral("12.5"));
    Enter(spencer->deCCW, QStringLiteral("40"));
    TDlgSearch* other = Search(6);
    QCOMPARE(other->deAng->text(), QStringLiteral("12.5"));
    Enter(other->deCCW, QStringLiteral("35"));
    Activate(spencer);
    QCOMPARE(spencer->deCCW->text(), QStringLiteral("35")); // the one left last wins
    QVERIFY(CloseWindow(spencer));
    QVERIFY(CloseWindow(other));
    QCOMPARE(double(Form->Model()->InterSliceAngle), 12.5);
    QCOMPARE(double(Form->Model()->CcwLimit), 35.0);
    QCOMPARE(messages.Count(), 1);
}

void TestDialogs::searchValuesSharedBetweenKinds() {
    TMessageRecorder messages(Form.get());
    TDlgSearch* janbu = Search(2);
    Enter(janbu->deIP, QStringLiteral("7"));
    Enter(janbu->deXLi, QStringLiteral("12.25"));
    Enter(janbu->deCW, QStringLiteral("-30"));
    TypeInto(janbu->deSL, QStringLiteral("4")); // still in the box when the next command comes
    MenuOpens();                                // the menu opens
    TDlgSearch* bishop = Search(3);
    QCOMPARE(bishop->deIP->text(), QStringLiteral("7"));
    QCOMPARE(bishop->deXLi->text(), QStringLiteral("12.25"));
    QCOMPARE(bishop->deCW->text(), QStringLiteral("-30"));
    QCOMPARE(bishop->deSL->text(), QStringLiteral("4"));
    QCOMPARE(Form->Model()->SearchKind, 3);

    // The block window's total number of surfaces is the shared surfaces-per-point field.
    TDlgBlock* block = Command<TDlgBlock>(Form->BlockSearch1);
    QCOMPARE(block->windowTitle(), QStringLiteral("Search by Block Method"));
    QCOMPARE(Label(block->deSP), QStringLiteral("Total number of surfaces to be generated"));
    QCOMPARE(Label(block->deQL), QStringLiteral("Segment length  (ft)"));
    QCOMPARE(block->btnSect->text(), QStringLiteral("Enter Block Data"));
    QCOMPARE(block->lblSect->text(), QStringLiteral("Boxes used to generate the base of central block"));
    Enter(block->deSP, QStringLiteral("40"));
    Enter(block->deQL, QStringLiteral("15"));
    QTest::mouseClick(block->btnSect, Qt::LeftButton);
    auto* boxes = dynamic_cast<TTableForm*>(Form->Tables().BoxCoord().Editor());
    QVERIFY(boxes);
    QCOMPARE(Form->MdiArea->activeSubWindow()->widget(), boxes);
    QCOMPARE(Form->Model()->SurfacesPerPoint, 40); // committed when the box editor came to the front
    QCOMPARE(double(Form->Model()->BlockSegmentLength), 15.0);
    TDlgSearch* janbu2 = Search(2);
    QCOMPARE(janbu2->deSP->text(), QStringLiteral("40"));
    QCOMPARE(double(Form->Model()->SegmentLength), 4.0); // the block's own length is separate
    QCOMPARE(Form->Model()->HasBlockSearch, 1);          // the Janbu command does not clear it
    // Irregular, then Janbu: the irregular flag stays, the kind is Janbu's.
    TDlgSearch* irregular = Search(4);
    QCOMPARE(irregular->deSP->text(), QStringLiteral("40"));
    Search(2);
    QCOMPARE(Form->Model()->HasIrregularSearch, 1);
    QCOMPARE(Form->Model()->SearchKind, 2);
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::invalidEntryKeepsWindow() {
    TMessageRecorder messages(Form.get());
    TDlgSearch* janbu = Search(2);
    Enter(janbu->deXLi, QStringLiteral("3"));
    TypeInto(janbu->deXRi, QStringLiteral("9"));
    TypeInto(janbu->deXLi, QStringLiteral("abc")); // the click into it validates the other box
    QCOMPARE(messages.Count(), 0);
    // Another window comes to the front: the message, and the window comes back with the bad text.
    TDlgSearch* bishop = Search(3);
    QTRY_COMPARE(messages.Count(), 1);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("Entry could not be evaluated:")));
    QTRY_COMPARE(Form->MdiArea->activeSubWindow(), janbu->SubWindow());
    QTRY_COMPARE(QApplication::focusWidget(), janbu->deXLi);
    QCOMPARE(janbu->deXLi->text(), QStringLiteral("abc"));
    QCOMPARE(janbu->deXRi->text(), QStringLiteral("9"));    // not loaded again
    QCOMPARE(double(Form->Model()->RightInitiationX), 0.0); // nothing committed
    // The close is refused as well.
    messages.Clear();
    QVERIFY(!CloseWindow(janbu));
    QCOMPARE(messages.Count(), 1);
    QVERIFY(janbu->isVisible());
    // An entry beyond a limit is set to the limit and keeps the window until it is left again.
    TypeInto(janbu->deXLi, QStringLiteral("2e8"));
    Activate(bishop);
    QTRY_COMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 100000000"));
    QTRY_COMPARE(Form->MdiArea->activeSubWindow(), janbu->SubWindow());
    QCOMPARE(janbu->deXLi->text(), QStringLiteral("100000000"));
    QCOMPARE(double(Form->Model()->LeftInitiationX), 0.0);
    Activate(bishop);
    QCOMPARE(double(Form->Model()->LeftInitiationX), 1e8);
    QCOMPARE(double(Form->Model()->RightInitiationX), 9.0);
    QCOMPARE(bishop->deXLi->text(), QStringLiteral("100000000"));
    QCOMPARE(messages.Count(), 2);
}

void TestDialogs::unitSwitchWithWindowsOpen() {
    TMessageRecorder messages(Form.get());
    TDlgSearch* janbu = Search(2);
    Enter(janbu->deSL, QStringLiteral("10"));
    Enter(janbu->deCCW, QStringLiteral("30"));
    Enter(janbu->deIP, QStringLiteral("5"));
    TDlgPiezometric* water = Command<TDlgPiezometric>(Form->DataLoading);
    Enter(water->dewt, QStringLiteral("62.4"));
    QCOMPARE(Label(water->dewt), QStringLiteral("Unit weight of water (lbs/ft^3)"));
    // The water window is active; the units command commits it, converts, and both windows show
    // the converted values with the new units.
    SwitchUnits(Form->SIUnits);
    QCOMPARE(Label(water->dewt), QStringLiteral("Unit weight of water (kN/m^3)"));
    QCOMPARE(Shown(water->dewt), double(62.4L * 0.004448222468060650624L / (0.3048L * 0.3048L * 0.3048L)));
    Activate(janbu);
    QCOMPARE(Label(janbu->deSL), QStringLiteral("Segment length (m)"));
    QCOMPARE(janbu->deSL->text(), QString::fromStdString(FormatEntry(false, 10 * 0.3048L)));
    QCOMPARE(janbu->deCCW->text(), QStringLiteral("30"));
    QCOMPARE(janbu->deIP->text(), QStringLiteral("5"));
    QCOMPARE(Label(janbu->deCCW), QStringLiteral("Counterclockwise limit (deg.)"));
    // The active window does not store numbers of the old system into the converted model.
    SwitchUnits(Form->EnglishUnits);
    Activate(water);
    QVERIFY(std::fabs(double(Form->Model()->SegmentLength) - 10.0) < 1e-4);
    QCOMPARE(Label(janbu->deSL), QStringLiteral("Segment length (ft)"));
    // Other units: the labels show the unit strings, nothing is converted.
    SwitchUnits(Form->FLUnits);
    QCOMPARE(Label(water->dewt), QStringLiteral("Unit weight of water (F/L2^3)"));
    // There and back gives the typed value: the two directions use exactly inverse factors.
    QCOMPARE(water->dewt->text(), QStringLiteral("62.4"));
    QCOMPARE(janbu->deSL->text(), QStringLiteral("10"));
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::optionalCategoryWindows() {
    TMessageRecorder messages(Form.get());
    // Each command opens its window, which switches its own flag and opens its own table.
    struct TExpect {
        TDlgOptional* Window;
        const char* Class;
        std::uint8_t TProgramData::*Flag;
        TGridTable* Table;
    };
    TTableSet& t = Form->Tables();
    const TExpect expected[] = {
        {Command<TDlgLoading>(Form->SurchargeLoad1), "TDlgLoading", &TProgramData::HasSurcharge,
         &t.SurchargeLoad()},
        {Command<TDlgLimits>(Form->DataSoilStrength), "TDlgLimits", &TProgramData::HasLimits, &t.limit()},
        {Command<TDlgTieback>(Form->DataPYMod), "TDlgTieback", &TProgramData::HasTiebacks, &t.TiebackCoord()},
        {Command<TDlgReinEarth>(Form->DataPYCurves), "TDlgReinEarth", &TProgramData::HasReinforcement,
         &t.ReinEarthLayerSet()},
        {Command<TDlgPiezometric>(Form->DataLoading), "TDlgPiezometric", &TProgramData::HasWater,
         &t.WaterSurfaceSet()},
    };
    QCOMPARE(expected[0].Window->Check->text(), QStringLiteral("Apply &Surcharge Loads"));
    for (const TExpect& e : expected) {
        TDlgOptional* w = e.Window;
        QCOMPARE(w->objectName(), QLatin1String(e.Class));
        QCOMPARE(&w->Table(), e.Table);
        QCOMPARE(w->findChildren<TSvgPicture*>().size(), 1);
        // Only the limits window can be resized.
        QMdiSubWindow* sub = w->SubWindow();
        QCOMPARE(sub->minimumSize() == sub->maximumSize(), w->objectName() != QLatin1String("TDlgLimits"));
        // Off in a new model; the box switches the button and the flag, the button opens the table.
        Activate(w);
        QVERIFY(!w->Check->isChecked());
        QVERIFY(!w->Button->isEnabled());
        ClickCheck(w->Check);
        QVERIFY(w->Button->isEnabled());
        QTest::mouseClick(w->Button, Qt::LeftButton);
        QVERIFY(e.Table->EditorOpen());
        QCOMPARE(Form->Model()->*e.Flag, 1); // stored when the editor came to the front
        Activate(w);
        ClickCheck(w->Check);
        QVERIFY(!w->Button->isEnabled());
        QVERIFY(CloseWindow(w));
        QCOMPARE(Form->Model()->*e.Flag, 0);
        QCOMPARE(e.Table->RowCount(), e.Table->MinRows()); // never a row lost
        e.Table->CloseEditor();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::surchargeBoxKeepsRows() {
    TMessageRecorder messages(Form.get());
    TGridTable& loads = Form->Tables().SurchargeLoad();
    TDlgLoading* w = Command<TDlgLoading>(Form->SurchargeLoad1);
    ClickCheck(w->Check);
    QTest::mouseClick(w->Button, Qt::LeftButton);
    QVERIFY(loads.EditorOpen());
    SetRow(loads, 0, "PPPP", {120, 140, 500, 0});
    Activate(w);
    QCOMPARE(Form->Model()->HasSurcharge, 1);
    QVERIFY(Contains(SavedText(*Form->Model()), "LOADS"));
    // Clearing the box closes the open editor of the loads; the rows stay, LOADS goes.
    Form->SetModified(false);
    ClickCheck(w->Check);
    QVERIFY(!loads.EditorOpen());
    QVERIFY(Form->IsModified());
    MenuOpens();
    QCOMPARE(Form->Model()->HasSurcharge, 0);
    QVERIFY(!Contains(SavedText(*Form->Model()), "LOADS"));
    QCOMPARE(loads.RowCount(), 1);
    QCOMPARE(double(loads.Cell(2, 0).GetFloat()), 500.0);
    // Checking it again writes the same loads.
    ClickCheck(w->Check);
    MenuOpens();
    QVERIFY(Contains(SavedText(*Form->Model()), "LOADS\r\n1\r\n120. 140. 500. 0."));
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::reinforcementSwitchesSurfaceKeyword() {
    TMessageRecorder messages(Form.get());
    Form->FailureSurface1->trigger();
    SetRow(Form->Tables().FailSurfaceChart(), 0, "PP", {10, 50});
    TDlgReinEarth* w = Command<TDlgReinEarth>(Form->DataPYCurves);
    QVERIFY(Contains(SavedText(*Form->Model()), "SURFAC"));
    // A clear box marks the model modified when the window is activated; checking it does not,
    // but storing the changed flag does, so the change is never lost without a question.
    QVERIFY(Form->IsModified());
    Form->SetModified(false);
    ClickCheck(w->Check);
    QVERIFY(w->Button->isEnabled());
    QVERIFY(!Form->IsModified());
    MenuOpens();
    QVERIFY(Form->IsModified());
    QCOMPARE(Form->Model()->HasReinforcement, 1);
    QCOMPARE(Form->Model()->UseSurbis, 1);
    std::string text = SavedText(*Form->Model());
    QVERIFY(Contains(text, "REINF"));
    QVERIFY(Contains(text, "SURBIS"));
    QVERIFY(!Contains(text, "SURFAC"));
    ClickCheck(w->Check);
    QVERIFY(CloseWindow(w));
    QCOMPARE(Form->Model()->UseSurbis, 0);
    text = SavedText(*Form->Model());
    QVERIFY(Contains(text, "SURFAC"));
    QVERIFY(!Contains(text, "REINF"));
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::waterWindow() {
    TMessageRecorder messages(Form.get());
    QVERIFY(!Form->IsModified());
    // Activating the window on a model without water surfaces marks the model modified.
    TDlgPiezometric* w = Command<TDlgPiezometric>(Form->DataLoading);
    QVERIFY(Form->IsModified());
    QCOMPARE(Label(w->dewt), QStringLiteral("Unit weight of water (lbs/ft^3)"));
    QCOMPARE(double(w->dewt->MaxVal()), 300.0);
    // The box sits between the check box and the button in the focus order.
    QCOMPARE(w->Check->nextInFocusChain(), w->dewt);
    Enter(w->dewt, QStringLiteral("62.4"));
    ClickCheck(w->Check);
    // The button sets the flag at once.
    QTest::mouseClick(w->Button, Qt::LeftButton);
    QCOMPARE(Form->Model()->HasWater, 1);
    QVERIFY(Form->Tables().WaterSurfaceSet().EditorOpen());
    QCOMPARE(double(Form->Model()->WaterUnitWeight), 62.4);
    QVERIFY(Contains(SavedText(*Form->Model()), "1 62.4"));
    // A rejected entry keeps this window too (in front, nothing stored).
    Activate(w);
    Enter(w->dewt, QStringLiteral("500")); // the exit: message, 300 in the box
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 300"));
    QCOMPARE(w->dewt->text(), QStringLiteral("300"));
    TypeInto(w->dewt, QStringLiteral("62.4/"));
    Form->Tables().WaterSurfaceSet().Edit(); // the open editor comes to the front
    QTRY_COMPARE(messages.Count(), 2);
    QTRY_COMPARE(Form->MdiArea->activeSubWindow(), w->SubWindow());
    QCOMPARE(double(Form->Model()->WaterUnitWeight), 62.4);
    QCOMPARE(Form->Model()->HasWater, 1);
    QVERIFY(!CloseWindow(w));
    Enter(w->dewt, QStringLiteral("9.81*6"));
    QVERIFY(CloseWindow(w));
    QCOMPARE(Form->Model()->HasWater, 1);
    QCOMPARE(double(Form->Model()->WaterUnitWeight), double(EvaluateEntry("9.81*6")));
}

void TestDialogs::earthquakeWindow() {
    TMessageRecorder messages(Form.get());
    TDlgEarthquake* w = Command<TDlgEarthquake>(Form->EarthquakeLoad1);
    QCOMPARE(w->windowTitle(), QStringLiteral("Earthquake Loading Coefficients"));
    QCOMPARE(Label(w->deHcoe), QStringLiteral("Earthquake coefficient for horizontal acceleration"));
    QCOMPARE(Label(w->deVcoe), QStringLiteral("Earthquake coefficient for vertical acceleration"));
    QCOMPARE(Label(w->deCav), QStringLiteral("Cavitation pressure (lbs/ft^2)"));
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblHcoeNote"))->text(),
             QStringLiteral("(defined positive outwards from the face of slope)"));
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblVcoeNote"))->text(),
             QStringLiteral("(defined positive upwards)"));
    QCOMPARE(double(w->deHcoe->MaxVal()), 200.0);
    QCOMPARE(double(w->deCav->MaxVal()), 1e8);
    QCOMPARE(QApplication::focusWidget(), w->deHcoe);
    // -0.1 and 0: no earthquake loading; 0 and 0.05: earthquake loading.
    Enter(w->deHcoe, QStringLiteral("-0.1"));
    Enter(w->deVcoe, QStringLiteral("0"));
    QVERIFY(Form->IsModified());
    MenuOpens();
    QCOMPARE(double(Form->Model()->HorizontalCoefficient), -0.1);
    QCOMPARE(Form->Model()->HasEarthquake, 0);
    QVERIFY(!Contains(SavedText(*Form->Model()), "EQUAKE"));
    Enter(w->deHcoe, QStringLiteral("0"));
    Enter(w->deVcoe, QStringLiteral("0.05"));
    MenuOpens();
    QCOMPARE(Form->Model()->HasEarthquake, 1);
    QVERIFY(Contains(SavedText(*Form->Model()), "EQUAKE\r\n0.00 0.05 0.00"));
    // The cavitation pressure alone is no earthquake loading.
    Enter(w->deVcoe, QStringLiteral("0"));
    Enter(w->deCav, QStringLiteral("1000"));
    QVERIFY(CloseWindow(w));
    QCOMPARE(Form->Model()->HasEarthquake, 0);
    QCOMPARE(double(Form->Model()->CavitationPressure), 1000.0);
    // In SI the pressure's label follows.
    Form->Model()->SetUnitSystem(2);
    w = Command<TDlgEarthquake>(Form->EarthquakeLoad1);
    QCOMPARE(Label(w->deCav), QStringLiteral("Cavitation pressure (kN/m^2)"));
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::titleWindow() {
    TMessageRecorder messages(Form.get());
    TdlgTitle* w = Command<TdlgTitle>(Form->DataTitle);
    QCOMPARE(w->windowTitle(), QStringLiteral("Project Title"));
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Enter text line for project description:"));
    QCOMPARE(w->TitleMemo->text(), QStringLiteral("New Slope"));
    // Leaving without a change does not mark the model.
    MenuOpens();
    QVERIFY(!Form->IsModified());
    // 80 characters at most; Enter adds no line break.
    w->TitleMemo->setFocus();
    w->TitleMemo->selectAll();
    QTest::keyClicks(w->TitleMemo, QString(85, QLatin1Char('x')));
    QTest::keyClick(w->TitleMemo, Qt::Key_Return);
    QCOMPARE(w->TitleMemo->text(), QString(80, QLatin1Char('x')));
    MenuOpens();
    QVERIFY(Form->IsModified());
    QCOMPARE(Form->Model()->Title, std::string(80, 'x'));
    // A pasted line break would split the title line of the file.
    w->TitleMemo->setText(QStringLiteral("Dam\nsection A"));
    QVERIFY(CloseWindow(w));
    QCOMPARE(Form->Model()->Title, std::string("Dam section A"));
    // A longer title from a file is kept whole while the user leaves it alone.
    const std::string longTitle(100, 't');
    Form->Model()->Title = longTitle;
    Form->SetModified(false);
    w = Command<TdlgTitle>(Form->DataTitle);
    QCOMPARE(w->TitleMemo->text().size(), 80);
    QVERIFY(CloseWindow(w));
    QCOMPARE(Form->Model()->Title, longTitle);
    QVERIFY(!Form->IsModified());
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::textEditorWindow() {
    TMessageRecorder messages(Form.get());
    Form->SetWordProcessor(QStringLiteral("/usr/bin/editor"));
    TDlgOptions* w = Command<TDlgOptions>(Form->OptionofTexeEditor1);
    QCOMPARE(w->windowTitle(), QStringLiteral("Name of Text Editor Program"));
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("&Text Editor:"));
    QCOMPARE(w->BtnBrowse->text(), QStringLiteral("&Browse..."));
    QCOMPARE(w->EdtWord->text(), QStringLiteral("/usr/bin/editor"));
    QString offered;
    w->ChooseFile = [&](const QString& current) {
        offered = current;
        return QString();
    };
    QTest::mouseClick(w->BtnBrowse, Qt::LeftButton);
    QCOMPARE(offered, QStringLiteral("/usr/bin/editor"));
    QCOMPARE(w->EdtWord->text(), QStringLiteral("/usr/bin/editor")); // cancelled: unchanged
    w->ChooseFile = [](const QString&) { return QStringLiteral("/opt/edit/bin/edit"); };
    QTest::mouseClick(w->BtnBrowse, Qt::LeftButton);
    QCOMPARE(w->EdtWord->text(), QStringLiteral("/opt/edit/bin/edit"));
    MenuOpens();
    QCOMPARE(Form->WordProcessor(), QStringLiteral("/opt/edit/bin/edit"));
    TypeInto(w->EdtWord, QStringLiteral("no such program"));
    QVERIFY(CloseWindow(w));
    QCOMPARE(Form->WordProcessor(), QStringLiteral("no such program")); // as typed
    QVERIFY(!Form->IsModified());                                       // a program setting, not the model
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::singleInstanceWindows() {
    TMessageRecorder messages(Form.get());
    TdlgTitle* title = Command<TdlgTitle>(Form->DataTitle);
    TDlgEarthquake* quake = Command<TDlgEarthquake>(Form->EarthquakeLoad1);
    TDlgLoading* loads = Command<TDlgLoading>(Form->SurchargeLoad1);
    TDlgSlopeBoundary* boundary = Command<TDlgSlopeBoundary>(Form->DataProp);
    TDlgOptions* editor = Command<TDlgOptions>(Form->OptionofTexeEditor1);
    QCOMPARE(Form->MdiArea->subWindowList().size(), 5);
    // A second command brings the open window to the front.
    QCOMPARE(Command<TdlgTitle>(Form->DataTitle), title);
    QCOMPARE(Form->MdiArea->activeSubWindow(), title->SubWindow());
    QCOMPARE(Command<TDlgEarthquake>(Form->EarthquakeLoad1), quake);
    QCOMPARE(Command<TDlgLoading>(Form->SurchargeLoad1), loads);
    QCOMPARE(Command<TDlgSlopeBoundary>(Form->DataProp), boundary);
    QCOMPARE(Command<TDlgOptions>(Form->OptionofTexeEditor1), editor);
    QCOMPARE(Form->MdiArea->subWindowList().size(), 5);
    // A minimised one comes back too.
    quake->SubWindow()->showMinimized();
    QCOMPARE(Command<TDlgEarthquake>(Form->EarthquakeLoad1), quake);
    QVERIFY(!quake->SubWindow()->isMinimized());
    // Closing clears the record; the next command makes a new window.
    QVERIFY(CloseWindow(title));
    QVERIFY(!Form->DataWindow(TDataWindow::Title));
    TdlgTitle* again = Command<TdlgTitle>(Form->DataTitle);
    QVERIFY(again);
    QCOMPARE(Form->DataWindow(TDataWindow::Title), again);
    // The others are new at each command.
    TDlgPiezometric* water = Command<TDlgPiezometric>(Form->DataLoading);
    QVERIFY(Command<TDlgPiezometric>(Form->DataLoading) != water);
    QVERIFY(Command<TDlgLimits>(Form->DataSoilStrength) != Command<TDlgLimits>(Form->DataSoilStrength));
    // A new model closes them all.
    NewModel();
    QCOMPARE(Form->MdiArea->subWindowList().size(), 0);
    QVERIFY(!Form->DataWindow(TDataWindow::EarthquakeLoading));
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::slopeBoundaryWindow() {
    TMessageRecorder messages(Form.get());
    LoadModel(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"));
    QCOMPARE(Form->Model()->SurfaceBoundaryCount, 5);
    TDlgSlopeBoundary* w = Command<TDlgSlopeBoundary>(Form->DataProp);
    QCOMPARE(w->windowTitle(), QStringLiteral("Slope Boundary"));
    QCOMPARE(Label(w->deNI), QStringLiteral("Number of boundary lines used to define the surface"));
    QCOMPARE(w->btnSect->text(), QStringLiteral("Enter Boundary Coordinate Data"));
    QCOMPARE(w->Label5->text(), QStringLiteral("Coordinates of each boundary line"));
    QCOMPARE(w->Label3->text(), QStringLiteral("Numbers shown refer to boundary line numbers"));
    QCOMPARE(w->Button1->text(), QStringLiteral("Update/Redraw"));
    QVERIFY(w->deNI->IntegerOnly());
    QCOMPARE(double(w->deNI->MinVal()), 1.0);
    QCOMPARE(double(w->deNI->MaxVal()), 300.0);
    QCOMPARE(w->deNI->text(), QStringLiteral("5"));
    // The first size of the client area.
    QVERIFY(w->width() >= 1061 && w->height() >= 631);
    // The extents of the seven lines.
    const TWorldView full = w->PaintBox1->FullView();
    QCOMPARE(double(full.XMin), 0.0);
    QCOMPARE(double(full.XMax), 360.0);
    QCOMPARE(double(full.YMin), 30.0);
    QCOMPARE(double(full.YMax), 90.0);
    QVERIFY(w->PaintBox1->View() == full);
    // Typing marks the model; leaving commits the nearest integer.
    Enter(w->deNI, QStringLiteral("301"));
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 300"));
    Enter(w->deNI, QStringLiteral("3"));
    QVERIFY(Form->IsModified());
    QTest::mouseClick(w->btnSect, Qt::LeftButton);
    TGridTableChart& lines = Form->Tables().BoundCood();
    QVERIFY(lines.EditorOpen());
    QCOMPARE(Form->Model()->SurfaceBoundaryCount, 3);
    // A table edit shows in the extents at the next activation, not through Update/Redraw.
    lines.Cell(2, 6).SetFloat(400);
    Activate(w);
    QCOMPARE(double(w->PaintBox1->FullView().XMax), 400.0);
    lines.Cell(2, 6).SetFloat(500);
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    QCOMPARE(double(w->PaintBox1->View().XMax), 400.0);
    QCOMPARE(messages.Count(), 1);
}

namespace {
void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Whether the preview shows anything but its ground.
bool PreviewDrawsSomething(TBoundaryPreview* preview) {
    const QImage image = preview->grab().toImage();
    const QRgb ground = image.pixel(1, 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != ground)
                return true;
    return false;
}
} // namespace

void TestDialogs::boundaryPreviewMouse() {
    TMessageRecorder messages(Form.get());
    LoadModel(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"));
    TDlgSlopeBoundary* w = Command<TDlgSlopeBoundary>(Form->DataProp);
    TBoundaryPreview* p = w->PaintBox1;
    const int W = p->width(), H = p->height();
    // True scale by default: a world unit is as many pixels across as up, so the dam's 2.5H:1V
    // faces look as they are; the point under a pixel maps back to it.
    QVERIFY(w->TrueScaleBox->isChecked());
    {
        const QPointF a = p->ToPixel(0, 30), b = p->ToPixel(360, 90);
        const double sx = (b.x() - a.x()) / 360, sy = (a.y() - b.y()) / 60;
        QVERIFY2(std::abs(sx - sy) < 0.03 * sx, qPrintable(QString("%1 %2").arg(sx).arg(sy)));
        QVERIFY(b.x() - a.x() > 0.8 * W); // a wide profile takes the width
        Extended x = 0, y = 0;
        p->ToWorld(p->ToPixel(120, 62), x, y);
        QVERIFY(std::fabs(double(x) - 120) <= 1 / sx && std::fabs(double(y) - 62) <= 1 / sy);
        QVERIFY(PreviewDrawsSomething(p));
    }
    // The fitted view, as before: the corners of the view sit at the margins, the top the highest y.
    w->TrueScaleBox->setChecked(false);
    QVERIFY(!p->TrueScale());
    QCOMPARE(p->ToPixel(0, 90), QPointF(10, 10));
    QCOMPARE(p->ToPixel(360, 30), QPointF(W - 10, H - 10));
    QVERIFY(PreviewDrawsSomething(p));
    // The read-out under the cursor, without a button.
    SendMouse(p, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton);
    QCOMPARE(w->Label2->text(), QStringLiteral(" Coords:  X:0.0 , Y:90.0"));
    QCOMPARE(TBoundaryPreview::CoordinateText(-0.04L, 12.25L), QStringLiteral(" Coords:  X:0.0 , Y:12.3"));
    // Left drag: the picture follows the mouse.
    SendMouse(p, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
    SendMouse(p, QEvent::MouseMove, QPoint(150, 80), Qt::NoButton, Qt::LeftButton);
    const Extended dx = 50.0L / (W - 20) * 360, dy = 20.0L / (H - 20) * 60;
    QVERIFY(std::fabs(double(p->View().XMin + dx)) < 1e-9);
    QVERIFY(std::fabs(double(p->View().YMin - (30 - dy))) < 1e-9);
    SendMouse(p, QEvent::MouseButtonRelease, QPoint(150, 80), Qt::LeftButton, Qt::NoButton);
    // Update/Redraw restores the full view.
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    QVERIFY(p->View() == p->FullView());
    // Right drag to the right by more than 0.9 of the width in world units: ten times at most.
    // (the drag's world distance over the preview's width in pixels: a wide view makes it large)
    p->SetView({0, 2000, 30, 90});
    SendMouse(p, QEvent::MouseButtonPress, QPoint(20, 100), Qt::RightButton, Qt::RightButton);
    SendMouse(p, QEvent::MouseMove, QPoint(W - 20, 100), Qt::NoButton, Qt::RightButton);
    QCOMPARE(double(p->View().XMax - p->View().XMin), 200.0);
    QCOMPARE(double(p->View().YMax - p->View().YMin), 6.0);
    QCOMPARE(double(p->View().XMin + p->View().XMax), 2000.0); // about the centre
    // Back to the left: zooms out again, by the share of the width the drag covers in world units.
    SendMouse(p, QEvent::MouseMove, QPoint(10, 100), Qt::NoButton, Qt::RightButton);
    Extended x0, y0, x1, y1;
    p->ToWorld(QPointF(20, 100), x0, y0);
    p->ToWorld(QPointF(10, 100), x1, y1);
    QVERIFY(p->View().XMax - p->View().XMin > 36);
    SendMouse(p, QEvent::MouseButtonRelease, QPoint(10, 100), Qt::RightButton, Qt::NoButton);
    // Leaving the preview clears the read-out.
    SendMouse(p, QEvent::MouseMove, QPoint(W + 5, 10), Qt::NoButton, Qt::NoButton);
    QCOMPARE(w->Label2->text(), QString());
    // One horizontal line: its y range is zero, nothing is drawn.
    QVERIFY(CloseWindow(w));
    NewModel();
    SetRow(Form->Tables().BoundCood(), 0, "PPPPI", {0, 50, 100, 50, 1});
    w = Command<TDlgSlopeBoundary>(Form->DataProp);
    QVERIFY(!PreviewDrawsSomething(w->PaintBox1));
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::pictures() {
    // Every picture is a valid drawing that shows something at the size the windows give it.
    for (const char* name : {"boundary", "search-circular", "search-irregular", "search-limits", "block",
                             "surcharge", "tieback", "reinforcement", "limits", "water"}) {
        TSvgPicture picture(PicturePath(name));
        QVERIFY2(picture.IsValid(), name);
        picture.resize(picture.sizeHint());
        const QImage image = picture.grab().toImage();
        int inked = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                if (qGray(image.pixel(x, y)) < 128)
                    ++inked;
        QVERIFY2(inked > 50, name);
    }
}

// A data window put into some other multiple-document area sets up its child window and follows its
// activation there too.
void TestDialogs::anyAreaFramesTheWindows() {
    TMessageRecorder messages(Form.get());
    QMainWindow frame;
    auto* area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    frame.resize(900, 600);
    frame.show();
    QApplication::setActiveWindow(&frame);
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    auto* title = new TdlgTitle(*Form);
    QMdiSubWindow* sub = area->addSubWindow(title);
    QCOMPARE(title->SubWindow(), sub);
    QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(sub->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(sub->testAttribute(Qt::WA_DeleteOnClose));
    sub->show();
    QCOMPARE(sub->minimumSize(), sub->maximumSize());
    QCOMPARE(title->TitleMemo->text(), QStringLiteral("New Slope")); // loaded when first shown
    QCOMPARE(QApplication::focusWidget(), title->TitleMemo);
    TypeInto(title->TitleMemo, QStringLiteral("Levee"));
    auto* limits = new TDlgLimits(*Form);
    QMdiSubWindow* other = area->addSubWindow(limits);
    QVERIFY(other->windowFlags() & Qt::WindowMaximizeButtonHint); // the one that can be resized
    other->show();
    area->setActiveSubWindow(other);
    QCOMPARE(Form->Model()->Title, std::string("Levee")); // stored when it stopped being active
    Form->Model()->Title = "Changed elsewhere";
    area->setActiveSubWindow(sub);
    QCOMPARE(title->TitleMemo->text(), QStringLiteral("Changed elsewhere"));
    QVERIFY(CloseWindow(title));
    QCOMPARE(messages.Count(), 0);
}

// The example model of the file format built from a new model through the windows and the table
// editors only, saved, and compared with the expected file byte for byte.
void TestDialogs::exampleModelThroughTheWindows() {
    TMessageRecorder messages(Form.get());
    QTemporaryDir dir;
    QVERIFY(!Form->IsModified());

    TdlgTitle* title = Command<TdlgTitle>(Form->DataTitle);
    TypeInto(title->TitleMemo, QStringLiteral("Example dam"));

    TDlgSlopeBoundary* boundary = Command<TDlgSlopeBoundary>(Form->DataProp);
    Enter(boundary->deNI, QStringLiteral("1"));
    QTest::mouseClick(boundary->btnSect, Qt::LeftButton);
    TTableForm* lines = EditorOf(Form->Tables().BoundCood());
    QVERIFY(lines);
    TypeRow(lines, 0, {"0", "50", "100", "50"});
    QTest::mouseClick(lines->BtnAdd, Qt::LeftButton);
    TypeRow(lines, 1, {"100", "50", "200", "60"});

    MenuOpens();
    Form->DataAxLoads->trigger();
    TTableForm* soil = EditorOf(Form->Tables().SoilData());
    QVERIFY(soil);
    TypeRow(soil, 0, {"120", "125", "200", "30", "0", "0", "1"});

    TDlgPiezometric* water = Command<TDlgPiezometric>(Form->DataLoading);
    ClickCheck(water->Check);
    Enter(water->dewt, QStringLiteral("62.4"));
    QTest::mouseClick(water->Button, Qt::LeftButton);
    TTableForm* surfaces = EditorOf(Form->Tables().WaterSurfaceSet());
    QVERIFY(surfaces);
    QTest::mouseClick(qobject_cast<QPushButton*>(surfaces->RowControl(0, 0)), Qt::LeftButton);
    TTableForm* points = EditorOf(*PointsOf(Form->Tables().WaterSurfaceSet(), 0));
    QVERIFY(points);
    TypeRow(points, 0, {"0", "45"});
    QTest::mouseClick(points->BtnAdd, Qt::LeftButton);
    TypeRow(points, 1, {"200", "55"});

    TDlgLoading* loads = Command<TDlgLoading>(Form->SurchargeLoad1);
    ClickCheck(loads->Check);
    QTest::mouseClick(loads->Button, Qt::LeftButton);
    TTableForm* loadTable = EditorOf(Form->Tables().SurchargeLoad());
    QVERIFY(loadTable);
    TypeRow(loadTable, 0, {"120", "140", "500", "0"});

    TDlgEarthquake* quake = Command<TDlgEarthquake>(Form->EarthquakeLoad1);
    Enter(quake->deHcoe, QStringLiteral("0.15"));

    TDlgSearch* bishop = Search(3);
    QCOMPARE(bishop->objectName(), QStringLiteral("TDlgBishop"));
    Enter(bishop->deXLi, QStringLiteral("20"));
    Enter(bishop->deXRi, QStringLiteral("60"));
    Enter(bishop->deSP, QStringLiteral("10"));
    Enter(bishop->deXRt, QStringLiteral("190"));
    Enter(bishop->deXLt, QStringLiteral("150"));
    Enter(bishop->deIP, QStringLiteral("10"));
    Enter(bishop->deMinEl, QStringLiteral("20"));
    Enter(bishop->deSL, QStringLiteral("5"));

    // File > Save: the new model goes through Save As.
    QVERIFY(Form->IsModified());
    const QString path = dir.filePath(QStringLiteral("example.qvxd"));
    Dialogs->Saves << path;
    OpenMenu(Form->FileMenu);
    Form->FileSave->trigger();
    QCOMPARE(QString::fromStdString(Form->Model()->FileName), path);
    QFile saved(path), expected(QStringLiteral(TEST_DATA_DIR "/model/example.qvxd"));
    QVERIFY(saved.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), expected.readAll());
    QCOMPARE(messages.Texts(), QStringList());
}

// Every window with the example model loaded: every label and button gets the room its text needs
// (nothing clipped), and no two controls overlap. With BREVANTO_SHOT_DIR set, each window is also
// saved as a picture there.
void TestDialogs::layoutsAtExampleModel() {
    TMessageRecorder messages(Form.get());
    LoadModel(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"));
    const QString shots = qEnvironmentVariable("BREVANTO_SHOT_DIR");
    const QList<QPair<QAction*, const char*>> commands = {
        {Form->DataTitle, "title"},
        {Form->DataProp, "slope-boundary"},
        {Form->DataLoading, "water"},
        {Form->SurchargeLoad1, "surcharge"},
        {Form->EarthquakeLoad1, "earthquake"},
        {Form->DataSoilStrength, "limits"},
        {Form->DataPYMod, "tiebacks"},
        {Form->DataPYCurves, "reinforcement"},
        {Form->JanbusMethod1, "janbu"},
        {Form->BishopsMethod1, "bishop"},
        {Form->Irregularfailure1, "irregular"},
        {Form->BlockSearch1, "block"},
        {Form->SpencersMethod1, "spencer"},
        {Form->OptionofTexeEditor1, "text-editor"},
    };
    for (const auto& [item, name] : commands) {
        auto* window = Command<TDataForm>(item);
        QVERIFY2(window, name);
        QCoreApplication::processEvents();
        QList<QWidget*> controls;
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->isVisible() &&
                (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                 qobject_cast<QLineEdit*>(w) || qobject_cast<TSvgPicture*>(w)) &&
                w->parentWidget() == window)
                controls << w;
        for (QWidget* w : controls) {
            const QByteArray what = QByteArray(name) + ": " + w->objectName().toLatin1();
            if (!qobject_cast<TSvgPicture*>(w) && !qobject_cast<QLineEdit*>(w)) {
                const auto* label = qobject_cast<QLabel*>(w);
                if (!(label && label->wordWrap()))
                    QVERIFY2(w->width() >= w->sizeHint().width(), what.constData());
                QVERIFY2(w->height() >= w->minimumSizeHint().height(), what.constData());
            }
            QVERIFY2(window->rect().contains(w->geometry()), what.constData());
            for (QWidget* other : controls)
                if (other != w)
                    QVERIFY2(!w->geometry().intersects(other->geometry()),
                             (what + " / " + other->objectName().toLatin1()).constData());
        }
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            window->SubWindow()->grab().save(shots + QLatin1Char('/') + QLatin1String(name) +
                                             QStringLiteral(".png"));
        }
    }
    if (!shots.isEmpty()) {
        Form->MdiArea->cascadeSubWindows();
        Form->grab().save(shots + QStringLiteral("/main-window.png"));
    }
    QCOMPARE(messages.Count(), 0);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
