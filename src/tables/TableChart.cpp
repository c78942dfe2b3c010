#include "tables/TableChart.h"
#include "tables/ColStream.h"
#include "tables/Errors.h"
#include "tables/Messages.h"
#include <QFile>

TGridTableChart::TGridTableChart(TGridTable* owner) : TGridTable(ChartFamily(), owner) {}

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
    auto table = std::make_unique<TGridTableChart>(owner);
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

std::vector<std::string> SplitClipboardLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines.push_back(std::move(current));
            current.clear();
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current.push_back(text[i]);
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
            continue;                     // headings, comments, blank lines
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
    // A text file's lines end with CR LF, LF or CR.
    std::vector<std::string> lines;
    std::string current;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    return FillTableFromLines(*this, lines);
}

int TGridTableChart::PasteValues(const std::string& text) {
    if (text.empty()) {
        ShowMessage("There is no text on the Clipboard");
        return 0;
    }
    return FillTableFromLines(*this, SplitClipboardLines(text));
}
