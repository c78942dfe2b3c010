// The numeric entry boxes and the message-box seam, driven as a user would: keys, Tab, Enter.
#include <QApplication>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include "support/MessageRecorder.h"
#include "tables/CoreContext.h"
#include "text/Errors.h"
#include "text/Evaluate.h"
#include "text/Messages.h"
#include "widgets/DataCombo.h"
#include "widgets/DataEdit.h"
#include "widgets/MsgBox.h"

namespace {
// A window with a labelled box and a plain line edit to move the focus to.
struct TEditForm {
    QWidget Window;
    QLabel* Label;
    TDataEdit* Edit;
    QLineEdit* Other;
    TEditForm() {
        auto* layout = new QFormLayout(&Window);
        Label = new QLabel(&Window);
        Edit = new TDataEdit(&Window);
        Other = new QLineEdit(&Window);
        layout->addRow(Label, Edit);
        layout->addRow(QStringLiteral("Other"), Other);
        Edit->SetEditLabel(Label);
    }
    bool Show() {
        Window.show();
        QApplication::setActiveWindow(&Window);
        return QTest::qWaitForWindowActive(&Window);
    }
    // Types into the box as a user does and leaves it with Tab.
    void TypeAndLeave(const QString& text) {
        Edit->setFocus(Qt::MouseFocusReason);
        Edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(Edit, Qt::Key_Backspace);
        QTest::keyClicks(Edit, text);
        QTest::keyClick(Edit, Qt::Key_Tab);
    }
};

QString EvaluatorMessage(const std::string& text) {
    try {
        EvaluateEntry(text);
    } catch (const EAssignError& e) {
        return QString::fromStdString(e.what());
    }
    return QString();
}

// Waits for the real modal box, records it and presses the given button.
void AnswerRealBox(QMessageBox::StandardButton button, QString* text, QString* title) {
    QTimer::singleShot(10, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            AnswerRealBox(button, text, title);
            return;
        }
        *text = box->text();
        *title = box->windowTitle();
        const QString dir = qEnvironmentVariable("BREVANTO_SHOT_DIR");
        if (!dir.isEmpty())
            box->grab().save(dir + QStringLiteral("/message-box-") + QString::number(int(button)) +
                             QStringLiteral(".png"));
        box->button(button)->click();
    });
}
} // namespace

class TestDataEdit : public QObject {
    Q_OBJECT
  private slots:
    void messageSeam();
    void messageHandlersPerWindow();
    void realBoxes();
    void integerOnlyLimits();
    void evaluatorErrorKeepsFocus();
    void enterAndOperatorKeys();
    void settersAndClamping();
    void labels();
    void hexDisplay();
    void focusReasonsAndReentrancy();
    void realBoxDuringFocusOut();
    void mdiChildSwitch();
    void validateEntryAndLoading();
    void comboValuesAndLimits();
    void comboKeyFilter();
    void comboLabelsAndFocus();
    void renderForm();
};

