#include "tables/TableFormControllerChart.h"

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

#include "tables/Errors.h"
#include "tables/MsgBox.h"

namespace {
constexpr int GraphWidth = 285;
constexpr int GraphHeight = 170;

const QString NormalFormat = QStringLiteral("#,##0.###");
const QString ScientificFormat = QStringLiteral("#.0##E-0");
const QString IntegerFormat = QStringLiteral("#,##0");

// The stored value of a cell as a float: float columns directly, integer kinds by their number.
double CellValue(const TGridTable& table, int column, int row) {
    if (column < 0 || column >= table.ColumnCount() || row < 0 || row >= table.RowCount())
        return 0.0;
    const TColumn& c = table.Column(column);
    try {
        return static_cast<double>(c.GetFloat(row));
    } catch (const EGeneralError&) {
    }
    try {
        return c.GetInt(row);
    } catch (const EGeneralError&) {
    }
    return 0.0;
}

QString HeaderOf(const TGridTable& table, int column) {
    if (column < 0 || column >= table.ColumnCount() || table.Column(column).HeaderLineCount() == 0)
        return QString();
    return QString::fromStdString(table.Column(column).GetHeaderLine(0)).trimmed();
}

QString GroupThousands(const QString& digits) {
    QString out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

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
        QString label = FormatAxisValue(v, format);
        // Category labels must differ; a format that rounds two ticks together gets a blank added.
        while (used.contains(label))
            label += QLatin1Char(' ');
        used << label;
        axis->append(label, v);
    }
}
} // namespace

std::function<bool(const QString&, const QStringList&)> TTableChartForm::StartProcess =
    [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };

std::function<QString(QWidget*)> TTableChartForm::ChooseFile = [](QWidget* parent) {
    return QFileDialog::getOpenFileName(
        parent, QString(), QString(),
        QStringLiteral("Text Files (*.txt);;Data Files (*.dat);;All Files (*.*)"));
};

// ---------------------------------------------------------------- axis helpers

QString FormatAxisValue(double value, const QString& format) {
    if (!std::isfinite(value))
        return QString::number(value);
    if (format == ScientificFormat) {
        if (value == 0.0)
            return QStringLiteral("0.0E0");
        int exponent = static_cast<int>(std::floor(std::log10(std::abs(value))));
        double mantissa = value / std::pow(10.0, exponent);
        mantissa = std::round(mantissa * 1000.0) / 1000.0;
        if (std::abs(mantissa) >= 10.0) {
            mantissa /= 10.0;
            ++exponent;
        }
        QString text = QString::number(mantissa, 'f', 3);
        while (text.endsWith(QLatin1Char('0')) && !text.endsWith(QStringLiteral(".0")))
            text.chop(1);
        return text + QLatin1Char('E') + QString::number(exponent);
    }
    const int decimals = format == IntegerFormat ? 0 : 3;
    QString text = QString::number(std::abs(value), 'f', decimals);
    QString fraction;
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        fraction = text.mid(dot + 1);
        text.truncate(dot);
        while (fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
    }
    QString result = GroupThousands(text);
    if (!fraction.isEmpty())
        result += QLatin1Char('.') + fraction;
    const bool zero = result == QStringLiteral("0");
    return value < 0 && !zero ? QLatin1Char('-') + result : result;
}

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

QString AxisLabelFormat(double lo, double hi) {
    if (lo == 0.0 && hi == 0.0)
        return NormalFormat;
    if (std::abs(lo) > 100000.0 || std::abs(hi) > 100000.0 || (std::abs(lo) < 0.001 && std::abs(hi) < 0.001))
        return ScientificFormat;
    return NormalFormat;
}

// ---------------------------------------------------------------- segment drawing

