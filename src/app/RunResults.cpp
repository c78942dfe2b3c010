#include "app/RunResults.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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

QString MethodTitle(const QString& key) {
    if (key == QLatin1String("ordinary"))
        return QStringLiteral("Ordinary method of slices (Fellenius)");
    if (key == QLatin1String("bishop"))
        return QStringLiteral("Bishop's simplified method");
    if (key == QLatin1String("janbu"))
        return QStringLiteral("Janbu's simplified method");
    if (key == QLatin1String("spencer"))
        return QStringLiteral("Spencer's method");
    if (key == QLatin1String("morgenstern_price"))
        return QStringLiteral("Morgenstern-Price method");
    return key;
}

QString FactorOfSafetyLine(const TRunResults& results) {
    if (!results.FactorOfSafety)
        return QString();
    QString line = QStringLiteral("Factor of safety ") + QString::number(*results.FactorOfSafety, 'f', 3);
    if (!results.MethodKey.isEmpty())
        line += QStringLiteral(" \u2014 ") + MethodTitle(results.MethodKey);
    return line;
}

QString RemedyFor(const QString& code, const QString& notesText) {
    if (code.isEmpty())
        return QString();
    // An entry starts with its code at the start of a line and ends at the first empty line.
    const QStringList lines = QString(notesText).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    qsizetype at = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(code) &&
            (lines[i].size() == code.size() || lines[i][code.size()].isSpace())) {
            at = i;
            break;
        }
    if (at < 0)
        return QString();
    QStringList remedy;
    bool inRemedy = false;
    static const QRegularExpression label(QStringLiteral("^\\s*Remedy\\s*:\\s*"));
    static const QRegularExpression otherLabel(QStringLiteral("^\\s*[A-Z][a-z]+\\s*:"));
    for (qsizetype i = at + 1; i < lines.size() && !lines[i].trimmed().isEmpty(); ++i) {
        QString line = lines[i];
        if (label.match(line).hasMatch()) {
            inRemedy = true;
            line.remove(label);
        } else if (inRemedy && otherLabel.match(line).hasMatch()) {
            break;
        }
        if (inRemedy)
            remedy << line.trimmed();
    }
    return remedy.join(QLatin1Char(' '));
}

QString NotAnalysedMessage(const TRunResults& results, const QString& notesText) {
    QStringList parts;
    parts << QStringLiteral("The problem was not analysed: the analysis found errors in the input.");
    for (const TRunError& error : results.Errors) {
        QString text =
            error.Code.isEmpty() ? error.Message : error.Code + QStringLiteral("  ") + error.Message;
        const QString remedy = RemedyFor(error.Code, notesText);
        if (!remedy.isEmpty())
            text += QStringLiteral("\rRemedy: ") + remedy;
        parts << text;
    }
    return parts.join(QStringLiteral("\r\r"));
}
