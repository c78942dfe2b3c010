// The data windows driven as a user would, inside a frame with a multiple-document area: typing into
// the boxes, Tab, clicking check boxes and buttons, switching between windows and closing them. The
// message boxes are recorded through the seam.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "DialogTestHost.h"
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

namespace {
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

// Activates a data window's child window as a click on it would.
void Activate(TDataWindow* window) {
    window->SubWindow()->mdiArea()->setActiveSubWindow(window->SubWindow());
}

// Closes a data window through its child window; true when it went.
bool CloseWindow(TDataWindow* window) {
    QPointer<QMdiSubWindow> sub = window->SubWindow();
    const bool closed = sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return closed && !sub;
}

std::string SavedText(TProgramData& model) {
    return model.FileText();
}

bool Contains(const std::string& text, const char* line) {
    return text.find(std::string(line) + "\r\n") != std::string::npos;
}
} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void searchWindowFamily();
    void searchCommitProtocol();
    void searchValuesSharedBetweenKinds();
    void invalidEntryKeepsWindow();
    void unitSwitchWithWindowsOpen();

  private:
    std::unique_ptr<TDialogTestHost> Host;
};

void TestDialogs::init() {
    Host = std::make_unique<TDialogTestHost>();
    Host->NewModel();
    QVERIFY(Host->Show());
}

void TestDialogs::cleanup() {
    Host.reset();
}

void TestDialogs::searchWindowFamily() {
    TMessageRecorder messages;
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
        TDlgSearch* w = Host->Windows->OpenSearch(e.Kind);
        QCOMPARE(w->objectName(), QLatin1String(e.Class));
        QCOMPARE(w->windowTitle(), QLatin1String(e.Caption));
        QCOMPARE(Label(w->deIP), QLatin1String(e.IP));
        QCOMPARE(Label(w->deSP), QStringLiteral("Surfaces generated per initiation point"));
        QCOMPARE(Label(w->deXLi), QStringLiteral("Left initiation X-coordinate, XL,i  (ft)"));
        QCOMPARE(Label(w->deXRi), QStringLiteral("Right initiation X-coordinate, XR,i (ft)"));
        QCOMPARE(Label(w->deXLt), QStringLiteral("Left termination X-coordination, XL,t (ft)"));
        QCOMPARE(Label(w->deXRt), QStringLiteral("Right termination X-coordinate, XR,t (ft)"));
        QCOMPARE(Label(w->deSL), QStringLiteral("Segment length (ft)"));
        QCOMPARE(Label(w->deMinEl), QStringLiteral("Minimum elevation (ft)"));
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
        // Limits.
        QCOMPARE(double(w->deIP->MinVal()), 1.0);
        QCOMPARE(double(w->deIP->MaxVal()), 100.0);
        QVERIFY(w->deIP->IntegerOnly() && w->deSP->IntegerOnly() && !w->deXLi->IntegerOnly());
        QCOMPARE(double(w->deXLi->MaxVal()), 1e8);
        QCOMPARE(double(w->deXRi->MaxVal()), 1e8);
        for (TDataEdit* box : {w->deXLt, w->deXRt, w->deSL, w->deMinEl, w->deCCW, w->deCW})
            QCOMPARE(double(box->MaxVal()), 1e5);
        QCOMPARE(w->deCW->MinVal(), TDataEdit::DefaultMin);
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
    QCOMPARE(Host->Area->subWindowList().size(), 4);
    QCOMPARE(messages.Count(), 0);
    QVERIFY(!Host->IsModified());
}

