// brevanto-cli: the batch face of Brevanto for scripts, CI and people without a display.
#include "cli/Commands.h"
#include <cstring>
#include <iostream>
#include <map>

namespace {
const char* const Usage =
    "Usage: brevanto-cli COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  eval EXPR                 evaluate an entry as a data box would; prints the value\n"
    "  convert IN OUT [--v2]     load an input file (--v2: the 2.0 layout) and save it as OUT\n"
    "  units IN OUT --to english|si|other\n"
    "                            load an input file, switch its unit system, save it as OUT\n"
    "  render PLOT --model IN --out FILE.png|.svg|.pdf [--size WxH] [--options a,b,...]\n"
    "                            draw a plot file as the graph window does (PDF: the printed page)\n"
    "  analyze IN [--json]       analyse an input file; writes the output text (.qvxo), the plot file\n"
    "                            (.qvxp) and the results (.qvxr) beside it and prints a summary (or the\n"
    "                            results); exit status 1 when the input has errors\n"
    "  report IN --out FILE.pdf|.html\n"
    "                            the report of the analysis of an input file: title block, input\n"
    "                            tables, every method's result, the picture and the slice table\n"
    "  verify                    analyse the bundled verification problems and compare them with their\n"
    "                            published values; exit status 1 when one is outside its tolerance\n"
    "  probabilistic IN [--samples N] [--seed S] [--sampling mc|lhs] [--mode critical|search]\n"
    "                [--vary VAR]... [--correlate soilK=R]... [--csv FILE] [--json] [--threads N]\n"
    "                            probabilistic analysis: the factor of safety of many samples of the\n"
    "                            random variables, its mean, deviation, probability of failure and\n"
    "                            reliability indices (see probabilistic --help); exit status 1 when\n"
    "                            the input has errors. Runs alone or under mpirun -np N\n"
    "  batch FILE... [--csv OUT] [--threads N]\n"
    "                            analyse many input files, one CSV row each (file, method, factor,\n"
    "                            warnings); runs alone or under mpirun -np N\n"
    "\n"
    "Options:\n"
    "  --help                    show this text\n"
    "  --version                 show the program version\n";

using TCommand = int (*)(const TArgs&);

const std::map<std::string, TCommand>& Commands() {
    static const std::map<std::string, TCommand> commands = {
        {"eval", &CmdEval},
        {"convert", &CmdConvert},
        {"units", &CmdUnits},
        {"render", &CmdRender},
        {"analyze", &CmdAnalyze},
        {"verify", &CmdVerify},
        {"probabilistic", &CmdProbabilistic},
        {"batch", &CmdBatch},
        {"report", &CmdReport},
    };
    return commands;
}
} // namespace

std::string TerminalText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

TMessageHandler CliMessages(const std::string& subject, bool* problem) {
    return [subject, problem](TMessageKind, const std::string& text) {
        if (problem)
            *problem = true;
        std::cerr << "brevanto-cli: " << subject << ": " << TerminalText(text) << '\n';
    };
}

int RunCli(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << Usage;
        return 2;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << Usage;
        return 0;
    }
    if (command == "--version") {
        std::cout << "brevanto-cli " << BREVANTO_VERSION << '\n';
        return 0;
    }
    const auto it = Commands().find(command);
    if (it == Commands().end()) {
        std::cerr << "brevanto-cli: unknown command \"" << command << "\"\n\n" << Usage;
        return 2;
    }
    return it->second(TArgs(argv + 2, argv + argc));
}
