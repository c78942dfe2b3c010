// The analysis engine on given surfaces: closed forms, the published problems, the properties every
// sound implementation has, the mechanics of water, loads, tiebacks and reinforcement, validation
// messages, and the files it writes (read back by the program's own plot reader).
#include "EngineTestSupport.h"
#include "engine/AscendingY.h"
#include "engine/Engine.h"
#include "engine/MethodCommon.h"
#include "engine/SurfaceEvaluator.h"
#include "engine/Verify.h"
#include "graphics/PlotFile.h"
#include "model/SlopeModel.h"
#include "text/WordRead.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <random>
#include <thread>

using namespace enginetest;
using quolm::TAnalysis;
using quolm::TCriticalResult;

namespace {
constexpr double Pi = 3.14159265358979323846;

// The bracketed search as it stepped before it could pass over points: every point of the scan in
// turn, the first change of sign refined by Illinois.
template <class G> bool PlainScan(G g, double lo, double hi, double& root) {
    double a = lo, ga = 0;
    bool haveA = false;
    for (double x = lo; x <= hi * 1.0000001; x *= 1.08) {
        double gx = 0;
        if (!g(x, gx) || !std::isfinite(gx)) {
            haveA = false;
            continue;
        }
        if (gx == 0) {
            root = x;
            return true;
        }
        if (haveA && (ga < 0) != (gx < 0))
            return quolm::methods::Illinois(g, a, ga, x, gx, quolm::methods::Tolerance, root);
        a = x;
        ga = gx;
        haveA = true;
    }
    return false;
}

// Every method's factor of safety, in a fixed order (null ones as -1).
std::vector<double> AllMethods(const TAnalysis& a) {
    const TCriticalResult& c = *a.Critical;
    return {c.Ordinary.value_or(-1), c.Bishop.value_or(-1), c.JanbuSimplified.value_or(-1),
            c.Spencer.value_or(-1), c.MorgensternPrice.value_or(-1)};
}

void CompareMethods(const TAnalysis& a, const TAnalysis& b, double relative, const char* what) {
    QVERIFY2(a.Critical && b.Critical, what);
    const std::vector<double> x = AllMethods(a), y = AllMethods(b);
    for (std::size_t i = 0; i < x.size(); ++i) {
        QVERIFY2(x[i] > 0, what);
        QVERIFY2(Near(x[i], y[i], relative), qPrintable(QString("%1: method %2: %3 against %4")
                                                            .arg(what)
                                                            .arg(i)
                                                            .arg(x[i], 0, 'g', 12)
                                                            .arg(y[i], 0, 'g', 12)));
    }
}

// A problem with every kind of load: water, ru and a pore-pressure constant, a load, earthquake,
// cavitation, a tieback and a reinforcement line, all on the polyline surface.
TSlopeDescription Loaded() {
    TSlopeDescription d = LoadedSlope();
    d.Soils[0].PorePressureConstant = 2;
    d.Settings.CavitationPressure = 5;
    return d;
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
  private slots:
    void closedForms();
    void publishedProblems();
    void scaling();
    void submergedIsBuoyant();
    void englishAndSi();
    void porePressureAndStrength();
    void tiebacksAndReinforcement();
    void nonConvergenceIsReported();
    void validationMessages();
    void filesReadBack();
    void evaluationIsReentrant();
    void rigorousConvergence();
    void bracketScanPassesOverNoChangeOfSign();
    void groundWalkAgreesWithGroundY();
};

void TestEngine::closedForms() {
    // A dry cohesionless infinite slope: a long surface parallel to the ground at depth 1 gives
    // tan(phi) / tan(beta) with the force-equilibrium methods (its short end pieces disturb little).
    {
        const double beta = 25, phi = 34, tb = std::tan(beta * Pi / 180);
        TSlopeDescription d;
        d.Settings.UnitSystem = 2;
        d.Settings.SurfaceBoundaryCount = 1;
        d.Boundaries = {{0, 0, 2000, 2000 * tb, 1}};
        d.Soils = {Soil(19, 19, 0, phi)};
        SetSurface(d, {{0, 0}, {2, 2 * tb - 1}, {1998, 1998 * tb - 1}, {2000, 2000 * tb}}, false);
        const TAnalysis a = Run(d);
        const double expected = std::tan(phi * Pi / 180) / tb;
        QVERIFY(Near(*a.Critical->JanbuSimplified, expected, 0.002));
        QVERIFY(Near(*a.Critical->Spencer, expected, 0.002));
        QVERIFY(Near(*a.Critical->MorgensternPrice, expected, 0.002));
    }
    // A circle in purely cohesive soil: every moment method gives c L R / (W d). W and its moment
    // about the centre come from a fine quadrature of the exact circle, independent of the slices.
    {
        const double cx = 30, cy = 24, r = 27, c = 30, gamma = 18;
        TSlopeDescription d = SimpleSlope(Soil(gamma, gamma, c, 0));
        const double xa = cx - std::sqrt(r * r - cy * cy);               // enters the toe flat (y = 0)
        const double xb = cx + std::sqrt(r * r - (cy - 10) * (cy - 10)); // leaves the crest (y = 10)
        const double a0 = std::atan2(-cy, xa - cx) * 180 / Pi, a1 = std::atan2(10 - cy, xb - cx) * 180 / Pi;
        SetSurface(d, CircleThroughSlope(cx, cy, r, 240, 0));
        const TAnalysis a = Run(d);
        const auto ground = [](double x) { return x < 20 ? 0.0 : (x > 40 ? 10.0 : (x - 20) / 2); };
        double w = 0, m = 0;
        const int n = 400000;
        for (int i = 0; i < n; ++i) {
            const double x = xa + (xb - xa) * (i + 0.5) / n;
            const double h = ground(x) - (cy - std::sqrt(r * r - (x - cx) * (x - cx)));
            w += gamma * h * (xb - xa) / n;
            m += gamma * h * (xb - xa) / n * (x - cx);
        }
        const double length = r * (a1 - a0) * Pi / 180;
        const double expected = c * length * r / m;
        QVERIFY(w > 0 && m > 0);
        const TCriticalResult& cr = *a.Critical;
        for (double f : {*cr.Ordinary, *cr.Bishop, *cr.Spencer, *cr.MorgensternPrice})
            QVERIFY2(Near(f, expected, 5e-4),
                     qPrintable(QString::number(f) + " " + QString::number(expected)));
        // Bishop equals the ordinary method on a circle when phi = 0.
        QVERIFY2(Near(*cr.Bishop, *cr.Ordinary, 1e-7),
                 qPrintable(QString("%1 %2").arg(*cr.Bishop, 0, 'g', 15).arg(*cr.Ordinary, 0, 'g', 15)));
        QVERIFY(cr.Surface.Circle.has_value());
        QVERIFY(std::abs(cr.Surface.Circle->X - cx) < 1e-3 && std::abs(cr.Surface.Circle->R - r) < 1e-3);
    }
}

void TestEngine::publishedProblems() {
    std::string error;
    const std::vector<quolm::TVerificationRow> rows = quolm::RunVerification(error);
    QCOMPARE(error, std::string());
    int fredlundKrahn = 0;
    for (const quolm::TVerificationRow& r : rows) {
        QVERIFY2(r.Pass, qPrintable(QString::fromStdString(r.Problem + " " + r.Method)));
        fredlundKrahn += r.Problem.find("fredlund-krahn") == 0;
    }
    QVERIFY(rows.size() >= 18);
    QCOMPARE(fredlundKrahn, 8);
    // The table names every row with its published and computed value.
    const std::string table = quolm::VerificationTable(rows);
    QVERIFY(table.find("fredlund-krahn-1977-case1") != std::string::npos);
    QVERIFY(table.find("2.080") != std::string::npos);
}

void TestEngine::scaling() {
    const TSlopeDescription base = Loaded();
    const TAnalysis a = Run(base);
    QVERIFY(a.Critical && a.Critical->TiebacksActive == 1 && a.Critical->ReinforcementCrossings == 1);

    // Twice every unit weight, cohesion, pressure, load and force.
    TSlopeDescription twice = base;
    for (TSlopeSoil& s : twice.Soils) {
        s.MoistUnitWeight *= 2;
        s.SaturatedUnitWeight *= 2;
        s.Cohesion *= 2;
        s.PorePressureConstant *= 2;
    }
    twice.Settings.WaterUnitWeight *= 2;
    twice.Settings.CavitationPressure *= 2;
    twice.Loads[0].Intensity *= 2;
    twice.Tiebacks[0].Load *= 2;
    for (auto& l : twice.Reinforcement[0].Layers)
        l.Force *= 2;
    CompareMethods(Run(twice), a, 1e-9, "doubled");

    // Every length times k, cohesion, pressures and load intensities times k, forces per unit width
    // times k^2 (a tieback's per-width force is Load / Spacing, the spacing being a length).
    const Extended k = 2.5L;
    TSlopeDescription big = base;
    for (TSlopeBoundary& b : big.Boundaries)
        b = {b.LeftX * k, b.LeftY * k, b.RightX * k, b.RightY * k, b.Soil};
    for (TSlopeSoil& s : big.Soils) {
        s.Cohesion *= k;
        s.PorePressureConstant *= k;
    }
    for (TSlopePoint& p : big.WaterSurfaces[0].Points)
        p = {p.X * k, p.Y * k};
    for (TSlopePoint& p : big.Surface)
        p = {p.X * k, p.Y * k};
    big.Settings.CavitationPressure *= k;
    big.Loads[0] = {big.Loads[0].LeftX * k, big.Loads[0].RightX * k, big.Loads[0].Intensity * k,
                    big.Loads[0].Inclination};
    TSlopeTieback& t = big.Tiebacks[0];
    t.X *= k;
    t.Y *= k;
    t.FreeLength *= k;
    t.Spacing *= k;
    t.Load *= k * k * k;
    for (auto& l : big.Reinforcement[0].Layers)
        l = {l.X * k, l.Y * k, l.Force * k * k, l.InclinationFactor};
    CompareMethods(Run(big), a, 1e-9, "scaled");
}

void TestEngine::submergedIsBuoyant() {
    // Water 4 above the crest everywhere: free water on the whole mass and beside its ends. Every
    // method gives what the dry slope gives with the buoyant unit weight.
    TSlopeDescription wet = SimpleSlope(Soil(18, 20, 5, 28, 1));
    wet.Settings.HasWater = 1;
    wet.Settings.WaterUnitWeight = 9.81L;
    wet.WaterSurfaces = {{{{0, 14}, {70, 14}}, true}};
    TSlopeDescription dry = SimpleSlope(Soil(20 - 9.81L, 20 - 9.81L, 5, 28));
    for (const auto& surface : {Polyline(), CircleThroughSlope(30, 24, 27, 40)}) {
        SetSurface(wet, surface);
        SetSurface(dry, surface);
        const TAnalysis w = Run(wet);
        QVERIFY(w.Critical->FreeWaterWeight > 0);
        CompareMethods(w, Run(dry), 1e-7, "submerged");
    }
}

void TestEngine::englishAndSi() {
    // The same problem in English units and converted to SI by the program gives the same factors.
    TSlopeDescription d = Loaded();
    d.Settings.UnitSystem = 1;
    // Tiebacks and reinforcement included: a reinforcement force is per unit width and converts as
    // lbs/ft to kN/m, a tieback's Load as a force over its spacing, a length.
    for (TSlopeSoil& s : d.Soils) {
        s.MoistUnitWeight *= 6.4L;
        s.SaturatedUnitWeight *= 6.4L;
        s.Cohesion *= 20;
    }
    d.Tiebacks[0].Load *= 68;
    for (auto& l : d.Reinforcement[0].Layers)
        l.Force *= 68;
    d.Settings.WaterUnitWeight = 62.4L;
    QTemporaryDir dir;
    const std::string path = dir.filePath("english.qvxd").toStdString();
    std::ofstream(path, std::ios::binary) << WriteSlopeFile(d);
    TStandaloneModelHost host;
    auto model = TProgramData::CreateFromFile(path, true, host);
    const TAnalysis english = Run(model->Description());
    QVERIFY(english.Critical->TiebacksActive == 1 && english.Critical->ReinforcementCrossings == 1);
    model->SetUnitSystem(2);
    const TSlopeDescription si = model->Description();
    QCOMPARE(si.Settings.UnitSystem, 2);
    QVERIFY(std::abs(static_cast<double>(si.Settings.WaterUnitWeight) - 9.8023) < 1e-3);
    // The program's English-SI factors agree with each other to about eight digits.
    CompareMethods(Run(si), english, 1e-6, "SI");
}

void TestEngine::porePressureAndStrength() {
    // Pore pressure: water surface, ru on the column's total stress, the constant, floored at minus
    // the cavitation pressure.
    TSlopeSoil soil = Soil(18, 20, 10, 28, 1);
    soil.PorePressureCoefficient = 0.2L;
    soil.PorePressureConstant = -4;
    soil.Anisotropy = {{-10, 1, 10}, {20, 2, 20}, {90, 3, 30}};
    TSlopeDescription d = SimpleSlope(soil);
    d.Settings.HasWater = 1;
    d.Settings.WaterUnitWeight = 10;
    d.WaterSurfaces = {{{{0, -6}, {70, 8}}, true}};
    d.Settings.HasEarthquake = 1;
    d.Settings.CavitationPressure = 6;
    SetSurface(d, Polyline());
    const TAnalysis a = Run(d);
    QVERIFY(a.Critical);
    int floored = 0, positive = 0;
    for (const quolm::TSliceReport& s : a.Critical->Slices) {
        // Base elevation and water elevation at the slice's middle.
        double yb = 0;
        const auto& p = a.Critical->Surface.Points;
        for (std::size_t i = 0; i + 1 < p.size(); ++i)
            if (s.X >= p[i].X && s.X <= p[i + 1].X)
                yb = p[i].Y + (p[i + 1].Y - p[i].Y) * (s.X - p[i].X) / (p[i + 1].X - p[i].X);
        const double yw = -6 + 14 * s.X / 70;
        const double expected = std::max(10 * (yw - yb) + 0.2 * s.Weight / s.Width - 4, -6.0);
        QVERIFY2(std::abs(s.U - expected) < 1e-6 * std::max(1.0, std::abs(expected)),
                 qPrintable(QString("x %1: u %2, expected %3").arg(s.X).arg(s.U).arg(expected)));
        floored += s.U == -6;
        positive += s.U > 0;
        // Strength by the base inclination: the first row whose limit is at least alpha.
        const double c = s.AlphaDeg <= -10 ? 1 : (s.AlphaDeg <= 20 ? 2 : 3);
        QCOMPARE(s.Cohesion, c);
        QCOMPARE(s.PhiDeg, c * 10);
    }
    QVERIFY(floored > 0 && positive > 0);
    QVERIFY(std::count_if(a.Critical->Slices.begin(), a.Critical->Slices.end(),
                          [](const auto& s) { return s.Cohesion == 1; }) > 0);
}

void TestEngine::tiebacksAndReinforcement() {
    TSlopeDescription plain = SimpleSlope(Soil(18, 18, 8, 26));
    SetSurface(plain, Polyline());
    const double f0 = *Run(plain).Critical->Bishop;

    // A tieback whose free length reaches past the surface holds the mass; one that ends inside the
    // mass counts for nothing.
    TSlopeDescription tied = plain;
    tied.Settings.HasTiebacks = 1;
    tied.Tiebacks = {{2, 30, 5, 300, 2, 15, 14}};
    const TAnalysis holding = Run(tied);
    QCOMPARE(holding.Critical->TiebacksActive, 1);
    QVERIFY(*holding.Critical->Bishop > f0 * 1.02);
    tied.Tiebacks[0].FreeLength = 2;
    const TAnalysis loose = Run(tied);
    QCOMPARE(loose.Critical->TiebacksActive, 0);
    QVERIFY(Near(*loose.Critical->Bishop, f0, 1e-12));

    // Reinforcement crossing the surface: more force, more safety, in either direction it takes.
    TSlopeDescription reinforced = plain;
    reinforced.Settings.HasReinforcement = 1;
    double previous = f0;
    for (Extended force : {20.0L, 60.0L}) {
        for (Extended factor : {0.0L, 1.0L}) {
            reinforced.Reinforcement = {{{{25, 1, force, factor}, {60, 1, force, factor}}, true}};
            const TAnalysis r = Run(reinforced);
            QCOMPARE(r.Critical->ReinforcementCrossings, 1);
            QVERIFY(*r.Critical->Bishop > f0);
            if (factor == 0) {
                QVERIFY(*r.Critical->Bishop > previous);
                previous = *r.Critical->Bishop;
            }
        }
    }
    // A surcharge on the crest lowers the factor of safety, a load leaning into the slope less so.
    TSlopeDescription loaded = plain;
    loaded.Settings.HasSurcharge = 1;
    loaded.Loads = {{42, 47, 50, 0}};
    const double vertical = *Run(loaded).Critical->Bishop;
    loaded.Loads[0].Inclination = 20;
    const double leaning = *Run(loaded).Critical->Bishop;
    QVERIFY(vertical < f0 && leaning > vertical);
    // Earthquake outwards lowers it too.
    TSlopeDescription shaken = plain;
    shaken.Settings.HasEarthquake = 1;
    shaken.Settings.HorizontalCoefficient = 0.15L;
    QVERIFY(*Run(shaken).Critical->Bishop < f0);
}

void TestEngine::nonConvergenceIsReported() {
    // Cohesion only, the circle leaving the crest vertically: no interslice inclination balances the
    // forces, so the rigorous methods have no factor of safety and say so.
    TSlopeDescription d;
    d.Settings.UnitSystem = 2;
    d.Settings.SurfaceBoundaryCount = 3;
    d.Boundaries = {{-40, 0, 0, 0, 1}, {0, 0, 0, 10, 1}, {0, 10, 40, 10, 1}};
    d.Soils = {Soil(18, 18, 50, 0)};
    std::vector<TSlopePoint> arc = {{-23, 0}};
    for (const TSlopePoint& p : Arc(0, 10, 20, -150, 0, 150))
        arc.push_back(p);
    arc.push_back({25, 10});
    SetSurface(d, arc);
    const TAnalysis a = Run(d);
    QVERIFY(a.Critical);
    QVERIFY(a.Critical->Bishop.has_value());
    QVERIFY(!a.Critical->Spencer.has_value());
    QVERIFY(!a.Critical->SpencerThetaDeg.has_value());
    bool reported = false;
    for (const quolm::TDiagnostic& w : a.Critical->Warnings)
        reported = reported || (w.Code == "W201" && w.Message.find("Spencer") == 0);
    QVERIFY(reported);
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(quolm::ResultsJson(a))).object();
    const QJsonObject methods = json["critical"].toObject()["methods"].toObject();
    QVERIFY(methods["spencer"].isNull());
    QVERIFY(methods["spencer_theta_deg"].isNull());
    QVERIFY(methods["bishop"].isDouble());
    QVERIFY(
        quolm::ReportText(a, "x.qvxd").find("Spencer's method                            not converged") !=
        std::string::npos);
}

