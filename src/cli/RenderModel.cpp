#include "cli/RenderModel.h"
#include "cli/Commands.h"
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "tables/TableChart.h"

TRenderModel LoadRenderModel(const std::string& path) {
    TRenderModel result;
    const bool oldLayout = path.size() >= 4 && (path.compare(path.size() - 4, 4, ".qvd") == 0 ||
                                                path.compare(path.size() - 4, 4, ".QVD") == 0);
    // Load problems are printed with the file's name; the model keeps what was read.
    TStandaloneModelHost host(TCoreContext{nullptr, CliMessages(path, &result.LoadProblem)});
    const std::unique_ptr<TProgramData> model = TProgramData::CreateFromFile(path, !oldLayout, host);
    result.Boundary = BoundarySnapshot(host.Tables().BoundCood());
    result.SearchKind = model->SearchKind;
    // A block or irregular surface is no circle: its critical surface gets no radius lines.
    result.RadiusLines = !model->HasBlockSearch && !model->HasIrregularSearch;
    return result;
}
