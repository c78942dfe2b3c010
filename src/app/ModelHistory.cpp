#include "app/ModelHistory.h"
#include "model/SlopeModel.h"

#include <QTimer>

// One user action: the model's state before and after it.
class TSnapshotStep : public QUndoCommand {
  public:
    TSnapshotStep(TModelHistory& history, TModelSnapshot before, TModelSnapshot after, const QString& name)
        : QUndoCommand(name), History(history), Before(std::move(before)), After(std::move(after)) {}
    void undo() override { History.Put(Before); }
    void redo() override {
        // Pushed after the action already changed the model.
        if (Done)
            History.Put(After);
        Done = true;
    }

  private:
    TModelHistory& History;
    TModelSnapshot Before, After;
    bool Done = false;
};

TModelHistory::TModelHistory(std::function<TProgramData*()> model, QObject* parent)
    : QObject(parent), FModel(std::move(model)) {
    connect(&FStack, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (!FRestoring)
            emit SavedStateChanged(clean);
    });
}

void TModelHistory::Touch() {
    if (FRestoring || FPending)
        return;
    FPending = true;
    QTimer::singleShot(0, this, [this] { Settle(); });
}

void TModelHistory::Settle() {
    const bool looked = FPending;
    FPending = false;
    TProgramData* model = FModel();
    if (looked && model) {
        TModelSnapshot now = TakeSnapshot(*model);
        if (!SameValues(now, FCurrent)) {
            const QString name = QString::fromStdString(ChangeName(FCurrent, now));
            TModelSnapshot before = std::move(FCurrent);
            FCurrent = now;
            FStack.push(new TSnapshotStep(*this, std::move(before), std::move(now), name));
            emit ModelChanged();
        }
    }
}

void TModelHistory::Reset() {
    FPending = false;
    FStack.clear();
    if (TProgramData* model = FModel())
        FCurrent = TakeSnapshot(*model);
    FStack.setClean();
    emit ModelChanged();
}

void TModelHistory::MarkSaved() {
    if (FRestoring)
        return;
    // What changed before the save is a step of its own; the state after it is the saved one.
    FPending = true;
    Settle();
    FStack.setClean();
}

void TModelHistory::Undo() {
    Settle();
    FStack.undo();
}

void TModelHistory::Redo() {
    Settle();
    FStack.redo();
}

void TModelHistory::Put(const TModelSnapshot& state) {
    TProgramData* model = FModel();
    if (!model)
        return;
    FRestoring = true;
    try {
        RestoreSnapshot(*model, state);
    } catch (...) {
        FRestoring = false;
        throw;
    }
    FRestoring = false;
    FCurrent = state;
    emit ModelChanged();
}
