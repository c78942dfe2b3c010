// The slice data of the results file: the forces it reports on every slice must put the sliding
// mass in equilibrium in the way each method claims (Bishop: moments about the centre; Janbu:
// horizontal forces; Spencer and Morgenstern-Price: forces on every slice and moments), read back
// from the JSON exactly as another program would read it.
#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/Slices.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <algorithm>

using namespace enginetest;
using quolm::TAnalysis;
using quolm::TMethod;

namespace {
constexpr double Pi = 3.14159265358979323846;

// The problem analysed, its critical surface reported as `method` ranks it, as JSON.
QJsonObject Critical(const TSlopeDescription& d, TMethod method) {
    TAnalysis a = Run(d);
    for (const quolm::TDiagnostic& e : a.Diagnostics.Errors)
        qWarning("%s %s", e.Code.c_str(), e.Message.c_str());
    if (!a.Critical)
        return {};
    const quolm::TSlopeModel model(d);
    a.Method = method;
    a.Critical = quolm::AnalyseSurface(model, a.Critical->Surface.Points, nullptr, method, 10, {});
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(quolm::ResultsJson(a)));
    return doc.object().value("critical").toObject();
}

struct TSums {
    double Fx = 0, Fy = 0, M = 0;     // residuals
    double Driving = 0, DrivingM = 0; // scales: the mobilised shear and its moment
    int Slices = 0;
};

double Sum(const QJsonObject& s, const char* key, int k) {
    return s.value(key).toArray().at(k).toDouble();
}

// The sums over the slices of every force, and of their moments about the moment centre. With the
// interslice forces included each slice's own residuals must vanish too: `worstSlice` takes the
// largest relative to the total driving force.
TSums Sums(const QJsonObject& c, bool interslice, double& worstSlice) {
    TSums t;
    const QJsonArray centre = c.value("moment_centre").toArray();
    const double cx = centre.at(0).toDouble(), cy = centre.at(1).toDouble();
    worstSlice = 0;
    std::vector<std::pair<double, double>> perSlice;
    for (const QJsonValue& v : c.value("slices").toArray()) {
        const QJsonObject s = v.toObject();
        const double a = s.value("alpha_deg").toDouble() * Pi / 180;
        const double n = s.value("normal").toDouble(), sh = s.value("shear").toDouble();
        double qx = 0, qy = 0;
        for (const char* kind : {"water", "load", "quake", "tieback", "reinforcement"}) {
            qx += Sum(s, kind, 0);
            qy += Sum(s, kind, 1);
        }
        double fx = -n * std::sin(a) + sh * std::cos(a) + qx;
        double fy = n * std::cos(a) + sh * std::sin(a) - s.value("weight").toDouble() + qy;
        if (interslice) {
            fx += s.value("e_left").toDouble() - s.value("e_right").toDouble();
            fy += s.value("xs_left").toDouble() - s.value("xs_right").toDouble();
        }
        const double dx = s.value("x").toDouble() - cx, dy = s.value("y_base").toDouble() - cy;
        const double ms = dx * std::sin(a) - dy * std::cos(a), mn = dx * std::cos(a) + dy * std::sin(a);
        t.Fx += fx;
        t.Fy += fy;
        t.M += s.value("moment").toDouble() + n * mn + sh * ms;
        t.Driving += std::abs(sh);
        t.DrivingM += std::abs(sh * ms);
        perSlice.push_back({fx, fy});
        ++t.Slices;
    }
    for (const auto& [fx, fy] : perSlice)
        worstSlice = std::max(worstSlice, std::hypot(fx, fy) / t.Driving);
    return t;
}
} // namespace

class TestSliceForces : public QObject {
    Q_OBJECT
  private slots:
    void equilibrium();
    void morgensternPriceHalfSine();
    void sliceData();
    void boundaryWater();
    void columnWeights();
    void breaksAtEveryChange();
};

