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

// "Bishop's simplified method" for "bishop"; the key itself for one this program does not know.
QString MethodTitle(const QString& key);

// "Factor of safety 1.111 — Bishop's simplified method", or empty without a factor.
QString FactorOfSafetyLine(const TRunResults& results);

// The remedy of an error code in the error-message notes (the text after "Remedy :" of the code's
// entry, its lines joined), or empty when the notes do not have it.
QString RemedyFor(const QString& code, const QString& notesText);

// The message after a run whose results hold errors: the problem was not analysed, then each error
// with its code, its message and its remedy.
QString NotAnalysedMessage(const TRunResults& results, const QString& notesText);