void TestDataEdit::messageSeam() {
    QCOMPARE(MsgDisplayText(QStringLiteral("a\rb\r\nc\nd")), QStringLiteral("a\nb\nc\nd"));
    // A window, a widget in it, a dialog it parents, and a parentless window that belongs to it.
    QWidget window;
    auto* parent = new QWidget(&window);
    QDialog dialog(&window);
    QWidget editor;
    SetMsgBoxOwner(&editor, &window);
    {
        TMessageRecorder outer(&window, TMsgAnswer::No);
        {
            TMessageRecorder inner(parent);
            inner.QueueAnswer(TMsgAnswer::Yes);
            MsgInformation(parent, QStringLiteral("one"));
            QCOMPARE(MsgQuestion(&dialog, QStringLiteral("save?")), TMsgAnswer::Yes);
            QCOMPARE(MsgQuestion(&editor, QStringLiteral("again?")), TMsgAnswer::Cancel); // queue empty
            MsgError(&window, QStringLiteral("bad"));
            QCOMPARE(inner.Texts(), (QStringList{"one", "save?", "again?", "bad"}));
            QCOMPARE(inner.Messages().at(0).Kind, TMsgKind::Information);
            QCOMPARE(inner.Messages().at(0).Parent.data(), parent);
            QCOMPARE(inner.Messages().at(1).Kind, TMsgKind::Question);
            QCOMPARE(inner.Messages().at(3).Kind, TMsgKind::Error);
            // Core messages through the window's sink reach the same seam, line break marker untouched.
            const TCoreContext context{nullptr, CoreMessageBoxes(&window)};
            context.Inform("Line 3\rItem 2");
            context.Error("Data of wrong type");
            QCOMPARE(inner.Count(), 6);
            QCOMPARE(inner.Messages().at(4).Kind, TMsgKind::Information);
            QCOMPARE(inner.Messages().at(4).Text, QStringLiteral("Line 3\rItem 2"));
            QCOMPARE(inner.Messages().at(5).Kind, TMsgKind::Error);
            QCOMPARE(outer.Count(), 0);
        }
        // The inner recorder gave the window back to the outer one.
        QCOMPARE(MsgQuestion(parent, QStringLiteral("q")), TMsgAnswer::No);
        DeliverMessage(CoreMessageBoxes(&window), TMessageKind::Information, "core");
        QCOMPARE(outer.Texts(), (QStringList{"q", "core"}));
    }
    // A handler that answers a question with Ok has not chosen: that is Cancel.
    const TMsgBoxHandler previous =
        SetMsgBoxHandler(&window, [](const TMsgRequest&) { return TMsgAnswer::Ok; });
    QCOMPARE(MsgQuestion(parent, QStringLiteral("?")), TMsgAnswer::Cancel);
    SetMsgBoxHandler(&window, previous);
}

void TestDataEdit::messageHandlersPerWindow() {
    // Two windows, each with its own recorder: neither sees the other's messages, nor those of the
    // other's dialogs and owned windows, nor the core messages of the other's context, even while the
    // other window is the active one.
    QWidget first, second;
    auto* firstBox = new QLineEdit(&first);
    QDialog secondDialog(&second);
    QWidget secondEditor;
    SetMsgBoxOwner(&secondEditor, &second);
    second.show();
    QApplication::setActiveWindow(&second);
    QVERIFY(QTest::qWaitForWindowActive(&second));
    TMessageRecorder firstMessages(&first, TMsgAnswer::No), secondMessages(&second, TMsgAnswer::Yes);
    QCOMPARE(MsgQuestion(firstBox, QStringLiteral("first?")), TMsgAnswer::No);
    QCOMPARE(MsgQuestion(&secondDialog, QStringLiteral("second?")), TMsgAnswer::Yes);
    MsgError(&secondEditor, QStringLiteral("second's editor"));
    DeliverMessage(CoreMessageBoxes(&first), TMessageKind::Error, "first's core");
    DeliverMessage(CoreMessageBoxes(&second), TMessageKind::Information, "second's core");
    QCOMPARE(firstMessages.Texts(), (QStringList{"first?", "first's core"}));
    QCOMPARE(secondMessages.Texts(), (QStringList{"second?", "second's editor", "second's core"}));
    QCOMPARE(firstMessages.Messages().at(1).Parent.data(), &second); // shown over the active window

    // An editor handed to the first window follows it; the second's recorder stays where it is.
    SetMsgBoxOwner(&secondEditor, &first);
    MsgInformation(&secondEditor, QStringLiteral("moved"));
    QCOMPARE(firstMessages.LastText(), QStringLiteral("moved"));
    QCOMPARE(secondMessages.Count(), 3);
}

void TestDataEdit::realBoxes() {
    // Without a recorder the seam shows real boxes; the line break marker becomes a real one.
    QString text, title;
    AnswerRealBox(QMessageBox::Ok, &text, &title);
    MsgInformation(nullptr, QStringLiteral("Entry could not be evaluated:\rentry cannot be blank"));
    QCOMPARE(text, QStringLiteral("Entry could not be evaluated:\nentry cannot be blank"));
    QVERIFY(!title.isEmpty());

    // A window whose recorder is gone shows real boxes again; so does a window without one.
    QWidget window, lone;
    {
        TMessageRecorder messages(&window);
        MsgInformation(&window, QStringLiteral("recorded"));
        QCOMPARE(messages.Count(), 1);
    }
    AnswerRealBox(QMessageBox::No, &text, &title);
    QCOMPARE(MsgQuestion(&window, QStringLiteral("Save changes?")), TMsgAnswer::No);
    QCOMPARE(text, QStringLiteral("Save changes?"));
    AnswerRealBox(QMessageBox::Cancel, &text, &title);
    QCOMPARE(MsgQuestion(&lone, QStringLiteral("Save changes?")), TMsgAnswer::Cancel);

    AnswerRealBox(QMessageBox::Ok, &text, &title);
    DeliverMessage(CoreMessageBoxes(nullptr), TMessageKind::Error, "Line 4\rnot a number");
    QCOMPARE(text, QStringLiteral("Line 4\nnot a number"));
}