void TestDialogs::searchCommitProtocol() {
    TMessageRecorder messages;
    Host->SelectSearch(3);
    TDlgSearch* bishop = Host->Windows->OpenSearch(3);
    // 150 initiation points: the upper-limit message, 100 in the box.
    Enter(bishop->deIP, QStringLiteral("150"));
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 100"));
    QCOMPARE(bishop->deIP->text(), QStringLiteral("100"));
    QVERIFY(Host->IsModified()); // typing marked the model
    Enter(bishop->deSP, QStringLiteral("2*5"));
    QCOMPARE(bishop->deSP->text(), QStringLiteral("10"));
    Enter(bishop->deXLi, QStringLiteral("10"));
    Enter(bishop->deXRi, QStringLiteral("60"));
    Enter(bishop->deXLt, QStringLiteral("170"));
    Enter(bishop->deXRt, QStringLiteral("220"));
    Enter(bishop->deMinEl, QStringLiteral("32"));
    Enter(bishop->deSL, QStringLiteral("6"));
    // Nothing reaches the model before the window is left.
    QCOMPARE(ProgramData->InitiationPoints, 0);
    // Deactivation (another window comes to the front) commits everything.
    TDlgEarthquake* quake = Host->Windows->OpenEarthquake();
    QCOMPARE(Host->Area->activeSubWindow(), quake->SubWindow());
    const TProgramData& m = *ProgramData;
    QCOMPARE(m.InitiationPoints, 100);
    QCOMPARE(m.SurfacesPerPoint, 10);
    QCOMPARE(double(m.LeftInitiationX), 10.0);
    QCOMPARE(double(m.RightInitiationX), 60.0);
    QCOMPARE(double(m.LeftTerminationX), 170.0);
    QCOMPARE(double(m.RightTerminationX), 220.0);
    QCOMPARE(double(m.MinimumElevation), 32.0);
    QCOMPARE(double(m.SegmentLength), 6.0);
    QCOMPARE(double(m.CwLimit), -45.0);
    QVERIFY(Contains(SavedText(*ProgramData), "CIRCL2"));
    QVERIFY(Contains(SavedText(*ProgramData), "10. 60. 170. 220."));
    QVERIFY(Contains(SavedText(*ProgramData), "32. 6. 0. -45."));

    // Never focused: a count of 0 is committed as it is, below the box's lower limit.
    Host->NewModel();
    TDlgSearch* janbu = Host->Windows->OpenSearch(2);
    Enter(janbu->deXLi, QStringLiteral("5"));
    QVERIFY(CloseWindow(janbu));
    QCOMPARE(ProgramData->InitiationPoints, 0);
    QCOMPARE(double(ProgramData->LeftInitiationX), 5.0);

    // Closing commits, and a window activated again shows what the model holds.
    TDlgSearch* spencer = Host->Windows->OpenSearch(6);
    Enter(spencer->deAng, QStringLiteral("12.5"));
    Enter(spencer->deCCW, QStringLiteral("40"));
    TDlgSearch* other = Host->Windows->OpenSearch(6);
    QCOMPARE(other->deAng->text(), QStringLiteral("12.5"));
    Enter(other->deCCW, QStringLiteral("35"));
    Activate(spencer);
    QCOMPARE(spencer->deCCW->text(), QStringLiteral("35")); // the one left last wins
    QVERIFY(CloseWindow(spencer));
    QVERIFY(CloseWindow(other));
    QCOMPARE(double(ProgramData->InterSliceAngle), 12.5);
    QCOMPARE(double(ProgramData->CcwLimit), 35.0);
    QCOMPARE(messages.Count(), 1);
}

void TestDialogs::searchValuesSharedBetweenKinds() {
    TMessageRecorder messages;
    Host->SelectSearch(2);
    TDlgSearch* janbu = Host->Windows->OpenSearch(2);
    Enter(janbu->deIP, QStringLiteral("7"));
    Enter(janbu->deXLi, QStringLiteral("12.25"));
    Enter(janbu->deCW, QStringLiteral("-30"));
    TypeInto(janbu->deSL, QStringLiteral("4")); // still in the box when the next command comes
    Host->CommitActiveChild();                  // the menu opens
    Host->SelectSearch(3);
    TDlgSearch* bishop = Host->Windows->OpenSearch(3);
    QCOMPARE(bishop->deIP->text(), QStringLiteral("7"));
    QCOMPARE(bishop->deXLi->text(), QStringLiteral("12.25"));
    QCOMPARE(bishop->deCW->text(), QStringLiteral("-30"));
    QCOMPARE(bishop->deSL->text(), QStringLiteral("4"));
    QCOMPARE(ProgramData->SearchKind, 3);

    // The block window's total number of surfaces is the shared surfaces-per-point field.
    Host->SelectSearch(5);
    TDlgBlock* block = Host->Windows->OpenBlock();
    QCOMPARE(block->windowTitle(), QStringLiteral("Search by Block Method"));
    QCOMPARE(Label(block->deSP), QStringLiteral("Total number of surfaces to be generated"));
    QCOMPARE(Label(block->deQL), QStringLiteral("Segment length  (ft)"));
    QCOMPARE(block->btnSect->text(), QStringLiteral("Enter Block Data"));
    QCOMPARE(block->lblSect->text(), QStringLiteral("Boxes used to generate the base of central block"));
    Enter(block->deSP, QStringLiteral("40"));
    Enter(block->deQL, QStringLiteral("15"));
    QTest::mouseClick(block->btnSect, Qt::LeftButton);
    auto* boxes = dynamic_cast<TTableForm*>(Host->Tables().BoxCoord().Editor());
    QVERIFY(boxes);
    QCOMPARE(Host->Area->activeSubWindow()->widget(), boxes);
    QCOMPARE(ProgramData->SurfacesPerPoint, 40); // committed when the box editor came to the front
    QCOMPARE(double(ProgramData->BlockSegmentLength), 15.0);
    Host->SelectSearch(2);
    TDlgSearch* janbu2 = Host->Windows->OpenSearch(2);
    QCOMPARE(janbu2->deSP->text(), QStringLiteral("40"));
    QCOMPARE(double(ProgramData->SegmentLength), 4.0); // the block's own length is separate
    QCOMPARE(ProgramData->HasBlockSearch, 1);          // the Janbu command does not clear it
    QCOMPARE(messages.Count(), 0);
}

