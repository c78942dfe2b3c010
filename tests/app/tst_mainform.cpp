// The main window driven offscreen: file commands through scripted file dialogs, the save question,
// the recent files and the settings, the command line and dropped files, units, the Data and Window
// menus, the analysis run with a test engine library, the text editor and help.
#include "MainFormDriving.h"
#include "app/About.h"
#include "app/EngineRun.h"
#include "app/MainWindow.h"
#include "app/RunProgress.h"
#include "app/TextFiles.h"
#include "dialogs/DataForm.h"
#include "model/SlopeModel.h"
#include "support/MessageRecorder.h"
#include "tables/TableSet.h"
#include "widgets/TableEditor.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <clocale>
#include <cmath>
#include <memory>

using namespace driving;

namespace {
const QString NewCaption = QStringLiteral("Brevanto 2015.4.4 - NewSlope.qvxd");

QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// A data window that only counts: its activation handler loads the model, its deactivation handler
// stores it.
class TFakeDataWindow : public TDataForm {
    Q_OBJECT
  public:
    explicit TFakeDataWindow(IModelHost& host) : TDataForm(host, "FakeDataWindow") {}
    int Activations = 0;
    int Deactivations = 0;

  protected:
    void LoadFromModel(TProgramData&) override { ++Activations; }
    void StoreToModel(TProgramData&) override { ++Deactivations; }
};

QStringList VisibleItems(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        if (a->isVisible() && !a->isSeparator())
            texts << a->text();
    return texts;
}

// "key=value" lines of the test engine's output file.
QString OutputValue(const QByteArray& output, const QString& key) {
    for (const QByteArray& line : output.split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(key + QLatin1Char('=')))
            return text.mid(key.size() + 1);
    }
    return QString();
}
} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void freshStartAndNames();
    void menuItems();
    void fileCommands();
    void oldLayoutAndSaveAsProposal();
    void querySaveAnswers();
    void recentFiles();
    void settingsAtFirstShow();
    void commandLineFile();
    void droppedFile();
    void unitsConvertTheOpenModel();
    void dataMenuMarksAndWindows();
    void windowMenuListsChildren();
    void runSuccessWithPlot();
    void runRefusedAndFailures();
    void runNewModelAndSaveFailure();
    void runTwiceAndWhileRunning();
    void runUsesCNumbersWithoutChangingTheProcess();
    void runWithTheRealEngine();
    void editorLaunch();
    void helpFiles();
    void closeQueryAndAbout();
    void screenshots();

  private:
    TMainForm* MakeForm(TMessageRecorder& messages, const QStringList& arguments = {});
    // The file name of the form's model.
    QString ModelFile() const { return QString::fromStdString(Form->Model()->FileName); }
    std::unique_ptr<TMainForm> Form;
    TScriptedDialogs* Dialogs = nullptr;
    QList<QUrl> Opened;
    QString StartDirectory;
};

TMainForm* TestMainForm::MakeForm(TMessageRecorder& messages, const QStringList& arguments) {
    Form.reset();
    Form = std::make_unique<TMainForm>(arguments);
    messages.Watch(Form.get());
    auto dialogs = std::make_unique<TScriptedDialogs>();
    Dialogs = dialogs.get();
    Form->SetFileDialogs(std::move(dialogs));
    Form->SetProgramFolder(QStringLiteral(TEST_ENGINE_DIR));
    Form->SetUrlOpener([this](const QUrl& url) {
        Opened.append(url);
        return true;
    });
    Form->show();
    return Form.get();
}

void TestMainForm::init() {
    StartDirectory = QDir::currentPath();
    QSettings(QStringLiteral("Keldor"), QStringLiteral("Brevanto")).clear();
    Opened.clear();
}

void TestMainForm::cleanup() {
    Form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(StartDirectory);
}

void TestMainForm::freshStartAndNames() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    QCOMPARE(form->windowTitle(), NewCaption);
    QVERIFY(Form->Model());
    QCOMPARE(&Form->Model()->Host(), static_cast<IModelHost*>(form));
    QCOMPARE(&Form->Model()->Host().Tables(), &form->Tables());
    QCOMPARE(form->size(), QSize(652, 492));
    QVERIFY(!form->IsModified());
    QCOMPARE(form->WordProcessor(), DefaultWordProcessor());
    QCOMPARE(form->RecentCount(), 0);
    QVERIFY(!form->EngineLoaded());
    QVERIFY(form->acceptDrops());
    QVERIFY(QString::fromStdString(form->Tables().BoundCood().Comments())
                .startsWith(QStringLiteral("Up to 100 boundary lines can be defined.\rEach boundary line")));
    QCOMPARE(messages.Count(), 0);

    QCOMPARE(TMainForm::DisplayName(QStringLiteral("c:\\work\\dam.qvd")), QStringLiteral("Dam"));
    QCOMPARE(TMainForm::DisplayName(QStringLiteral("/work/levee.v2.QVD")), QStringLiteral("Levee"));
    QCOMPARE(TMainForm::DisplayName(QStringLiteral("/work/dam.qvxd")), QStringLiteral("Dam.qvxd"));
    QCOMPARE(TMainForm::DisplayName(QStringLiteral("/work/a.qvd")), QStringLiteral("a"));
    QCOMPARE(TMainForm::DisplayName(QStringLiteral("NewSlope.qvxd")), QStringLiteral("NewSlope.qvxd"));

    // Table edits mark the model modified; the host's mark and the tables' marks clear together.
    form->Tables().SoilData().SetChanged(true);
    QVERIFY(form->IsModified());
    form->SetModified(false);
    QVERIFY(!form->IsModified());
    form->SetModified(true);
    QVERIFY(form->IsModified());
}

