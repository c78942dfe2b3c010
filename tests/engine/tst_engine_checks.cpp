// The engine's answers where a closed form or a stated property fixes them and a plausible mistake
// would not show elsewhere: reinforcement on a planar wedge, the earthquake's vertical sign, Janbu's
// correction within its chart, two wedges by force equilibrium, surfaces nothing drives and soils without
// strength, the warnings of inadmissible forces, and text and plot files that never hold a non-number.
#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/SurfaceEvaluator.h"
#include "graphics/PlotFile.h"
#include "model/SlopeModel.h"
#include "text/SlopeFile.h"
#include "text/WordRead.h"
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <memory>

using namespace enginetest;
using quolm::TAnalysis;
using quolm::TCriticalResult;

namespace {
constexpr double Pi = 3.14159265358979323846;

bool HasWarning(const TCriticalResult& c, const char* code) {
    return std::any_of(c.Warnings.begin(), c.Warnings.end(),
                       [code](const quolm::TDiagnostic& d) { return d.Code == code; });
}
int CountWarnings(const TCriticalResult& c, const char* code) {
    return static_cast<int>(std::count_if(c.Warnings.begin(), c.Warnings.end(),
                                          [code](const quolm::TDiagnostic& d) { return d.Code == code; }));
}

// The planar wedge of SimpleSlope (face from (20, 0) to (40, 10)) above the plane from the toe
// (20, 0) to (50, 10): alpha = atan(1/3), weight gamma * 50, base length sqrt(1000).
struct TWedge {
    double Gamma = 20, C = 10, PhiDeg = 30;
    double Alpha() const { return std::atan(1.0 / 3); }
    double Weight() const { return Gamma * 50; }
    double Length() const { return std::sqrt(1000.0); }
    // Force equilibrium of the rigid wedge (Culmann; Duncan & Wright, "Soil Strength and Slope
    // Stability", 2nd ed., ch. 6): an external force (fx, fy) on the mass, and the earthquake's
    // kh W outwards (-x) and kv W upwards at its centre of gravity.
    double Factor(double fx, double fy, double kh = 0, double kv = 0) const {
        const double a = Alpha(), w = Weight();
        const double px = fx - kh * w, py = fy - w + kv * w; // every force but the base reaction
        const double normal = -(px * -std::sin(a) + py * std::cos(a));
        const double driving = -(px * std::cos(a) + py * std::sin(a));
        return (C * Length() + normal * std::tan(PhiDeg * Pi / 180)) / driving;
    }
    TSlopeDescription Problem(const std::vector<TSlopePoint>& surface) const {
        TSlopeDescription d = SimpleSlope(Soil(Gamma, Gamma, C, PhiDeg));
        SetSurface(d, surface, false); // Janbu's method: force equilibrium, exact on a plane
        return d;
    }
};

// The messages of the program's own plot reader on `plotText`.
std::string ReadPlotMessages(const std::string& plotText, const TSlopeDescription& d) {
    std::string all;
    const TMessageHandler sink = [&all](TMessageKind, const std::string& m) { all += m + "\n"; };
    TBoundaryLines boundary;
    for (const TSlopeBoundary& b : d.Boundaries)
        boundary.push_back({double(b.LeftX), double(b.LeftY), double(b.RightX), double(b.RightY), b.Soil});
    auto store = std::make_unique<TPlotStore>();
    ReadPlotText(plotText.data(), plotText.size(), boundary, *store, sink);
    return all;
}
} // namespace

class TestEngineChecks : public QObject {
    Q_OBJECT
  private slots:
    void reinforcementActsOnceWhereItLeavesTheMass();
    void verticalSeismicCoefficientActsUpwards();
    void janbuCorrectionStaysWithinItsChart();
    void twoWedgesByForceEquilibrium();
    void nothingDrivesAndNoStrength();
    void negativeNormalForceIsReported();
    void factorAloneIsTheFullSolutionsFactor();
    void circlesAndCentresOfUserSurfaces();
    void savingKeepsTheMethod();
    void hugeValuesNeverReachTheFiles();
};