void TestDialogs::invalidEntryKeepsWindow() {
    TMessageRecorder messages;
    TDlgSearch* janbu = Host->Windows->OpenSearch(2);
    Enter(janbu->deXLi, QStringLiteral("3"));
    TypeInto(janbu->deXRi, QStringLiteral("9"));
    TypeInto(janbu->deXLi, QStringLiteral("abc")); // the click into it validates the other box
    QCOMPARE(messages.Count(), 0);
    // Another window comes to the front: the message, and the window comes back with the bad text.
    TDlgSearch* bishop = Host->Windows->OpenSearch(3);
    QTRY_COMPARE(messages.Count(), 1);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("Entry could not be evaluated:")));
    QTRY_COMPARE(Host->Area->activeSubWindow(), janbu->SubWindow());
    QTRY_COMPARE(QApplication::focusWidget(), janbu->deXLi);
    QCOMPARE(janbu->deXLi->text(), QStringLiteral("abc"));
    QCOMPARE(janbu->deXRi->text(), QStringLiteral("9"));  // not loaded again
    QCOMPARE(double(ProgramData->RightInitiationX), 0.0); // nothing committed
    // The close is refused as well.
    messages.Clear();
    QVERIFY(!CloseWindow(janbu));
    QCOMPARE(messages.Count(), 1);
    QVERIFY(janbu->isVisible());
    // An entry beyond a limit is set to the limit and keeps the window until it is left again.
    TypeInto(janbu->deXLi, QStringLiteral("2e8"));
    Activate(bishop);
    QTRY_COMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 100000000"));
    QTRY_COMPARE(Host->Area->activeSubWindow(), janbu->SubWindow());
    QCOMPARE(janbu->deXLi->text(), QStringLiteral("100000000"));
    QCOMPARE(double(ProgramData->LeftInitiationX), 0.0);
    Activate(bishop);
    QCOMPARE(double(ProgramData->LeftInitiationX), 1e8);
    QCOMPARE(double(ProgramData->RightInitiationX), 9.0);
    QCOMPARE(bishop->deXLi->text(), QStringLiteral("100000000"));
    QCOMPARE(messages.Count(), 2);
}

void TestDialogs::unitSwitchWithWindowsOpen() {
    TMessageRecorder messages;
    TDlgSearch* janbu = Host->Windows->OpenSearch(2);
    Enter(janbu->deSL, QStringLiteral("10"));
    Enter(janbu->deCCW, QStringLiteral("30"));
    Enter(janbu->deIP, QStringLiteral("5"));
    TDlgPiezometric* water = Host->Windows->OpenWater();
    Enter(water->dewt, QStringLiteral("62.4"));
    QCOMPARE(Label(water->dewt), QStringLiteral("Unit weight of water (lbs/ft^3)"));
    // The water window is active; the units command commits it, converts, and both windows show
    // the converted values with the new units.
    Host->UnitsCommand(2);
    QCOMPARE(Label(water->dewt), QStringLiteral("Unit weight of water (kN/m^3)"));
    QCOMPARE(Shown(water->dewt), double(62.4L * 0.004448222468060650624L / (0.3048L * 0.3048L * 0.3048L)));
    Activate(janbu);
    QCOMPARE(Label(janbu->deSL), QStringLiteral("Segment length (m)"));
    QCOMPARE(janbu->deSL->text(), QString::fromStdString(FormatEntry(false, 10 * 0.3048L)));
    QCOMPARE(janbu->deCCW->text(), QStringLiteral("30"));
    QCOMPARE(janbu->deIP->text(), QStringLiteral("5"));
    QCOMPARE(Label(janbu->deCCW), QStringLiteral("Counterclockwise limit (deg.)"));
    // The active window does not store numbers of the old system into the converted model.
    Host->UnitsCommand(1);
    Activate(water);
    QVERIFY(std::fabs(double(ProgramData->SegmentLength) - 10.0) < 1e-4);
    QCOMPARE(Label(janbu->deSL), QStringLiteral("Segment length (ft)"));
    // Other units: the labels show the unit strings, nothing is converted.
    Host->UnitsCommand(3);
    QCOMPARE(Label(water->dewt), QStringLiteral("Unit weight of water (F/L2^3)"));
    // There and back is not exact: the two directions use their own factors.
    long double back = EvaluateEntry("62.4");
    back *= 0.004448222468060650624L / (0.3048L * 0.3048L * 0.3048L);
    back *= 224.8089L / (3.2808416666666666665L * 3.2808416666666666665L * 3.2808416666666666665L);
    QVERIFY(std::fabs(water->dewt->Number() - back) < 1e-14L);
    QVERIFY(std::fabs(back - 62.4L) > 1e-5L);
    QCOMPARE(messages.Count(), 0);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
