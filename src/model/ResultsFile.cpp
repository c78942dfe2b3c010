#include "model/ResultsFile.h"
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <limits>

const std::vector<TSliceColumn>& SliceColumns() {
    static const std::vector<TSliceColumn> columns = {
        {"x_left", -1, "X left", TQuantity::Length},
        {"x_right", -1, "X right", TQuantity::Length},
        {"width", -1, "Width", TQuantity::Length},
        {"alpha_deg", -1, "Base angle", TQuantity::Angle},
        {"base_length", -1, "Base length", TQuantity::Length},
        {"y_base", -1, "Base y", TQuantity::Length},
        {"y_top", -1, "Ground y", TQuantity::Length},
        {"height", -1, "Height", TQuantity::Length},
        {"weight", -1, "Weight", TQuantity::Force},
        {"soil", -1, "Soil", TQuantity::None},
        {"c", -1, "c", TQuantity::Pressure},
        {"phi_deg", -1, "Phi", TQuantity::Angle},
        {"u", -1, "Pore pressure", TQuantity::Pressure},
        {"normal", -1, "Normal force", TQuantity::Force},
        {"effective_normal", -1, "Effective normal", TQuantity::Force},
        {"shear_strength", -1, "Shear strength", TQuantity::Force},
        {"shear", -1, "Mobilised shear", TQuantity::Force},
        {"e_left", -1, "E left", TQuantity::Force},
        {"e_right", -1, "E right", TQuantity::Force},
        {"xs_left", -1, "X left (shear)", TQuantity::Force},
        {"xs_right", -1, "X right (shear)", TQuantity::Force},
        {"thrust_y", -1, "Thrust line y", TQuantity::Length},
        {"load", 0, "Load x", TQuantity::Force},
        {"load", 1, "Load y", TQuantity::Force},
        {"water", 0, "Free water x", TQuantity::Force},
        {"water", 1, "Free water y", TQuantity::Force},
        {"quake", 0, "Earthquake x", TQuantity::Force},
        {"quake", 1, "Earthquake y", TQuantity::Force},
        {"tieback", 0, "Tieback x", TQuantity::Force},
        {"tieback", 1, "Tieback y", TQuantity::Force},
        {"reinforcement", 0, "Reinforcement x", TQuantity::Force},
        {"reinforcement", 1, "Reinforcement y", TQuantity::Force},
    };
    return columns;
}

int SliceColumnIndex(const char* key, int component) {
    const std::vector<TSliceColumn>& c = SliceColumns();
    for (std::size_t i = 0; i < c.size(); ++i)
        if (qstrcmp(c[i].Key, key) == 0 && c[i].Component == component)
            return static_cast<int>(i);
    return -1;
}

QString MethodTitle(const QString& key) {
    static const char* const names[][2] = {{"ordinary", "the ordinary method of slices"},
                                           {"bishop", "Bishop's simplified method"},
                                           {"janbu", "Janbu's simplified method"},
                                           {"spencer", "Spencer's method"},
                                           {"morgenstern_price", "the Morgenstern-Price method"}};
    for (const auto& n : names)
        if (key == QLatin1String(n[0]))
            return QString::fromLatin1(n[1]);
    return key;
}

QString UnitLabel(TQuantity quantity, const QString& units) {
    const int system = units == "english" ? 0 : (units == "si" ? 1 : 2);
    static const char* const labels[][3] = {
        {"ft", "m", "L"}, {"lbs/ft", "kN/m", "F/L"}, {"lbs/ft²", "kN/m²", "F/L²"}};
    switch (quantity) {
    case TQuantity::Length:
        return QString::fromUtf8(labels[0][system]);
    case TQuantity::Force:
        return QString::fromUtf8(labels[1][system]);
    case TQuantity::Pressure:
        return QString::fromUtf8(labels[2][system]);
    case TQuantity::Angle:
        return QStringLiteral("°");
    default:
        return {};
    }
}

