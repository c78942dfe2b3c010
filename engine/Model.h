#pragma once
// The slope as the analysis sees it: the input description turned, once per run, into geometry and
// properties that make evaluating a trial surface cheap. Immutable after construction, so any number
// of threads may evaluate surfaces on one model at the same time.
#include "engine/Point.h"
#include "text/SlopeFile.h"
#include <cstdint>
#include <vector>

namespace quolm {

// A straight line piece y = A + B x, valid on the grid interval it is stored for.
struct TLinePiece {
    double A = 0;
    double B = 0;
    int Soil = 0; // 0-based soil index below the line
    double At(double x) const { return A + B * x; }
};

struct TAnisotropyRow {
    double LimitDeg = 0; // the row applies up to this base inclination
    double Cohesion = 0;
    double TanPhi = 0;
    double PhiDeg = 0;
};

struct TSoil {
    double MoistWeight = 0;
    double SaturatedWeight = 0;
    double Cohesion = 0;
    double TanPhi = 0;
    double PhiDeg = 0;
    double Ru = 0;
    double PoreConstant = 0;
    int Piezometric = -1; // 0-based surface index, -1 none
    std::vector<TAnisotropyRow> Anisotropy;
};

struct TLoad {
    double LeftX = 0, RightX = 0;
    double Intensity = 0;
    double DirX = 0, DirY = -1; // unit direction of the force
};

struct TTieback {
    TPoint Head;
    double DirX = 1, DirY = 0; // from the head towards the anchor
    double FreeLength = 0;
    double Force = 0; // per unit width
};

struct TReinforcementLine {
    std::vector<TPoint> Points;
    std::vector<double> Force;  // per segment, from its first point
    std::vector<double> Factor; // inclination factor per segment, 0..1
};

// The profile's x range split at every vertex of every boundary line and piezometric surface: within
// one interval every line is straight, so a vertical column is described by the lines crossing it.
struct TGridInterval {
    double X0 = 0, X1 = 0;
    int FirstLine = 0, LineCount = 0; // into TSlopeModel::Pieces, top line first
    int FirstWater = 0;               // into TSlopeModel::WaterPieces, one per piezometric surface
    int Water = -1; // the piezometric surface of every layer where they all share one, else -1
};

class TSlopeModel {
  public:
    // Builds the model from a description that passed validation (engine/Validate.h).
    explicit TSlopeModel(const TSlopeDescription& d);

    // The ground surface, left to right.
    const std::vector<TPoint>& Ground() const { return GroundPoints; }
    double GroundLeft() const { return GroundPoints.front().X; }
    double GroundRight() const { return GroundPoints.back().X; }
    // Ground elevation at x; beyond the ends the end elevation continues.
    double GroundY(double x) const;
    // Elevation of piezometric surface `w` at x; beyond its ends it continues level.
    double WaterY(int w, double x) const;

    // Grid interval holding x (clamped to the first and last).
    int IntervalOf(double x) const;
    const TGridInterval& Interval(int i) const { return Grid[static_cast<std::size_t>(i)]; }
    int IntervalCount() const { return static_cast<int>(Grid.size()); }
    const TLinePiece& Piece(int i) const { return Pieces[static_cast<std::size_t>(i)]; }
    const TLinePiece& WaterPiece(int i) const { return WaterPieces[static_cast<std::size_t>(i)]; }

    // Soil index at a point below the ground, -1 above it.
    int SoilAt(double x, double y) const;

    // Every x where the ground, a boundary line, a piezometric surface or a load changes.
    const std::vector<double>& Breaks() const { return BreakXs; }

    std::vector<TSoil> Soils;
    std::vector<std::vector<TPoint>> Water; // piezometric surfaces
    std::vector<TLoad> Loads;
    std::vector<TTieback> Tiebacks;
    std::vector<TReinforcementLine> Reinforcement;
    std::vector<std::vector<TPoint>> Limits; // limit lines, as polylines of their segments
    double WaterWeight = 0;
    double Kh = 0;         // horizontal seismic coefficient, outwards (towards -x)
    double Kv = 0;         // vertical seismic coefficient, upwards
    double Cavitation = 0; // pore pressure never falls below -Cavitation
    double Extent = 1;     // size of the section, for tolerances
    double MinimumElevation = 0;
    int UnitSystem = 1;

  private:
    std::vector<TPoint> GroundPoints;
    std::vector<TGridInterval> Grid;
    std::vector<TLinePiece> Pieces;
    std::vector<TLinePiece> WaterPieces;
    std::vector<double> BreakXs;
};

// Degrees to radians and back.
constexpr double Pi = 3.14159265358979323846;
inline double Rad(double deg) {
    return deg * Pi / 180.0;
}
inline double Deg(double rad) {
    return rad * 180.0 / Pi;
}

} // namespace quolm
