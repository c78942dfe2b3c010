#pragma once
// What `brevanto-cli render` needs from an input file: the boundary table and the search.
#include "graphics/PlotFile.h"
#include <string>

struct TRenderModel {
    TBoundaryLines Boundary;
    // 0 none, 1 user-defined surface, 2 Janbu, 3 Bishop, 4 irregular, 5 block, 6 Spencer.
    int SearchKind = 0;
    bool RadiusLines = true;
    // The file could not be read completely (the messages are already on standard error).
    bool LoadProblem = false;
};

// Loads the input file `path` (the 2.0 layout when it ends in ".qvd") as the desktop program does.
TRenderModel LoadRenderModel(const std::string& path);
