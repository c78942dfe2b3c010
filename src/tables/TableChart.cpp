#include "tables/TableChart.h"
#include "tables/ColStream.h"
#include "text/Errors.h"
#include "text/Messages.h"
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <optional>

TGridTableChart::TGridTableChart(TGridTable* owner)
    : TGridTable(ChartFamily(), owner ? owner->Live() : std::make_shared<TLiveTables>(), owner) {}

TGridTableChart::TGridTableChart(const std::shared_ptr<TLiveTables>& live, TGridTable* owner)
    : TGridTable(ChartFamily(),
                 live    ? live
                 : owner ? owner->Live()
                         : std::make_shared<TLiveTables>(),
                 owner) {}

void TGridTableChart::WriteColumns(TValueWriter& writer) const {
    TGridTable::WriteColumns(writer);
    writer.WriteBoolean(GraphVisible);
    writer.WriteBoolean(GraphAsSegments);
    writer.WriteInteger(XColumn);
    writer.WriteInteger(YColumn);
    writer.WriteInteger(X2Column);
    writer.WriteInteger(Y2Column);
}

void TGridTableChart::ReadColumns(TValueReader& reader) {
    TGridTable::ReadColumns(reader);
    bool visible = false, segments = false;
    int x = 0, y = 0, x2 = 0, y2 = 0;
    try {
        visible = reader.ReadBoolean();
        segments = reader.ReadBoolean();
        x = reader.ReadInteger();
        y = reader.ReadInteger();
        x2 = reader.ReadInteger();
        y2 = reader.ReadInteger();
    } catch (const EBrevantoError&) {
        throw EGeneralError("Error reading graphic parameters");
    }
    GraphVisible = visible;
    GraphAsSegments = segments;
    XColumn = x;
    YColumn = y;
    X2Column = x2;
    Y2Column = y2;
    NotifyRowsChanged();
}

std::unique_ptr<TGridTable> TGridTableChart::CreateFromTemplate(TGridTable* owner, int rowNumber) const {
    auto table = std::make_unique<TGridTableChart>(owner ? owner->Live() : Live(), owner);
    table->GetDataFromFile = GetDataFromFile;
    table->OKCancelButtons = OKCancelButtons;
    table->InvertedXAxis = InvertedXAxis;
    table->InvertedYAxis = InvertedYAxis;
    table->GraphVisible = GraphVisible;
    table->GraphAsSegments = GraphAsSegments;
    table->XColumn = XColumn;
    table->YColumn = YColumn;
    table->X2Column = X2Column;
    table->Y2Column = Y2Column;
    table->CopyTemplateSettings(*this);
    table->SetRowNumber(rowNumber);
    table->SetRowCount(table->MinRows());
    table->NotifyRowsChanged();
    return table;
}

// ---------------------------------------------------------------- reading values

std::vector<Extended> ParseValueLine(const std::string& line) {
    std::vector<Extended> numbers;
    std::size_t pos = 0;
    const std::size_t n = line.size();
    while (numbers.size() < 15) {
        if (pos < n && (line[pos] == ' ' || line[pos] == '\t')) {
            ++pos;
            continue;
        }
        std::size_t sep = line.find_first_of(" \t,\r", pos);
        Extended value = 0;
        if (sep == std::string::npos) {
            if (pos < n && ParseFloat(std::string_view(line).substr(pos), value))
                numbers.push_back(value);
            break;
        }
        if (!ParseFloat(std::string_view(line).substr(pos, sep - pos), value))
            break;
        numbers.push_back(value);
        pos = sep + 1;
    }
    return numbers;
}

// Clipboard text and files alike: a line ends at CR LF, at CR or at LF. Text copied on Linux or
// macOS ends its lines with LF alone; taking only CR as a line end would read such a text as one
// line and silently paste nothing.
std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    return lines;
}

