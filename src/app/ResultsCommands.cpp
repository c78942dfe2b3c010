#include "app/ResultsCommands.h"
#include "app/EngineRun.h"
#include "app/MainWindow.h"
#include "app/ModelHistory.h"
#include "app/TextFiles.h"
#include "graphics/ResultReport.h"
#include "model/SlopeModel.h"
#include "text/FileNames.h"
#include "widgets/GraphWindow.h"
#include "widgets/MsgBox.h"
#include "widgets/ResultsWindow.h"
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#ifndef BREVANTO_VERSION
#define BREVANTO_VERSION "2015.4.4"
#endif

namespace {
QString InputPath(const TMainForm& form) {
    const TProgramData* model = form.Model();
    if (!model || model->FileName == TProgramData::NewFileName)
        return {};
    return QFileInfo(QString::fromStdString(model->FileName)).absoluteFilePath();
}

QString ResultsPath(const TMainForm& form) {
    const QString input = InputPath(form);
    return input.isEmpty() ? QString() : QString::fromStdString(ChangeFileExt(input.toStdString(), ".qvxr"));
}

// The results window says so when what it shows may not be the model's: the model has been changed
// since it was saved, or the file was saved after the analysis (a save of the same model counts too:
// the files cannot tell).
void MarkOutdatedResults(TMainForm& form) {
    if (TResultsWindow* w = TResultsWindow::Find(form.MdiArea))
        w->SetOutdated(form.IsModified() || ResultsAge(InputPath(form)) == TResultsAge::Older);
}

TResultsWindow* OpenResults(TMainForm& form) {
    TResultsWindow* w = TResultsWindow::ShowResults(form.MdiArea, ResultsPath(form),
                                                    ProgramFile(form.ProgramFolder(), ErrorMessageNotesFile));
    MarkOutdatedResults(form);
    // Each change of the model, each save and each return to the window looks again.
    TModelHistory& history = form.History();
    QObject::disconnect(&history, nullptr, w, nullptr);
    QObject::connect(&history, &TModelHistory::ModelChanged, w, [&form] { MarkOutdatedResults(form); });
    QObject::connect(&history, &TModelHistory::SavedStateChanged, w, [&form] { MarkOutdatedResults(form); });
    QObject::disconnect(form.MdiArea, &QMdiArea::subWindowActivated, w, nullptr);
    QObject::connect(form.MdiArea, &QMdiArea::subWindowActivated, w, [&form] { MarkOutdatedResults(form); });
    // Choosing one of the ten surfaces shows it in the graph window, opened for it when needed.
    QObject::disconnect(w, &TResultsWindow::SurfaceChosen, &form, nullptr);
    QObject::connect(w, &TResultsWindow::SurfaceChosen, &form, [&form](int rank) {
        TfrmGraph* graph = TfrmGraph::Find(form.MdiArea);
        if (!graph && form.Model()) {
            graph = TfrmGraph::ShowGraph(form.MdiArea, *form.Model());
            if (TResultsWindow* results = TResultsWindow::Find(form.MdiArea))
                form.MdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(results->parentWidget()));
        }
        if (graph)
            graph->HighlightSurface(rank);
    });
    return w;
}

void ExportReport(TMainForm& form) {
    form.CommitActiveChild();
    const QString input = InputPath(form);
    if (input.isEmpty() || form.IsModified()) {
        MsgInformation(&form, QStringLiteral("Save the model first: the report shows the saved file and its "
                                             "last analysis."));
        return;
    }
    // The report puts the file's input beside the results of its last run: a file saved after that
    // run may hold another model, whose report would pair it with results that are not its own.
    if (ResultsAge(input) == TResultsAge::Older) {
        MsgInformation(&form, QStringLiteral("Run the analysis first (Computation > Run Analysis): the model "
                                             "was saved after its last analysis, so the results beside it "
                                             "may not be this model's."));
        return;
    }
    const QString suggested = QString::fromStdString(ChangeFileExt(input.toStdString(), "-report.pdf"));
    const QString target = QFileDialog::getSaveFileName(&form, QStringLiteral("Export Report"), suggested,
                                                        QStringLiteral("PDF (*.pdf);;HTML (*.html)"));
    if (target.isEmpty())
        return;
    TReportSources sources;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok =
        LoadReportSources(input, ProgramFile(form.ProgramFolder(), ErrorMessageNotesFile), sources, error);
    if (ok) {
        sources.ProgramVersion = QStringLiteral(BREVANTO_VERSION);
        ok = WriteReport(target, sources, error);
    }
    QApplication::restoreOverrideCursor();
    if (!ok)
        MsgInformation(&form, "The report was not written: " + error);
}
} // namespace

void AddResultsCommands(TMainForm& form) {
    auto* report = new QAction(QStringLiteral("Export &Report..."), &form);
    report->setObjectName(QStringLiteral("FileExportReport"));
    form.FileMenu->insertAction(form.N1, report);
    QObject::connect(report, &QAction::triggered, &form, [&form] { ExportReport(form); });

    auto* results = form.ViewMenu->addAction(QStringLiteral("&Results"));
    results->setObjectName(QStringLiteral("ViewResults"));
    QObject::connect(results, &QAction::triggered, &form, [&form] { OpenResults(form); });
    QObject::connect(form.ViewMenu, &QMenu::aboutToShow, &form, [&form, results] {
        results->setEnabled(!ResultsPath(form).isEmpty() && QFileInfo::exists(ResultsPath(form)));
    });
    QObject::connect(form.FileMenu, &QMenu::aboutToShow, &form,
                     [&form, report] { report->setEnabled(!InputPath(form).isEmpty()); });
    form.AfterRun = [&form] { ShowRunResults(form); };
}

void ShowRunResults(TMainForm& form) {
    // A run whose engine wrote no readable results opens nothing, but an open window is refreshed
    // (and then says why it shows nothing).
    TResults results;
    QString error;
    if (TResultsWindow::Find(form.MdiArea) || ReadResultsFile(ResultsPath(form), results, error))
        OpenResults(form);
}
