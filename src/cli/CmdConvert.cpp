// convert and units: load an input file, optionally switch its unit system, save it elsewhere.
#include "cli/Commands.h"
#include "model/SlopeModel.h"
#include "text/Errors.h"
#include "text/Messages.h"
#include <iostream>

namespace {
// Loads IN (reporting load problems on standard error), lets `change` act on the model, then saves
// to OUT. A model that loaded with a problem is still written, with exit code 1.
template <class Change>
int LoadChangeSave(const std::string& in, const std::string& out, bool currentFormat, Change change) {
    bool loadProblem = false;
    TStandaloneModelHost host(TCoreContext{nullptr, CliMessages(in, &loadProblem)});
    std::unique_ptr<TProgramData> model = TProgramData::CreateFromFile(in, currentFormat, host);
    change(*model);
    model->FileName = out;
    try {
        model->SaveToFile();
    } catch (const EBrevantoError& e) {
        std::cerr << "brevanto-cli: " << out << ": " << TerminalText(e.what()) << '\n';
        return 1;
    }
    return loadProblem ? 1 : 0;
}

int UsageError(const char* text) {
    std::cerr << "brevanto-cli: " << text << '\n';
    return 2;
}
} // namespace

int CmdConvert(const TArgs& args) {
    std::vector<std::string> files;
    bool oldLayout = false;
    for (const std::string& a : args) {
        if (a == "--v2")
            oldLayout = true;
        else
            files.push_back(a);
    }
    if (files.size() != 2)
        return UsageError("usage: convert IN OUT [--v2]");
    return LoadChangeSave(files[0], files[1], !oldLayout, [](TProgramData&) {});
}

int CmdUnits(const TArgs& args) {
    std::vector<std::string> files;
    int system = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--to") {
            if (++i == args.size())
                return UsageError("--to needs english, si or other");
            const std::string& to = args[i];
            system = to == "english" ? 1 : to == "si" ? 2 : to == "other" ? 3 : -1;
            if (system < 0)
                return UsageError("--to needs english, si or other");
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2 || system == 0)
        return UsageError("usage: units IN OUT --to english|si|other");
    return LoadChangeSave(files[0], files[1], true,
                          [system](TProgramData& model) { model.SetUnitSystem(system); });
}