void TestDataEdit::integerOnlyLimits() {
    TEditForm form;
    form.Edit->SetIntegerOnly(true);
    form.Edit->SetMaxVal(10);
    form.Edit->SetMinVal(1);
    QCOMPARE(form.Edit->Number(), Extended(1)); // 0 was below the new minimum
    QVERIFY(form.Show());
    TMessageRecorder messages(&form.Window);
    QSignalSpy rejected(form.Edit, &TDataEdit::Rejected);

    form.TypeAndLeave(QStringLiteral("11"));
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Entry must be less than or equal to 10")});
    QCOMPARE(messages.Messages().at(0).Kind, TMsgKind::Information);
    QCOMPARE(form.Edit->text(), QStringLiteral("10"));
    QCOMPARE(form.Edit->Number(), Extended(10));
    QVERIFY(form.Edit->hasFocus());
    QVERIFY(!form.Edit->Valid());
    QCOMPARE(rejected.count(), 1);

    messages.Clear();
    form.TypeAndLeave(QStringLiteral("2.5"));
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Entry must be an integer.")});
    QCOMPARE(form.Edit->text(), QStringLiteral("2.5")); // left for the user to correct
    QVERIFY(form.Edit->hasFocus());

    messages.Clear();
    form.TypeAndLeave(QStringLiteral("abc"));
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Entry must be a valid integer.")});
    QVERIFY(form.Edit->hasFocus());
    QCOMPARE(form.Edit->Number(), Extended(10)); // unreadable text reads as the last accepted value

    messages.Clear();
    form.TypeAndLeave(QStringLiteral("0"));
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Entry must be greater than or equal to 1")});
    QCOMPARE(form.Edit->text(), QStringLiteral("1"));

    messages.Clear();
    QSignalSpy validated(form.Edit, &TDataEdit::Validated);
    form.TypeAndLeave(QStringLiteral("3+4"));
    QCOMPARE(messages.Count(), 0);
    QCOMPARE(form.Edit->text(), QStringLiteral("7"));
    QVERIFY(form.Edit->Valid());
    QVERIFY(form.Other->hasFocus());
    QCOMPARE(validated.count(), 1);
}

void TestDataEdit::evaluatorErrorKeepsFocus() {
    TEditForm form;
    form.Edit->SetNumber(2);
    QVERIFY(form.Show());
    TMessageRecorder messages(&form.Window);
    for (const QString& entry : {QStringLiteral("abc"), QStringLiteral("5+"), QString()}) {
        messages.Clear();
        form.TypeAndLeave(entry);
        QCOMPARE(form.Edit->text(), entry);
        QCOMPARE(messages.Count(), 1);
        const QString expected = EvaluatorMessage(entry.toStdString());
        QVERIFY(expected.startsWith(QStringLiteral("Entry could not be evaluated:")));
        QCOMPARE(messages.LastText(), expected); // the evaluator's own message, unchanged
        QCOMPARE(messages.Messages().last().Parent.data(), form.Edit);
        QVERIFY(form.Edit->hasFocus());
        QVERIFY(!form.Edit->Valid());
        QCOMPARE(form.Edit->Number(), Extended(2)); // the stored value is unchanged
    }
}

