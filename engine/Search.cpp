// The searches. Every surface has its own random stream, keyed by the seed, its initiation point and
// its number at that point, so a surface is the same whatever thread makes it and whatever else is
// generated; results are merged by (factor of safety, surface number), so the same input and seed
// give the same results on any number of threads.
#include "engine/Search.h"
#include "engine/Evaluate.h"
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numeric>
#include <thread>

namespace quolm {

namespace {
// ---------------------------------------------------------------- random streams

std::uint64_t SplitMix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// xoshiro256**: small, fast and the same on every platform (the standard distributions are not).
class TRandom {
  public:
    TRandom(std::uint64_t seed, std::uint64_t a, std::uint64_t b) {
        std::uint64_t x = seed ^ (a * 0xD1B54A32D192ED03ULL) ^ (b * 0xABC98388FB8FAC03ULL);
        for (std::uint64_t& v : S)
            v = SplitMix(x);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double a, double b) { return a + (b - a) * Uniform(); }

  private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t Next() {
        const std::uint64_t result = Rotl(S[1] * 5, 7) * 9;
        const std::uint64_t t = S[1] << 17;
        S[2] ^= S[0];
        S[3] ^= S[1];
        S[1] ^= S[2];
        S[0] ^= S[3];
        S[2] ^= t;
        S[3] = Rotl(S[3], 45);
        return result;
    }
    std::uint64_t S[4];
};

// ---------------------------------------------------------------- rejections

enum TReject : std::uint8_t {
    rOk,
    rWrongWay,
    rOverhang,
    rLeaves,
    rBelowMinimum,
    rBelowLimit,
    rNoGround,
    rOutsideTermination,
    rOrder,
    rNoMass,
    rNotConverged,
    RejectCount
};
const char* const RejectText[RejectCount] = {
    "",
    "arc bends away from its end point",
    "surface turns back (overhang)",
    "surface does not stay below the ground",
    "below the minimum elevation",
    "below a limit line",
    "surface does not reach the ground",
    "ends outside the termination range",
    "block corners out of order",
    "no sliding mass",
    "method did not converge",
};

// ---------------------------------------------------------------- the search

constexpr int MaxKept = 3999; // trial surfaces in the plot file

struct TSurfaceRecord {
    double FS = std::numeric_limits<double>::quiet_NaN();
    TReject Reject = rOk;
};

class TSearch {
  public:
    TSearch(const TSlopeModel& model, const TSlopeDescription& d, const TRunOptions& options, TMethod method)
        : Model(model), D(d), S(d.Settings), Options(options), Method(method) {
        Kind = S.SearchKind;
        Tol = 1e-7 * Model.Extent;
        const int points = std::max(1, S.InitiationPoints);
        if (Kind == 5) {
            Points = 1;
            PerPoint = std::max(0, S.SurfacesPerPoint);
        } else {
            Points = points;
            PerPoint = std::max(0, S.SurfacesPerPoint);
            for (int k = 0; k < Points; ++k) {
                const double t = Points == 1 ? 0.5 : static_cast<double>(k) / (Points - 1);
                InitiationX.push_back(L(S.LeftInitiationX) +
                                      t * (L(S.RightInitiationX) - L(S.LeftInitiationX)));
            }
        }
        Theta = static_cast<double>(S.InterSliceAngle);
    }

    long long Count() const { return static_cast<long long>(Points) * PerPoint; }

    // Makes surface `index` from ground to ground; `circle` is set for circular ones.
    TReject Generate(long long index, std::vector<TPoint>& raw, std::optional<TCircle>& circle) const {
        const int k = static_cast<int>(index / std::max(1, PerPoint));
        const int j = static_cast<int>(index % std::max(1, PerPoint));
        TRandom random(Options.Seed, static_cast<std::uint64_t>(k), static_cast<std::uint64_t>(j));
        raw.clear();
        circle.reset();
        switch (Kind) {
        case 2:
        case 3:
        case 6:
            return Circular(k, random, raw, circle);
        case 4:
            return Irregular(k, random, raw);
        case 5:
            return Block(random, raw);
        default:
            return rNoMass;
        }
    }

