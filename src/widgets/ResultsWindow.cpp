#include "widgets/ResultsWindow.h"
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

namespace {
QString Factor(const std::optional<double>& v) {
    return v ? QString::number(*v, 'f', 3) : QStringLiteral("–");
}

QTableWidget* MakeTable(const QStringList& header, QWidget* parent) {
    auto* t = new QTableWidget(0, static_cast<int>(header.size()), parent);
    t->setHorizontalHeaderLabels(header);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void SetRow(QTableWidget* t, int row, const QStringList& cells) {
    for (int k = 0; k < cells.size(); ++k)
        t->setItem(row, k, new QTableWidgetItem(cells[k]));
}

const char* const ChartNames[] = {"Effective normal stress", "Shear strength and mobilised shear",
                                  "Pore pressure", "Interslice forces", "Line of thrust"};
} // namespace

TResultsWindow* TResultsWindow::Find(QMdiArea* area) {
    if (!area)
        return nullptr;
    for (QMdiSubWindow* sub : area->subWindowList())
        if (auto* w = qobject_cast<TResultsWindow*>(sub->widget()))
            return w;
    return nullptr;
}

TResultsWindow* TResultsWindow::ShowResults(QMdiArea* area, const QString& resultsPath,
                                            const QString& notesPath) {
    TResultsWindow* w = Find(area);
    if (!w) {
        w = new TResultsWindow;
        QMdiSubWindow* sub = area->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->resize(900, 600);
    }
    w->Load(resultsPath, notesPath);
    w->parentWidget()->show();
    area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
    return w;
}

QLabel* MakeOutdatedNote(const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setObjectName(QStringLiteral("OutdatedNote"));
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral(
        "QLabel { color: #7a1f00; background: #fff1d6; border: 1px solid #d9822b; padding: 4px; }"));
    note->setVisible(false);
    return note;
}