TSegmentDrawing ComputeSegmentDrawing(const TGridTableChart& table, const QSize& area) {
    TSegmentDrawing drawing;
    const int n = table.RowCount();
    if (n == 0)
        return drawing;
    const int m = 20;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    for (int r = 0; r < n; ++r) {
        const double xs[2] = {CellValue(table, table.XColumn, r), CellValue(table, table.X2Column, r)};
        const double ys[2] = {CellValue(table, table.YColumn, r), CellValue(table, table.Y2Column, r)};
        for (int k = 0; k < 2; ++k) {
            if ((r == 0 && k == 0) || xs[k] < xmin)
                xmin = xs[k];
            if ((r == 0 && k == 0) || xs[k] > xmax)
                xmax = xs[k];
            if ((r == 0 && k == 0) || ys[k] < ymin)
                ymin = ys[k];
            if ((r == 0 && k == 0) || ys[k] > ymax)
                ymax = ys[k];
        }
    }
    if (xmin == xmax || ymin == ymax)
        return drawing;
    const double w = area.width() - 2 * m;
    const double h = area.height() - 2 * m;
    auto px = [&](double x) { return static_cast<int>(std::lround((x - xmin) / (xmax - xmin) * w)) + m; };
    auto py = [&](double y) { return static_cast<int>(std::lround((y - ymax) / (ymin - ymax) * h)) + m; };
    for (int r = 0; r < n; ++r) {
        const double x1 = CellValue(table, table.XColumn, r), y1 = CellValue(table, table.YColumn, r);
        const double x2 = CellValue(table, table.X2Column, r), y2 = CellValue(table, table.Y2Column, r);
        drawing.Labels << QString::number(r + 1);
        drawing.LabelPositions << QPoint(px((x1 + x2) / 2), py((y1 + y2) / 2));
        drawing.Lines << QLine(px(x1), py(y1), px(x2), py(y2));
    }
    return drawing;
}

void TSegmentBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!Table)
        return;
    const TSegmentDrawing drawing = ComputeSegmentDrawing(*Table, size());
    const QFontMetrics metrics(font());
    painter.setPen(QPen(Qt::black, 1));
    painter.setBackgroundMode(Qt::TransparentMode);
    // Row labels first, then the segments over them.
    for (int i = 0; i < drawing.Labels.size(); ++i) {
        const QPoint p = drawing.LabelPositions[i];
        const int top = p.y() - qRound(metrics.height() / 2.0);
        painter.drawText(QPoint(p.x(), top + metrics.ascent()), drawing.Labels[i]);
    }
    for (const QLine& line : drawing.Lines)
        painter.drawLine(line);
}

// ---------------------------------------------------------------- form

