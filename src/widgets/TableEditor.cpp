#include "widgets/TableEditor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "tables/TableChart.h"
#include "text/Errors.h"
#include "widgets/ChartTableEditor.h"
#include "widgets/MsgBox.h"

namespace {
const char* const RowProperty = "brevantoRow";
constexpr int RowHeight = 24;

int PixelsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

void TTableEditorFactory::Open(TGridTable& table, bool modal) {
    if (auto* open = dynamic_cast<TTableForm*>(table.Editor())) {
        open->BringToFront();
        return;
    }
    TTableForm::Open(table, modal, FArea.data());
}

// ---------------------------------------------------------------- grid

TTableGrid::TTableGrid(TTableForm* form) : QTableWidget(form), FForm(form) {
    setObjectName(QStringLiteral("Grid"));
    setItemDelegate(new TCellDelegate(this, form));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // The cell editor is open on the current cell at all times, as in a spreadsheet.
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Tab leaves the grid for the next control, as in the other windows; Enter moves between cells.
    setTabKeyNavigation(false);
    setWordWrap(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionsClickable(false);
    setCornerButtonEnabled(false);
}

void TTableGrid::CommitEditorText() {
    if (FEditor && state() == QAbstractItemView::EditingState)
        commitData(FEditor);
}

void TTableGrid::SetCurrentSilently(int row, int column) {
    const bool was = FSilent;
    FSilent = true;
    selectionModel()->setCurrentIndex(model()->index(row, column), QItemSelectionModel::ClearAndSelect);
    FSilent = was;
}

void TTableGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The base writes the open editor's text into the previous cell and opens the editor anew.
    QTableWidget::currentChanged(current, previous);
    if (FSilent || !previous.isValid() || !current.isValid() || current == previous)
        return;
    if (FForm->GridSelectCell(previous.row(), previous.column(), current.row(), current.column()))
        return;
    FRefused = true;
    SetCurrentSilently(previous.row(), previous.column());
    FForm->FocusGrid();
}

bool TTableGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the current cell is edited, and never a cell covered by a row control.
    if (!index.isValid() || index != currentIndex())
        return false;
    if (TGridTable* table = FForm->Table()) {
        if (index.column() >= table->VisibleColumnCount() ||
            table->VisibleColumn(index.column()).UsesControls())
            return false;
    }
    return QTableWidget::edit(index, trigger, event);
}

void TTableGrid::keyPressEvent(QKeyEvent* event) {
    FForm->GridKeyPress(event->key());
    if (IsEnter(event->key())) {
        FForm->GridEnter();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TTableGrid::keyReleaseEvent(QKeyEvent* event) {
    FForm->GridKeyRelease(event->key());
    QTableWidget::keyReleaseEvent(event);
}

void TTableGrid::mousePressEvent(QMouseEvent* event) {
    FRefused = false;
    QTableWidget::mousePressEvent(event);
    // A refused move still selected the clicked cell; select the cell the user stays on.
    if (FRefused && currentIndex().isValid())
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
}

void TTableGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    if (!FForm->FLayingOut && FForm->Table())
        FForm->Layout();
}

TCellDelegate::TCellDelegate(TTableGrid* grid, TTableForm* form)
    : QStyledItemDelegate(grid), FGrid(grid), FForm(form) {}

QWidget* TCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor)
        editor->setObjectName(QStringLiteral("CellEditor"));
    FGrid->FEditor = editor;
    return editor;
}