void TestEngine::validationMessages() {
    const auto errors = [](const TSlopeDescription& d) {
        const TAnalysis a = Run(d);
        std::string all;
        for (const quolm::TDiagnostic& e : a.Diagnostics.Errors)
            all += e.Code + " " + e.Message + "\n";
        if (!all.empty())
            Q_ASSERT(!a.Critical);
        return all;
    };
    TSlopeDescription d = SimpleSlope(Soil(18, 18, 10, 30));
    d.Soils.push_back(Soil(18, 18, 10, 30));
    d.Settings.SurfaceBoundaryCount = 4;
    d.Boundaries = {{0, 0, 20, 0, 1},     {20, 0, 30, 5, 1},   {30, 5, 42, 10, 1},
                    {40, 10, 180, 10, 1}, {0, -5, 180, -5, 2}, {0, -8, 180, -8, 3}};
    SetSurface(d, {{10, 0}, {100, -4}, {190, 10}, {200, 12}});
    const std::string e = errors(d);
    QVERIFY2(
        e.find("E104 Boundary line 4 starts at x = 40 where line 3 ends at x = 42: ground-surface lines must "
               "join.") != std::string::npos,
        e.c_str());
    QVERIFY2(e.find("E105 Soil 3 named by boundary line 6 is not defined") != std::string::npos, e.c_str());

    d.Boundaries[3].LeftX = 42;
    d.Boundaries[5].Soil = 2;
    QVERIFY2(errors(d).find("E176 The surface leaves the ground at x = 190, outside the slope") !=
                 std::string::npos,
             errors(d).c_str());
    SetSurface(d, {{10, -1}, {100, -4}, {170, 11}});
    QVERIFY(errors(d).find("E172 The failure surface begins below the ground at x = 10") !=
            std::string::npos);
    SetSurface(d, {{10, 0.5}, {100, -4}, {90, 11}});
    QVERIFY(errors(d).find("E171 Point 3 of the failure surface (x = 90) is not to the right of point 2") !=
            std::string::npos);
    SetSurface(d, {{10, 0.5}, {60, 12}, {100, -4}, {170, 11}});
    QVERIFY(errors(d).find("E175 The failure surface comes out of the ground at x = ") != std::string::npos);
    SetSurface(d, {{10, 0.5}, {100, -4}, {170, 11}});
    QCOMPARE(errors(d), std::string());
    d.Soils[1].FrictionAngle = 95;
    d.Soils[0].PiezometricSurface = 2;
    const std::string soils = errors(d);
    QVERIFY(soils.find("E115 Soil 2 has a friction angle of 95 degrees") != std::string::npos);
    QVERIFY(soils.find("E116 Soil 1 names piezometric surface 2, which is not defined: the input has no "
                       "piezometric surfaces (WATER).") != std::string::npos);

    // An input with errors: no critical surface, the errors in the output text and the JSON, and a
    // plot file that says it holds no data.
    const TAnalysis a = Run(d);
    QVERIFY(quolm::ReportText(a, "x.qvxd").find("Error E115: Soil 2 has a friction angle") !=
            std::string::npos);
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(quolm::ResultsJson(a))).object();
    QCOMPARE(json["errors"].toArray().size(), 2);
    QCOMPARE(json["errors"].toArray()[0].toObject()["code"].toString(), QString("E116"));
    QCOMPARE(json["errors"].toArray()[1].toObject()["code"].toString(), QString("E115"));
    QVERIFY(json["critical"].isNull());
    QCOMPARE(quolm::PlotText(a), std::string("END\r\n"));
}