void TestMainForm::menuItems() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    QStringList titles;
    for (QAction* a : form->menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles, QStringList({"&File", "&Edit", "Da&ta", "&Options", "&Computation", "&View", "&Window",
                                  "&Help"}));

    const QList<QPair<const char*, const char*>> items = {
        {"FileNew", "&New"},
        {"FileOpen", "&Open..."},
        {"FileSave", "&Save"},
        {"FileSaveAs", "Save &As..."},
        {"FileExit", "E&xit"},
        {"EditUndo", "&Undo"},
        {"EditRedo", "&Redo"},
        {"DataTitle", "&Title"},
        {"DataProp", "Slope &Boundary Lines"},
        {"DataAxLoads", "&Soil Properties"},
        {"DataLoading", "Water Surface(s)"},
        {"SurchargeLoad1", "Surcharge Loading"},
        {"EarthquakeLoad1", "Earthquake Loading"},
        {"DataSoilStrength", "Trial Surface Limits (optional)"},
        {"DataPYMod", "Tiebacks (optional)"},
        {"DataPYCurves", "Sets of &Reinforced Earth Layers (optional)"},
        {"FailureSurface1", "User-Defined Failure Surface"},
        {"JanbusMethod1", "Circular Failure Surface Searched by Janbu's Method"},
        {"BishopsMethod1", "Circular Failure Surface Searched by Bishop's Method"},
        {"Irregularfailure1", "Irregular failure Surface Search"},
        {"BlockSearch1", "Block Search Method (random method)"},
        {"SpencersMethod1", "Spencer's Method"},
        {"EnglishUnits", "&English Units (lbs, ft)"},
        {"SIUnits", "&SI Units (kN, m)"},
        {"FLUnits", "&Other Units (F, L)"},
        {"OptionofTexeEditor1", "&Text Editor"},
        {"CompRun", "&Run Analysis"},
        {"CompInput", "Edit I&nput Text"},
        {"CompOutput", "Edit &Output Text"},
        {"CompKernel", "Error-Message Notes"},
        {"CompLive", "&Live Analysis"},
        {"Graphics1", "&Graphics"},
        {"WindowCascade", "&Cascade"},
        {"WindowArrange", "&Arrange Icons"},
        {"HelpContents", "&Contents"},
        {"UsersManual1", "User's Manual"},
        {"TechnicalManual1", "Technical Manual"},
        {"HelpAbout", "&About..."},
        {"CheckforUpdates1", "Check for Updates"},
    };
    for (const auto& [name, caption] : items) {
        auto* action = form->findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY2(action, name);
        QCOMPARE(action->text(), QString::fromLatin1(caption));
    }
    QCOMPARE(form->LoadingMenu->title(), QStringLiteral("Surcharge and Earthquake Loading (optional)"));
    QCOMPARE(form->SearchMenu->title(), QStringLiteral("Failure Surface Search Controls"));
    QCOMPARE(form->UnitsMenu->title(), QStringLiteral("&Units"));
    QCOMPARE(form->FileNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(form->FileOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(form->FileSave->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QVERIFY(form->FileSaveAs->shortcut().isEmpty());
    QCOMPARE(form->EditUndo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(form->EditRedo->shortcuts(),
             QList<QKeySequence>(
                 {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
    QVERIFY(form->CompLive->isCheckable() && form->CompLive->isChecked());

    // The recent files sit between N1 and N14; the Window list after N15.
    const QList<QAction*> file = form->FileMenu->actions();
    QCOMPARE(file.indexOf(form->RecentItems[0]), file.indexOf(form->N1) + 1);
    QCOMPARE(file.indexOf(form->N14), file.indexOf(form->RecentItems[9]) + 1);
    QCOMPARE(form->WindowMenu->actions().size(), 3 + TMainForm::WindowItemCount);

    // With no child window the Window menu shows only Cascade and Arrange Icons.
    OpenMenu(form->WindowMenu);
    QCOMPARE(VisibleItems(form->WindowMenu), QStringList({"&Cascade", "&Arrange Icons"}));
    QVERIFY(!form->N15->isVisible());
    OpenMenu(form->FileMenu);
    QVERIFY(!form->N14->isVisible());
    QCOMPARE(VisibleItems(form->FileMenu),
             QStringList({"&New", "&Open...", "&Save", "Save &As...", "Export &Report...", "E&xit"}));

    // The Units items are radio items; the one of the model is ticked when the submenu opens.
    QVERIFY(form->UnitItems->isExclusive());
    OpenMenu(form->UnitsMenu);
    QVERIFY(form->EnglishUnits->isChecked() && !form->SIUnits->isChecked() && !form->FLUnits->isChecked());

    // A view command is always there; graphics need a plot file.
    OpenMenu(form->ViewMenu);
    QVERIFY(!form->Graphics1->isEnabled());
    QCOMPARE(messages.Count(), 0);
}

void TestMainForm::fileCommands() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString example = CopyExample(dir, QStringLiteral("ExampleDam.qvxd"));
    TMainForm* form = MakeForm(messages);

    Dialogs->Opens << TOpenChoice{example, 0};
    form->FileOpenClick();
    QCOMPARE(ModelFile(), example);
    QCOMPARE(form->windowTitle(), QStringLiteral("Brevanto 2015.4.4 - ExampleDam.qvxd"));
    QCOMPARE(Form->Model()->Title, std::string("Example earth dam - downstream slope, Bishop search"));
    QCOMPARE(form->Tables().SoilData().RowCount(), 3);
    QCOMPARE(Form->Model()->SearchKind, 3);
    QCOMPARE(Canonical(QDir::currentPath()), Canonical(dir.path()));
    QCOMPARE(form->RecentFiles().first(), example);
    QVERIFY(!form->IsModified());
    QVERIFY(Form->Model()->PlotFileName.empty());

    // Save writes the model back to its file; a loaded file that was written by us comes back unchanged.
    const QByteArray original = ReadAll(example);
    form->SetModified(true);
    form->FileSaveClick();
    QVERIFY(!form->IsModified());
    QCOMPARE(ReadAll(example), original);
    QVERIFY(Dialogs->SaveTitles.isEmpty());

    // Save As: title, proposal, the new name in the caption; the plot file name is cleared.
    QFile(dir.filePath(QStringLiteral("ExampleDam.qvxp"))).open(QIODevice::WriteOnly);
    Dialogs->Opens << TOpenChoice{example, 0};
    form->FileOpenClick();
    QVERIFY(!Form->Model()->PlotFileName.empty());
    const QString copy = dir.filePath(QStringLiteral("copy.qvxd"));
    Dialogs->Saves << copy;
    Form->Model()->Title = "Changed title";
    form->FileSaveAsClick();
    QCOMPARE(Dialogs->SaveTitles.last(), QStringLiteral("Save ExampleDam.qvxd As"));
    QCOMPARE(Dialogs->SaveProposals.last(), example);
    QCOMPARE(ModelFile(), copy);
    QCOMPARE(form->windowTitle(), QStringLiteral("Brevanto 2015.4.4 - Copy.qvxd"));
    QVERIFY(ReadAll(copy).contains("\r\nChanged title\r\n"));
    QVERIFY(Form->Model()->PlotFileName.empty());

    // New on an unmodified model asks nothing.
    form->FileNewClick();
    QCOMPARE(form->windowTitle(), NewCaption);
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));
    QCOMPARE(form->Tables().SoilData().RowCount(), 1);

    // Save on a new model goes through Save As proposing the placeholder; cancelling keeps the model.
    form->FileSaveClick();
    QCOMPARE(Dialogs->SaveProposals.last(), QStringLiteral("NewSlope.qvxd"));
    QCOMPARE(Dialogs->SaveTitles.last(), QStringLiteral("Save NewSlope.qvxd As"));
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));

    // A cancelled Open changes nothing.
    form->FileOpenClick();
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));
    QCOMPARE(messages.Count(), 0);

    // A Save As that cannot write keeps the model's name and its modified state, and says why.
    form->SetModified(true);
    Dialogs->Saves << dir.filePath(QStringLiteral("no-such-folder/x.qvxd"));
    form->FileSaveAsClick();
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));
    QCOMPARE(form->windowTitle(), NewCaption);
    QVERIFY(form->IsModified());
    QCOMPARE(messages.Count(), 1);
    QCOMPARE(messages.Messages().first().Kind, TMsgKind::Error);
}

