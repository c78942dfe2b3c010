#include "engine/Engine.h"
#include "text/Errors.h"
#include "text/FileNames.h"
#include "text/WordRead.h"
#include <fstream>

namespace quolm {

namespace {
// The word reader's messages put a line break after the position; one line reads better here.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n')
            c = ' ';
    return s;
}

bool WriteFile(const std::string& path, const std::string& text, std::string& reason) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (out)
        out.close();
    if (!out) {
        reason = "Cannot write \"" + path + "\".";
        return false;
    }
    return true;
}
} // namespace

TAnalysis AnalyzeFile(const std::string& inputPath, const TRunOptions& options) {
    TSlopeDescription d;
    std::string problem;
    const char* code = "E002";
    try {
        TWordReader reader(inputPath);
        try {
            ReadSlopeFile(reader, true, d);
        } catch (const EBrevantoError& e) {
            problem = "The input file could not be read to its end: " + OneLine(e.what()) +
                      " Open it in the program, correct it and save it again.";
        }
    } catch (const EBrevantoError& e) {
        code = "E001";
        problem = OneLine(e.what());
    }
    if (problem.empty())
        return Analyze(d, options);
    TAnalysis a;
    a.Input = d;
    a.Seed = options.Seed;
    a.Method = MethodOf(d);
    a.Diagnostics.Error(code, problem);
    return a;
}

TRunFiles FilesBeside(const std::string& inputPath) {
    return {inputPath, ChangeFileExt(inputPath, ".qvxo"), ChangeFileExt(inputPath, ".qvxp"),
            ChangeFileExt(inputPath, ".qvxr")};
}

bool WriteRunFiles(const TAnalysis& a, const TRunFiles& files, std::string& reason) {
    return WriteFile(files.Output, ReportText(a, files.Input), reason) &&
           WriteFile(files.Plot, PlotText(a), reason) && WriteFile(files.Results, ResultsJson(a), reason);
}

void RunFiles(const TRunFiles& files, const TRunOptions& options) {
    std::string reason;
    try {
        const TAnalysis a = AnalyzeFile(files.Input, options);
        // A cancelled run has no result to write; the program keeps no files of it.
        if (options.Cancel && options.Cancel->load())
            return;
        WriteRunFiles(a, files, reason);
    } catch (const std::exception& e) {
        // Nothing may escape to the program that loaded us; the output text says what happened.
        try {
            TAnalysis a;
            a.Diagnostics.Error("E999", std::string("The analysis stopped unexpectedly: ") + e.what());
            WriteRunFiles(a, files, reason);
        } catch (...) {
        }
    }
}

} // namespace quolm