TResultsWindow::TResultsWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ResultsWindow"));
    setWindowTitle(QStringLiteral("Results"));
    auto* layout = new QVBoxLayout(this);
    FHeadline = new QLabel(this);
    QFont big = FHeadline->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    FHeadline->setFont(big);
    FHeadline->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(FHeadline);
    FOutdated = MakeOutdatedNote(QStringLiteral("These results may not be the model's as it is now: it has "
                                                "been changed or saved since this analysis. Run the analysis "
                                                "again (Computation > Run Analysis) before relying on them."),
                                 this);
    layout->addWidget(FOutdated);
    FTabs = new QTabWidget(this);
    layout->addWidget(FTabs);

    // Summary: methods and surfaces beside each other, the details below.
    auto* summary = new QWidget(FTabs);
    auto* sl = new QVBoxLayout(summary);
    auto* split = new QSplitter(Qt::Horizontal, summary);
    FMethods = MakeTable({"Method", "Factor of safety", "Convergence"}, split);
    FMethods->setObjectName(QStringLiteral("MethodTable"));
    FSurfaces = MakeTable({"Rank", "Factor of safety", "From (x, y)", "To (x, y)"}, split);
    FSurfaces->setObjectName(QStringLiteral("SurfaceTable"));
    FSurfaces->setSelectionMode(QAbstractItemView::SingleSelection);
    FSurfaces->setToolTip(QStringLiteral("Choose a surface to show it in the graph window"));
    connect(FSurfaces, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (row >= 0)
            emit SurfaceChosen(row);
    });
    sl->addWidget(split, 1);
    FDetails = new QTextBrowser(summary);
    FDetails->setObjectName(QStringLiteral("ResultDetails"));
    sl->addWidget(FDetails, 1);
    FTabs->addTab(summary, QStringLiteral("Summary"));

    // Slices: the table and its commands.
    auto* slices = new QWidget(FTabs);
    auto* vl = new QVBoxLayout(slices);
    auto* buttons = new QHBoxLayout;
    auto* copy = new QPushButton(QStringLiteral("&Copy"), slices);
    auto* csv = new QPushButton(QStringLiteral("Export &CSV..."), slices);
    connect(copy, &QPushButton::clicked, this, &TResultsWindow::CopySlices);
    connect(csv, &QPushButton::clicked, this, &TResultsWindow::ExportCsvClick);
    buttons->addWidget(copy);
    buttons->addWidget(csv);
    buttons->addStretch(1);
    vl->addLayout(buttons);
    FSliceModel = new QStandardItemModel(this);
    FSliceModel->setSortRole(Qt::UserRole);
    FSliceTable = new QTableView(slices);
    FSliceTable->setObjectName(QStringLiteral("SliceTable"));
    FSliceTable->setModel(FSliceModel);
    FSliceTable->setSortingEnabled(true);
    FSliceTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FSliceTable->verticalHeader()->hide();
    vl->addWidget(FSliceTable);
    FTabs->addTab(slices, QStringLiteral("Slices"));

    // Charts along the surface.
    auto* charts = new QWidget(FTabs);
    auto* cl = new QVBoxLayout(charts);
    FChartChoice = new QComboBox(charts);
    for (const char* name : ChartNames)
        FChartChoice->addItem(QString::fromUtf8(name));
    cl->addWidget(FChartChoice);
    FChart = new QChartView(charts);
    FChart->setRenderHint(QPainter::Antialiasing);
    cl->addWidget(FChart, 1);
    connect(FChartChoice, &QComboBox::currentIndexChanged, this, &TResultsWindow::ShowChart);
    FTabs->addTab(charts, QStringLiteral("Charts"));

    // Convergence: how the minimum fell as surfaces were added, as a table and a chart.
    auto* convergence = new QWidget(FTabs);
    auto* gl = new QVBoxLayout(convergence);
    FConvergenceNote = new QLabel(convergence);
    FConvergenceNote->setObjectName(QStringLiteral("ConvergenceNote"));
    FConvergenceNote->setWordWrap(true);
    FConvergenceNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    gl->addWidget(FConvergenceNote);
    FConvergence = MakeTable(
        {"Share of surfaces", "Surfaces evaluated", "Best generated", "After optimisation"}, convergence);
    FConvergence->setObjectName(QStringLiteral("ConvergenceTable"));
    FConvergence->setSelectionBehavior(QAbstractItemView::SelectItems);
    FConvergence->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    FConvergence->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gl->addWidget(FConvergence);
    FConvergenceChart = new QChartView(convergence);
    FConvergenceChart->setObjectName(QStringLiteral("ConvergenceChart"));
    FConvergenceChart->setRenderHint(QPainter::Antialiasing);
    gl->addWidget(FConvergenceChart, 1);
    FTabs->addTab(convergence, QStringLiteral("Convergence"));
}

bool TResultsWindow::Load(const QString& resultsPath, const QString& notesPath) {
    FPath = resultsPath;
    QFile notes(notesPath);
    FNotes = !notesPath.isEmpty() && notes.open(QIODevice::ReadOnly) ? QString::fromUtf8(notes.readAll())
                                                                     : QString();
    QString error;
    const bool ok = ReadResultsFile(resultsPath, FResults, error);
    setWindowTitle("Results - " + QFileInfo(resultsPath).completeBaseName());
    Fill();
    if (!ok)
        FHeadline->setText(error);
    return ok;
}

void TResultsWindow::SetOutdated(bool outdated) {
    FOutdated->setVisible(outdated);
}

bool TResultsWindow::IsOutdated() const {
    return !FOutdated->isHidden();
}