void TestEngineChecks::reinforcementActsOnceWhereItLeavesTheMass() {
    const TWedge w;
    const double t = 100;
    const double plain = w.Factor(0, 0);
    // The layer from the face (30, 5) into the slope, level: it leaves the mass where the plane
    // crosses y = 5 (x = 35), pulling towards +x (inclination factor 0) or up the plane (factor 1).
    const double along = w.Factor(t, 0);
    const double tangent = w.Factor(t * std::cos(w.Alpha()), t * std::sin(w.Alpha()));
    QVERIFY(along > plain * 1.2);
    struct TCase {
        const char* What;
        std::vector<TSlopePoint> Surface;
        std::vector<TSlopeReinforcementLayer> Layers;
        double Expected;
    };
    const std::vector<TSlopePoint> plane = {{20, 0}, {50, 10}};
    const std::vector<TSlopePoint> vertex = {{20, 0}, {35, 5}, {50, 10}}; // a vertex on the layer
    const std::vector<TSlopePoint> twoVertices = {{20, 0}, {23, 1}, {35, 5}, {50, 10}};
    // A layer running along the plane from (23, 1) to (35, 5), then level into the slope: the row
    // along the plane carries 3 t, which must not count (the force is the one where the line leaves
    // the mass, on the segment in stable ground).
    const std::vector<TSlopeReinforcementLayer> alongPlane = {
        {23, 1, 3 * t, 0}, {35, 5, t, 0}, {60, 5, 0, 0}};
    std::vector<TSlopeReinforcementLayer> reversed = {{60, 5, t, 0}, {35, 5, 3 * t, 0}, {23, 1, 0, 0}};
    const std::vector<TCase> cases = {
        {"plane", plane, {{30, 5, t, 0}, {60, 5, t, 0}}, along},
        {"vertex on the layer", vertex, {{30, 5, t, 0}, {60, 5, t, 0}}, along},
        {"layer vertex on the plane", plane, {{30, 5, t, 0}, {35, 5, t, 0}, {60, 5, t, 0}}, along},
        {"both vertices together", vertex, {{30, 5, t, 0}, {35, 5, t, 0}, {60, 5, t, 0}}, along},
        {"along the plane", twoVertices, alongPlane, along},
        {"along the plane, entered right to left", twoVertices, reversed, along},
        {"entered right to left", vertex, {{60, 5, t, 0}, {30, 5, t, 0}}, along},
        {"factor 1", vertex, {{30, 5, t, 1}, {60, 5, t, 1}}, tangent},
        {"ends inside the mass", vertex, {{30, 5, t, 0}, {34, 5, t, 0}}, plain},
    };
    for (const TCase& c : cases) {
        TSlopeDescription d = w.Problem(c.Surface);
        d.Settings.HasReinforcement = 1;
        d.Reinforcement = {{c.Layers, true}};
        const TAnalysis a = Run(d);
        QVERIFY2(!a.HasErrors() && a.Critical && a.Critical->JanbuSimplified, c.What);
        QVERIFY2(Near(*a.Critical->JanbuSimplified, c.Expected, 1e-9),
                 qPrintable(QString("%1: %2 against %3")
                                .arg(c.What)
                                .arg(*a.Critical->JanbuSimplified, 0, 'g', 12)
                                .arg(c.Expected, 0, 'g', 12)));
        // Spencer's method satisfies force equilibrium as well: on a plane it gives the same.
        QVERIFY2(a.Critical->Spencer && Near(*a.Critical->Spencer, c.Expected, 1e-6), c.What);
        QCOMPARE(a.Critical->ReinforcementCrossings, c.Expected == plain ? 0 : 1);
    }
}

void TestEngineChecks::verticalSeismicCoefficientActsUpwards() {
    // Pseudo-static planar wedge: kh W outwards and kv W upwards at the centre of gravity (Kramer,
    // "Geotechnical Earthquake Engineering", 1996, sec. 10.6.1; Duncan & Wright ch. 10). Upwards kv
    // lightens the wedge; read as downwards it would lower F differently.
    const TWedge w;
    for (const double kv : {0.1, -0.1}) {
        TSlopeDescription d = w.Problem({{20, 0}, {50, 10}});
        d.Settings.HasEarthquake = 1;
        d.Settings.HorizontalCoefficient = 0.15L;
        d.Settings.VerticalCoefficient = kv;
        const TAnalysis a = Run(d);
        const double expected = w.Factor(0, 0, 0.15, kv);
        QVERIFY2(
            Near(*a.Critical->JanbuSimplified, expected, 1e-9),
            qPrintable(
                QString("kv %1: %2 against %3").arg(kv).arg(*a.Critical->JanbuSimplified).arg(expected)));
        QVERIFY(!Near(expected, w.Factor(0, 0, 0.15, -kv), 1e-3));
    }
}

