// The table editor window itself: building it, showing it in its place, its title and picture, and
// letting go of its table.
#include "widgets/TableEditor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "widgets/ChildActivation.h"
#include "widgets/MsgBox.h"
#include "widgets/TableEditorMetrics.h"

// ---------------------------------------------------------------- form

QPushButton* TTableForm::MakeButton(const QString& caption, const char* name) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

TTableForm::TTableForm(TGridTable& table, QWidget* parent) : QWidget(parent), FTable(&table) {
    setObjectName(QStringLiteral("TableForm"));
    setWindowTitle(QStringLiteral("TableForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    Grid = new TTableGrid(this, this);
    BtnAdd = MakeButton(tr("&Add Row"), "BtnAdd");
    BtnIns = MakeButton(tr("&Insert Row"), "BtnIns");
    BtnDel = MakeButton(tr("&Delete Row"), "BtnDel");
    lblComments = new QLabel(this);
    lblComments->setObjectName(QStringLiteral("lblComments"));
    imgHelp = new QLabel(this);
    imgHelp->setObjectName(QStringLiteral("imgHelp"));
    connect(BtnAdd, &QPushButton::clicked, this, &TTableForm::BtnAddClick);
    connect(BtnIns, &QPushButton::clicked, this, &TTableForm::BtnInsClick);
    connect(BtnDel, &QPushButton::clicked, this, &TTableForm::BtnDelClick);
    FSnapTimer.setSingleShot(true);
    FSnapTimer.setInterval(150);
    connect(&FSnapTimer, &QTimer::timeout, this, &TTableForm::SnapTimeout);
    FFocusConnection = connect(qApp, &QApplication::focusChanged, this, &TTableForm::FocusChanged);
    // The table sees this window as its editor from now on (integer entries are range-checked).
    table.AttachEditor(this);
}

TTableForm::~TTableForm() {
    disconnect(FFocusConnection);
    Detach();
}

void TTableForm::Detach() {
    FreeControls();
    if (!FTable)
        return;
    TGridTable* table = FTable;
    FTable = nullptr;
    table->RowsChanged = nullptr;
    table->CellChanged = nullptr;
    if (table->Editor() == this)
        table->DetachEditor();
}

TTableForm* TTableForm::Open(TTableForm* form, bool modal, QMdiArea* area) {
    TGridTable& table = *form->FTable;
    form->FModal = modal;
    QPointer<TTableForm> guard(form);
    try {
        form->ShowTable();
    } catch (...) {
        delete form; // unlinks it from the table again
        throw;
    }
    if (auto* embed = qobject_cast<QWidget*>(table.FormParent())) {
        form->setParent(embed);
        form->setWindowFlags(Qt::Widget);
        form->move(0, 0);
        form->resize(form->ClientSize());
        form->show();
        return form;
    }
    if (!modal) {
        if (area) {
            QMdiSubWindow* sub =
                area->addSubWindow(form, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                             Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            // Leaving the window commits its entry; activation changes come by one path, the area's
            // dispatcher (ChildActivated, ChildDeactivated).
            TChildActivation::Of(area);
            sub->resize(sub->sizeHint());
            sub->installEventFilter(form);
            sub->show();
            form->FLastContainerGeometry = sub->geometry();
            area->setActiveSubWindow(sub);
            form->Grid->setFocus(Qt::OtherFocusReason);
            return form;
        }
    }
    form->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    form->resize(form->ClientSize());
    form->installEventFilter(form);
    if (!modal) {
        form->show();
        form->FLastContainerGeometry = form->geometry();
        return form;
    }
    form->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(form, &TTableForm::Closed, &loop, &QEventLoop::quit);
    connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
    form->show();
    form->FLastContainerGeometry = form->geometry();
    form->activateWindow();
    form->Grid->setFocus(Qt::OtherFocusReason);
    if (guard)
        loop.exec(QEventLoop::DialogExec);
    return nullptr;
}

bool TTableForm::eventFilter(QObject* object, QEvent* event) {
    // The press on a row control that left the grid with a rejected entry (the focus moves before
    // the press arrives) neither opens the list nor clicks the sub-table button.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
        object == FExitTarget && ControlAt(static_cast<QWidget*>(object))) {
        const bool follows = FExitTime.isValid() && FExitTime.elapsed() < 3000;
        FExitTarget = nullptr;
        if (follows)
            return true;
    }
    // A window that is only moved keeps its size; remember where it is, so the next drag of an
    // edge is told apart from a move.
    if (event->type() == QEvent::Move && object == Container() && FLastContainerGeometry.isValid() &&
        Container()->size() == FLastContainerGeometry.size())
        FLastContainerGeometry = Container()->geometry();
    return QWidget::eventFilter(object, event);
}

QWidget* TTableForm::Container() const {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return const_cast<TTableForm*>(this);
}

void TTableForm::BringToFront() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->showNormal();
        sub->raise();
        return;
    }
    if (isWindow()) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
    } else {
        show();
        raise();
    }
}

