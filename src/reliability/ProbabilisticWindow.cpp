#include "reliability/ProbabilisticWindow.h"
#include "reliability/ProbabilisticResultsWindow.h"
#include "reliability/ProbabilisticRun.h"
#include "widgets/MsgBox.h"
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const char* const Kinds[] = {"normal", "lognormal", "uniform", "triangular"};

// The distribution's numbers as the table shows them: "10, 2".
QString Parameters(const TRandomVariable& v) {
    QString s = QString::number(v.P1, 'g', 12) + ", " + QString::number(v.P2, 'g', 12);
    if (v.Kind == TDistributionKind::Triangular)
        s += ", " + QString::number(v.P3, 'g', 12);
    return s;
}
} // namespace

TProbabilisticWindow::TProbabilisticWindow(const TSlopeDescription& model,
                                           std::function<void(const TProbabilisticSetup&)> store,
                                           QWidget* parent)
    : QDialog(parent), Model(model), Store(std::move(store)) {
    setWindowTitle(tr("Probabilistic Analysis"));

    Table = new QTableWidget(0, 4);
    Table->setHorizontalHeaderLabels(
        {tr("Variable"), tr("Distribution"), tr("Parameters"), tr("Truncation")});
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setToolTip(
        tr("Variable: soilK.gamma, soilK.gamma_sat, soilK.c, soilK.phi, waterK.dy, kh or kv.\n"
           "Parameters: normal and lognormal: mean, standard deviation (of the variable itself); "
           "uniform: a, b; triangular: a, mode, b.\n"
           "Truncation: min, max (empty: none); values outside are drawn again."));
    auto* add = new QPushButton(tr("Add Variable"));
    auto* remove = new QPushButton(tr("Delete Variable"));
    connect(add, &QPushButton::clicked, this, [this] {
        TRandomVariable v;
        v.Index = 1;
        v.P1 = 10;
        v.P2 = 2;
        AddVariableRow(v);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (Table->currentRow() >= 0)
            Table->removeRow(Table->currentRow());
    });

    Correlations = new QLineEdit;
    Correlations->setPlaceholderText(tr("soil1=-0.5, soil2=-0.3"));
    Samples = new QSpinBox;
    Samples->setRange(1, 100000000);
    Seed = new QLineEdit;
    Sampling = new QComboBox;
    Sampling->addItems({tr("Monte Carlo"), tr("Latin hypercube")});
    Mode = new QComboBox;
    Mode->addItems({tr("Critical surface"), tr("Full search")});

    Run = new QPushButton(tr("Run"));
    Stop = new QPushButton(tr("Cancel"));
    Stop->setEnabled(false);
    auto* keep = new QPushButton(tr("Keep with Model"));
    auto* close = new QPushButton(tr("Close"));
    Bar = new QProgressBar;
    Bar->setRange(0, 100);
    Bar->setValue(0);
    Status = new QLabel;
    connect(Run, &QPushButton::clicked, this, &TProbabilisticWindow::StartRun);
    connect(Stop, &QPushButton::clicked, this, [this] {
        if (Running)
            Running->Cancel();
    });
    connect(keep, &QPushButton::clicked, this, &TProbabilisticWindow::Keep);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch();
    auto* form = new QFormLayout;
    form->addRow(tr("Correlation of c and phi:"), Correlations);
    form->addRow(tr("Samples:"), Samples);
    form->addRow(tr("Seed:"), Seed);
    form->addRow(tr("Sampling:"), Sampling);
    form->addRow(tr("Mode:"), Mode);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Run);
    buttons->addWidget(Stop);
    buttons->addStretch();
    buttons->addWidget(keep);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Random variables:")));
    layout->addWidget(Table, 1);
    layout->addLayout(rowButtons);
    layout->addLayout(form);
    layout->addWidget(Bar);
    layout->addWidget(Status);
    layout->addLayout(buttons);
    resize(640, 520);

    ShowSetup(Model.Probabilistic);
    RowUnits = Model.Settings.UnitSystem;
}

namespace {
// The model as its input file holds it, without the probabilistic setup: what a run analyses.
std::string ModelText(TSlopeDescription d) {
    d.Probabilistic = TProbabilisticSetup();
    return WriteSlopeFile(d);
}
} // namespace

void TProbabilisticWindow::FollowModel(const TSlopeDescription& now) {
    Model = now;
    if (ResultsWindow)
        ResultsWindow->SetOutdated(ModelText(Model) != ResultsModel);
    // Rows that do not read now are turned when they are next read (by Run or Keep).
    TProbabilisticSetup s;
    QString error;
    if (RowUnits != Model.Settings.UnitSystem)
        ReadSetupInModelUnits(s, error);
}

bool TProbabilisticWindow::ReadSetupInModelUnits(TProbabilisticSetup& out, QString& error) {
    if (!ReadSetup(out, error))
        return false;
    const int units = Model.Settings.UnitSystem;
    if (RowUnits != units) {
        if (Convert)
            Convert(out, RowUnits, units);
        RowUnits = units;
        ShowSetup(out);
    }
    return true;
}

TProbabilisticWindow::~TProbabilisticWindow() = default;

