#include "app/MainWindow.h"
#include "app/EngineRun.h"
#include "app/ModelHistory.h"
#include "app/TextFiles.h"
#include "app/WorkArea.h"
#include "dialogs/DataForm.h"
#include "model/SlopeModel.h"
#include "tables/TableSet.h"
#include "text/FileNames.h"
#include "widgets/GraphWindow.h"
#include "widgets/MsgBox.h"
#include "widgets/TableEditor.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>

namespace {
const QString CaptionPrefix = QStringLiteral("Brevanto 2015.4.4 - ");
const QString SavePrompt = QStringLiteral("Do you want to save any changes?");
// The Open dialog's default extension, which decides what DisplayName leaves out.
const QString DefaultExtension = QStringLiteral("qvd");

const char* const BoundaryComment =
    "Up to 100 boundary lines can be defined.\rEach boundary line is defined from left to right.\r"
    "Boundary lines should be ordered so that each boundary\rline is defined before all underlying "
    "boundary lines.\rThe soil number is the soil type immediately underying the boundary\rline. The "
    "slope should slide from the right side to the left side.";

bool IsNewFileName(const QString& name) {
    return name == QLatin1String(TProgramData::NewFileName);
}

QString IncompleteReadWarning(const QString& path) {
    return QStringLiteral(
               "The file\r%1\rwas not read completely when it was opened: the model holds only the "
               "part before the error. Saving it over that file would lose the rest, so please "
               "choose a name for the model.")
        .arg(QDir::toNativeSeparators(path));
}
} // namespace

bool IsSingleInstance(TDataWindow window) {
    switch (window) {
    case TDataWindow::Title:
    case TDataWindow::SlopeBoundary:
    case TDataWindow::SurchargeLoading:
    case TDataWindow::EarthquakeLoading:
    case TDataWindow::TextEditorOption:
        return true;
    default:
        return false;
    }
}

TMainForm::TMainForm(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), FContext{&FEditorFactory, CoreMessageBoxes(this)},
      FTables(std::make_unique<TTableSet>(&FContext)), FArguments(std::move(arguments)),
      FFileDialogs(std::make_unique<TQtFileDialogs>()),
      FProgramFolder(QCoreApplication::applicationDirPath()),
      FUrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }), FRun(this) {
    setObjectName(QStringLiteral("MainForm"));
    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setBackground(Qt::white);
    setCentralWidget(MdiArea);
    new TWorkAreaPlacement(MdiArea);
    FEditorFactory.SetMdiArea(MdiArea);
    setAcceptDrops(true);

    // The editor setting now; the rest of the settings when the window first shows.
    FStoredRead = ReadAppSettings(FStored);
    if (FStoredRead == TSettingsRead::Read)
        FWordProcessor = FStored.WordProcessor;
    if (FWordProcessor.isEmpty())
        FWordProcessor = DefaultWordProcessor();

    CreateMenus();
    CreateLiveEditing();
    FContext.Edited = [this] { ModelEdited(); };
    SetBoundaryComment();
    setWindowTitle(CaptionPrefix + DisplayName(QString::fromLatin1(TProgramData::NewFileName)));

    // 652 x 492 is the size of a first start; after that the window comes back where the user left it.
    const QByteArray geometry = ReadWindowGeometry();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        resize(652, 492);
}

TMainForm::~TMainForm() {
    // The child windows go after this object's members: what they signal on the way must not reach it.
    disconnect(MdiArea, nullptr, this, nullptr);
    // Nor the data windows' activation changes: they would ask this half-destroyed host for its model.
    disconnect(MdiArea, &QMdiArea::subWindowActivated, nullptr, nullptr);
    FContext.Edited = nullptr;
    // The history and the live analysis go with the child objects, after the tables: they must not
    // reach this window on the way (the undo stack reports its clean state as it goes).
    FHistory->Stack().disconnect();
    FHistory->disconnect();
    FHistory = nullptr;
    FLive->disconnect();
    // The model refers to this window as its host; it does not outlive it.
    FModel.reset();
}

