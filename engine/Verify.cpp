#include "engine/Verify.h"
#include "engine/Analyze.h"
#include "text/Errors.h"
#include "text/FixedText.h"
#include "text/NumberForms.h"
#include "text/Trim.h"
#include "text/WordRead.h"
#include <cmath>
#include <map>
#include <sstream>

namespace quolm {

namespace {
bool Number(const std::string& s, double& v) {
    Extended e = 0;
    if (!ParseFloat(s, e))
        return false;
    v = static_cast<double>(e);
    return true;
}

const char* FindText(const std::string& name) {
    for (const TEmbeddedFile& f : VerificationFiles())
        if (name == f.Name)
            return f.Text;
    return nullptr;
}

std::optional<double> MethodValue(const TCriticalResult& c, const std::string& key) {
    if (key == "ordinary")
        return c.Ordinary;
    if (key == "bishop")
        return c.Bishop;
    if (key == "janbu_simplified")
        return c.JanbuSimplified;
    if (key == "janbu_corrected")
        return c.JanbuCorrected;
    if (key == "spencer")
        return c.Spencer;
    if (key == "morgenstern_price")
        return c.MorgensternPrice;
    if (key == "critical")
        return c.Surface.FS;
    return std::nullopt;
}

std::string Cell(const std::string& s, std::size_t width, bool left = false) {
    if (s.size() >= width)
        return s;
    const std::string pad(width - s.size(), ' ');
    return left ? s + pad : pad + s;
}
} // namespace

std::vector<TVerificationRow> RunVerification(std::string& error) {
    std::vector<TVerificationRow> rows;
    const char* manifest = FindText("problems.txt");
    if (!manifest) {
        error = "The verification problems are missing (problems.txt).";
        return rows;
    }
    std::istringstream in(manifest);
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (int k = 0; k < 4; ++k) {
            const std::size_t bar = line.find('|', start);
            if (bar == std::string::npos)
                break;
            fields.push_back(Trim(line.substr(start, bar - start)));
            start = bar + 1;
        }
        fields.push_back(Trim(line.substr(start)));
        TVerificationRow row;
        // A tolerance is "t" (t percent either way) or "below:above".
        const std::size_t colon = fields.size() == 5 ? fields[3].find(':') : std::string::npos;
        const bool tolerance =
            fields.size() == 5 &&
            (colon == std::string::npos ? Number(fields[3], row.Below) && Number(fields[3], row.Above)
                                        : Number(fields[3].substr(0, colon), row.Below) &&
                                              Number(fields[3].substr(colon + 1), row.Above));
        if (fields.size() != 5 || !Number(fields[2], row.Published) || !tolerance) {
            error = "problems.txt, line " + std::to_string(lineNo) +
                    ": expected file | method | value | tolerance | source.";
            continue;
        }
        row.Problem = fields[0];
        row.Method = fields[1];
        row.Source = fields[4];
        rows.push_back(row);
    }

    std::map<std::string, TAnalysis> analysed;
    for (TVerificationRow& row : rows) {
        auto it = analysed.find(row.Problem);
        if (it == analysed.end()) {
            TAnalysis a;
            if (const char* text = FindText(row.Problem)) {
                TSlopeDescription d;
                try {
                    TWordReader reader = TWordReader::FromText(text);
                    ReadSlopeFile(reader, true, d);
                    a = Analyze(d, TRunOptions());
                } catch (const EBrevantoError& e) {
                    a.Diagnostics.Error("E002", e.what());
                }
            } else {
                a.Diagnostics.Error("E001", "The problem file is missing.");
            }
            if (a.HasErrors())
                error = row.Problem + ": " + a.Diagnostics.Errors.front().Code + " " +
                        a.Diagnostics.Errors.front().Message;
            it = analysed.emplace(row.Problem, std::move(a)).first;
        }
        const TAnalysis& a = it->second;
        if (a.Critical)
            row.Computed = MethodValue(*a.Critical, row.Method);
        if (row.Computed) {
            row.DifferencePercent = 100 * (*row.Computed - row.Published) / row.Published;
            row.Pass =
                row.DifferencePercent >= -row.Below - 1e-9 && row.DifferencePercent <= row.Above + 1e-9;
        }
    }
    return rows;
}

std::string VerificationTable(const std::vector<TVerificationRow>& rows) {
    std::string t = Cell("Problem", 36, true) + Cell("Method", 19, true) + Cell("Published", 10) +
                    Cell("Computed", 10) + Cell("Diff. %", 9) + Cell("Tol. %", 11) + "  Result\n";
    for (const TVerificationRow& r : rows) {
        std::string name = r.Problem;
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".qvxd") == 0)
            name.resize(name.size() - 5);
        t += Cell(name, 36, true) + Cell(r.Method, 19, true) + Cell(FormatFixedExact(r.Published, 3), 10) +
             Cell(r.Computed ? FormatFixedExact(*r.Computed, 3) : "none", 10) +
             Cell(r.Computed ? FormatFixedExact(r.DifferencePercent, 2) : "-", 9) +
             Cell(r.Below == r.Above
                      ? FormatFixedExact(r.Below, 1)
                      : "-" + FormatFixedExact(r.Below, 1) + "/+" + FormatFixedExact(r.Above, 1),
                  11) +
             "  " + (r.Pass ? "pass" : "FAIL") + "\n";
    }
    return t;
}

} // namespace quolm
