#pragma once
// File names as the program forms them from the model's file: the engine's outputs and the plot file
// sit beside the input file under the same name with another extension.
#include <string>

// `path` with the extension of its file name replaced by `extension` (".qvxo"), or appended when the
// name has none; a dot in a folder name is not an extension. Either separator ('/' or '\') counts.
std::string ChangeFileExt(const std::string& path, const std::string& extension);
