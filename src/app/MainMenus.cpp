// The menu bar of the main window: its items, the steps run when a menu opens, and the commands of
// the Data, Options, Window and Help menus.
#include "app/About.h"
#include "app/DataWindowMakers.h"
#include "app/EngineRun.h"
#include "app/MainWindow.h"
#include "app/ModelHistory.h"
#include "app/ResultsCommands.h"
#include "app/TextFiles.h"
#include "app/TextViewer.h"
#include "model/SlopeModel.h"
#include "reliability/ProbabilisticMenu.h"
#include "reliability/ProbabilisticWindow.h"
#include "tables/TableSet.h"
#include "text/FileNames.h"
#include "widgets/MsgBox.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <array>
#include <tuple>

namespace {
// A menu text shows "&" only when it is doubled.
QString MenuText(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

QAction* TMainForm::AddCommand(QMenu* menu, const QString& caption, const char* name,
                               void (TMainForm::*handler)(), const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
}

void TMainForm::CreateMenus() {
    QMenuBar* bar = menuBar();

    FileMenu = bar->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileNew =
        AddCommand(FileMenu, QStringLiteral("&New"), "FileNew", &TMainForm::FileNewClick, QKeySequence::New);
    FileOpen = AddCommand(FileMenu, QStringLiteral("&Open..."), "FileOpen", &TMainForm::FileOpenClick,
                          QKeySequence(Qt::CTRL | Qt::Key_O));
    FileSave = AddCommand(FileMenu, QStringLiteral("&Save"), "FileSave", &TMainForm::FileSaveClick,
                          QKeySequence(Qt::CTRL | Qt::Key_S));
    FileSaveAs =
        AddCommand(FileMenu, QStringLiteral("Save &As..."), "FileSaveAs", &TMainForm::FileSaveAsClick);
    N1 = FileMenu->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    for (int i = 0; i < RecentFileCount; ++i) {
        QAction* item = FileMenu->addAction(QString());
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, i] { RecentFileClick(i); });
        RecentItems[static_cast<std::size_t>(i)] = item;
    }
    N14 = FileMenu->addSeparator();
    N14->setObjectName(QStringLiteral("N14"));
    N14->setVisible(false);
    FileExit = AddCommand(FileMenu, QStringLiteral("E&xit"), "FileExit", &TMainForm::FileExitClick);
    connect(FileMenu, &QMenu::aboutToShow, this, &TMainForm::FileMenuOpen);

    DataMenu = bar->addMenu(QStringLiteral("Da&ta"));
    DataMenu->setObjectName(QStringLiteral("DataMenu"));
    DataTitle = AddCommand(DataMenu, QStringLiteral("&Title"), "DataTitle", &TMainForm::DataTitleClick);
    DataProp =
        AddCommand(DataMenu, QStringLiteral("Slope &Boundary Lines"), "DataProp", &TMainForm::DataPropClick);
    DataAxLoads =
        AddCommand(DataMenu, QStringLiteral("&Soil Properties"), "DataAxLoads", &TMainForm::DataAxLoadsClick);
    DataLoading =
        AddCommand(DataMenu, QStringLiteral("Water Surface(s)"), "DataLoading", &TMainForm::DataLoadingClick);
    LoadingMenu = DataMenu->addMenu(QStringLiteral("Surcharge and Earthquake Loading (optional)"));
    LoadingMenu->setObjectName(QStringLiteral("LoadingMenu"));
    SurchargeLoad1 = AddCommand(LoadingMenu, QStringLiteral("Surcharge Loading"), "SurchargeLoad1",
                                &TMainForm::SurchargeLoad1Click);
    EarthquakeLoad1 = AddCommand(LoadingMenu, QStringLiteral("Earthquake Loading"), "EarthquakeLoad1",
                                 &TMainForm::EarthquakeLoad1Click);
    SurchargeLoad1->setCheckable(true);
    EarthquakeLoad1->setCheckable(true);
    DataSoilStrength = AddCommand(DataMenu, QStringLiteral("Trial Surface Limits (optional)"),
                                  "DataSoilStrength", &TMainForm::DataSoilStrengthClick);
    DataPYMod =
        AddCommand(DataMenu, QStringLiteral("Tiebacks (optional)"), "DataPYMod", &TMainForm::DataPYModClick);
    DataPYCurves = AddCommand(DataMenu, QStringLiteral("Sets of &Reinforced Earth Layers (optional)"),
                              "DataPYCurves", &TMainForm::DataPYCurvesClick);
    SearchMenu = DataMenu->addMenu(QStringLiteral("Failure Surface Search Controls"));
    SearchMenu->setObjectName(QStringLiteral("SearchMenu"));
    FailureSurface1 = AddCommand(SearchMenu, QStringLiteral("User-Defined Failure Surface"),
                                 "FailureSurface1", &TMainForm::FailureSurface1Click);
    JanbusMethod1 =
        AddCommand(SearchMenu, QStringLiteral("Circular Failure Surface Searched by Janbu's Method"),
                   "JanbusMethod1", &TMainForm::JanbusMethod1Click);
    BishopsMethod1 =
        AddCommand(SearchMenu, QStringLiteral("Circular Failure Surface Searched by Bishop's Method"),
                   "BishopsMethod1", &TMainForm::BishopsMethod1Click);
    Irregularfailure1 = AddCommand(SearchMenu, QStringLiteral("Irregular failure Surface Search"),
                                   "Irregularfailure1", &TMainForm::Irregularfailure1Click);
    BlockSearch1 = AddCommand(SearchMenu, QStringLiteral("Block Search Method (random method)"),
                              "BlockSearch1", &TMainForm::BlockSearch1Click);
    SpencersMethod1 = AddCommand(SearchMenu, QStringLiteral("Spencer's Method"), "SpencersMethod1",
                                 &TMainForm::SpencersMethod1Click);
    for (QAction* item : SearchMenu->actions())
        item->setCheckable(true);
    connect(DataMenu, &QMenu::aboutToShow, this, &TMainForm::DataMenuOpen);
    connect(SearchMenu, &QMenu::aboutToShow, this, &TMainForm::SearchMenuOpen);

