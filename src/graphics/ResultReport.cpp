#include "graphics/ResultReport.h"
#include "graphics/PlotFile.h"
#include "graphics/PlotRenderer.h"
#include "text/Errors.h"
#include "text/WordRead.h"
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {
QString Esc(const QString& s) {
    return s.toHtmlEscaped();
}

QString Num(double v, int decimals = 2) {
    if (!std::isfinite(v))
        return QStringLiteral("–");
    QString s = QString::number(v, 'f', decimals);
    if (s.startsWith('-') && s.count('0') + 2 == s.size())
        s.remove(0, 1); // no "-0.00"
    return s;
}

QString Ext(Extended v, int decimals = 2) {
    return Num(static_cast<double>(v), decimals);
}

QString UnitSystemText(int system) {
    switch (system) {
    case 1:
        return QString::fromUtf8("English (ft, lbs/ft², lbs/ft³; forces per foot of width)");
    case 2:
        return QString::fromUtf8("SI (m, kN/m², kN/m³; forces per metre of width)");
    default:
        return QString::fromUtf8("other (L, F/L², F/L³; forces per unit width)");
    }
}

QString UnitsKey(int system) {
    return system == 1 ? QStringLiteral("english")
                       : (system == 2 ? QStringLiteral("si") : QStringLiteral("other"));
}

QString SearchText(int kind) {
    switch (kind) {
    case 1:
        return QStringLiteral("user-defined failure surface");
    case 2:
        return QStringLiteral("circular search, Janbu's method (CIRCLE)");
    case 3:
        return QStringLiteral("circular search, Bishop's method (CIRCL2)");
    case 4:
        return QStringLiteral("irregular search (RANDOM)");
    case 5:
        return QStringLiteral("block search (BLOCK)");
    case 6:
        return QStringLiteral("circular search, Spencer's method (SPENCR)");
    default:
        return QStringLiteral("none");
    }
}

// A table with a header row; `rows` of cells already escaped.
class THtmlTable {
  public:
    explicit THtmlTable(const QStringList& header) {
        Html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\"><tr>";
        for (const QString& h : header)
            Html += "<th bgcolor=\"#e4e8ee\">" + Esc(h) + "</th>";
        Html += "</tr>";
        Columns = header.size();
    }
    void Row(const QStringList& cells) {
        Html += "<tr>";
        for (const QString& c : cells)
            Html += "<td align=\"right\">" + Esc(c) + "</td>";
        Html += "</tr>";
        ++Rows;
    }
    QString Text(const QString& empty = QStringLiteral("(none)")) const {
        if (Rows == 0)
            return "<p><i>" + Esc(empty) + "</i></p>";
        return Html + "</table>";
    }

  private:
    QString Html;
    int Columns = 0, Rows = 0;
};

QString Heading(const QString& text, int level = 2, bool newPage = false) {
    const QString tag = "h" + QString::number(level);
    return "<" + tag + (newPage ? " style=\"page-break-before: always\"" : "") + ">" + Esc(text) + "</" +
           tag + ">";
}

QString KeyValues(const QVector<QPair<QString, QString>>& rows) {
    QString html = "<table cellspacing=\"0\" cellpadding=\"2\">";
    for (const auto& [k, v] : rows)
        html += "<tr><td><b>" + Esc(k) + "</b></td><td>" + Esc(v) + "</td></tr>";
    return html + "</table>";
}

QString TitleBlock(const TReportSources& s) {
    const TSlopeSettings& st = s.Description.Settings;
    QString html = "<h1>" + Esc(QString::fromStdString(st.Title)) + "</h1>";
    html += KeyValues({{"Project title", QString::fromStdString(st.Title)},
                       {"File", QFileInfo(s.InputPath).absoluteFilePath()},
                       {"Date", s.Date.toString("yyyy-MM-dd HH:mm")},
                       {"Program", "Brevanto " + s.ProgramVersion},
                       {"Units", UnitSystemText(st.UnitSystem)}});
    return html;
}

QString InputTables(const TSlopeDescription& d) {
    const TSlopeSettings& st = d.Settings;
    const QString units = UnitsKey(st.UnitSystem);
    const QString len = UnitLabel(TQuantity::Length, units), pr = UnitLabel(TQuantity::Pressure, units),
                  force = UnitLabel(TQuantity::Force, units);
    const QString uw = units == "english"
                           ? QString::fromUtf8("lbs/ft³")
                           : (units == "si" ? QString::fromUtf8("kN/m³") : QString::fromUtf8("F/L³"));
    QString html = Heading("Input");

    html += Heading("Boundary lines", 3);
    html +=
        "<p>The first " + QString::number(st.SurfaceBoundaryCount) + " lines form the ground surface.</p>";
    THtmlTable boundaries({"#", "Left X (" + len + ")", "Left Y (" + len + ")", "Right X (" + len + ")",
                           "Right Y (" + len + ")", "Soil"});
    for (std::size_t i = 0; i < d.Boundaries.size(); ++i) {
        const TSlopeBoundary& b = d.Boundaries[i];
        boundaries.Row({QString::number(i + 1), Ext(b.LeftX), Ext(b.LeftY), Ext(b.RightX), Ext(b.RightY),
                        QString::number(b.Soil)});
    }
    html += boundaries.Text();

    html += Heading("Soils", 3);
    THtmlTable soils({"Soil", "Moist unit weight (" + uw + ")", "Saturated unit weight (" + uw + ")",
                      "Cohesion (" + pr + ")", QString::fromUtf8("Friction angle (°)"), "Piezometric surface",
                      "ru", "Pore-pressure constant (" + pr + ")"});
    QString anisotropy;
    for (std::size_t i = 0; i < d.Soils.size(); ++i) {
        const TSlopeSoil& s = d.Soils[i];
        soils.Row({QString::number(i + 1), Ext(s.MoistUnitWeight), Ext(s.SaturatedUnitWeight),
                   Ext(s.Cohesion), Ext(s.FrictionAngle),
                   s.PiezometricSurface ? QString::number(s.PiezometricSurface) : "none",
                   Ext(s.PorePressureCoefficient, 3), Ext(s.PorePressureConstant)});
        if (HasAnisotropyData(s)) {
            THtmlTable rows({QString::fromUtf8("Direction limit (°)"), "Cohesion (" + pr + ")",
                             QString::fromUtf8("Friction angle (°)")});
            for (const TSlopeAnisotropy& a : s.Anisotropy)
                rows.Row({Ext(a.DirectionLimit), Ext(a.Cohesion), Ext(a.FrictionAngle)});
            anisotropy += "<p>Anisotropic strength of soil " + QString::number(i + 1) + ":</p>" + rows.Text();
        }
    }
    html += soils.Text() + anisotropy;

    html += Heading("Water", 3);
    if (st.HasWater) {
        html += "<p>Unit weight of water: " + Ext(st.WaterUnitWeight) + " " + uw + "</p>";
        THtmlTable water({"Surface", "Point", "X (" + len + ")", "Y (" + len + ")"});
        for (std::size_t i = 0; i < d.WaterSurfaces.size(); ++i)
            for (std::size_t k = 0; k < d.WaterSurfaces[i].Points.size(); ++k)
                water.Row({QString::number(i + 1), QString::number(k + 1),
                           Ext(d.WaterSurfaces[i].Points[k].X), Ext(d.WaterSurfaces[i].Points[k].Y)});
        html += water.Text();
    } else {
        html += "<p><i>(none)</i></p>";
    }

    html += Heading("Loads", 3);
    THtmlTable loads({"#", "Left X (" + len + ")", "Right X (" + len + ")", "Intensity (" + pr + ")",
                      QString::fromUtf8("CCW inclination (°)")});
    if (st.HasSurcharge)
        for (std::size_t i = 0; i < d.Loads.size(); ++i)
            loads.Row({QString::number(i + 1), Ext(d.Loads[i].LeftX), Ext(d.Loads[i].RightX),
                       Ext(d.Loads[i].Intensity), Ext(d.Loads[i].Inclination)});
    html += loads.Text();

    html += Heading("Earthquake", 3);
    html += st.HasEarthquake ? KeyValues({{"Horizontal coefficient kh", Ext(st.HorizontalCoefficient, 3)},
                                          {"Vertical coefficient kv", Ext(st.VerticalCoefficient, 3)},
                                          {"Cavitation pressure", Ext(st.CavitationPressure) + " " + pr}})
                             : QStringLiteral("<p><i>(none)</i></p>");

    html += Heading("Tiebacks", 3);
    THtmlTable ties({"#", "Boundary surface", "X (" + len + ")", "Y (" + len + ")", "Load",
                     "Spacing (" + len + ")", QString::fromUtf8("Inclination (°)"),
                     "Free length (" + len + ")"});
    if (st.HasTiebacks)
        for (std::size_t i = 0; i < d.Tiebacks.size(); ++i) {
            const TSlopeTieback& t = d.Tiebacks[i];
            ties.Row({QString::number(i + 1), QString::number(t.BoundarySurface), Ext(t.X), Ext(t.Y),
                      Ext(t.Load), Ext(t.Spacing), Ext(t.Inclination), Ext(t.FreeLength)});
        }
    html += ties.Text();

    html += Heading("Reinforcement", 3);
    THtmlTable reinf({"Line", "Point", "X (" + len + ")", "Y (" + len + ")", "Force (" + force + ")",
                      "Inclination factor"});
    if (st.HasReinforcement)
        for (std::size_t i = 0; i < d.Reinforcement.size(); ++i)
            for (std::size_t k = 0; k < d.Reinforcement[i].Layers.size(); ++k) {
                const TSlopeReinforcementLayer& l = d.Reinforcement[i].Layers[k];
                reinf.Row({QString::number(i + 1), QString::number(k + 1), Ext(l.X), Ext(l.Y), Ext(l.Force),
                           Ext(l.InclinationFactor)});
            }
    html += reinf.Text();

    html += Heading("Search settings", 3);
    QVector<QPair<QString, QString>> search = {{"Failure surface", SearchText(st.SearchKind)}};
    if (st.SearchKind >= 2) {
        search +=
            {{"Initiation points", QString::number(st.InitiationPoints)},
             {st.SearchKind == 5 ? "Surfaces" : "Surfaces per point", QString::number(st.SurfacesPerPoint)},
             {"Initiation X", Ext(st.LeftInitiationX) + " to " + Ext(st.RightInitiationX) + " " + len},
             {"Termination X", Ext(st.LeftTerminationX) + " to " + Ext(st.RightTerminationX) + " " + len},
             {"Minimum elevation", Ext(st.MinimumElevation) + " " + len},
             {"Segment length", Ext(st.SegmentLength) + " " + len},
             {"Direction limits",
              Ext(st.CwLimit) + QString::fromUtf8("° to ") + Ext(st.CcwLimit) + QString::fromUtf8("°")}};
        if (st.SearchKind == 6)
            search += {{"Interslice angle", Ext(st.InterSliceAngle) + QString::fromUtf8("°")}};
    }
    html += KeyValues(search);
    if (st.SearchKind == 1) {
        THtmlTable surface({"Point", "X (" + len + ")", "Y (" + len + ")"});
        for (std::size_t i = 0; i < d.Surface.size(); ++i)
            surface.Row({QString::number(i + 1), Ext(d.Surface[i].X), Ext(d.Surface[i].Y)});
        html += surface.Text();
    }
    if (st.SearchKind == 5) {
        THtmlTable boxes({"Box", "Left X", "Left Y", "Right X", "Right Y", "Side length"});
        for (std::size_t i = 0; i < d.Boxes.size(); ++i) {
            const TSlopeBox& b = d.Boxes[i];
            boxes.Row({QString::number(i + 1), Ext(b.LeftX), Ext(b.LeftY), Ext(b.RightX), Ext(b.RightY),
                       Ext(b.SideLength)});
        }
        html += boxes.Text();
    }
    if (st.HasLimits) {
        THtmlTable limits({"Limit", "Left X", "Left Y", "Right X", "Right Y"});
        for (std::size_t i = 0; i < d.Limits.size(); ++i) {
            const TSlopeLimit& l = d.Limits[i];
            limits.Row({QString::number(i + 1), Ext(l.LeftX), Ext(l.LeftY), Ext(l.RightX), Ext(l.RightY)});
        }
        html += "<p>Trial-surface limits:</p>" + limits.Text();
    }
    return html;
}

QString Optional(const std::optional<double>& v, int decimals = 3) {
    return v ? Num(*v, decimals) : QStringLiteral("–");
}

// How the search's minimum fell as surfaces were added, the chart below the table; nothing for a
// file without the history.
QString ConvergenceTable(const TResults& r, const QString& chartSource) {
    if (r.Convergence.isEmpty())
        return {};
    THtmlTable table({"Share of surfaces", "Surfaces evaluated", "Best generated", "After optimisation"});
    for (const TConvergenceStep& c : r.Convergence)
        table.Row({Num(100 * c.Share, 0) + " %", QString::number(c.Surfaces), Optional(c.Generated),
                   Optional(c.Optimised)});
    return Heading("How the minimum fell", 3) +
           "<p>The minimum factor of safety after each share of the surfaces: the best generated surface, "
           "and the best after optimising the record surfaces among them.</p>" +
           table.Text() +
           (chartSource.isEmpty() ? QString()
                                  : "<p><img src=\"" + Esc(chartSource) + "\" width=\"420\"></p>");
}

QString ResultsPart(const TReportSources& s, const QString& chartSource) {
    const TResults& r = s.Results;
    QString html = Heading("Results", 2, true);
    if (!s.HaveResults)
        return html + "<p>No results: the model has not been analysed (no results file beside it).</p>";
    if (!r.Errors.isEmpty()) {
        html += "<p><b>The analysis stopped on errors:</b></p><ul>";
        for (const QString& e : r.Errors)
            html += "<li>" + Esc(e) + "</li>";
        html += "</ul>";
    }
    if (r.HasCritical) {
        html += "<p style=\"font-size: large\"><b>Factor of safety: " + Optional(r.FS) + "</b> (" +
                Esc(MethodTitle(r.CriticalMethod)) + ", the method that ranks the surfaces)</p>";
        THtmlTable methods({"Method", "Factor of safety", "Convergence"});
        for (const TMethodFactor& m : r.Methods)
            methods.Row({m.Name, Optional(m.FS), m.Convergence});
        html += Heading("Every method on the critical surface", 3) + methods.Text();
        const QString len = UnitLabel(TQuantity::Length, r.Units);
        html += Heading("Critical surface", 3);
        if (r.CircleCentre)
            html += "<p>Circle: centre (" + Num(r.CircleCentre->x()) + ", " + Num(r.CircleCentre->y()) +
                    "), radius " + Num(r.CircleRadius) + " " + Esc(len) + "</p>";
        THtmlTable points({"Point", "X (" + len + ")", "Y (" + len + ")"});
        for (int i = 0; i < r.Points.size(); ++i)
            points.Row({QString::number(i + 1), Num(r.Points[i].x()), Num(r.Points[i].y())});
        html += points.Text();
    }
    html += Heading("Search", 3);
    QVector<QPair<QString, QString>> stats = {{"Surfaces generated", QString::number(r.Generated)},
                                              {"Surfaces analysed", QString::number(r.Analysed)}};
    for (const auto& [reason, n] : r.Rejected)
        stats += {"Rejected: " + reason, QString::number(n)};
    if (r.GeneratedBestFS)
        stats += {"Best generated surface", Optional(r.GeneratedBestFS)};
    if (r.RefinedBestFS)
        stats += {"Best after refinement", Optional(r.RefinedBestFS)};
    stats += {"Seed", QString::number(r.Seed)};
    html += KeyValues(stats);
    html += ConvergenceTable(r, chartSource);
    THtmlTable ten({"Rank", "Factor of safety", "From (x, y)", "To (x, y)"});
    for (int i = 0; i < r.Ten.size(); ++i) {
        const TRankedSurface& t = r.Ten[i];
        if (t.Points.isEmpty())
            continue;
        ten.Row({QString::number(i + 1), Optional(t.FS),
                 "(" + Num(t.Points.first().x()) + ", " + Num(t.Points.first().y()) + ")",
                 "(" + Num(t.Points.last().x()) + ", " + Num(t.Points.last().y()) + ")"});
    }
    html += Heading("The most critical surfaces", 3) + ten.Text();
    html += Heading("Warnings", 3);
    if (r.Warnings.isEmpty()) {
        html += "<p><i>(none)</i></p>";
    } else {
        html += "<ul>";
        for (const QString& w : r.Warnings) {
            const QString remedy = RemedyFor(s.Notes, w.section(' ', 0, 0));
            html += "<li>" + Esc(w) +
                    (remedy.isEmpty() ? QString() : "<br><i>Remedy: " + Esc(remedy) + "</i>") + "</li>";
        }
        html += "</ul>";
    }
    return html;
}

// The slice table in three parts that each fit a page's width.
QString SliceTables(const TResults& r) {
    if (r.Slices.empty())
        return {};
    const std::vector<TSliceColumn>& columns = SliceColumns();
    const QVector<QVector<const char*>> parts = {{"x_left", "x_right", "width", "alpha_deg", "base_length",
                                                  "height", "weight", "soil", "c", "phi_deg", "u"},
                                                 {"normal", "effective_normal", "shear_strength", "shear",
                                                  "e_left", "e_right", "xs_left", "xs_right", "thrust_y"},
                                                 {"load", "water", "quake", "tieback", "reinforcement"}};
    const QStringList titles = {"Slices: geometry and strength", "Slices: base and interslice forces",
                                "Slices: other forces"};
    QString html = Heading("Slices of the critical surface", 2, true);
    if (!r.InterSliceMethod.isEmpty())
        html += "<p>Interslice forces E (normal) and X (shear) and the line of thrust from the solution of " +
                Esc(MethodTitle(r.InterSliceMethod)) + ".</p>";
    for (int p = 0; p < parts.size(); ++p) {
        std::vector<int> picked;
        for (std::size_t k = 0; k < columns.size(); ++k)
            for (const char* key : parts[p])
                if (qstrcmp(columns[k].Key, key) == 0)
                    picked.push_back(static_cast<int>(k));
        QStringList header = {"#"};
        for (const int k : picked) {
            const QString unit = UnitLabel(columns[k].Quantity, r.Units);
            header << QString::fromUtf8(columns[k].Title) + (unit.isEmpty() ? QString() : " (" + unit + ")");
        }
        THtmlTable table(header);
        for (std::size_t i = 0; i < r.Slices.size(); ++i) {
            QStringList cells = {QString::number(i + 1)};
            for (const int k : picked)
                cells << Num(r.Slices[i][static_cast<std::size_t>(k)],
                             columns[k].Key == QLatin1String("soil") ? 0 : 2);
            table.Row(cells);
        }
        html += Heading(titles[p], 3) + table.Text();
    }
    return html;
}

// The chart of the minimum: sharp at the width the report gives it.
const QSize ChartSize(960, 560);

bool IsOldLayout(const QString& path) {
    return path.endsWith(".qvd", Qt::CaseInsensitive);
}

} // namespace

