#include "reliability/ProbabilisticResultsWindow.h"
#include "reliability/ProbabilisticRun.h"
#include "widgets/MsgBox.h"
#include "widgets/ResultsWindow.h"
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {
QString Value(double v, int decimals) {
    return std::isfinite(v) ? QString::number(v, 'f', decimals) : QStringLiteral("-");
}
QString Value(const std::optional<double>& v) {
    return v ? Value(*v, 3) : QStringLiteral("-");
}

QChartView* ChartView(QChart* chart) {
    chart->legend()->hide();
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(360, 260);
    return view;
}

// The factor-of-safety axis both charts share: the samples' range with F = 1 in it, and ticks at round
// steps (1, 2 or 5 times a power of ten), at most six of them, so the labels never crowd each other.
QValueAxis* FactorAxis(const quolm::TProbabilisticResult& r) {
    double low = std::min(r.Min, 1.0) - 0.02;
    double high = std::max(r.Max, 1.0) + 0.02;
    if (!std::isfinite(low) || !std::isfinite(high)) { // no sample gave a factor
        low = 0.98;
        high = 1.02;
    }
    const double rough = (high - low) / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    auto* axis = new QValueAxis;
    axis->setTitleText(QObject::tr("Factor of safety"));
    axis->setRange(low, high);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(std::ceil(low / step) * step);
    axis->setTickInterval(step);
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    return axis;
}

// F = 1 as a dashed red line from 0 to `top`.
QLineSeries* FailureLine(double top) {
    auto* line = new QLineSeries;
    line->append(1.0, 0.0);
    line->append(1.0, top);
    line->setPen(QPen(Qt::red, 1, Qt::DashLine));
    return line;
}

void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}
} // namespace

TProbabilisticResultsWindow::TProbabilisticResultsWindow(std::unique_ptr<TProbabilisticRun> run,
                                                         QWidget* parent)
    : QDialog(parent), Run(std::move(run)) {
    setWindowTitle(tr("Probabilistic Analysis Results"));
    setAttribute(Qt::WA_DeleteOnClose);
    const quolm::TProbabilisticResult& r = Run->Result();

    Summary = new QLabel(SummaryText());
    Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Histogram: the count of samples in each bin, drawn as steps over the factor-of-safety axis.
    // Bins narrower than a sixtieth of the axis (factors that hardly vary) would draw as hairlines,
    // or not at all: the samples are then counted again into bins of that width.
    auto* binAxis = FactorAxis(r);
    std::vector<long long> bins(r.Histogram.begin(), r.Histogram.end());
    double binLow = r.HistogramLow, binWidth = r.HistogramWidth;
    const double least = (binAxis->max() - binAxis->min()) / 60;
    if (!bins.empty() && !(binWidth >= least)) {
        binWidth = least;
        binLow = std::floor(r.Min / binWidth) * binWidth;
        bins.assign(static_cast<std::size_t>(std::floor((r.Max - binLow) / binWidth)) + 1, 0);
        for (double f : Run->Table().Factor)
            if (std::isfinite(f))
                ++bins[std::min(bins.size() - 1,
                                static_cast<std::size_t>(std::max(0.0, (f - binLow) / binWidth)))];
    }
    auto* steps = new QLineSeries;
    double peak = 1;
    steps->append(binLow, 0);
    for (std::size_t i = 0; i < bins.size(); ++i) {
        const double count = static_cast<double>(bins[i]);
        const double left = binLow + static_cast<double>(i) * binWidth;
        steps->append(left, count);
        steps->append(left + binWidth, count);
        peak = std::max(peak, count);
    }
    steps->append(binLow + static_cast<double>(bins.size()) * binWidth, 0);
    auto* histogram = new QChart;
    histogram->setTitle(tr("Histogram of the factor of safety"));
    auto* countAxis = new QValueAxis;
    countAxis->setTitleText(tr("Samples"));
    countAxis->setRange(0, peak * 1.05);
    countAxis->setLabelFormat("%d");
    countAxis->applyNiceNumbers(); // round counts on the axis
    if (countAxis->max() < countAxis->tickCount() - 1) {
        // Fewer samples in a bin than ticks (or none at all): ticks at whole counts, so that no label
        // is written twice.
        countAxis->setRange(0, std::ceil(peak));
        countAxis->setTickType(QValueAxis::TicksDynamic);
        countAxis->setTickAnchor(0);
        countAxis->setTickInterval(1);
    }
    histogram->addAxis(binAxis, Qt::AlignBottom);
    histogram->addAxis(countAxis, Qt::AlignLeft);
    auto* area = new QAreaSeries(steps);
    steps->setParent(area); // an area series does not own its line
    Attach(histogram, area, binAxis, countAxis);
    Attach(histogram, FailureLine(countAxis->max()), binAxis, countAxis);

    // Cumulative distribution: the sorted factors against their share, and F = 1 marked.
    std::vector<double> sorted;
    for (double f : Run->Table().Factor)
        if (std::isfinite(f))
            sorted.push_back(f);
    std::sort(sorted.begin(), sorted.end());
    auto* line = new QLineSeries;
    const std::size_t step = std::max<std::size_t>(1, sorted.size() / 2000);
    for (std::size_t i = 0; i < sorted.size(); i += step)
        line->append(sorted[i], static_cast<double>(i + 1) / static_cast<double>(sorted.size()));
    if (!sorted.empty())
        line->append(sorted.back(), 1.0);
    auto* cdf = new QChart;
    cdf->setTitle(tr("Cumulative distribution P(F ≤ x)"));
    auto* fAxis = FactorAxis(r);
    auto* pAxis = new QValueAxis;
    pAxis->setRange(0, 1);
    pAxis->setTitleText(tr("Probability"));
    cdf->addAxis(fAxis, Qt::AlignBottom);
    cdf->addAxis(pAxis, Qt::AlignLeft);
    Attach(cdf, line, fAxis, pAxis);
    Attach(cdf, FailureLine(1.0), fAxis, pAxis);

    auto* exportButton = new QPushButton(tr("Export CSV..."));
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, tr("Export the sample table"), QString(),
                                                          tr("CSV files (*.csv)"));
        if (!path.isEmpty() && !ExportCsv(path))
            MsgError(this, tr("Cannot write \"%1\".").arg(path));
    });
    auto* close = new QPushButton(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* charts = new QHBoxLayout;
    charts->addWidget(ChartView(histogram));
    charts->addWidget(ChartView(cdf));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(close);
    Outdated = MakeOutdatedNote(tr("The model has changed since this run: these results are of the model as "
                                   "it was. Run the analysis again for the model as it is now."),
                                this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Outdated);
    layout->addWidget(Summary);
    layout->addLayout(charts, 1);
    layout->addLayout(buttons);
    resize(900, 560);
}

