// The input-file reader, both layouts (the first byte chooses), with the round-trip property: whatever
// loads and is saved loads again and saves to the same bytes. A saved file that stops loading would
// lose the user's data.
#include "FuzzSupport.h"
#include "model/SlopeModel.h"
#include "tables/TableSet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 65536)
        return 0;
    FuzzEnsureGuiApplication();
    const bool currentLayout = data[0] % 2 == 0;
    const std::string text = FuzzText(data + 1, size - 1);
    std::vector<std::string> messages;
    TStandaloneModelHost host(
        TCoreContext{nullptr, [&](TMessageKind, const std::string& m) { messages.push_back(m); }});
    const std::string in = FuzzFile(currentLayout ? "in.qvxd" : "in.qvd", text);
    auto model = TProgramData::CreateFromFile(in, currentLayout, host);
    model->FileName = FuzzFile("first.qvxd", "");
    model->SaveToFile();
    const std::string first = FuzzReadFile(model->FileName);

    messages.clear();
    auto again = TProgramData::CreateFromFile(model->FileName, true, host);
    FUZZ_CHECK(messages.empty()); // what we wrote reads without complaint
    again->FileName = FuzzFile("second.qvxd", "");
    again->SaveToFile();
    FUZZ_CHECK(FuzzReadFile(again->FileName) == first);
    return 0;
}
