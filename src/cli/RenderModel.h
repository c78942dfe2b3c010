#pragma once
// What `brevanto-cli render` needs from an input file: the boundary table and the search kind.
// The model loader will take this over; until then only the PROFIL section and the search keyword
// are read.
#include "graphics/PltData.h"
#include <string>

struct TRenderModel {
    TBoundaryLines Boundary;
    // 0 none, 1 user-defined surface, 2 circular (Janbu), 3 circular (Bishop), 4 irregular, 5 block,
    // 6 Spencer's method.
    int SearchKind = 0;
};

// Reads the input file `path`; raises EInOutError (with the reader's message) when it cannot.
TRenderModel LoadRenderModel(const std::string& path);
