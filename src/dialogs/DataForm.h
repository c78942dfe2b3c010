#pragma once
// TDataForm: what every data window has in common. A data window is a non-modal child window of the
// main window's multiple-document area, without OK or Cancel: it copies the model into its controls
// whenever it becomes the active child window and copies them back whenever it stops being active
// and when it closes. A numeric box that has the focus and holds an invalid entry the user typed keeps
// the window in front (deactivation) or open (close), and nothing is stored meanwhile.
//
// The window reaches the current model through its model host at the moment it needs it (New and
// Open replace the model as a whole) and marks changes through the same host.
//
// Whoever puts the window into a multiple-document area (QMdiArea::addSubWindow), the window sets up
// its child window itself: border and buttons, first size, and the activation changes that drive
// loading and storing. Those come by one path only, the area's dispatcher (ChildActivation.h): a frame
// does not
// call the handlers on activation (only a command that needs the entries stored calls FormDeactivate).
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QWidget>
#include <vector>

#include "model/SlopeModel.h"
#include "widgets/ChildActivation.h"
#include "widgets/DataEdit.h"

class QLabel;
class TGridTable;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;

// A numeric box of a data window with its caption label.
struct TBoxSetup {
    const char* Name; // the box's object name ("deIP"); its label is named "lbl" + Name
    QString Caption;  // the quantity's name; the label adds the unit
    QString Units;    // unit string ("L2", "F/L2^3", "deg."), empty for none
    Extended Min = TDataEdit::DefaultMin;
    Extended Max = TDataEdit::DefaultMax;
    bool Integer = false;
    bool FollowsUnitSystem = false; // the label shows the model's unit system (lengths, forces)
};

class TDataForm : public QWidget, public IActivatedChild {
    Q_OBJECT
  public:
    enum class TBorder { Fixed, Sizeable };

    TDataForm(IModelHost& host, const char* className, QWidget* parent = nullptr);
    ~TDataForm() override;

    // The child window that frames this one (null until the window is put into a multiple-document
    // area).
    QMdiSubWindow* SubWindow() const;
    // Brings the child window to the front and activates it.
    void BringToFront();

    // Activation: the model into the controls.
    void FormActivate();
    // Deactivation: the controls into the model. False when the focused numeric box rejected its
    // entry: then nothing was stored and the window comes back to the front.
    bool FormDeactivate();
    // Closes the window without storing anything: the model it showed has been replaced.
    void Discard();

    // --- IActivatedChild: the area's activation changes
    void ChildActivated() override { FormActivate(); }
    void ChildDeactivated() override { FormDeactivate(); }

    // The control that has (or last had) the keyboard focus inside this window.
    QWidget* ActiveControl() const { return FActiveControl.data(); }

    QSize sizeHint() const override;

  protected:
    virtual void LoadFromModel(TProgramData& model) = 0;
    virtual void StoreToModel(TProgramData& model) = 0;

    // The first size of the client area; a layout that needs more room gets it.
    void SetFirstSize(QSize size) { FFirstSize = size; }
    void SetBorder(TBorder border) { FBorder = border; }
    // The control that gets the focus when the window is first shown.
    void SetFirstControl(QWidget* control) { FFirstControl = control; }
    // A new numeric box and its label (children of this window, not yet placed in a layout), all
    // boxes of one width. Every edit of its text marks the model modified.
    TDataEdit* NewBox(const TBoxSetup& setup);
    // A label and a push button of this window, named. A button is never the default button: Enter
    // belongs to the entry boxes.
    QLabel* NewLabel(const QString& text, const char* name);
    QPushButton* NewButton(const QString& caption, const char* name);
    void MarkModified() { Host.SetModified(true); }
    TTableSet& Tables() { return Host.Tables(); }
    // Opens a table's editor window; a failure is reported instead of ending the program.
    void EditTable(TGridTable& table);

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;

    IModelHost& Host;

  private:
    void FocusChanged(QWidget* old, QWidget* now);
    // Every edit of the box's text marks the model modified (and makes the box one to check).
    void MarksModified(TDataEdit* box);
    // Border, buttons and the activation changes of the child window that frames this one.
    void AdoptSubWindow(QMdiSubWindow* sub);
    // Whether the deactivation and the close check this control's entry: a box the user typed into
    // since the window last showed the model.
    bool NeedsValidation(QWidget* control) const;

    std::vector<TDataEdit*> FSystemBoxes;
    QSet<QWidget*> FEdited;
    QPointer<QWidget> FActiveControl;
    QPointer<QWidget> FFirstControl;
    QSize FFirstSize;
    TBorder FBorder = TBorder::Fixed;
    bool FClosing = false;
    bool FShown = false;
    QPointer<QMdiSubWindow> FAdopted;
    // Set while the window comes back after a refused deactivation: the controls keep what the user
    // typed instead of being loaded again.
    bool FKeepEntries = false;
    QMetaObject::Connection FFocusConnection;
};

// Shows a model value in a box as it is, without clamping it to the box's limits: a window shows
// what the model holds (a new model's counts of 0, say) until the user changes it.
void LoadBox(TDataEdit* box, Extended value);

// Whether the exit validation of a numeric box would accept its text (no message, nothing changes).
// Controls other than numeric boxes are always acceptable.
bool EntryAcceptable(QWidget* control);

// Rounds a count box's value to the nearest integer within the int range.
int RoundCount(Extended value);

// Every open data window of `area` shows the model again (after a unit-system switch: values and
// unit labels in the new system).
void RefreshDataForms(QMdiArea* area);
// Closes every data window of `area` that is still open after the model was replaced (one whose
// rejected entry kept it open), so none stores the old model's values into the new one.
void DiscardDataForms(QMdiArea* area);