namespace {
constexpr double Missing = std::numeric_limits<double>::quiet_NaN();

std::optional<double> Optional(const QJsonValue& v) {
    if (!v.isDouble())
        return std::nullopt;
    return v.toDouble();
}

// A whole number of the file; 0 where it is none or out of range (a cast of that would be undefined).
qint64 Count(const QJsonValue& v) {
    const double d = v.toDouble();
    return std::isfinite(d) && std::abs(d) < 9e18 ? static_cast<qint64>(d) : 0;
}

QVector<QPointF> PointsOf(const QJsonValue& v) {
    QVector<QPointF> points;
    for (const QJsonValue& p : v.toArray()) {
        const QJsonArray xy = p.toArray();
        if (xy.size() == 2)
            points.append({xy.at(0).toDouble(), xy.at(1).toDouble()});
    }
    return points;
}

void Diagnostics(const QJsonValue& v, QStringList& out) {
    for (const QJsonValue& d : v.toArray()) {
        if (d.isString())
            out << d.toString();
        else
            out << d.toObject().value("code").toString() + " " + d.toObject().value("message").toString();
    }
}

QString Number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

void ReadMethods(const QJsonObject& m, TResults& r) {
    const auto add = [&](const char* key, const char* name, const QString& convergence) {
        TMethodFactor f;
        f.Key = key;
        f.Name = name;
        f.FS = Optional(m.value(key));
        f.Convergence = f.FS ? convergence : QStringLiteral("did not converge");
        r.Methods.append(f);
    };
    const std::optional<double> f0 = Optional(m.value("janbu_f0"));
    const std::optional<double> theta = Optional(m.value("spencer_theta_deg"));
    const std::optional<double> lambda = Optional(m.value("mp_lambda"));
    add("ordinary", "Ordinary (Fellenius)", QStringLiteral("closed form"));
    add("bishop", "Bishop's simplified", QStringLiteral("moment equilibrium"));
    add("janbu_simplified", "Janbu's simplified", QStringLiteral("force equilibrium"));
    add("janbu_corrected", "Janbu's corrected", f0 ? "f0 = " + Number(*f0, 4) : QString());
    add("spencer", "Spencer", theta ? QString::fromUtf8("θ = %1°").arg(Number(*theta, 3)) : QString());
    add("morgenstern_price", "Morgenstern-Price (half-sine)",
        lambda ? QString::fromUtf8("λ = %1").arg(Number(*lambda, 4)) : QString());
}
} // namespace

