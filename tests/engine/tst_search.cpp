// The searches: circular, irregular and block surfaces, reproducible on any number of threads, the
// refinement, the rejections and the warnings at the edges of the ranges.
#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "graphics/PltData.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <random>

using namespace enginetest;
using quolm::TAnalysis;

namespace {
// The slope of Fredlund & Krahn (1977), mirrored, with a search of `kind` (2 Janbu, 3 Bishop,
// 4 irregular, 6 Spencer).
TSlopeDescription Searched(int kind, int points = 10, int perPoint = 40) {
    TSlopeDescription d;
    d.Settings.UnitSystem = 1;
    d.Settings.SurfaceBoundaryCount = 3;
    d.Boundaries = {{0, 20, 60, 20, 1}, {60, 20, 140, 60, 1}, {140, 60, 200, 60, 1}};
    d.Soils = {Soil(120, 120, 600, 20)};
    TSlopeSettings& s = d.Settings;
    s.SearchKind = kind;
    s.InitiationPoints = points;
    s.SurfacesPerPoint = perPoint;
    s.LeftInitiationX = 10;
    s.RightInitiationX = 60;
    s.LeftTerminationX = 140;
    s.RightTerminationX = 195;
    s.SegmentLength = 4;
    s.CcwLimit = 0;
    s.CwLimit = -60;
    s.InterSliceAngle = 10;
    return d;
}

TSlopeDescription Blocks() {
    TSlopeDescription d = Searched(5);
    d.Settings.SurfacesPerPoint = 300;
    d.Settings.BlockSegmentLength = 10;
    d.Boxes = {{40, 10, 70, 10, 8}, {90, 12, 120, 18, 8}};
    return d;
}

quolm::TAnalysis Run(const TSlopeDescription& d, int threads, std::uint64_t seed = 20150404) {
    quolm::TRunOptions o;
    o.Threads = threads;
    o.Seed = seed;
    return quolm::Analyze(d, o);
}

// The same analysis: every kept surface, the ten and the critical one, to the last bit.
void Same(const TAnalysis& a, const TAnalysis& b) {
    QCOMPARE(a.Trials.size(), b.Trials.size());
    for (std::size_t i = 0; i < a.Trials.size(); ++i) {
        QCOMPARE(*a.Trials[i].FS, *b.Trials[i].FS);
        QCOMPARE(a.Trials[i].Points.size(), b.Trials[i].Points.size());
    }
    QCOMPARE(a.Ten.size(), b.Ten.size());
    QCOMPARE(*a.Critical->Surface.FS, *b.Critical->Surface.FS);
    QCOMPARE(a.Rejected, b.Rejected);
}
} // namespace

class TestSearch : public QObject {
    Q_OBJECT
  private slots:
    void everySearchFindsASurface();
    void reproducibleOnAnyThreads();
    void moreSurfacesNeverHigher();
    void criticalSurfaceAlone();
    void edgesAndRejections();
    void searchInputErrors();
    void plotOfASearch();
    void randomProblems();
};

void TestSearch::everySearchFindsASurface() {
    // Every search below the specified circle of Fredlund & Krahn (2.080 by Bishop's method).
    for (int kind : {2, 3, 4, 5, 6}) {
        const TAnalysis a = Run(kind == 5 ? Blocks() : Searched(kind), 2);
        QVERIFY2(!a.HasErrors(), qPrintable(QString::number(kind)));
        QVERIFY(a.Critical && a.Critical->Surface.FS);
        QVERIFY(a.Analysed > 0 && a.Analysed <= a.Generated);
        QCOMPARE(a.Generated, kind == 5 ? 300LL : 400LL);
        QVERIFY2(*a.Critical->Surface.FS < 2.08,
                 qPrintable(QString("%1: %2").arg(kind).arg(*a.Critical->Surface.FS)));
        // The refined best is never above the generated best, and the critical surface is it.
        QVERIFY(*a.RefinedBest->FS <= *a.GeneratedBest->FS);
        QVERIFY(std::abs(*a.Critical->Surface.FS - *a.RefinedBest->FS) < 1e-9);
        QCOMPARE(a.Ten.size(), std::size_t(10));
        for (std::size_t i = 1; i < a.Ten.size(); ++i)
            QVERIFY(*a.Ten[i - 1].FS <= *a.Ten[i].FS);
        const bool circular = kind != 4 && kind != 5;
        QCOMPARE(a.Critical->Surface.Circle.has_value(), circular);
        QCOMPARE(a.Method, kind == 3 ? quolm::TMethod::Bishop
                                     : (kind == 6 ? quolm::TMethod::Spencer : quolm::TMethod::Janbu));
        if (kind == 4) {
            // Irregular surfaces are concave upward.
            const auto& p = a.Critical->Surface.Points;
            for (std::size_t i = 2; i < p.size(); ++i) {
                const double turn = (p[i - 1].X - p[i - 2].X) * (p[i].Y - p[i - 1].Y) -
                                    (p[i - 1].Y - p[i - 2].Y) * (p[i].X - p[i - 1].X);
                QVERIFY(turn > -1e-6);
            }
        }
    }
}