    // Clips and checks a generated surface; `clipped` receives the part that bounds the mass.
    TReject Admissible(const std::vector<TPoint>& raw, std::vector<TPoint>& clipped) const {
        const TSurfaceCheck c = ClipToGround(Model, raw.data(), static_cast<int>(raw.size()), clipped);
        if (c.Problem == TSurfaceProblem::NotLeftToRight)
            return rOverhang;
        if (c.Problem != TSurfaceProblem::None)
            return c.Problem == TSurfaceProblem::NotBelowGround || c.Problem == TSurfaceProblem::TooShallow
                       ? rNoMass
                       : rLeaves;
        // It must enter where it starts and leave where it ends: running above the ground first
        // would make another surface than the one generated.
        if (std::abs(clipped.front().X - raw.front().X) > 1e-6 * Model.Extent ||
            std::abs(clipped.back().X - raw.back().X) > 1e-6 * Model.Extent)
            return rLeaves;
        return Bounded(clipped);
    }

    // Never below the minimum elevation or a limit line.
    TReject Bounded(const std::vector<TPoint>& p) const {
        if (S.SearchKind != 5 && S.MinimumElevation != 0)
            for (const TPoint& q : p)
                if (q.Y < Model.MinimumElevation - Tol)
                    return rBelowMinimum;
        for (const std::vector<TPoint>& limit : Model.Limits) {
            const TPoint& a = limit[0];
            const TPoint& b = limit[1];
            const auto limitY = [&](double x) {
                return b.X == a.X ? std::max(a.Y, b.Y) : a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X);
            };
            for (const TPoint& q : p)
                if (q.X >= a.X && q.X <= b.X && q.Y < limitY(q.X) - Tol)
                    return rBelowLimit;
            for (const TPoint& e : {a, b})
                if (e.X > p.front().X && e.X < p.back().X && SurfaceY(p, e.X) < e.Y - Tol)
                    return rBelowLimit;
        }
        return rOk;
    }

    // The method's factor of safety of an admissible surface, NaN when it has none.
    double Evaluate(const std::vector<TPoint>& clipped, const std::optional<TCircle>& circle,
                    TWorkspace& ws) const {
        TEvaluation e;
        const TPoint centre = circle ? TPoint{circle->X, circle->Y} : TPoint{};
        if (!EvaluateSurface(Model, clipped, circle ? &centre : nullptr, Method, Options.Slicing, Theta, ws,
                             e))
            return std::numeric_limits<double>::quiet_NaN();
        return e.Result.Converged ? e.Result.F : std::numeric_limits<double>::quiet_NaN();
    }

    // A surface from its parameters (for refinement): the circle through the ground at xa and xb
    // with radius r, its centre above the chord.
    bool CircleThrough(double xa, double xb, double r, std::vector<TPoint>& raw, TCircle& c) const {
        raw.clear();
        if (!(xb > xa))
            return false;
        const TPoint a{xa, Model.GroundY(xa)}, b{xb, Model.GroundY(xb)};
        const double dx = b.X - a.X, dy = b.Y - a.Y, chord = std::hypot(dx, dy);
        if (!(r > chord / 2))
            return false;
        const double h = std::sqrt(r * r - chord * chord / 4);
        c = {0.5 * (a.X + b.X) - h * dy / chord, 0.5 * (a.Y + b.Y) + h * dx / chord, r};
        return ArcPoints(c, a, b, raw);
    }

    // Polyline of the arc from a to b (counterclockwise through the circle's bottom), chords of
    // about SegmentLength; false when the arc would turn back on itself.
    bool ArcPoints(const TCircle& c, const TPoint& a, const TPoint& b, std::vector<TPoint>& raw) const {
        const double a0 = std::atan2(a.Y - c.Y, a.X - c.X), a1 = std::atan2(b.Y - c.Y, b.X - c.X);
        if (!(a0 > -Pi && a1 < 0 && a1 > a0))
            return false;
        const double segment = Segment();
        const int n = std::clamp(static_cast<int>(std::ceil(c.R * (a1 - a0) / segment)), 4, 199);
        raw.push_back(a);
        for (int i = 1; i < n; ++i) {
            const double t = a0 + (a1 - a0) * i / n;
            raw.push_back({c.X + c.R * std::cos(t), c.Y + c.R * std::sin(t)});
        }
        raw.push_back(b);
        return true;
    }

    double Segment() const {
        const double s = L(S.SegmentLength);
        return s > 0 ? s : Model.Extent / 40;
    }