// ---------------------------------------------------------------- model host

bool TMainForm::IsModified() const {
    return FModified || FTables->Changed();
}

void TMainForm::SetModified(bool modified) {
    FModified = modified;
    if (!modified)
        FTables->ResetChanged();
    // A change marked (a menu command, a data window) is a step to record; a cleared mark, a save.
    if (FHistory)
        modified ? FHistory->Touch() : FHistory->MarkSaved();
}

void TMainForm::CommitActiveChild() {
    if (MdiArea->subWindowList().isEmpty())
        return;
    // The current window also when the application itself is not active (a menu is open).
    QMdiSubWindow* sub = MdiArea->currentSubWindow();
    if (!sub)
        return;
    if (auto* editor = qobject_cast<TTableForm*>(sub->widget()))
        editor->FormDeactivate();
    else if (auto* form = qobject_cast<TDataForm*>(sub->widget()))
        form->FormDeactivate();
}

void TMainForm::CloseAllChildren() {
    MdiArea->closeAllSubWindows();
}

void TMainForm::UnitSystemChanged() {
    // Every data window shows the model again: the active one would otherwise keep numbers of the
    // old system and store them into the converted model when it is left (the menu committed its
    // entries before the switch, so nothing typed is lost).
    RefreshDataForms(MdiArea);
}

// ---------------------------------------------------------------- caption and names

QString TMainForm::ModelFileName() const {
    return FModel ? QString::fromStdString(FModel->FileName) : QString();
}

QString TMainForm::DisplayName(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    QString name = path.mid(slash + 1);
    const qsizetype lastDot = name.lastIndexOf(QLatin1Char('.'));
    if (lastDot >= 0 && name.mid(lastDot + 1).compare(DefaultExtension, Qt::CaseInsensitive) == 0)
        name.truncate(name.indexOf(QLatin1Char('.')));
    if (name.size() > 1)
        name[0] = name[0].toUpper();
    return name;
}

QString TMainForm::Caption() const {
    return CaptionPrefix + DisplayName(ModelFileName());
}

void TMainForm::SetCaption() {
    setWindowTitle(Caption());
}

void TMainForm::SetBoundaryComment() {
    FTables->BoundCood().SetComments(BoundaryComment);
}

QString TMainForm::EditorProgram() const {
    return FWordProcessor.trimmed().isEmpty() ? DefaultWordProcessor() : FWordProcessor;
}

// ---------------------------------------------------------------- first showing and closing

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        Guarded([this] { FormShow(); });
    }
}

void TMainForm::ReadSettingsAtFirstShow() {
    if (FStoredRead == TSettingsRead::Missing)
        return;
    const TAppSettings& stored = FStored;
    if (FStoredRead == TSettingsRead::Unreadable) {
        // An unreadable store: start without an editor path (the default editor is used) and without
        // recent files.
        FWordProcessor.clear();
        FRecent.Clear();
        return;
    }
    if (!stored.WordProcessor.isEmpty())
        FWordProcessor = stored.WordProcessor;
    FRecent.Assign(stored.RecentFiles);
}

void TMainForm::FormShow() {
    ReadSettingsAtFirstShow();

    bool loaded = false;
    if (!FArguments.isEmpty()) {
        QString path = FArguments.first();
        if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
            path += QStringLiteral(".qvxd");
        const QFileInfo file(path);
        if (file.isFile()) {
            LoadModel(file.absoluteFilePath(), true);
            loaded = true;
        }
    }
    if (!loaded)
        FModel = TProgramData::CreateNew(*this);
    ModelReplaced();
    SetCaption();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    CommitActiveChild();
    if (!QuerySave()) {
        event->ignore();
        return;
    }
    UpdateRegistry();
    WriteWindowGeometry(saveGeometry());
    CloseAllChildren();
    event->accept();
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        SetBoundaryComment();
}

// ---------------------------------------------------------------- settings and recent files

void TMainForm::UpdateRegistry() {
    WriteAppSettings(TAppSettings{FWordProcessor, FRecent.Entries()});
}

