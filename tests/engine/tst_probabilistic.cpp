// The probabilistic analysis: distributions, sampling, closed-form reliability problems, the
// independence of the result from threads and from how the samples are split, and the checks.
#include "EngineTestSupport.h"
#include "engine/Analyze.h"
#include "engine/Engine.h"
#include "engine/Search.h"
#include "engine/probabilistic/Distributions.h"
#include "engine/probabilistic/ProbabilisticAnalysis.h"
#include "text/Errors.h"
#include "text/WordRead.h"
#include <QtTest>
#include <cmath>

using namespace quolm;

namespace {
TSlopeDescription Verification(const char* name) {
    TSlopeDescription d;
    TDiagnostics errors;
    const bool ok = ReadInputFile(std::string(BREVANTO_RESOURCE_DIR "/verification/") + name, d, errors);
    if (!ok)
        qFatal("cannot read %s", name);
    return d;
}

TRandomVariable Var(const char* text) {
    TRandomVariable v;
    std::string why;
    if (!ParseVariableSpec(text, v, why))
        qFatal("%s: %s", text, why.c_str());
    return v;
}

void Setup(TSlopeDescription& d, std::vector<TRandomVariable> vars, int samples, std::uint64_t seed = 1,
           TSamplingKind sampling = TSamplingKind::MonteCarlo) {
    d.Probabilistic.Present = true;
    d.Probabilistic.Variables = std::move(vars);
    d.Probabilistic.Samples = samples;
    d.Probabilistic.Seed = seed;
    d.Probabilistic.Sampling = sampling;
}

TProbabilisticResult RunStudy(const TSlopeDescription& d, TSampleTable* table = nullptr, int threads = 0) {
    TRunOptions o;
    o.Threads = threads;
    TProbabilisticStudy s(d, o);
    if (s.HasErrors())
        qFatal("%s", s.Diagnostics().Errors.front().Message.c_str());
    TSampleTable t;
    s.RunAll(t);
    if (table)
        *table = t;
    return s.Summarise(t);
}

double Column(const TSampleTable& t, int v, long long i) {
    return t.Values[static_cast<std::size_t>(i * t.Variables + v)];
}
} // namespace

class TestProbabilistic : public QObject {
    Q_OBJECT

  private slots:
    void distributions() {
        // Standard normal quantiles (Abramowitz & Stegun, table 26.5).
        QVERIFY(std::abs(prob::NormalQuantile(0.975) - 1.959963984540054) < 1e-12);
        QVERIFY(std::abs(prob::NormalQuantile(0.5)) < 1e-15);
        QVERIFY(std::abs(prob::NormalQuantile(1e-10) + 6.361340902404056) < 1e-9);
        QVERIFY(std::abs(prob::NormalQuantile(1 - 1e-6) - 4.753424308822899) < 1e-8);
        // Quantile and distribution function are inverse for every kind.
        for (const char* text : {"kh=normal(0.1,0.02)", "kh=lognormal(2,0.5)", "kh=uniform(-1,3)",
                                 "kh=triangular(1,2,5)", "kh=triangular(1,1,5)"}) {
            const TRandomVariable v = Var(text);
            for (double u : {0.001, 0.1, 0.37, 0.5, 0.9, 0.999})
                QVERIFY2(std::abs(prob::Cdf(v, prob::Quantile(v, u)) - u) < 1e-9, text);
        }
        // Sample moments of 100 000 Latin hypercube draws: the variable's own mean and deviation, the
        // lognormal one included.
        for (const char* text : {"kh=lognormal(20,6)", "kh=triangular(1,2,5)", "kh=uniform(-1,3)"}) {
            const TRandomVariable v = Var(text);
            prob::TSamplePlan plan({v}, {}, TSamplingKind::LatinHypercube, 7, 100000);
            double sum = 0, sum2 = 0;
            for (long long i = 0; i < 100000; ++i) {
                double x;
                plan.Draw(i, &x);
                sum += x;
                sum2 += x * x;
            }
            const double mean = sum / 1e5, sd = std::sqrt(sum2 / 1e5 - mean * mean);
            QVERIFY2(std::abs(mean - prob::DistributionMean(v)) < 1e-3 * prob::DistributionSd(v), text);
            QVERIFY2(std::abs(sd / prob::DistributionSd(v) - 1) < 5e-3, text);
        }
    }

