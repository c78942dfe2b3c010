#pragma once
// Undo and redo of every change to the model. Whatever may have changed it (a table, a data window, a
// menu command) only says so; once the event that did it is handled, the model is compared with its
// last recorded state and a difference becomes one named step ("Edit Soil 2 Cohesion") holding the
// states before and after. Undo and redo put a whole state back, so every kind of change is undone
// the same way, and the step in which the model was saved marks it unmodified again.
#include "model/ModelSnapshot.h"

#include <QObject>
#include <QUndoStack>
#include <functional>

class TProgramData;

class TModelHistory : public QObject {
    Q_OBJECT
  public:
    // `model` finds the current model (null: none yet).
    explicit TModelHistory(std::function<TProgramData*()> model, QObject* parent = nullptr);

    QUndoStack& Stack() { return FStack; }
    // Something may have changed the model: it is compared once the current event is handled.
    void Touch();
    // Records a change not yet recorded.
    void Settle();
    // A new or opened model: no history, and its state is the saved one.
    void Reset();
    // The model was written to its file: its state now is the saved one.
    void MarkSaved();
    void Undo();
    void Redo();
    // True while a state is being put back.
    bool Restoring() const { return FRestoring; }
    // The last recorded state.
    const TModelSnapshot& Current() const { return FCurrent; }

  signals:
    // The model's values differ from before: a step recorded, undone or redone, or a reset.
    void ModelChanged();
    // The saved state was reached (true) or left (false) by a step.
    void SavedStateChanged(bool saved);

  private:
    friend class TSnapshotStep;
    void Put(const TModelSnapshot& state);

    std::function<TProgramData*()> FModel;
    QUndoStack FStack;
    TModelSnapshot FCurrent;
    bool FPending = false;
    bool FRestoring = false;
};
