#include "widgets/ChartTableEditor.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "text/Errors.h"
#include "widgets/MsgBox.h"

namespace {
constexpr int GraphWidth = 285;
constexpr int GraphHeight = 170;

// Rebuilds the labels of a category axis: one label at every multiple of the step in the range.
void SetAxisLabels(QCategoryAxis* axis, double lo, double hi, double step, const QString& format) {
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(lo);
    axis->setRange(lo, hi);
    if (!(step > 0) || !(hi >= lo))
        return;
    const double first = std::ceil(lo / step - 1e-9);
    QStringList used;
    for (double k = first; k * step <= hi + step * 1e-9 && used.size() < 50; k += 1) {
        const double v = std::abs(k * step) < step * 1e-9 ? 0.0 : k * step;
        QString label = QString::fromStdString(FormatAxisLabel(v, format.toStdString()));
        // Category labels must differ; a format that rounds two ticks together gets a blank added.
        while (used.contains(label))
            label += QLatin1Char(' ');
        used << label;
        axis->append(label, v);
    }
}
// The finest step whose labels still tell the ticks apart in `format`: "#,##0.###" shows three
// decimals, "#,##0" none, and "#.0##E-0" four significant digits of the largest tick. A finer step
// would put rounded (and repeated) labels at places they do not name.
double FinestLabelStep(const QString& format, double lo, double hi) {
    if (format == QLatin1String("#,##0"))
        return 1.0;
    if (format == QLatin1String("#.0##E-0")) {
        const double top = std::max(std::abs(lo), std::abs(hi));
        return top > 0 ? std::pow(10.0, std::floor(std::log10(top)) - 3) : 0.0;
    }
    return 0.001;
}

// The next step of the 1, 2, 5 sequence that is not below `finest`.
double CoarsenStep(double step, double finest) {
    while (step > 0 && step < finest * (1 - 1e-9)) {
        const double magnitude = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        const double f = step / magnitude;
        step = (f < 1.5 ? 2.0 : f < 3.5 ? 5.0 : 10.0) * magnitude;
    }
    return step;
}

// An automatic range whose step the label format can show: the ends move out to whole steps.
TAxisRange ShowableRange(TAxisRange range, const QString& format) {
    const double step = CoarsenStep(range.Step, FinestLabelStep(format, range.Min, range.Max));
    if (step != range.Step) {
        range.Min = std::floor(range.Min / step + 1e-9) * step;
        range.Max = std::ceil(range.Max / step - 1e-9) * step;
        range.Step = step;
    }
    return range;
}
bool StartDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

QString AskForTextFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(
        parent, QString(), QString(),
        QStringLiteral("Text Files (*.txt);;Data Files (*.dat);;All Files (*.*)"));
}
} // namespace

// ---------------------------------------------------------------- axis helpers

TAxisRange AutoAxisRange(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return {};
    if (hi < lo)
        std::swap(lo, hi);
    if (hi == lo) {
        const double d = lo == 0.0 ? 1.0 : std::abs(lo) * 0.1;
        lo -= d;
        hi += d;
    }
    const double raw = (hi - lo) / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / magnitude;
    const double step = (f <= 1.0 ? 1.0 : f <= 2.0 ? 2.0 : f <= 5.0 ? 5.0 : 10.0) * magnitude;
    TAxisRange range;
    range.Step = step;
    range.Min = std::floor(lo / step + 1e-9) * step;
    range.Max = std::ceil(hi / step - 1e-9) * step;
    return range;
}

// ---------------------------------------------------------------- segment drawing

void TSegmentBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const auto* table = dynamic_cast<const TGridTableChart*>(FForm->Table());
    if (!table)
        return;
    const TSegmentDrawing drawing = SegmentDrawing(*table, width(), height());
    if (drawing.Blank)
        return;
    const QFontMetrics metrics(font());
    painter.setPen(QPen(Qt::black, 1));
    painter.setBackgroundMode(Qt::TransparentMode);
    // Row labels first, then the segments over them.
    for (const TSegmentDrawing::TSegment& s : drawing.Segments) {
        const int top = s.LabelY - qRound(metrics.height() / 2.0);
        painter.drawText(QPoint(s.LabelX, top + metrics.ascent()), QString::fromStdString(s.Label));
    }
    for (const TSegmentDrawing::TSegment& s : drawing.Segments)
        painter.drawLine(s.X1, s.Y1, s.X2, s.Y2);
}

// ---------------------------------------------------------------- form

