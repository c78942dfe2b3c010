#pragma once
// The chart-backed tables (boundary lines, user-defined failure surface): a grid table whose editor
// also draws the table and can read its values from a text file or the clipboard. The family keeps
// its own table registry (own identifiers) and its own column type registry, but shares the column
// classes and the table logic with the plain family.
#include "tables/Table.h"
#include <string>
#include <vector>

class TGridTableChart : public TGridTable {
  public:
    explicit TGridTableChart(TGridTable* owner = nullptr);
    TGridTableChart(const std::shared_ptr<TLiveTables>& live, TGridTable* owner);

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

// ---- What the editor's graph shows, computed from the stored values (the window only draws it).

struct TChartPoint {
    double X = 0, Y = 0;
};

// The line chart of a table that is not drawn as segments.
struct TLineChartData {
    bool TwoSeries = false;                    // exactly three data columns, XColumn 0 and YColumn 1
    std::string Series1Title, Series2Title;    // first header lines of columns 1 and 2 (two-series case)
    std::vector<TChartPoint> Series1, Series2; // sorted by ascending x, as the chart keeps them
    std::string BottomTitle, LeftTitle;
    bool HideSeries1Marks = false; // one data column: x is the row index, bottom title "N"
    bool FixedLeftRange = false;   // the values do not vary: range 0.9 * y0 .. 1.1 * y0
    double LeftMin = 0, LeftMax = 0;
    bool InvertedX = false, InvertedY = false;
    std::string BottomFormat = "#,##0.###"; // "#,##0" with one data column
};
TLineChartData LineChartData(const TGridTableChart& table);

// "#,##0.###", or "#.0##E-0" when either end exceeds 100000 in magnitude or both are below 0.001
// (both exactly 0 keeps the first).
std::string AxisLabelFormat(double axisMin, double axisMax);
// A label in one of the three formats ("#,##0.###", "#.0##E-0", "#,##0").
std::string FormatAxisLabel(double value, const std::string& format);

// The segment drawing on an area of width x height pixels (margin 20): one segment per row from
// (XColumn, YColumn) to (X2Column, Y2Column), scaled separately in x and y, larger y higher.
struct TSegmentDrawing {
    struct TSegment {
        int X1, Y1, X2, Y2; // pixel ends
        int LabelX, LabelY; // the mapped midpoint: label's left edge, and its vertical centre
        std::string Label;  // the 1-based row
    };
    bool Blank = true; // no rows, or no extent in x or in y
    std::vector<TSegment> Segments;
};
TSegmentDrawing SegmentDrawing(const TGridTableChart& table, int width, int height);

// Shared by the file and clipboard readers of both families: fills `table` from lines of numbers.
int FillTableFromLines(TGridTable& table, const std::vector<std::string>& lines);

// Up to 15 numbers of a line: blanks and tabs before a number are skipped; a number ends at a
// space, tab, comma or carriage return; the parse stops at the first text that is not a number.
std::vector<Extended> ParseValueLine(const std::string& line);

// Lines of clipboard text or of a values file: cut at CR LF, CR or LF; the text after the last line
// end is a line when it is not empty.
std::vector<std::string> SplitTextLines(const std::string& text);