int FillTableFromLines(TGridTable& table, const std::vector<std::string>& lines) {
    const int columns = table.VisibleColumnCount();
    if (columns == 0)
        return 0; // a table without data columns would take every blank line as a row
    int filled = 0;
    for (const std::string& line : lines) {
        if (table.MaxRows() > 0 && filled >= table.MaxRows())
            break;
        std::vector<Extended> numbers = ParseValueLine(line);
        if (static_cast<int>(numbers.size()) != columns)
            continue; // headings, comments, blank lines
        // The chart draws in double precision, so a value beyond its range (1e904 reads as an
        // extended number) would be drawn and labelled as infinity: it is refused like a value out
        // of a column's range, reading stops there and the rows read before stay.
        for (Extended v : numbers)
            if (!std::isfinite(static_cast<double>(v)))
                throw EAssignError("Entry could not be evaluated:\rvalue out of range");
        if (filled >= table.RowCount()) { // as "&Add Row" does
            table.AddGroup();
            table.SetChanged(true);
        }
        for (int j = 0; j < columns; ++j)
            table.VisibleColumn(j).SetText(filled, FormatGeneral(numbers[static_cast<std::size_t>(j)], 15));
        ++filled;
    }
    if (filled > 0) {
        while (table.RowCount() > filled) { // as "&Delete Row" does on row `filled`
            int before = table.RowCount();
            table.SetChanged(true);
            table.DeleteGroup(filled);
            if (table.RowCount() >= before)
                break;
        }
    }
    return filled;
}

int TGridTableChart::ReadValuesFromFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(file.errorString().toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(file.errorString().toStdString());
    file.close();
    // A byte-order mark (as text editors write for UTF-8 or UTF-16) is no part of the first line:
    // left in place it would spoil that line's first number and its row would be skipped.
    if (std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decode(*encoding);
        bytes = QString(decode(bytes)).toUtf8();
    }
    return FillTableFromLines(*this, SplitTextLines(bytes.toStdString()));
}

int TGridTableChart::PasteValues(const std::string& text) {
    if (text.empty()) {
        Inform("There is no text on the Clipboard");
        return 0;
    }
    return FillTableFromLines(*this, SplitTextLines(text));
}

// ---------------------------------------------------------------- graph data

namespace {
// The stored number of a cell; columns without a number count as 0 rather than failing a redraw.
double CellValue(const TGridTable& table, int column, int row) {
    if (column < 0 || column >= table.ColumnCount())
        return 0;
    TColumn& c = table.Column(column);
    if (auto* f = dynamic_cast<TFloatColumn*>(&c))
        return static_cast<double>(f->GetFloat(row));
    if (dynamic_cast<TIntColumn*>(&c) || dynamic_cast<TEnumColumn*>(&c))
        return c.GetInt(row);
    return 0;
}

std::string FirstHeader(const TGridTable& table, int column) {
    if (column < 0 || column >= table.ColumnCount() || table.Column(column).HeaderLineCount() == 0)
        return {};
    return table.Column(column).GetHeaderLine(0);
}

void SortByX(std::vector<TChartPoint>& points) {
    std::stable_sort(points.begin(), points.end(),
                     [](const TChartPoint& a, const TChartPoint& b) { return a.X < b.X; });
}
} // namespace

TLineChartData LineChartData(const TGridTableChart& table) {
    TLineChartData d;
    const int n = table.RowCount();
    const int dataColumns = table.VisibleColumnCount();
    d.TwoSeries = dataColumns == 3 && table.XColumn == 0 && table.YColumn == 1;
    if (d.TwoSeries) {
        d.Series1Title = FirstHeader(table, 1);
        d.Series2Title = FirstHeader(table, 2);
    }
    bool varying = n == 1;
    const double y0 = n > 0 ? CellValue(table, table.YColumn, 0) : 0;
    for (int i = 0; i < n && !varying; ++i)
        varying = CellValue(table, table.YColumn, i) != y0 || (d.TwoSeries && CellValue(table, 2, i) != y0);
    for (int i = 0; i < n; ++i) {
        double x = dataColumns == 1 ? i : CellValue(table, table.XColumn, i);
        double y = CellValue(table, table.YColumn, i);
        if (!varying && i == 1)
            y *= 1.001;
        d.Series1.push_back({x, y});
        if (d.TwoSeries)
            d.Series2.push_back({x, CellValue(table, 2, i)});
    }
    SortByX(d.Series1);
    SortByX(d.Series2);
    d.BottomTitle = dataColumns == 1 ? std::string("N") : FirstHeader(table, table.XColumn);
    d.LeftTitle = FirstHeader(table, table.YColumn);
    d.HideSeries1Marks = dataColumns == 1;
    if (dataColumns == 1)
        d.BottomFormat = "#,##0";
    if (!varying && n > 0) {
        d.FixedLeftRange = true;
        d.LeftMax = 1.1 * y0;
        d.LeftMin = 0.9 * y0;
    }
    d.InvertedX = table.InvertedXAxis;
    d.InvertedY = table.InvertedYAxis;
    return d;
}