void TMainForm::UpdatePrevFile(const QString& path) {
    if (FRecent.Put(path))
        UpdateRegistry();
}

// ---------------------------------------------------------------- file commands

void TMainForm::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        MsgError(this, QString::fromUtf8(e.what()));
    }
}

bool TMainForm::QuerySave() {
    if (!IsModified())
        return true;
    switch (MsgQuestion(this, SavePrompt)) {
    case TMsgAnswer::No:
        return true;
    case TMsgAnswer::Yes:
        break;
    default:
        return false;
    }
    try {
        SaveCommand();
    } catch (const std::exception& e) {
        MsgError(this, QString::fromUtf8(e.what()));
        return false;
    }
    // Going on is safe only when the changes really reached a file: not after a cancelled Save As,
    // not after a failed save.
    return !IsNewFileName(ModelFileName()) && !IsModified();
}

void TMainForm::SaveCommand() {
    const QString name = ModelFileName();
    if (!FModel->ReadComplete && !IsNewFileName(name)) {
        // Saving over the file would replace it by the part that was read: only under a name the
        // user chooses.
        MsgInformation(this, IncompleteReadWarning(name));
        SaveAsCommand();
    } else if (IsNewFileName(name) || QFileInfo(name).suffix().toLower() == DefaultExtension)
        SaveAsCommand();
    else
        FModel->SaveToFile();
}

void TMainForm::SaveAsCommand() {
    const QString current = ModelFileName();
    QString proposed = current;
    if (QFileInfo(current).suffix().toLower() == DefaultExtension)
        proposed = QString::fromStdString(ChangeFileExt(current.toStdString(), ".qvxd"));
    const std::optional<QString> chosen = FFileDialogs->SaveAs(
        this, QStringLiteral("Save ") + DisplayName(current) + QStringLiteral(" As"), proposed);
    if (chosen && HasLineBreak(*chosen)) {
        // A file of that name could never be analysed; refused before anything is written.
        MsgInformation(this, LineBreakMessage(*chosen));
        RunAfterSave = false;
    } else if (chosen) {
        FModel->FileName = chosen->toStdString();
        SetCaption();
        try {
            FModel->SaveToFile();
        } catch (...) {
            // The model was not written under the new name, so it keeps the old one.
            FModel->FileName = current.toStdString();
            SetCaption();
            CloseAllChildren();
            throw;
        }
        FModel->PlotFileName.clear();
        // The chosen file now holds the whole model.
        FModel->ReadComplete = true;
    } else {
        RunAfterSave = false;
    }
    CloseAllChildren();
}

void TMainForm::FindPlotFile() {
    const QString plot = QString::fromStdString(ChangeFileExt(ModelFileName().toStdString(), ".qvxp"));
    if (QFileInfo(plot).isFile())
        FModel->PlotFileName = plot.toStdString();
}

void TMainForm::LoadModel(const QString& path, bool currentFormat) {
    // The old model stays in place until the new one is read: closing the child windows (the first
    // step of reading) stores their entries into it.
    std::unique_ptr<TProgramData> model =
        TProgramData::CreateFromFile(path.toStdString(), currentFormat, *this);
    FModel = std::move(model);
    DiscardDataForms(MdiArea);
    FindPlotFile();
    ModelReplaced();
}

void TMainForm::OpenFileName(const QString& path) {
    QDir::setCurrent(QFileInfo(path).absolutePath());
    LoadModel(path, FOpenFilterIndex != OldLayoutFilter);
    SetCaption();
    UpdatePrevFile(path);
}

void TMainForm::HandleDroppedFile(const QString& path) {
    // Only input files: anything else would load as an empty model that a later save writes over it.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("qvxd") && suffix != DefaultExtension) {
        MsgInformation(this, QStringLiteral("%1\ris not an input file (.qvxd or .qvd) and was not opened.")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!QuerySave())
        return;
    QDir::setCurrent(QFileInfo(path).absolutePath());
    // A ".qvd" file has the 2.0 layout.
    LoadModel(path, suffix != DefaultExtension);
    SetCaption();
}