bool TCellDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        FForm->GridKeyPress(key->key());
        if (IsEnter(key->key())) {
            FForm->GridEnter();
            return true;
        }
        // Not the delegate's "edit the next cell": the editor passes Tab on and the focus leaves the
        // grid (which commits the entry).
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
    } else if (event->type() == QEvent::KeyRelease) {
        FForm->GridKeyRelease(static_cast<QKeyEvent*>(event)->key());
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

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
    Grid = new TTableGrid(this);
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

TTableForm* TTableForm::Open(TGridTable& table, bool modal, QMdiArea* area) {
    TTableForm* form =
        table.IsChart() ? new TTableChartForm(static_cast<TGridTableChart&>(table)) : new TTableForm(table);
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
            connect(sub, &QMdiSubWindow::windowStateChanged, form,
                    [guard](Qt::WindowStates before, Qt::WindowStates now) {
                        if (guard && (before & Qt::WindowActive) && !(now & Qt::WindowActive))
                            guard->FormDeactivate();
                    });
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
    return std::max(1, PixelsPerInch() / 20);
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
    const int col0 =
        std::max(Grid->fontMetrics().horizontalAdvance(topLeft + QStringLiteral("  ")), PixelsPerInch() / 3);
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

// ---------------------------------------------------------------- refresh and layout

void TTableForm::TableRowsChanged() {
    if (FSuspendRows || !FTable)
        return;
    if (FAddingRows && FTable->RowCount() > FLastRowCount && FRowsShown == FLastRowCount)
        FRowsShown = std::min(FTable->RowCount(), RowsShownLimit());
    FLastRowCount = FTable->RowCount();
    Refresh();
}

void TTableForm::BeginAddingRows() {
    FAddingRows = true;
    FLastRowCount = FRowsBeforeAdding = FTable ? FTable->RowCount() : 0;
}

void TTableForm::EndAddingRows() {
    FAddingRows = false;
    if (FTable && FTable->RowCount() > FRowsBeforeAdding)
        ScrollToRow(FTable->RowCount() - 1);
}

void TTableForm::TableCellChanged(int column, int row) {
    if (!FTable || column < 0 || column >= FTable->ColumnCount())
        return;
    const int visible = FTable->VisibleIndexOf(&FTable->Column(column));
    if (visible < 0)
        return;
    if (FTable->VisibleColumn(visible).UsesControls() || column == 0) {
        // A kind change rebuilds the row's sub-table: its button caption changes too.
        for (const TControlSet& set : FControlSets)
            for (const QPointer<QWidget>& control : set.Controls)
                if (control && control->property(RowProperty).toInt() == row)
                    UpdateControl(set, control, row);
    }
    RewriteCell(visible, row);
    CellValueChanged();
}

void TTableForm::RewriteCell(int visibleColumn, int row) {
    if (!FTable || row < 0 || row >= Grid->rowCount() || visibleColumn >= Grid->columnCount())
        return;
    const TColumn& column = FTable->VisibleColumn(visibleColumn);
    if (column.UsesControls() || row >= column.RowCount())
        return;
    QTableWidgetItem* item = Grid->item(row, visibleColumn);
    const QString text = QString::fromStdString(column.GetText(row));
    if (!item)
        Grid->setItem(row, visibleColumn, new QTableWidgetItem(text));
    else if (item->text() != text)
        item->setText(text);
}

void TTableForm::RewriteAllCells() {
    if (!FTable)
        return;
    for (int c = 0; c < FTable->VisibleColumnCount(); ++c)
        if (!FTable->VisibleColumn(c).UsesControls())
            for (int r = 0; r < FTable->RowCount(); ++r)
                RewriteCell(c, r);
}

void TTableForm::Refresh() {
    if (!FTable)
        return;
    TGridTable& table = *FTable;
    const int visible = table.VisibleColumnCount();
    const int rows = table.RowCount();
    FColsShown = std::min(FColsShown, visible);
    FRowsShown = std::min(FRowsShown, rows);
    FFixedRows = 0;
    for (int c = 0; c < visible; ++c)
        FFixedRows = std::max(FFixedRows, table.VisibleColumn(c).HeaderLineCount());

    const QSignalBlocker block(Grid);
    const bool silent = Grid->FSilent;
    Grid->FSilent = true;
    const int current = Grid->currentRow();
    Grid->setRowCount(rows);
    Grid->setColumnCount(visible);
    Grid->FSilent = silent;
    QStringList groups;
    for (int r = 0; r < rows; ++r)
        groups << QString::number(r / table.RowGroup() + 1);
    Grid->setVerticalHeaderLabels(groups);
    const int ppi = PixelsPerInch();
    const QFontMetrics metrics = Grid->fontMetrics();
    for (int c = 0; c < visible; ++c) {
        const TColumn& column = table.VisibleColumn(c);
        Grid->horizontalHeader()->resizeSection(c, column.GetWidth(metrics, ppi) + 1);
        QStringList lines;
        for (int i = 0; i < FFixedRows; ++i)
            lines << (i < column.HeaderLineCount() ? QString::fromStdString(column.GetHeaderLine(i))
                                                   : QString());
        auto* header = Grid->horizontalHeaderItem(c);
        if (!header) {
            header = new QTableWidgetItem;
            Grid->setHorizontalHeaderItem(c, header);
        }
        header->setText(lines.join(QLatin1Char('\n')));
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
        for (int r = 0; r < rows; ++r) {
            if (column.UsesControls()) {
                if (!Grid->item(r, c)) {
                    auto* item = new QTableWidgetItem;
                    item->setFlags(Qt::ItemIsEnabled);
                    Grid->setItem(r, c, item);
                }
            } else {
                RewriteCell(c, r);
            }
        }
    }
    Grid->horizontalHeader()->setFixedHeight(std::max(1, FFixedRows) * RowHeight);
    if (current >= rows && rows > 0)
        Grid->SetCurrentSilently(rows - 1, std::max(0, Grid->currentColumn()));

    const bool rowButtons = table.MinRows() != table.MaxRows();
    BtnAdd->setVisible(rowButtons);
    BtnIns->setVisible(rowButtons);
    BtnDel->setVisible(rowButtons);
    BtnAdd->setEnabled(rows != table.MaxRows());
    BtnIns->setEnabled(rows != table.MaxRows());
    BtnDel->setEnabled(table.MinRows() < rows);
    const QString comments = QString::fromStdString(table.Comments());
    lblComments->setText(MsgDisplayText(comments)); // "\r" marks a line break, as in messages
    lblComments->setVisible(!comments.isEmpty());
    Layout();
    AfterRefresh();
}

int TTableForm::ColumnPixelWidth(int visibleColumn) const {
    return Grid->horizontalHeader()->sectionSize(visibleColumn);
}

int TTableForm::GridWidthFor(int firstColumn, int columns, bool vbar) const {
    int width = 2 * Grid->frameWidth() + Grid->verticalHeader()->width();
    const int count = Grid->columnCount();
    for (int c = firstColumn; c < firstColumn + columns && c < count; ++c)
        width += ColumnPixelWidth(c);
    if (vbar)
        width += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Grid);
    return width;
}

int TTableForm::GridHeightFor(int rows, bool hbar) const {
    int height = 2 * Grid->frameWidth() + std::max(1, FFixedRows) * RowHeight + rows * RowHeight;
    if (hbar)
        height += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Grid);
    return height;
}