    void truncationRedraws() {
        // normal(0,1) truncated to [-1, 2]: every value inside, none piled at the bounds, and the mean
        // of the truncated normal, (pdf(a) - pdf(b)) / (Phi(b) - Phi(a)) = 0.2296 (Johnson, Kotz &
        // Balakrishnan, Continuous Univariate Distributions 1, ch. 13).
        const TRandomVariable v = Var("kh=normal(0,1)[-1,2]");
        const long long n = 50000;
        prob::TSamplePlan plan({v}, {}, TSamplingKind::MonteCarlo, 3, n);
        double sum = 0;
        long long atBound = 0;
        for (long long i = 0; i < n; ++i) {
            double x;
            plan.Draw(i, &x);
            QVERIFY(x >= -1 && x <= 2);
            atBound += x == -1 || x == 2;
            sum += x;
        }
        const double pdf = [](double z) { return std::exp(-0.5 * z * z) / std::sqrt(2 * Pi); }(-1) -
                           std::exp(-2.0) / std::sqrt(2 * Pi);
        const double expected = pdf / (prob::NormalCdf(2) - prob::NormalCdf(-1));
        QCOMPARE(atBound, 0LL);
        // The truncated deviation is below 0.8; four standard errors.
        QVERIFY(std::abs(sum / n - expected) < 4 * 0.8 / std::sqrt(double(n)));
    }

    void correlation() {
        // c and phi of one soil correlated by -0.5 (normal marginals: the copula keeps R exactly).
        TSlopeDescription d = Verification("infinite-slope-dry.qvxd");
        Setup(d, {Var("soil1.c=normal(10,2)"), Var("soil1.phi=normal(30,3)")}, 20000);
        d.Probabilistic.Correlations = {{1, -0.5}};
        TRunOptions o;
        TProbabilisticStudy s(d, o);
        QVERIFY(!s.HasErrors());
        prob::TSamplePlan plan(d.Probabilistic.Variables, d.Probabilistic.Correlations,
                               TSamplingKind::MonteCarlo, 5, 20000);
        double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
        for (long long i = 0; i < 20000; ++i) {
            double x[2];
            plan.Draw(i, x);
            sx += x[0], sy += x[1], sxx += x[0] * x[0], syy += x[1] * x[1], sxy += x[0] * x[1];
        }
        const double n = 20000, cov = sxy / n - sx * sy / n / n;
        const double r = cov / std::sqrt((sxx / n - sx * sx / n / n) * (syy / n - sy * sy / n / n));
        // The standard error of r is (1 - R^2) / sqrt(n) = 0.0053.
        QVERIFY2(std::abs(r + 0.5) < 0.025, qPrintable(QString::number(r)));
    }

    void infiniteSlopeClosedForm() {
        // Dry cohesionless infinite slope, beta = 20 degrees: F = tan(phi) / tan(beta) < 1 exactly when
        // phi < beta, so with a normal phi, P(F < 1) = Phi((beta - mean) / sd) = Phi(-1) = 0.158655.
        TSlopeDescription d = Verification("infinite-slope-dry.qvxd");
        const long long n = 20000;
        Setup(d, {Var("soil1.phi=normal(22,2)")}, static_cast<int>(n), 11);
        TSampleTable t;
        const TProbabilisticResult r = RunStudy(d, &t);
        const double expected = prob::NormalCdf(-1.0);
        // Sampling error sqrt(p (1 - p) / n) = 0.0026, four of them; plus the end effects of the
        // 1000-long section (the deterministic factor is 0.05 % above the closed form).
        QVERIFY2(std::abs(r.Pf - expected) < 4 * std::sqrt(expected * (1 - expected) / n) + 0.002,
                 qPrintable(QString::number(r.Pf)));
        QCOMPARE(r.Valid, n);
        // Every sample follows the closed form.
        for (long long i = 0; i < 50; ++i)
            QVERIFY(std::abs(t.Factor[i] / (std::tan(Rad(Column(t, 0, i))) / std::tan(Rad(20.0))) - 1) <
                    0.002);
    }

