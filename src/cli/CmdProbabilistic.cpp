// probabilistic and batch: analyses of many samples or many files, split over the processes of an
// MPI run (cli/ProcessGroup.h) and over each process's threads, gathered on the first process.
#include "cli/Commands.h"
#include "cli/ProcessGroup.h"
#include "engine/Engine.h"
#include "engine/probabilistic/ProbabilisticAnalysis.h"
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iostream>

namespace {
const char* const ProbUsage =
    "Usage: brevanto-cli probabilistic IN [--samples N] [--seed S] [--sampling mc|lhs]\n"
    "                                 [--mode critical|search] [--vary VAR]... [--correlate soilK=R]...\n"
    "                                 [--csv FILE] [--json] [--threads N]\n"
    "  VAR: soilK.gamma|gamma_sat|c|phi=DIST, waterK.dy=DIST, kh=DIST or kv=DIST\n"
    "  DIST: normal(mean,sd), lognormal(mean,sd), uniform(a,b) or triangular(a,mode,b), optionally\n"
    "        followed by [min,max] (values outside are drawn again)\n";
const char* const BatchUsage = "Usage: brevanto-cli batch FILE... [--csv OUT] [--threads N]\n";

template <class T> bool Integer(const std::string& s, T& out) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        std::cerr << "brevanto-cli: cannot write \"" << path << "\"\n";
    return static_cast<bool>(out);
}

std::string Fixed(double v, int decimals) {
    if (!std::isfinite(v))
        return "-";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

std::string Opt(const std::optional<double>& v) {
    return v ? Fixed(*v, 3) : "-";
}

int ProbUsageError(const std::string& message) {
    std::cerr << "brevanto-cli probabilistic: " << message << '\n' << ProbUsage;
    return 2;
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string out = "\"";
    for (char c : s)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}
} // namespace