std::string AxisLabelFormat(double axisMin, double axisMax) {
    double a = std::fabs(axisMin), b = std::fabs(axisMax);
    if (axisMin == 0 && axisMax == 0)
        return "#,##0.###";
    if (a > 100000 || b > 100000 || (a < 0.001 && b < 0.001))
        return "#.0##E-0";
    return "#,##0.###";
}

namespace {
// Up to three decimals of a non-negative fraction in thousandths, trailing zeros dropped but at
// least `keep` digits. Integer arithmetic only: labels never depend on the process locale.
std::string Thousandths(long long t, int keep) {
    std::string f = {char('0' + t / 100), char('0' + t / 10 % 10), char('0' + t % 10)};
    while (static_cast<int>(f.size()) > keep && f.back() == '0')
        f.pop_back();
    return f.empty() ? f : "." + f;
}
} // namespace

std::string FormatAxisLabel(double value, const std::string& format) {
    if (!std::isfinite(value))
        return {}; // no number to write; the integer conversions below would be undefined
    const std::string sign = value < 0 ? "-" : "";
    if (format == "#.0##E-0") {
        if (value == 0)
            return "0.0E0";
        int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        long long q = std::llround(std::fabs(value) / std::pow(10.0, exponent) * 1000);
        if (q >= 10000) { // 9.9996 rounds up to the next power
            q = std::llround(static_cast<double>(q) / 10);
            ++exponent;
        } else if (q < 1000) {
            q = std::llround(std::fabs(value) / std::pow(10.0, exponent - 1) * 1000);
            --exponent;
        }
        return sign + std::to_string(q / 1000) + Thousandths(q % 1000, 1) + "E" + std::to_string(exponent);
    }
    const bool whole = format == "#,##0";
    long long q = std::llround(std::fabs(value) * (whole ? 1 : 1000));
    long long integer = whole ? q : q / 1000;
    std::string digits = std::to_string(integer);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(digits[i]);
    }
    std::string fraction = whole ? std::string() : Thousandths(q % 1000, 0);
    return (q == 0 ? std::string() : sign) + grouped + fraction;
}

TSegmentDrawing SegmentDrawing(const TGridTableChart& table, int width, int height) {
    TSegmentDrawing d;
    const int n = table.RowCount();
    if (n == 0)
        return d;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    for (int r = 0; r < n; ++r) {
        const double xs[] = {CellValue(table, table.XColumn, r), CellValue(table, table.X2Column, r)};
        const double ys[] = {CellValue(table, table.YColumn, r), CellValue(table, table.Y2Column, r)};
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
        return d;
    const int m = 20;
    auto px = [&](double x) {
        return static_cast<int>(std::lround((x - xmin) / (xmax - xmin) * (width - 2 * m))) + m;
    };
    auto py = [&](double y) {
        return static_cast<int>(std::lround((y - ymax) / (ymin - ymax) * (height - 2 * m))) + m;
    };
    d.Blank = false;
    for (int r = 0; r < n; ++r) {
        double x1 = CellValue(table, table.XColumn, r), y1 = CellValue(table, table.YColumn, r);
        double x2 = CellValue(table, table.X2Column, r), y2 = CellValue(table, table.Y2Column, r);
        d.Segments.push_back(
            {px(x1), py(y1), px(x2), py(y2), px((x1 + x2) / 2), py((y1 + y2) / 2), std::to_string(r + 1)});
    }
    return d;
}