void TestMainForm::oldLayoutAndSaveAsProposal() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString old = CopyInto(dir, TestData("model/old-layout.qvd"), QStringLiteral("levee.qvd"));
    TMainForm* form = MakeForm(messages);

    // The third filter reads the 2.0 layout.
    Dialogs->Opens << TOpenChoice{old, OldLayoutFilter};
    form->FileOpenClick();
    QCOMPARE(form->windowTitle(), QStringLiteral("Brevanto 2015.4.4 - Levee"));
    QCOMPARE(QByteArray::fromStdString(Form->Model()->FileText()),
             ReadAll(TestData("model/old-layout-converted.qvxd")));

    // The last chosen filter is preselected next time and decides for recent-file opens too.
    form->FileNewClick();
    form->RecentFileClick(0);
    QCOMPARE(ModelFile(), old);
    QCOMPARE(QByteArray::fromStdString(Form->Model()->FileText()),
             ReadAll(TestData("model/old-layout-converted.qvxd")));
    form->FileOpenClick();
    QCOMPARE(Dialogs->OpenFilters.last(), OldLayoutFilter);

    // Save of a ".qvd" model proposes the same name with ".qvxd".
    form->FileSaveClick();
    QCOMPARE(Dialogs->SaveProposals.last(), dir.filePath(QStringLiteral("levee.qvxd")));
    QCOMPARE(Dialogs->SaveTitles.last(), QStringLiteral("Save Levee As"));
    QCOMPARE(ModelFile(), old);
    QCOMPARE(messages.Count(), 0);
}

void TestMainForm::querySaveAnswers() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString example = CopyExample(dir, QStringLiteral("ExampleDam.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(example);

    QVERIFY(form->QuerySave()); // unmodified: no question
    QCOMPARE(messages.Count(), 0);

    // Cancel keeps the model.
    Form->Model()->Title = "Edited";
    form->SetModified(true);
    messages.QueueAnswer(TMsgAnswer::Cancel);
    form->FileNewClick();
    QCOMPARE(messages.LastText(), QStringLiteral("Do you want to save any changes?"));
    QCOMPARE(messages.Messages().last().Kind, TMsgKind::Question);
    QCOMPARE(ModelFile(), example);
    QCOMPARE(Form->Model()->Title, std::string("Edited"));

    // Yes saves, then goes on.
    messages.QueueAnswer(TMsgAnswer::Yes);
    form->FileNewClick();
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));
    QVERIFY(ReadAll(example).contains("\r\nEdited\r\n"));

    // No discards the changes.
    form->OpenFileName(example);
    Form->Model()->Title = "Discarded";
    form->SetModified(true);
    messages.QueueAnswer(TMsgAnswer::No);
    form->FileNewClick();
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));
    QVERIFY(!ReadAll(example).contains("Discarded"));

    // Yes on a new model followed by a cancelled Save As keeps the model.
    Form->Model()->Title = "Unsaved";
    form->SetModified(true);
    messages.QueueAnswer(TMsgAnswer::Yes);
    QVERIFY(!form->QuerySave());
    QCOMPARE(Form->Model()->Title, std::string("Unsaved"));

    // Yes with a save that fails: the changes are not lost.
    form->OpenFileName(example);
    Form->Model()->Title = "Cannot be written";
    form->SetModified(true);
    QFile::remove(example);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ExampleDam.qvxd"))); // a folder where the file was
    messages.Clear();
    messages.QueueAnswer(TMsgAnswer::Yes);
    QVERIFY(!form->QuerySave());
    QCOMPARE(messages.Count(), 2);
    QCOMPARE(messages.Messages().last().Kind, TMsgKind::Error);
    QCOMPARE(Form->Model()->Title, std::string("Cannot be written"));
    QVERIFY(form->IsModified());
}

void TestMainForm::recentFiles() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    QStringList files;
    for (int i = 1; i <= 11; ++i)
        files << CopyExample(dir, QStringLiteral("dam%1.qvxd").arg(i));
    TMainForm* form = MakeForm(messages);
    QSettings settings(QStringLiteral("Keldor"), QStringLiteral("Brevanto"));

    form->OpenFileName(files[0]);
    form->OpenFileName(files[1]);
    form->OpenFileName(files[2]);
    QCOMPARE(form->RecentFiles().mid(0, 4), QStringList({files[2], files[1], files[0], QString()}));
    QCOMPARE(form->RecentCount(), 3);
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("2015.4.4/File1")).toString(), files[2]);
    QCOMPARE(settings.value(QStringLiteral("2015.4.4/File3")).toString(), files[0]);

    // Entry 3 moves to the top; the ones above it move down.
    form->OpenFileName(files[0]);
    QCOMPARE(form->RecentFiles().mid(0, 3), QStringList({files[0], files[2], files[1]}));

    // Opening entry 1 again writes nothing.
    settings.setValue(QStringLiteral("2015.4.4/File1"), QStringLiteral("marker"));
    settings.sync();
    form->OpenFileName(files[0]);
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("2015.4.4/File1")).toString(), QStringLiteral("marker"));

    // The menu: numbered, files of the current folder by name, N14 shown.
    OpenMenu(form->FileMenu);
    QCOMPARE(form->RecentItems[0]->text(), QStringLiteral("&1 dam1.qvxd"));
    QCOMPARE(form->RecentItems[2]->text(), QStringLiteral("&3 dam2.qvxd"));
    QVERIFY(form->RecentItems[2]->isVisible() && !form->RecentItems[3]->isVisible());
    QVERIFY(form->N14->isVisible());
    QTemporaryDir elsewhere;
    QDir::setCurrent(elsewhere.path());
    OpenMenu(form->FileMenu);
    QCOMPARE(form->RecentItems[0]->text(), QStringLiteral("&1 ") + QDir::toNativeSeparators(files[0]));

    // With the list full an eleventh file drops the oldest.
    for (int i = 0; i < 11; ++i)
        form->OpenFileName(files[i]);
    QCOMPARE(form->RecentCount(), 10);
    QCOMPARE(form->RecentFiles().first(), files[10]);
    QCOMPARE(form->RecentFiles().last(), files[1]);
    QVERIFY(!form->RecentFiles().contains(files[0]));
    OpenMenu(form->FileMenu);
    QVERIFY(form->RecentItems[9]->text().startsWith(QStringLiteral("1&0 ")));

    // Choosing an item opens that file.
    form->RecentItems[4]->trigger();
    QCOMPARE(ModelFile(), files[6]);
    QCOMPARE(form->RecentFiles().first(), files[6]);

    // A name holding "&" is shown as it is.
    const QString ampersand = CopyExample(dir, QStringLiteral("a&b.qvxd"));
    form->OpenFileName(ampersand);
    OpenMenu(form->FileMenu);
    QCOMPARE(form->RecentItems[0]->text(), QStringLiteral("&1 a&&b.qvxd"));
    QCOMPARE(messages.Count(), 0);
}

