#include "dialogs/DataForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <string>

#include "tables/Table.h"
#include "text/Evaluate.h"
#include "widgets/ChildActivation.h"
#include "widgets/DataEdit.h"
#include "widgets/MsgBox.h"

TDataForm::TDataForm(IModelHost& host, const char* className, QWidget* parent) : QWidget(parent), Host(host) {
    setObjectName(QLatin1String(className));
    setAttribute(Qt::WA_DeleteOnClose);
    FFocusConnection = connect(qApp, &QApplication::focusChanged, this, &TDataForm::FocusChanged);
}

TDataForm::~TDataForm() {
    disconnect(FFocusConnection);
}

QMdiSubWindow* TDataForm::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

QSize TDataForm::sizeHint() const {
    QSize hint = QWidget::sizeHint();
    if (layout())
        hint = hint.expandedTo(layout()->sizeHint());
    return FFirstSize.isValid() ? hint.expandedTo(FFirstSize) : hint;
}

void TDataForm::AdoptSubWindow(QMdiSubWindow* sub) {
    if (FAdopted == sub)
        return;
    FAdopted = sub;
    Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (FBorder == TBorder::Sizeable)
        flags |= Qt::WindowMaximizeButtonHint;
    sub->setWindowFlags(flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The activation changes that drive loading and storing come by one path, the area's dispatcher
    // (widgets/ChildActivation.h). The child window joins its area after it has taken this window in.
    sub->installEventFilter(this);
    TChildActivation::Of(sub->mdiArea());
}

bool TDataForm::eventFilter(QObject* object, QEvent* event) {
    // The event type first: while the child window is being destroyed it still sends events here, and
    // the pointer must not be read then.
    if (event->type() == QEvent::ParentChange && object == FAdopted)
        TChildActivation::Of(FAdopted->mdiArea());
    return QWidget::eventFilter(object, event);
}

void TDataForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    // The first showing: loaded before anything can be seen or stored, sized, the focus in the first
    // box of the focus order whatever the area focused.
    FormActivate();
    if (QMdiSubWindow* sub = SubWindow()) {
        sub->resize(sub->sizeHint());
        if (FBorder == TBorder::Fixed)
            sub->setFixedSize(sub->size());
    }
    if (FFirstControl)
        FFirstControl->setFocus(Qt::OtherFocusReason);
}

void TDataForm::BringToFront() {
    QMdiSubWindow* sub = SubWindow();
    if (!sub)
        return;
    if (sub->isMinimized())
        sub->showNormal();
    if (QMdiArea* area = sub->mdiArea())
        area->setActiveSubWindow(sub);
    sub->raise();
}

void TDataForm::FocusChanged(QWidget* old, QWidget* now) {
    (void)old;
    if (now && isAncestorOf(now))
        FActiveControl = now;
}

QLabel* TDataForm::NewLabel(const QString& text, const char* name) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    return label;
}

QPushButton* TDataForm::NewButton(const QString& caption, const char* name) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

TDataEdit* TDataForm::NewBox(const TBoxSetup& setup) {
    auto* box = new TDataEdit(this);
    box->setObjectName(QLatin1String(setup.Name));
    // Room for a long number; the boxes of a window line up.
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("-0000000000.00")));
    QLabel* label = NewLabel({}, ("lbl" + std::string(setup.Name)).c_str());
    box->BeginLoading();
    box->SetMinVal(setup.Min);
    box->SetMaxVal(setup.Max);
    box->SetIntegerOnly(setup.Integer);
    box->SetCaption(setup.Caption);
    box->SetUnitsString(setup.Units);
    box->SetEditLabel(label);
    box->EndLoading();
    if (setup.FollowsUnitSystem)
        FSystemBoxes.push_back(box);
    MarksModified(box);
    return box;
}

void TDataForm::EditTable(TGridTable& table) {
    try {
        table.Edit();
    } catch (const std::exception& e) {
        MsgError(this, QString::fromStdString(e.what()));
    }
}