void TestEngineChecks::janbuCorrectionStaysWithinItsChart() {
    // Janbu (1973) as fitted by Abramson et al., "Slope Stability and Stabilization Methods" (2002),
    // eq. 6.30: f0 = 1 + b1 (d/L - 1.4 (d/L)^2), b1 = 0.69 for c only, 0.31 for phi only, 0.50 for
    // both; the chart spans d/L from 0 to 0.4. A V-shaped surface under the face, from the toe
    // (20, 0) to the crest's edge (40, 10), its vertex `depth` below the chord's middle.
    const double ax = 20, ay = 0, bx = 40, by = 10;
    const double chord = std::hypot(bx - ax, by - ay);
    const auto surface = [&](double depth) {
        const double mx = 0.5 * (ax + bx), my = 0.5 * (ay + by);
        const double nx = (by - ay) / chord, ny = -(bx - ax) / chord; // below the chord
        return std::vector<TSlopePoint>{{ax, ay}, {mx + depth * nx, my + depth * ny}, {bx, by}};
    };
    struct TSoilCase {
        double C, Phi, B1;
    };
    for (const TSoilCase& s : {TSoilCase{20, 0, 0.69}, TSoilCase{0, 30, 0.31}, TSoilCase{10, 25, 0.50}}) {
        for (const double ratio : {0.1, 0.25}) {
            TSlopeDescription d = SimpleSlope(Soil(18, 18, s.C, s.Phi));
            SetSurface(d, surface(ratio * chord), false);
            const TAnalysis a = Run(d);
            QVERIFY(a.Critical && a.Critical->JanbuFactor);
            const double expected = 1 + s.B1 * (ratio - 1.4 * ratio * ratio);
            QVERIFY2(std::abs(*a.Critical->JanbuFactor - expected) < 1e-9,
                     qPrintable(QString("c %1 phi %2 d/L %3: %4 against %5")
                                    .arg(s.C)
                                    .arg(s.Phi)
                                    .arg(ratio)
                                    .arg(*a.Critical->JanbuFactor)
                                    .arg(expected)));
            QVERIFY(!HasWarning(*a.Critical, "W208"));
            QVERIFY(Near(*a.Critical->JanbuCorrected, expected * *a.Critical->JanbuSimplified, 1e-12));
        }
        // Deeper than the chart: f0 is read at its end, never below 1, and the report says so.
        TSlopeDescription deep = SimpleSlope(Soil(18, 18, s.C, s.Phi));
        SetSurface(deep, surface(0.6 * chord), false);
        const TAnalysis a = Run(deep);
        QVERIFY(a.Critical && a.Critical->JanbuFactor);
        QVERIFY(Near(*a.Critical->JanbuFactor, 1 + s.B1 * (0.4 - 1.4 * 0.16), 1e-9));
        QVERIFY(*a.Critical->JanbuCorrected >= *a.Critical->JanbuSimplified);
        QCOMPARE(CountWarnings(*a.Critical, "W208"), 1);
        // A deep V is no nearly straight surface.
        QVERIFY(!HasWarning(*a.Critical, "W205"));
    }
}