    const TSlopeModel& Model;
    const TSlopeDescription& D;
    const TSlopeSettings& S;
    const TRunOptions& Options;
    TMethod Method;
    int Kind = 0;
    int Points = 1, PerPoint = 0;
    std::vector<double> InitiationX;
    double Theta = 0;
    double Tol = 0;

  private:
    static double L(Extended v) { return static_cast<double>(v); }

    static double SurfaceY(const std::vector<TPoint>& p, double x) {
        for (std::size_t i = 0; i + 1 < p.size(); ++i)
            if (x >= p[i].X && x <= p[i + 1].X)
                return p[i].Y + (p[i + 1].Y - p[i].Y) * (x - p[i].X) / (p[i + 1].X - p[i].X);
        return p.back().Y;
    }

    // A drawn direction between the clockwise and counterclockwise limits (radians).
    double Direction(TRandom& random) const {
        const double lo = L(S.CwLimit), hi = L(S.CcwLimit);
        return Rad(random.Uniform(std::min(lo, hi), std::max(lo, hi)));
    }

    // The arc through the initiation point, tangent there to the drawn direction, through a drawn
    // termination point on the ground.
    TReject Circular(int k, TRandom& random, std::vector<TPoint>& raw, std::optional<TCircle>& circle) const {
        const double theta = Direction(random);
        const double xt = random.Uniform(L(S.LeftTerminationX), L(S.RightTerminationX));
        const TPoint p{InitiationX[static_cast<std::size_t>(k)],
                       Model.GroundY(InitiationX[static_cast<std::size_t>(k)])};
        const TPoint q{xt, Model.GroundY(xt)};
        if (!(q.X > p.X + Tol))
            return rOutsideTermination;
        // Centre on the left normal of the direction: |p + r n - q| = r.
        const double nx = -std::sin(theta), ny = std::cos(theta);
        const double qx = q.X - p.X, qy = q.Y - p.Y;
        const double along = nx * qx + ny * qy;
        if (!(along > 0))
            return rWrongWay;
        const double r = (qx * qx + qy * qy) / (2 * along);
        const TCircle c{p.X + r * nx, p.Y + r * ny, r};
        if (!ArcPoints(c, p, q, raw))
            return rOverhang;
        circle = c;
        return rOk;
    }

    // A concave-upward polyline of random turning: the turning a circle to a drawn termination point
    // would need, spread over the segments in random portions, continued until it reaches the ground.
    TReject Irregular(int k, TRandom& random, std::vector<TPoint>& raw) const {
        const double theta = Direction(random);
        const double xt = random.Uniform(L(S.LeftTerminationX), L(S.RightTerminationX));
        const TPoint p{InitiationX[static_cast<std::size_t>(k)],
                       Model.GroundY(InitiationX[static_cast<std::size_t>(k)])};
        const TPoint q{xt, Model.GroundY(xt)};
        if (!(q.X > p.X + Tol))
            return rOutsideTermination;
        const double nx = -std::sin(theta), ny = std::cos(theta);
        const double qx = q.X - p.X, qy = q.Y - p.Y;
        const double along = nx * qx + ny * qy;
        if (!(along > 0))
            return rWrongWay;
        const double r = (qx * qx + qy * qy) / (2 * along);
        // The circle's turning from p to q: twice the angle between the direction and the chord.
        const double turning = 2 * (std::atan2(qy, qx) - theta);
        const double segment = Segment();
        const int n = std::clamp(static_cast<int>(std::ceil(r * turning / segment)), 2, 150);
        double weights[150];
        double sum = 0;
        for (int i = 0; i < n; ++i)
            sum += weights[i] = -std::log(1 - random.Uniform()); // exponential portions
        raw.push_back(p);
        double direction = theta, x = p.X, y = p.Y;
        for (int i = 0; i < 4 * n + 8; ++i) {
            if (i > 0)
                direction += i < n ? turning * weights[i] / sum : 0;
            if (direction >= Pi / 2 - 1e-9)
                return rOverhang;
            const double nxp = x + segment * std::cos(direction), nyp = y + segment * std::sin(direction);
            const double g = Model.GroundY(nxp);
            if (nyp >= g && i > 0) {
                // The segment reaches the ground: end there.
                double lo = 0, hi = 1;
                for (int it = 0; it < 60; ++it) {
                    const double m = 0.5 * (lo + hi);
                    const double xm = x + m * (nxp - x), ym = y + m * (nyp - y);
                    (ym >= Model.GroundY(xm) ? hi : lo) = m;
                }
                const double xe = x + hi * (nxp - x);
                raw.push_back({xe, Model.GroundY(xe)});
                if (xe < L(S.LeftTerminationX) - Tol || xe > L(S.RightTerminationX) + Tol)
                    return rOutsideTermination;
                return rOk;
            }
            if (nxp > Model.GroundRight())
                return rNoGround;
            raw.push_back({nxp, nyp});
            x = nxp;
            y = nyp;
        }
        return rNoGround;
    }

