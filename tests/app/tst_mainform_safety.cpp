// The main window, driven offscreen, keeps the user's numbers and files as they are: units there and
// back, typing over a value, values beyond the number range, paths with line breaks, files that the
// desktop's own programs cannot show, and child windows inside the visible work area.
#include "MainFormDriving.h"
#include "app/EngineRun.h"
#include "dialogs/DlgOptional.h"
#include "dialogs/DlgSearch.h"
#include "model/SlopeModel.h"
#include "support/MessageRecorder.h"
#include "tables/ColumnTypes.h"
#include "tables/TableSet.h"
#include "text/Errors.h"
#include "text/Evaluate.h"
#include "text/NumberRounding.h"
#include "widgets/DataEdit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBrowser>
#include <memory>

using namespace driving;

namespace {
// Every number of the model as the boxes show it (18 significant digits): the scalars that units
// convert and every cell of every number column of every table.
QStringList ShownNumbers(TMainForm& form, int digits = 18) {
    QStringList numbers;
    const TProgramData& m = *form.Model();
    for (Extended v : {m.LeftInitiationX, m.RightInitiationX, m.LeftTerminationX, m.RightTerminationX,
                       m.MinimumElevation, m.SegmentLength, m.BlockSegmentLength, m.CavitationPressure,
                       m.WaterUnitWeight, m.CcwLimit, m.CwLimit, m.InterSliceAngle})
        numbers << QString::fromStdString(FormatGeneral(v, digits));
    TTableSet& tables = form.Tables();
    for (int t = 0; t < tables.Count(); ++t) {
        TGridTable& table = tables.Table(t);
        for (int c = 0; c < table.ColumnCount(); ++c)
            if (auto* column = dynamic_cast<TFloatColumn*>(&table.Column(c)))
                for (int r = 0; r < column->RowCount(); ++r)
                    numbers << QString::fromStdString(tables.Name(t) + ":" + std::to_string(c) + ":" +
                                                      FormatGeneral(column->GetFloat(r), digits));
    }
    return numbers;
}

// Typed values in every number cell and every converted scalar: short decimals, as people type them.
void TypeEveryNumber(TMainForm& form) {
    TProgramData& m = *form.Model();
    m.LeftInitiationX = 10;
    m.RightInitiationX = 60.5L;
    m.LeftTerminationX = 170;
    m.RightTerminationX = 220.25L;
    m.MinimumElevation = 32.1L;
    m.SegmentLength = 6.3L;
    m.BlockSegmentLength = 7.7L;
    m.CavitationPressure = 400;
    m.WaterUnitWeight = 62.4L;
    TTableSet& tables = form.Tables();
    int k = 0;
    for (int t = 0; t < tables.Count(); ++t) {
        TGridTable& table = tables.Table(t);
        for (int c = 0; c < table.ColumnCount(); ++c)
            if (auto* column = dynamic_cast<TFloatColumn*>(&table.Column(c)))
                for (int r = 0; r < column->RowCount(); ++r)
                    column->SetFloat(r, RoundSignificant(400 + 0.1L * (k++ % 97) - 12.3L * (r % 3), 12));
    }
}
} // namespace

class TestMainFormSafety : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void unitsThereAndBackKeepEveryNumber();
    void filesKeepTheirBytesAndEveryDigit();
    void minusOverSelectionReplaces();
    void valuesBeyondTheNumberRangeRefused();
    void lineBreakInPathRefused();
    void partlyReadFileNeverSavedOverItself();
    void nonInputFileDropRefused();
    void messagesStayWithTheirWindow();
    void twoWindowsNumberTheirTablesApart();
    void dataWindowsFollowTheLoadedModel();
    void failedSaveNamesFileAndReason();
    void textAndHelpWithoutOutsidePrograms();
    void childWindowsInsideTheWorkArea();

  private:
    TMainForm* MakeForm(TMessageRecorder& messages);
    std::unique_ptr<TMainForm> Form;
    TScriptedDialogs* Dialogs = nullptr;
    QString StartDirectory;
};

void TestMainFormSafety::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainFormSafety::init() {
    StartDirectory = QDir::currentPath();
    QSettings(QStringLiteral("Keldor"), QStringLiteral("Brevanto")).clear();
}

