// brevanto-cli report IN --out FILE.pdf|.html
// The report of an input file's analysis. The results beside the input are used when they are at
// least as new as it; otherwise the input is analysed first, into a temporary folder, so that the
// report never shows results of an older version of the model and the model's folder is left as it was.
#include "cli/CmdRender.h"
#include "cli/Commands.h"
#include "engine/Engine.h"
#include "graphics/ResultReport.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <iostream>
#include <memory>

namespace {
const char* const ReportUsage = "Usage: brevanto-cli report IN --out FILE.pdf|.html\n";
} // namespace

int CmdReport(const TArgs& args) {
    std::string input, out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--out" && i + 1 < args.size()) {
            out = args[++i];
        } else if (a == "--help" || a == "-h") {
            std::cout << ReportUsage;
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "brevanto-cli report: unknown option \"" << a << "\"\n" << ReportUsage;
            return 2;
        } else if (input.empty()) {
            input = a;
        } else {
            std::cerr << "brevanto-cli report: one input file only\n" << ReportUsage;
            return 2;
        }
    }
    if (input.empty() || out.empty()) {
        std::cerr << "brevanto-cli report: "
                  << (input.empty() ? "no input file given" : "--out FILE is required") << "\n"
                  << ReportUsage;
        return 2;
    }
    const QString in = QString::fromStdString(input), target = QString::fromStdString(out);
    if (!target.endsWith(".pdf", Qt::CaseInsensitive) && !target.endsWith(".html", Qt::CaseInsensitive) &&
        !target.endsWith(".htm", Qt::CaseInsensitive)) {
        std::cerr << "brevanto-cli report: the report file must end in .pdf or .html\n" << ReportUsage;
        return 2;
    }
    if (!QFileInfo(in).isFile()) {
        std::cerr << "brevanto-cli report: cannot read the input file " << input << '\n';
        return 1;
    }
    const auto app = EnsureGuiApplication();
    const QString notes = QDir(QCoreApplication::applicationDirPath()).filePath("error-message.txt");

    TReportSources sources;
    QString error;
    if (!LoadReportSources(in, notes, sources, error)) {
        std::cerr << "brevanto-cli report: " << error.toStdString() << '\n';
        return 1;
    }
    QTemporaryDir run;
    if (ResultsAge(in) != TResultsAge::Current) {
        const quolm::TAnalysis a = quolm::AnalyzeFile(input, quolm::TRunOptions());
        if (a.HasErrors()) {
            for (const quolm::TDiagnostic& e : a.Diagnostics.Errors)
                std::cerr << "brevanto-cli report: " << input << ": error " << e.Code << ": " << e.Message
                          << '\n';
            return 1;
        }
        quolm::TRunFiles files;
        files.Input = input;
        files.Output = RunFileOf(in, ".qvxo", run.path()).toStdString();
        files.Plot = RunFileOf(in, ".qvxp", run.path()).toStdString();
        files.Results = RunFileOf(in, ".qvxr", run.path()).toStdString();
        std::string reason;
        if (!run.isValid() || !quolm::WriteRunFiles(a, files, reason) ||
            !LoadReportSources(in, notes, sources, error, run.path())) {
            std::cerr << "brevanto-cli report: cannot analyse " << input << ": " << reason
                      << error.toStdString() << '\n';
            return 1;
        }
    }
    sources.ProgramVersion = QStringLiteral(BREVANTO_VERSION);
    if (!WriteReport(target, sources, error)) {
        std::cerr << "brevanto-cli report: " << error.toStdString() << '\n';
        return 1;
    }
    std::cout << "Written: " << out << '\n';
    return 0;
}