void TestMainForm::settingsAtFirstShow() {
    TMessageRecorder messages;
    {
        QSettings settings(QStringLiteral("Keldor"), QStringLiteral("Brevanto"));
        settings.setValue(QStringLiteral("2015.4.4/Word Processor"), QStringLiteral("/opt/my editor/edit"));
        settings.setValue(QStringLiteral("2015.4.4/File1"), QStringLiteral("/data/one.qvxd"));
        settings.setValue(QStringLiteral("2015.4.4/File2"), QStringLiteral("/data/two.qvxd"));
    }
    TMainForm* form = MakeForm(messages);
    QCOMPARE(form->WordProcessor(), QStringLiteral("/opt/my editor/edit"));
    QCOMPARE(form->RecentCount(), 2);
    QCOMPARE(form->RecentFiles().mid(0, 2), QStringList({"/data/one.qvxd", "/data/two.qvxd"}));

    // The window's size and place come back; the settings are written on closing.
    form->resize(800, 600);
    form->SetWordProcessor(QStringLiteral("/usr/bin/other"));
    form->close();
    QVERIFY(!form->isVisible());
    {
        QSettings settings(QStringLiteral("Keldor"), QStringLiteral("Brevanto"));
        QCOMPARE(settings.value(QStringLiteral("2015.4.4/Word Processor")).toString(),
                 QStringLiteral("/usr/bin/other"));
        QCOMPARE(settings.value(QStringLiteral("2015.4.4/File2")).toString(),
                 QStringLiteral("/data/two.qvxd"));
        QVERIFY(settings.contains(QStringLiteral("2015.4.4/File10")));
    }
    form = MakeForm(messages);
    QCOMPARE(form->size(), QSize(800, 600));

    // An empty editor setting falls back to the default editor.
    {
        QSettings settings(QStringLiteral("Keldor"), QStringLiteral("Brevanto"));
        settings.setValue(QStringLiteral("2015.4.4/Word Processor"), QString());
    }
    form = MakeForm(messages);
    QCOMPARE(form->WordProcessor(), DefaultWordProcessor());

    // A store that cannot be read: no editor path (the default one is started) and no recent files.
    const QString path = QSettings(QStringLiteral("Keldor"), QStringLiteral("Brevanto")).fileName();
    Form.reset();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[2015.4.4]\nFile1=/data/one.qvxd\n\"Word Processor=x\n[unclosed\n");
    }
    form = MakeForm(messages);
    QCOMPARE(form->RecentCount(), 0);
    QVERIFY(form->WordProcessor().isEmpty());
    QCOMPARE(form->EditorProgram(), DefaultWordProcessor());
    QCOMPARE(messages.Count(), 0);
}

void TestMainForm::commandLineFile() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    CopyInto(dir, TestData("plot/full.qvxp"), QStringLiteral("dam.qvxp"));

    // "dam" means dam.qvxd; its plot file is found.
    MakeForm(messages, {dir.filePath(QStringLiteral("dam"))});
    QCOMPARE(ModelFile(), dam);
    QCOMPARE(Form->windowTitle(), QStringLiteral("Brevanto 2015.4.4 - Dam.qvxd"));
    QCOMPARE(QString::fromStdString(Form->Model()->PlotFileName), dir.filePath(QStringLiteral("dam.qvxp")));
    QVERIFY(!Form->IsModified());
    QCOMPARE(Form->RecentCount(), 0);
    OpenMenu(Form->ViewMenu);
    QVERIFY(Form->Graphics1->isEnabled());

    // A relative name is taken from the current folder and kept as a full path.
    QDir::setCurrent(dir.path());
    MakeForm(messages, {QStringLiteral("dam.qvxd")});
    QCOMPARE(Canonical(ModelFile()), Canonical(dam));
    QVERIFY(QFileInfo(ModelFile()).isAbsolute());

    // A missing file: a new model.
    MakeForm(messages, {dir.filePath(QStringLiteral("levee"))});
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));
    QCOMPARE(Form->windowTitle(), NewCaption);
    QCOMPARE(messages.Count(), 0);
}

void TestMainForm::droppedFile() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dropped.qvxd"));
    TMainForm* form = MakeForm(messages);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dam)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &enter);
    QVERIFY(enter.isAccepted());

    // A modified model and Cancel: nothing is loaded, but the drop counts as handled.
    form->SetModified(true);
    messages.QueueAnswer(TMsgAnswer::Cancel);
    QDropEvent cancelled(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &cancelled);
    QVERIFY(cancelled.isAccepted());
    QCOMPARE(ModelFile(), QStringLiteral("NewSlope.qvxd"));

    messages.QueueAnswer(TMsgAnswer::No);
    QDragEnterEvent again(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &again); // every drop follows its own drag
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &drop);
    QCOMPARE(ModelFile(), dam);
    QCOMPARE(form->windowTitle(), QStringLiteral("Brevanto 2015.4.4 - Dropped.qvxd"));
    QCOMPARE(Canonical(QDir::currentPath()), Canonical(dir.path()));
    QCOMPARE(form->RecentCount(), 0); // a dropped file does not enter the recent files
    QCOMPARE(messages.Count(), 2);

    // Something that is not a local file is not accepted.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/x.qvxd"))});
    QDragEnterEvent webEnter(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    webEnter.setAccepted(false);
    QApplication::sendEvent(form, &webEnter);
    QVERIFY(!webEnter.isAccepted());
}

void TestMainForm::unitsConvertTheOpenModel() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(dam);
    TGridTable& bound = form->Tables().BoundCood();
    QCOMPARE(double(bound.Cell(1, 0).GetFloat()), 50.0);
    QCOMPARE(double(Form->Model()->WaterUnitWeight), 62.4);

    form->SIUnits->trigger();
    QCOMPARE(Form->Model()->UnitSystem, 2);
    const double water = 62.4 * 0.004448222468060650624 / std::pow(0.3048, 3);
    QVERIFY(std::abs(double(Form->Model()->WaterUnitWeight) - water) < 1e-9);
    QVERIFY(std::abs(double(bound.Cell(1, 0).GetFloat()) - 50 * 0.3048) < 1e-9);
    QVERIFY(std::abs(double(Form->Model()->SegmentLength) - 6 * 0.3048) < 1e-12);
    QVERIFY(form->IsModified());
    OpenMenu(form->UnitsMenu);
    QVERIFY(form->SIUnits->isChecked() && !form->EnglishUnits->isChecked());

    // To and from "other" units only labels change.
    form->SetModified(false);
    form->FLUnits->trigger();
    QCOMPARE(Form->Model()->UnitSystem, 3);
    QVERIFY(std::abs(double(bound.Cell(1, 0).GetFloat()) - 50 * 0.3048) < 1e-9);
    QVERIFY(form->IsModified());
    OpenMenu(form->UnitsMenu);
    QVERIFY(form->FLUnits->isChecked() && !form->SIUnits->isChecked());

    // The system already in force: nothing changes, nothing to save.
    form->SetModified(false);
    form->FLUnits->trigger();
    QVERIFY(!form->IsModified());
    QVERIFY(ReadAll(dam).contains("\r\n7 5 1\r\n"));
    form->FileSaveClick();
    QVERIFY(ReadAll(dam).contains("\r\n7 5 3\r\n"));
    QCOMPARE(messages.Count(), 0);
}