// Equilibrium within 0.1 % of the driving force for every method on a problem with every force, and
// on a circle in a plain slope.
void TestSliceForces::equilibrium() {
    TSlopeDescription plain = SimpleSlope(Soil(18, 18, 8, 26));
    SetSurface(plain, CircleThroughSlope(30, 24, 27, 40));
    for (const TSlopeDescription& d : {LoadedSlope(), plain}) {
        double worst = 0;
        const TSums bishop = Sums(Critical(d, TMethod::Bishop), false, worst);
        QVERIFY2(bishop.Slices > 10, qPrintable(QString::number(bishop.Slices)));
        QVERIFY2(std::abs(bishop.M) < 1e-3 * bishop.DrivingM, qPrintable(QString::number(bishop.M)));

        const TSums janbu = Sums(Critical(d, TMethod::Janbu), false, worst);
        QVERIFY2(std::abs(janbu.Fx) < 1e-3 * janbu.Driving, qPrintable(QString::number(janbu.Fx)));

        for (const TMethod m : {TMethod::Spencer, TMethod::MorgensternPrice}) {
            const QJsonObject c = Critical(d, m);
            QCOMPARE(c.value("interslice_method").toString(),
                     QString(m == TMethod::Spencer ? "spencer" : "morgenstern_price"));
            const TSums r = Sums(c, true, worst);
            QVERIFY2(std::abs(r.Fx) < 1e-3 * r.Driving && std::abs(r.Fy) < 1e-3 * r.Driving,
                     qPrintable(QString("%1 %2").arg(r.Fx).arg(r.Fy)));
            QVERIFY2(std::abs(r.M) < 1e-3 * r.DrivingM, qPrintable(QString::number(r.M)));
            QVERIFY2(worst < 1e-3, qPrintable(QString::number(worst)));
            // Without the interslice forces the slices alone do not balance: the check has teeth.
            double unused = 0;
            QVERIFY(std::abs(Sums(c, false, unused).Fx) < 1e-3 * r.Driving);
            QVERIFY(unused > 1e-2);
        }
    }
}