    void cohesiveSlopeClosedForm() {
        // phi = 0: F = c L R / (W d) is proportional to c (Fellenius), 1.66056 at c = 50. With c normal
        // (50, 10), F is normal with mean 1.66056 and sd 0.33211; P(F < 1) = Phi(-1.98903) = 0.02335.
        TSlopeDescription d = Verification("undrained-circle-vertical-cut.qvxd");
        const long long n = 20000;
        Setup(d, {Var("soil1.c=normal(50,10)")}, static_cast<int>(n), 5);
        const TProbabilisticResult r = RunStudy(d);
        const double mean = 1.66056, sd = 0.33211;
        QVERIFY(std::abs(r.Mean - mean) < 4 * sd / std::sqrt(double(n)) + 0.002 * mean);
        // The standard error of a sample deviation is sd / sqrt(2 n).
        QVERIFY(std::abs(r.Sd - sd) < 4 * sd / std::sqrt(2.0 * n) + 0.002 * sd);
        const double pf = prob::NormalCdf((1 - mean) / sd);
        QVERIFY(std::abs(r.Pf - pf) < 4 * std::sqrt(pf * (1 - pf) / n) + 0.001);
        QVERIFY(r.BetaNormal && std::abs(*r.BetaNormal - (mean - 1) / sd) < 0.05);
        // The lognormal index from the same moments: ln(m / sqrt(1 + V^2)) / sqrt(ln(1 + V^2)).
        const double v2 = (r.Sd / r.Mean) * (r.Sd / r.Mean);
        QVERIFY(r.BetaLognormal && std::abs(*r.BetaLognormal - std::log(r.Mean / std::sqrt(1 + v2)) /
                                                                   std::sqrt(std::log1p(v2))) < 1e-12);
        // Histogram and distribution: every sample counted once, the CDF rising from min to max.
        long long counted = 0;
        for (long long c : r.Histogram)
            counted += c;
        QCOMPARE(counted, n);
        QCOMPARE(r.Cdf.front().first, r.Min);
        QCOMPARE(r.Cdf.back().first, r.Max);
        QVERIFY(std::abs(r.Cdf[50].first - mean) < 0.02);
    }