void TestMainForm::dataMenuMarksAndWindows() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    OpenMenu(form->DataMenu);
    for (QAction* item : form->SearchMenu->actions())
        QVERIFY(!item->isChecked());
    QVERIFY(!form->SurchargeLoad1->isChecked() && !form->EarthquakeLoad1->isChecked());

    // Each search command sets the model's search fields and ticks its item only.
    form->JanbusMethod1->trigger();
    QCOMPARE(Form->Model()->SearchKind, 2);
    QVERIFY(Form->Model()->HasJanbuSearch && !Form->Model()->HasBishopSearch);
    QVERIFY(form->IsModified());
    form->BishopsMethod1->trigger();
    QCOMPARE(Form->Model()->SearchKind, 3);
    QVERIFY(Form->Model()->HasBishopSearch && !Form->Model()->HasJanbuSearch &&
            !Form->Model()->HasSpencerSearch);
    form->SpencersMethod1->trigger();
    QCOMPARE(Form->Model()->SearchKind, 6);
    QVERIFY(Form->Model()->HasSpencerSearch && !Form->Model()->HasBishopSearch);
    form->BlockSearch1->trigger();
    QCOMPARE(Form->Model()->SearchKind, 5);
    QVERIFY(Form->Model()->HasBlockSearch && !Form->Model()->HasSpencerSearch);
    form->Irregularfailure1->trigger();
    QCOMPARE(Form->Model()->SearchKind, 4);
    QVERIFY(Form->Model()->HasIrregularSearch && !Form->Model()->HasBlockSearch);
    QVERIFY(form->Irregularfailure1->isChecked());
    const QList<QAction*> searchItems = form->SearchMenu->actions();
    QCOMPARE(std::count_if(searchItems.begin(), searchItems.end(), [](QAction* a) { return a->isChecked(); }),
             1);
    QVERIFY(QByteArray::fromStdString(Form->Model()->FileText()).contains("\r\nRANDOM\r\n"));

    // The user-defined surface opens its table editor.
    form->FailureSurface1->trigger();
    QCOMPARE(Form->Model()->SearchKind, 1);
    QVERIFY(Form->Model()->HasUserSurface);
    auto* surfaceEditor = dynamic_cast<TTableForm*>(form->Tables().FailSurfaceChart().Editor());
    QVERIFY(surfaceEditor);
    QVERIFY(qobject_cast<QMdiSubWindow*>(surfaceEditor->parentWidget()));
    QVERIFY(form->FailureSurface1->isChecked() && !form->Irregularfailure1->isChecked());

    // The marks follow the model when the menus open.
    Form->Model()->SearchKind = 3;
    Form->Model()->HasSurcharge = 1;
    OpenMenu(form->DataMenu);
    QVERIFY(form->BishopsMethod1->isChecked() && !form->FailureSurface1->isChecked());
    QVERIFY(form->SurchargeLoad1->isChecked() && !form->EarthquakeLoad1->isChecked());
    Form->Model()->SearchKind = 6;
    OpenMenu(form->SearchMenu);
    QVERIFY(form->SpencersMethod1->isChecked() && !form->BishopsMethod1->isChecked());
    Form->Model()->HasSurcharge = 0;
    form->SurchargeLoad1->trigger();
    QVERIFY(!form->SurchargeLoad1->isChecked());

    // Soil Properties opens the soil table's editor; a second command brings the same window back.
    const auto childrenBefore = form->MdiArea->subWindowList().size();
    form->DataAxLoads->trigger();
    auto* soilEditor = dynamic_cast<TTableForm*>(form->Tables().SoilData().Editor());
    QVERIFY(soilEditor);
    form->DataAxLoads->trigger();
    QCOMPARE(form->Tables().SoilData().Editor(), static_cast<ITableEditor*>(soilEditor));
    QCOMPARE(form->MdiArea->subWindowList().size(), childrenBefore + 1);

    // Data windows: single-instance ones come back to the front, the others are new each time; the
    // active one's deactivation handler runs when a menu opens, its activation handler on activation.
    int made = 0;
    for (TDataWindow w : {TDataWindow::Title, TDataWindow::WaterSurface, TDataWindow::TextEditorOption,
                          TDataWindow::SlopeBoundary})
        form->SetDataWindowMaker(w, [&made](TMainForm& host) {
            ++made;
            return new TFakeDataWindow(host);
        });
    form->DataTitle->trigger();
    auto* title = qobject_cast<TFakeDataWindow*>(form->DataWindow(TDataWindow::Title));
    QVERIFY(title);
    form->DataTitle->trigger();
    QCOMPARE(made, 1);
    QCOMPARE(form->MdiArea->currentSubWindow()->widget(), title);
    QVERIFY(title->Activations >= 1);
    const int before = title->Deactivations;
    OpenMenu(form->FileMenu);
    QCOMPARE(title->Deactivations, before + 1);
    OpenMenu(form->ViewMenu); // the View menu leaves the active window alone
    QCOMPARE(title->Deactivations, before + 1);

    form->DataLoading->trigger();
    form->DataLoading->trigger();
    QCOMPARE(made, 3);
    QVERIFY(!form->DataWindow(TDataWindow::WaterSurface));
    QVERIFY(title->Deactivations > before + 1); // it stopped being the active window

    // Each activation change runs the handlers once: the window that becomes active loads the model
    // once, the one that stops being active stores it once.
    auto* titleSub = qobject_cast<QMdiSubWindow*>(title->parentWidget());
    QMdiSubWindow* otherSub = form->MdiArea->currentSubWindow();
    QVERIFY(titleSub && otherSub && otherSub != titleSub);
    auto* other = qobject_cast<TFakeDataWindow*>(otherSub->widget());
    QVERIFY(other);
    const int titleLoads = title->Activations, titleStores = title->Deactivations;
    const int otherLoads = other->Activations, otherStores = other->Deactivations;
    form->MdiArea->setActiveSubWindow(titleSub);
    QCOMPARE(title->Activations, titleLoads + 1);
    QCOMPARE(title->Deactivations, titleStores);
    QCOMPARE(other->Deactivations, otherStores + 1);
    QCOMPARE(other->Activations, otherLoads);
    form->MdiArea->setActiveSubWindow(otherSub);
    QCOMPARE(title->Deactivations, titleStores + 1);
    QCOMPARE(title->Activations, titleLoads + 1);
    QCOMPARE(other->Activations, otherLoads + 1);

    // A unit switch refreshes the open text-editor option and slope boundary windows.
    form->OptionofTexeEditor1->trigger();
    auto* option = qobject_cast<TFakeDataWindow*>(form->DataWindow(TDataWindow::TextEditorOption));
    QVERIFY(option);
    const int activations = option->Activations;
    form->SIUnits->trigger();
    QCOMPARE(option->Activations, activations + 1);

    // A closed single-instance window is made again by its next command.
    form->MdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(title->parentWidget()));
    form->MdiArea->closeActiveSubWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!form->DataWindow(TDataWindow::Title));
    form->DataTitle->trigger();
    QCOMPARE(made, 5);

    // The commands whose maker the test left alone open the program's data windows.
    const int children = static_cast<int>(form->MdiArea->subWindowList().size());
    form->DataPYMod->trigger();
    form->DataPYCurves->trigger();
    form->EarthquakeLoad1->trigger();
    QCOMPARE(form->MdiArea->subWindowList().size(), children + 3);
    QCOMPARE(form->MdiArea->currentSubWindow()->widget()->objectName(), QStringLiteral("TDlgEarthquake"));

    // A new model closes every child window.
    form->SetModified(false);
    form->FileNewClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(form->MdiArea->subWindowList().isEmpty());
    QCOMPARE(messages.Count(), 0);
}