void TResultsWindow::Fill() {
    const TResults& r = FResults;
    FHeadline->setText(r.HasCritical
                           ? "Factor of safety " + Factor(r.FS) + " (" + MethodTitle(r.CriticalMethod) + ")"
                           : QStringLiteral("No critical surface"));
    FMethods->setRowCount(static_cast<int>(r.Methods.size()));
    for (int i = 0; i < r.Methods.size(); ++i)
        SetRow(FMethods, i, {r.Methods[i].Name, Factor(r.Methods[i].FS), r.Methods[i].Convergence});
    FMethods->resizeColumnsToContents();

    FSurfaces->blockSignals(true);
    FSurfaces->setRowCount(0);
    for (int i = 0; i < r.Ten.size(); ++i) {
        const TRankedSurface& t = r.Ten[i];
        if (t.Points.isEmpty())
            break;
        FSurfaces->insertRow(i);
        const auto at = [](const QPointF& p) {
            return "(" + QString::number(p.x(), 'f', 2) + ", " + QString::number(p.y(), 'f', 2) + ")";
        };
        SetRow(FSurfaces, i,
               {QString::number(i + 1), Factor(t.FS), at(t.Points.first()), at(t.Points.last())});
    }
    FSurfaces->resizeColumnsToContents();
    FSurfaces->blockSignals(false);

    QString html = "<h3>Search</h3><table>";
    const auto row = [&html](const QString& k, const QString& v) {
        html +=
            "<tr><td>" + k.toHtmlEscaped() + "</td><td align=\"right\">" + v.toHtmlEscaped() + "</td></tr>";
    };
    row("Surfaces generated", QString::number(r.Generated));
    row("Surfaces analysed", QString::number(r.Analysed));
    for (const auto& [reason, n] : r.Rejected)
        row("Rejected: " + reason, QString::number(n));
    if (r.GeneratedBestFS)
        row("Minimum of the generated surfaces", Factor(r.GeneratedBestFS));
    if (r.RefinedBestFS)
        row("Minimum after refinement",
            Factor(r.RefinedBestFS) + " (" + QString::number(r.RefinementEvaluations) + " evaluations)");
    row("Seed", QString::number(r.Seed));
    row("Time", QString::number(r.ElapsedSeconds, 'f', 2) + " s");
    html += "</table><h3>Warnings</h3>";
    if (r.Warnings.isEmpty() && r.Errors.isEmpty())
        html += "<p>None.</p>";
    html += "<ul>";
    for (const QString& e : r.Errors)
        html += "<li><b>" + e.toHtmlEscaped() + "</b></li>";
    for (const QString& w : r.Warnings) {
        const QString remedy = RemedyFor(FNotes, w.section(' ', 0, 0));
        html += "<li>" + w.toHtmlEscaped() +
                (remedy.isEmpty() ? QString() : "<br><i>Remedy: " + remedy.toHtmlEscaped() + "</i>") +
                "</li>";
    }
    FDetails->setHtml(html + "</ul>");

    const std::vector<TSliceColumn>& columns = SliceColumns();
    FSliceModel->clear();
    QStringList header = {"Slice"};
    for (const TSliceColumn& c : columns) {
        const QString unit = UnitLabel(c.Quantity, r.Units);
        header << QString::fromUtf8(c.Title) + (unit.isEmpty() ? QString() : "\n(" + unit + ")");
    }
    FSliceModel->setHorizontalHeaderLabels(header);
    for (std::size_t i = 0; i < r.Slices.size(); ++i) {
        QList<QStandardItem*> items;
        auto* number = new QStandardItem(QString::number(i + 1));
        number->setData(static_cast<double>(i + 1), Qt::UserRole);
        items << number;
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const double v = r.Slices[i][k];
            auto* item = new QStandardItem(
                std::isnan(v) ? QString()
                              : QString::number(v, 'f', qstrcmp(columns[k].Key, "soil") == 0 ? 0 : 3));
            item->setData(v, Qt::UserRole);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items << item;
        }
        FSliceModel->appendRow(items);
    }
    FSliceTable->resizeColumnsToContents();
    ShowChart(FChartChoice->currentIndex());
    FillConvergence();
}