void TestDataEdit::enterAndOperatorKeys() {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new TDataEdit(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    auto* other = new QLineEdit(&dialog);
    layout->addWidget(edit);
    layout->addWidget(other);
    layout->addWidget(ok);
    ok->setDefault(true);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    edit->SetNumber(4);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    TMessageRecorder messages(&dialog);

    edit->setFocus();
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->selectedText(), QStringLiteral("4"));
    QCOMPARE(clicked.count(), 0); // Enter is consumed by the box
    QVERIFY(dialog.isVisible());
    QTest::keyClicks(edit, QStringLiteral("*3"));
    QCOMPARE(edit->text(), QStringLiteral("4*3"));
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(edit->text(), QStringLiteral("12"));
    QCOMPARE(edit->Number(), Extended(12));
    QCOMPARE(messages.Count(), 0);

    // Enter validates in place: the expression is replaced by its value, all selected.
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("6"));
    QCOMPARE(edit->text(), QStringLiteral("6")); // a digit replaces the selection
    QTest::keyClicks(edit, QStringLiteral("/4"));
    QTest::keyClick(edit, Qt::Key_Enter);
    QCOMPARE(edit->text(), QStringLiteral("1.5"));
    QCOMPARE(edit->selectedText(), QStringLiteral("1.5"));
    // An operator typed over the selected value extends it; a minus sign is the sign of a new number.
    QTest::keyClicks(edit, QStringLiteral("*2"));
    QCOMPARE(edit->text(), QStringLiteral("1.5*2"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("-1"));
    QCOMPARE(edit->text(), QStringLiteral("-1"));

    // A rejected entry on Enter: message, text selected for retyping, focus still here.
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(messages.Count(), 1);
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), QStringLiteral("x"));
    QCOMPARE(clicked.count(), 0);
}

void TestDataEdit::settersAndClamping() {
    TDataEdit edit;
    QCOMPARE(edit.text(), QStringLiteral("0"));
    QCOMPARE(edit.MinVal(), TDataEdit::DefaultMin);
    QCOMPARE(edit.MaxVal(), TDataEdit::DefaultMax);
    QCOMPARE(edit.Units(), 1);

    edit.SetNumber(5);
    edit.SetMinVal(8); // above the current value: the value moves up
    QCOMPARE(edit.Number(), Extended(8));
    QCOMPARE(edit.text(), QStringLiteral("8"));
    edit.SetMaxVal(20);
    edit.SetNumber(15);
    edit.SetMaxVal(12); // below the current value: the value moves down
    QCOMPARE(edit.Number(), Extended(12));
    edit.SetMaxVal(3); // below the minimum: raised to it
    QCOMPARE(edit.MaxVal(), Extended(8));
    QCOMPARE(edit.Number(), Extended(8));
    edit.SetMaxVal(100);
    edit.SetMinVal(500); // above the maximum: lowered to it
    QCOMPARE(edit.MinVal(), Extended(100));
    QCOMPARE(edit.Number(), Extended(100));
    edit.SetMinVal(0);
    edit.SetNumber(-7);
    QCOMPARE(edit.Number(), Extended(0));
    edit.SetNumber(1000);
    QCOMPARE(edit.Number(), Extended(100));
    edit.SetNumber(std::numeric_limits<Extended>::quiet_NaN()); // never shown
    QCOMPARE(edit.Number(), Extended(100));

    // Integer-only brings the limits into the 32-bit range.
    TDataEdit wide;
    wide.SetIntegerOnly(true);
    QCOMPARE(wide.MaxVal(), Extended(2147483647.0L));
    QCOMPARE(wide.MinVal(), Extended(-2147483648.0L));
    wide.SetMaxVal(1e12L);
    QCOMPARE(wide.MaxVal(), Extended(2147483647.0L));
    wide.SetMinVal(-1e12L);
    QCOMPARE(wide.MinVal(), Extended(-2147483648.0L));

    edit.SetUnits(0);
    QCOMPARE(edit.Units(), 1);
    edit.SetUnits(7);
    QCOMPARE(edit.Units(), 3);
    edit.SetUnits(2);
    QCOMPARE(edit.Units(), 2);
}