QString RunFileOf(const QString& inputPath, const char* extension, const QString& folder) {
    const QFileInfo info(inputPath);
    return (folder.isEmpty() ? info.dir() : QDir(folder)).filePath(info.completeBaseName() + extension);
}

QImage ResultPicture(const TSlopeDescription& description, const QString& plotPath, const QSize& size) {
    TBoundaryLines boundary;
    for (const TSlopeBoundary& b : description.Boundaries)
        boundary.push_back({static_cast<double>(b.LeftX), static_cast<double>(b.LeftY),
                            static_cast<double>(b.RightX), static_cast<double>(b.RightY), b.Soil});
    const auto store = std::make_unique<TPlotStore>();
    bool problem = false;
    if (!ReadPlotFile(plotPath.toStdString(), boundary, *store,
                      [&problem](TMessageKind, const std::string&) { problem = true; }) ||
        store->BoundaryPointCount == 0)
        return {};
    TDrawSettings settings;
    settings.Options = store->Enabled;
    settings.Options.Scale = true;
    settings.RadiusLines = description.Settings.SearchKind != 4 && description.Settings.SearchKind != 5;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    TViewTransform view;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    FitView(QRect(QPoint(0, 0), size), true, *store, view);
    DrawPlot(painter, Qt::white, QRect(QPoint(0, 0), size), settings, *store, view);
    return image;
}