void TestEngineChecks::twoWedgesByForceEquilibrium() {
    // Two rigid wedges of SimpleSlope on a bilinear surface: a passive wedge from the toe flat down to
    // the vertex and an active wedge from the vertex up to the crest, with a horizontal force between
    // them (the sliding-wedge method; Duncan & Wright, "Soil Strength and Slope Stability", 2nd ed.,
    // ch. 6). Each wedge is in vertical equilibrium, N n_y - S t_y = W with S = (c L + N tan(phi)) / F,
    // and the horizontal forces of both sum to nought. Janbu's simplified method assumes the same
    // horizontal interslice forces, and its slice equations are linear in the slices' weights and base
    // lengths, so on a surface of two planes it is this closed form exactly, however it slices.
    const double ground[][2] = {{0, 0}, {20, 0}, {40, 10}, {70, 10}};
    const auto groundY = [&](double x) {
        for (int k = 0; k < 3; ++k)
            if (x <= ground[k + 1][0])
                return ground[k][1] + (ground[k + 1][1] - ground[k][1]) * (x - ground[k][0]) /
                                          (ground[k + 1][0] - ground[k][0]);
        return ground[3][1];
    };
    struct TCase {
        double C, PhiDeg;
        TSlopePoint Vertex;
    };
    for (const TCase& k : {TCase{10, 30, {24, -4}}, TCase{25, 0, {26, -6}}, TCase{0, 35, {22, -2}}}) {
        const double gamma = 18, tanPhi = std::tan(k.PhiDeg * Pi / 180);
        const TSlopePoint entry{10, 0}, exit{50, 10};
        struct TBase {
            double Weight, Length, Tx, Ty, Nx, Ny;
        };
        std::vector<TBase> wedges;
        for (const auto& ends : {std::pair{entry, k.Vertex}, std::pair{k.Vertex, exit}}) {
            // Named copies, not a structured binding: the lambda below captures them, which C++17
            // allows of variables only.
            const TSlopePoint a = ends.first, b = ends.second;
            // The wedge's area: ground and base are both straight between these abscissae.
            std::vector<double> xs = {double(a.X), double(b.X)};
            for (const auto& g : ground)
                if (g[0] > a.X && g[0] < b.X)
                    xs.push_back(g[0]);
            std::sort(xs.begin(), xs.end());
            const auto baseY = [&](double x) { return a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X); };
            double area = 0;
            for (std::size_t i = 0; i + 1 < xs.size(); ++i)
                area += 0.5 * (xs[i + 1] - xs[i]) *
                        (groundY(xs[i]) - baseY(xs[i]) + groundY(xs[i + 1]) - baseY(xs[i + 1]));
            const double dx = b.X - a.X, dy = b.Y - a.Y, l = std::hypot(dx, dy);
            // The mass moves to the left, down the face; the base pushes up on it.
            wedges.push_back({gamma * area, l, -dx / l, -dy / l, -dy / l, dx / l});
        }
        const auto horizontal = [&](double f) {
            double sum = 0;
            for (const TBase& w : wedges) {
                const double n = (w.Weight + k.C * w.Length * w.Ty / f) / (w.Ny - tanPhi * w.Ty / f);
                const double shear = (k.C * w.Length + n * tanPhi) / f;
                sum += n * w.Nx - shear * w.Tx;
            }
            return sum;
        };
        // Above the factor where a base's vertical term vanishes (m-alpha = 0) the sum falls from
        // positive to negative once.
        double lo = 0.05, hi = 20;
        for (const TBase& w : wedges)
            lo = std::max(lo, 1.001 * tanPhi * w.Ty / w.Ny);
        QVERIFY(horizontal(lo) * horizontal(hi) < 0);
        for (int i = 0; i < 200; ++i)
            (horizontal(0.5 * (lo + hi)) * horizontal(lo) > 0 ? lo : hi) = 0.5 * (lo + hi);
        const double closed = 0.5 * (lo + hi);

        TSlopeDescription d = SimpleSlope(Soil(gamma, gamma, k.C, k.PhiDeg));
        SetSurface(d, {entry, k.Vertex, exit}, false);
        const TAnalysis a = Run(d);
        QVERIFY(!a.HasErrors() && a.Critical && a.Critical->JanbuSimplified);
        QVERIFY2(Near(*a.Critical->JanbuSimplified, closed, 1e-6),
                 qPrintable(QString("c %1 phi %2: %3 against %4")
                                .arg(k.C)
                                .arg(k.PhiDeg)
                                .arg(*a.Critical->JanbuSimplified, 0, 'g', 10)
                                .arg(closed, 0, 'g', 10)));
    }
}