void TestMainFormSafety::cleanup() {
    Form.reset();
    QDir::setCurrent(StartDirectory);
}

TMainForm* TestMainFormSafety::MakeForm(TMessageRecorder& messages) {
    Form.reset();
    Form = MakeDrivenForm(Dialogs, {}, &messages);
    QApplication::setActiveWindow(Form.get());
    (void)QTest::qWaitForWindowActive(Form.get(), 2000);
    return Form.get();
}

void TestMainFormSafety::unitsThereAndBackKeepEveryNumber() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(CopyExample(dir, QStringLiteral("dam.qvxd")));

    // The numbers of the example as they are.
    QCOMPARE(double(Form->Model()->WaterUnitWeight), 62.4);
    const QStringList example = ShownNumbers(*form);
    form->SIUnits->trigger();
    QCOMPARE(Form->Model()->UnitSystem, 2);
    QVERIFY(ShownNumbers(*form) != example);
    form->EnglishUnits->trigger();
    QCOMPARE(ShownNumbers(*form), example);

    // Every converted scalar and every number cell, typed values, there and back several times.
    TypeEveryNumber(*form);
    const QStringList typed = ShownNumbers(*form);
    for (int round = 0; round < 3; ++round) {
        form->SIUnits->trigger();
        form->EnglishUnits->trigger();
    }
    QCOMPARE(ShownNumbers(*form), typed);
    QCOMPARE(FormatGeneral(Form->Model()->WaterUnitWeight, 18), std::string("62.4"));
    QCOMPARE(FormatGeneral(Form->Model()->LeftInitiationX, 18), std::string("10"));

    // Through Other nothing changes either.
    form->FLUnits->trigger();
    form->EnglishUnits->trigger();
    QCOMPARE(ShownNumbers(*form), typed);
    QCOMPARE(messages.Count(), 0);
}

void TestMainFormSafety::filesKeepTheirBytesAndEveryDigit() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);

    // A file whose values fit the file's number forms is written back byte for byte.
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    const QByteArray original = ReadAll(dam);
    form->OpenFileName(dam);
    form->SetModified(true);
    form->FileSaveClick();
    QCOMPARE(ReadAll(dam), original);

    // English, then SI saved and opened again, then English: the numbers are what was typed, every
    // digit a box shows.
    TypeEveryNumber(*form);
    const std::string english = Form->Model()->FileText();
    const QStringList typed = ShownNumbers(*form);
    form->SIUnits->trigger();
    form->FileSaveClick();
    QVERIFY(!form->IsModified());
    form->OpenFileName(dam);
    QCOMPARE(Form->Model()->UnitSystem, 2);
    form->EnglishUnits->trigger();
    QVERIFY(QString::fromStdString(english).contains(QStringLiteral("\r\n1 62.4\r\n")));
    QCOMPARE(FormatGeneral(Form->Model()->CavitationPressure, 18), std::string("400"));
    QCOMPARE(FormatGeneral(Form->Model()->WaterUnitWeight, 18), std::string("62.4"));
    // The tables' values that the file holds come back too.
    const QStringList back = ShownNumbers(*form);
    QCOMPARE(back.filter(QStringLiteral("SoilData:")), typed.filter(QStringLiteral("SoilData:")));
    QCOMPARE(back.filter(QStringLiteral("BoundCood:")), typed.filter(QStringLiteral("BoundCood:")));

    // An earthquake coefficient with three decimals is no longer rounded to two on the way.
    Form->Model()->HorizontalCoefficient = 0.125L;
    QVERIFY(
        QString::fromStdString(Form->Model()->FileText()).contains(QStringLiteral("\r\nEQUAKE\r\n0.125 ")));
    Form->Model()->HorizontalCoefficient = 0.1L;
    QVERIFY(
        QString::fromStdString(Form->Model()->FileText()).contains(QStringLiteral("\r\nEQUAKE\r\n0.10 ")));
    QCOMPARE(messages.Count(), 0);
}