// What makes Morgenstern-Price's factor its own: the slices are in equilibrium with interslice shear
// X = lambda f(x) E, f the half-sine over the surface's x-range (zero at both ends, 1 in the middle),
// and the reported factor is the one that mobilises the slices' shear. Spencer's constant ratio gives
// another factor wherever f matters, so a Morgenstern-Price that quietly returned Spencer's factor, or
// solved with a constant function, fails here. The problem is a slope on a thin weak layer with a
// sharply non-circular surface through it, where the two assumptions lead well apart.
void TestSliceForces::morgensternPriceHalfSine() {
    TSlopeDescription d = SimpleSlope(Soil(18, 18, 10, 30));
    d.Boundaries.push_back({0, -2, 70, -2, 2});
    d.Boundaries.push_back({0, -3, 70, -3, 1});
    d.Soils.push_back(Soil(18, 18, 0, 10));
    SetSurface(d, {{6, 0.01}, {12, -2.5}, {34, -2.5}, {42, 10.01}});
    for (const TMethod m : {TMethod::MorgensternPrice, TMethod::Spencer}) {
        const bool mp = m == TMethod::MorgensternPrice;
        const QJsonObject c = Critical(d, m);
        QCOMPARE(c.value("interslice_method").toString(), QString(mp ? "morgenstern_price" : "spencer"));
        const QJsonObject methods = c.value("methods").toObject();
        const double fs = c.value("fs").toDouble();
        QVERIFY2(Near(methods.value(mp ? "morgenstern_price" : "spencer").toDouble(), fs, 1e-9),
                 qPrintable(QString::number(fs, 'g', 12)));
        // The two assumptions must lead apart here, or the checks below could not tell them apart.
        QVERIFY2(
            std::abs(methods.value("spencer").toDouble() / methods.value("morgenstern_price").toDouble() -
                     1) > 0.01,
            qPrintable(QString("%1 %2")
                           .arg(methods.value("spencer").toDouble(), 0, 'g', 8)
                           .arg(methods.value("morgenstern_price").toDouble(), 0, 'g', 8)));
        const double lambda = mp ? methods.value("mp_lambda").toDouble()
                                 : std::tan(methods.value("spencer_theta_deg").toDouble() * Pi / 180);
        QVERIFY(lambda > 0.05);

        double worst = 0;
        const TSums r = Sums(c, true, worst);
        QVERIFY2(std::abs(r.Fx) < 1e-4 * r.Driving && std::abs(r.Fy) < 1e-4 * r.Driving,
                 qPrintable(QString("%1 %2").arg(r.Fx).arg(r.Fy)));
        QVERIFY2(std::abs(r.M) < 1e-4 * r.DrivingM, qPrintable(QString::number(r.M)));
        QVERIFY2(worst < 1e-4, qPrintable(QString::number(worst)));

        const QJsonArray slices = c.value("slices").toArray();
        const double x0 = slices.first().toObject().value("x_left").toDouble();
        const double x1 = slices.last().toObject().value("x_right").toDouble();
        double largest = 0;
        for (const QJsonValue& v : slices)
            largest = std::max(largest, std::abs(v.toObject().value("e_left").toDouble()));
        int interfaces = 0;
        for (const QJsonValue& v : slices) {
            const QJsonObject s = v.toObject();
            // Every slice mobilises its strength divided by the reported factor.
            QVERIFY(std::abs(s.value("shear").toDouble() * fs - s.value("shear_strength").toDouble()) <
                    1e-6 * std::max(1.0, s.value("shear_strength").toDouble()));
            const double x = s.value("x_left").toDouble(), e = s.value("e_left").toDouble();
            const double f = mp ? std::sin(Pi * (x - x0) / (x1 - x0)) : 1.0;
            if (std::abs(e) < 0.05 * largest)
                continue;
            const double ratio = s.value("xs_left").toDouble() / e;
            QVERIFY2(std::abs(ratio - lambda * f) < 1e-6,
                     qPrintable(QString("x %1: X/E %2, lambda f %3").arg(x).arg(ratio).arg(lambda * f)));
            ++interfaces;
        }
        QVERIFY2(interfaces > 20, qPrintable(QString::number(interfaces)));
    }
}