void TestEngine::filesReadBack() {
    TSlopeDescription d = Loaded();
    d.Settings.HasLimits = 1;
    d.Limits = {{0, -10, 70, -10}};
    const TAnalysis a = Run(d);
    QVERIFY(a.Critical && a.Critical->Surface.FS);

    // The plot file reads without a single message into the program's plot store.
    std::vector<std::string> messages;
    const TMessageHandler sink = [&messages](TMessageKind, const std::string& m) { messages.push_back(m); };
    const std::string plot = quolm::PlotText(a);
    TBoundaryLines boundary;
    for (const TSlopeBoundary& b : d.Boundaries)
        boundary.push_back({double(b.LeftX), double(b.LeftY), double(b.RightX), double(b.RightY), b.Soil});
    auto store = std::make_unique<TPlotStore>();
    ReadPlotText(plot.data(), plot.size(), boundary, *store, sink);
    QCOMPARE(messages, std::vector<std::string>());
    QCOMPARE(store->ScaleFactor, 1.0);
    QCOMPARE(store->GroundPointCount, 3);
    QCOMPARE(store->BoundaryCount, 4);
    QVERIFY(store->HasTen);
    QCOMPARE(store->TrialSurfaceCount(), 1);
    QCOMPARE(store->TenSurfaces[0].Count, static_cast<int>(a.Critical->Surface.Points.size()));
    for (int t = 1; t < 10; ++t)
        QCOMPARE(store->TenSurfaces[t].Count, 0);
    QCOMPARE(store->Critical.FS, *a.Critical->Surface.FS);
    QCOMPARE(store->SliceCount, static_cast<int>(a.Critical->Slices.size()));
    QCOMPARE(store->WaterSurfaceCount, 1);
    QCOMPARE(store->PressureZoneCount, 1);
    QCOMPARE(store->TiebackCount, 1);
    QCOMPARE(store->ReinfLineCount, 1);
    QCOMPARE(store->LimitSegmentCount, 1);
    QVERIFY(store->Enabled.CriticalSlipSurface && store->Enabled.TotalStresses && store->Enabled.TieBacks);

    // The results: every key, the methods side by side, one entry per slice.
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(quolm::ResultsJson(a)));
    QVERIFY(doc.isObject());
    const QJsonObject json = doc.object();
    QCOMPARE(json["engine"].toString(), QString("QUOLM"));
    QCOMPARE(json["version"].toString(), QString("2015.4.4"));
    QCOMPARE(json["units"].toString(), QString("si"));
    QCOMPARE(json["method"].toString(), QString("bishop"));
    QCOMPARE(json["surfaces"].toObject()["analysed"].toInt(), 1);
    const QJsonObject critical = json["critical"].toObject();
    QCOMPARE(critical["fs"].toDouble(), *a.Critical->Surface.FS);
    QCOMPARE(critical["methods"].toObject()["bishop"].toDouble(), *a.Critical->Bishop);
    QVERIFY(critical["methods"].toObject()["janbu_corrected"].toDouble() >
            critical["methods"].toObject()["janbu_simplified"].toDouble());
    QVERIFY(critical["circle"].isNull());
    QCOMPARE(critical["slices"].toArray().size(), static_cast<int>(a.Critical->Slices.size()));
    QVERIFY(critical["slices"].toArray()[0].toObject().contains("alpha_deg"));
    QCOMPARE(json["ten"].toArray().size(), 1);
    QVERIFY(json["errors"].toArray().isEmpty());

    // The output text: input echoed with units, every method, the slice table.
    const std::string report = quolm::ReportText(a, "loaded.qvxd");
    for (const char* part : {"Units      : SI (lengths m", "Tiebacks: 1", "Reinforcement lines: 1",
                             "Earthquake: kh = 0.100", "Bishop's simplified method                  ",
                             "Slices (Bishop's simplified method", "Tiebacks acting: 1"})
        QVERIFY2(report.find(part) != std::string::npos, part);
}