void TestMainFormSafety::minusOverSelectionReplaces() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    OpenMenu(form->DataMenu);
    form->BishopsMethod1->trigger();
    auto* search = qobject_cast<TDlgSearch*>(form->MdiArea->activeSubWindow()->widget());
    QVERIFY(search);

    // Every number box of the window that takes -30: the typed number replaces the selected one (the
    // box is given its value back before the next one, so no other check of the window interferes).
    int boxes = 0;
    for (TDataEdit* box : search->findChildren<TDataEdit*>()) {
        if (!box->isEnabled() || box->MinVal() > -30 || box->MaxVal() < -30 || !box->isVisible())
            continue;
        const Extended before = box->Number();
        box->SetNumber(-45);
        TypeOverSelection(box, QStringLiteral("-30"));
        QCOMPARE(box->text(), QStringLiteral("-30"));
        QCOMPARE(double(box->Number()), -30.0);
        box->SetNumber(before);
        ++boxes;
    }
    QVERIFY(boxes >= 6);
    // The clockwise limit reaches the model as typed.
    search->deCW->SetNumber(-45);
    TypeOverSelection(search->deCW, QStringLiteral("-30"));
    QTest::keyClick(search->deCW, Qt::Key_Tab);
    OpenMenu(form->DataMenu);
    QCOMPARE(double(Form->Model()->CwLimit), -30.0);

    // An operator other than a sign still extends the shown value.
    search->deSL->SetNumber(6);
    TypeOverSelection(search->deSL, QStringLiteral("*2"));
    QCOMPARE(search->deSL->text(), QStringLiteral("6*2"));
    QCOMPARE(messages.Texts(), QStringList());
}

void TestMainFormSafety::valuesBeyondTheNumberRangeRefused() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(CopyExample(dir, QStringLiteral("dam.qvxd")));

    OpenMenu(form->DataMenu);
    form->DataLoading->trigger();
    auto* water = qobject_cast<TDlgPiezometric*>(form->MdiArea->activeSubWindow()->widget());
    QVERIFY(water);
    TypeOverSelection(water->dewt, QStringLiteral("1E999"));
    QVERIFY(!water->dewt->Validate());
    QCOMPARE(messages.LastText(), QStringLiteral("Entry could not be evaluated:\rvalue out of range"));
    OpenMenu(form->DataMenu);
    QCOMPARE(double(Form->Model()->WaterUnitWeight), 62.4);

    OpenMenu(form->DataMenu);
    form->BishopsMethod1->trigger();
    auto* search = qobject_cast<TDlgSearch*>(form->MdiArea->activeSubWindow()->widget());
    QVERIFY(search);
    for (const QString& text :
         {QStringLiteral("1E999"), QStringLiteral("-2E308"), QStringLiteral("1E300*1E300")}) {
        messages.Clear();
        TypeOverSelection(search->deXLi, text);
        QVERIFY(!search->deXLi->Validate());
        QCOMPARE(messages.LastText(), QStringLiteral("Entry could not be evaluated:\rvalue out of range"));
    }
    // A number near the largest double is one the analysis can take.
    QCOMPARE(double(EvaluateStoredEntry("1E308")), 1E308);
    QVERIFY_THROWS_EXCEPTION(EAssignError, EvaluateStoredEntry("1.8E308"));
}

void TestMainFormSafety::lineBreakInPathRefused() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);

    // Save As to a name with a line break: refused before anything is written.
    Form->Model()->Title = "Lines";
    form->SetModified(true);
    for (const QString& name : {QStringLiteral("two\nlines.qvxd"), QStringLiteral("two\rlines.qvxd")}) {
        messages.Clear();
        Dialogs->Saves.append(dir.filePath(name));
        form->FileSaveAsClick();
        QCOMPARE(messages.Count(), 1);
        QVERIFY(messages.LastText().contains(QStringLiteral("line break")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(Form->Model()->FileName, std::string(TProgramData::NewFileName));
    }

    // A model opened from such a file (the system allows the name) is not run: nothing is written,
    // not even the model itself.
    const QString odd = CopyExample(dir, QStringLiteral("dam\nother.qvxd"));
    const QByteArray before = ReadAll(odd);
    form->SetModified(false);
    form->OpenFileName(odd);
    form->SetModified(true);
    messages.Clear();
    {
        TEngineSetup engine;
        form->CompRun->trigger();
    }
    QCOMPARE(messages.Count(), 1);
    QVERIFY(messages.LastText().contains(QStringLiteral("line break")));
    QCOMPARE(ReadAll(odd), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("dam\nother.qvxd")}));

    // The names file itself never takes such a path.
    QTemporaryDir run;
    QVERIFY_THROWS_EXCEPTION(std::exception, WriteNamesFile(run.path(), odd));
    QVERIFY(!QFileInfo::exists(run.filePath(QStringLiteral("names.dat"))));
}