void TestEngineChecks::nothingDrivesAndNoStrength() {
    // Flat ground: nothing drives a mass under a symmetric surface. No method has a factor (none
    // of them a huge number), and one warning says why.
    TSlopeDescription flat;
    flat.Settings.UnitSystem = 2;
    flat.Settings.SurfaceBoundaryCount = 1;
    flat.Boundaries = {{0, 10, 60, 10, 1}};
    flat.Soils = {Soil(18, 18, 10, 30)};
    SetSurface(flat, Arc(30, 20, 15, 180 + 41.81, 360 - 41.81, 60));
    const TAnalysis a = Run(flat);
    QVERIFY(a.Critical);
    const TCriticalResult& c = *a.Critical;
    for (const auto& f : {c.Ordinary, c.Bishop, c.JanbuSimplified, c.Spencer, c.MorgensternPrice})
        QVERIFY2(!f, qPrintable(QString::number(f.value_or(0))));
    QCOMPARE(CountWarnings(c, "W207"), 1);
    QVERIFY(!HasWarning(c, "W201"));
    QVERIFY(!c.Surface.FS);

    // No strength at all (c = 0, phi = 0): the sliding mass has nothing to hold it, F = 0 by every
    // method, as the equations say when their resisting sums vanish.
    TSlopeDescription weak = SimpleSlope(Soil(18, 18, 0, 0));
    SetSurface(weak, CircleThroughSlope(30, 24, 27, 60));
    for (const bool surbis : {true, false}) {
        weak.Settings.UseSurbis = surbis;
        const TAnalysis w = Run(weak);
        const TCriticalResult& wc = *w.Critical;
        for (const auto& f : {wc.Ordinary, wc.Bishop, wc.JanbuSimplified, wc.Spencer, wc.MorgensternPrice}) {
            QVERIFY(f.has_value());
            QCOMPARE(*f, 0.0);
        }
        QCOMPARE(wc.Surface.FS.value_or(-1), 0.0);
        QVERIFY(!HasWarning(wc, "W201") && !HasWarning(wc, "W207"));
        const std::string text = quolm::ReportText(w, "weak.qvxd");
        QVERIFY(text.find("Factor of safety (") != std::string::npos);
        QVERIFY(text.find("): 0.000") != std::string::npos);
    }
}

void TestEngineChecks::negativeNormalForceIsReported() {
    // High pore pressure under a steep exit: u l exceeds the normal force on the toe slices, which
    // every method reports as W202 (the soil there would be in tension), naming the method.
    TSlopeSoil soil = Soil(18, 18, 20, 30);
    soil.PorePressureConstant = 120;
    TSlopeDescription d = SimpleSlope(soil);
    SetSurface(d, Polyline());
    const TAnalysis a = Run(d);
    QVERIFY(a.Critical);
    int w202 = 0;
    for (const quolm::TDiagnostic& w : a.Critical->Warnings)
        if (w.Code == "W202") {
            ++w202;
            QVERIFY(w.Message.find("is negative") != std::string::npos);
        }
    QVERIFY(w202 >= 1);
    // A search asks for the factor alone: the same factor (or none) to the bit, without the checks
    // of the normal forces, and so without the slice that fails them.
    for (const double pore : {60.0, 100.0}) {
        TSlopeSoil wet = Soil(18, 18, 20, 30);
        wet.PorePressureConstant = pore;
        const quolm::TSlopeModel model(SimpleSlope(wet));
        std::vector<quolm::TPoint> raw, clipped;
        for (const TSlopePoint& q : Polyline())
            raw.push_back({double(q.X), double(q.Y)});
        QCOMPARE(quolm::ClipToGround(model, raw.data(), static_cast<int>(raw.size()), clipped).Problem,
                 quolm::TSurfaceProblem::None);
        for (const quolm::TMethod method : {quolm::TMethod::Bishop, quolm::TMethod::Janbu}) {
            quolm::TWorkspace ws;
            quolm::TEvaluation full, factorOnly;
            QVERIFY(quolm::EvaluateSurface(model, clipped, nullptr, method, {}, 0, ws, full));
            quolm::SolveCutSurface(model, clipped, nullptr, method, 0, ws, factorOnly, true);
            QCOMPARE(factorOnly.Result.Converged, full.Result.Converged);
            QVERIFY(factorOnly.Result.F == full.Result.F);
            QCOMPARE(factorOnly.Result.NegativeNormal, -1);
            if (pore == 60) // a factor, with the soil in tension under the toe slice
                QVERIFY(full.Result.Converged && full.Result.NegativeNormal == 0);
            else // nothing converges
                QVERIFY(!full.Result.Converged);
        }
    }
    // The same surface with no pore pressure has none.
    TSlopeDescription dry = SimpleSlope(Soil(18, 18, 20, 30));
    SetSurface(dry, Polyline());
    QVERIFY(!HasWarning(*Run(dry).Critical, "W202"));
}

