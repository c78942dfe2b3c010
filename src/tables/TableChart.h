#pragma once
// The chart-backed tables (boundary lines, user-defined failure surface): a grid table whose editor
// also draws the table and can read its values from a text file or the clipboard. The family keeps
// its own table registry (own identifiers) and its own column type registry, but shares the column
// classes and the table logic with the plain family.
#include "tables/Table.h"
#include <string>
#include <vector>

using TColumnChart = TColumn;
using TEnumColumnChart = TEnumColumn;
using TIntColumnChart = TIntColumn;
using TFloatColumnChart = TFloatColumn;
using TTableColumnChart = TTableColumn;
using TStringColumnChart = TStringColumn;
using TDataChart = TData;
using TGridTableListChart = TGridTableList;
using TColumnChartTypeStorage = TColumnTypeStorage;

class TGridTableChart : public TGridTable {
  public:
    explicit TGridTableChart(TGridTable* owner = nullptr);

    // Published properties in addition to those of TGridTable.
    bool GetDataFromFile = false;
    bool OKCancelButtons = false;
    bool InvertedXAxis = false;
    bool InvertedYAxis = false;

    // Graphic parameters, stored in the "Col" stream after the columns.
    bool GraphVisible = false;
    bool GraphAsSegments = false;
    int XColumn = 0, YColumn = 0, X2Column = 0, Y2Column = 0;

    void WriteColumns(TValueWriter& writer) const override;
    // As TGridTable, then the six graphic parameters ("Error reading graphic parameters").
    void ReadColumns(TValueReader& reader) override;
    std::unique_ptr<TGridTable> CreateFromTemplate(TGridTable* owner, int rowNumber) const override;

    // "Read values from File": every line with as many numbers as the grid has data columns fills
    // the next row (rows are appended as needed, at most MaxRows filled); surplus rows are removed.
    // Raises EInOutError when the file cannot be read and the column's EAssignError for a value the
    // column rejects (rows filled before stay filled). Returns the number of rows filled.
    int ReadValuesFromFile(const std::string& path);
    // "Paste values from  Clipboard (text)": the same on a text cut into lines at carriage returns.
    // An empty text shows "There is no text on the Clipboard" and changes nothing.
    int PasteValues(const std::string& text);
};

// Shared by the file and clipboard readers of both families: fills `table` from lines of numbers.
int FillTableFromLines(TGridTable& table, const std::vector<std::string>& lines);

// Up to 15 numbers of a line: blanks and tabs before a number are skipped; a number ends at a
// space, tab, comma or carriage return; the parse stops at the first text that is not a number.
std::vector<Extended> ParseValueLine(const std::string& line);

// Lines of clipboard text: cut at each carriage return (a line feed right after it belongs to the
// break); the text after the last carriage return is a line when it is not empty.
std::vector<std::string> SplitClipboardLines(const std::string& text);