void TestSearch::reproducibleOnAnyThreads() {
    Same(Run(Searched(3), 1), Run(Searched(3), 2));
    Same(Run(Searched(4), 1), Run(Searched(4), 3));
    Same(Run(Blocks(), 1), Run(Blocks(), 2));
    // Another seed, other surfaces; the seed is in the results.
    const TAnalysis a = Run(Searched(3), 2, 7);
    QVERIFY(*a.Trials.back().FS != *Run(Searched(3), 2).Trials.back().FS);
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(quolm::ResultsJson(a))).object();
    QCOMPARE(json["seed"].toInt(), 7);
    QVERIFY(json["search"].toObject()["generated_best"].toObject()["fs"].toDouble() >=
            json["search"].toObject()["refined_best"].toObject()["fs"].toDouble());
    QVERIFY(json["critical"].toObject()["circle"].isObject());
}

void TestSearch::moreSurfacesNeverHigher() {
    // With a stream per surface, the first surfaces of every point stay the same when more are made.
    for (int kind : {3, 4}) {
        double previous = 1e9;
        for (int perPoint : {5, 10, 20, 40}) {
            const TAnalysis a = Run(Searched(kind, 10, perPoint), 2);
            QVERIFY(*a.GeneratedBest->FS <= previous);
            previous = *a.GeneratedBest->FS;
        }
    }
}

void TestSearch::criticalSurfaceAlone() {
    // The critical surface analysed alone, as a user surface, gives the search's value.
    for (int kind : {3, 4, 5}) {
        const TAnalysis a = Run(kind == 5 ? Blocks() : Searched(kind), 2);
        TSlopeDescription alone = Searched(1);
        std::vector<TSlopePoint> points;
        for (const quolm::TPoint& p : a.Critical->Surface.Points)
            points.push_back({p.X, p.Y});
        SetSurface(alone, points, kind == 3);
        const TAnalysis b = quolm::Analyze(alone, quolm::TRunOptions());
        QVERIFY(b.Critical && b.Critical->Surface.FS);
        QVERIFY2(Near(*b.Critical->Surface.FS, *a.Critical->Surface.FS, 1e-6),
                 qPrintable(QString("%1: %2 alone, %3 in the search")
                                .arg(kind)
                                .arg(*b.Critical->Surface.FS)
                                .arg(*a.Critical->Surface.FS)));
    }
}

void TestSearch::edgesAndRejections() {
    // A termination range that stops short of the critical exit: the minimum sits at its edge.
    TSlopeDescription d = Searched(3);
    d.Settings.LeftTerminationX = 141;
    d.Settings.RightTerminationX = 146;
    const TAnalysis a = Run(d, 2);
    bool edge = false;
    for (const quolm::TDiagnostic& w : a.Diagnostics.Warnings)
        edge = edge ||
               (w.Code == "W302" &&
                w.Message.find("at the edge of the termination range (141 to 146)") != std::string::npos);
    QVERIFY(edge);

    // A minimum elevation above the deep circles: they are rejected and counted.
    d = Searched(3);
    d.Settings.MinimumElevation = 12;
    const TAnalysis m = Run(d, 2);
    QVERIFY(m.Rejected.at("below the minimum elevation") > 0);
    long long rejected = 0;
    for (const auto& r : m.Rejected)
        rejected += r.second;
    QCOMPARE(m.Analysed + rejected, m.Generated);
    for (const quolm::TPoint& p : m.Critical->Surface.Points)
        QVERIFY(p.Y >= 12 - 1e-6);
    QVERIFY(quolm::ReportText(m, "x").find("below the minimum elevation") != std::string::npos);

    // A limit line: no kept surface passes below it.
    d = Searched(3);
    d.Settings.HasLimits = 1;
    d.Limits = {{40, 14, 120, 14}};
    const TAnalysis l = Run(d, 2);
    QVERIFY(l.Rejected.at("below a limit line") > 0);
    for (const quolm::TSurfaceResult& t : l.Trials)
        for (const quolm::TPoint& p : t.Points)
            QVERIFY(!(p.X >= 40 && p.X <= 120 && p.Y < 14 - 1e-6));
}

