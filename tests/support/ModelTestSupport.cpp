#include "support/ModelTestSupport.h"
#include <QFile>
#include <QtTest>

TMessageCapture::TMessageCapture(TTestHost& host) : Host(host), Previous(host.Capture) {
    host.Capture = &Messages;
}
TMessageCapture::~TMessageCapture() {
    Host.Capture = Previous;
}

std::string CrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string WriteFile(const QTemporaryDir& dir, const std::string& name, const std::string& text) {
    const QString path = dir.filePath(QString::fromStdString(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path.toStdString();
}

std::string ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

std::unique_ptr<TProgramData> LoadText(TTestHost& host, const std::string& text, bool currentFormat,
                                       std::vector<std::string>* messages) {
    QTemporaryDir dir;
    const std::string path = WriteFile(dir, "load.qvxd", text);
    TMessageCapture capture(host);
    auto model = TProgramData::CreateFromFile(path, currentFormat, host);
    if (messages)
        *messages = capture.Messages;
    else if (!capture.Messages.empty())
        qWarning("unexpected message: %s", capture.Messages.front().c_str());
    return model;
}

std::string TestDataPath(const std::string& name) {
    return std::string(TEST_DATA_DIR) + "/model/" + name;
}

std::string Dump(const TProgramData& m) {
    std::string out;
    const auto add = [&out](const char* name, const std::string& value) {
        out += name;
        out += '=';
        out += value;
        out += '\n';
    };
    const auto num = [](Extended v) { return FormatGeneral(v, 18); };
    add("UnitSystem", FormatI(m.UnitSystem));
    add("FileName", m.FileName);
    add("PlotFileName", m.PlotFileName);
    add("Title", m.Title);
    add("SurfaceBoundaryCount", FormatI(m.SurfaceBoundaryCount));
    add("VerticalCoefficient", num(m.VerticalCoefficient));
    add("HorizontalCoefficient", num(m.HorizontalCoefficient));
    add("CavitationPressure", num(m.CavitationPressure));
    add("WaterUnitWeight", num(m.WaterUnitWeight));
    add("Flags", FormatI(m.HasWater) + FormatI(m.HasSurcharge) + FormatI(m.HasEarthquake) +
                     FormatI(m.HasReinforcement) + FormatI(m.HasLimits) + FormatI(m.HasTiebacks) +
                     FormatI(m.HasUserSurface) + FormatI(m.HasJanbuSearch) + FormatI(m.HasBishopSearch) +
                     FormatI(m.HasSpencerSearch) + FormatI(m.HasBlockSearch) + FormatI(m.HasIrregularSearch));
    add("InitiationPoints", FormatI(m.InitiationPoints));
    add("SurfacesPerPoint", FormatI(m.SurfacesPerPoint));
    for (Extended v :
         {m.LeftInitiationX, m.RightInitiationX, m.LeftTerminationX, m.RightTerminationX, m.MinimumElevation,
          m.SegmentLength, m.CcwLimit, m.CwLimit, m.InterSliceAngle, m.BlockSegmentLength})
        add("search", num(v));
    add("UseSurbis", FormatI(m.UseSurbis));
    add("SearchKind", FormatI(m.SearchKind));
    out += DumpTables(m.Host().Tables());
    return out;
}

std::string DumpWithoutFileName(const TProgramData& model) {
    std::string dump = Dump(model);
    const auto start = dump.find("FileName=");
    const auto end = dump.find('\n', start);
    return dump.erase(start, end - start + 1);
}

namespace {
void DumpTable(std::string& out, const TGridTable& table, const std::string& indent) {
    out += indent + "units " + FormatI(table.UnitSystem()) + " rows " + FormatI(table.RowCount()) + '\n';
    for (int row = 0; row < table.RowCount(); ++row) {
        std::string line = indent;
        for (int col = 0; col < table.ColumnCount(); ++col) {
            if (dynamic_cast<const TTableColumn*>(&table.Column(col))) {
                const TGridTable* sub = table.Cell(col, row).GetTable();
                line += "[sub]";
                out += line + '\n';
                line = indent;
                if (sub)
                    DumpTable(out, *sub, indent + "  ");
            } else {
                line += table.Cell(col, row).GetText() + ' ';
            }
        }
        out += line + '\n';
    }
}
} // namespace

std::string DumpTables(TTableSet& tables) {
    std::string out;
    for (int i = 0; i < tables.Count(); ++i) {
        out += tables.Name(i) + ":\n";
        DumpTable(out, tables.Table(i), "  ");
    }
    return out;
}