void TestMainFormSafety::partlyReadFileNeverSavedOverItself() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    struct TDamage {
        const char* Name;
        int Line;
        QByteArray Text;
    };
    const TDamage damages[] = {{"typo26.qvxd", 26, "60. 5x2."},
                               {"typo13.qvxd", 13, "115. 120. 2OO. 22. 0. 0. 1"}};
    for (const TDamage& damage : damages) {
        const QString path = DamagedExample(dir, QString::fromLatin1(damage.Name), damage.Line, damage.Text);
        const QByteArray bytes = ReadAll(path);
        messages.Clear();
        Dialogs->SaveTitles.clear();
        form->OpenFileName(path);
        QCOMPARE(messages.Count(), 1);
        QVERIFY(messages.LastText().startsWith(QStringLiteral("Error on Line %1").arg(damage.Line)));
        QVERIFY(!Form->Model()->ReadComplete);

        // Save and Run warn and go through Save As; cancelled, the file stays as it was.
        form->FileSaveClick();
        QCOMPARE(messages.Count(), 2);
        QVERIFY(messages.LastText().contains(QStringLiteral("was not read completely")));
        QVERIFY(messages.LastText().contains(QDir::toNativeSeparators(path)));
        QCOMPARE(Dialogs->SaveTitles.size(), 1);
        {
            TEngineSetup engine;
            form->CompRun->trigger();
        }
        QCOMPARE(messages.Count(), 3);
        QCOMPARE(Dialogs->SaveTitles.size(), 2);
        QCOMPARE(ReadAll(path), bytes);
        QVERIFY(!QFileInfo::exists(Twin(path, ".qvxo")));

        // Even with changes and the save question at New: the question's save goes through Save As.
        form->SetModified(true);
        messages.QueueAnswer(TMsgAnswer::Yes);
        form->FileNewClick();
        QCOMPARE(ReadAll(path), bytes);
        QCOMPARE(Form->Model()->FileName, path.toStdString()); // not saved, so not replaced either
        form->SetModified(false);
    }

    // The user's explicit choice of another name: saved there; that file then holds the whole model
    // and is saved as usual.
    const QString path = dir.filePath(QStringLiteral("typo26.qvxd"));
    const QByteArray bytes = ReadAll(path);
    form->OpenFileName(path);
    const QString copy = dir.filePath(QStringLiteral("repaired.qvxd"));
    Dialogs->Saves << copy;
    form->FileSaveClick();
    QCOMPARE(Form->Model()->FileName, copy.toStdString());
    QVERIFY(Form->Model()->ReadComplete);
    QVERIFY(QFileInfo::exists(copy));
    QCOMPARE(ReadAll(path), bytes);
    messages.Clear();
    form->SetModified(true);
    form->FileSaveClick();
    QCOMPARE(messages.Count(), 0);

    // A plain text file named like an input file is not replaced by an empty model either.
    const QString text = dir.filePath(QStringLiteral("notes.qvxd"));
    WriteAll(text, "shopping list\n");
    form->OpenFileName(text);
    Dialogs->SaveTitles.clear();
    form->FileSaveClick();
    QCOMPARE(Dialogs->SaveTitles.size(), 1);
    QCOMPARE(ReadAll(text), QByteArray("shopping list\n"));
}

