#include "cli/Commands.h"
#include "text/Errors.h"
#include "text/Evaluate.h"
#include <iostream>

int CmdEval(const TArgs& args) {
    if (args.empty()) {
        std::cerr << "Usage: brevanto-cli eval EXPR\n";
        return 2;
    }
    // The shell may have split the entry at blanks; the evaluator ignores blanks anyway.
    std::string entry;
    for (const std::string& a : args) {
        if (!entry.empty())
            entry += ' ';
        entry += a;
    }
    try {
        std::cout << FormatEntry(false, EvaluateEntry(entry)) << '\n';
        return 0;
    } catch (const EAssignError& e) {
        std::cerr << TerminalText(e.what()) << '\n';
        return 1;
    }
}