bool ParseResults(const QByteArray& json, TResults& r, QString& error) {
    r = TResults();
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
        error = "not a results file: " + parse.errorString();
        return false;
    }
    const QJsonObject o = doc.object();
    if (!o.contains("engine") || !o.contains("surfaces")) {
        error = QStringLiteral("not a results file: no engine or surfaces");
        return false;
    }
    r.Schema = o.value("schema").toInt(1);
    r.Engine = o.value("engine").toString();
    r.Version = o.value("version").toString();
    r.Units = o.value("units").toString();
    r.Method = o.value("method").toString();
    r.Seed = Count(o.value("seed"));
    const QJsonObject s = o.value("surfaces").toObject();
    r.Generated = Count(s.value("generated"));
    r.Analysed = Count(s.value("analysed"));
    const QJsonObject rejected = s.value("rejected").toObject();
    for (auto it = rejected.begin(); it != rejected.end(); ++it)
        r.Rejected.append({it.key(), Count(it.value())});
    const QJsonObject search = o.value("search").toObject();
    r.GeneratedBestFS = Optional(search.value("generated_best").toObject().value("fs"));
    r.RefinedBestFS = Optional(search.value("refined_best").toObject().value("fs"));
    r.RefinementEvaluations = Count(search.value("refinement_evaluations"));
    r.Threads = search.value("threads").toInt();
    r.ElapsedSeconds = o.value("elapsed_s").toDouble();
    for (const QJsonValue& v : o.value("convergence").toArray()) {
        const QJsonObject step = v.toObject();
        if (!step.value("share").isDouble() || !step.value("surfaces").isDouble())
            continue;
        r.Convergence.append({step.value("share").toDouble(), Count(step.value("surfaces")),
                              Optional(step.value("generated")), Optional(step.value("optimised"))});
    }
    Diagnostics(o.value("warnings"), r.Warnings);
    Diagnostics(o.value("errors"), r.Errors);

    const QJsonObject c = o.value("critical").toObject();
    r.HasCritical = !c.isEmpty();
    if (r.HasCritical) {
        r.FS = Optional(c.value("fs"));
        r.CriticalMethod = c.value("method").toString();
        r.Points = PointsOf(c.value("points"));
        const QJsonObject circle = c.value("circle").toObject();
        if (!circle.isEmpty()) {
            r.CircleCentre = QPointF(circle.value("x").toDouble(), circle.value("y").toDouble());
            r.CircleRadius = circle.value("r").toDouble();
        }
        ReadMethods(c.value("methods").toObject(), r);
        r.InterSliceMethod = c.value("interslice_method").toString();
        const std::vector<TSliceColumn>& columns = SliceColumns();
        for (const QJsonValue& v : c.value("slices").toArray()) {
            const QJsonObject slice = v.toObject();
            std::vector<double> row(columns.size(), Missing);
            for (std::size_t k = 0; k < columns.size(); ++k) {
                const QJsonValue value = slice.value(columns[k].Key);
                if (columns[k].Component < 0)
                    row[k] = value.isDouble() ? value.toDouble() : Missing;
                else if (value.isArray() && value.toArray().at(columns[k].Component).isDouble())
                    row[k] = value.toArray().at(columns[k].Component).toDouble();
            }
            // The first layout has the slice's middle and width only.
            if (std::isnan(row[0]) && slice.value("x").isDouble() && slice.value("width").isDouble()) {
                row[0] = slice.value("x").toDouble() - slice.value("width").toDouble() / 2;
                row[1] = slice.value("x").toDouble() + slice.value("width").toDouble() / 2;
            }
            r.Slices.push_back(std::move(row));
        }
        Diagnostics(c.value("warnings"), r.Warnings);
        r.Warnings.removeDuplicates();
    }
    for (const QJsonValue& v : o.value("ten").toArray()) {
        const QJsonObject t = v.toObject();
        r.Ten.append({Optional(t.value("fs")), PointsOf(t.value("points"))});
    }
    return true;
}

bool ReadResultsFile(const QString& path, TResults& out, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + path + ": " + file.errorString();
        out = TResults();
        return false;
    }
    return ParseResults(file.readAll(), out, error);
}

QString SlicesCsv(const TResults& results) {
    const std::vector<TSliceColumn>& columns = SliceColumns();
    QString csv = QStringLiteral("Slice");
    for (const TSliceColumn& c : columns) {
        const QString unit = UnitLabel(c.Quantity, results.Units);
        csv += ",\"" + QString::fromUtf8(c.Title) + (unit.isEmpty() ? QString() : " (" + unit + ")") + "\"";
    }
    csv += "\n";
    for (std::size_t i = 0; i < results.Slices.size(); ++i) {
        csv += QString::number(i + 1);
        for (const double v : results.Slices[i])
            csv += "," + (std::isnan(v) ? QString() : QString::number(v, 'g', 17));
        csv += "\n";
    }
    return csv;
}

QString RemedyFor(const QString& notesText, const QString& code) {
    const QStringList lines = notesText.split(QRegularExpression("\r?\n"));
    bool inEntry = false, inRemedy = false;
    QString remedy;
    for (const QString& line : lines) {
        if (!line.isEmpty() && !line.at(0).isSpace()) {
            if (inEntry)
                break;
            inEntry = line.startsWith(code + " ");
            continue;
        }
        if (!inEntry)
            continue;
        const QString t = line.trimmed();
        if (t.startsWith("Remedy")) {
            inRemedy = true;
            remedy = t.mid(t.indexOf(':') + 1).trimmed();
        } else if (inRemedy) {
            if (t.isEmpty() || QRegularExpression("^[A-Z][a-z]+ *:").match(t).hasMatch())
                break;
            remedy += " " + t;
        }
    }
    return remedy;
}
