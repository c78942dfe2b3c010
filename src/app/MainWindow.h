#pragma once
// TMainForm: the program's frame. A multiple-document window whose menus reach every command; it
// owns the one table set of the model and is the model's host (the modified mark, the child windows),
// keeps the settings (text editor, recent files: TRecentFiles), starts the analysis run (TAnalysisRun)
// and opens text files and help. It holds the model itself (model/SlopeModel.h).
#include "app/AnalysisRun.h"
#include "app/AppSettings.h"
#include "app/FileDialogs.h"
#include "app/LiveAnalysis.h"
#include "app/RecentFiles.h"
#include "model/ModelHost.h"
#include "widgets/TableEditorFactory.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QLabel;
class TModelHistory;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class TTableSet;

// The data windows that the Data and Options menus open.
enum class TDataWindow {
    Title,
    SlopeBoundary,
    WaterSurface,
    SurchargeLoading,
    EarthquakeLoading,
    TrialSurfaceLimits,
    Tiebacks,
    ReinforcedEarth,
    JanbuSearch,
    BishopSearch,
    IrregularSearch,
    BlockSearch,
    SpencerSearch,
    TextEditorOption,
};
constexpr int DataWindowCount = 14;
// Title, slope boundary, surcharge and earthquake loading and the text-editor option exist once: a
// second command brings the open window to the front. The others are created anew by each command.
bool IsSingleInstance(TDataWindow window);

class TMainForm : public QMainWindow, public IModelHost {
    Q_OBJECT
  public:
    // `arguments`: the command line after the program's name; the first names a file to open.
    explicit TMainForm(QStringList arguments = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- IModelHost
    TTableSet& Tables() override { return *FTables; }
    TProgramData* Model() const override { return FModel.get(); }
    const TCoreContext& Context() const override { return FContext; }
    bool IsModified() const override;
    void SetModified(bool modified) override;
    void CommitActiveChild() override;
    void CloseAllChildren() override;
    void UnitSystemChanged() override;
    void ModelEdited() override;

    // --- operations of the window
    // Asks whether to save a modified model; true when the caller may go on (saved or discarded).
    bool QuerySave();
    // The file name without folder; ".qvd" files lose everything from the first "." on; the first
    // letter in upper case.
    static QString DisplayName(const QString& path);
    QString Caption() const;
    void SetCaption();
    // The model's file name; empty before there is a model.
    QString ModelFileName() const;
    // Loads `path` (layout of the Open dialog's last filter), makes its folder the current directory
    // and puts it at the top of the recent files.
    void OpenFileName(const QString& path);
    // Opens a file dropped on the window (after QuerySave); it does not enter the recent files.
    void HandleDroppedFile(const QString& path);
    // Puts `path` at the top of the recent files; writes the settings only when the list changed.
    void UpdatePrevFile(const QString& path);
    void UpdateRegistry();
    // Puts the boundary table's comment in place (each time the window is activated).
    void SetBoundaryComment();

    const QString& WordProcessor() const { return FWordProcessor; }
    void SetWordProcessor(const QString& path) { FWordProcessor = path; }
    // The editor that is started: WordProcessor, or the default one when that is empty.
    QString EditorProgram() const;
    const QStringList& RecentFiles() const { return FRecent.Entries(); }
    int RecentCount() const { return FRecent.Count(); }
    // Set by Run Analysis before it saves; a cancelled Save As clears it.
    bool RunAfterSave = false;
    // Called after each Run Analysis (set by the results commands, which show what the run wrote).
    std::function<void()> AfterRun;

    // --- data windows: the data-window code registers how each one is made; a command without a
    // registered maker opens nothing.
    using TDataWindowMaker = std::function<QWidget*(TMainForm&)>;
    void SetDataWindowMaker(TDataWindow window, TDataWindowMaker maker);
    // Opens (or, single-instance, brings to the front) a data window as a child window; null when none.
    QWidget* OpenDataWindow(TDataWindow window);
    // The open single-instance window, or null.
    QWidget* DataWindow(TDataWindow window) const;

    // --- the graph window
    // View > Graphics: the graph window (TfrmGraph) of the model's plot file, made when none is open.
    void OpenGraphWindow();
    // The open graph window, or null.
    QWidget* GraphWindow() const;

    // --- what tests and packaging may replace
    void SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs);
    // The folder of the engine library, the manuals and the error-message notes (default: the
    // executable's folder).
    void SetProgramFolder(const QString& folder) { FProgramFolder = folder; }
    const QString& ProgramFolder() const { return FProgramFolder; }
    // Opens help files and web pages (default: QDesktopServices::openUrl).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { FUrlOpener = std::move(opener); }
    // True while the engine library is loaded, that is while a run is in progress.
    bool EngineLoaded() const { return FRun.EngineLoaded(); }