// The slices tile the surface; forces by kind add up to the closed forms; the line of thrust lies
// within the mass where the interslice force is well defined.
void TestSliceForces::sliceData() {
    const TSlopeDescription d = LoadedSlope();
    const QJsonObject c = Critical(d, TMethod::Bishop);
    const QJsonArray slices = c.value("slices").toArray();
    QVERIFY(!slices.isEmpty());
    double weight = 0, qx = 0, qy = 0, load = 0, tieback = 0;
    double previous = slices.first().toObject().value("x_left").toDouble();
    for (const QJsonValue& v : slices) {
        const QJsonObject s = v.toObject();
        QCOMPARE(s.value("x_left").toDouble(), previous);
        previous = s.value("x_right").toDouble();
        QVERIFY(std::abs(previous - s.value("x_left").toDouble() - s.value("width").toDouble()) < 1e-9);
        const double a = s.value("alpha_deg").toDouble() * Pi / 180;
        QVERIFY(std::abs(s.value("base_length").toDouble() * std::cos(a) - s.value("width").toDouble()) <
                1e-9);
        QVERIFY(std::abs(s.value("height").toDouble() -
                         (s.value("y_top").toDouble() - s.value("y_base").toDouble())) < 1e-9);
        const double l = s.value("base_length").toDouble();
        QVERIFY(std::abs(s.value("effective_normal").toDouble() -
                         (s.value("normal").toDouble() - s.value("u").toDouble() * l)) < 1e-6);
        const double strength =
            s.value("c").toDouble() * l +
            s.value("effective_normal").toDouble() * std::tan(s.value("phi_deg").toDouble() * Pi / 180);
        QVERIFY(std::abs(s.value("shear_strength").toDouble() - strength) < 1e-6 * std::max(1.0, strength));
        QVERIFY(std::abs(s.value("shear").toDouble() * c.value("fs").toDouble() - strength) <
                1e-6 * std::max(1.0, strength));
        const int soil = s.value("soil").toInt();
        QVERIFY(soil == 1 || soil == 2);
        weight += s.value("weight").toDouble();
        qx += Sum(s, "quake", 0);
        qy += Sum(s, "quake", 1);
        load += std::hypot(Sum(s, "load", 0), Sum(s, "load", 1));
        tieback += std::hypot(Sum(s, "tieback", 0), Sum(s, "tieback", 1));
        QVERIFY(s.value("e_left").isDouble()); // Spencer's interslice forces beside Bishop's slices
    }
    QCOMPARE(c.value("interslice_method").toString(), QString("spencer"));
    // kh = 0.1 outwards (-x), kv = 0.05 upwards, on the weight of every slice.
    QVERIFY(std::abs(qx + 0.1 * weight) < 1e-9 * weight);
    QVERIFY(std::abs(qy - 0.05 * weight) < 1e-9 * weight);
    // The surcharge of 25 over 44..52 on the mass up to where the surface leaves the ground; the
    // tieback's 150 over a spacing of 2.
    QVERIFY2(std::abs(load - 25 * (previous - 44)) < 1e-9, qPrintable(QString::number(load)));
    QVERIFY(std::abs(tieback - 75) < 1e-9);

    // A plain slope on a circle: the line of thrust within the middle slices, inside the mass.
    TSlopeDescription plain = SimpleSlope(Soil(18, 18, 8, 26));
    SetSurface(plain, CircleThroughSlope(30, 24, 27, 40));
    const QJsonArray arc = Critical(plain, TMethod::Spencer).value("slices").toArray();
    int inside = 0, middle = 0;
    for (int i = arc.size() / 5; i < arc.size() * 4 / 5; ++i) {
        const QJsonObject s = arc.at(i).toObject();
        const QJsonValue y = s.value("thrust_y");
        ++middle;
        inside += y.isDouble() && y.toDouble() > s.value("y_base").toDouble() - 0.5 &&
                  y.toDouble() < s.value("y_top").toDouble() + 0.5;
    }
    QVERIFY2(inside == middle, qPrintable(QString("%1 of %2").arg(inside).arg(middle)));
    QCOMPARE(QJsonDocument::fromJson(QByteArray::fromStdString(quolm::ResultsJson(Run(plain))))
                 .object()
                 .value("schema")
                 .toInt(),
             2);
}

