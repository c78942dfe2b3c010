#pragma once
// Trimming a line read from a text file: the definition and manifest files are written by hand.
#include <string>

// `s` without the blanks, tabs and line-end characters at either end.
std::string Trim(const std::string& s);