    // The block search: a central block whose base runs through a random point of every box, closed
    // by a passive wedge at the toe and an active wedge at the crest.
    TReject Block(TRandom& random, std::vector<TPoint>& raw) const {
        std::vector<TPoint> base;
        for (const TSlopeBox& b : D.Boxes) {
            const double t = random.Uniform(), v = random.Uniform(-0.5, 0.5) * L(b.SideLength);
            base.push_back(
                {L(b.LeftX) + t * L(b.RightX - b.LeftX), L(b.LeftY) + t * L(b.RightY - b.LeftY) + v});
        }
        for (std::size_t i = 1; i < base.size(); ++i)
            if (!(base[i].X > base[i - 1].X))
                return rOrder;
        const auto phiAt = [this](const TPoint& p) {
            const int soil = Model.SoilAt(p.X, p.Y);
            return soil < 0 ? 30.0 : Model.Soils[static_cast<std::size_t>(soil)].PhiDeg;
        };
        // Rankine's wedge inclinations (45 -/+ phi/2), each varied by up to 10 degrees.
        const double passive =
            Rad(std::clamp(45 - phiAt(base.front()) / 2 + random.Uniform(-10, 10), 5.0, 80.0));
        const double active =
            Rad(std::clamp(45 + phiAt(base.back()) / 2 + random.Uniform(-10, 10), 10.0, 85.0));
        TPoint entry, exit;
        if (!ToGround(base.front(), -std::cos(passive), std::sin(passive), entry) ||
            !ToGround(base.back(), std::cos(active), std::sin(active), exit))
            return rNoGround;
        raw.push_back(entry);
        raw.insert(raw.end(), base.begin(), base.end());
        raw.push_back(exit);
        // Long straight pieces are cut to the block segment length, for the drawing's sake.
        const double segment = L(S.BlockSegmentLength);
        if (segment > 0 && raw.size() < 200) {
            std::vector<TPoint> fine = {raw.front()};
            for (std::size_t i = 1; i < raw.size(); ++i) {
                const double len = std::hypot(raw[i].X - raw[i - 1].X, raw[i].Y - raw[i - 1].Y);
                const int m = std::clamp(static_cast<int>(std::ceil(len / segment)), 1, 20);
                for (int s = 1; s <= m; ++s)
                    fine.push_back({raw[i - 1].X + (raw[i].X - raw[i - 1].X) * s / m,
                                    raw[i - 1].Y + (raw[i].Y - raw[i - 1].Y) * s / m});
            }
            raw.swap(fine);
        }
        return rOk;
    }

    // Where the ray from p along (dx, dy) (going up) meets the ground.
    bool ToGround(const TPoint& p, double dx, double dy, TPoint& at) const {
        if (p.Y >= Model.GroundY(p.X))
            return false;
        double lo = 0, hi = 0;
        const double step = Model.Extent / 50;
        for (int i = 1; i <= 400; ++i) {
            const double t = step * i;
            const double x = p.X + t * dx;
            if (x < Model.GroundLeft() || x > Model.GroundRight())
                return false;
            if (p.Y + t * dy >= Model.GroundY(x)) {
                hi = t;
                lo = t - step;
                break;
            }
        }
        if (hi == 0)
            return false;
        for (int it = 0; it < 60; ++it) {
            const double m = 0.5 * (lo + hi);
            (p.Y + m * dy >= Model.GroundY(p.X + m * dx) ? hi : lo) = m;
        }
        at = {p.X + hi * dx, Model.GroundY(p.X + hi * dx)};
        return true;
    }
};

// Runs `work` on `threads` threads (the calling one among them) and waits for all.
template <class Work> void RunThreads(int threads, const Work& work) {
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
}

bool Better(double fa, long long ia, double fb, long long ib) {
    return fa < fb || (fa == fb && ia < ib);
}

// Local improvement of a surface by compass search on its parameters: each parameter in turn is
// moved by plus and minus its step, a move that lowers F is kept, and the steps halve when none does,
// until they are a ten-thousandth of the slope or 3000 surfaces have been tried.
template <class Build>
double Refine(std::vector<double>& params, std::vector<double> steps, double fs, Build build,
              double minStep) {
    std::vector<double> trial;
    int budget = 3000;
    for (int rounds = 0; rounds < 400 && budget > 0; ++rounds) {
        bool improved = false;
        for (std::size_t i = 0; i < params.size() && budget > 0; ++i)
            for (double sign : {1.0, -1.0}) {
                trial = params;
                trial[i] += sign * steps[i];
                --budget;
                const double f = build(trial);
                if (std::isfinite(f) && f < fs - 1e-9 * fs) {
                    params = trial;
                    fs = f;
                    improved = true;
                }
            }
        if (!improved) {
            bool small = true;
            for (double& s : steps) {
                s /= 2;
                small = small && s < minStep;
            }
            if (small)
                break;
        }
    }
    return fs;
}
} // namespace