void TestSliceForces::boundaryWater() {
    // The water force on a vertical boundary between slices is the integral of the pore pressure
    // from the base up to the ground: hydrostatic below a level water surface at y = -1, cut off at
    // -cavitation above it, and nothing in a soil that takes no pore pressure.
    const double gw = 9.81, yp = -1;
    const std::vector<TSlopePoint> surface = {{5, 0.5}, {12, -6}, {30, -7}, {45, 2}, {55, 10.5}};
    struct TCase {
        const char* name;
        int upperPiezometric; // 0: the soil above y = -2 takes no pore pressure
        double cavitation;
    };
    for (const TCase& c : {TCase{"one water surface for both soils", 1, 0},
                           TCase{"suction cut off above it", 1, 5}, TCase{"a dry upper soil", 0, 0}}) {
        TSlopeDescription d = SimpleSlope(Soil(18, 20, 10, 28, c.upperPiezometric));
        d.Soils.push_back(Soil(19, 21, 15, 24, 1));
        d.Boundaries.push_back({0, -2, 70, -2, 2});
        d.Settings.HasWater = 1;
        d.Settings.WaterUnitWeight = gw;
        d.Settings.HasEarthquake = c.cavitation > 0 ? 1 : 0; // the cavitation pressure is entered with it
        d.Settings.CavitationPressure = c.cavitation;
        d.WaterSurfaces = {{{{0, yp}, {70, yp}}, true}};
        const quolm::TSlopeModel model(d);
        std::vector<quolm::TPoint> raw, clipped;
        for (const TSlopePoint& p : surface)
            raw.push_back({static_cast<double>(p.X), static_cast<double>(p.Y)});
        QCOMPARE(quolm::ClipToGround(model, raw.data(), static_cast<int>(raw.size()), clipped).Problem,
                 quolm::TSurfaceProblem::None);
        quolm::TWorkspace ws;
        quolm::TSliceNotes notes;
        QVERIFY(quolm::CutSlices(model, clipped, quolm::TSliceOptions(), ws, notes));
        quolm::SideWaterForces(model, clipped, ws);
        QCOMPARE(ws.U.size(), ws.Slices.size() + 1);
        int wet = 0;
        for (std::size_t j = 1; j < ws.Slices.size(); ++j) {
            const double x = ws.Slices[j].XLeft;
            std::size_t k = 0;
            while (clipped[k + 1].X < x)
                ++k;
            const double yb = clipped[k].Y + (clipped[k + 1].Y - clipped[k].Y) * (x - clipped[k].X) /
                                                 (clipped[k + 1].X - clipped[k].X);
            const double ground = model.GroundY(x);
            // The integral of max(gw (yp - y), -cav) over [lo, hi].
            const auto integral = [&](double lo, double hi) {
                if (!(hi > lo))
                    return 0.0;
                const double yc = yp + c.cavitation / gw; // above it the suction is cut off
                const double wetTop = std::clamp(yp, lo, hi), suctionTop = std::clamp(yc, lo, hi);
                return 0.5 * gw * ((yp - lo) * (yp - lo) - (yp - wetTop) * (yp - wetTop)) -
                       0.5 * gw * ((suctionTop - yp) * (suctionTop - yp) - (wetTop - yp) * (wetTop - yp)) -
                       c.cavitation * (hi - suctionTop);
            };
            const double expected =
                c.upperPiezometric ? integral(yb, ground) : integral(yb, std::min(-2.0, ground));
            wet += expected > 1;
            QVERIFY2(std::abs(ws.U[j] - expected) <= 1e-9 * std::max(1.0, std::abs(expected)),
                     qPrintable(QString("%1 at x = %2: %3, expected %4")
                                    .arg(c.name)
                                    .arg(x)
                                    .arg(ws.U[j], 0, 'g', 12)
                                    .arg(expected, 0, 'g', 12)));
        }
        QVERIFY2(wet > 10, c.name); // most boundaries stand in water
        QCOMPARE(ws.U.front(), 0.0);
        QCOMPARE(ws.U.back(), 0.0);
    }
}