void TestEngineChecks::factorAloneIsTheFullSolutionsFactor() {
    // A search solves Bishop's and Janbu's methods for the factor alone, in one pass over the slices:
    // it must be the full solution's factor to the bit, with every kind of force (LoadedSlope: free
    // water, ru, a surcharge, earthquake, a tieback, reinforcement), on polylines and circles (Bishop's
    // method about their centres), and where the factor is near zero, kept where no slice is in
    // tension and refused where one is.
    struct TCase {
        TSlopeDescription Description;
        std::vector<TSlopePoint> Surface;
        bool Circle;
        double Cx, Cy;
    };
    std::vector<TCase> cases;
    cases.push_back({LoadedSlope(), Polyline(), false, 0, 0});
    for (const double r : {27.0, 30.0, 35.0})
        cases.push_back({LoadedSlope(), CircleThroughSlope(30, 24, r, 40), true, 30, 24});
    TSlopeSoil slippery = Soil(18, 18, 0, 1); // a factor of about 0.07
    cases.push_back({SimpleSlope(slippery), CircleThroughSlope(30, 24, 27, 40), true, 30, 24});
    slippery.PorePressureConstant = 10; // and the soil in tension under it
    cases.push_back({SimpleSlope(slippery), CircleThroughSlope(30, 24, 27, 40), true, 30, 24});
    int nearZero = 0, refused = 0;
    for (const TCase& c : cases) {
        const quolm::TSlopeModel model(c.Description);
        std::vector<quolm::TPoint> raw, clipped;
        for (const TSlopePoint& q : c.Surface)
            raw.push_back({double(q.X), double(q.Y)});
        QCOMPARE(quolm::ClipToGround(model, raw.data(), static_cast<int>(raw.size()), clipped).Problem,
                 quolm::TSurfaceProblem::None);
        const quolm::TPoint centre{c.Cx, c.Cy};
        for (const quolm::TMethod method : {quolm::TMethod::Bishop, quolm::TMethod::Janbu}) {
            // Each in a workspace of its own: nothing the one leaves may serve the other.
            quolm::TWorkspace ws, own;
            quolm::TEvaluation full, alone;
            const quolm::TPoint* about = c.Circle ? &centre : nullptr;
            QVERIFY(quolm::EvaluateSurface(model, clipped, about, method, {}, 0, ws, full));
            QVERIFY(quolm::CutSlices(model, clipped, {}, own, alone.Notes));
            quolm::SolveCutSurface(model, clipped, about, method, 0, own, alone, true);
            QCOMPARE(alone.Result.Converged, full.Result.Converged);
            QCOMPARE(alone.Result.Undriven, full.Result.Undriven);
            QVERIFY2(
                alone.Result.F == full.Result.F,
                qPrintable(
                    QString("%1 against %2").arg(alone.Result.F, 0, 'g', 17).arg(full.Result.F, 0, 'g', 17)));
            if (full.Result.Converged && full.Result.F < 0.1)
                ++nearZero;
            if (!full.Result.Converged)
                ++refused;
        }
    }
    QVERIFY(nearZero >= 2); // the slippery slope without pore pressure, by both methods
    QVERIFY(refused >= 1);  // and with it
}

void TestEngineChecks::circlesAndCentresOfUserSurfaces() {
    // Three points lie on a circle whatever they are: a three-point surface is a polyline.
    TSlopeDescription d = SimpleSlope(Soil(18, 18, 10, 30));
    SetSurface(d, {{10, 0.5}, {30, -2}, {48, 10.5}});
    QVERIFY(!Run(d).Critical->Surface.Circle);
    // A surface entered as an arc of many points is one.
    SetSurface(d, CircleThroughSlope(30, 24, 27, 40));
    QVERIFY(Run(d).Critical->Surface.Circle);
}