void RunSearch(const TSlopeModel& model, const TSlopeDescription& d, const TRunOptions& options,
               TAnalysis& a) {
    const TSearch search(model, d, options, a.Method);
    const long long count = search.Count();
    a.Generated = count;
    std::vector<TSurfaceRecord> records(static_cast<std::size_t>(count));

    // Every surface, in parallel: each thread takes the next chunk of surface numbers.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int threads = static_cast<int>(std::clamp<long long>(options.Threads > 0 ? options.Threads : cores,
                                                               1, std::max<long long>(1, count / 64)));
    std::atomic<long long> next{0};
    const auto work = [&] {
        TWorkspace ws;
        std::vector<TPoint> raw;
        std::optional<TCircle> circle;
        for (;;) {
            const long long start = next.fetch_add(256);
            if (start >= count)
                break;
            for (long long i = start; i < std::min(count, start + 256); ++i) {
                TSurfaceRecord& r = records[static_cast<std::size_t>(i)];
                r.Reject = search.Generate(i, raw, circle);
                if (r.Reject == rOk)
                    r.Reject = search.Admissible(raw, ws.Clipped);
                if (r.Reject != rOk)
                    continue;
                r.FS = search.Evaluate(ws.Clipped, circle, ws);
                if (!std::isfinite(r.FS))
                    r.Reject = rNotConverged;
            }
        }
    };
    RunThreads(threads, work);

    // The most critical, in a fixed order.
    std::vector<long long> kept;
    for (long long i = 0; i < count; ++i) {
        const TSurfaceRecord& r = records[static_cast<std::size_t>(i)];
        if (r.Reject == rOk)
            kept.push_back(i);
        else
            ++a.Rejected[RejectText[r.Reject]];
    }
    a.Analysed = static_cast<long long>(kept.size());
    const auto order = [&](long long x, long long y) {
        return Better(records[static_cast<std::size_t>(x)].FS, x, records[static_cast<std::size_t>(y)].FS, y);
    };
    const std::size_t top = std::min<std::size_t>(kept.size(), MaxKept);
    std::partial_sort(kept.begin(), kept.begin() + static_cast<long>(top), kept.end(), order);
    kept.resize(top);
    if (kept.empty()) {
        a.Diagnostics.Error("E189",
                            "None of the " + std::to_string(count) +
                                " generated surfaces could be analysed (see the rejections): widen the "
                                "initiation and termination ranges or the direction limits, or check the "
                                "limits and the minimum elevation.");
        return;
    }

    // The kept surfaces again (the same streams give the same surfaces), for the files.
    a.Trials.resize(kept.size());
    std::atomic<std::size_t> nextKept{0};
    const auto regenerate = [&] {
        std::vector<TPoint> raw;
        std::optional<TCircle> circle;
        for (std::size_t k; (k = nextKept.fetch_add(1)) < kept.size();) {
            const long long i = kept[k];
            TSurfaceResult& t = a.Trials[k];
            search.Generate(i, raw, circle);
            search.Admissible(raw, t.Points);
            t.FS = records[static_cast<std::size_t>(i)].FS;
            t.Circle = circle;
        }
    };
    RunThreads(threads, regenerate);
    a.GeneratedBest = a.Trials.front();

    // Refinement of the best few, each from its own start.
    TSurfaceResult best = a.Trials.front();
    const double extent = model.Extent;
    const double minStep = 1e-4 * extent;
    const std::size_t starts = std::min<std::size_t>(a.Trials.size(), 4);
    std::vector<TSurfaceResult> refined(starts);
    const auto refineOne = [&](std::size_t s) {
        TWorkspace ws;
        const TSurfaceResult& from = a.Trials[s];
        TSurfaceResult out = from;
        std::vector<TPoint> rawLocal, clip;
        if (from.Circle) {
            // Circles: where they enter and leave the ground and their radius.
            std::vector<double> p = {from.Points.front().X, from.Points.back().X, from.Circle->R};
            const double xi0 = static_cast<double>(d.Settings.LeftInitiationX),
                         xi1 = static_cast<double>(d.Settings.RightInitiationX);
            const double xt0 = static_cast<double>(d.Settings.LeftTerminationX),
                         xt1 = static_cast<double>(d.Settings.RightTerminationX);
            const auto build = [&](const std::vector<double>& q) {
                if (q[0] < std::min(xi0, xi1) - search.Tol || q[0] > std::max(xi0, xi1) + search.Tol ||
                    q[1] < std::min(xt0, xt1) - search.Tol || q[1] > std::max(xt0, xt1) + search.Tol)
                    return std::numeric_limits<double>::quiet_NaN();
                TCircle c;
                if (!search.CircleThrough(q[0], q[1], q[2], rawLocal, c) ||
                    search.Admissible(rawLocal, clip) != rOk)
                    return std::numeric_limits<double>::quiet_NaN();
                return search.Evaluate(clip, c, ws);
            };
            const double f =
                Refine(p, {0.02 * extent, 0.02 * extent, 0.05 * from.Circle->R}, *from.FS, build, minStep);
            TCircle c;
            if (f < *from.FS && search.CircleThrough(p[0], p[1], p[2], rawLocal, c) &&
                search.Admissible(rawLocal, clip) == rOk)
                out = {f, clip, c};
        } else {
            // Other surfaces: the height of every vertex, the ends along the ground.
            const std::vector<TPoint> start = from.Points;
            std::vector<double> p;
            for (const TPoint& q : start)
                p.push_back(q.Y);
            p.front() = start.front().X;
            p.back() = start.back().X;
            const auto shape = [&](const std::vector<double>& q, std::vector<TPoint>& pts) {
                pts = start;
                pts.front() = {q.front(), model.GroundY(q.front())};
                pts.back() = {q.back(), model.GroundY(q.back())};
                for (std::size_t i = 1; i + 1 < pts.size(); ++i)
                    pts[i].Y = q[i];
                for (std::size_t i = 1; i < pts.size(); ++i)
                    if (!(pts[i].X > pts[i - 1].X))
                        return false;
                // Irregular surfaces stay concave upward.
                if (d.Settings.SearchKind == 4)
                    for (std::size_t i = 2; i < pts.size(); ++i) {
                        const double c = (pts[i - 1].X - pts[i - 2].X) * (pts[i].Y - pts[i - 1].Y) -
                                         (pts[i - 1].Y - pts[i - 2].Y) * (pts[i].X - pts[i - 1].X);
                        if (c < -1e-12 * extent * extent)
                            return false;
                    }
                return true;
            };
            const auto build = [&](const std::vector<double>& q) {
                if (!shape(q, rawLocal) || search.Admissible(rawLocal, clip) != rOk)
                    return std::numeric_limits<double>::quiet_NaN();
                return search.Evaluate(clip, std::nullopt, ws);
            };
            std::vector<double> steps(p.size(), 0.01 * extent);
            const double f = Refine(p, steps, *from.FS, build, minStep);
            if (f < *from.FS && shape(p, rawLocal) && search.Admissible(rawLocal, clip) == rOk)
                out = {f, clip, std::nullopt};
        }
        refined[s] = out;
    };
    std::atomic<std::size_t> nextStart{0};
    RunThreads(std::min<int>(threads, static_cast<int>(starts)), [&] {
        for (std::size_t k; (k = nextStart.fetch_add(1)) < starts;)
            refineOne(k);
    });
    for (const TSurfaceResult& r : refined)
        if (*r.FS < *best.FS)
            best = r;
    a.RefinedBest = best;

    // The ten most critical of all surfaces met, refined ones included.
    std::vector<TSurfaceResult> all = refined;
    all.insert(all.end(), a.Trials.begin(), a.Trials.end());
    std::stable_sort(all.begin(), all.end(),
                     [](const TSurfaceResult& x, const TSurfaceResult& y) { return *x.FS < *y.FS; });
    for (const TSurfaceResult& r : all) {
        if (a.Ten.size() == 10)
            break;
        // Refinements from different starts often meet at (nearly) the same surface: one of them is enough.
        const bool duplicate = std::any_of(a.Ten.begin(), a.Ten.end(), [&](const TSurfaceResult& t) {
            return std::abs(t.Points.front().X - r.Points.front().X) < 0.005 * extent &&
                   std::abs(t.Points.back().X - r.Points.back().X) < 0.005 * extent &&
                   std::abs(*t.FS - *r.FS) < 1e-3 * *r.FS;
        });
        if (!duplicate)
            a.Ten.push_back(r);
    }
    if (a.Trials.size() < MaxKept && *best.FS < *a.GeneratedBest->FS)
        a.Trials.push_back(best);

    a.Critical = AnalyseSurface(model, best.Points, best.Circle ? &*best.Circle : nullptr, a.Method,
                                static_cast<double>(d.Settings.InterSliceAngle), options.Slicing);
    // The critical surface's ranking value is the search's own.
    if (a.Critical->Surface.FS && std::abs(*a.Critical->Surface.FS - *best.FS) > 1e-6 * *best.FS)
        a.Critical->Warnings.push_back({"W305", "The critical surface's factor of safety recomputed alone (" +
                                                    Num(*a.Critical->Surface.FS) +
                                                    ") differs from the search's (" + Num(*best.FS) + ")."});

    // A minimum at the edge of the ranges the user gave may not be the true one.
    const TSlopeSettings& s = d.Settings;
    const auto atEdge = [&](double x, Extended lo, Extended hi) {
        const double a0 = static_cast<double>(std::min(lo, hi)), a1 = static_cast<double>(std::max(lo, hi));
        const double margin = std::max(0.01 * (a1 - a0), 1e-6 * extent);
        return a1 > a0 && (x <= a0 + margin || x >= a1 - margin);
    };
    const std::vector<TPoint>& cp = best.Points;
    if (s.SearchKind != 5) {
        if (atEdge(cp.front().X, s.LeftInitiationX, s.RightInitiationX))
            a.Diagnostics.Warning("W301", "The critical surface starts at x = " + Num(cp.front().X) +
                                              ", at the edge of the initiation range (" +
                                              Num(static_cast<double>(s.LeftInitiationX)) + " to " +
                                              Num(static_cast<double>(s.RightInitiationX)) +
                                              "): the minimum may lie beyond it; widen the range.");
        if (atEdge(cp.back().X, s.LeftTerminationX, s.RightTerminationX))
            a.Diagnostics.Warning("W302", "The critical surface ends at x = " + Num(cp.back().X) +
                                              ", at the edge of the termination range (" +
                                              Num(static_cast<double>(s.LeftTerminationX)) + " to " +
                                              Num(static_cast<double>(s.RightTerminationX)) +
                                              "): the minimum may lie beyond it; widen the range.");
        double lowest = cp.front().Y;
        for (const TPoint& q : cp)
            lowest = std::min(lowest, q.Y);
        if (s.MinimumElevation != 0 && lowest <= model.MinimumElevation + 1e-3 * extent)
            a.Diagnostics.Warning(
                "W303", "The critical surface reaches down to the minimum elevation (" +
                            Num(model.MinimumElevation) +
                            "): a deeper surface may be more critical; lower it if the ground allows.");
    }
    for (std::size_t i = 0; i < model.Limits.size(); ++i) {
        const TPoint& la = model.Limits[i][0];
        const TPoint& lb = model.Limits[i][1];
        for (const TPoint& q : cp)
            if (q.X >= la.X && q.X <= lb.X && lb.X > la.X &&
                q.Y <= la.Y + (lb.Y - la.Y) * (q.X - la.X) / (lb.X - la.X) + 1e-3 * extent) {
                a.Diagnostics.Warning("W304", "The critical surface runs along limit line " +
                                                  std::to_string(i + 1) + ": the minimum may lie below it.");
                break;
            }
    }
}

} // namespace quolm