void TProbabilisticWindow::AddVariableRow(const TRandomVariable& v) {
    const int row = Table->rowCount();
    Table->insertRow(row);
    Table->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(VariableName(v))));
    auto* kind = new QComboBox;
    for (const char* k : Kinds)
        kind->addItem(QString::fromLatin1(k));
    kind->setCurrentIndex(static_cast<int>(v.Kind) - 1);
    Table->setCellWidget(row, 1, kind);
    Table->setItem(row, 2, new QTableWidgetItem(Parameters(v)));
    Table->setItem(row, 3,
                   new QTableWidgetItem(v.Truncated ? QString::number(v.Min, 'g', 12) + ", " +
                                                          QString::number(v.Max, 'g', 12)
                                                    : QString()));
}

void TProbabilisticWindow::ShowSetup(const TProbabilisticSetup& s) {
    Table->setRowCount(0);
    for (const TRandomVariable& v : s.Variables)
        AddVariableRow(v);
    QStringList pairs;
    for (const TSoilCorrelation& c : s.Correlations)
        pairs << QString("soil%1=%2").arg(c.Soil).arg(c.R);
    Correlations->setText(pairs.join(", "));
    Samples->setValue(s.Samples);
    Seed->setText(QString::number(s.Seed));
    Sampling->setCurrentIndex(s.Sampling == TSamplingKind::LatinHypercube ? 1 : 0);
    Mode->setCurrentIndex(s.Mode == TProbabilisticMode::Search ? 1 : 0);
}

bool TProbabilisticWindow::ReadSetup(TProbabilisticSetup& out, QString& error) const {
    TProbabilisticSetup s;
    s.Present = true;
    for (int row = 0; row < Table->rowCount(); ++row) {
        const auto text = [this, row](int col) {
            const QTableWidgetItem* item = Table->item(row, col);
            return item ? item->text().trimmed() : QString();
        };
        const auto* kind = qobject_cast<const QComboBox*>(Table->cellWidget(row, 1));
        QString variable = text(0) + "=" + (kind ? kind->currentText() : QString()) + "(" + text(2) + ")";
        if (!text(3).isEmpty())
            variable += "[" + text(3) + "]";
        TRandomVariable v;
        std::string why;
        if (!ParseVariableSpec(variable.remove(' ').toStdString(), v, why)) {
            error = tr("Row %1: %2.").arg(row + 1).arg(QString::fromStdString(why));
            return false;
        }
        s.Variables.push_back(v);
    }
    for (const QString& part : Correlations->text().split(',', Qt::SkipEmptyParts)) {
        const QStringList kv = part.trimmed().split('=');
        TRandomTarget target;
        TSoilCorrelation c;
        bool ok = kv.size() == 2 && ParseVariableName((kv[0].trimmed() + ".c").toStdString(), target, c.Soil);
        c.R = ok ? kv[1].trimmed().toDouble(&ok) : 0;
        if (!ok) {
            error = tr("A correlation is written soilK=R: \"%1\".").arg(part.trimmed());
            return false;
        }
        s.Correlations.push_back(c);
    }
    s.Samples = Samples->value();
    bool seedOk = false;
    s.Seed = Seed->text().trimmed().toULongLong(&seedOk);
    if (!seedOk) {
        error = tr("The seed is a whole number from 0 to 18446744073709551615.");
        return false;
    }
    s.Sampling = Sampling->currentIndex() == 1 ? TSamplingKind::LatinHypercube : TSamplingKind::MonteCarlo;
    s.Mode = Mode->currentIndex() == 1 ? TProbabilisticMode::Search : TProbabilisticMode::Critical;
    out = s;
    return true;
}

void TProbabilisticWindow::Keep() {
    TProbabilisticSetup s;
    QString error;
    if (!ReadSetupInModelUnits(s, error)) {
        MsgError(this, error);
        return;
    }
    Model.Probabilistic = s;
    if (Store)
        Store(s);
}

void TProbabilisticWindow::StartRun() {
    if (Running)
        return;
    TProbabilisticSetup s;
    QString error;
    if (!ReadSetupInModelUnits(s, error)) {
        MsgError(this, error);
        return;
    }
    TSlopeDescription d = Model;
    RunModel = ModelText(d);
    d.Probabilistic = s;
    Running = new TProbabilisticRun(d, this);
    connect(Running, &TProbabilisticRun::Progress, this, [this](long long done, long long total) {
        Bar->setValue(total > 0 ? static_cast<int>(100 * done / total) : 0);
        Status->setText(tr("%1 of %2 samples").arg(done).arg(total));
    });
    connect(Running, &TProbabilisticRun::Completed, this, &TProbabilisticWindow::RunDone);
    Run->setEnabled(false);
    Stop->setEnabled(true);
    Bar->setValue(0);
    Status->setText(tr("Running the deterministic analysis..."));
}

void TProbabilisticWindow::RunDone() {
    std::unique_ptr<TProbabilisticRun> run(Running);
    Running = nullptr;
    run->setParent(nullptr);
    Run->setEnabled(true);
    Stop->setEnabled(false);
    if (!run->Errors().Errors.empty()) {
        QStringList lines;
        for (const quolm::TDiagnostic& e : run->Errors().Errors)
            lines << QString::fromStdString(e.Code + ": " + e.Message);
        Status->setText(tr("The analysis found errors."));
        MsgError(this, lines.join("\n"));
        emit RunFinished();
        return;
    }
    Bar->setValue(100);
    Status->setText(run->WasCancelled() ? tr("Cancelled.") : tr("Completed."));
    ResultsWindow = new TProbabilisticResultsWindow(std::move(run), this);
    ResultsModel = RunModel;
    ResultsWindow->SetOutdated(ModelText(Model) != ResultsModel);
    ResultsWindow->show();
    emit RunFinished();
}