int CmdProbabilistic(const TArgs& args) {
    std::string input, csv;
    bool json = false;
    std::optional<int> samples, threads;
    std::optional<std::uint64_t> seed;
    std::optional<TSamplingKind> sampling;
    std::optional<TProbabilisticMode> mode;
    std::vector<TRandomVariable> vary;
    std::vector<TSoilCorrelation> correlate;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : std::string();
        const auto needValue = [&] { return hasValue ? (++i, true) : false; };
        if (a == "--help") {
            std::cout << ProbUsage;
            return 0;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--samples") {
            int n = 0;
            if (!needValue() || !Integer(value, n) || n < 1)
                return ProbUsageError("--samples takes a positive whole number");
            samples = n;
        } else if (a == "--threads") {
            int n = 0;
            if (!needValue() || !Integer(value, n) || n < 1)
                return ProbUsageError("--threads takes a positive whole number");
            threads = n;
        } else if (a == "--seed") {
            std::uint64_t s = 0;
            if (!needValue() || !Integer(value, s))
                return ProbUsageError("--seed takes a whole number from 0 to 18446744073709551615");
            seed = s;
        } else if (a == "--sampling") {
            if (!needValue() || (value != "mc" && value != "lhs"))
                return ProbUsageError("--sampling takes mc or lhs");
            sampling = value == "lhs" ? TSamplingKind::LatinHypercube : TSamplingKind::MonteCarlo;
        } else if (a == "--mode") {
            if (!needValue() || (value != "critical" && value != "search"))
                return ProbUsageError("--mode takes critical or search");
            mode = value == "search" ? TProbabilisticMode::Search : TProbabilisticMode::Critical;
        } else if (a == "--vary") {
            TRandomVariable v;
            std::string why;
            if (!needValue())
                return ProbUsageError("--vary takes a VAR");
            if (!ParseVariableSpec(value, v, why))
                return ProbUsageError("--vary " + value + ": " + why);
            vary.push_back(v);
        } else if (a == "--correlate") {
            TSoilCorrelation c;
            const std::size_t eq = value.find('=');
            TRandomTarget target;
            Extended r = 0;
            if (!needValue() || eq == std::string::npos ||
                !ParseVariableName(value.substr(0, eq) + ".c", target, c.Soil) ||
                !ParseFloat(value.substr(eq + 1), r))
                return ProbUsageError("--correlate takes soilK=R");
            c.R = static_cast<double>(r);
            correlate.push_back(c);
        } else if (a == "--csv") {
            if (!needValue() || value.empty())
                return ProbUsageError("--csv takes a file name");
            csv = value;
        } else if (!a.empty() && a[0] == '-') {
            return ProbUsageError("unknown option \"" + a + "\"");
        } else if (input.empty()) {
            input = a;
        } else {
            return ProbUsageError("one input file only");
        }
    }
    if (input.empty())
        return ProbUsageError("no input file");

    const TProcessGroup group;
    const auto started = std::chrono::steady_clock::now();
    TSlopeDescription d;
    quolm::TDiagnostics errors;
    if (quolm::ReadInputFile(input, d, errors)) {
        // The command line's settings replace the file's, variable by variable.
        TProbabilisticSetup& p = d.Probabilistic;
        p.Present = true;
        if (samples)
            p.Samples = *samples;
        if (seed)
            p.Seed = *seed;
        if (sampling)
            p.Sampling = *sampling;
        if (mode)
            p.Mode = *mode;
        for (const TRandomVariable& v : vary) {
            auto it = std::find_if(p.Variables.begin(), p.Variables.end(), [&](const TRandomVariable& o) {
                return o.Target == v.Target && o.Index == v.Index;
            });
            if (it != p.Variables.end())
                *it = v;
            else
                p.Variables.push_back(v);
        }
        for (const TSoilCorrelation& c : correlate) {
            auto it = std::find_if(p.Correlations.begin(), p.Correlations.end(),
                                   [&](const TSoilCorrelation& o) { return o.Soil == c.Soil; });
            if (it != p.Correlations.end())
                *it = c;
            else
                p.Correlations.push_back(c);
        }
    }
    quolm::TRunOptions options;
    options.Threads = threads ? *threads : group.DefaultThreads();
    std::optional<quolm::TProbabilisticStudy> study;
    if (errors.Errors.empty()) {
        study.emplace(d, options);
        errors = study->Diagnostics();
    }
    if (!errors.Errors.empty()) {
        if (group.First())
            for (const quolm::TDiagnostic& e : errors.Errors)
                std::cerr << "brevanto-cli: " << input << ": error " << e.Code << ": " << e.Message << '\n';
        return 1;
    }

    // This process's share of the samples, then everything on the first process.
    long long begin = 0, end = 0;
    group.Share(study->Setup().Samples, begin, end);
    quolm::TSampleTable mine;
    study->Run(begin, end - begin, mine);
    const auto computed = std::chrono::steady_clock::now();
    quolm::TSampleTable all;
    all.Variables = mine.Variables;
    all.Factor = group.Gather(mine.Factor);
    all.Values = group.Gather(mine.Values);
    if (!group.First())
        return 0;
    const auto gathered = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(gathered - started).count();
    const quolm::TProbabilisticResult r = study->Summarise(all);
    if (!csv.empty() && !WriteText(csv, study->Csv(all)))
        return 1;
    if (json) {
        std::cout << study->Json(r, elapsed);
        return 0;
    }
    const TProbabilisticSetup& s = study->Setup();
    const quolm::TAnalysis& base = study->Deterministic();
    std::cout << "Title: " << d.Settings.Title << '\n';
    std::cout << "Method: " << quolm::MethodName(base.Method) << "; deterministic factor of safety "
              << (base.Critical ? Opt(base.Critical->Surface.FS) : "-") << '\n';
    std::cout << "Samples: " << r.Samples << " ("
              << (s.Sampling == TSamplingKind::LatinHypercube ? "Latin hypercube" : "Monte Carlo")
              << ", seed " << s.Seed << ", "
              << (s.Mode == TProbabilisticMode::Search ? "full search" : "critical surface") << " for each), "
              << r.Valid << " with a factor of safety\n";
    for (std::size_t i = 0; i < s.Variables.size(); ++i) {
        std::cout << "  " << VariableName(s.Variables[i]) << " = " << DistributionText(s.Variables[i])
                  << ": sample mean " << Fixed(r.VariableMean[i], 4) << ", sd " << Fixed(r.VariableSd[i], 4);
        const std::string note = quolm::OutsideNote(s.Variables[i], r.VariableOutside[i]);
        if (!note.empty())
            std::cout << "; " << note;
        std::cout << '\n';
    }
    for (const TSoilCorrelation& c : s.Correlations)
        std::cout << "  correlation of c and phi of soil " << c.Soil << ": " << c.R << '\n';
    std::cout << "Factor of safety: mean " << Fixed(r.Mean, 4) << ", standard deviation " << Fixed(r.Sd, 4)
              << ", min " << Fixed(r.Min, 4) << ", max " << Fixed(r.Max, 4) << '\n';
    std::cout << "Probability of failure P(F < 1): " << Fixed(r.Pf, 5) << " (standard error "
              << Fixed(r.PfError, 5) << ")\n";
    std::cout << "Reliability index: normal " << Opt(r.BetaNormal) << ", lognormal " << Opt(r.BetaLognormal)
              << '\n';
    std::cout << "Time: " << Fixed(elapsed, 3) << " s on " << group.Size() << " process(es) (gather "
              << Fixed(std::chrono::duration<double>(gathered - computed).count(), 4) << " s)\n";
    if (!csv.empty())
        std::cout << "Written: " << csv << '\n';
    return 0;
}

