#pragma once
// Computation > Probabilistic Analysis: the setup window on the current model; a setup kept there
// is stored with the model (and marks it modified).
#include <functional>

class QWidget;
class TProbabilisticWindow;
class TProgramData;

// Opens the window (not modal) on the model `current` gives now; a setup is stored only while that
// model is still the current one. Null when there is no model. The caller lets it follow the model's
// changes (TProbabilisticWindow::FollowModel) and closes it with CloseProbabilisticAnalyses when the
// model is replaced.
TProbabilisticWindow* OpenProbabilisticAnalysis(QWidget* parent, std::function<TProgramData*()> current);

// Closes every probabilistic window of `parent`: the model they were opened on is gone.
void CloseProbabilisticAnalyses(QWidget* parent);