    OptionsMenu = bar->addMenu(QStringLiteral("&Options"));
    OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
    UnitsMenu = OptionsMenu->addMenu(QStringLiteral("&Units"));
    UnitsMenu->setObjectName(QStringLiteral("UnitsMenu"));
    UnitItems = new QActionGroup(this);
    UnitItems->setExclusive(true);
    const struct {
        QAction** Item;
        const char* Caption;
        const char* Name;
    } units[] = {{&EnglishUnits, "&English Units (lbs, ft)", "EnglishUnits"},
                 {&SIUnits, "&SI Units (kN, m)", "SIUnits"},
                 {&FLUnits, "&Other Units (F, L)", "FLUnits"}};
    int tag = 1;
    for (const auto& unit : units) {
        QAction* item = AddCommand(UnitsMenu, QString::fromLatin1(unit.Caption), unit.Name, nullptr);
        item->setCheckable(true);
        item->setData(tag);
        UnitItems->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { UnitsClick(tag); });
        *unit.Item = item;
        ++tag;
    }
    OptionofTexeEditor1 = AddCommand(OptionsMenu, QStringLiteral("&Text Editor"), "OptionofTexeEditor1",
                                     &TMainForm::OptionofTexeEditor1Click);
    connect(OptionsMenu, &QMenu::aboutToShow, this, &TMainForm::CommandMenuOpen);
    connect(UnitsMenu, &QMenu::aboutToShow, this, &TMainForm::UnitsMenuOpen);

    ComputationMenu = bar->addMenu(QStringLiteral("&Computation"));
    ComputationMenu->setObjectName(QStringLiteral("ComputationMenu"));
    CompRun =
        AddCommand(ComputationMenu, QStringLiteral("&Run Analysis"), "CompRun", &TMainForm::CompRunClick);
    CompInput = AddCommand(ComputationMenu, QStringLiteral("Edit I&nput Text"), "CompInput",
                           &TMainForm::CompInputClick);
    CompOutput = AddCommand(ComputationMenu, QStringLiteral("Edit &Output Text"), "CompOutput",
                            &TMainForm::CompOutputClick);
    CompKernel = AddCommand(ComputationMenu, QStringLiteral("Error-Message Notes"), "CompKernel",
                            &TMainForm::CompKernelClick);
    connect(AddCommand(ComputationMenu, QStringLiteral("&Probabilistic Analysis..."), "CompProbabilistic",
                       nullptr),
            &QAction::triggered, this, [this] {
                // The window runs on the model as it stands: each change reaches it (a replaced model
                // closes it, ModelReplaced).
                TProbabilisticWindow* window = OpenProbabilisticAnalysis(this, [this] { return Model(); });
                if (window)
                    connect(&History(), &TModelHistory::ModelChanged, window, [this, window] {
                        if (Model() && !window->isHidden())
                            window->FollowModel(Model()->Description());
                    });
            });
    connect(ComputationMenu, &QMenu::aboutToShow, this, &TMainForm::ComputationMenuOpen);

    ViewMenu = bar->addMenu(QStringLiteral("&View"));
    ViewMenu->setObjectName(QStringLiteral("ViewMenu"));
    Graphics1 = AddCommand(ViewMenu, QStringLiteral("&Graphics"), "Graphics1", &TMainForm::Graphics1Click);
    Graphics1->setCheckable(true);
    connect(ViewMenu, &QMenu::aboutToShow, this, &TMainForm::ViewMenuOpen);
    AddResultsCommands(*this);
    // The windows that the Data and Options commands open.
    RegisterDataWindows(*this);

    WindowMenu = bar->addMenu(QStringLiteral("&Window"));
    WindowMenu->setObjectName(QStringLiteral("WindowMenu"));
    WindowCascade =
        AddCommand(WindowMenu, QStringLiteral("&Cascade"), "WindowCascade", &TMainForm::WindowCascadeClick);
    WindowArrange = AddCommand(WindowMenu, QStringLiteral("&Arrange Icons"), "WindowArrange",
                               &TMainForm::WindowArrangeClick);
    N15 = WindowMenu->addSeparator();
    N15->setObjectName(QStringLiteral("N15"));
    N15->setVisible(false);
    for (int i = 0; i < WindowItemCount; ++i) {
        QAction* item = WindowMenu->addAction(QString());
        item->setObjectName(QStringLiteral("WindowItem%1").arg(i + 1));
        item->setCheckable(true);
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, i] { WindowItemClick(i); });
        WindowItems[static_cast<std::size_t>(i)] = item;
    }
    connect(WindowMenu, &QMenu::aboutToShow, this, &TMainForm::WindowMenuOpen);

    HelpMenu = bar->addMenu(QStringLiteral("&Help"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    HelpContents = AddCommand(HelpMenu, QStringLiteral("&Contents"), "HelpContents",
                              &TMainForm::HelpContentsClick, QKeySequence::HelpContents);
    UsersManual1 =
        AddCommand(HelpMenu, QStringLiteral("User's Manual"), "UsersManual1", &TMainForm::UsersManual1Click);
    TechnicalManual1 = AddCommand(HelpMenu, QStringLiteral("Technical Manual"), "TechnicalManual1",
                                  &TMainForm::TechnicalManual1Click);
    HelpAbout = AddCommand(HelpMenu, QStringLiteral("&About..."), "HelpAbout", &TMainForm::HelpAboutClick);
    CheckforUpdates1 = AddCommand(HelpMenu, QStringLiteral("Check for Updates"), "CheckforUpdates1",
                                  &TMainForm::CheckforUpdates1Click);
    connect(HelpMenu, &QMenu::aboutToShow, this, &TMainForm::CommandMenuOpen);
}

// ---------------------------------------------------------------- when a menu opens

void TMainForm::CommandMenuOpen() {
    CommitActiveChild();
}

void TMainForm::FileMenuOpen() {
    CommitActiveChild();
    const int count = FRecent.Count();
    for (int i = 0; i < RecentFileCount; ++i) {
        QAction* item = RecentItems[static_cast<std::size_t>(i)];
        item->setVisible(i < count);
        if (i < count)
            item->setText(FRecent.MenuCaption(i, QDir::currentPath()));
    }
    N14->setVisible(count > 0);
}

void TMainForm::DataMenuOpen() {
    CommitActiveChild();
    for (QAction* item : {DataProp, DataAxLoads, DataLoading, LoadingMenu->menuAction(), DataSoilStrength})
        item->setEnabled(true);
    SurchargeLoad1->setChecked(FModel && FModel->HasSurcharge);
    EarthquakeLoad1->setChecked(FModel && FModel->HasEarthquake);
    TickSearchItem();
}

void TMainForm::SearchMenuOpen() {
    TickSearchItem();
}

void TMainForm::TickSearchItem() {
    const std::array<QAction*, 6> items = {FailureSurface1,   JanbusMethod1, BishopsMethod1,
                                           Irregularfailure1, BlockSearch1,  SpencersMethod1};
    const int kind = FModel ? FModel->SearchKind : 0;
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i]->setChecked(static_cast<int>(i) + 1 == kind);
}

