#include "engine/Validate.h"
#include "engine/Model.h"
#include "engine/Surface.h"
#include "engine/search/SearchGeometry.h"
#include <algorithm>
#include <cmath>

namespace quolm {

std::string Num(double value) {
    if (value == 0)
        return "0";
    return FormatGeneral(static_cast<Extended>(value), 6);
}

namespace {
double D(Extended v) {
    return static_cast<double>(v);
}
std::string N(Extended v) {
    return Num(D(v));
}
std::string I(std::size_t i) {
    return std::to_string(i);
}
std::string Pt(double x, double y) {
    return "(" + Num(x) + ", " + Num(y) + ")";
}

// y of segment a-b at x.
double LineY(double ax, double ay, double bx, double by, double x) {
    return bx == ax ? std::max(ay, by) : ay + (by - ay) * (x - ax) / (bx - ax);
}

// Whether two segments cross at a point inside both (not at an end of either).
bool Cross(const TSlopeBoundary& p, const TSlopeBoundary& q, double& x, double& y) {
    const double ax = D(p.LeftX), ay = D(p.LeftY), bx = D(p.RightX), by = D(p.RightY);
    const double cx = D(q.LeftX), cy = D(q.LeftY), dx = D(q.RightX), dy = D(q.RightY);
    const double rx = bx - ax, ry = by - ay, sx = dx - cx, sy = dy - cy;
    const double den = rx * sy - ry * sx;
    if (den == 0)
        return false;
    const double t = ((cx - ax) * sy - (cy - ay) * sx) / den;
    const double u = ((cx - ax) * ry - (cy - ay) * rx) / den;
    const double e = 1e-9;
    if (!(t > e && t < 1 - e && u > e && u < 1 - e)) // a non-number is no crossing
        return false;
    x = ax + t * rx;
    y = ay + t * ry;
    return true;
}

void Profile(const TSlopeDescription& d, TDiagnostics& out) {
    const TSlopeSettings& s = d.Settings;
    const std::size_t lines = d.Boundaries.size();
    if (!d.ProfileRead && lines == 0) {
        out.Error("E101",
                  "The input has no boundary lines: enter the slope's profile (PROFIL), ground-surface "
                  "lines first, each from left to right.");
        return;
    }
    if (lines == 0) {
        out.Error("E101",
                  "The profile has no boundary lines: enter at least the lines of the ground surface.");
        return;
    }
    if (s.UnitSystem < 1 || s.UnitSystem > 3)
        out.Error("E109", "The unit system code is " + std::to_string(s.UnitSystem) +
                              ": it must be 1 (English), 2 (SI) or 3 (other).");
    if (s.SurfaceBoundaryCount < 1 || static_cast<std::size_t>(s.SurfaceBoundaryCount) > lines) {
        out.Error("E102", "The number of ground-surface lines is " + std::to_string(s.SurfaceBoundaryCount) +
                              ", but there are " + I(lines) +
                              " boundary lines: it must be between 1 and the number of boundary lines.");
        return;
    }
    const std::size_t ground = static_cast<std::size_t>(s.SurfaceBoundaryCount);
    bool shape = true;
    for (std::size_t i = 0; i < lines; ++i) {
        const TSlopeBoundary& b = d.Boundaries[i];
        if (b.RightX < b.LeftX) {
            out.Error("E103", "Boundary line " + I(i + 1) + " runs from x = " + N(b.LeftX) + " back to x = " +
                                  N(b.RightX) + ": enter every boundary line from left to right.");
            shape = false;
        } else if (b.RightX == b.LeftX && b.RightY == b.LeftY) {
            out.Error("E107", "Boundary line " + I(i + 1) + " starts and ends at " +
                                  Pt(D(b.LeftX), D(b.LeftY)) +
                                  ": a boundary line needs two different end points.");
            shape = false;
        }
        if (b.Soil < 1 || static_cast<std::size_t>(b.Soil) > d.Soils.size())
            out.Error("E105", "Soil " + std::to_string(b.Soil) + " named by boundary line " + I(i + 1) +
                                  " is not defined: there " + (d.Soils.size() == 1 ? "is " : "are ") +
                                  I(d.Soils.size()) + " soil type" + (d.Soils.size() == 1 ? "" : "s") + ".");
    }
    for (std::size_t i = 1; i < ground; ++i) {
        const TSlopeBoundary& a = d.Boundaries[i - 1];
        const TSlopeBoundary& b = d.Boundaries[i];
        if (a.RightX != b.LeftX || a.RightY != b.LeftY) {
            const bool xDiffers = a.RightX != b.LeftX;
            out.Error("E104", "Boundary line " + I(i + 1) + " starts at " +
                                  (xDiffers ? "x = " + N(b.LeftX) : "y = " + N(b.LeftY)) + " where line " +
                                  I(i) + " ends at " +
                                  (xDiffers ? "x = " + N(a.RightX) : "y = " + N(a.RightY)) +
                                  ": ground-surface lines must join.");
            shape = false;
        }
    }
    if (!shape)
        return;
    const TSlopeBoundary& first = d.Boundaries.front();
    const TSlopeBoundary& last = d.Boundaries[ground - 1];
    if (!(last.RightX > first.LeftX)) {
        out.Error("E108", "The ground surface has no width: its lines must span a range of x.");
        return;
    }
    // Subsurface lines lie within the ground's range and on or below it.
    const auto groundY = [&](double x) {
        for (std::size_t i = 0; i < ground; ++i) {
            const TSlopeBoundary& b = d.Boundaries[i];
            if (x >= D(b.LeftX) && x <= D(b.RightX))
                return LineY(D(b.LeftX), D(b.LeftY), D(b.RightX), D(b.RightY), x);
        }
        return -1e300;
    };
    const double extent = std::max(1.0, D(last.RightX) - D(first.LeftX));
    const double tol = 1e-7 * extent;
    for (std::size_t i = ground; i < lines; ++i) {
        const TSlopeBoundary& b = d.Boundaries[i];
        if (b.LeftX < first.LeftX - tol || b.RightX > last.RightX + tol) {
            out.Error("E106", "Boundary line " + I(i + 1) +
                                  " reaches x = " + N(b.LeftX < first.LeftX ? b.LeftX : b.RightX) +
                                  ", beyond the ground surface (x = " + N(first.LeftX) + " to " +
                                  N(last.RightX) + "): subsurface lines must lie under the ground.");
            continue;
        }
        for (double x : {D(b.LeftX), D(b.RightX), 0.5 * D(b.LeftX + b.RightX)}) {
            const double y = LineY(D(b.LeftX), D(b.LeftY), D(b.RightX), D(b.RightY), x);
            if (y > groundY(x) + tol) {
                out.Error("E106", "Boundary line " + I(i + 1) + " rises above the ground surface at x = " +
                                      Num(x) + " (y = " + Num(y) + " over " + Num(groundY(x)) +
                                      "): subsurface lines must lie on or below the ground.");
                break;
            }
        }
    }
    for (std::size_t i = 0; i < lines; ++i)
        for (std::size_t j = i + 1; j < lines; ++j) {
            double x = 0, y = 0;
            if (Cross(d.Boundaries[i], d.Boundaries[j], x, y)) {
                out.Error("E110", "Boundary lines " + I(i + 1) + " and " + I(j + 1) + " cross at " +
                                      Pt(x, y) +
                                      ": split them at the crossing so that lines only meet at their ends.");
                return;
            }
        }
}

void Soils(const TSlopeDescription& d, TDiagnostics& out) {
    const TSlopeSettings& s = d.Settings;
    if (d.Soils.empty()) {
        out.Error("E111", "No soil types are defined: enter the properties of every soil the profile names.");
        return;
    }
    for (std::size_t i = 0; i < d.Soils.size(); ++i) {
        const TSlopeSoil& soil = d.Soils[i];
        const std::string name = "Soil " + I(i + 1);
        if (!(soil.MoistUnitWeight > 0))
            out.Error("E112", name + " has a moist unit weight of " + N(soil.MoistUnitWeight) +
                                  ": enter its unit weight above the water surface (greater than 0).");
        if (soil.Cohesion < 0)
            out.Error("E114", name + " has a negative cohesion (" + N(soil.Cohesion) + "): enter 0 or more.");
        if (soil.FrictionAngle < 0 || soil.FrictionAngle >= 90)
            out.Error("E115", name + " has a friction angle of " + N(soil.FrictionAngle) +
                                  " degrees: it must be at least 0 and less than 90.");
        if (soil.PorePressureCoefficient < 0 || soil.PorePressureCoefficient >= 1)
            out.Error("E117", name + " has a pore-pressure coefficient ru of " +
                                  N(soil.PorePressureCoefficient) +
                                  ": it must be at least 0 and less than 1.");
        if (soil.PiezometricSurface < 0 ||
            (soil.PiezometricSurface > 0 &&
             (!s.HasWater || static_cast<std::size_t>(soil.PiezometricSurface) > d.WaterSurfaces.size())))
            out.Error("E116",
                      name + " names piezometric surface " + std::to_string(soil.PiezometricSurface) +
                          ", which is not defined: " +
                          (s.HasWater ? "there are " + I(d.WaterSurfaces.size()) + " piezometric surfaces."
                                      : "the input has no piezometric surfaces (WATER)."));
        else if (soil.PiezometricSurface > 0 && !(soil.SaturatedUnitWeight > 0))
            out.Error("E113", name + " lies under piezometric surface " +
                                  std::to_string(soil.PiezometricSurface) +
                                  " but has a saturated unit weight of " + N(soil.SaturatedUnitWeight) +
                                  ": enter its unit weight below the water surface.");
        else if (soil.PiezometricSurface > 0 && soil.SaturatedUnitWeight < soil.MoistUnitWeight)
            out.Warning("W113", name + " is lighter saturated (" + N(soil.SaturatedUnitWeight) +
                                    ") than moist (" + N(soil.MoistUnitWeight) +
                                    "): check its unit weights.");
        if (!HasAnisotropyData(soil))
            continue;
        double previous = -90;
        for (std::size_t r = 0; r < soil.Anisotropy.size(); ++r) {
            const TSlopeAnisotropy& a = soil.Anisotropy[r];
            const std::string row = name + ", anisotropy row " + I(r + 1);
            if (a.DirectionLimit < -90 || a.DirectionLimit > 90)
                out.Error("E118", row + ": the direction limit " + N(a.DirectionLimit) +
                                      " must lie between -90 and 90 degrees.");
            else if (r > 0 && D(a.DirectionLimit) <= previous)
                out.Error("E118", row + ": the direction limit " + N(a.DirectionLimit) +
                                      " must be greater than the row before (" + Num(previous) +
                                      "); enter the rows in ascending direction limit.");
            previous = D(a.DirectionLimit);
            if (a.Cohesion < 0 || a.FrictionAngle < 0 || a.FrictionAngle >= 90)
                out.Error("E119", row + ": the strength (c = " + N(a.Cohesion) +
                                      ", phi = " + N(a.FrictionAngle) +
                                      ") must have c at least 0 and phi from 0 to less than 90 degrees.");
        }
        if (!soil.Anisotropy.empty() && soil.Anisotropy.back().DirectionLimit < 90)
            out.Warning("W118", name + ": the last anisotropy row ends at " +
                                    N(soil.Anisotropy.back().DirectionLimit) +
                                    " degrees; steeper bases take that row's strength.");
    }
}

void Water(const TSlopeDescription& d, TDiagnostics& out) {
    const TSlopeSettings& s = d.Settings;
    if (!s.HasWater)
        return;
    bool used = false;
    for (const TSlopeSoil& soil : d.Soils)
        used = used || soil.PiezometricSurface > 0;
    if (used && !(s.WaterUnitWeight > 0))
        out.Error("E120", "The unit weight of water is " + N(s.WaterUnitWeight) +
                              ": enter it (62.4 lbs/ft3, 9.81 kN/m3) with the piezometric surfaces.");
    const double left = d.Boundaries.empty() ? 0 : D(d.Boundaries.front().LeftX);
    const double right =
        d.Settings.SurfaceBoundaryCount >= 1 &&
                static_cast<std::size_t>(d.Settings.SurfaceBoundaryCount) <= d.Boundaries.size()
            ? D(d.Boundaries[static_cast<std::size_t>(d.Settings.SurfaceBoundaryCount) - 1].RightX)
            : left;
    for (std::size_t w = 0; w < d.WaterSurfaces.size(); ++w) {
        const auto& p = d.WaterSurfaces[w].Points;
        const std::string name = "Piezometric surface " + I(w + 1);
        if (p.size() < 2) {
            out.Error("E121", name + " has " + I(p.size()) + " point" + (p.size() == 1 ? "" : "s") +
                                  ": a surface needs at least two.");
            continue;
        }
        bool ordered = true;
        for (std::size_t k = 1; k < p.size(); ++k)
            if (!(p[k].X > p[k - 1].X)) {
                out.Error("E122", name + ": point " + I(k + 1) + " (x = " + N(p[k].X) +
                                      ") is not to the right of point " + I(k) + " (x = " + N(p[k - 1].X) +
                                      "); enter the points from left to right.");
                ordered = false;
                break;
            }
        if (ordered && (D(p.front().X) > left || D(p.back().X) < right))
            out.Warning("W123", name + " covers x = " + N(p.front().X) + " to " + N(p.back().X) +
                                    ", not the whole profile (" + Num(left) + " to " + Num(right) +
                                    "); it is taken as level beyond its ends.");
    }
}

void Loads(const TSlopeDescription& d, TDiagnostics& out) {
    const TSlopeSettings& s = d.Settings;
    if (s.HasSurcharge)
        for (std::size_t i = 0; i < d.Loads.size(); ++i) {
            const TSlopeLoad& l = d.Loads[i];
            if (l.RightX < l.LeftX)
                out.Error("E130", "Surcharge load " + I(i + 1) + " runs from x = " + N(l.LeftX) +
                                      " back to x = " + N(l.RightX) +
                                      ": its right x must not be less than its left x.");
            if (l.Inclination <= -90 || l.Inclination >= 90)
                out.Error("E131",
                          "Surcharge load " + I(i + 1) + " is inclined by " + N(l.Inclination) +
                              " degrees: a load on the ground must lie within 90 degrees of vertical.");
        }
    if (s.HasEarthquake) {
        if (std::abs(D(s.HorizontalCoefficient)) >= 1 || std::abs(D(s.VerticalCoefficient)) >= 1)
            out.Error("E140", "The earthquake coefficients (kh = " + N(s.HorizontalCoefficient) +
                                  ", kv = " + N(s.VerticalCoefficient) + ") must lie between -1 and 1.");
        if (s.CavitationPressure < 0)
            out.Error("E141", "The cavitation pressure is " + N(s.CavitationPressure) +
                                  ": enter the magnitude of the lowest pore pressure (0 or more).");
    }
    if (s.HasLimits)
        for (std::size_t i = 0; i < d.Limits.size(); ++i)
            if (d.Limits[i].RightX < d.Limits[i].LeftX)
                out.Error("E190", "Limit line " + I(i + 1) + " runs from x = " + N(d.Limits[i].LeftX) +
                                      " back to x = " + N(d.Limits[i].RightX) +
                                      ": enter it from left to right.");
}

void Ties(const TSlopeDescription& d, TDiagnostics& out) {
    const TSlopeSettings& s = d.Settings;
    if (!s.HasTiebacks)
        return;
    for (std::size_t i = 0; i < d.Tiebacks.size(); ++i) {
        const TSlopeTieback& t = d.Tiebacks[i];
        const std::string name = "Tieback " + I(i + 1);
        if (t.BoundarySurface < 1 || t.BoundarySurface > s.SurfaceBoundaryCount) {
            out.Error("E150", name + " names boundary line " + std::to_string(t.BoundarySurface) +
                                  ", which is not a ground-surface line (1 to " +
                                  std::to_string(std::max(0, s.SurfaceBoundaryCount)) + ").");
            continue;
        }
        if (!(t.Spacing > 0))
            out.Error("E151", name + " has a spacing of " + N(t.Spacing) +
                                  ": enter the horizontal spacing (greater than 0).");
        if (!(t.FreeLength > 0))
            out.Error("E152", name + " has a free length of " + N(t.FreeLength) +
                                  ": enter its unbonded length (greater than 0).");
        if (t.Inclination <= -90 || t.Inclination >= 90)
            out.Error("E154", name + " is inclined by " + N(t.Inclination) +
                                  " degrees: it must lie within 90 degrees of horizontal.");
        if (t.Load < 0)
            out.Error("E155", name + " has a negative load (" + N(t.Load) + ").");
        if (static_cast<std::size_t>(t.BoundarySurface) <= d.Boundaries.size()) {
            const TSlopeBoundary& b = d.Boundaries[static_cast<std::size_t>(t.BoundarySurface) - 1];
            const double x = D(t.X), y = D(t.Y);
            const double lineY = LineY(D(b.LeftX), D(b.LeftY), D(b.RightX), D(b.RightY), x);
            const double tol =
                1e-3 * std::max(1.0, std::abs(D(b.RightX - b.LeftX)) + std::abs(D(b.RightY - b.LeftY)));
            if (x < D(b.LeftX) - tol || x > D(b.RightX) + tol || std::abs(y - lineY) > tol)
                out.Warning("W153", name + ": its head " + Pt(x, y) + " is not on boundary line " +
                                        std::to_string(t.BoundarySurface) +
                                        "; it is taken where it is given.");
        }
    }
}

void Reinforcement(const TSlopeDescription& d, TDiagnostics& out) {
    if (!d.Settings.HasReinforcement)
        return;
    for (std::size_t i = 0; i < d.Reinforcement.size(); ++i) {
        const auto& layers = d.Reinforcement[i].Layers;
        const std::string name = "Reinforcement line " + I(i + 1);
        if (layers.size() < 2)
            out.Error("E160", name + " has " + I(layers.size()) + " point" + (layers.size() == 1 ? "" : "s") +
                                  ": a reinforcement line needs at least two.");
        for (std::size_t k = 0; k < layers.size(); ++k) {
            if (layers[k].InclinationFactor < 0 || layers[k].InclinationFactor > 1)
                out.Error("E161", name + ", row " + I(k + 1) + ": the inclination factor " +
                                      N(layers[k].InclinationFactor) + " must lie between 0 and 1.");
            if (layers[k].Force < 0)
                out.Error("E162",
                          name + ", row " + I(k + 1) + " has a negative force (" + N(layers[k].Force) + ").");
        }
    }
}

void UserSurface(const TSlopeDescription& d, TDiagnostics& out) {
    const auto& p = d.Surface;
    if (p.size() < 2) {
        out.Error("E170", "The failure surface has " + I(p.size()) + " point" + (p.size() == 1 ? "" : "s") +
                              ": enter at least two, from where it starts on the ground to where it ends.");
        return;
    }
    for (std::size_t i = 1; i < p.size(); ++i)
        if (!(p[i].X > p[i - 1].X)) {
            out.Error("E171", "Point " + I(i + 1) + " of the failure surface (x = " + N(p[i].X) +
                                  ") is not to the right of point " + I(i) + " (x = " + N(p[i - 1].X) +
                                  "): enter the surface from left to right.");
            return;
        }
    const TSlopeModel model(d);
    std::vector<TPoint> points, clipped;
    for (const TSlopePoint& q : p)
        points.push_back({D(q.X), D(q.Y)});
    const TSurfaceCheck c = ClipToGround(model, points.data(), static_cast<int>(points.size()), clipped);
    switch (c.Problem) {
    case TSurfaceProblem::None:
        break;
    case TSurfaceProblem::StartsBelowGround:
        out.Error("E172", "The failure surface begins below the ground at x = " + Num(c.X) +
                              ": its first point must lie on or above the ground surface.");
        return;
    case TSurfaceProblem::EndsBelowGround:
        out.Error("E173", "The failure surface ends below the ground at x = " + Num(c.X) +
                              ": its last point must lie on or above the ground surface.");
        return;
    case TSurfaceProblem::NotBelowGround:
        out.Error("E174",
                  "The failure surface never passes below the ground surface: there is no sliding mass.");
        return;
    case TSurfaceProblem::LeavesAndReenters:
        out.Error("E175", "The failure surface comes out of the ground at x = " + Num(c.X) +
                              " and goes back in at x = " + Num(c.X2) +
                              ": it must stay below the ground between where it enters and where it leaves.");
        return;
    case TSurfaceProblem::OutsideSlope:
        if (c.X2 > model.GroundRight())
            out.Error("E176", "The surface leaves the ground at x = " + Num(c.X2) +
                                  ", outside the slope (its ground surface ends at x = " +
                                  Num(model.GroundRight()) + ").");
        else
            out.Error("E176", "The surface enters the ground at x = " + Num(c.X) +
                                  ", outside the slope (its ground surface begins at x = " +
                                  Num(model.GroundLeft()) + ").");
        return;
    default:
        out.Error("E174", "The failure surface cuts off no sliding mass.");
        return;
    }
    // Limits bound the searches; a surface of the user's own below one is worth a word.
    if (d.Settings.HasLimits)
        for (std::size_t i = 0; i < d.Limits.size(); ++i) {
            const TSlopeLimit& l = d.Limits[i];
            for (const TPoint& q : clipped)
                if (q.X >= D(l.LeftX) && q.X <= D(l.RightX) &&
                    q.Y <
                        LineY(D(l.LeftX), D(l.LeftY), D(l.RightX), D(l.RightY), q.X) - 1e-9 * model.Extent) {
                    out.Warning("W191", "The failure surface passes below limit line " + I(i + 1) +
                                            " at x = " + Num(q.X) + "; it is analysed all the same.");
                    break;
                }
        }
}
// Every number of the input within a range the analysis can compute with: finite as a double and at
// most MaxMagnitude in size (coordinates near the top of the double range overflow the geometry).
void Magnitudes(const TSlopeDescription& d, TDiagnostics& out) {
    constexpr Extended MaxMagnitude = 1e12L;
    int reported = 0;
    const auto check = [&](Extended v, const std::string& what) {
        if (std::abs(v) <= MaxMagnitude || reported >= 10) // a non-number fails the comparison too
            return;
        ++reported;
        out.Error("E100",
                  what + " is " + N(v) +
                      ": a value beyond 1E12 in size cannot be analysed; enter it in the unit system's "
                      "units.");
    };
    const TSlopeSettings& s = d.Settings;
    check(s.VerticalCoefficient, "The vertical earthquake coefficient");
    check(s.HorizontalCoefficient, "The horizontal earthquake coefficient");
    check(s.CavitationPressure, "The cavitation pressure");
    check(s.WaterUnitWeight, "The unit weight of water");
    check(s.LeftInitiationX, "The search's left initiation x");
    check(s.RightInitiationX, "The search's right initiation x");
    check(s.LeftTerminationX, "The search's left termination x");
    check(s.RightTerminationX, "The search's right termination x");
    check(s.MinimumElevation, "The search's minimum elevation");
    check(s.SegmentLength, "The search's segment length");
    check(s.CcwLimit, "The search's counterclockwise limit");
    check(s.CwLimit, "The search's clockwise limit");
    check(s.InterSliceAngle, "The interslice force inclination");
    check(s.BlockSegmentLength, "The block search's segment length");
    const auto row = [](const char* what, std::size_t i) { return std::string(what) + " " + I(i + 1); };
    for (std::size_t i = 0; i < d.Boundaries.size(); ++i)
        for (Extended v :
             {d.Boundaries[i].LeftX, d.Boundaries[i].LeftY, d.Boundaries[i].RightX, d.Boundaries[i].RightY})
            check(v, "A coordinate of boundary line " + I(i + 1));
    for (std::size_t i = 0; i < d.Soils.size(); ++i) {
        const TSlopeSoil& so = d.Soils[i];
        for (Extended v : {so.MoistUnitWeight, so.SaturatedUnitWeight, so.Cohesion, so.FrictionAngle,
                           so.PorePressureCoefficient, so.PorePressureConstant})
            check(v, "A property of soil " + I(i + 1));
        for (const TSlopeAnisotropy& a : so.Anisotropy)
            for (Extended v : {a.DirectionLimit, a.Cohesion, a.FrictionAngle})
                check(v, "An anisotropy value of soil " + I(i + 1));
    }
    for (std::size_t i = 0; i < d.WaterSurfaces.size(); ++i)
        for (const TSlopePoint& p : d.WaterSurfaces[i].Points)
            for (Extended v : {p.X, p.Y})
                check(v, "A coordinate of " + row("piezometric surface", i));
    for (std::size_t i = 0; i < d.Loads.size(); ++i)
        for (Extended v : {d.Loads[i].LeftX, d.Loads[i].RightX, d.Loads[i].Intensity, d.Loads[i].Inclination})
            check(v, "A value of " + row("surcharge load", i));
    for (std::size_t i = 0; i < d.Limits.size(); ++i)
        for (Extended v : {d.Limits[i].LeftX, d.Limits[i].LeftY, d.Limits[i].RightX, d.Limits[i].RightY})
            check(v, "A coordinate of " + row("limit line", i));
    for (std::size_t i = 0; i < d.Tiebacks.size(); ++i) {
        const TSlopeTieback& t = d.Tiebacks[i];
        for (Extended v : {t.X, t.Y, t.Load, t.Spacing, t.Inclination, t.FreeLength})
            check(v, "A value of " + row("tieback", i));
    }
    for (std::size_t i = 0; i < d.Reinforcement.size(); ++i)
        for (const TSlopeReinforcementLayer& l : d.Reinforcement[i].Layers)
            for (Extended v : {l.X, l.Y, l.Force, l.InclinationFactor})
                check(v, "A value of " + row("reinforcement line", i));
    for (const TSlopePoint& p : d.Surface)
        for (Extended v : {p.X, p.Y})
            check(v, "A coordinate of the failure surface");
    for (std::size_t i = 0; i < d.Boxes.size(); ++i) {
        const TSlopeBox& b = d.Boxes[i];
        for (Extended v : {b.LeftX, b.LeftY, b.RightX, b.RightY, b.SideLength})
            check(v, "A value of " + row("box", i));
    }
}

// The search controls, checked by the searches' own rules against a sound profile.
void Search(const TSlopeDescription& d, TDiagnostics& out) {
    search::TSearchProblem problem;
    std::vector<search::TSearchMessage> errors, warnings;
    if (search::SearchProblemOf(d, problem, errors))
        search::CheckControls(problem.Geometry, problem.Controls, errors, warnings);
    for (const search::TSearchMessage& e : errors)
        out.Errors.push_back({e.Code, e.Message});
    for (const search::TSearchMessage& w : warnings)
        out.Warnings.push_back({w.Code, w.Message});
}
} // namespace

void Validate(const TSlopeDescription& d, TDiagnostics& out) {
    const std::size_t before = out.Errors.size();
    // Nothing else is checked with a value out of range: every later check computes with them.
    Magnitudes(d, out);
    if (out.Errors.size() != before)
        return;
    Profile(d, out);
    Soils(d, out);
    Water(d, out);
    Loads(d, out);
    Ties(d, out);
    Reinforcement(d, out);
    const int kind = d.Settings.SearchKind;
    if (kind == 0) {
        out.Error("E180",
                  "The input holds no failure surface and no search: add a failure surface (SURFAC or "
                  "SURBIS) or choose a search.");
        return;
    }
    if (kind < 0 || kind > 6) {
        out.Error("E181", "The search kind " + std::to_string(kind) + " is unknown.");
        return;
    }
    // The surface is checked against a sound profile only.
    if (kind == 1 && out.Errors.size() == before)
        UserSurface(d, out);
    if (kind >= 2 && out.Errors.size() == before)
        Search(d, out);
}

} // namespace quolm