void TestEngine::evaluationIsReentrant() {
    // One workspace for surfaces in any order, and two threads on one model: the same results.
    const TSlopeDescription d = Loaded();
    const quolm::TSlopeModel model(d);
    std::vector<std::vector<quolm::TPoint>> surfaces;
    for (double depth : {2.0, 4.0, 6.0}) {
        std::vector<quolm::TPoint> raw = {{10, 0.5}, {20, -depth}, {35, -depth + 2}, {46, 6}, {52, 10.5}},
                                   clipped;
        QCOMPARE(quolm::ClipToGround(model, raw.data(), 5, clipped).Problem, quolm::TSurfaceProblem::None);
        surfaces.push_back(clipped);
    }
    const auto evaluate = [&](std::vector<double>& out, bool reverse) {
        quolm::TWorkspace ws;
        quolm::TEvaluation e;
        out.assign(surfaces.size() * 2, 0);
        for (int round = 0; round < 20; ++round)
            for (std::size_t k = 0; k < surfaces.size(); ++k) {
                const std::size_t i = reverse ? surfaces.size() - 1 - k : k;
                for (int m = 0; m < 2; ++m) {
                    quolm::EvaluateSurface(model, surfaces[i], nullptr,
                                           m ? quolm::TMethod::Spencer : quolm::TMethod::Bishop,
                                           quolm::TSliceOptions(), 0, ws, e);
                    out[2 * i + m] = e.Result.F;
                }
            }
    };
    std::vector<double> a, b, c;
    evaluate(a, false);
    std::thread t1([&] { evaluate(b, true); });
    std::thread t2([&] { evaluate(c, false); });
    t1.join();
    t2.join();
    QCOMPARE(a, b);
    QCOMPARE(a, c);
    QVERIFY(a[0] > 0 && a[1] > 0 && a[0] != a[2]);
}

