#pragma once
// Computation > Probabilistic Analysis: the setup window on the current model; a setup kept there
// is stored with the model (and marks it modified).
#include <functional>

class QWidget;
class TProbabilisticWindow;
class TProgramData;

// Opens the window (not modal) on the model `current` gives now; a setup is stored only while that
// model is still the current one. Null when there is no model.
TProbabilisticWindow* OpenProbabilisticAnalysis(QWidget* parent, std::function<TProgramData*()> current);
