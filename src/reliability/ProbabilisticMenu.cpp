#include "reliability/ProbabilisticMenu.h"
#include "model/SlopeModel.h"
#include "reliability/ProbabilisticWindow.h"

TProbabilisticWindow* OpenProbabilisticAnalysis(QWidget* parent, std::function<TProgramData*()> current) {
    TProgramData* model = current ? current() : nullptr;
    if (!model)
        return nullptr;
    model->Host().CommitActiveChild();
    auto* window = new TProbabilisticWindow(
        model->Description(),
        [model, current](const TProbabilisticSetup& s) {
            if (current() == model && model->Probabilistic != s) {
                model->Probabilistic = s;
                model->Host().SetModified(true);
            }
        },
        parent);
    window->SetUnitConversion([model, current](TProbabilisticSetup& s, int from, int to) {
        if (current() == model)
            ConvertProbabilisticUnits(s, model->Host().Tables(), from, to);
    });
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void CloseProbabilisticAnalyses(QWidget* parent) {
    if (!parent)
        return;
    for (TProbabilisticWindow* w : parent->findChildren<TProbabilisticWindow*>(Qt::FindDirectChildrenOnly))
        w->close();
}