void TestMainFormSafety::nonInputFileDropRefused() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    form->OpenFileName(dam);
    const QString picture = dir.filePath(QStringLiteral("slope.png"));
    WriteAll(picture, QByteArray("\x89PNG\r\n\x1a\n", 8));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(picture)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &drop);
    QCOMPARE(messages.Count(), 1);
    QVERIFY(messages.LastText().contains(QStringLiteral("is not an input file")));
    QCOMPARE(Form->Model()->FileName, dam.toStdString());

    // An input file still opens when dropped.
    const QString other = CopyExample(dir, QStringLiteral("other.qvxd"));
    QMimeData input;
    input.setUrls({QUrl::fromLocalFile(other)});
    QDragEnterEvent enter2(QPoint(10, 10), Qt::CopyAction, &input, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &enter2);
    QDropEvent drop2(QPointF(10, 10), Qt::CopyAction, &input, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &drop2);
    QCOMPARE(Form->Model()->FileName, other.toStdString());
    QCOMPARE(messages.Count(), 1);
}

void TestMainFormSafety::messagesStayWithTheirWindow() {
    // Two main windows, each with its own recorder: each sees its own window's messages only.
    TMessageRecorder messages, otherMessages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    TScriptedDialogs* otherDialogs = nullptr;
    std::unique_ptr<TMainForm> other = MakeDrivenForm(otherDialogs, {}, &otherMessages);
    QApplication::setActiveWindow(other.get());
    (void)QTest::qWaitForWindowActive(other.get(), 2000);

    // The reader's message of the first window's file goes to the first, though the other is active.
    form->OpenFileName(DamagedExample(dir, QStringLiteral("typo26.qvxd"), 26, "60. 5x2."));
    QCOMPARE(messages.Count(), 1);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("Error on Line 26")));
    QCOMPARE(otherMessages.Count(), 0);

    // The other window refuses a dropped picture: its own message.
    const QString picture = dir.filePath(QStringLiteral("slope.png"));
    WriteAll(picture, QByteArray("\x89PNG\r\n\x1a\n", 8));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(picture)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(other.get(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(other.get(), &drop);
    QCOMPARE(otherMessages.Count(), 1);
    QVERIFY(otherMessages.LastText().contains(QStringLiteral("is not an input file")));
    QCOMPARE(messages.Count(), 1);

    // Saving the partly read file warns in the first window only.
    form->FileSaveClick();
    QCOMPARE(messages.Count(), 2);
    QVERIFY(messages.LastText().contains(QStringLiteral("was not read completely")));
    QCOMPARE(otherMessages.Count(), 1);
}

void TestMainFormSafety::twoWindowsNumberTheirTablesApart() {
    // Two main windows with the example each: each numbers its tables as a window alone does, apart
    // from the other; closing one leaves the other's tables and sub-tables whole, and its file saves
    // byte for byte.
    TMessageRecorder messages, otherMessages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    const QByteArray original = ReadAll(dam);
    form->OpenFileName(dam);
    TScriptedDialogs* otherDialogs = nullptr;
    std::unique_ptr<TMainForm> other = MakeDrivenForm(otherDialogs, {}, &otherMessages);
    other->OpenFileName(CopyExample(dir, QStringLiteral("other.qvxd")));
    TTableSet& tables = form->Tables();
    TTableSet& otherTables = other->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        QCOMPARE(otherTables.Table(i).Identifier(), tables.Table(i).Identifier());
        QVERIFY(&otherTables.Table(i).Registry() != &tables.Table(i).Registry());
    }
    // A caption changed in the other window's template shows in its own new sub-tables only.
    otherTables.Anisotropy().SetCaption("Other window's anisotropy");
    otherTables.SoilData().SetRowCount(otherTables.SoilData().RowCount() + 1);
    tables.SoilData().SetRowCount(tables.SoilData().RowCount() + 1);
    const int last = tables.SoilData().RowCount() - 1;
    QCOMPARE(otherTables.SoilData().Cell(7, last).GetTable()->Caption(),
             std::string("Other window's anisotropy"));
    QVERIFY(tables.SoilData().Cell(7, last).GetTable()->Caption() != "Other window's anisotropy");
    tables.SoilData().SetRowCount(last);

    other.reset();
    for (int row = 0; row < tables.SoilData().RowCount(); ++row)
        QVERIFY(tables.SoilData().Cell(7, row).GetTable() != nullptr);
    form->SetModified(true);
    form->FileSaveClick();
    QCOMPARE(ReadAll(dam), original);
    QCOMPARE(messages.Count(), 0);
    QCOMPARE(otherMessages.Count(), 0);
}