void TestEngine::rigorousConvergence() {
    // Newton's method on the rigorous methods converges quadratically (Spencer's exact Jacobian, the
    // Morgenstern-Price method's finite differences kept with secant updates): a few iterations
    // from Bishop's factor, and a factor within the stated tolerance (1e-9) of the one reached from
    // a start 30 % away, water, loads, earthquake and reinforcement included.
    const TSlopeDescription d = Loaded();
    const quolm::TSlopeModel model(d);
    for (double depth : {2.0, 4.0, 6.0}) {
        std::vector<quolm::TPoint> raw = {{10, 0.5}, {20, -depth}, {35, -depth + 2}, {46, 6}, {52, 10.5}},
                                   clipped;
        QCOMPARE(quolm::ClipToGround(model, raw.data(), 5, clipped).Problem, quolm::TSurfaceProblem::None);
        for (const quolm::TMethod method : {quolm::TMethod::Spencer, quolm::TMethod::MorgensternPrice}) {
            const bool mp = method == quolm::TMethod::MorgensternPrice;
            quolm::TWorkspace ws;
            quolm::TEvaluation e;
            QVERIFY(
                quolm::EvaluateSurface(model, clipped, nullptr, method, quolm::TSliceOptions(), 0, ws, e));
            const QString what = QString("%1 at depth %2: F %3, %4 iterations")
                                     .arg(mp ? "Morgenstern-Price" : "Spencer")
                                     .arg(depth)
                                     .arg(e.Result.F, 0, 'g', 12)
                                     .arg(e.Result.Iterations);
            QVERIFY2(e.Result.Converged && e.Result.F > 0.5, qPrintable(what));
            QVERIFY2(e.Result.Iterations <= (mp ? 9 : 6), qPrintable(what));
            const double moment = quolm::PrepareTerms(ws.Slices, e.Centre, ws);
            quolm::SideWaterForces(model, clipped, ws);
            const double start = 1.3 * e.Result.F;
            const quolm::TMethodResult other =
                mp ? quolm::SolveMorgensternPrice(ws.Slices, moment, ws, 0, start)
                   : quolm::SolveSpencer(ws.Slices, moment, ws, 0, start);
            QVERIFY2(other.Converged && Near(other.F, e.Result.F, 1e-9),
                     qPrintable(what + QString(" against %1").arg(other.F, 0, 'g', 12)));
            QVERIFY2(Near(other.Lambda, e.Result.Lambda, 1e-8), qPrintable(what));
            // The Morgenstern-Price method starts from a lambda of its own estimate: the given one
            // (here tan 40 degrees, far from the solution) changes neither the factor nor lambda.
            if (mp) {
                const quolm::TMethodResult far =
                    quolm::SolveMorgensternPrice(ws.Slices, moment, ws, std::tan(40 * Pi / 180), start);
                QVERIFY2(far.Converged && Near(far.F, e.Result.F, 1e-9) &&
                             Near(far.Lambda, e.Result.Lambda, 1e-8),
                         qPrintable(what + QString(" from lambda 0.84: %1").arg(far.F, 0, 'g', 12)));
            }
        }
    }
    // The half-sine interslice function, sin(pi t), is computed by a series: it agrees with the
    // sine to within two units in the last place on [0, 1/2] (where pi t carries no rounding of
    // consequence), is symmetric, and is 0 at the ends and 1 in the middle.
    double worst = 0;
    for (int i = 0; i <= 65536; ++i) {
        const double t = i / 131072.0, exact = std::sin(Pi * t); // 1 - t exact too
        worst = std::max(worst, std::abs(quolm::methods::SinPi(t) - exact) / std::max(exact, 1e-300));
        QCOMPARE(quolm::methods::SinPi(1 - t), quolm::methods::SinPi(t));
    }
    QVERIFY2(worst < 4.5e-16, qPrintable(QString::number(worst)));
    QCOMPARE(quolm::methods::SinPi(0), 0.0);
    QCOMPARE(quolm::methods::SinPi(1), 0.0);
    QVERIFY(std::abs(quolm::methods::SinPi(0.5) - 1) < 2.3e-16);
}