    void impossibleValuesAreDrawnAgain() {
        // A sample never holds what the problem's own checks refuse: c normal (50, 200) is drawn as
        // the normal truncated at c = 0, whose share below 0 is 1 - Phi(0.25) = 0.4012937 and whose
        // mean is m + s pdf(0.25) / Phi(0.25) = 50 + 200 (0.3866681 / 0.5987063) = 179.17 (Phi and
        // pdf from Abramowitz & Stegun, table 26.1; the truncated normal's mean from Johnson, Kotz &
        // Balakrishnan, ch. 13), its deviation 200 sqrt(1 - 0.25 l - l^2), l = 0.645840: 129.84.
        TSlopeDescription d = Verification("undrained-circle-vertical-cut.qvxd");
        const long long n = 4000;
        Setup(d, {Var("soil1.c=normal(50,200)")}, static_cast<int>(n), 9);
        TSampleTable t;
        TProbabilisticResult r = RunStudy(d, &t);
        // phi = 0: F is proportional to c on every sample (F / c = 1.66056 / 50), so no sample was
        // analysed otherwise. Only those whose factor would fall below 0.1, where the soil is in
        // tension, have none.
        double lowest = HUGE_VAL;
        long long without = 0;
        for (long long i = 0; i < n; ++i) {
            const double c = Column(t, 0, i);
            lowest = std::min(lowest, c);
            if (std::isfinite(t.Factor[i])) {
                QVERIFY(std::abs(t.Factor[i] / c / (1.66056 / 50) - 1) < 1e-3);
            } else {
                QVERIFY(c * 1.66056 / 50 < 0.1);
                ++without;
            }
        }
        QCOMPARE(r.Valid, n - without);
        QVERIFY(without < n / 50);
        QVERIFY(lowest >= 0);
        QVERIFY(std::abs(r.VariableOutside[0] - 0.4012937) < 1e-6);
        QVERIFY2(std::abs(r.VariableMean[0] - 179.17) < 4 * 129.84 / std::sqrt(double(n)),
                 qPrintable(QString::number(r.VariableMean[0])));
        QVERIFY(std::abs(r.VariableSd[0] - 129.84) < 4 * 129.84 / std::sqrt(2.0 * n) + 1);

        // A friction angle stays below 90 degrees: uniform (80, 100) is drawn as uniform (80, 90), the
        // half above drawn again.
        d = Verification("infinite-slope-dry.qvxd");
        Setup(d, {Var("soil1.phi=uniform(80,100)")}, 500, 3);
        r = RunStudy(d, &t);
        for (long long i = 0; i < 500; ++i)
            QVERIFY(Column(t, 0, i) >= 80 && Column(t, 0, i) < 90);
        QCOMPARE(r.VariableOutside[0], 0.5);

        // A seismic coefficient stays within (-1, 1): normal (0.9, 0.2) loses 1 - Phi(0.5) = 0.3085375.
        d = Verification("undrained-circle-vertical-cut.qvxd");
        Setup(d, {Var("kh=normal(0.9,0.2)")}, 500, 4);
        r = RunStudy(d, &t);
        for (long long i = 0; i < 500; ++i)
            QVERIFY(std::abs(Column(t, 0, i)) < 1);
        QVERIFY(std::abs(r.VariableOutside[0] - 0.3085375) < 1e-6);
        // A truncation inside the possible values loses nothing; a water shift has no limit.
        Setup(d, {Var("soil1.c=normal(50,10)[30,70]")}, 10);
        QCOMPARE(RunStudy(d).VariableOutside[0], 0.0);
        QCOMPARE(prob::ImpossibleShare(Var("water1.dy=normal(-50,1)")), 0.0);
    }

    void statisticsOfNoFactor() {
        // Samples without a factor give no statistic: never a mean or a probability of failure of 0.
        TSlopeDescription d = Verification("undrained-circle-vertical-cut.qvxd");
        Setup(d, {Var("soil1.c=normal(50,10)")}, 3);
        TProbabilisticStudy s(d, TRunOptions());
        TSampleTable t;
        s.RunAll(t);
        QCOMPARE(t.Count(), 3LL);
        t.Factor.assign(3, NAN);
        TProbabilisticResult r = s.Summarise(t);
        QCOMPARE(r.Valid, 0LL);
        for (double v : {r.Mean, r.Sd, r.Min, r.Max, r.Pf, r.PfError})
            QVERIFY(std::isnan(v));
        QVERIFY(!r.BetaNormal && !r.BetaLognormal && r.Histogram.empty() && r.Cdf.empty());
        const std::string json = s.Json(r, 0);
        QVERIFY2(json.find("\"mean\": null") != std::string::npos &&
                     json.find("\"pf\": null") != std::string::npos,
                 json.c_str());
        // One sample: a mean and a probability, but no deviation.
        t.Factor[1] = 0.8;
        r = s.Summarise(t);
        QCOMPARE(r.Valid, 1LL);
        QCOMPARE(r.Mean, 0.8);
        QCOMPARE(r.Pf, 1.0);
        QVERIFY(std::isnan(r.Sd) && !r.BetaNormal);
    }

