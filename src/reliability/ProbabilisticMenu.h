#pragma once
// Computation > Probabilistic Analysis: the setup window on the current model; a setup kept there
// is stored with the model (and marks it modified).
class QWidget;
class TProbabilisticWindow;

// Opens the window (not modal); null when there is no model.
TProbabilisticWindow* OpenProbabilisticAnalysis(QWidget* parent);
