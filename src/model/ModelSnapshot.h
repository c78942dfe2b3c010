#pragma once
// What undo keeps of the model: every value the user can change, as the plain description of the
// problem (the settings and every table row, sub-tables included). Two snapshots compared tell whether
// an action changed the model and, in words for the Edit menu, what it changed.
#include "text/SlopeFile.h"
#include <string>

class TProgramData;

struct TModelSnapshot {
    TSlopeDescription Description;
};

// The model's values now. Every sub-table counts as read, so that restoring sets it exactly.
TModelSnapshot TakeSnapshot(const TProgramData& model);
// Puts the values back into the model and its tables (open windows follow); the file names stay.
void RestoreSnapshot(TProgramData& model, const TModelSnapshot& snapshot);
// Whether the two hold the same values, bit for bit.
bool SameValues(const TModelSnapshot& a, const TModelSnapshot& b);
// What changed from `before` to `after`, as the Edit menu names the step: "Edit Soil 2 Cohesion",
// "Add Boundary Line 5", "Switch to SI Units"; empty when nothing changed.
std::string ChangeName(const TModelSnapshot& before, const TModelSnapshot& after);
