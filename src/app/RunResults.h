#pragma once
// What a run's results file (".qvxr") says, turned into what the program tells the user: the factor
// of safety with its method after a successful analysis, or the engine's errors with the remedies of
// the error-message notes when it refused the input.
#include <QList>
#include <QString>
#include <optional>

struct TRunError {
    QString Code;
    QString Message;
};

struct TRunResults {
    bool Read = false; // the file was there and held a JSON object
    std::optional<double> FactorOfSafety;
    QString MethodKey; // "bishop", "janbu", ...
    QList<TRunError> Errors;
};

// Reads a results file; Read stays false when it is missing or not JSON.
TRunResults ReadRunResults(const QString& path);

// "Factor of safety 1.111 — Bishop's simplified method", or empty without a factor.
QString FactorOfSafetyLine(const TRunResults& results);

// The message after a run whose results hold errors: the problem was not analysed, then each error
// with its code, its message and its remedy.
QString NotAnalysedMessage(const TRunResults& results, const QString& notesText);
