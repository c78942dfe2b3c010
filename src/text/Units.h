#pragma once
// Unit systems and unit strings ("F/L2^3", "L2", "DEG.", ...): conversion factors and labels.
#include <string>

enum TUnitSystem : int { usEnglish = 1, usSI = 2, usOther = 3 };

// Number by which a value in system `from` is multiplied to express it in system `to`.
long double UnitFactor(int from, int to, const std::string& unitString);

// Label of a unit string as table headers show it (every token replaced).
std::string UnitLabel(const std::string& unitString, int system);

// Label as a numeric entry box (TDataEdit) shows it: first force and first length token only;
// in the general system the unit string itself.
std::string UnitLabelEntry(const std::string& unitString, int system);

// Label as the numeric combo box (TDataCombo) shows it: only "F" and "L" are known.
std::string UnitLabelCombo(const std::string& unitString, int system);