TResultsAge ResultsAge(const QString& inputPath) {
    const QFileInfo results(RunFileOf(inputPath, ".qvxr")), plot(RunFileOf(inputPath, ".qvxp")),
        in(inputPath);
    if (!results.exists())
        return TResultsAge::Missing;
    return plot.exists() && results.lastModified() >= in.lastModified() &&
                   plot.lastModified() >= in.lastModified()
               ? TResultsAge::Current
               : TResultsAge::Older;
}

bool LoadReportSources(const QString& inputPath, const QString& notesPath, TReportSources& out,
                       QString& error, const QString& runFolder) {
    out = TReportSources();
    out.InputPath = inputPath;
    out.Date = QDateTime::currentDateTime();
    try {
        TWordReader reader(inputPath.toStdString());
        ReadSlopeFile(reader, !IsOldLayout(inputPath), out.Description);
    } catch (const EBrevantoError& e) {
        error =
            "cannot read the input file " + inputPath + ": " + QString::fromStdString(e.what()).simplified();
        return false;
    }
    if (out.Description.Boundaries.empty()) {
        error = "the input file " + inputPath + " holds no slope (no boundary lines)";
        return false;
    }
    QString ignored;
    out.HaveResults = ReadResultsFile(RunFileOf(inputPath, ".qvxr", runFolder), out.Results, ignored);
    if (out.HaveResults)
        out.Picture =
            ResultPicture(out.Description, RunFileOf(inputPath, ".qvxp", runFolder), QSize(1200, 800));
    QFile notes(notesPath);
    if (!notesPath.isEmpty() && notes.open(QIODevice::ReadOnly))
        out.Notes = QString::fromUtf8(notes.readAll());
    return true;
}