    // --- undo and live analysis (LiveEditing.cpp)
    TModelHistory& History() { return *FHistory; }
    TLiveAnalysis& Live() { return *FLive; }
    // The status bar's live text.
    QString LiveStatusText() const;
    // The last live result (none while live analysis is off or before the first one).
    const std::optional<TLiveResult>& LiveResult() const { return FLiveResult; }

    // --- controls
    QMdiArea* MdiArea;
    QMenu* FileMenu;
    QMenu* EditMenu;
    QMenu* DataMenu;
    QMenu* LoadingMenu;
    QMenu* SearchMenu;
    QMenu* OptionsMenu;
    QMenu* UnitsMenu;
    QMenu* ComputationMenu;
    QMenu* ViewMenu;
    QMenu* WindowMenu;
    QMenu* HelpMenu;

    QAction* FileNew;
    QAction* FileOpen;
    QAction* FileSave;
    QAction* FileSaveAs;
    QAction* N1;
    std::array<QAction*, RecentFileCount> RecentItems{};
    QAction* N14;
    QAction* FileExit;
    QAction* EditUndo;
    QAction* EditRedo;
    QAction* DataTitle;
    QAction* DataProp;
    QAction* DataAxLoads;
    QAction* DataLoading;
    QAction* SurchargeLoad1;
    QAction* EarthquakeLoad1;
    QAction* DataSoilStrength;
    QAction* DataPYMod;
    QAction* DataPYCurves;
    QAction* FailureSurface1;
    QAction* JanbusMethod1;
    QAction* BishopsMethod1;
    QAction* Irregularfailure1;
    QAction* BlockSearch1;
    QAction* SpencersMethod1;
    QActionGroup* UnitItems;
    QAction* EnglishUnits;
    QAction* SIUnits;
    QAction* FLUnits;
    QAction* OptionofTexeEditor1;
    QAction* CompRun;
    QAction* CompInput;
    QAction* CompOutput;
    QAction* CompKernel;
    QAction* CompLive;
    QAction* Graphics1;
    QAction* WindowCascade;
    QAction* WindowArrange;
    QAction* N15;
    static constexpr int WindowItemCount = 50;
    std::array<QAction*, WindowItemCount> WindowItems{};
    QAction* HelpContents;
    QAction* UsersManual1;
    QAction* TechnicalManual1;
    QAction* HelpAbout;
    QAction* CheckforUpdates1;