// Places everything below a grid of the given size and returns the client size.
QSize TTableForm::ClientSizeFor(int gridWidth, int gridHeight) {
    const int m = Margin();
    const QPoint gridPos(m, GridTop());
    int right = gridPos.x() + gridWidth;
    int top = gridPos.y() + gridHeight + m;
    int x = m;
    const bool buttons = FTable && FTable->MinRows() != FTable->MaxRows();
    int buttonHeight = 0;
    for (QPushButton* b : {BtnAdd, BtnIns, BtnDel}) {
        const QSize hint = b->sizeHint();
        b->setGeometry(x, top, hint.width(), hint.height());
        x += hint.width() + m;
        buttonHeight = std::max(buttonHeight, hint.height());
    }
    right = std::max(right, BtnDel->geometry().right() + 1);
    if (buttons)
        top += buttonHeight + m;
    top = LayoutBelowButtons(top, right);
    const QSize labelSize = lblComments->sizeHint();
    lblComments->setGeometry(m, top, labelSize.width(), labelSize.height());
    if (!lblComments->text().isEmpty()) {
        top += labelSize.height() + m;
        right = std::max(right, lblComments->geometry().right() + 1);
    }
    const QSize imageSize = imgHelp->pixmap().isNull() ? QSize(0, 0) : imgHelp->pixmap().size();
    imgHelp->setGeometry(m, top, imageSize.width(), imageSize.height());
    imgHelp->setVisible(imageSize.height() > 0);
    if (imageSize.height() > 0) {
        top += imageSize.height() + m;
        right = std::max(right, imgHelp->geometry().right() + 1);
    }
    return QSize(right + m, top);
}