    void latinHypercubeNarrowsTheEstimate() {
        // The estimate of the mean factor over 30 seeds of 100 samples each: Latin hypercube spreads
        // far less than Monte Carlo (for a factor linear in c the stratification removes nearly all of
        // the sampling error).
        TSlopeDescription d = Verification("undrained-circle-vertical-cut.qvxd");
        double spread[2];
        for (int k = 0; k < 2; ++k) {
            std::vector<double> means;
            for (std::uint64_t seed = 1; seed <= 30; ++seed) {
                Setup(d, {Var("soil1.c=normal(50,10)")}, 100, seed,
                      k == 0 ? TSamplingKind::MonteCarlo : TSamplingKind::LatinHypercube);
                means.push_back(RunStudy(d).Mean);
            }
            double m = 0, ss = 0;
            for (double x : means)
                m += x / means.size();
            for (double x : means)
                ss += (x - m) * (x - m);
            spread[k] = std::sqrt(ss / (means.size() - 1));
        }
        QVERIFY2(spread[1] < 0.25 * spread[0], qPrintable(QString("%1 %2").arg(spread[0]).arg(spread[1])));
    }

    void sameResultWhateverTheSplit() {
        // Same seed, same result; 1, 2 and 4 threads; the samples run in two parts as two processes
        // would run them. Water shift and seismic coefficient included (the model is rebuilt).
        TSlopeDescription d = Verification("fredlund-krahn-1977-case1.qvxd");
        Setup(d,
              {Var("soil1.c=lognormal(600,100)"), Var("soil1.phi=normal(20,2)[14,26]"),
               Var("kh=uniform(0,0.1)")},
              301, 99, TSamplingKind::LatinHypercube);
        d.Probabilistic.Correlations = {{1, 0.3}};
        TRunOptions o;
        std::string reference;
        for (int threads : {1, 2, 4}) {
            o.Threads = threads;
            TProbabilisticStudy s(d, o);
            QVERIFY(!s.HasErrors());
            TSampleTable t;
            QVERIFY(s.RunAll(t));
            const std::string csv = s.Csv(t) + s.Json(s.Summarise(t), 0);
            if (reference.empty())
                reference = csv;
            QCOMPARE(csv, reference);
            if (threads == 2) {
                TSampleTable a, b;
                s.Run(0, 150, a);
                s.Run(150, 151, b);
                a.Append(b);
                QCOMPARE(s.Csv(a) + s.Json(s.Summarise(a), 0), reference);
            }
        }
        // Another seed, another result.
        d.Probabilistic.Seed = 100;
        TProbabilisticStudy other(d, o);
        TSampleTable t;
        other.RunAll(t);
        QVERIFY(other.Csv(t) + other.Json(other.Summarise(t), 0) != reference);
    }

    void searchMode() {
        // A search per sample: a variable of almost no spread gives every sample the deterministic
        // search's factor; thread count does not change it.
        TSlopeDescription d = Verification("verruijt-homogeneous-search.qvxd");
        Setup(d, {Var("soil1.c=normal(5,1e-9)")}, 6, 3);
        d.Probabilistic.Mode = TProbabilisticMode::Search;
        TRunOptions o;
        TProbabilisticStudy s(d, o);
        QVERIFY(!s.HasErrors());
        TSampleTable one, two;
        o.Threads = 1;
        s.RunAll(one);
        QVERIFY(s.Deterministic().Critical && s.Deterministic().Critical->Surface.FS);
        const double fs = *s.Deterministic().Critical->Surface.FS;
        for (double f : one.Factor)
            QVERIFY(std::abs(f - fs) < 1e-6 * fs);
        // Weaker soil, lower factor, in every sample.
        Setup(d, {Var("soil1.c=uniform(2,3)")}, 4, 3);
        const TProbabilisticResult r = RunStudy(d, &two, 2);
        QVERIFY(r.Max < fs);
        // The slices a thread keeps between its samples do not change a sample's factor: the same
        // bytes when the samples run in two parts (each part's thread starts with nothing kept).
        Setup(d, {Var("soil1.c=uniform(2,8)")}, 4, 3);
        d.Settings.InitiationPoints = 5;
        d.Settings.SurfacesPerPoint = 40;
        TProbabilisticStudy study(d, o);
        TSampleTable t, a, b;
        study.RunAll(t);
        study.Run(0, 1, a);
        study.Run(1, 3, b);
        a.Append(b);
        QCOMPARE(study.Csv(a), study.Csv(t));
    }