    // --- commands
    void FileNewClick();
    void FileOpenClick();
    void FileSaveClick();
    void FileSaveAsClick();
    void RecentFileClick(int index);
    void FileExitClick();
    void EditUndoClick();
    void EditRedoClick();
    void DataTitleClick();
    void DataPropClick();
    void DataAxLoadsClick();
    void DataLoadingClick();
    void SurchargeLoad1Click();
    void EarthquakeLoad1Click();
    void DataSoilStrengthClick();
    void DataPYModClick();
    void DataPYCurvesClick();
    void FailureSurface1Click();
    void JanbusMethod1Click();
    void BishopsMethod1Click();
    void Irregularfailure1Click();
    void BlockSearch1Click();
    void SpencersMethod1Click();
    void UnitsClick(int tag);
    void OptionofTexeEditor1Click();
    void CompRunClick();
    void CompInputClick();
    void CompOutputClick();
    void CompKernelClick();
    void CompLiveClick();
    void Graphics1Click();
    void WindowCascadeClick();
    void WindowArrangeClick();
    void WindowItemClick(int index);
    void HelpContentsClick();
    void UsersManual1Click();
    void TechnicalManual1Click();
    void HelpAboutClick();
    void CheckforUpdates1Click();

    // --- the steps when a menu opens
    void FileMenuOpen();
    void EditMenuOpen();
    void DataMenuOpen();
    void SearchMenuOpen();
    void UnitsMenuOpen();
    void ComputationMenuOpen();
    void ViewMenuOpen();
    void WindowMenuOpen();
    void CommandMenuOpen(); // Options and Help: only CommitActiveChild

    // The first showing: settings, the command-line file or a new model, the caption.
    void FormShow();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateMenus();
    QAction* AddCommand(QMenu* menu, const QString& caption, const char* name, void (TMainForm::*handler)(),
                        const QKeySequence& shortcut = {});
    // Runs a command; an error that nothing else caught is shown in an error box and the model stays.
    void Guarded(const std::function<void()>& command);
    // Save and Save As as the commands do them; file-system errors propagate.
    void SaveCommand();
    void SaveAsCommand();
    // Replaces the model by one read from `path` and sets the plot file when it exists.
    void LoadModel(const QString& path, bool currentFormat);
    // Sets PlotFileName when the plot file of the model's file exists.
    void FindPlotFile();
    // The search commands: sets the model's search fields and ticks `item` only.
    void ChooseSearch(QAction* item, int kind);
    void TickSearchItem();
    void OpenInEditor(const QString& file);
    void OpenProgramFile(const char* name);
    void ReadSettingsAtFirstShow();
    // Undo, redo and live analysis: the Edit menu, the status bar and their connections.
    void CreateLiveEditing();
    // A new model took the place of the old one: no undo history, a live analysis of it.
    void ModelReplaced();
    void RequestLiveAnalysis();
    void ShowLiveResult(const TLiveResult& result);
    // The live critical surface into the slope boundary preview and the graph window, when open.
    void ShowLiveSurface();

    // Before the table set: the tables keep pointers to the context, the context to the factory.
    TTableEditorFactory FEditorFactory;
    TCoreContext FContext;
    std::unique_ptr<TTableSet> FTables;
    // The model (after the table set: it fills and reads the tables); made when the window first
    // shows, replaced by New and Open.
    std::unique_ptr<TProgramData> FModel;

    QStringList FArguments;
    // The settings the window works with: the text editor and the recent files.
    QString FWordProcessor;
    TRecentFiles FRecent;
    // The store as read when the window was created (Qt reports a damaged store only to the first
    // reader), and whether that read succeeded.
    TAppSettings FStored;
    TSettingsRead FStoredRead = TSettingsRead::Missing;
    bool FModified = false;
    bool FShown = false;
    // The Open dialog's last chosen filter; it also decides the layout of recent-file opens.
    int FOpenFilterIndex = 0;
    std::unique_ptr<IFileDialogs> FFileDialogs;
    QString FProgramFolder;
    std::function<bool(const QUrl&)> FUrlOpener;
    // The analysis run of the Run Analysis command.
    TAnalysisRun FRun;

    TModelHistory* FHistory = nullptr;
    TLiveAnalysis* FLive = nullptr;
    QLabel* FLiveStatus = nullptr;
    std::optional<TLiveResult> FLiveResult;

    std::array<TDataWindowMaker, DataWindowCount> FDataWindowMakers;
    std::array<QPointer<QWidget>, DataWindowCount> FDataWindows;
};