void TestSearch::searchInputErrors() {
    const auto codes = [](const TSlopeDescription& d) {
        std::string all;
        for (const quolm::TDiagnostic& e : quolm::Analyze(d, quolm::TRunOptions()).Diagnostics.Errors)
            all += e.Code + " " + e.Message + "\n";
        return all;
    };
    TSlopeDescription d = Searched(2, 0, 10);
    d.Settings.SegmentLength = 0;
    d.Settings.CwLimit = 10;
    d.Settings.LeftTerminationX = 150;
    d.Settings.RightTerminationX = 250;
    const std::string e = codes(d);
    QVERIFY(e.find("E183 The circular search has 0 initiation points and 10 surfaces per point") !=
            std::string::npos);
    QVERIFY(e.find("E185 The termination range (x = 150 to 250) reaches beyond the ground surface (x = 0 to "
                   "200).") != std::string::npos);
    QVERIFY(e.find("E186 The segment length is 0") != std::string::npos);
    QVERIFY(e.find("E188 The first segment's direction limits (clockwise 10, counterclockwise 0)") !=
            std::string::npos);
    TSlopeDescription b = Blocks();
    b.Boxes[1].LeftX = 60;
    QVERIFY(codes(b).find("E187 Box 2 begins at x = 60, left of where box 1 ends (x = 70)") !=
            std::string::npos);
    // Nothing analysable: said so.
    TSlopeDescription none = Searched(3);
    none.Settings.MinimumElevation = 59;
    QVERIFY(codes(none).find("E189 None of the 400 generated surfaces could be analysed") !=
            std::string::npos);
}

void TestSearch::plotOfASearch() {
    const TSlopeDescription d = Blocks();
    const TAnalysis a = Run(d, 2);
    const std::string plot = quolm::PlotText(a);
    std::vector<std::string> messages;
    TBoundaryLines boundary;
    for (const TSlopeBoundary& b : d.Boundaries)
        boundary.push_back({double(b.LeftX), double(b.LeftY), double(b.RightX), double(b.RightY), b.Soil});
    auto store = std::make_unique<TPlotStore>();
    ReadPlotText(plot.data(), plot.size(), boundary, *store,
                 [&messages](TMessageKind, const std::string& m) { messages.push_back(m); });
    QCOMPARE(messages, std::vector<std::string>());
    QCOMPARE(store->TrialSurfaceCount(), static_cast<int>(a.Trials.size()));
    QCOMPARE(store->BlockCount, 2);
    QVERIFY(store->HasTen);
    for (int t = 0; t < 10; ++t)
        QVERIFY(store->TenSurfaces[t].Count > 0);
    QCOMPARE(store->Critical.FS, *a.Ten[0].FS);

    // A circular search: the centre and radius of the critical circle.
    const TAnalysis c = Run(Searched(3), 2);
    const std::string cp = quolm::PlotText(c);
    ReadPlotText(cp.data(), cp.size(), boundary, *store,
                 [&messages](TMessageKind, const std::string& m) { messages.push_back(m); });
    QCOMPARE(messages, std::vector<std::string>());
    QCOMPARE(store->Critical.R, c.Ten[0].Circle->R);
    QCOMPARE(store->Critical.CentreX, c.Ten[0].Circle->X);
}