void TResultsWindow::FillConvergence() {
    const QVector<TConvergenceStep>& steps = FResults.Convergence;
    FConvergence->setRowCount(static_cast<int>(steps.size()));
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Minimum factor of safety"));
    auto* generated = new QLineSeries;
    generated->setName(QStringLiteral("Best generated"));
    auto* optimised = new QLineSeries;
    optimised->setName(QStringLiteral("After optimisation"));
    for (int i = 0; i < steps.size(); ++i) {
        const TConvergenceStep& c = steps[i];
        SetRow(FConvergence, i,
               {QString::number(100 * c.Share, 'f', 0) + " %", QString::number(c.Surfaces),
                Factor(c.Generated), Factor(c.Optimised)});
        for (int k = 0; k < 4; ++k)
            FConvergence->item(i, k)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (c.Generated)
            generated->append(static_cast<double>(c.Surfaces), *c.Generated);
        if (c.Optimised)
            optimised->append(static_cast<double>(c.Surfaces), *c.Optimised);
    }
    FConvergence->resizeColumnsToContents();
    for (QLineSeries* s : {generated, optimised}) {
        s->setPointsVisible(true);
        chart->addSeries(s);
    }
    optimised->setPen(QPen(QColor(200, 0, 0), 2));
    chart->createDefaultAxes();
    const QList<QAbstractAxis*> horizontal = chart->axes(Qt::Horizontal),
                                vertical = chart->axes(Qt::Vertical);
    if (!horizontal.isEmpty()) {
        horizontal.first()->setTitleText(QStringLiteral("Surfaces evaluated"));
        if (auto* axis = qobject_cast<QValueAxis*>(horizontal.first())) {
            axis->setLabelFormat(QStringLiteral("%.0f"));
            axis->setMin(0);
        }
    }
    if (!vertical.isEmpty()) {
        vertical.first()->setTitleText(QStringLiteral("Factor of safety"));
        // A margin above and below, so that neither line runs along the frame.
        if (auto* axis = qobject_cast<QValueAxis*>(vertical.first())) {
            const double margin = std::max(0.05 * (axis->max() - axis->min()), 0.005);
            axis->setRange(axis->min() - margin, axis->max() + margin);
            axis->setLabelFormat(QStringLiteral("%.3f"));
        }
    }
    QChart* old = FConvergenceChart->chart();
    FConvergenceChart->setChart(chart);
    delete old;
    FConvergenceChart->setVisible(!steps.isEmpty());

    if (steps.isEmpty()) {
        FConvergenceNote->setText(QStringLiteral(
            "This results file holds no history of the minimum (it was written by an older version of the "
            "engine, or the run analysed a single surface)."));
        return;
    }
    QString note = "The minimum factor of safety after each share of the " +
                   QString::number(steps.last().Surfaces) +
                   " surfaces: the best generated surface, and the best after optimising the record "
                   "surfaces among them.";
    // The last half's improvement says whether the minimum has settled; the engine's verdict is its
    // warning W316.
    for (const TConvergenceStep& c : steps)
        if (c.Share == 0.5 && c.Optimised && steps.last().Optimised && *c.Optimised > 0) {
            const double drop = 100 * (*c.Optimised - *steps.last().Optimised) / *c.Optimised;
            note += " The second half of the surfaces lowered it by " + QString::number(drop, 'f', 2) + " %.";
        }
    for (const QString& w : FResults.Warnings)
        if (w.startsWith(QLatin1String("W316")))
            note += " The minimum has not settled: increase the number of surfaces (warning W316).";
    FConvergenceNote->setText(note);
}