void TestMainFormSafety::dataWindowsFollowTheLoadedModel() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    // Two models that differ in the search's right initiation point (60 and 99).
    QByteArray text = ReadAll(Resource("examples/ExampleDam.qvxd"));
    const QString first = dir.filePath(QStringLiteral("first.qvxd"));
    WriteAll(first, text);
    text.replace("10. 60. 170. 220.", "10. 99. 170. 230.");
    const QString second = dir.filePath(QStringLiteral("second.qvxd"));
    WriteAll(second, text);

    enum { viaNew, viaOpen, viaRecent, viaDrop };
    for (int way : {viaNew, viaOpen, viaRecent, viaDrop}) {
        form->SetModified(false);
        form->OpenFileName(second);
        QCOMPARE(double(Form->Model()->RightInitiationX), 99.0);
        // A rejected entry pending in the search window.
        OpenMenu(form->DataMenu);
        form->BishopsMethod1->trigger();
        auto* search = qobject_cast<TDlgSearch*>(form->MdiArea->activeSubWindow()->widget());
        QVERIFY(search);
        QCOMPARE(search->deXRi->text(), QStringLiteral("99"));
        TypeOverSelection(search->deXLt, QStringLiteral("abc"));
        QTest::keyClick(search->deXLt, Qt::Key_Tab);
        QVERIFY(!search->deXLt->Valid());
        messages.SetDefaultAnswer(TMsgAnswer::No);

        switch (way) {
        case viaNew:
            form->FileNewClick();
            break;
        case viaOpen:
            Dialogs->Opens << TOpenChoice{first, 0};
            form->FileOpenClick();
            break;
        case viaRecent:
            form->UpdatePrevFile(first);
            form->RecentFileClick(0);
            break;
        case viaDrop: {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(first)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form, &drop);
            break;
        }
        }
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const Extended loaded = way == viaNew ? Extended(0) : Extended(60);
        QCOMPARE(double(Form->Model()->RightInitiationX), double(loaded));
        // No data window shows the old model: each open one shows the loaded model's value.
        for (QMdiSubWindow* sub : form->MdiArea->subWindowList())
            if (auto* open = qobject_cast<TDlgSearch*>(sub->widget()))
                QCOMPARE(double(open->deXRi->Number()), double(loaded));
        // Whatever the user does next, the old values do not reach the model.
        OpenMenu(form->DataMenu);
        OpenMenu(form->ComputationMenu);
        QCOMPARE(double(Form->Model()->RightInitiationX), double(loaded));
        if (way != viaNew)
            QCOMPARE(double(Form->Model()->RightTerminationX), 220.0);
        messages.SetDefaultAnswer(TMsgAnswer::Cancel);
    }
}

void TestMainFormSafety::failedSaveNamesFileAndReason() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    form->SetModified(true);

    // Save As into a folder that does not exist: the file and the system's reason.
    const QString missing = dir.filePath(QStringLiteral("no folder/slope.qvxd"));
    Dialogs->Saves << missing;
    form->FileSaveAsClick();
    QCOMPARE(messages.Count(), 1);
    QVERIFY2(messages.LastText().contains(QDir::toNativeSeparators(missing)),
             qPrintable(messages.LastText()));
    QVERIFY(messages.LastText().contains(QStringLiteral("No such file or directory")));

    // Run: the save before the run fails the same way and says so.
    const QString taken = dir.filePath(QStringLiteral("taken.qvxd"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.qvxd")));
    Dialogs->Saves << taken;
    {
        TEngineSetup engine;
        form->CompRun->trigger();
    }
    QCOMPARE(messages.Count(), 2);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("An error occured during saving\r")));
    QVERIFY2(messages.LastText().contains(QDir::toNativeSeparators(taken)), qPrintable(messages.LastText()));
    QVERIFY(messages.LastText().contains(QStringLiteral("directory")));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("taken.qvxo"))));
}

