#include "engine/Contract.h"
#include "engine/Engine.h"
#include <fstream>
#include <vector>

namespace quolm {

TNamesStatus ReadNamesFile(const std::string& path, TRunFiles& files) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return TNamesStatus::Missing;
    std::vector<std::string> lines;
    for (std::string line; lines.size() < 8 && std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (in.bad())
        return TNamesStatus::Missing;
    // A byte-order mark written by an editor is not part of the version.
    if (!lines.empty() && lines[0].compare(0, 3, "\xEF\xBB\xBF") == 0)
        lines[0].erase(0, 3);
    if (lines.empty() || lines[0] != ProgramVersion)
        return TNamesStatus::BadVersion;
    if (lines.size() < 8)
        return TNamesStatus::Incomplete;
    files = {lines[4], lines[5], lines[6], lines[7]};
    if (files.Input.empty() || files.Output.empty() || files.Plot.empty() || files.Results.empty())
        return TNamesStatus::Incomplete;
    return TNamesStatus::Ok;
}

int RunFromNamesFile(const std::string& namesPath, const std::atomic<bool>* cancel) {
    TRunFiles files;
    if (ReadNamesFile(namesPath, files) != TNamesStatus::Ok)
        return 1;
    TRunOptions options;
    options.Cancel = cancel;
    RunFiles(files, options);
    return 0;
}

} // namespace quolm
