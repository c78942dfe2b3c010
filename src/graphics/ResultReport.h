#pragma once
// The report of an analysis: a title block, the input tables, the results of every method, the
// picture of the result and the slice table, as a paged PDF (QTextDocument printed on a QPdfWriter)
// or one self-contained HTML file (the picture embedded as a data URI). The desktop program's
// "Export Report..." and `brevanto-cli report` write through the same functions.
#include "model/ResultsFile.h"
#include "text/SlopeFile.h"
#include <QDateTime>
#include <QImage>
#include <QString>

struct TReportSources {
    QString InputPath;
    TSlopeDescription Description;
    bool HaveResults = false; // no results file: the report says so and shows the input only
    TResults Results;
    QImage Picture; // the result plot (null: none)
    QString Notes;  // the error-message notes, for the warnings' remedies
    QString ProgramVersion;
    QDateTime Date;
};

// Reads the input file (the 2.0 layout when it ends in ".qvd"), its results (".qvxr") and plot file
// (".qvxp") of the same name in `runFolder` (empty: beside it), drawing the picture, and the notes
// file when `notesPath` names one. False with `error` when the input file cannot be read as an input
// file; missing results are no error.
bool LoadReportSources(const QString& inputPath, const QString& notesPath, TReportSources& out,
                       QString& error, const QString& runFolder = QString());

// The file of a run named as the input file with `extension` (".qvxr"), in `folder` (empty: beside it).
QString RunFileOf(const QString& inputPath, const char* extension, const QString& folder = QString());

// How the results and the plot beside an input file stand to it. A run saves the model before the
// engine writes them, so they are at least as new as the file they came from; a file saved after
// them may hold another model, and its results are then not to be shown as its own.
enum class TResultsAge {
    Missing, // no results file
    Current, // results and plot, neither older than the input file
    Older,   // results, but they or the plot older than the input file, or no plot
};
TResultsAge ResultsAge(const QString& inputPath);

// The picture of the plot file `plotPath` over the boundary lines of `description`: every option the
// file enables, with the axes, fitted to `size`. Null when the file cannot be read.
QImage ResultPicture(const TSlopeDescription& description, const QString& plotPath, const QSize& size);

// The chart of how the search's minimum fell (the best generated and the best after optimisation
// against the surfaces evaluated), drawn at `size`. Null when the results hold no history.
QImage ConvergenceChart(const TResults& results, const QSize& size);

// The report as HTML; the picture's <img> takes `pictureSource` as its address, the chart of the
// minimum `chartSource` (empty: no chart).
QString ReportHtml(const TReportSources& sources, const QString& pictureSource,
                   const QString& chartSource = QString());

// Writes the report to `path`: PDF for ".pdf", HTML for ".html" or ".htm". False with `error`
// otherwise, or when the file cannot be written.
bool WriteReport(const QString& path, const TReportSources& sources, QString& error);