void TestSearch::randomProblems() {
    // Problems of every kind drawn at random: the engine either reports errors or analyses, never
    // writes a number that is not one, and its plot file always reads without a message.
    std::mt19937 rng(1977);
    const auto u = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    const auto n = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    int analysed = 0;
    for (int round = 0; round < 120; ++round) {
        TSlopeDescription d;
        TSlopeSettings& s = d.Settings;
        s.UnitSystem = n(1, 3);
        const int ground = n(1, 5);
        double x = 0, y = u(0, 20);
        for (int i = 0; i < ground; ++i) {
            const double nx = x + u(1, 40), ny = y + u(-5, 25);
            d.Boundaries.push_back({x, y, nx, ny, n(1, 3)});
            x = nx;
            y = ny;
        }
        s.SurfaceBoundaryCount = ground;
        for (int i = n(0, 2); i > 0; --i) {
            const double yy = u(-20, -1);
            d.Boundaries.push_back({0, yy, x, yy + u(-1, 1), n(1, 3)});
        }
        for (int i = 0; i < 3; ++i) {
            TSlopeSoil so =
                Soil(u(10, 20), u(15, 22), n(0, 3) ? u(0, 30) : 0, n(0, 3) ? u(0, 40) : 0, n(0, 1));
            so.PorePressureCoefficient = n(0, 4) ? 0 : u(0, 0.5);
            if (n(0, 5) == 0)
                so.Anisotropy = {
                    {-20, u(0, 10), u(0, 30)}, {30, u(0, 10), u(0, 30)}, {90, u(0, 10), u(0, 30)}};
            d.Soils.push_back(so);
        }
        s.HasWater = 1;
        s.WaterUnitWeight = 9.81L;
        TSlopeWaterSurface w;
        for (double wx = -5; w.Points.size() < 4; wx += u(1, 40))
            w.Points.push_back({wx, u(-10, 30)});
        d.WaterSurfaces = {w};
        if (n(0, 2) == 0) {
            s.HasSurcharge = 1;
            const double a = u(0, x);
            d.Loads = {{a, a + u(0, 20), u(-10, 100), u(-60, 60)}};
        }
        if (n(0, 2) == 0) {
            s.HasEarthquake = 1;
            s.HorizontalCoefficient = u(-0.3, 0.3);
            s.VerticalCoefficient = u(-0.2, 0.2);
            s.CavitationPressure = u(0, 20);
        }
        if (n(0, 3) == 0) {
            s.HasReinforcement = 1;
            const double yy = u(-5, 20);
            d.Reinforcement = {
                {{{u(0, x / 2), yy, u(0, 50), u(0, 1)}, {u(x / 2, x), yy, u(0, 50), u(0, 1)}}, true}};
        }
        s.SearchKind = n(1, 6);
        if (s.SearchKind == 1) {
            std::vector<TSlopePoint> p;
            for (double sx = u(-5, x / 3); p.size() < 5; sx += u(0.5, 30))
                p.push_back({sx, u(-20, 40)});
            SetSurface(d, p, n(0, 1));
        } else {
            s.InitiationPoints = n(1, 4);
            s.SurfacesPerPoint = n(1, 20);
            s.LeftInitiationX = u(0, x / 3);
            s.RightInitiationX = s.LeftInitiationX + u(0, x / 3);
            s.LeftTerminationX = u(x / 2, x);
            s.RightTerminationX = s.LeftTerminationX + u(0, x - static_cast<double>(s.LeftTerminationX));
            s.SegmentLength = u(0.5, 5);
            s.CwLimit = u(-80, -10);
            s.CcwLimit = u(-10, 30);
            s.InterSliceAngle = u(-20, 30);
            const double bx = u(x / 5, x / 2);
            d.Boxes = {{bx, u(-10, 10), bx + u(0, 10), u(-10, 10), u(0, 6)},
                       {bx + 12, u(-10, 10), bx + 12 + u(0, 10), u(-10, 10), u(0, 6)}};
        }
        const TAnalysis a = Run(d, 2);
        const std::string json = quolm::ResultsJson(a), plot = quolm::PlotText(a);
        QVERIFY(json.find("nan") == std::string::npos && json.find("inf") == std::string::npos);
        QVERIFY(plot.find("nan") == std::string::npos && plot.find("inf") == std::string::npos);
        QVERIFY(QJsonDocument::fromJson(QByteArray::fromStdString(json)).isObject());
        QCOMPARE(a.HasErrors(), !a.Critical.has_value());
        if (a.HasErrors())
            continue;
        ++analysed;
        std::vector<std::string> messages;
        TBoundaryLines boundary;
        auto store = std::make_unique<TPlotStore>();
        ReadPlotText(plot.data(), plot.size(), boundary, *store,
                     [&messages](TMessageKind, const std::string& m) { messages.push_back(m); });
        QCOMPARE(messages, std::vector<std::string>());
    }
    QVERIFY(analysed > 30);
}

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