void TestDataEdit::labels() {
    QWidget parent;
    auto* label = new QLabel(&parent);
    auto* edit = new TDataEdit(&parent);
    edit->SetCaption(QStringLiteral("Unit Weight"));
    edit->SetUnitsString(QStringLiteral("F/L2^3"));
    edit->SetNumber(120);
    edit->SetEditLabel(label);
    QCOMPARE(label->buddy(), edit);
    QCOMPARE(label->text(), QStringLiteral("Unit Weight (lbs/ft^3)"));
    edit->SetUnits(2);
    QCOMPARE(label->text(), QStringLiteral("Unit Weight (kN/m^3)"));
    QCOMPARE(edit->Number(), Extended(120)); // labels only: the value is not converted
    edit->SetUnits(3);
    QCOMPARE(label->text(), QStringLiteral("Unit Weight (F/L2^3)"));
    edit->SetUnits(1);
    edit->SetUnitsString(QStringLiteral("F/L2^2"));
    QCOMPARE(label->text(), QStringLiteral("Unit Weight (lbs/ft^2)"));
    edit->SetUnitsString(QStringLiteral("deg."));
    QCOMPARE(label->text(), QStringLiteral("Unit Weight (deg.)"));
    edit->SetUnitsString(QString());
    edit->SetCaption(QStringLiteral("Number of Circles"));
    QCOMPARE(label->text(), QStringLiteral("Number of Circles"));

    edit->setEnabled(false);
    QVERIFY(!label->isEnabled());
    edit->setEnabled(true);
    QVERIFY(label->isEnabled());

    // A new label takes over; the old one no longer points at the box.
    auto* second = new QLabel(&parent);
    edit->SetEditLabel(second);
    QCOMPARE(label->buddy(), nullptr);
    QCOMPARE(second->buddy(), edit);
    QCOMPARE(second->text(), QStringLiteral("Number of Circles"));
    delete second; // a deleted label is forgotten, not used
    edit->SetCaption(QStringLiteral("x"));
    QCOMPARE(edit->EditLabel(), nullptr);
}

void TestDataEdit::hexDisplay() {
    TEditForm form;
    form.Edit->SetHex(true);
    form.Edit->SetMinVal(0);
    form.Edit->SetMaxVal(255);
    form.Edit->SetNumber(255);
    QCOMPARE(form.Edit->text(), QStringLiteral("$00FF"));
    QCOMPARE(form.Edit->Number(), Extended(255));
    QVERIFY(form.Show());
    TMessageRecorder messages(&form.Window);
    form.TypeAndLeave(QStringLiteral("$10"));
    QCOMPARE(form.Edit->text(), QStringLiteral("$0010"));
    QCOMPARE(form.Edit->Number(), Extended(16));
    form.TypeAndLeave(QStringLiteral("$100"));
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Entry must be less than or equal to $00FF")});
    QCOMPARE(form.Edit->text(), QStringLiteral("$00FF"));
}

void TestDataEdit::focusReasonsAndReentrancy() {
    TEditForm form;
    QVERIFY(form.Show());
    TMessageRecorder messages(&form.Window);
    form.Edit->setFocus();
    form.Edit->selectAll();
    QTest::keyClicks(form.Edit, QStringLiteral("zz"));
    // The window losing activation (a message box, another window) is no exit from the box.
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(form.Edit, &deactivated);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(form.Edit, &popup);
    QCOMPARE(messages.Count(), 0);

    // While the message of a validation is up the focus moves away; that must not validate again,
    // and the box has the focus back afterwards.
    messages.OnMessage = [&](const TMsgRequest&) { form.Other->setFocus(Qt::MouseFocusReason); };
    QTest::keyClick(form.Edit, Qt::Key_Return);
    QCOMPARE(messages.Count(), 1);
    QVERIFY(form.Edit->hasFocus());
    messages.OnMessage = nullptr;

    // Clicking elsewhere validates as Tab does.
    messages.Clear();
    QTest::mouseClick(form.Other, Qt::LeftButton);
    QCOMPARE(messages.Count(), 1);
    QVERIFY(form.Edit->hasFocus());

    // Tab from a rejected box into another entry box: one message, the focus back in the first box,
    // and the second box, which never really got the focus, is not checked on the way.
    QWidget pair;
    auto* pairLayout = new QVBoxLayout(&pair);
    auto* first = new TDataEdit(&pair);
    auto* second = new TDataEdit(&pair);
    pairLayout->addWidget(first);
    pairLayout->addWidget(second);
    messages.Watch(&pair);
    second->setText(QStringLiteral("also bad"));
    pair.show();
    QApplication::setActiveWindow(&pair);
    QVERIFY(QTest::qWaitForWindowActive(&pair));
    first->setFocus();
    first->selectAll();
    QTest::keyClicks(first, QStringLiteral("1/"));
    messages.Clear();
    QTest::keyClick(first, Qt::Key_Tab);
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.Messages().at(0).Parent.data(), first);
    QVERIFY(first->hasFocus());
    QCOMPARE(second->text(), QStringLiteral("also bad"));
    first->selectAll();
    QTest::keyClicks(first, QStringLiteral("1"));
    QTest::keyClick(first, Qt::Key_Tab); // now it may go on, and the second box has the focus
    QVERIFY(second->hasFocus());
    QCOMPARE(messages.Count(), 1);
    pair.hide();

    // Once the box was left with a valid entry, a stray focus-out (the focus moved back and away
    // again by the program, without the box ever getting it) does not validate it again.
    messages.Clear();
    form.Edit->selectAll();
    QTest::keyClicks(form.Edit, QStringLiteral("3"));
    QTest::keyClick(form.Edit, Qt::Key_Tab);
    QCOMPARE(messages.Count(), 0);
    form.Edit->setText(QStringLiteral("bad"));
    QFocusEvent stray(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(form.Edit, &stray);
    QCOMPARE(messages.Count(), 0);
}

