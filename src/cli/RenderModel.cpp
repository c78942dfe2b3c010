#include "cli/RenderModel.h"
#include "tables/WordRead.h"
#include <string_view>

namespace {
std::string_view Trimmed(const std::string& line) {
    std::string_view s(line);
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The search section keywords and the search kind each one stands for. SPENCR comes before the
// CIRCL2 line of its own section, so the first keyword found decides.
int SearchKindOf(std::string_view keyword) {
    if (keyword == "SURFAC" || keyword == "SURBIS")
        return 1;
    if (keyword == "CIRCLE")
        return 2;
    if (keyword == "CIRCL2")
        return 3;
    if (keyword == "RANDOM")
        return 4;
    if (keyword == "BLOCK")
        return 5;
    if (keyword == "SPENCR")
        return 6;
    return 0;
}
} // namespace

TRenderModel LoadRenderModel(const std::string& path) {
    TRenderModel model;
    TWordReader reader(path);
    if (reader.AtEnd())
        return model;
    const std::string first(Trimmed(reader.ReadLine()));
    if (first == "PROFIL" || first == "PROFILE") {
        reader.ReadLine(); // title
        const std::int32_t rows = reader.ReadInteger();
        reader.ReadInteger(); // surface boundary count
        reader.ReadLine();    // the unit system, when the layout has one
        for (std::int32_t i = 0; i < rows && i < 100; ++i) {
            TBoundaryLine line;
            line.LeftX = static_cast<double>(reader.ReadFloat());
            line.LeftY = static_cast<double>(reader.ReadFloat());
            line.RightX = static_cast<double>(reader.ReadFloat());
            line.RightY = static_cast<double>(reader.ReadFloat());
            line.Soil = reader.ReadInteger();
            reader.ReadLine();
            model.Boundary.push_back(line);
        }
    }
    while (!reader.AtEnd()) {
        const std::string line = reader.ReadLine();
        const std::string_view keyword = Trimmed(line);
        if (keyword == "EXECUT")
            break;
        if (const int kind = SearchKindOf(keyword)) {
            model.SearchKind = kind;
            break;
        }
    }
    return model;
}