QImage ConvergenceChart(const TResults& r, const QSize& size) {
    double low = INFINITY, high = -INFINITY, most = 0;
    for (const TConvergenceStep& c : r.Convergence) {
        for (const std::optional<double>& v : {c.Generated, c.Optimised})
            if (v && std::isfinite(*v)) {
                low = std::min(low, *v);
                high = std::max(high, *v);
            }
        most = std::max(most, static_cast<double>(c.Surfaces));
    }
    if (!(low <= high) || !(most > 0) || size.width() < 200 || size.height() < 150)
        return {};
    const double margin = std::max(0.05 * (high - low), 0.005);
    low -= margin;
    high += margin;
    if (!std::isfinite(high - low))
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(std::max(10, size.height() / 30));
    p.setFont(font);
    const int em = QFontMetrics(font).height();
    const QRect frame(6 * em, 2 * em, size.width() - 7 * em, size.height() - 5 * em);
    const auto px = [&](double surfaces) { return frame.left() + frame.width() * surfaces / most; };
    const auto py = [&](double fs) { return frame.bottom() - frame.height() * (fs - low) / (high - low); };
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(frame);
    // Ticks and labels, about five each way.
    const TTickStep xs = NiceTickStep(0, most, 5), ys = NiceTickStep(low, high, 5);
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(ys.Step))), 0, 6);
    // Counted, not summed: a step below the numbers' precision must not loop for ever.
    for (int i = 0; i <= 20; ++i) {
        const double x = xs.FirstTick + i * xs.Step;
        if (x > most * (1 + 1e-9))
            break;
        if (x < 0)
            continue;
        p.drawLine(QPointF(px(x), frame.bottom()), QPointF(px(x), frame.bottom() + em / 3));
        p.drawText(QRectF(px(x) - 3 * em, frame.bottom() + em / 2, 6 * em, em), Qt::AlignHCenter,
                   QString::number(x, 'f', 0));
    }
    for (int i = 0; i <= 20; ++i) {
        const double y = ys.FirstTick + i * ys.Step;
        if (y > high)
            break;
        if (y >= low) {
            p.drawLine(QPointF(frame.left() - em / 3, py(y)), QPointF(frame.left(), py(y)));
            p.drawText(QRectF(0, py(y) - em / 2, frame.left() - em / 2, em),
                       Qt::AlignRight | Qt::AlignVCenter, QString::number(y, 'f', decimals));
        }
    }
    p.drawText(QRectF(frame.left(), frame.bottom() + 1.6 * em, frame.width(), em), Qt::AlignHCenter,
               QStringLiteral("Surfaces evaluated"));
    p.save();
    p.translate(em * 0.8, frame.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-frame.height() / 2.0, -em / 2.0, frame.height(), em), Qt::AlignHCenter,
               QStringLiteral("Factor of safety"));
    p.restore();
    // The two lines with their points, and a legend above the frame.
    const QColor colours[] = {QColor(32, 159, 223), QColor(200, 0, 0)};
    const char* const names[] = {"Best generated", "After optimisation"};
    for (int k = 0; k < 2; ++k) {
        QPolygonF line;
        for (const TConvergenceStep& c : r.Convergence) {
            const std::optional<double>& v = k == 0 ? c.Generated : c.Optimised;
            if (v && std::isfinite(*v))
                line << QPointF(px(static_cast<double>(c.Surfaces)), py(*v));
        }
        p.setPen(QPen(colours[k], std::max(2, em / 6)));
        p.drawPolyline(line);
        p.setBrush(colours[k]);
        for (const QPointF& point : line)
            p.drawEllipse(point, em / 4.0, em / 4.0);
        const QPointF at(frame.left() + k * 12 * em, em * 0.6);
        p.drawLine(at, at + QPointF(2 * em, 0));
        p.setPen(Qt::black);
        p.drawText(QRectF(at.x() + 2.5 * em, at.y() - em / 2.0, 9 * em, em), Qt::AlignVCenter,
                   QString::fromLatin1(names[k]));
    }
    return image;
}