void TestDataEdit::realBoxDuringFocusOut() {
    // A real modal box shown while the focus leaves takes the activation away and gives it back;
    // the box must validate once and end up with the focus again.
    TEditForm form;
    form.Edit->SetMaxVal(10);
    QVERIFY(form.Show());
    QString text, title;
    AnswerRealBox(QMessageBox::Ok, &text, &title);
    QSignalSpy rejected(form.Edit, &TDataEdit::Rejected);
    form.TypeAndLeave(QStringLiteral("99"));
    QCOMPARE(text, QStringLiteral("Entry must be less than or equal to 10"));
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(form.Edit->text(), QStringLiteral("10"));
    QTRY_VERIFY(form.Window.isActiveWindow());
    QTRY_VERIFY(form.Edit->hasFocus());
    QTest::qWait(50);
    QVERIFY(form.Edit->hasFocus());
    QCOMPARE(rejected.count(), 1);
}

void TestDataEdit::mdiChildSwitch() {
    // Each child window keeps its own active control: activating another child window is no exit
    // from the box (its window copies and checks its boxes when it is deactivated).
    QMainWindow frame;
    auto* area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    TDataEdit* edits[2];
    QLineEdit* others[2];
    QMdiSubWindow* subs[2];
    for (int i = 0; i < 2; ++i) {
        auto* child = new QWidget;
        auto* layout = new QVBoxLayout(child);
        edits[i] = new TDataEdit(child);
        others[i] = new QLineEdit(child);
        layout->addWidget(edits[i]);
        layout->addWidget(others[i]);
        subs[i] = area->addSubWindow(child);
        child->show();
    }
    frame.resize(600, 400);
    frame.show();
    QApplication::setActiveWindow(&frame);
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    TMessageRecorder messages(&frame);
    area->setActiveSubWindow(subs[0]);
    edits[0]->setFocus(Qt::MouseFocusReason);
    QVERIFY(edits[0]->hasFocus());
    edits[0]->setText(QStringLiteral("bad"));
    area->setActiveSubWindow(subs[1]);
    QVERIFY(!edits[0]->hasFocus());
    QCOMPARE(messages.Count(), 0);
    area->setActiveSubWindow(subs[0]);
    QTRY_VERIFY(edits[0]->hasFocus()); // the child window gives the focus back to its box
    QCOMPARE(messages.Count(), 0);
    // Leaving it inside its own window still validates.
    QTest::keyClick(edits[0], Qt::Key_Tab);
    QCOMPARE(messages.Count(), 1);
    QVERIFY(edits[0]->hasFocus());
    // A click into another child window is no exit either.
    QTest::mouseClick(others[1], Qt::LeftButton);
    QCOMPARE(messages.Count(), 1);
}

void TestDataEdit::validateEntryAndLoading() {
    TEditForm form;
    QPushButton button;
    TMessageRecorder messages(&form.Window);
    QVERIFY(ValidateEntry(nullptr));
    QVERIFY(ValidateEntry(&button));
    form.Edit->setText(QStringLiteral("2*"));
    QVERIFY(!ValidateEntry(form.Edit));
    QCOMPARE(messages.Count(), 1);
    form.Edit->setText(QStringLiteral("2*8"));
    QVERIFY(ValidateEntry(form.Edit));
    QCOMPARE(form.Edit->text(), QStringLiteral("16"));

    // While a window is built its properties are stored as given, not clamped to each other.
    TDataEdit loaded;
    loaded.BeginLoading();
    loaded.SetMaxVal(5);
    loaded.SetMinVal(9);
    loaded.SetNumber(50);
    loaded.SetIntegerOnly(true);
    loaded.EndLoading();
    QVERIFY(!loaded.Loading());
    QCOMPARE(loaded.MaxVal(), Extended(5));
    QCOMPARE(loaded.MinVal(), Extended(9));
    QCOMPARE(loaded.Number(), Extended(50));
    loaded.SetMaxVal(20); // after loading the rules apply again
    QCOMPARE(loaded.Number(), Extended(20));
}