void TestSliceForces::columnWeights() {
    // Every slice's weight and the x of its centre of gravity against the exact integrals of the
    // column over the slice: two soils parted at y = -2, saturated below a level water surface at
    // y = -1. The surface's vertex at x = 44 lies 1e-5 below the parting line and the surface rises
    // steeply from it, so the crossing just right of it is closer to the vertex than the breaks are
    // told apart: the slice starting there has a sliver of the lower soil above the base at its left
    // edge. Its column is no longer linear across the slice, so that slice's weight is held to the
    // sliver's own scale (its height times the heaviest unit weight times the slice's width), every
    // other slice's to rounding.
    const double yLine = -2, yWater = -1;
    TSlopeDescription d = SimpleSlope(Soil(18, 20, 10, 28, 1));
    d.Soils.push_back(Soil(19, 21, 15, 24, 1));
    d.Boundaries.push_back({0, yLine, 70, yLine, 2});
    d.Settings.HasWater = 1;
    d.Settings.WaterUnitWeight = 9.81;
    d.WaterSurfaces = {{{{0, yWater}, {70, yWater}}, true}};
    const quolm::TSlopeModel model(d);
    std::vector<quolm::TPoint> raw = {{5, 0.5}, {12, -6}, {30, -7}, {44, yLine - 1e-5}, {55, 10.5}}, clipped;
    QCOMPARE(quolm::ClipToGround(model, raw.data(), static_cast<int>(raw.size()), clipped).Problem,
             quolm::TSurfaceProblem::None);
    quolm::TWorkspace ws;
    quolm::TSliceNotes notes;
    QVERIFY(quolm::CutSlices(model, clipped, quolm::TSliceOptions(), ws, notes));
    const auto baseY = [&](double x) {
        std::size_t k = 0;
        while (k + 2 < clipped.size() && clipped[k + 1].X < x)
            ++k;
        const quolm::TPoint &a = clipped[k], &b = clipped[k + 1];
        return a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X);
    };
    // The weight of the column per unit width at x.
    const auto column = [&](double x) {
        const double yb = baseY(x), ground = model.GroundY(x);
        const auto part = [](double lo, double hi) { return std::max(hi - lo, 0.0); };
        return 18 * part(std::max(yb, yWater), ground) +
               20 * part(std::max(yb, yLine), std::min(ground, yWater)) +
               21 * part(yb, std::min(ground, yLine));
    };
    // The column is linear in x between the surface's and the ground's vertices and the surface's
    // crossings of the two levels: Simpson's rule on each such piece is exact for both integrals.
    std::vector<double> kinks = {20, 40};
    for (std::size_t k = 0; k + 1 < clipped.size(); ++k) {
        const quolm::TPoint &a = clipped[k], &b = clipped[k + 1];
        kinks.push_back(a.X);
        for (const double level : {yLine, yWater})
            if ((a.Y - level) * (b.Y - level) < 0)
                kinks.push_back(a.X + (level - a.Y) * (b.X - a.X) / (b.Y - a.Y));
    }
    int sliver = 0;
    for (const quolm::TSlice& s : ws.Slices) {
        std::vector<double> at = {s.XLeft, s.XRight};
        for (const double x : kinks)
            if (x > s.XLeft + 1e-9 && x < s.XRight - 1e-9) // not a break met again through rounding
                at.push_back(x);
        std::sort(at.begin(), at.end());
        const bool kinked = at.size() > 2;
        sliver += kinked;
        double weight = 0, moment = 0;
        for (std::size_t j = 0; j + 1 < at.size(); ++j) {
            const double a = at[j], b = at[j + 1], m = 0.5 * (a + b);
            weight += (b - a) / 6 * (column(a) + 4 * column(m) + column(b));
            moment += (b - a) / 6 * (a * column(a) + 4 * m * column(m) + b * column(b));
        }
        const double width = s.XRight - s.XLeft;
        QVERIFY2(std::abs(s.Weight - weight) <= (kinked ? 1e-5 * 21 * width : 1e-10 * weight),
                 qPrintable(QString("slice %1..%2: weight %3, expected %4")
                                .arg(s.XLeft)
                                .arg(s.XRight)
                                .arg(s.Weight, 0, 'g', 15)
                                .arg(weight, 0, 'g', 15)));
        QVERIFY2(std::abs(s.XW - moment / weight) <= (kinked ? 1e-6 : 1e-10) * width,
                 qPrintable(QString("slice %1..%2: centre of gravity at %3, expected %4")
                                .arg(s.XLeft)
                                .arg(s.XRight)
                                .arg(s.XW, 0, 'g', 15)
                                .arg(moment / weight, 0, 'g', 15)));
    }
    QCOMPARE(sliver, 1); // the crossing next to the vertex falls inside one slice
}

