#include "cli/RenderModel.h"
#include "model/LPData.h"
#include "model/TableAccess.h"
#include "text/Messages.h"
#include "tables/TableChart.h"
#include <iostream>

TRenderModel LoadRenderModel(const std::string& path) {
    TRenderModel result;
    // Load problems are printed with the file's name; the model keeps what was read.
    const TMessageHandler previous = SetMessageHandler([&](TMessageKind, const std::string& text) {
        result.LoadProblem = true;
        std::cerr << "brevanto-cli: " << path << ": " << text << '\n';
    });
    const bool oldLayout = path.size() >= 4 && (path.compare(path.size() - 4, 4, ".qvd") == 0 ||
                                                path.compare(path.size() - 4, 4, ".QVD") == 0);
    TStandaloneModelHost host;
    const std::unique_ptr<TProgramData> model = TProgramData::CreateFromFile(path, !oldLayout, host);
    SetMessageHandler(previous);
    result.Boundary = BoundarySnapshot(host.Tables().BoundCood());
    result.SearchKind = model->SearchKind;
    // A block or irregular surface is no circle: its critical surface gets no radius lines.
    result.RadiusLines = !model->HasBlockSearch && !model->HasIrregularSearch;
    return result;
}