void TestEngine::bracketScanPassesOverNoChangeOfSign() {
    // The bracketed search of the simplified methods passes over the points of its scan where a
    // bound proves that none can change sign. It must find what the point-by-point scan (PlainScan)
    // finds, to the bit: checked on random polynomials with one to three roots (two of them often
    // within a step or two of the scan), with gaps where they are not defined, and with a root
    // exactly on a point of the scan. The bound is true by construction: the values at the ends of
    // a range less the most the slope can take them away from there, with a margin for rounding.
    std::mt19937 rng(20261209);
    std::uniform_real_distribution<double> root(0.05, 120), spread(0.001, 0.2), unit(0, 1);
    int compared = 0, found = 0, skipped = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const double r1 = root(rng), r2 = r1 * (1 + spread(rng)), r3 = root(rng);
        const int roots = 1 + trial % 3;
        const double gapLo = unit(rng) < 0.2 ? root(rng) : -1, gapHi = gapLo * 1.3;
        const double lo = 1e-3 + unit(rng);
        const auto g = [&](double x, double& v) {
            if (x > gapLo && x < gapHi)
                return false;
            v = (x - r1) * (roots >= 2 ? (x - r2) * (roots == 3 ? (x - r3) : -1.0) : 1.0);
            return true;
        };
        // The most |g'| can be on [a, b]: each linear factor is largest in size at an end.
        int proved = 0;
        const auto sign = [&](double a, double b) {
            double ga = 0, gb = 0;
            if (!(gapLo < 0 || b <= gapLo || a >= gapHi) || !g(a, ga) || !g(b, gb))
                return 0;
            const auto most = [&](double r) { return std::max(std::abs(a - r), std::abs(b - r)); };
            const double m1 = most(r1), m2 = most(r2), m3 = most(r3);
            const double slope = roots == 1 ? 1 : (roots == 2 ? m1 + m2 : m1 * m2 + m1 * m3 + m2 * m3);
            const double change = slope * (b - a), margin = 1e-9 * (std::abs(ga) + std::abs(gb) + change);
            const int s =
                std::min(ga, gb) - change > margin ? 1 : (std::max(ga, gb) + change < -margin ? -1 : 0);
            proved += s != 0;
            return s;
        };
        double withBound = -1, plain = -1;
        const bool a = quolm::methods::BracketRoot(g, sign, lo, 100, withBound);
        const bool b = PlainScan(g, lo, 100, plain);
        QCOMPARE(a, b);
        if (a) {
            QVERIFY2(withBound == plain, qPrintable(QString::number(withBound, 'g', 17) + " against " +
                                                    QString::number(plain, 'g', 17))); // to the bit
            ++found;
        }
        skipped += proved > 0;
        ++compared;
    }
    // A root exactly on the scan's fourth point is that point, with or without the bound.
    {
        const double lo = 0.5, x3 = lo * 1.08 * 1.08 * 1.08;
        const auto g = [&](double x, double& v) {
            v = x - x3;
            return true;
        };
        const auto sign = [&](double a, double b) { return b < x3 ? -1 : (a > x3 ? 1 : 0); };
        double r = 0;
        QVERIFY(quolm::methods::BracketRoot(g, sign, lo, 100, r));
        QVERIFY(r == x3);
    }
    QVERIFY(found > 1000);
    QVERIFY(skipped > 1000); // the bound proved a sign: points were passed over
    QCOMPARE(compared, 4000);
}