void TTableForm::Layout() {
    if (!FTable || FLayingOut)
        return;
    FLayingOut = true;
    const int rows = FTable->RowCount();
    const int columns = FTable->VisibleColumnCount();
    const bool vbar = FRowsShown < rows;
    const bool hbar = FColsShown < columns;
    Grid->setVerticalScrollBarPolicy(vbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    Grid->setHorizontalScrollBarPolicy(hbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int first = hbar ? FirstShownColumn() : 0;
    const int width = GridWidthFor(first, FColsShown, vbar);
    const int height = GridHeightFor(FRowsShown, hbar);
    Grid->setGeometry(Margin(), GridTop(), width, height);
    Grid->UpdateScrollRanges();
    if (auto* corner = Grid->findChild<QLabel*>(QStringLiteral("TopLeft")))
        corner->setGeometry(Grid->frameWidth(), Grid->frameWidth(), Grid->verticalHeader()->width(),
                            Grid->horizontalHeader()->height());
    const QSize client = ClientSizeFor(width, height);
    PlaceControls();
    FLayingOut = false;
    if (client != FClientSize) {
        if (FHoldSize)
            FClientSize = client; // the snapping applies it, keeping the right edges in place
        else
            ApplyClientSize(client, {});
    }
    if (FTable && FTable->OnResize)
        FTable->OnResize(*FTable);
}

void TTableForm::ApplyClientSize(const QSize& size, Qt::Edges anchor) {
    FClientSize = size;
    updateGeometry();
    ++FInternalResize;
    QWidget* container = Container();
    if (container != this) {
        auto* sub = static_cast<QMdiSubWindow*>(container);
        QRect g = sub->geometry();
        const QSize frame = sub->isVisible() ? sub->size() - this->size() : QSize();
        const QSize wanted = frame.isValid() ? size + frame : sub->sizeHint();
        if (anchor & Qt::LeftEdge)
            g.setLeft(g.right() + 1 - wanted.width());
        if (anchor & Qt::TopEdge)
            g.setTop(g.bottom() + 1 - wanted.height());
        g.setSize(wanted);
        sub->setGeometry(g);
        FLastContainerGeometry = sub->geometry();
    } else {
        QRect g = geometry();
        if (anchor & Qt::LeftEdge)
            g.setLeft(g.right() + 1 - size.width());
        if (anchor & Qt::TopEdge)
            g.setTop(g.bottom() + 1 - size.height());
        g.setSize(size);
        if (isWindow() && isVisible())
            setGeometry(g);
        else
            resize(size);
        FLastContainerGeometry = geometry();
    }
    --FInternalResize;
}

// ---------------------------------------------------------------- row controls

void TTableForm::AllocateControls(int topRow, int count) {
    if (!FTable)
        return;
    count = std::max(0, std::min(count, FTable->RowCount() - topRow));
    // Columns that no longer use controls (or vanished) give theirs up.
    std::vector<TControlSet> sets;
    for (int c = 0; c < FTable->VisibleColumnCount(); ++c) {
        if (!FTable->VisibleColumn(c).UsesControls())
            continue;
        TControlSet set;
        set.VisibleColumn = c;
        for (TControlSet& old : FControlSets)
            if (old.VisibleColumn == c) {
                set.Controls = std::move(old.Controls);
                old.Controls.clear();
            }
        sets.push_back(std::move(set));
    }
    for (TControlSet& old : FControlSets)
        for (QPointer<QWidget>& control : old.Controls)
            if (control) {
                control->hide();
                control->deleteLater();
            }
    FControlSets = std::move(sets);

    for (TControlSet& set : FControlSets) {
        TColumn& column = FTable->VisibleColumn(set.VisibleColumn);
        auto* enumColumn = dynamic_cast<TEnumColumn*>(&column);
        while (static_cast<int>(set.Controls.size()) > count) {
            if (QWidget* control = set.Controls.back()) {
                control->hide();
                control->deleteLater();
            }
            set.Controls.pop_back();
        }
        while (static_cast<int>(set.Controls.size()) < count) {
            QWidget* control = nullptr;
            if (enumColumn) {
                auto* combo = new QComboBox(Grid->viewport());
                combo->setMaxVisibleItems(11);
                combo->setObjectName(QStringLiteral("RowList"));
                for (const std::string& item : enumColumn->Items())
                    combo->addItem(QString::fromStdString(item));
                connect(combo, &QComboBox::activated, this,
                        [this, combo](int index) { ComboActivated(combo, index); });
                control = combo;
            } else {
                auto* button = new QPushButton(Grid->viewport());
                button->setObjectName(QStringLiteral("RowButton"));
                button->setAutoDefault(false);
                connect(button, &QPushButton::clicked, this, [this, button] { TableButtonClicked(button); });
                control = button;
            }
            control->hide();
            control->installEventFilter(this);
            set.Controls.emplace_back(control);
        }
        for (int i = 0; i < count; ++i)
            if (QWidget* control = set.Controls[static_cast<std::size_t>(i)])
                UpdateControl(set, control, topRow + i);
    }
}

void TTableForm::UpdateControl(const TControlSet& set, QWidget* control, int row) {
    if (!FTable)
        return;
    control->setProperty(RowProperty, row);
    TColumn& column = FTable->VisibleColumn(set.VisibleColumn);
    if (row < 0 || row >= column.RowCount())
        return;
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        auto* enumColumn = static_cast<TEnumColumn*>(&column);
        const QSignalBlocker block(combo);
        if (combo->count() != static_cast<int>(enumColumn->Items().size())) {
            combo->clear();
            for (const std::string& item : enumColumn->Items())
                combo->addItem(QString::fromStdString(item));
        }
        combo->setCurrentIndex(enumColumn->ItemIndex(row));
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        if (auto* tableColumn = dynamic_cast<TTableColumn*>(&column))
            button->setText(QString::fromStdString(tableColumn->ButtonCaption(row)));
    }
}

void TTableForm::FreeControls() {
    for (TControlSet& set : FControlSets)
        for (QPointer<QWidget>& control : set.Controls)
            if (control) {
                control->hide();
                control->deleteLater();
            }
    FControlSets.clear();
}

void TTableForm::PlaceControls() {
    if (!FTable || FControlSets.empty())
        return;
    const int top = FirstShownRow();
    AllocateControls(top, FRowsShown);
    const int firstColumn = FirstShownColumn();
    const bool hbar = FColsShown < FTable->VisibleColumnCount();
    for (const TControlSet& set : FControlSets) {
        const bool inView =
            !hbar || (set.VisibleColumn >= firstColumn && set.VisibleColumn < firstColumn + FColsShown);
        for (const QPointer<QWidget>& control : set.Controls) {
            if (!control)
                continue;
            const int row = control->property(RowProperty).toInt();
            if (!inView || row >= Grid->rowCount()) {
                control->hide();
                continue;
            }
            const QRect cell = Grid->visualRect(Grid->model()->index(row, set.VisibleColumn));
            control->setGeometry(cell.adjusted(0, 0, -1, -1));
            control->show();
            control->raise();
        }
    }
}

QWidget* TTableForm::RowControl(int visibleColumn, int row) const {
    for (const TControlSet& set : FControlSets)
        if (set.VisibleColumn == visibleColumn)
            for (const QPointer<QWidget>& control : set.Controls)
                if (control && control->property(RowProperty).toInt() == row)
                    return control;
    return nullptr;
}

QWidget* TTableForm::ControlAt(QWidget* widget) const {
    for (const TControlSet& set : FControlSets)
        for (const QPointer<QWidget>& c : set.Controls)
            if (c && (c == widget || c->isAncestorOf(widget)))
                return c;
    return nullptr;
}

int TTableForm::ControlRow(QWidget* control, int* visibleColumn) const {
    for (const TControlSet& set : FControlSets)
        for (const QPointer<QWidget>& c : set.Controls)
            if (c && (c == control || c->isAncestorOf(control))) {
                if (visibleColumn)
                    *visibleColumn = set.VisibleColumn;
                return c->property(RowProperty).toInt();
            }
    return -1;
}

void TTableForm::ComboActivated(QWidget* combo, int index) {
    int visibleColumn = 0;
    const int row = ControlRow(combo, &visibleColumn);
    if (!FTable)
        return;
    if (row < 0 || index < 0)
        return; // a list that no longer shows a row
    Guarded([&] {
        TColumn& column = FTable->VisibleColumn(visibleColumn);
        if (column.GetInt(row) == index + 1)
            return;
        FTable->SetChanged(true);
        column.SetInt(row, index + 1);
    });
}

void TTableForm::Guarded(const std::function<void()>& action) {
    // Our handlers run inside Qt's event dispatch, which must never see an exception: an error
    // of the table is reported like any other instead of ending the program.
    try {
        action();
    } catch (const std::exception& e) {
        FInMessage = true;
        MsgError(this, QString::fromStdString(e.what()));
        FInMessage = false;
    }
}

void TTableForm::TableButtonClicked(QWidget* button) {
    int visibleColumn = 0;
    const int row = ControlRow(button, &visibleColumn);
    if (!FTable || row < 0)
        return;
    Guarded([&] {
        if (auto* column = dynamic_cast<TTableColumn*>(&FTable->VisibleColumn(visibleColumn)))
            column->ButtonClick(row, FModal);
    });
}

void TTableForm::SetCurrentCell(int column, int row) {
    if (!FTable || column < 0 || column >= FTable->ColumnCount())
        return;
    const int visible = FTable->VisibleIndexOf(&FTable->Column(column));
    if (visible >= 0 && row >= 0 && row < Grid->rowCount())
        Grid->SetCurrentSilently(row, visible);
}

void TTableForm::ControlEntered(QWidget* control) {
    int visibleColumn = 0;
    const int row = ControlRow(control, &visibleColumn);
    if (row < 0 || !FTable)
        return;
    // The pending entry of the cell being left is committed first, as when leaving the grid. A
    // rejected entry keeps the user on the bad cell: the press that left the grid does not go on
    // to open a sub-table or a list.
    if (!CommitCurrentCell()) {
        FExitTarget = ControlAt(control); // its press is swallowed (see eventFilter)
        FExitTime.start();
        FocusGrid();
        return;
    }
    FTable->VisibleColumn(visibleColumn).FocusCell(row);
}

// ---------------------------------------------------------------- committing

void TTableForm::ReportRejected(int row, int column, const QString& text, const QString& message) {
    // One user action can reach several commit paths at once (activating another child window
    // leaves the grid and deactivates this window): the same rejected entry is reported once.
    if (FReportedThisTurn && row == FBadRow && column == FBadColumn && text == FBadText)
        return;
    FBadRow = row;
    FBadColumn = column;
    FBadText = text;
    const bool wasActive = window()->isActiveWindow();
    FInMessage = true;
    MsgInformation(this, message);
    FInMessage = false;
    FReportedThisTurn = true;
    // Back to the bad cell. A closing box hands the activation back through queued events (or,
    // without a window manager, not at all), so the window is reactivated when nothing else is.
    if (wasActive && window()->isVisible() && !QApplication::activeWindow())
        window()->activateWindow();
    FocusGrid();
    QTimer::singleShot(0, this, [this] { FReportedThisTurn = false; });
}

void TTableForm::FocusGrid() {
    if (QWidget* editor = Grid->CellEditor())
        editor->setFocus(Qt::OtherFocusReason);
    else
        Grid->setFocus(Qt::OtherFocusReason);
}

bool TTableForm::ClickFollowsRejectedExit() {
    // Pressing a button of this window left the grid with a rejected entry: that was reported and
    // the focus went back to the grid. The click that completes the press does nothing more.
    QObject* button = sender();
    const bool follows = button && button == FExitTarget && FExitTime.isValid() && FExitTime.elapsed() < 3000;
    FExitTarget = nullptr;
    return follows;
}

bool TTableForm::CommitCell(int row, int column) {
    if (!FTable || row < 0 || row >= FTable->RowCount() || column < 0 ||
        column >= FTable->VisibleColumnCount())
        return true;
    FTable->SetChanged(true);
    TColumn& target = FTable->VisibleColumn(column);
    if (target.UsesControls())
        return true;
    const QTableWidgetItem* item = Grid->item(row, column);
    const QString text = item ? item->text() : QString();
    try {
        target.SetText(row, text.toStdString());
    } catch (const EAssignError& e) {
        ReportRejected(row, column, text, QString::fromStdString(e.what()));
        return false;
    } catch (const std::exception& e) {
        // Anything else (an arithmetic fault of the evaluator, an internal error) is reported as an
        // error; the entry is not taken and the user stays on the cell, as for a rejected entry.
        FInMessage = true;
        MsgError(this, QString::fromStdString(e.what()));
        FInMessage = false;
        return false;
    }
    FBadRow = -1;
    return true;
}

bool TTableForm::CommitCurrentCell() {
    if (!FTable)
        return true;
    Grid->CommitEditorText();
    return CommitCell(Grid->currentRow(), Grid->currentColumn());
}

bool TTableForm::GridSelectCell(int fromRow, int fromColumn, int toRow, int toColumn) {
    if (!FTable)
        return true;
    BeforeSelectCell();
    if (!CommitCell(fromRow, fromColumn))
        return false;
    if (toColumn < FTable->VisibleColumnCount() && FTable->VisibleColumn(toColumn).UsesControls())
        return false;
    (void)toRow;
    RewriteAllCells(); // an expression shows as its value at once
    return true;
}

void TTableForm::GridEnter() {
    if (!FTable || FTable->RowCount() == 0)
        return;
    const int rows = FTable->RowCount();
    const int columns = FTable->VisibleColumnCount();
    int row = Grid->currentRow();
    int column = Grid->currentColumn();
    if (columns == 0 || row < 0 || column < 0 || column >= columns)
        return;
    if (row + 1 < rows) {
        ++row;
    } else {
        // The next column that takes typed entries; after the last one, back to the first.
        row = 0;
        do {
            column = column + 1 < columns ? column + 1 : 0;
        } while (FTable->VisibleColumn(column).UsesControls() && column != Grid->currentColumn());
    }
    Grid->setCurrentCell(row, column);
}

void TTableForm::FocusChanged(QWidget* old, QWidget* now) {
    if (!FTable || FInMessage || FClosing || !now)
        return;
    auto inGrid = [this](QWidget* w) { return w && (w == Grid || Grid->isAncestorOf(w)); };
    if (ControlRow(now) >= 0) {
        ControlEntered(now);
        return;
    }
    if (inGrid(old) && ControlRow(old) < 0 && !inGrid(now))
        GridExit();
}

void TTableForm::GridExit() {
    if (!FTable || FModal)
        return;
    QWidget* target = QApplication::focusWidget();
    if (!CommitCurrentCell()) {
        FExitTarget = target;
        FExitTime.start();
        FocusGrid();
    }
}

void TTableForm::FormDeactivate() {
    if (!FTable || FModal || FClosing || FInMessage)
        return;
    if (!CommitCurrentCell()) {
        // After the activation change has run its course; inside it, the platform would undo it.
        QTimer::singleShot(0, this, [this] {
            if (!FTable || FClosing)
                return;
            BringToFront();
            FocusGrid();
        });
    }
}

void TTableForm::closeEvent(QCloseEvent* event) {
    if (FTable && !FClosing) {
        if (!CommitCurrentCell()) {
            event->ignore();
            FocusGrid();
            return;
        }
    }
    FClosing = true;
    Detach();
    emit Closed();
    QWidget::closeEvent(event);
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

// ---------------------------------------------------------------- row buttons

void TTableForm::GrowRowsShown() {
    if (FRowsShown == FTable->RowCount())
        FRowsShown = std::min(FTable->RowCount() + FTable->RowGroup(), RowsShownLimit());
}

void TTableForm::ScrollToRow(int row) {
    if (row >= FirstShownRow() + FRowsShown)
        Grid->verticalScrollBar()->setValue(row - FRowsShown + 1);
}

bool TTableForm::CheckRowButton() {
    const int row = Grid->currentRow();
    if (row < 0 || row >= FTable->RowCount()) {
        MsgError(this, QStringLiteral("Grid.Row not in valid range"));
        return false;
    }
    return true;
}

void TTableForm::BtnAddClick() {
    if (!FTable || ClickFollowsRejectedExit() || !CommitCurrentCell())
        return;
    FSuspendRows = true;
    GrowRowsShown();
    Guarded([this] {
        FTable->AddGroup();
        FTable->SetChanged(true);
    });
    FSuspendRows = false;
    Refresh();
    ScrollToRow(FTable->RowCount() - 1);
}

void TTableForm::BtnInsClick() {
    if (!FTable || ClickFollowsRejectedExit() || !CheckRowButton() || !CommitCurrentCell())
        return;
    FTable->SetChanged(true);
    GrowRowsShown();
    Guarded([this] { FTable->InsertGroup(Grid->currentRow()); });
    AfterRowButton();
}

void TTableForm::BtnDelClick() {
    if (!FTable || ClickFollowsRejectedExit() || !CheckRowButton() || !CommitCurrentCell())
        return;
    FTable->SetChanged(true);
    Guarded([this] { FTable->DeleteGroup(Grid->currentRow()); });
    AfterRowButton();
}

// ---------------------------------------------------------------- drag-resize snapping

void TTableForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (FInternalResize || !FTable || !isVisible() || event->size() == FClientSize)
        return;
    if (!isWindow() && !qobject_cast<QMdiSubWindow*>(parentWidget()))
        return; // embedded: the owner decides the size
    const QRect now = Container()->geometry();
    if (FLastContainerGeometry.isValid()) {
        if (now.left() != FLastContainerGeometry.left())
            FDragged |= Qt::LeftEdge;
        if (now.top() != FLastContainerGeometry.top())
            FDragged |= Qt::TopEdge;
        if (now.right() != FLastContainerGeometry.right() && now.left() == FLastContainerGeometry.left())
            FDragged |= Qt::RightEdge;
        if (now.bottom() != FLastContainerGeometry.bottom() && now.top() == FLastContainerGeometry.top())
            FDragged |= Qt::BottomEdge;
    }
    FProposed = event->size();
    FSnapTimer.start();
}

void TTableForm::SnapTimeout() {
    if (!FTable)
        return;
    Qt::Edges dragged = FDragged ? FDragged : Qt::Edges(Qt::RightEdge | Qt::BottomEdge);
    FDragged = {};
    const QSize size = SnapClientSize(FProposed, dragged);
    Qt::Edges anchor;
    if ((dragged & Qt::LeftEdge) && !(dragged & Qt::RightEdge))
        anchor |= Qt::LeftEdge;
    if ((dragged & Qt::TopEdge) && !(dragged & Qt::BottomEdge))
        anchor |= Qt::TopEdge;
    ApplyClientSize(size, anchor);
}

QSize TTableForm::SnapClientSize(const QSize& proposed, Qt::Edges dragged) {
    if (!FTable || Grid->columnCount() < 1)
        return FClientSize; // nothing to snap to (the grid needs a data column)
    const int columns = FTable->VisibleColumnCount();
    const int rows = FTable->RowCount();
    const bool horizontalDrag = dragged & (Qt::LeftEdge | Qt::RightEdge);
    const bool verticalDrag = dragged & (Qt::TopEdge | Qt::BottomEdge);
    const int buttonRowWidth = BtnDel->geometry().right() + 1 + Margin();

    struct TCandidate {
        int FirstColumn, Columns, FirstRow, Rows;
        bool V, H;
        QSize Size;
    };
    auto sizeOf = [&](int firstColumn, int cols, int nrows, bool v, bool h) {
        return ClientSizeFor(GridWidthFor(firstColumn, cols, v), GridHeightFor(nrows, h));
    };
    auto makeCandidate = [&](bool v, bool h) {
        TCandidate c{0, columns, 0, rows, v, h, {}};
        if (h) {
            if (!horizontalDrag) {
                c.FirstColumn = FirstShownColumn();
                c.Columns = FColsShown;
            } else {
                c.FirstColumn = std::min(FirstShownColumn(), std::max(0, columns - 1));
                c.Columns = 1;
                auto width = [&](int first, int n) { return sizeOf(first, n, 1, v, h).width(); };
                while (c.FirstColumn + c.Columns < columns &&
                       (width(c.FirstColumn, c.Columns) < buttonRowWidth ||
                        width(c.FirstColumn, c.Columns + 1) <= proposed.width()))
                    ++c.Columns;
                while (c.FirstColumn > 0 && width(c.FirstColumn - 1, c.Columns + 1) <= proposed.width()) {
                    --c.FirstColumn;
                    ++c.Columns;
                }
            }
        }
        if (v) {
            if (!verticalDrag) {
                c.FirstRow = FirstShownRow();
                c.Rows = FRowsShown;
            } else {
                c.FirstRow = FirstShownRow();
                c.Rows = std::min(1, rows);
                while (c.Rows < rows &&
                       sizeOf(c.FirstColumn, c.Columns, c.Rows + 1, v, h).height() <= proposed.height())
                    ++c.Rows;
                if (c.FirstRow + c.Rows > rows)
                    c.FirstRow = std::max(0, rows - c.Rows);
            }
        }
        c.Size = sizeOf(c.FirstColumn, c.Columns, c.Rows, v, h);
        c.Size.setWidth(std::max(c.Size.width(), buttonRowWidth));
        return c;
    };
    auto excess = [&](const QSize& s) -> qint64 {
        const qint64 pw = proposed.width(), ph = proposed.height(), w = s.width(), h = s.height();
        if (w <= pw && h <= ph)
            return 0;
        if (w <= pw)
            return pw * (h - ph);
        if (h <= ph)
            return ph * (w - pw);
        return w * h - pw * ph;
    };
    const TCandidate candidates[4] = {makeCandidate(false, false), makeCandidate(true, false),
                                      makeCandidate(false, true), makeCandidate(true, true)};
    const TCandidate* best = &candidates[0];
    for (const TCandidate& c : candidates)
        if (excess(c.Size) < excess(best->Size))
            best = &c;
    FColsShown = best->Columns;
    FRowsShown = best->Rows;
    const bool held = FHoldSize;
    FHoldSize = true;
    Layout(); // scroll bar policies first, so the scroll ranges allow the first row and column
    Grid->horizontalScrollBar()->setValue(best->FirstColumn);
    Grid->verticalScrollBar()->setValue(best->FirstRow);
    Layout();
    FHoldSize = held;
    return FClientSize;
}