    void searchKeepsSlicesBetweenSamples() {
        // Searches of one slope with other strengths, the slices of the generated surfaces kept
        // between them: every critical factor is the one a fresh full analysis reports, bit for bit.
        // On the weak layer the block search's wedges follow the friction angle of the soil above, so
        // the surfaces themselves change with it and must be cut again.
        TSlopeDescription circles = Verification("fredlund-krahn-1977-search.qvxd");
        circles.Settings.InitiationPoints = 5;
        circles.Settings.SurfacesPerPoint = 40;
        TSlopeDescription blocks = circles;
        blocks.Boundaries.push_back({0, 14, 200, 14, 2});
        blocks.Boundaries.push_back({0, 12, 200, 12, 3});
        blocks.Soils.resize(3, blocks.Soils[0]);
        blocks.Soils[1].Cohesion = 100;
        blocks.Soils[2].Cohesion = 5000;
        blocks.Soils[2].FrictionAngle = 40;
        blocks.Settings.SearchKind = 5;
        blocks.Settings.SurfacesPerPoint = 200;
        blocks.Settings.BlockSegmentLength = 5;
        blocks.Boxes = {{50, 13, 80, 13, 1.6L}, {100, 13, 140, 13, 1.6L}};
        for (TSlopeDescription* d : {&circles, &blocks}) {
            TRunOptions o;
            o.Threads = 1;
            TSliceCache cache;
            for (const auto& [c, phi] :
                 std::vector<std::pair<double, double>>{{600, 20}, {300, 20}, {900, 26}, {0, 26}, {600, 8}}) {
                d->Soils[0].Cohesion = c;
                d->Soils[0].FrictionAngle = phi;
                const TAnalysis fresh = Analyze(*d, o);
                const std::optional<double> kept = CriticalFactor(*d, o, &cache);
                QVERIFY(fresh.Critical && fresh.Critical->Surface.FS && kept);
                QVERIFY2(*kept == *fresh.Critical->Surface.FS,
                         qPrintable(QString("%1 %2")
                                        .arg(*kept, 0, 'g', 17)
                                        .arg(*fresh.Critical->Surface.FS, 0, 'g', 17)));
            }
            QVERIFY(cache.Hits > 0);
            if (d == &blocks)
                QVERIFY(cache.Misses > 200); // surfaces cut again
        }
    }

    void cancelStopsTheRun() {
        TSlopeDescription d = Verification("undrained-circle-vertical-cut.qvxd");
        Setup(d, {Var("soil1.c=normal(50,10)")}, 100000);
        TProbabilisticStudy s(d, TRunOptions());
        std::atomic<bool> cancel{true};
        TSampleTable t;
        TProbabilisticControl control;
        control.Cancel = &cancel;
        QVERIFY(!s.RunAll(t, control));
        QVERIFY(std::isnan(t.Factor.back()));
    }

