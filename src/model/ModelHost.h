#pragma once
// What the slope model needs from whoever holds it. The desktop program's main window implements this
// (it owns the child windows and is where the modified mark lives); the command-line program, the
// tests and the benchmarks use TStandaloneModelHost, which has no windows at all. The host is passed
// explicitly to every model operation that needs it; together with the core context it carries (editor
// windows, message sink) it is everything the core asks of the program.
#include "tables/CoreContext.h"
#include <memory>

class TProgramData;
class TTableSet;

class IModelHost {
  public:
    virtual ~IModelHost() = default;

    // The one set of tables that holds the tabular part of the model.
    virtual TTableSet& Tables() = 0;
    // The model the host holds now, or null. New and Open replace it as a whole, so a window asks for
    // it each time it needs it instead of keeping it.
    virtual TProgramData* Model() const = 0;
    // The program's services for the core: editor windows and the message sink.
    virtual const TCoreContext& Context() const = 0;

    // True when the host's own mark is set or any table reports an unsaved change.
    virtual bool IsModified() const = 0;
    // Sets the mark; false also clears the change marks of every table.
    virtual void SetModified(bool modified) = 0;

    // Lets the active child window store its pending entries into the model.
    virtual void CommitActiveChild() = 0;
    // Asks every open child window to close (a new or loaded model replaces the old one).
    virtual void CloseAllChildren() = 0;
    // The unit system changed: open windows that show units refresh their display.
    virtual void UnitSystemChanged() = 0;
    // A window stored its entries into the model: the host may look at the values again.
    virtual void ModelEdited() {}
};

// A host without windows: it owns its context, its own table set and a modified mark.
class TStandaloneModelHost : public IModelHost {
  public:
    explicit TStandaloneModelHost(TCoreContext context = {});
    ~TStandaloneModelHost() override;
    TStandaloneModelHost(const TStandaloneModelHost&) = delete;
    TStandaloneModelHost& operator=(const TStandaloneModelHost&) = delete;

    TTableSet& Tables() override;
    // Models made on this host belong to whoever made them: the host holds none.
    TProgramData* Model() const override { return nullptr; }
    const TCoreContext& Context() const override { return FContext; }
    bool IsModified() const override;
    void SetModified(bool modified) override;
    void CommitActiveChild() override {}
    void CloseAllChildren() override {}
    void UnitSystemChanged() override {}

  private:
    TCoreContext FContext; // before TableSet: the tables point at it
    std::unique_ptr<TTableSet> TableSet;
    bool Modified = false;
};