QString ReportHtml(const TReportSources& s, const QString& pictureSource, const QString& chartSource) {
    QString html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
                   Esc(QString::fromStdString(s.Description.Settings.Title)) +
                   "</title><style>body { font-family: sans-serif; font-size: 9pt; } "
                   "table { border-collapse: collapse; } th, td { font-size: 8pt; }</style></head><body>";
    html += TitleBlock(s);
    html += InputTables(s.Description);
    html += ResultsPart(s, chartSource);
    if (!s.Picture.isNull())
        html += Heading("Picture of the result", 2, true) + "<p><img src=\"" + Esc(pictureSource) +
                "\" width=\"520\"></p>";
    if (s.HaveResults)
        html += SliceTables(s.Results);
    return html + "</body></html>";
}

bool WriteReport(const QString& path, const TReportSources& s, QString& error) {
    const bool pdf = path.endsWith(".pdf", Qt::CaseInsensitive);
    const bool html =
        path.endsWith(".html", Qt::CaseInsensitive) || path.endsWith(".htm", Qt::CaseInsensitive);
    if (!pdf && !html) {
        error = "the report file must end in .pdf or .html";
        return false;
    }
    if (html) {
        const auto dataUri = [](const QImage& image) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            return "data:image/png;base64," + QString::fromLatin1(png.toBase64());
        };
        const QImage chart = ConvergenceChart(s.Results, ChartSize);
        const QString text = ReportHtml(s, dataUri(s.Picture), chart.isNull() ? QString() : dataUri(chart));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0 ||
            !file.flush()) {
            error = "cannot write " + path + ": " + file.errorString();
            return false;
        }
        return true;
    }
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QString::fromStdString(s.Description.Settings.Title));
    writer.setCreator("Brevanto " + s.ProgramVersion);
    QTextDocument document;
    const QUrl picture(QStringLiteral("brevanto-report://picture.png"));
    if (!s.Picture.isNull())
        document.addResource(QTextDocument::ImageResource, picture, s.Picture);
    const QUrl chartUrl(QStringLiteral("brevanto-report://convergence.png"));
    const QImage chart = ConvergenceChart(s.Results, ChartSize);
    if (!chart.isNull())
        document.addResource(QTextDocument::ImageResource, chartUrl, chart);
    document.setHtml(ReportHtml(s, picture.toString(), chart.isNull() ? QString() : chartUrl.toString()));
    document.print(&writer);
    if (QFileInfo(path).size() <= 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