void TestDataEdit::comboValuesAndLimits() {
    QWidget window;
    auto* combo = new TDataCombo(&window);
    QCOMPARE(combo->MinVal(), Extended(0));
    QCOMPARE(combo->MaxVal(), Extended(0));
    QCOMPARE(combo->currentText(), QStringLiteral("0"));
    TMessageRecorder messages(&window);
    // Default limits 0..0 until the window sets them.
    combo->setEditText(QStringLiteral("5"));
    QVERIFY(!combo->Validate());
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 0"));
    QCOMPARE(combo->currentText(), QStringLiteral("0"));

    combo->SetMaxVal(1000);
    combo->SetItems({QStringLiteral("Low"), QStringLiteral("High"), QStringLiteral("Extra")});
    combo->SetValues({QStringLiteral("1"), QStringLiteral("10*10")});
    combo->setCurrentIndex(1);
    QCOMPARE(combo->currentText(), QStringLiteral("High"));
    QCOMPARE(combo->Number(), Extended(100));
    QCOMPARE(combo->currentText(), QStringLiteral("10*10")); // the item's value text replaces it
    combo->setCurrentIndex(0);
    messages.Clear();
    QVERIFY(combo->Validate());
    QCOMPARE(combo->currentText(), QStringLiteral("1")); // left as it was read, not reformatted
    QCOMPARE(messages.Count(), 0);
    // An item without a value entry is read as its own text: a message, not a crash.
    combo->setCurrentIndex(2);
    QVERIFY(!combo->Validate());
    QCOMPARE(messages.LastText(), EvaluatorMessage("Extra"));

    // Success leaves the text as typed.
    combo->setEditText(QStringLiteral("10-4"));
    QVERIFY(combo->Validate());
    QCOMPARE(combo->currentText(), QStringLiteral("10-4"));
    QCOMPARE(combo->Number(), Extended(6));

    // Limits in 8-digit general form, value set to the limit in the same form.
    combo->SetMaxVal(2.0L / 3.0L);
    combo->setEditText(QStringLiteral("1"));
    messages.Clear();
    QVERIFY(!combo->Validate());
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be less than or equal to 0.66666667"));
    QCOMPARE(combo->currentText(), QStringLiteral("0.66666667"));
    combo->SetMinVal(-1);
    combo->setEditText(QStringLiteral("-2"));
    QVERIFY(!combo->Validate());
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be greater than or equal to -1"));

    // Integer-only: whole-number display, integer messages.
    combo->SetMaxVal(50);
    combo->SetNumber(1.0L / 3.0L);
    QCOMPARE(combo->currentText(), QStringLiteral("0.33333333"));
    combo->SetIntegerOnly(true);
    combo->SetNumber(7.9L);
    QCOMPARE(combo->currentText(), QStringLiteral("7"));
    combo->setEditText(QStringLiteral("2.5"));
    QVERIFY(!combo->Validate());
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be an integer."));
    combo->setEditText(QStringLiteral("1E-"));
    QVERIFY(!combo->Validate());
    QCOMPARE(messages.LastText(), QStringLiteral("Entry must be a valid integer."));
    QCOMPARE(combo->Number(), Extended(7)); // last accepted value
    QCOMPARE(combo->count(), 3);            // nothing typed was ever added to the items
}

void TestDataEdit::comboKeyFilter() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* combo = new TDataCombo(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(combo);
    layout->addWidget(other);
    combo->SetMinVal(-1);
    combo->SetMaxVal(1);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    TMessageRecorder messages(&window);
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("1a2e-3x. +*/"));
    QCOMPARE(combo->currentText(), QStringLiteral("12E-3."));
    QTest::keyClick(combo, Qt::Key_Backspace);
    QCOMPARE(combo->currentText(), QStringLiteral("12E-3"));
    QTest::keyClick(combo, Qt::Key_Tab);
    QCOMPARE(messages.Count(), 0);
    QVERIFY(combo->Valid());
    QCOMPARE(combo->currentText(), QStringLiteral("12E-3"));
    QVERIFY(qAbs(combo->Number() - 0.012L) < 1e-15L);

    // Enter validates, selects all and is consumed; a leading "-" then extends the value.
    combo->setFocus();
    combo->setEditText(QStringLiteral("1"));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(combo->lineEdit()->selectedText(), QStringLiteral("1"));
    QTest::keyClicks(combo, QStringLiteral("-0.5"));
    QCOMPARE(combo->currentText(), QStringLiteral("1-0.5"));
    QCOMPARE(combo->count(), 0);
}