void TResultsWindow::ShowChart(int index) {
    auto* chart = new QChart;
    chart->setTitle(QString::fromUtf8(ChartNames[std::clamp(index, 0, 4)]));
    const TResults& r = FResults;
    const auto column = [](const char* key) { return SliceColumnIndex(key); };
    const auto value = [&r](std::size_t i, int k) {
        return k < 0 ? NAN : r.Slices[i][static_cast<std::size_t>(k)];
    };
    const int xl = column("x_left"), xr = column("x_right"), len = column("base_length");
    const auto series = [&](const QString& name, auto y, bool atRight) {
        auto* s = new QLineSeries;
        s->setName(name);
        for (std::size_t i = 0; i < r.Slices.size(); ++i) {
            const double x = atRight ? value(i, xr) : 0.5 * (value(i, xl) + value(i, xr));
            const double v = y(i);
            if (std::isfinite(x) && std::isfinite(v))
                s->append(x, v);
        }
        chart->addSeries(s);
    };
    const auto stress = [&](const char* key) {
        const int k = column(key);
        return [&, k](std::size_t i) { return value(i, k) / value(i, len); };
    };
    const auto plain = [&](const char* key) {
        const int k = column(key);
        return [&, k](std::size_t i) { return value(i, k); };
    };
    const QString pressure = UnitLabel(TQuantity::Pressure, r.Units),
                  force = UnitLabel(TQuantity::Force, r.Units),
                  length = UnitLabel(TQuantity::Length, r.Units);
    QString unit = pressure;
    switch (index) {
    case 0:
        series("σ′ = N′ / l", stress("effective_normal"), false);
        break;
    case 1:
        series("Shear strength / l", stress("shear_strength"), false);
        series("Mobilised shear / l", stress("shear"), false);
        break;
    case 2:
        series("u", plain("u"), false);
        break;
    case 3:
        series("E (normal)", plain("e_right"), true);
        series("X (shear)", plain("xs_right"), true);
        unit = force;
        break;
    default:
        series("Ground", plain("y_top"), false);
        series("Surface", plain("y_base"), false);
        series("Line of thrust", plain("thrust_y"), true);
        unit = length;
        break;
    }
    chart->createDefaultAxes();
    const QList<QAbstractAxis*> horizontal = chart->axes(Qt::Horizontal),
                                vertical = chart->axes(Qt::Vertical);
    if (!horizontal.isEmpty())
        horizontal.first()->setTitleText("x (" + length + ")");
    if (!vertical.isEmpty())
        vertical.first()->setTitleText(unit);
    QChart* old = FChart->chart();
    FChart->setChart(chart);
    delete old;
}

void TResultsWindow::CopySlices() {
    QModelIndexList selected =
        FSliceTable->selectionModel() ? FSliceTable->selectionModel()->selectedIndexes() : QModelIndexList();
    int top = 0, bottom = FSliceModel->rowCount() - 1, left = 0, right = FSliceModel->columnCount() - 1;
    if (!selected.isEmpty()) {
        top = left = INT_MAX;
        bottom = right = -1;
        for (const QModelIndex& i : selected) {
            top = std::min(top, i.row());
            bottom = std::max(bottom, i.row());
            left = std::min(left, i.column());
            right = std::max(right, i.column());
        }
    }
    QString text;
    for (int c = left; c <= right; ++c)
        text += FSliceModel->headerData(c, Qt::Horizontal).toString().replace('\n', ' ') +
                (c < right ? "\t" : "\n");
    for (int row = top; row <= bottom; ++row)
        for (int c = left; c <= right; ++c) {
            const double v = FSliceModel->item(row, c)->data(Qt::UserRole).toDouble();
            text += (std::isnan(v) ? QString() : QString::number(v, 'g', 12)) + (c < right ? "\t" : "\n");
        }
    QApplication::clipboard()->setText(text);
}

void TResultsWindow::ExportCsvClick() {
    const QString suggested =
        QFileInfo(FPath).dir().filePath(QFileInfo(FPath).completeBaseName() + "-slices.csv");
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Export slices"), suggested,
                                                      QStringLiteral("CSV (*.csv)"));
    if (!file.isEmpty() && !ExportCsv(file))
        FHeadline->setText("Cannot write " + file);
}

bool TResultsWindow::ExportCsv(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(SlicesCsv(FResults).toUtf8()) >= 0 && file.flush();
}

void TResultsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) && FTabs->currentIndex() == 1) {
        CopySlices();
        return;
    }
    QWidget::keyPressEvent(event);
}
