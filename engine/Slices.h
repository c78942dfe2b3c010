#pragma once
// The sliding mass above a trial surface cut into vertical slices, with every force that acts on each
// slice except the base reactions and the interslice forces, which the methods solve for.
#include "engine/Model.h"
#include <cmath>
#include <vector>

namespace quolm {

// Every field is written by the cutting: no initialisers, so that the slices' array grows (from one
// surface to the next, with their number) without writing each new slice's fields twice.
struct TSlice {
    double XLeft, XRight, XMid, Width;
    double YBase;    // base elevation at XMid
    double YTop;     // ground elevation at XMid
    double Sin, Cos; // of the base inclination (counterclockwise from +x)
    double Length;   // base length
    double Weight;   // soil weight of the column
    double XW;       // x of its centre of gravity
    double Cohesion, TanPhi, PhiDeg;
    double U; // pore pressure at the base
    // Every other force on the slice (free water, loads, earthquake, tiebacks, reinforcement): its
    // components and its moment about the origin (counterclockwise positive).
    double Qx, Qy, Qm;
    // The part of Qx that is the thrust of free water beside an end slice.
    double Thrust;
    // The same forces by kind, for the slice table: free water (weight on top and thrust beside),
    // surcharge loads, earthquake, tiebacks and reinforcement.
    double WaterX, WaterY, LoadX, LoadY, QuakeX, QuakeY;
    double TiebackX, TiebackY, ReinforcementX, ReinforcementY;
    int Soil; // 0-based soil at the base
};

struct TSliceOptions {
    int TargetSlices = 40; // the surface is cut into about this many slices of equal width
};

// The base inclination in degrees.
inline double AlphaDeg(const TSlice& s) {
    return Deg(std::atan2(s.Sin, s.Cos));
}

// Notes on a cut surface that the analysis reports.
struct TSliceNotes {
    bool Tension = false;   // not used by the cutting itself
    int TiebacksActive = 0; // tiebacks whose free length the surface crosses
    int ReinforcementCrossings = 0;
    double FreeWaterWeight = 0; // total weight of free water standing on the mass
};

// What the methods need of the slices, with the moment arms about the chosen centre, as arrays so
// that their loops over the slices run in vector instructions: the terms that do not depend on F,
// and the scratch of the loops.
struct TMethodArrays {
    std::vector<double> Cl;         // cohesion times base length
    std::vector<double> Ul;         // pore pressure times base length
    std::vector<double> Tan;        // tan(phi)
    std::vector<double> Sin, Cos;   // of the base inclination
    std::vector<double> Wv;         // net downward force besides the base reactions: weight less the
                                    // other forces' upward part
    std::vector<double> Qx;         // horizontal force besides the base and interslice forces
    std::vector<double> Thrust;     // the part of Qx that is free water beside an end slice
    std::vector<double> MS;         // moment arm of the base shear (positive against the motion)
    std::vector<double> MN;         // moment arm of the base normal force
    std::vector<double> C0;         // c l - u l tan(phi): the cohesion less the pore pressure's share
    std::vector<double> A, B, P, R; // Bishop's and Janbu's methods
    std::vector<double> Alpha, Beta, EA, EB, Arm; // the march of the rigorous methods
    // The arrays only grow: their first Size() elements are the slices', every one written before
    // it is read, so a surface with fewer slices than the last leaves the rest as it was instead of
    // resizing twenty arrays.
    void Resize(std::size_t n) {
        if (n > Cos.size())
            for (std::vector<double>* v : {&Cl, &Ul, &Tan, &Sin, &Cos, &Wv,    &Qx,   &Thrust, &MS, &MN,
                                           &C0, &A,  &B,   &P,   &R,   &Alpha, &Beta, &EA,     &EB, &Arm})
                v->resize(n);
        Count = n;
    }
    std::size_t Size() const { return Count; }

  private:
    std::size_t Count = 0;
};

// One layer of a grid interval's column, top down: its lower line y = A + B x (far below for the
// last layer) and what its soil weighs.
struct TColumnLayer {
    double A = 0, B = 0;
    double Moist = 0, Saturated = 0;
    int Water = -1; // the soil's piezometric surface
    int Soil = 0;
};

// Per-thread scratch space of the evaluation of one surface: reused, so that evaluating a surface
// does not allocate once the buffers have grown to the size of the problem.
struct TWorkspace {
    std::vector<TPoint> Clipped;
    std::vector<double> Breaks;
    std::vector<double> Slopes;    // the surface segments' slopes, secants, cosines and sines
    std::vector<int> SliceCounts;  // slices between two breaks
    std::vector<double> Crossings; // of the surface with the lines and water surfaces
    std::vector<double> Samples;   // the surface's segments within one grid interval
    std::vector<TSlice> Slices;
    // Method scratch: normal forces, interslice forces and the interslice function.
    std::vector<double> N, E, F;
    // Water force on every slice boundary (0..n), for the rigorous methods (SideWaterForces).
    std::vector<double> U;
    // Every water surface's elevation at a slice's left edge, right edge and middle.
    std::vector<double> EdgeWater;
    std::vector<TColumnLayer> Layers; // of the grid interval being cut
    TMethodArrays Arrays;
    TWorkspace() {
        Clipped.reserve(256);
        Breaks.reserve(1024);
        Slopes.reserve(1024);
        SliceCounts.reserve(1024);
        Crossings.reserve(256);
        Samples.reserve(1024);
        Slices.reserve(512);
        N.reserve(512);
        E.reserve(513);
        F.reserve(513);
        U.reserve(513);
        Arrays.Resize(512);
        Arrays.Resize(0);
    }
};

// Cuts the sliding mass above `surface` (ground to ground, ascending x, as ClipToGround gives it)
// into slices: breaks at every vertex of the surface, every profile, water and load break, every
// crossing of the surface with a boundary line or a water surface, then equal subdivision towards
// `options.TargetSlices`. Fills ws.Slices; returns false when the mass has no weight.
bool CutSlices(const TSlopeModel& model, const std::vector<TPoint>& surface, const TSliceOptions& options,
               TWorkspace& ws, TSliceNotes& notes);

// The hydrostatic water force on each boundary between slices (ws.U, one per boundary, 0 at both
// ends, whose free water is in the end slices' thrusts): the rigorous methods take their interslice
// function on the effective interslice force, the total force less this one.
void SideWaterForces(const TSlopeModel& model, const std::vector<TPoint>& surface, TWorkspace& ws);

} // namespace quolm