void TMainForm::UnitsMenuOpen() {
    const int system = FModel ? FModel->UnitSystem : 1;
    for (QAction* item : UnitItems->actions())
        item->setChecked(item->data().toInt() == system);
}

void TMainForm::ComputationMenuOpen() {
    CommitActiveChild();
    const QString input = FModel ? QString::fromStdString(FModel->FileName) : QString();
    const bool output =
        QFileInfo(QString::fromStdString(ChangeFileExt(input.toStdString(), ".qvxo"))).isFile();
    CompInput->setEnabled(QFileInfo(input).isFile());
    CompOutput->setEnabled(output);
    CompKernel->setEnabled(output);
    CompRun->setEnabled(true);
}

void TMainForm::ViewMenuOpen() {
    Graphics1->setEnabled(FModel && !FModel->PlotFileName.empty());
    Graphics1->setChecked(GraphWindow() != nullptr);
}

void TMainForm::WindowMenuOpen() {
    CommitActiveChild();
    const QList<QMdiSubWindow*> children = MdiArea->subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow* current = MdiArea->currentSubWindow();
    for (int i = 0; i < WindowItemCount; ++i) {
        QAction* item = WindowItems[static_cast<std::size_t>(i)];
        if (i < children.size()) {
            item->setText(MenuText(children.at(i)->windowTitle()));
            item->setChecked(children.at(i) == current);
            item->setVisible(true);
        } else {
            item->setVisible(false);
        }
    }
    N15->setVisible(!children.isEmpty());
}