TTableChartForm::TTableChartForm(TGridTableChart& table, QWidget* parent) : TTableForm(table, parent) {
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
    PaintBox1->Table = &table;
    PaintBox1->setGeometry(0, 0, GraphWidth, GraphHeight);
    PaintBox1->hide();

    FileNameLabel = new QLabel(QStringLiteral("File Name:"), this);
    FileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameLabel->setBuddy(FileNameEdit);
    BtnBrowse = new QPushButton(QStringLiteral("Browse"), this);
    BtnBrowse->setObjectName(QStringLiteral("BtnBrowse"));
    BtnEdit = new QPushButton(QStringLiteral("View/Edit File"), this);
    BtnEdit->setObjectName(QStringLiteral("BtnEdit"));
    BtnRead = new QPushButton(QStringLiteral("Read values from File"), this);
    BtnRead->setObjectName(QStringLiteral("BtnRead"));
    BtnClip = new QPushButton(QStringLiteral("Paste values from  Clipboard (text)"), this);
    BtnClip->setObjectName(QStringLiteral("BtnClip"));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    for (QPushButton* b : {BtnBrowse, BtnEdit, BtnRead, BtnClip, BtnOK, BtnCancel})
        b->setAutoDefault(false);
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
    const TGridTableChart& table = *ChartTable();
    QChart* chart = Chart1->chart();
    Series1->clear();
    chart->legend()->hide();
    Series2->setVisible(false);
    const int n = table.RowCount();
    const int dataColumns = table.VisibleColumnCount();
    const bool twoSeries = dataColumns == 3 && table.XColumn == 0 && table.YColumn == 1;
    if (twoSeries) {
        Series2->clear();
        Series2->setVisible(true);
        chart->legend()->show();
        Series1->setName(HeaderOf(table, 1));
        Series2->setName(HeaderOf(table, 2));
    }
    const auto markers = chart->legend()->markers(Series2);
    for (QLegendMarker* marker : markers)
        marker->setVisible(twoSeries);

    const double y0 = n > 0 ? CellValue(table, table.YColumn, 0) : 0.0;
    bool varying = n == 1;
    for (int i = 0; i < n && !varying; ++i)
        if (CellValue(table, table.YColumn, i) != y0 || (twoSeries && CellValue(table, 2, i) != y0))
            varying = true;

    QList<QPointF> points1, points2;
    for (int i = 0; i < n; ++i) {
        const double x = dataColumns == 1 ? i : CellValue(table, table.XColumn, i);
        double y = CellValue(table, table.YColumn, i);
        if (!varying && i == 1)
            y *= 1.001;
        points1 << QPointF(x, y);
        if (twoSeries)
            points2 << QPointF(x, CellValue(table, 2, i));
    }
    // The lines join the points in x order, whatever the order of the rows.
    auto byX = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
    std::stable_sort(points1.begin(), points1.end(), byX);
    std::stable_sort(points2.begin(), points2.end(), byX);
    Series1->replace(points1);
    if (twoSeries)
        Series2->replace(points2);

    AxisX->setTitleText(dataColumns == 1 ? QStringLiteral("N") : HeaderOf(table, table.XColumn));
    AxisY->setTitleText(HeaderOf(table, table.YColumn));
    AxisX->setReverse(table.InvertedXAxis);
    AxisY->setReverse(table.InvertedYAxis);

    double xlo = 0, xhi = 0, ylo = 0, yhi = 0;
    bool any = false;
    for (const QList<QPointF>* list : {&points1, &points2})
        for (const QPointF& p : *list) {
            xlo = any ? std::min(xlo, p.x()) : p.x();
            xhi = any ? std::max(xhi, p.x()) : p.x();
            ylo = any ? std::min(ylo, p.y()) : p.y();
            yhi = any ? std::max(yhi, p.y()) : p.y();
            any = true;
        }

    const TAxisRange autoY = AutoAxisRange(ylo, yhi);
    FLeftFormat = AxisLabelFormat(autoY.Min, autoY.Max);
    if (any && !varying) {
        // Values that do not vary get a fixed range around them instead of a degenerate one. For a
        // value of 0 or below, 0.9 and 1.1 times it would not give a range, so the band is taken
        // symmetrically about the value.
        const double band = y0 == 0.0 ? 1.0 : std::abs(y0) * 0.1;
        const double lo = y0 - band, hi = y0 + band;
        const TAxisRange ticks = AutoAxisRange(lo, hi);
        SetAxisLabels(AxisY, lo, hi, ticks.Step, FLeftFormat);
    } else {
        SetAxisLabels(AxisY, autoY.Min, autoY.Max, autoY.Step, FLeftFormat);
    }
    const TAxisRange autoX = AutoAxisRange(xlo, xhi);
    FBottomFormat = dataColumns == 1 ? IntegerFormat : AxisLabelFormat(autoX.Min, autoX.Max);
    double xstep = autoX.Step;
    if (dataColumns == 1)
        xstep = std::max(1.0, std::round(xstep));
    SetAxisLabels(AxisX, autoX.Min, autoX.Max, xstep, FBottomFormat);
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
    if (!FTable || !CommitCurrentCell())
        return;
    BeginAddingRows();
    try {
        fill();
    } catch (const EBrevantoError& e) {
        // The rows filled before the failure stay; the message says where reading stopped.
        EndAddingRows();
        MsgError(this, QString::fromStdString(e.what()));
        return;
    } catch (...) {
        EndAddingRows();
        throw;
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