void TestEngineChecks::savingKeepsTheMethod() {
    // A user surface under SURBIS is Bishop's, under SURFAC Janbu's, with or without reinforcement:
    // the program opens the file and saves it, and the engine analyses the saved file alike.
    QTemporaryDir dir;
    for (const bool surbis : {true, false})
        for (const bool reinforced : {false, true}) {
            TSlopeDescription d = SimpleSlope(Soil(18, 18, 8, 26));
            SetSurface(d, Polyline(), surbis);
            if (reinforced) {
                d.Settings.HasReinforcement = 1;
                d.Reinforcement = {{{{25, 1, 20, 0}, {60, 1, 20, 0}}, true}};
            }
            std::string text = WriteSlopeFile(d);
            const std::string path = dir.filePath("keyword.qvxd").toStdString();
            std::ofstream(path, std::ios::binary) << text;
            const TAnalysis before = quolm::AnalyzeFile(path, quolm::TRunOptions());
            QCOMPARE(before.Method, surbis ? quolm::TMethod::Bishop : quolm::TMethod::Janbu);
            TStandaloneModelHost host;
            auto model = TProgramData::CreateFromFile(path, true, host);
            const std::string saved = dir.filePath("saved.qvxd").toStdString();
            model->FileName = saved;
            model->SaveToFile();
            const TAnalysis after = quolm::AnalyzeFile(saved, quolm::TRunOptions());
            QCOMPARE(after.Method, before.Method);
            QCOMPARE(*after.Critical->Surface.FS, *before.Critical->Surface.FS);
        }
}

void TestEngineChecks::hugeValuesNeverReachTheFiles() {
    // Values far beyond any slope: refused by validation with the value named, and no output holds a
    // non-number.
    TSlopeDescription d = SimpleSlope(Soil(18, 18, 10, 30));
    SetSurface(d, Polyline());
    d.Settings.HasLimits = 1;
    d.Limits = {{0, -5, 7e300L * 1e100L, -5}};
    TAnalysis a = Run(d);
    QVERIFY(a.HasErrors());
    for (const std::string& text :
         {quolm::ReportText(a, "x.qvxd"), quolm::PlotText(a), quolm::ResultsJson(a)}) {
        QVERIFY(text.find("inf") == std::string::npos && text.find("nan") == std::string::npos);
    }
    QCOMPARE(a.Diagnostics.Errors.front().Code, std::string("E100"));
    QVERIFY(a.Diagnostics.Errors.front().Message.find("limit line 1") != std::string::npos);
    // A property far beyond any soil's: named in the error, in digits.
    TSlopeDescription strong = SimpleSlope(Soil(18, 18, 1e70L, 30));
    SetSurface(strong, Polyline());
    a = Run(strong);
    QCOMPARE(a.Diagnostics.Errors.size(), std::size_t(1));
    const std::string report = quolm::ReportText(a, "strong.qvxd");
    QVERIFY(report.find("Error E100: A property of soil 1 is 1E70") != std::string::npos);
    for (const char ch : report)
        QVERIFY(ch == '\r' || ch == '\n' || (ch >= 32 && ch < 127));
    // Coordinates near the top of the range the checks allow still give a readable plot file.
    TSlopeDescription wide = SimpleSlope(Soil(18, 18, 10, 30));
    for (TSlopeBoundary& b : wide.Boundaries) {
        b.LeftX *= 1e10L;
        b.RightX *= 1e10L;
        b.LeftY *= 1e10L;
        b.RightY *= 1e10L;
    }
    std::vector<TSlopePoint> surface = Polyline();
    for (TSlopePoint& p : surface)
        p = {p.X * 1e10L, p.Y * 1e10L};
    SetSurface(wide, surface);
    a = Run(wide);
    QVERIFY(!a.HasErrors() && a.Critical && a.Critical->Surface.FS);
    QCOMPARE(ReadPlotMessages(quolm::PlotText(a), wide), std::string());
}

QTEST_GUILESS_MAIN(TestEngineChecks)
#include "tst_engine_checks.moc"
