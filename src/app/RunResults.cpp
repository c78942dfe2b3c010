#include "app/RunResults.h"

#include "model/ResultsFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

TRunResults ReadRunResults(const QString& path) {
    TRunResults results;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return results;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return results;
    results.Read = true;
    const QJsonObject root = document.object();
    const QJsonObject critical = root.value(QStringLiteral("critical")).toObject();
    const QJsonValue fs = critical.value(QStringLiteral("fs"));
    if (fs.isDouble())
        results.FactorOfSafety = fs.toDouble();
    results.MethodKey =
        critical.value(QStringLiteral("method")).toString(root.value(QStringLiteral("method")).toString());
    for (const QJsonValue& error : root.value(QStringLiteral("errors")).toArray()) {
        const QJsonObject e = error.toObject();
        results.Errors.append(
            {e.value(QStringLiteral("code")).toString(), e.value(QStringLiteral("message")).toString()});
    }
    return results;
}

QString FactorOfSafetyLine(const TRunResults& results) {
    if (!results.FactorOfSafety)
        return QString();
    QString line = QStringLiteral("Factor of safety ") + QString::number(*results.FactorOfSafety, 'f', 3);
    if (!results.MethodKey.isEmpty())
        line += QStringLiteral(" \u2014 ") + MethodTitle(results.MethodKey);
    return line;
}

QString NotAnalysedMessage(const TRunResults& results, const QString& notesText) {
    QStringList parts;
    parts << QStringLiteral("The problem was not analysed: the analysis found errors in the input.");
    for (const TRunError& error : results.Errors) {
        QString text =
            error.Code.isEmpty() ? error.Message : error.Code + QStringLiteral("  ") + error.Message;
        const QString remedy = error.Code.isEmpty() ? QString() : RemedyFor(notesText, error.Code);
        if (!remedy.isEmpty())
            text += QStringLiteral("\rRemedy: ") + remedy;
        parts << text;
    }
    return parts.join(QStringLiteral("\r\r"));
}