void TestMainForm::windowMenuListsChildren() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    form->DataAxLoads->trigger();
    form->Tables().BoundCood().Edit();
    const QList<QMdiSubWindow*> children = form->MdiArea->subWindowList(QMdiArea::CreationOrder);
    QCOMPARE(children.size(), 2);

    OpenMenu(form->WindowMenu);
    QVERIFY(form->N15->isVisible());
    QCOMPARE(
        VisibleItems(form->WindowMenu),
        QStringList({"&Cascade", "&Arrange Icons", children[0]->windowTitle(), children[1]->windowTitle()}));
    QVERIFY(children[0]->windowTitle().startsWith(QStringLiteral("Soil Properties")));
    // The boundary table's comment is shown line by line.
    auto* boundaryEditor = qobject_cast<TTableForm*>(children[1]->widget());
    QVERIFY(boundaryEditor);
    QVERIFY(boundaryEditor->lblComments->text().startsWith(
        QStringLiteral("Up to 100 boundary lines can be defined.\nEach boundary line")));
    QVERIFY(form->WindowItems[1]->isChecked()); // the boundary editor, opened last, is active

    form->WindowItems[0]->trigger();
    QCOMPARE(form->MdiArea->currentSubWindow(), children[0]);

    // Arrange Icons lines the minimized windows up along the bottom.
    children[0]->showMinimized();
    children[1]->showMinimized();
    form->WindowArrange->trigger();
    QCOMPARE(children[0]->y(), children[1]->y());
    QCOMPARE(children[0]->y() + children[0]->height(), form->MdiArea->viewport()->height());
    QVERIFY(children[1]->x() >= children[0]->x() + children[0]->width());
    form->WindowItems[1]->trigger();
    QVERIFY(!children[1]->isMinimized());
    form->WindowCascade->trigger();

    form->CloseAllChildren();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    OpenMenu(form->WindowMenu);
    QCOMPARE(VisibleItems(form->WindowMenu), QStringList({"&Cascade", "&Arrange Icons"}));
    QCOMPARE(messages.Count(), 0);

    // The program ends with an active child window: the area's last activation signal, sent while the
    // window is half destroyed, must not reach it (the sanitizer build sees it when it does).
    form->DataAxLoads->trigger();
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    QVERIFY(form->MdiArea->activeSubWindow());
    Form.reset();
}

void TestMainForm::runSuccessWithPlot() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    // Stale results of an earlier run are deleted before the engine starts.
    QFile(dir.filePath(QStringLiteral("dam.qvxr"))).open(QIODevice::WriteOnly);
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(dam);
    OpenMenu(form->ComputationMenu);
    QVERIFY(form->CompRun->isEnabled() && form->CompInput->isEnabled());
    QVERIFY(!form->CompOutput->isEnabled() && !form->CompKernel->isEnabled());
    Form->Model()->Title = "Run title";
    form->SetModified(true);

    TEngineSetup engine("0", TestData("plot/full.qvxp").toUtf8());
    const QString before = QDir::currentPath();
    bool dialogSeen = false;
    messages.OnMessage = [&](const TMsgRequest&) {
        // The completion message comes after the progress dialog has gone.
        dialogSeen = QApplication::activeModalWidget() != nullptr;
    };
    form->CompRun->trigger();

    QCOMPARE(messages.Texts(), QStringList({QString::fromLatin1(MsgCompleted)}));
    QVERIFY(!dialogSeen);
    QVERIFY(!form->EngineLoaded());
    QVERIFY(!form->IsModified());
    QVERIFY(ReadAll(dam).contains("\r\nRun title\r\n")); // saved before the run
    const QByteArray output = ReadAll(dir.filePath(QStringLiteral("dam.qvxo")));
    QCOMPARE(OutputValue(output, QStringLiteral("calls")), QStringLiteral("1"));
    QCOMPARE(OutputValue(output, QStringLiteral("argument")), QStringLiteral("4"));
    QCOMPARE(OutputValue(output, QStringLiteral("names1")), QStringLiteral("2015.4.4"));
    QCOMPARE(OutputValue(output, QStringLiteral("names5")), QDir::toNativeSeparators(dam));
    QCOMPARE(OutputValue(output, QStringLiteral("names6")),
             QDir::toNativeSeparators(dir.filePath("dam.qvxo")));
    QCOMPARE(OutputValue(output, QStringLiteral("names7")),
             QDir::toNativeSeparators(dir.filePath("dam.qvxp")));
    QCOMPARE(OutputValue(output, QStringLiteral("names8")),
             QDir::toNativeSeparators(dir.filePath("dam.qvxr")));
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("dam.qvxr"))), QByteArray("{}\n"));

    // The hand-off file lay in a private folder that was the current directory during the call only,
    // not in the program's folder; the folder is gone afterwards.
    const QString runFolder = OutputValue(output, QStringLiteral("cwd"));
    QVERIFY(!runFolder.isEmpty());
    QVERIFY(Canonical(runFolder) != Canonical(QStringLiteral(TEST_ENGINE_DIR)));
    QVERIFY(!QFileInfo::exists(runFolder));
    QVERIFY(!QFileInfo::exists(QStringLiteral(TEST_ENGINE_DIR "/names.dat")));
    QCOMPARE(QDir::currentPath(), before);

    // The plot file enables the graph command; the output file the two text commands.
    QCOMPARE(QString::fromStdString(Form->Model()->PlotFileName), dir.filePath(QStringLiteral("dam.qvxp")));
    OpenMenu(form->ViewMenu);
    QVERIFY(form->Graphics1->isEnabled());
    QVERIFY(!form->Graphics1->isChecked());
    OpenMenu(form->ComputationMenu);
    QVERIFY(form->CompOutput->isEnabled() && form->CompKernel->isEnabled());
    form->Graphics1->trigger();
    QVERIFY(form->GraphWindow());
    QVERIFY(qobject_cast<QMdiSubWindow*>(form->GraphWindow()->parentWidget()));
    OpenMenu(form->ViewMenu);
    QVERIFY(form->Graphics1->isChecked());
    form->Graphics1->trigger(); // the same window again
    QCOMPARE(form->MdiArea->subWindowList().size(), 1);
    QCOMPARE(messages.Count(), 1);

    // A run whose engine writes no plot file leaves no plot file name behind (the old file was deleted).
    TEngineSetup noPlot("0");
    form->CompRun->trigger();
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("dam.qvxp"))));
    QVERIFY(Form->Model()->PlotFileName.empty());
    OpenMenu(form->ViewMenu);
    QVERIFY(!form->Graphics1->isEnabled());
    QCOMPARE(messages.Count(), 2);
}