TTableChartForm::TTableChartForm(TGridTableChart& table, QWidget* parent)
    : TTableForm(table, parent), StartProcess(StartDetached), ChooseFile(AskForTextFile) {
    auto* chart = new QChart;
    chart->legend()->hide();
    // Room above and to the right for the half of the end labels that sticks out of the plot.
    chart->setMargins(QMargins(2, 8, 14, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 2));
    chart->legend()->setFont(small);
    Series1 = new QLineSeries;
    Series1->setName(QStringLiteral("Series1"));
    Series1->setPen(QPen(Qt::red, 2));
    Series1->setPointsVisible(false);
    Series2 = new QLineSeries;
    Series2->setName(QStringLiteral("Series2"));
    Series2->setPen(QPen(Qt::green, 2));
    Series2->setPointsVisible(true);
    QImage square(2, 2, QImage::Format_RGB32);
    square.fill(Qt::green);
    Series2->setLightMarker(square); // square point markers rather than the default circles
    Series2->setMarkerSize(2);
    chart->addSeries(Series1);
    chart->addSeries(Series2);
    AxisX = new QCategoryAxis;
    AxisY = new QCategoryAxis;
    for (QCategoryAxis* axis : {AxisX, AxisY}) {
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        axis->setLabelsFont(small);
        axis->setTitleFont(small);
    }
    chart->addAxis(AxisX, Qt::AlignBottom);
    chart->addAxis(AxisY, Qt::AlignLeft);
    for (QLineSeries* s : {Series1, Series2}) {
        s->attachAxis(AxisX);
        s->attachAxis(AxisY);
    }
    Series2->setVisible(false);
    Chart1 = new QChartView(chart, this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setRenderHint(QPainter::Antialiasing);
    Chart1->setFrameShape(QFrame::NoFrame);
    Chart1->setGeometry(0, 0, GraphWidth, GraphHeight);
    Chart1->hide();
    PaintBox1 = new TSegmentBox(this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setGeometry(0, 0, GraphWidth, GraphHeight);
    PaintBox1->hide();

    FileNameLabel = new QLabel(QStringLiteral("File Name:"), this);
    FileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameLabel->setBuddy(FileNameEdit);
    BtnBrowse = MakeButton(QStringLiteral("Browse"), "BtnBrowse");
    BtnEdit = MakeButton(QStringLiteral("View/Edit File"), "BtnEdit");
    BtnRead = MakeButton(QStringLiteral("Read values from File"), "BtnRead");
    BtnClip = MakeButton(QStringLiteral("Paste values from  Clipboard (text)"), "BtnClip");
    BtnOK = MakeButton(QStringLiteral("OK"), "BtnOK");
    BtnCancel = MakeButton(QStringLiteral("Cancel"), "BtnCancel");
    connect(BtnBrowse, &QPushButton::clicked, this, &TTableChartForm::BtnBrowseClick);
    connect(BtnEdit, &QPushButton::clicked, this, &TTableChartForm::BtnEditClick);
    connect(BtnRead, &QPushButton::clicked, this, &TTableChartForm::BtnReadClick);
    connect(BtnClip, &QPushButton::clicked, this, &TTableChartForm::BtnClipClick);
    // Typing a path enables the file buttons as soon as it names a file, not only at the next layout.
    connect(FileNameEdit, &QLineEdit::textChanged, this, &TTableChartForm::UpdateFileButtons);
}

bool TTableChartForm::LineChartShown() const {
    return FTable && ChartTable()->GraphVisible && !ChartTable()->GraphAsSegments;
}

bool TTableChartForm::GraphShown() const {
    return Chart1->isVisibleTo(this) || PaintBox1->isVisibleTo(this);
}

int TTableChartForm::RowsShownLimit() const {
    return LineChartShown() ? 5 : 10;
}

int TTableChartForm::GridTop() const {
    const bool graph = FTable && ChartTable()->GraphVisible;
    return graph ? Margin() + GraphHeight + Margin() : Margin();
}

void TTableChartForm::ShowTable() {
    const int m = Margin();
    Chart1->setGeometry(m, m, GraphWidth, GraphHeight);
    PaintBox1->setGeometry(m, m, GraphWidth, GraphHeight);
    Chart1->setVisible(LineChartShown());
    PaintBox1->setVisible(FTable && ChartTable()->GraphVisible && ChartTable()->GraphAsSegments);
    const bool ok = ChartTable()->OKCancelButtons;
    BtnOK->setVisible(ok);
    BtnCancel->setVisible(ok);
    const bool file = ChartTable()->GetDataFromFile;
    for (QWidget* w :
         std::initializer_list<QWidget*>{FileNameLabel, FileNameEdit, BtnBrowse, BtnEdit, BtnRead, BtnClip})
        w->setVisible(file);
    TTableForm::ShowTable();
}

int TTableChartForm::LayoutBelowButtons(int top, int& right) {
    const int m = Margin();
    if (FTable && ChartTable()->GraphVisible)
        right = std::max(right, m + GraphWidth);
    if (FTable && ChartTable()->OKCancelButtons) {
        const QSize ok = BtnOK->sizeHint(), cancel = BtnCancel->sizeHint();
        BtnOK->setGeometry(m, top, ok.width(), ok.height());
        BtnCancel->setGeometry(m + ok.width() + m, top, cancel.width(), cancel.height());
        right = std::max(right, BtnCancel->geometry().right() + 1);
        top += std::max(ok.height(), cancel.height()) + m;
    }
    if (FTable && ChartTable()->GetDataFromFile) {
        const QSize browse = BtnBrowse->sizeHint(), edit = BtnEdit->sizeHint(), read = BtnRead->sizeHint();
        const int readRight = m + browse.width() + m + edit.width() + m + read.width();
        const QSize label = FileNameLabel->sizeHint(), box = FileNameEdit->sizeHint();
        const int lineHeight = std::max(label.height(), box.height());
        FileNameLabel->setGeometry(m, top + (lineHeight - label.height()) / 2, label.width(), label.height());
        const int boxLeft = m + label.width() + m;
        FileNameEdit->setGeometry(boxLeft, top + (lineHeight - box.height()) / 2,
                                  std::max(readRight - boxLeft, 60), box.height());
        top += lineHeight + m;
        int x = m;
        for (QPushButton* b : {BtnBrowse, BtnEdit, BtnRead}) {
            const QSize hint = b->sizeHint();
            b->setGeometry(x, top, hint.width(), hint.height());
            x += hint.width() + m;
        }
        top += std::max({browse.height(), edit.height(), read.height()}) + m;
        const QSize clip = BtnClip->sizeHint();
        BtnClip->setGeometry(std::max(m, readRight - clip.width()), top, clip.width(), clip.height());
        top += clip.height() + m;
        right = std::max(
            {right, readRight, BtnClip->geometry().right() + 1, FileNameEdit->geometry().right() + 1});
        UpdateFileButtons();
    }
    return top;
}

void TTableChartForm::UpdateFileButtons() {
    const bool exists = QFileInfo(FileNameEdit->text()).isFile();
    BtnEdit->setEnabled(exists);
    BtnRead->setEnabled(exists);
}

// ---------------------------------------------------------------- graph

void TTableChartForm::AfterRefresh() {
    if (FTable && ChartTable()->GraphVisible)
        RedrawGraph();
}

void TTableChartForm::AfterRowButton() {
    if (GraphShown())
        RedrawGraph();
}

void TTableChartForm::GridKeyPress(int) {
    if (GraphShown())
        RedrawGraph();
}

void TTableChartForm::GridKeyRelease(int key) {
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    if (FTable && ChartTable()->GraphVisible && (arrow || digit))
        RedrawGraph();
}

void TTableChartForm::BeforeSelectCell() {
    if (FTable && ChartTable()->GraphVisible)
        RedrawGraph();
}

void TTableChartForm::BackgroundClick() {
    if (FTable && ChartTable()->GraphVisible)
        RedrawGraph();
}

void TTableChartForm::CellValueChanged() {
    // A stored value changed: show it without waiting for the next key or click. Many changes in a
    // row (reading a file) make one redraw.
    if (!FTable || !ChartTable()->GraphVisible || FRedrawPending)
        return;
    FRedrawPending = true;
    QTimer::singleShot(0, this, [this] {
        FRedrawPending = false;
        if (FTable)
            RedrawGraph();
    });
}

void TTableChartForm::RedrawGraph() {
    if (!FTable)
        return;
    ++FRedraws;
    if (ChartTable()->GraphAsSegments) {
        Chart1->hide();
        PaintBox1->show();
        PaintBox1->update();
        return;
    }
    Chart1->show();
    PaintBox1->hide();
    BuildLineChart();
}

void TTableChartForm::BuildLineChart() {
    const TLineChartData data = LineChartData(*ChartTable());
    QChart* chart = Chart1->chart();
    chart->legend()->setVisible(data.TwoSeries);
    Series2->setVisible(data.TwoSeries);
    if (data.TwoSeries) {
        Series1->setName(QString::fromStdString(data.Series1Title).trimmed());
        Series2->setName(QString::fromStdString(data.Series2Title).trimmed());
    }
    const auto markers = chart->legend()->markers(Series2);
    for (QLegendMarker* marker : markers)
        marker->setVisible(data.TwoSeries);
    Series1->setPointLabelsVisible(false);

    auto toPoints = [](const std::vector<TChartPoint>& points) {
        QList<QPointF> list;
        list.reserve(static_cast<qsizetype>(points.size()));
        for (const TChartPoint& p : points)
            list << QPointF(p.X, p.Y);
        return list;
    };
    Series1->replace(toPoints(data.Series1));
    Series2->replace(data.TwoSeries ? toPoints(data.Series2) : QList<QPointF>());

    AxisX->setTitleText(QString::fromStdString(data.BottomTitle).trimmed());
    AxisY->setTitleText(QString::fromStdString(data.LeftTitle).trimmed());
    AxisX->setReverse(data.InvertedX);
    AxisY->setReverse(data.InvertedY);

    double xlo = 0, xhi = 0, ylo = 0, yhi = 0;
    bool any = false;
    for (const std::vector<TChartPoint>* list : {&data.Series1, &data.Series2})
        for (const TChartPoint& p : *list) {
            xlo = any ? std::min(xlo, p.X) : p.X;
            xhi = any ? std::max(xhi, p.X) : p.X;
            ylo = any ? std::min(ylo, p.Y) : p.Y;
            yhi = any ? std::max(yhi, p.Y) : p.Y;
            any = true;
        }

    const TAxisRange autoY = AutoAxisRange(ylo, yhi);
    FLeftFormat = QString::fromStdString(AxisLabelFormat(autoY.Min, autoY.Max));
    if (data.FixedLeftRange) {
        double lo = data.LeftMin, hi = data.LeftMax;
        if (!(hi > lo)) {
            // 0.9 and 1.1 times a value of 0 or below give no range; take a band about the value.
            const double y0 = data.Series1.empty() ? 0.0 : (data.LeftMin + data.LeftMax) / 2.0;
            const double band = y0 == 0.0 ? 1.0 : std::abs(y0) * 0.1;
            lo = y0 - band;
            hi = y0 + band;
        }
        const double step = CoarsenStep(AutoAxisRange(lo, hi).Step, FinestLabelStep(FLeftFormat, lo, hi));
        SetAxisLabels(AxisY, lo, hi, step, FLeftFormat);
    } else {
        const TAxisRange y = ShowableRange(autoY, FLeftFormat);
        SetAxisLabels(AxisY, y.Min, y.Max, y.Step, FLeftFormat);
    }
    const TAxisRange autoX = AutoAxisRange(xlo, xhi);
    const bool indexAxis = data.BottomFormat == "#,##0";
    FBottomFormat = indexAxis ? QString::fromStdString(data.BottomFormat)
                              : QString::fromStdString(AxisLabelFormat(autoX.Min, autoX.Max));
    const TAxisRange x = ShowableRange(autoX, FBottomFormat);
    SetAxisLabels(AxisX, x.Min, x.Max, x.Step, FBottomFormat);
}

// ---------------------------------------------------------------- file and clipboard

void TTableChartForm::BtnBrowseClick() {
    const QString path = ChooseFile ? ChooseFile(this) : QString();
    if (!path.isEmpty())
        FileNameEdit->setText(QDir::toNativeSeparators(path));
    UpdateFileButtons();
}

void TTableChartForm::BtnEditClick() {
    const QString file = FileNameEdit->text();
#ifdef Q_OS_WIN
    const QString windows = qEnvironmentVariable("SystemRoot", QStringLiteral("C:\\Windows"));
    const QString program = QDir(windows).filePath(QStringLiteral("notepad.exe"));
#else
    const QString program = QStringLiteral("xdg-open");
#endif
    const bool started = StartProcess && StartProcess(program, {file});
    if (!started)
        MsgInformation(this, QStringLiteral("An error occurred in running the Word Processor"));
}

void TTableChartForm::FillRows(const std::function<int()>& fill) {
    if (!FTable || ClickFollowsRejectedExit() || !CommitCurrentCell())
        return;
    BeginAddingRows();
    try {
        fill();
    } catch (const std::exception& e) {
        // The rows filled before the failure stay; the message says where reading stopped.
        EndAddingRows();
        MsgError(this, QString::fromStdString(e.what()));
        return;
    }
    EndAddingRows();
}

void TTableChartForm::BtnReadClick() {
    const std::string path = FileNameEdit->text().toStdString();
    FillRows([this, &path] { return ChartTable()->ReadValuesFromFile(path); });
}

void TTableChartForm::BtnClipClick() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString text = data && data->hasText() ? data->text() : QString();
    if (text.isEmpty()) {
        MsgInformation(this, QStringLiteral("There is no text on the Clipboard"));
        return;
    }
    const std::string bytes = text.toStdString();
    FillRows([this, &bytes] { return ChartTable()->PasteValues(bytes); });
}