TProbabilisticResultsWindow::~TProbabilisticResultsWindow() = default;

void TProbabilisticResultsWindow::SetOutdated(bool outdated) {
    Outdated->setVisible(outdated);
}

bool TProbabilisticResultsWindow::IsOutdated() const {
    return !Outdated->isHidden();
}

QString TProbabilisticResultsWindow::SummaryText() const {
    const quolm::TProbabilisticResult& r = Run->Result();
    const quolm::TProbabilisticStudy& s = *Run->Study();
    const quolm::TAnalysis& base = s.Deterministic();
    QString text = tr("Deterministic factor of safety: %1 (%2)\n")
                       .arg(base.Critical ? Value(base.Critical->Surface.FS) : QStringLiteral("-"),
                            QString::fromUtf8(quolm::MethodName(base.Method)));
    text += tr("Samples: %1, with a factor of safety: %2\n").arg(r.Samples).arg(r.Valid);
    const std::vector<TRandomVariable>& vars = s.Setup().Variables;
    for (std::size_t i = 0; i < vars.size() && i < r.VariableOutside.size(); ++i) {
        const std::string note = quolm::OutsideNote(vars[i], r.VariableOutside[i]);
        if (!note.empty())
            text += QString::fromStdString(VariableName(vars[i]) + ": " + note) + "\n";
    }
    text += tr("Factor of safety: mean %1, standard deviation %2, minimum %3, maximum %4\n")
                .arg(Value(r.Mean, 4), Value(r.Sd, 4), Value(r.Min, 4), Value(r.Max, 4));
    text += tr("Probability of failure P(F < 1): %1 (standard error %2)\n")
                .arg(Value(r.Pf, 5), Value(r.PfError, 5));
    text += tr("Reliability index: normal %1, lognormal %2").arg(Value(r.BetaNormal), Value(r.BetaLognormal));
    if (Run->WasCancelled())
        text += tr("\nCancelled: the statistics are of the samples finished.");
    return text;
}

bool TProbabilisticResultsWindow::ExportCsv(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const std::string text = Run->Study()->Csv(Run->Table());
    return f.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
           f.flush();
}