void TestMainForm::runRefusedAndFailures() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(dam);

    // Result 1: the engine refused; no plot file name.
    {
        TEngineSetup engine("1", TestData("plot/full.qvxp").toUtf8());
        form->CompRun->trigger();
    }
    QCOMPARE(messages.Count(), 1);
    QVERIFY(messages.LastText().startsWith(
        QStringLiteral("Computations can not be performed. Executable files are not consistent.\r"
                       "You may need to reinstall the program.\r")));
    QVERIFY(!messages.LastText().contains(QStringLiteral("@")));
    QVERIFY(Form->Model()->PlotFileName.empty());
    QVERIFY(!form->EngineLoaded());

    // No library in the program's folder.
    QTemporaryDir empty;
    form->SetProgramFolder(empty.path());
    const QString staleOutput = dir.filePath(QStringLiteral("dam.qvxo"));
    QVERIFY(QFileInfo::exists(staleOutput));
    form->CompRun->trigger();
    QCOMPARE(messages.Count(), 2);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("Attempt to initialize DLL failed\r")));
    QVERIFY(messages.LastText().contains(QDir::toNativeSeparators(EngineLibraryPath(empty.path()))));
    QVERIFY(!QFileInfo::exists(staleOutput)); // the old results went before the library was tried
    QVERIFY(!QFileInfo::exists(empty.filePath(QStringLiteral("names.dat"))));
    QVERIFY(!form->EngineLoaded());

    // A library without the entry point.
    form->SetProgramFolder(QStringLiteral(TEST_ENGINE_NOENTRY_DIR));
    form->CompRun->trigger();
    QCOMPARE(messages.Count(), 3);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("Attempt to initialize DLL failed")));
    QVERIFY(!QFileInfo::exists(staleOutput));
    QVERIFY(!form->EngineLoaded());

    // A file that is not a library at all.
    QTemporaryDir broken;
    QFile fake(EngineLibraryPath(broken.path()));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("not a library");
    fake.close();
    form->SetProgramFolder(broken.path());
    form->CompRun->trigger();
    QCOMPARE(messages.Count(), 4);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("Attempt to initialize DLL failed\r")));

    // The library wrapper itself.
    TDynamicLibrary missing(empty.filePath(QStringLiteral("none.so")));
    QVERIFY_THROWS_EXCEPTION(EFileNotFoundError, missing.Load());
    QVERIFY_THROWS_EXCEPTION(EDLLNotOpenError, missing.EntryPoint("_IQUOLM"));
    TDynamicLibrary notLibrary(EngineLibraryPath(broken.path()));
    notLibrary.Load(); // loads nothing and raises nothing
    QVERIFY(!notLibrary.Loaded());
    QVERIFY(!notLibrary.ErrorString().isEmpty());
    try {
        notLibrary.EntryPoint("_IQUOLM");
        QFAIL("no exception");
    } catch (const EDLLError& e) {
        QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("Library is not open"));
    }
    TDynamicLibrary noEntry(EngineLibraryPath(QStringLiteral(TEST_ENGINE_NOENTRY_DIR)));
    noEntry.Load();
    QVERIFY(noEntry.Loaded());
    QVERIFY(!noEntry.EntryPoint("_IQUOLM"));
    QVERIFY(noEntry.EntryPoint("OtherEntry"));
    noEntry.SetPath(QStringLiteral("elsewhere"));
    QVERIFY(!noEntry.Loaded());
    QCOMPARE(QString::fromLatin1(EInitError().what()),
             QStringLiteral("Library failed to properly initialize"));
    QCOMPARE(QString::fromLatin1(EFileNotFoundError().what()),
             QStringLiteral("Library could not be located"));
}

void TestMainForm::runNewModelAndSaveFailure() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    TEngineSetup engine("0");

    // A new model goes through Save As; cancelling it ends the command without a message or a file.
    form->CompRun->trigger();
    QCOMPARE(Dialogs->SaveTitles.size(), 1);
    QCOMPARE(messages.Count(), 0);
    QVERIFY(!form->RunAfterSave);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // Confirmed: saved, then run.
    const QString path = dir.filePath(QStringLiteral("slope.qvxd"));
    Dialogs->Saves << path;
    form->CompRun->trigger();
    QCOMPARE(ModelFile(), path);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(messages.Texts(), QStringList({QString::fromLatin1(MsgCompleted)}));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("slope.qvxo"))));

    // A save that fails stops the run: the engine must not analyse an older file than the one shown.
    QFile::remove(dir.filePath(QStringLiteral("slope.qvxo")));
    QFile::remove(path);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("slope.qvxd")));
    form->SetModified(true);
    form->CompRun->trigger();
    QCOMPARE(messages.Count(), 2);
    QVERIFY(messages.LastText().startsWith(QStringLiteral("An error occured during saving\r")));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("slope.qvxo"))));
    QVERIFY(form->IsModified());
}

void TestMainForm::runTwiceAndWhileRunning() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(dam);

    // The library is unloaded after each run: the second run meets a freshly loaded engine.
    TEngineSetup engine("0");
    form->CompRun->trigger();
    form->CompRun->trigger();
    QCOMPARE(messages.Texts(),
             QStringList({QString::fromLatin1(MsgCompleted), QString::fromLatin1(MsgCompleted)}));
    QCOMPARE(OutputValue(ReadAll(dir.filePath(QStringLiteral("dam.qvxo"))), QStringLiteral("calls")),
             QStringLiteral("1"));

    // During a run the window keeps processing events behind an application-modal progress dialog, and
    // a second run is refused before it touches any file.
    messages.Clear();
    TEngineSetup slow("0", {}, 600);
    QPointer<TRunProgressDialog> progress;
    QString busyText;
    bool busy = false;
    QTimer::singleShot(150, form, [&] {
        progress = qobject_cast<TRunProgressDialog*>(QApplication::activeModalWidget());
        if (progress) {
            busyText = progress->lblMessage->text();
            busy = progress->Bar->minimum() == 0 && progress->Bar->maximum() == 0;
            QVERIFY(progress->isModal());
        }
        QVERIFY(form->EngineLoaded());
        const QByteArray input = ReadAll(dam);
        Form->Model()->Title = "Changed during the run";
        form->SetModified(true);
        form->CompRun->trigger();
        QCOMPARE(ReadAll(dam), input);
    });
    form->CompRun->trigger();
    QVERIFY(progress.isNull()); // gone with the run
    QCOMPARE(busyText, QStringLiteral("Running analysis..."));
    QVERIFY(busy);
    QCOMPARE(messages.Texts(),
             QStringList({QString::fromLatin1(MsgReinitialize), QString::fromLatin1(MsgCompleted)}));
    QVERIFY(!form->EngineLoaded());
    QCOMPARE(TRunProgressDialog::ElapsedText(83500), QStringLiteral("Elapsed time: 1:23"));
}

void TestMainForm::runUsesCNumbersWithoutChangingTheProcess() {
    // The engine's thread formats numbers as the "C" locale does, while the process keeps its own
    // locale: one with a decimal comma when one is installed, else at least a named one other than "C".
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8", "C.UTF-8", "C.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            found = name;
            break;
        }
    if (!found)
        QSKIP("no locale other than C is installed");
    const std::string process = std::setlocale(LC_NUMERIC, nullptr);
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(dam);
    TEngineSetup engine("0");
    form->CompRun->trigger();
    const QByteArray output = ReadAll(dir.filePath(QStringLiteral("dam.qvxo")));
    const std::string after = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, previous.c_str());
    QCOMPARE(OutputValue(output, QStringLiteral("number")), QStringLiteral("1.5"));
    QCOMPARE(OutputValue(output, QStringLiteral("numeric-locale")), QStringLiteral("C"));
    QCOMPARE(after, process);
    QVERIFY(process != "C");
}

void TestMainForm::runWithTheRealEngine() {
    // The engine library built beside the program, on the bundled example.
    const QString program = QStringLiteral(BREVANTO_PROGRAM_DIR);
    if (!QFileInfo::exists(EngineLibraryPath(program)))
        QSKIP("this build has no engine library");
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->SetProgramFolder(program);
    form->OpenFileName(dam);
    form->CompRun->trigger();
    // The example's answer (Bishop's simplified method on its circular search) follows the message.
    QCOMPARE(messages.Count(), 1);
    QVERIFY2(messages.LastText().startsWith(QString::fromLatin1(MsgCompleted) +
                                            QStringLiteral("\r\rFactor of safety ")),
             qPrintable(messages.LastText()));
    QVERIFY(messages.LastText().endsWith(QStringLiteral(" \u2014 Bishop's simplified method")));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("dam.qvxo"))).size() > 0);
    // The plot file is there when the engine got far enough; the graph command follows it.
    const QString plot = dir.filePath(QStringLiteral("dam.qvxp"));
    QCOMPARE(QString::fromStdString(Form->Model()->PlotFileName), QFileInfo::exists(plot) ? plot : QString());
    OpenMenu(form->ViewMenu);
    QCOMPARE(form->Graphics1->isEnabled(), QFileInfo::exists(plot));
}