QTEST_GUILESS_MAIN(TestSliceForces)
#include "tst_slice_forces.moc"

void TestSliceForces::breaksAtEveryChange() {
    // A slice edge wherever something along the base or in the column changes: every vertex of the
    // surface, every crossing of it with a boundary line or a water surface, every vertex of the
    // ground and where the water surface crosses a boundary line. Here a level boundary at y = -2
    // and a rising water surface (y = -3 + x / 10, crossing the boundary at x = 10) are crossed in
    // one interval of the model's lines in either order, and the crossings fall between the equal
    // parts the slices would otherwise have.
    TSlopeDescription d = SimpleSlope(Soil(18, 20, 10, 28, 1));
    d.Soils.push_back(Soil(19, 21, 15, 24, 1));
    d.Boundaries.push_back({0, -2, 70, -2, 2});
    d.Settings.HasWater = 1;
    d.Settings.WaterUnitWeight = 9.81;
    d.WaterSurfaces = {{{{0, -3}, {70, 4}}, true}};
    const quolm::TSlopeModel model(d);
    const auto waterY = [](double x) { return -3 + x / 10; };
    const std::vector<std::vector<quolm::TPoint>> surfaces = {
        {{3.3, 0.4}, {12.1, -6.3}, {30.7, -7.1}, {44.2, -1.3}, {55.9, 10.5}},
        {{4.1, 0.2}, {6.7, -4.4}, {9.3, -2.6}, {17.9, -2.3}, {33.3, -0.7}, {47.3, 10.4}},
        {{1.7, 0.3}, {25.2, -5.9}, {38.6, -3.2}, {41.9, 1.1}, {52.6, 10.8}}};
    for (const std::vector<quolm::TPoint>& raw : surfaces) {
        std::vector<quolm::TPoint> clipped;
        QCOMPARE(quolm::ClipToGround(model, raw.data(), static_cast<int>(raw.size()), clipped).Problem,
                 quolm::TSurfaceProblem::None);
        quolm::TWorkspace ws;
        quolm::TSliceNotes notes;
        QVERIFY(quolm::CutSlices(model, clipped, quolm::TSliceOptions(), ws, notes));
        std::vector<double> edges = {ws.Slices.front().XLeft};
        for (const quolm::TSlice& s : ws.Slices) {
            QCOMPARE(s.XLeft, edges.back()); // each slice starts where the one before ends
            QVERIFY(s.XRight > s.XLeft);
            edges.push_back(s.XRight);
        }
        QCOMPARE(edges.front(), clipped.front().X);
        QCOMPARE(edges.back(), clipped.back().X);
        // Where the changes are, worked out here on their own.
        std::vector<double> changes = {10, 20, 40};
        for (std::size_t k = 0; k + 1 < clipped.size(); ++k) {
            const quolm::TPoint &a = clipped[k], &b = clipped[k + 1];
            changes.push_back(a.X);
            const double slope = (b.Y - a.Y) / (b.X - a.X);
            // y = -2, then the water: the surface's height above each is linear along the segment.
            const double xLine = a.X + (-2 - a.Y) / slope;
            const double xWater = a.X + (waterY(a.X) - a.Y) / (slope - 0.1);
            for (const double x : {xLine, xWater})
                if (x > a.X && x < b.X)
                    changes.push_back(x);
        }
        for (const double x : changes) {
            if (!(x > edges.front() && x < edges.back()))
                continue;
            const auto nearest = std::min_element(edges.begin(), edges.end(), [x](double p, double q) {
                return std::abs(p - x) < std::abs(q - x);
            });
            QVERIFY2(std::abs(*nearest - x) <= 1e-9 * 70,
                     qPrintable(QString("no slice edge at x = %1 (nearest %2)")
                                    .arg(x, 0, 'g', 12)
                                    .arg(*nearest, 0, 'g', 12)));
        }
    }
}
