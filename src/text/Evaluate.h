#pragma once
// The entry evaluator: every number the user types (cells, entry boxes) goes through it.
// Accepts plain numbers and arithmetic expressions with functions, constants, "!" and "$" hex.
#include "text/NumberForms.h"
#include <string>

// Evaluates an entry; raises EAssignError ("Entry could not be evaluated:\r<reason>") on failure.
// Never returns an infinite or undefined value.
Extended EvaluateEntry(const std::string& text);

// An entry as a value the model keeps: as EvaluateEntry, and refused the same way ("value out of range")
// when it is beyond the numbers the analysis computes with (a finite double), since such a value
// would reach the engine as infinity.
Extended EvaluateStoredEntry(const std::string& text);

// hex: "$" and at least 4 hexadecimal digits of the value rounded to an integer;
// otherwise the general format with 18 significant digits.
std::string FormatEntry(bool hex, Extended value);