void TDataForm::MarksModified(TDataEdit* box) {
    connect(box, &QLineEdit::textEdited, this, [this, box] {
        FEdited.insert(box);
        MarkModified();
    });
}

bool TDataForm::NeedsValidation(QWidget* control) const {
    // A box still showing what the model holds stores that same value back: nothing to check. A
    // window opened on a new model can so be left and closed while its first box shows a count of
    // 0 below the box's lower limit.
    return control && FEdited.contains(control);
}

void TDataForm::FormActivate() {
    if (FClosing || FKeepEntries || !Host.Model())
        return;
    // The unit first: it renews the labels of the length and force boxes.
    for (TDataEdit* box : FSystemBoxes)
        box->SetUnits(Host.Model()->UnitSystem);
    LoadFromModel(*Host.Model());
    FEdited.clear();
}

bool TDataForm::FormDeactivate() {
    if (FClosing || FKeepEntries || !Host.Model())
        return true;
    // Only the focused box: every other one was validated when the focus left it. The check is
    // silent here, in the middle of the activation change; the box reports its entry once the
    // window is back in front.
    if (NeedsValidation(ActiveControl()) && !EntryAcceptable(ActiveControl())) {
        // Whatever activates the window again meanwhile, the controls keep what the user typed.
        FKeepEntries = true;
        QTimer::singleShot(0, this, [this] {
            if (FClosing)
                return;
            BringToFront();
            FKeepEntries = false;
            if (QWidget* control = ActiveControl()) {
                control->setFocus(Qt::OtherFocusReason);
                ValidateEntry(control);
            }
        });
        return false;
    }
    if (NeedsValidation(ActiveControl()))
        ValidateEntry(ActiveControl()); // accepted: an expression shows as its value
    StoreToModel(*Host.Model());
    Host.ModelEdited();
    return true;
}

void TDataForm::closeEvent(QCloseEvent* event) {
    if (!FClosing && Host.Model()) {
        if (NeedsValidation(ActiveControl()) && !ValidateEntry(ActiveControl())) {
            event->ignore();
            if (QWidget* control = ActiveControl())
                control->setFocus(Qt::OtherFocusReason);
            return;
        }
        StoreToModel(*Host.Model());
        Host.ModelEdited();
    }
    FClosing = true;
    QWidget::closeEvent(event);
}

void TDataForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange)
        if (QMdiSubWindow* sub = SubWindow())
            AdoptSubWindow(sub);
}

bool EntryAcceptable(QWidget* control) {
    auto* box = qobject_cast<TDataEdit*>(control);
    if (!box)
        return true;
    try {
        const Extended value = EvaluateStoredEntry(box->text().toStdString());
        return !(box->IntegerOnly() && value != std::trunc(value)) && value >= box->MinVal() &&
               value <= box->MaxVal();
    } catch (const std::exception&) {
        return false;
    }
}

void LoadBox(TDataEdit* box, Extended value) {
    box->BeginLoading();
    box->SetNumber(value);
    box->EndLoading();
}

int RoundCount(Extended value) {
    if (std::isnan(value))
        return 0;
    const Extended r = std::round(value);
    if (r <= -2147483648.0L)
        return -2147483647 - 1;
    if (r >= 2147483647.0L)
        return 2147483647;
    return static_cast<int>(r);
}

void TDataForm::Discard() {
    FClosing = true;
    if (QMdiSubWindow* sub = SubWindow())
        sub->close();
    else
        close();
}

void DiscardDataForms(QMdiArea* area) {
    if (!area)
        return;
    for (QMdiSubWindow* sub : area->subWindowList())
        if (auto* form = qobject_cast<TDataForm*>(sub->widget()))
            form->Discard();
}

void RefreshDataForms(QMdiArea* area) {
    if (!area)
        return;
    for (QMdiSubWindow* sub : area->subWindowList())
        if (auto* form = qobject_cast<TDataForm*>(sub->widget()))
            form->FormActivate();
}
