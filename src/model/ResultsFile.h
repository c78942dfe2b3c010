#pragma once
// The engine's results file (".qvxr", JSON) as the program's windows and the report read it: every
// method's factor, the critical surface with its slices, the ten most critical surfaces, the search's
// statistics and the warnings. Keys the file lacks (an older engine) read as absent, never as zero.
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <vector>

// What a column's values measure, for its unit label.
enum class TQuantity { None, Length, Force, Pressure, Angle, Count };

// One column of the slice table: the JSON key, and for a force pair ([fx, fy]) the component.
struct TSliceColumn {
    const char* Key;
    int Component; // -1: a plain number; 0 or 1: the x or y part of a pair
    const char* Title;
    TQuantity Quantity;
};

// The slice table's columns in their order.
const std::vector<TSliceColumn>& SliceColumns();
// The column with `key` (and component), or -1.
int SliceColumnIndex(const char* key, int component = -1);

// The name of a method by its key in the file ("bishop": "Bishop's simplified method").
QString MethodTitle(const QString& key);

// The unit label of a quantity in a unit system ("english", "si" or "other").
QString UnitLabel(TQuantity quantity, const QString& units);

struct TMethodFactor {
    QString Key;  // "bishop", ...
    QString Name; // "Bishop's simplified", ...
    std::optional<double> FS;
    QString Convergence; // "theta = 12.3°", "f0 = 1.05", or why there is none
};

struct TRankedSurface {
    std::optional<double> FS;
    QVector<QPointF> Points;
};

// The search's minimum after a share of its surfaces (the engine reports 10, 25, 50 and 100 %): the
// most critical generated surface and the most critical after optimisation, absent while none of
// those surfaces had a factor.
struct TConvergenceStep {
    double Share = 0;
    qint64 Surfaces = 0;
    std::optional<double> Generated, Optimised;
};

struct TResults {
    int Schema = 1; // files without the key are of the first layout
    QString Engine, Version, Units, Method;
    qint64 Seed = 0;
    qint64 Generated = 0, Analysed = 0;
    QVector<QPair<QString, qint64>> Rejected;
    std::optional<double> GeneratedBestFS, RefinedBestFS;
    qint64 RefinementEvaluations = 0;
    int Threads = 0;
    double ElapsedSeconds = 0;
    // How the minimum fell; empty for a file without the history (an older engine, a single surface).
    QVector<TConvergenceStep> Convergence;

    bool HasCritical = false;
    std::optional<double> FS;
    QString CriticalMethod;
    QVector<QPointF> Points;
    std::optional<QPointF> CircleCentre;
    double CircleRadius = 0;
    QVector<TMethodFactor> Methods;
    QString InterSliceMethod; // empty: the slices carry no interslice forces
    // Slice values by column (SliceColumns()), NaN where the file has null or nothing.
    std::vector<std::vector<double>> Slices;
    QStringList Warnings; // "CODE message", the run's and the critical surface's
    QVector<TRankedSurface> Ten;
    QStringList Errors; // "CODE message"
};

// Reads `path`; false with `error` set when it is missing or no results file.
bool ReadResultsFile(const QString& path, TResults& out, QString& error);
bool ParseResults(const QByteArray& json, TResults& out, QString& error);

// The slice table as comma-separated text with a header line (numbers in full precision, "."
// always), for spreadsheets.
QString SlicesCsv(const TResults& results);

// The remedy that the error-message notes give for `code` ("W202"), empty when they give none.
QString RemedyFor(const QString& notesText, const QString& code);