int CmdBatch(const TArgs& args) {
    std::vector<std::string> files;
    std::string csv;
    std::optional<int> threads;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--csv" || a == "--threads") {
            int n = 0;
            if (i + 1 >= args.size() || args[i + 1].empty() ||
                (a == "--threads" && (!Integer(args[i + 1], n) || n < 1))) {
                std::cerr << "brevanto-cli batch: " << a << " needs a value\n" << BatchUsage;
                return 2;
            }
            if (a == "--csv")
                csv = args[++i];
            else
                threads = n, ++i;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "brevanto-cli batch: unknown option \"" << a << "\"\n" << BatchUsage;
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) {
        std::cerr << BatchUsage;
        return 2;
    }
    const TProcessGroup group;
    quolm::TRunOptions options;
    options.Threads = threads ? *threads : group.DefaultThreads();
    long long begin = 0, end = 0;
    group.Share(static_cast<long long>(files.size()), begin, end);
    std::string rows;
    double failures = 0; // files that could not be analysed
    for (long long i = begin; i < end; ++i) {
        const std::string& file = files[static_cast<std::size_t>(i)];
        const quolm::TAnalysis a = quolm::AnalyzeFile(file, options);
        std::string notes;
        const auto add = [&notes](const std::vector<quolm::TDiagnostic>& list) {
            for (const quolm::TDiagnostic& w : list)
                if (notes.find(w.Code) == std::string::npos) // each code once
                    notes += (notes.empty() ? "" : " ") + w.Code;
        };
        add(a.Diagnostics.Errors);
        add(a.Diagnostics.Warnings);
        if (a.Critical)
            add(a.Critical->Warnings);
        const bool fs = !a.HasErrors() && a.Critical && a.Critical->Surface.FS;
        if (a.HasErrors())
            ++failures;
        rows += CsvField(file) + "," + quolm::MethodKey(a.Method) + "," +
                (fs ? Fixed(*a.Critical->Surface.FS, 4) : std::string()) + "," + CsvField(notes) + "\n";
    }
    const std::string all = group.Gather(rows);
    const std::vector<double> failed = group.Gather(std::vector<double>{failures});
    if (!group.First())
        return 0;
    const std::string text = "file,method,factor,warnings\n" + all;
    if (csv.empty())
        std::cout << text;
    else if (!WriteText(csv, text))
        return 1;
    for (double f : failed)
        if (f > 0)
            return 1;
    return 0;
}
