#include "reliability/ProbabilisticMenu.h"
#include "model/SlopeModel.h"
#include "reliability/ProbabilisticWindow.h"

TProbabilisticWindow* OpenProbabilisticAnalysis(QWidget* parent) {
    if (!ProgramData)
        return nullptr;
    ProgramData->Host().CommitActiveChild();
    auto* window = new TProbabilisticWindow(
        ProgramData->Description(),
        [](const TProbabilisticSetup& s) {
            if (ProgramData && ProgramData->Probabilistic != s) {
                ProgramData->Probabilistic = s;
                ProgramData->Host().SetModified(true);
            }
        },
        parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}
