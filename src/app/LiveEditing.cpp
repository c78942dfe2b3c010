// Undo, redo and live analysis in the main window: the Edit menu, Computation > Live Analysis, the
// live factor in the status bar, and where the model's changes reach the undo history.
#include "app/MainWindow.h"
#include "app/ModelHistory.h"
#include "app/TextFiles.h"
#include "dialogs/DlgSlopeBoundary.h"
#include "model/SlopeModel.h"
#include "reliability/ProbabilisticMenu.h"
#include "tables/TableSet.h"
#include "widgets/GraphWindow.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

namespace {
QString StepText(const QString& verb, const QString& step) {
    return step.isEmpty() ? verb : verb + QLatin1Char(' ') + step;
}
} // namespace

void TMainForm::CreateLiveEditing() {
    FHistory = new TModelHistory([this] { return Model(); }, this);
    FLive = new TLiveAnalysis(this);

    EditMenu = new QMenu(QStringLiteral("&Edit"), this);
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    menuBar()->insertMenu(DataMenu->menuAction(), EditMenu);
    EditUndo = AddCommand(EditMenu, QStringLiteral("&Undo"), "EditUndo", &TMainForm::EditUndoClick,
                          QKeySequence::Undo);
    EditRedo = AddCommand(EditMenu, QStringLiteral("&Redo"), "EditRedo", &TMainForm::EditRedoClick);
    EditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    EditUndo->setEnabled(false);
    EditRedo->setEnabled(false);
    connect(EditMenu, &QMenu::aboutToShow, this, &TMainForm::EditMenuOpen);
    QUndoStack& stack = FHistory->Stack();
    connect(&stack, &QUndoStack::canUndoChanged, EditUndo, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, EditRedo, &QAction::setEnabled);
    connect(&stack, &QUndoStack::undoTextChanged, this,
            [this](const QString& text) { EditUndo->setText(StepText(QStringLiteral("&Undo"), text)); });
    connect(&stack, &QUndoStack::redoTextChanged, this,
            [this](const QString& text) { EditRedo->setText(StepText(QStringLiteral("&Redo"), text)); });
    connect(FHistory, &TModelHistory::SavedStateChanged, this, [this](bool saved) {
        // Back at the saved state, the model is as its file holds it.
        FModified = !saved;
        if (saved)
            FTables->ResetChanged();
    });
    connect(FHistory, &TModelHistory::ModelChanged, this, &TMainForm::RequestLiveAnalysis);

    ComputationMenu->addSeparator();
    CompLive =
        AddCommand(ComputationMenu, QStringLiteral("&Live Analysis"), "CompLive", &TMainForm::CompLiveClick);
    CompLive->setCheckable(true);
    CompLive->setChecked(ReadLiveAnalysisSetting());

    FLiveStatus = new QLabel(this);
    FLiveStatus->setObjectName(QStringLiteral("LiveStatus"));
    FLiveStatus->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(FLiveStatus, 1);
    connect(FLive, &TLiveAnalysis::Finished, this, &TMainForm::ShowLiveResult);
    // A window opened since the last live result shows it too.
    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this] { ShowLiveSurface(); });
}

void TMainForm::ModelEdited() {
    if (FHistory)
        FHistory->Touch();
}

void TMainForm::ModelReplaced() {
    // A probabilistic window belongs to the model it was opened on.
    CloseProbabilisticAnalyses(this);
    FLiveResult.reset();
    FLive->Cancel();
    ShowLiveSurface();
    FHistory->Reset();
}

void TMainForm::EditMenuOpen() {
    CommitActiveChild();
    FHistory->Settle();
}

void TMainForm::EditUndoClick() {
    Guarded([this] {
        CommitActiveChild();
        FHistory->Undo();
    });
}

void TMainForm::EditRedoClick() {
    Guarded([this] {
        CommitActiveChild();
        FHistory->Redo();
    });
}

void TMainForm::CompLiveClick() {
    WriteLiveAnalysisSetting(CompLive->isChecked());
    if (CompLive->isChecked()) {
        RequestLiveAnalysis();
        return;
    }
    FLive->Cancel();
    FLiveResult.reset();
    FLiveStatus->clear();
    ShowLiveSurface();
}

void TMainForm::RequestLiveAnalysis() {
    if (!CompLive->isChecked() || !Model())
        return;
    FLive->SetNotesFile(ProgramFile(FProgramFolder, ErrorMessageNotesFile));
    FLive->Request(FHistory->Current().Description);
}

void TMainForm::ShowLiveResult(const TLiveResult& result) {
    if (!CompLive->isChecked())
        return;
    FLiveResult = result;
    FLiveStatus->setText(result.StatusText());
    FLiveStatus->setToolTip(result.StatusText());
    ShowLiveSurface();
}

void TMainForm::ShowLiveSurface() {
    TLiveSurface surface;
    if (FLiveResult && FLiveResult->FS) {
        surface.Points = FLiveResult->Surface;
        surface.FS = *FLiveResult->FS;
    }
    if (auto* boundary = qobject_cast<TDlgSlopeBoundary*>(DataWindow(TDataWindow::SlopeBoundary)))
        boundary->PaintBox1->SetLiveSurface(surface);
    if (auto* graph = TfrmGraph::Find(MdiArea))
        graph->SetLiveSurface(surface);
}

QString TMainForm::LiveStatusText() const {
    return FLiveStatus ? FLiveStatus->text() : QString();
}