// ---------------------------------------------------------------- Data and Options commands

void TMainForm::DataTitleClick() {
    Guarded([this] { OpenDataWindow(TDataWindow::Title); });
}

void TMainForm::DataPropClick() {
    Guarded([this] { OpenDataWindow(TDataWindow::SlopeBoundary); });
}

void TMainForm::DataAxLoadsClick() {
    Guarded([this] { FTables->SoilData().Edit(); });
}

void TMainForm::DataLoadingClick() {
    Guarded([this] { OpenDataWindow(TDataWindow::WaterSurface); });
}

void TMainForm::SurchargeLoad1Click() {
    Guarded([this] {
        SurchargeLoad1->setChecked(FModel && FModel->HasSurcharge);
        OpenDataWindow(TDataWindow::SurchargeLoading);
    });
}

void TMainForm::EarthquakeLoad1Click() {
    Guarded([this] {
        EarthquakeLoad1->setChecked(FModel && FModel->HasEarthquake);
        OpenDataWindow(TDataWindow::EarthquakeLoading);
    });
}

void TMainForm::DataSoilStrengthClick() {
    Guarded([this] { OpenDataWindow(TDataWindow::TrialSurfaceLimits); });
}

void TMainForm::DataPYModClick() {
    Guarded([this] { OpenDataWindow(TDataWindow::Tiebacks); });
}

void TMainForm::DataPYCurvesClick() {
    Guarded([this] { OpenDataWindow(TDataWindow::ReinforcedEarth); });
}

void TMainForm::ChooseSearch(QAction* item, int kind) {
    TProgramData& model = *FModel;
    const auto before =
        std::make_tuple(model.SearchKind, model.HasUserSurface, model.HasJanbuSearch, model.HasBishopSearch,
                        model.HasIrregularSearch, model.HasBlockSearch, model.HasSpencerSearch);
    model.SearchKind = kind;
    switch (kind) {
    case 1:
        model.HasUserSurface = 1;
        break;
    case 2:
        model.HasJanbuSearch = 1;
        model.HasBishopSearch = 0;
        break;
    case 3:
        model.HasBishopSearch = 1;
        model.HasJanbuSearch = 0;
        model.HasSpencerSearch = 0;
        break;
    case 4:
        model.HasIrregularSearch = 1;
        model.HasJanbuSearch = model.HasBishopSearch = model.HasSpencerSearch = model.HasBlockSearch = 0;
        break;
    case 5:
        model.HasBlockSearch = 1;
        model.HasJanbuSearch = model.HasBishopSearch = model.HasSpencerSearch = 0;
        break;
    case 6:
        model.HasSpencerSearch = 1;
        model.HasJanbuSearch = model.HasBishopSearch = model.HasBlockSearch = 0;
        break;
    default:
        break;
    }
    // The search kind decides which section the file carries: a changed choice is a change to save.
    if (before != std::make_tuple(model.SearchKind, model.HasUserSurface, model.HasJanbuSearch,
                                  model.HasBishopSearch, model.HasIrregularSearch, model.HasBlockSearch,
                                  model.HasSpencerSearch))
        SetModified(true);
    for (QAction* other : SearchMenu->actions())
        other->setChecked(other == item);
}

void TMainForm::FailureSurface1Click() {
    Guarded([this] {
        ChooseSearch(FailureSurface1, 1);
        FTables->FailSurfaceChart().Edit();
    });
}