    void checks() {
        const auto errors = [](TSlopeDescription d) {
            TProbabilisticStudy s(d, TRunOptions());
            std::string codes;
            for (const TDiagnostic& e : s.Diagnostics().Errors)
                codes += e.Code + " ";
            return codes;
        };
        TSlopeDescription d = Verification("undrained-circle-vertical-cut.qvxd");
        Setup(d, {}, 10);
        QCOMPARE(errors(d), std::string("E402 "));
        Setup(d, {Var("soil2.c=normal(1,1)"), Var("water1.dy=normal(0,1)")}, 0);
        QCOMPARE(errors(d), std::string("E401 E403 E403 "));
        Setup(d, {Var("soil1.c=normal(1,1)"), Var("soil1.c=normal(2,1)")}, 10);
        QCOMPARE(errors(d), std::string("E403 "));
        Setup(d, {Var("soil1.c=normal(1,1)")}, 10);
        d.Probabilistic.Correlations = {{1, 0.5}};
        QCOMPARE(errors(d), std::string("E405 "));
        Setup(d, {Var("soil1.c=normal(1,1)"), Var("soil1.phi=normal(1,1)")}, 10);
        d.Probabilistic.Correlations = {{1, 1.0}};
        QCOMPARE(errors(d), std::string("E405 "));
        d.Probabilistic.Correlations.clear();
        // Distributions that give no value the quantity can have.
        Setup(d,
              {Var("soil1.phi=uniform(91,95)"), Var("soil1.c=normal(50,10)[-20,-10]"),
               Var("kh=triangular(1,2,3)")},
              10);
        QCOMPARE(errors(d), std::string("E403 E403 E403 "));
        Setup(d, {Var("soil1.c=normal(1,1)"), Var("soil1.phi=normal(1,1)")}, 10);
        d.Soils[0].Anisotropy = {{90, 10, 10}};
        QCOMPARE(errors(d), std::string("E404 E404 "));

        // Parameters that give no distribution are refused when read.
        TRandomVariable v;
        std::string why;
        for (const char* bad :
             {"soil1.c=normal(1,0)", "soil1.c=lognormal(0,1)", "soil1.c=uniform(2,1)",
              "soil1.c=triangular(1,3,2)", "soil1.c=normal(1,1)[2,1]", "soil0.c=normal(1,1)",
              "soil1.k=normal(1,1)", "kh=normal(1)", "kh=normal(1,1)[1]", "kh=beta(1,1)"})
            QVERIFY2(!ParseVariableSpec(bad, v, why), bad);
        QVERIFY(ParseVariableSpec("water2.dy=triangular(-1,0,2)[-0.5,1.5]", v, why));
        QCOMPARE(VariableName(v) + "=" + DistributionText(v),
                 std::string("water2.dy=triangular(-1,0,2)[-0.5,1.5]"));
    }

    void fileSection() {
        // A file without the section keeps its bytes; with it, every value reads back.
        const std::string plain = WriteSlopeFile(Verification("undrained-circle-vertical-cut.qvxd"));
        QVERIFY(plain.find("PROBAB") == std::string::npos);
        TSlopeDescription d = Verification("fredlund-krahn-1977-search.qvxd");
        Setup(d,
              {Var("soil1.c=lognormal(600,100)"), Var("soil1.phi=normal(20,2)[14,26]"),
               Var("kv=uniform(-0.05,0.05)")},
              5000, 18446744073709551615ull, TSamplingKind::LatinHypercube);
        d.Probabilistic.Mode = TProbabilisticMode::Search;
        d.Probabilistic.Correlations = {{1, -0.25}};
        const std::string text = WriteSlopeFile(d);
        QVERIFY(text.find("PROBAB\r\n5000 18446744073709551615 2 2 3 1\r\n") != std::string::npos);
        TWordReader reader = TWordReader::FromText(text);
        TSlopeDescription back;
        ReadSlopeFile(reader, true, back);
        QVERIFY(back.Probabilistic == d.Probabilistic);
        QCOMPARE(WriteSlopeFile(back), text);
        // A damaged section stops reading as any damaged section does.
        std::string bad = text;
        const std::string good = "18446744073709551615 2 2";
        bad.replace(bad.find(good), good.size(), "18446744073709551615 9 2");
        TWordReader badReader = TWordReader::FromText(bad);
        TSlopeDescription partial;
        bool threw = false;
        try {
            ReadSlopeFile(badReader, true, partial);
        } catch (const EInOutError&) {
            threw = true;
        }
        QVERIFY(threw);
        QCOMPARE(partial.Soils.size(), d.Soils.size()); // what came before is kept
    }
};

QTEST_GUILESS_MAIN(TestProbabilistic)
#include "tst_probabilistic.moc"