void TMainForm::FileNewClick() {
    Guarded([this] {
        CommitActiveChild();
        if (!QuerySave())
            return;
        FModel = TProgramData::CreateNew(*this);
        DiscardDataForms(MdiArea);
        ModelReplaced();
        SetCaption();
        FModel->PlotFileName.clear();
    });
}

void TMainForm::FileOpenClick() {
    Guarded([this] {
        CommitActiveChild();
        if (!QuerySave())
            return;
        const std::optional<TOpenChoice> choice = FFileDialogs->Open(this, FOpenFilterIndex);
        if (!choice)
            return;
        FOpenFilterIndex = choice->FilterIndex;
        OpenFileName(QFileInfo(choice->Path).absoluteFilePath());
    });
}

void TMainForm::FileSaveClick() {
    Guarded([this] {
        CommitActiveChild();
        SaveCommand();
    });
}

void TMainForm::FileSaveAsClick() {
    Guarded([this] {
        CommitActiveChild();
        SaveAsCommand();
    });
}

void TMainForm::RecentFileClick(int index) {
    Guarded([this, index] {
        const QString path = FRecent.At(index);
        if (path.isEmpty() || !QuerySave())
            return;
        OpenFileName(path);
    });
}

void TMainForm::CompRunClick() {
    Guarded([this] {
        CommitActiveChild();
        // Checked before anything is saved or written: the engine reads the names file line by line.
        if (HasLineBreak(ModelFileName()) && !EngineLoaded()) {
            MsgInformation(this, LineBreakMessage(ModelFileName()));
            return;
        }
        // A cancelled Save As clears RunAfterSave: then nothing runs.
        FRun.Run(
            *FModel,
            [this] {
                RunAfterSave = true;
                SaveCommand();
                return RunAfterSave;
            },
            FProgramFolder);
        if (AfterRun)
            AfterRun();
    });
}

void TMainForm::FileExitClick() {
    close();
}

void TMainForm::SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs) {
    FFileDialogs = std::move(dialogs);
}

// ---------------------------------------------------------------- dropped files

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data->hasUrls() || data->urls().isEmpty() || !data->urls().first().isLocalFile())
        return;
    // Handled whether or not the user goes ahead.
    event->acceptProposedAction();
    const QString path = QFileInfo(data->urls().first().toLocalFile()).absoluteFilePath();
    Guarded([this, path] { HandleDroppedFile(path); });
}

// ---------------------------------------------------------------- data windows and the graph window

void TMainForm::SetDataWindowMaker(TDataWindow window, TDataWindowMaker maker) {
    FDataWindowMakers[static_cast<std::size_t>(window)] = std::move(maker);
}

QWidget* TMainForm::GraphWindow() const {
    return TfrmGraph::Find(MdiArea);
}

QWidget* TMainForm::DataWindow(TDataWindow window) const {
    return FDataWindows[static_cast<std::size_t>(window)].data();
}

QWidget* TMainForm::OpenDataWindow(TDataWindow window) {
    const auto index = static_cast<std::size_t>(window);
    if (IsSingleInstance(window) && FDataWindows[index]) {
        QWidget* open = FDataWindows[index];
        if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget())) {
            sub->showNormal();
            MdiArea->setActiveSubWindow(sub);
        }
        return open;
    }
    const TDataWindowMaker& maker = FDataWindowMakers[index];
    if (!maker)
        return nullptr;
    QWidget* widget = maker(*this);
    if (!widget)
        return nullptr;
    widget->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = MdiArea->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (IsSingleInstance(window))
        FDataWindows[index] = widget;
    sub->show();
    MdiArea->setActiveSubWindow(sub);
    return widget;
}

void TMainForm::OpenGraphWindow() {
    // Points PlotFileName at the plot file of the model's file when it exists, then shows the one graph
    // window, made (and so reading the plot file) when none is open or the open one shows an older run.
    TfrmGraph::ShowGraph(MdiArea, *FModel);
}