void TMainForm::JanbusMethod1Click() {
    Guarded([this] {
        ChooseSearch(JanbusMethod1, 2);
        OpenDataWindow(TDataWindow::JanbuSearch);
    });
}

void TMainForm::BishopsMethod1Click() {
    Guarded([this] {
        ChooseSearch(BishopsMethod1, 3);
        OpenDataWindow(TDataWindow::BishopSearch);
    });
}

void TMainForm::Irregularfailure1Click() {
    Guarded([this] {
        ChooseSearch(Irregularfailure1, 4);
        OpenDataWindow(TDataWindow::IrregularSearch);
    });
}

void TMainForm::BlockSearch1Click() {
    Guarded([this] {
        ChooseSearch(BlockSearch1, 5);
        OpenDataWindow(TDataWindow::BlockSearch);
    });
}

void TMainForm::SpencersMethod1Click() {
    Guarded([this] {
        ChooseSearch(SpencersMethod1, 6);
        OpenDataWindow(TDataWindow::SpencerSearch);
    });
}

void TMainForm::UnitsClick(int tag) {
    Guarded([this, tag] {
        const int before = FModel->UnitSystem;
        FModel->SetUnitSystem(tag);
        // The unit code is part of the file and the stored values were converted: a change to save.
        if (FModel->UnitSystem != before)
            SetModified(true);
        UnitsMenuOpen();
    });
}

void TMainForm::OptionofTexeEditor1Click() {
    Guarded([this] { OpenDataWindow(TDataWindow::TextEditorOption); });
}

// ---------------------------------------------------------------- View and Window commands

void TMainForm::Graphics1Click() {
    Guarded([this] { OpenGraphWindow(); });
}

void TMainForm::WindowCascadeClick() {
    MdiArea->cascadeSubWindows();
}

void TMainForm::WindowArrangeClick() {
    // The minimized child windows in a row along the bottom edge, left to right.
    int x = 0;
    for (QMdiSubWindow* sub : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        const int width = sub->width();
        if (x > 0 && x + width > MdiArea->viewport()->width())
            x = 0;
        sub->move(x, MdiArea->viewport()->height() - sub->height());
        x += width;
    }
}

void TMainForm::WindowItemClick(int index) {
    const QList<QMdiSubWindow*> children = MdiArea->subWindowList(QMdiArea::CreationOrder);
    if (index < 0 || index >= children.size())
        return;
    QMdiSubWindow* sub = children.at(index);
    if (sub->isMinimized())
        sub->showNormal();
    MdiArea->setActiveSubWindow(sub);
}

// ---------------------------------------------------------------- Help commands

void TMainForm::OpenProgramFile(const char* name) {
    // As the desktop opens it; when no browser starts, in a help window of the program's own.
    const QString file = ProgramFile(FProgramFolder, name);
    if (FUrlOpener(QUrl::fromLocalFile(file)))
        return;
    if (!OpenHelpViewer(MdiArea, file))
        MsgInformation(
            this,
            QStringLiteral("The help file %1 could not be opened.").arg(QDir::toNativeSeparators(file)));
}

void TMainForm::HelpContentsClick() {
    OpenProgramFile(HelpContentsFile);
}

void TMainForm::UsersManual1Click() {
    OpenProgramFile(UsersManualFile);
}

void TMainForm::TechnicalManual1Click() {
    OpenProgramFile(TechnicalManualFile);
}

void TMainForm::CheckforUpdates1Click() {
    FUrlOpener(UpdatesUrl(FProgramFolder));
}

void TMainForm::HelpAboutClick() {
    TAboutBox about(this);
    about.exec();
}

// ---------------------------------------------------------------- text files

void TMainForm::OpenInEditor(const QString& file) {
    if (LaunchEditor(EditorProgram(), file))
        return;
    // No editor to start: the file can still be read, in a window of the program's own.
    if (OpenTextViewer(MdiArea, file))
        statusBar()->showMessage(
            QStringLiteral("The text editor could not be started; the file is shown read-only."));
    else
        MsgInformation(this, QStringLiteral("An error occurred in running the Word Processor"));
}

void TMainForm::CompInputClick() {
    Guarded([this] { OpenInEditor(QString::fromStdString(FModel->FileName)); });
}

void TMainForm::CompOutputClick() {
    Guarded([this] { OpenInEditor(QString::fromStdString(ChangeFileExt(FModel->FileName, ".qvxo"))); });
}

void TMainForm::CompKernelClick() {
    Guarded([this] { OpenInEditor(ProgramFile(FProgramFolder, ErrorMessageNotesFile)); });
}