void TestMainFormSafety::textAndHelpWithoutOutsidePrograms() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    form->OpenFileName(dam);
    WriteAll(dir.filePath(QStringLiteral("dam.qvxo")), "Factor of safety 1.111\r\n");

    // No editor can be started: the file opens read-only inside the program.
    form->SetWordProcessor(dir.filePath(QStringLiteral("no such editor")));
    OpenMenu(form->ComputationMenu);
    form->CompOutput->trigger();
    auto* text = qobject_cast<QPlainTextEdit*>(form->MdiArea->activeSubWindow()->widget());
    QVERIFY(text);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->toPlainText(), QStringLiteral("Factor of safety 1.111\n"));
    QVERIFY(text->windowTitle().startsWith(QStringLiteral("dam.qvxo")));
    form->CompInput->trigger();
    text = qobject_cast<QPlainTextEdit*>(form->MdiArea->activeSubWindow()->widget());
    QVERIFY(text && text->toPlainText().startsWith(QStringLiteral("PROFIL\n")));
    QCOMPARE(ReadAll(dam), ReadAll(Resource("examples/ExampleDam.qvxd")));
    QCOMPARE(messages.Count(), 0);

    // No browser: the manuals open in a help window inside the program.
    form->SetUrlOpener([](const QUrl&) { return false; });
    form->SetProgramFolder(QStringLiteral(BREVANTO_PROGRAM_DIR));
    form->UsersManual1->trigger();
    auto* help = qobject_cast<QTextBrowser*>(form->MdiArea->activeSubWindow()->widget());
    QVERIFY(help);
    QVERIFY(help->toPlainText().contains(QStringLiteral("PROFIL")));
    form->HelpContents->trigger();
    help = qobject_cast<QTextBrowser*>(form->MdiArea->activeSubWindow()->widget());
    QVERIFY(help);
    // Its links lead to the other pages in the same window.
    help->setSource(QUrl(QStringLiteral("technical-manual.html")));
    QVERIFY(help->source().toString().endsWith(QStringLiteral("technical-manual.html")));
    QVERIFY(!help->toPlainText().isEmpty());
    QCOMPARE(messages.Count(), 0);
}

void TestMainFormSafety::childWindowsInsideTheWorkArea() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    form->resize(652, 492);
    QCOMPARE(form->MdiArea->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QCOMPARE(form->MdiArea->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

    // Window after window (each placed lower than the one before): every one starts inside the visible
    // work area, as far as its size allows.
    QList<QAction*> commands = {form->DataTitle,        form->DataProp,       form->DataLoading,
                                form->DataSoilStrength, form->DataPYMod,      form->DataPYCurves,
                                form->JanbusMethod1,    form->BishopsMethod1, form->Irregularfailure1,
                                form->BlockSearch1,     form->SpencersMethod1};
    const QRect visible = form->MdiArea->viewport()->rect();
    for (QAction* command : commands) {
        OpenMenu(form->DataMenu);
        command->trigger();
        QCoreApplication::processEvents();
        QMdiSubWindow* sub = form->MdiArea->activeSubWindow();
        QVERIFY(sub);
        const QRect frame = sub->geometry();
        const QString where = QStringLiteral("%1 at %2,%3 %4x%5 in %6x%7")
                                  .arg(command->objectName())
                                  .arg(frame.x())
                                  .arg(frame.y())
                                  .arg(frame.width())
                                  .arg(frame.height())
                                  .arg(visible.width())
                                  .arg(visible.height());
        QVERIFY2(frame.left() >= 0 && frame.top() >= 0, qPrintable(where));
        if (frame.width() <= visible.width())
            QVERIFY2(frame.right() <= visible.right(), qPrintable(where));
        if (frame.height() <= visible.height())
            QVERIFY2(frame.bottom() <= visible.bottom(), qPrintable(where));
    }
    // A window moved beyond the area can be reached with the scroll bars.
    QMdiSubWindow* sub = form->MdiArea->activeSubWindow();
    sub->move(visible.width() + 200, visible.height() + 200);
    QTRY_VERIFY(form->MdiArea->horizontalScrollBar()->isVisible() &&
                form->MdiArea->verticalScrollBar()->isVisible());
    QCOMPARE(messages.Count(), 0);
}

QTEST_MAIN(TestMainFormSafety)
#include "tst_mainform_safety.moc"