void TestMainForm::editorLaunch() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("my editor")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("my slopes")));
    const QString record = dir.filePath(QStringLiteral("record.txt"));
    const QString editor = dir.filePath(QStringLiteral("my editor/fake editor.sh"));
    {
        QFile script(editor);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                .arg(record)
                .toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    const QString dam = CopyExample(dir, QStringLiteral("my slopes/dam with blanks.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(dam);
    form->SetWordProcessor(editor);

    // The editor gets the file as one argument, blanks and all, without a shell in between.
    OpenMenu(form->ComputationMenu);
    QVERIFY(form->CompInput->isEnabled());
    form->CompInput->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), 10000);
    QCOMPARE(QString::fromUtf8(ReadAll(record)).trimmed(),
             QStringLiteral("1|") + QDir::toNativeSeparators(dam));

    // With an output file the other two commands are enabled.
    QFile(dir.filePath(QStringLiteral("my slopes/dam with blanks.qvxo"))).open(QIODevice::WriteOnly);
    OpenMenu(form->ComputationMenu);
    QVERIFY(form->CompOutput->isEnabled() && form->CompKernel->isEnabled());
    QFile::remove(record);
    form->CompKernel->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), 10000);
    QCOMPARE(QString::fromUtf8(ReadAll(record)).trimmed(),
             QStringLiteral("1|") +
                 QDir::toNativeSeparators(QStringLiteral(TEST_ENGINE_DIR "/error-message.txt")));

    QFile::remove(record);
    form->CompOutput->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), 10000);
    QCOMPARE(QString::fromUtf8(ReadAll(record)).trimmed(),
             QStringLiteral("1|") + QDir::toNativeSeparators(dir.filePath("my slopes/dam with blanks.qvxo")));
    QCOMPARE(messages.Count(), 0);

    // An editor that cannot be started: the file is shown read-only inside the program instead; only
    // a file that cannot be read either is reported.
    form->SetWordProcessor(dir.filePath(QStringLiteral("no such editor")));
    form->CompInput->trigger();
    QCOMPARE(messages.Count(), 0);
    QVERIFY(form->MdiArea->activeSubWindow());
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("my slopes/dam with blanks.qvxo"))));
    form->CompOutputClick();
    QCOMPARE(messages.Texts(), QStringList({"An error occurred in running the Word Processor"}));

    // An editor given with arguments: the program, then its arguments, then the file.
    QFile::remove(record);
    QVERIFY(LaunchEditor(QStringLiteral("sh \"") + editor + QStringLiteral("\""), dam));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), 10000);
    QCOMPARE(QString::fromUtf8(ReadAll(record)).trimmed(),
             QStringLiteral("1|") + QDir::toNativeSeparators(dam));
}

void TestMainForm::helpFiles() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    form->HelpContents->trigger();
    form->UsersManual1->trigger();
    form->TechnicalManual1->trigger();
    form->CheckforUpdates1->trigger();
    QCOMPARE(Opened.size(), 4);
    const QString folder = QStringLiteral(TEST_ENGINE_DIR "/");
    QCOMPARE(Opened[0], QUrl::fromLocalFile(folder + QStringLiteral("contents.html")));
    QCOMPARE(Opened[1], QUrl::fromLocalFile(folder + QStringLiteral("user-manual.html")));
    QCOMPARE(Opened[2], QUrl::fromLocalFile(folder + QStringLiteral("technical-manual.html")));
    QCOMPARE(Opened[3], UpdatesUrl(QStringLiteral(TEST_ENGINE_DIR)));
    QCOMPARE(messages.Count(), 0);

    // The manuals are made at build time beside the program: HTML from the Markdown sources, and a
    // contents page that links them.
    const QString program = QStringLiteral(BREVANTO_PROGRAM_DIR "/");
    const QString manual = QString::fromUtf8(ReadAll(program + QStringLiteral("user-manual.html")));
    QVERIFY(manual.contains(QStringLiteral("<title>Brevanto")));
    QVERIFY(manual.contains(QStringLiteral("PROFIL")));
    QVERIFY(!manual.contains(QStringLiteral(".md\"")));
    const QString contents = QString::fromUtf8(ReadAll(program + QStringLiteral("contents.html")));
    QVERIFY(contents.contains(QStringLiteral("href=\"user-manual.html\"")));
    QVERIFY(contents.contains(QStringLiteral("href=\"CHANGELOG.html\"")));
    QVERIFY(QFileInfo::exists(program + QStringLiteral("CHANGELOG.html")));
}

void TestMainForm::closeQueryAndAbout() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    form->SetModified(true);
    messages.QueueAnswer(TMsgAnswer::Cancel);
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    messages.QueueAnswer(TMsgAnswer::No);
    form->FileExit->trigger();
    QVERIFY(!form->isVisible());
    QCOMPARE(messages.Count(), 2);

    form = MakeForm(messages);
    QString aboutText;
    QTimer::singleShot(0, form, [&] {
        if (auto* about = qobject_cast<TAboutBox*>(QApplication::activeModalWidget())) {
            aboutText = about->lblProgram->text();
            about->BtnOK->click();
        }
    });
    form->HelpAbout->trigger();
    QVERIFY(aboutText.contains(QStringLiteral("2015.4.4")));
}

void TestMainForm::screenshots() {
    // Pictures for the README and the manual, made when BREVANTO_SHOT_DIR names a folder (run under a
    // real display server for window frames: QT_QPA_PLATFORM=xcb xvfb-run ...).
    const QString shots = qEnvironmentVariable("BREVANTO_SHOT_DIR");
    if (shots.isEmpty())
        QSKIP("BREVANTO_SHOT_DIR not set");
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir, QStringLiteral("ExampleDam.qvxd"));
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(dam);
    form->setGeometry(40, 40, 1130, 900);
    form->DataAxLoads->trigger();
    form->Tables().BoundCood().Edit();
    const QList<QMdiSubWindow*> children = form->MdiArea->subWindowList(QMdiArea::CreationOrder);
    QCOMPARE(children.size(), 2);
    children[0]->move(10, 10);
    children[1]->move(30, 235);
    QTest::qWait(500);
    QScreen* screen = form->screen();
    auto shoot = [&](const QString& name) {
        const QRect frame = form->frameGeometry();
        QPixmap picture = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        if (picture.isNull() || QGuiApplication::platformName() == QLatin1String("offscreen"))
            picture = form->grab();
        QVERIFY(picture.save(shots + QLatin1Char('/') + name));
    };
    shoot(QStringLiteral("main-window.png"));

    TEngineSetup engine("0", TestData("plot/full.qvxp").toUtf8(), 1500);
    QTimer::singleShot(900, form, [&] {
        if (auto* progress = qobject_cast<TRunProgressDialog*>(QApplication::activeModalWidget())) {
            const QRect frame = form->frameGeometry().united(progress->frameGeometry());
            QPixmap picture = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
            if (picture.isNull() || QGuiApplication::platformName() == QLatin1String("offscreen"))
                picture = progress->grab();
            picture.save(shots + QStringLiteral("/run-progress.png"));
        }
    });
    form->CompRun->trigger();
    QVERIFY(QFileInfo::exists(shots + QStringLiteral("/run-progress.png")));
}

int main(int argc, char** argv) {
    // Settings go to a folder of this run, never to the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    TestMainForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainform.moc"