int TTableForm::Margin() const {
    return std::max(1, TableEditorMetrics::PixelsPerInch() / 20);
}

int TTableForm::FirstShownRow() const {
    return Grid->verticalScrollBar()->value();
}

int TTableForm::FirstShownColumn() const {
    return Grid->horizontalScrollBar()->value();
}

void TTableForm::ShowTable() {
    TGridTable& table = *FTable;
    table.SetRowCount(std::max(table.RowCount(), table.MinRows()));
    TitleChanged();
    const QString topLeft = QString::fromStdString(table.TopLeft());
    auto* corner = new QLabel(topLeft, Grid);
    corner->setObjectName(QStringLiteral("TopLeft"));
    corner->setAttribute(Qt::WA_TransparentForMouseEvents);
    corner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    corner->setContentsMargins(3, 2, 0, 0);
    const int col0 = std::max(Grid->fontMetrics().horizontalAdvance(topLeft + QStringLiteral("  ")),
                              TableEditorMetrics::PixelsPerInch() / 3);
    Grid->verticalHeader()->setFixedWidth(col0);
    imgHelp->setPixmap(QPixmap::fromImage(table.HelpPicture()));
    FColsShown = table.VisibleColumnCount();
    FRowsShown = std::min(table.RowCount(), RowsShownLimit());
    table.RowsChanged = [this] { TableRowsChanged(); };
    table.CellChanged = [this](int column, int row) { TableCellChanged(column, row); };
    AllocateControls(0, FRowsShown);
    Refresh();
    // Start on the first cell without a row control.
    int startColumn = 0;
    while (startColumn + 1 < table.VisibleColumnCount() && table.VisibleColumn(startColumn).UsesControls())
        ++startColumn;
    if (table.RowCount() > 0)
        Grid->SetCurrentSilently(0, startColumn);
}

void TTableForm::TitleChanged() {
    if (FTable)
        setWindowTitle(QString::fromStdString(FTable->EditorTitle()));
}

void TTableForm::HelpPictureChanged() {
    if (!FTable)
        return;
    imgHelp->setPixmap(QPixmap::fromImage(FTable->HelpPicture()));
    Layout();
}

void TTableForm::CloseEditor() {
    // The table frees its editor: no commit question, the window just goes.
    Detach();
    FClosing = true;
    emit Closed();
    Container()->hide();
    Container()->deleteLater();
}

void TTableForm::TableDestroyed() {
    FreeControls();
    FTable = nullptr; // the table is going: never call it again
    FClosing = true;
    emit Closed();
    Container()->hide();
    Container()->deleteLater();
}

void TTableForm::SetCurrentCell(int column, int row) {
    if (!FTable || column < 0 || column >= FTable->ColumnCount())
        return;
    const int visible = FTable->VisibleIndexOf(&FTable->Column(column));
    if (visible >= 0 && row >= 0 && row < Grid->rowCount())
        Grid->SetCurrentSilently(row, visible);
}

void TTableForm::Guarded(const std::function<void()>& action) {
    // Our handlers run inside Qt's event dispatch, which must never see an exception: an error
    // of the table is reported like any other instead of ending the program.
    try {
        action();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TTableForm::ShowError(const std::exception& e) {
    // While the box is up, the focus changes it causes are not the user leaving the grid.
    FInMessage = true;
    MsgError(this, QString::fromStdString(e.what()));
    FInMessage = false;
}

void TTableForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isWindow() && !isActiveWindow())
        FormDeactivate();
}

void TTableForm::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (FTable)
        BackgroundClick();
}