void TestEngine::groundWalkAgreesWithGroundY() {
    // The checks and the clipping of every trial surface take the ground's elevation by walking
    // along it in ascending x: at every x, the ends, the vertices and beyond the profile included, it
    // must be the model's GroundY to the bit, or a surface could be clipped where its checks found
    // none. A vertical step at x = 30 takes the upper of its two points, as GroundY does.
    TSlopeDescription d = SimpleSlope(Soil(18, 18, 10, 30));
    d.Settings.SurfaceBoundaryCount = 5;
    d.Boundaries = {{0, 0, 20, 0, 1},
                    {20, 0, 30, 3.7, 1},
                    {30, 3.7, 30, 6.1, 1},
                    {30, 6.1, 40, 10, 1},
                    {40, 10, 70, 10, 1}};
    const quolm::TSlopeModel model(d);
    std::vector<double> xs = {-5, 0, 1e-12, 20, 30, 40, 70, 75};
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> any(-3, 73);
    for (int k = 0; k < 400; ++k)
        xs.push_back(any(rng));
    std::sort(xs.begin(), xs.end());
    quolm::TAscendingY walk(model.Ground());
    int compared = 0;
    for (const double x : xs) {
        const double y = walk.At(x);
        QVERIFY2(y == model.GroundY(x), qPrintable(QString("x = %1: %2 against %3")
                                                       .arg(x, 0, 'g', 17)
                                                       .arg(y, 0, 'g', 17)
                                                       .arg(model.GroundY(x), 0, 'g', 17)));
        ++compared;
    }
    QCOMPARE(compared, 408);
    quolm::TAscendingY stepWalk(model.Ground());
    QCOMPARE(stepWalk.At(30), 6.1);
    QCOMPARE(stepWalk.At(35), 6.1 + 3.9 * 0.5);
    // Without points the walk gives 0 everywhere.
    const std::vector<quolm::TPoint> none;
    quolm::TAscendingY empty(none);
    QCOMPARE(empty.At(3), 0.0);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