void TestDataEdit::comboLabelsAndFocus() {
    QWidget window;
    auto* layout = new QFormLayout(&window);
    auto* label = new QLabel(&window);
    auto* combo = new TDataCombo(&window);
    auto* other = new QLineEdit(&window);
    layout->addRow(label, combo);
    layout->addRow(QStringLiteral("Other"), other);
    combo->SetCaption(QStringLiteral("Pressure"));
    combo->SetUnitsString(QStringLiteral("F/L^2"));
    combo->SetEditLabel(label);
    QCOMPARE(label->buddy(), combo);
    QCOMPARE(label->text(), QStringLiteral("Pressure (lbs/in^2)"));
    combo->SetUnits(2);
    QCOMPARE(label->text(), QStringLiteral("Pressure (kN/m^2)"));
    combo->SetUnits(9);
    QCOMPARE(combo->Units(), 3);
    QCOMPARE(label->text(), QStringLiteral("Pressure (F/L^2)"));
    combo->setEnabled(false);
    QVERIFY(!label->isEnabled());
    combo->setEnabled(true);

    combo->SetMaxVal(10);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    TMessageRecorder messages(&window);
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("12"));
    QTest::keyClick(combo, Qt::Key_Tab);
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Entry must be less than or equal to 10")});
    QCOMPARE(combo->currentText(), QStringLiteral("10"));
    QVERIFY(combo->hasFocus());
    QVERIFY(ValidateEntry(combo->lineEdit())); // the inner line edit stands for its combo
}

void TestDataEdit::renderForm() {
    // A small form as a data window would build it; saved as PNG when a folder is given.
    QWidget window;
    window.setWindowTitle(QStringLiteral("Entry boxes"));
    auto* layout = new QFormLayout(&window);
    struct TRow {
        const char* Caption;
        const char* Units;
        double Value;
    };
    const TRow rows[] = {{"Unit Weight", "F/L2^3", 120},
                         {"Cohesion", "F/L2^2", 250.5},
                         {"Friction Angle", "deg.", 32},
                         {"Number of Circles", "", 10}};
    QList<TDataEdit*> edits;
    for (const TRow& row : rows) {
        auto* label = new QLabel(&window);
        auto* edit = new TDataEdit(&window);
        edit->SetCaption(QString::fromLatin1(row.Caption));
        edit->SetUnitsString(QString::fromLatin1(row.Units));
        edit->SetEditLabel(label);
        edit->SetNumber(row.Value);
        layout->addRow(label, edit);
        edits.append(edit);
    }
    edits.last()->SetIntegerOnly(true);
    edits[2]->setEnabled(false);
    auto* comboLabel = new QLabel(&window);
    auto* combo = new TDataCombo(&window);
    combo->SetMaxVal(1000);
    combo->SetItems({QStringLiteral("Low"), QStringLiteral("High")});
    combo->SetValues({QStringLiteral("10"), QStringLiteral("100")});
    combo->SetCaption(QStringLiteral("Surcharge"));
    combo->SetUnitsString(QStringLiteral("F/L^2"));
    combo->SetEditLabel(comboLabel);
    combo->setCurrentIndex(1);
    layout->addRow(comboLabel, combo);
    window.resize(360, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPixmap shot = window.grab();
    QVERIFY(!shot.isNull());
    QCOMPARE(qobject_cast<QLabel*>(layout->labelForField(edits[0]))->text(),
             QStringLiteral("Unit Weight (lbs/ft^3)"));
    QVERIFY(!layout->labelForField(edits[2])->isEnabled());
    const QString dir = qEnvironmentVariable("BREVANTO_SHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(shot.save(dir + QStringLiteral("/entry-boxes.png")));
}

QTEST_MAIN(TestDataEdit)
#include "tst_dataedit.moc"
