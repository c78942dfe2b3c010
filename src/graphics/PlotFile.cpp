#include "graphics/PlotFile.h"
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "tables/ColumnTypes.h"
#include "tables/TableChart.h"
#include "text/Errors.h"
#include "text/FileNames.h"
#include "text/Messages.h"
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace {

// Reading ends here: end of the file, or a number that no message of the reader covers.
struct TStopReading {};

enum class TRead { Ok, Bad, Eof };

// A cursor over the file text. Words are separated by blanks, tabs and line ends; numbers are read
// with std::from_chars, so the user's locale never matters and no word is ever copied.
class TPlotLexer {
  public:
    TPlotLexer(const char* text, std::size_t size) : P(text), End(text + size) {}

    bool AtEnd() const { return P >= End; }
    int LineNumber() const { return Line; }
    std::string_view LastWord() const { return Word; }

    TRead Real(double& value) {
        if (!NextWord())
            return TRead::Eof;
        const char* first = Word.data();
        const char* last = first + Word.size();
        if (*first == '+')
            ++first;
        // from_chars would also take "inf" and "nan"; a plot file never holds them.
        if (first == last || !(IsDigit(*first) || *first == '.' || *first == '-'))
            return TRead::Bad;
        double v = 0;
        const auto [end, ec] = std::from_chars(first, last, v);
        if (ec != std::errc() || end != last)
            return TRead::Bad;
        value = v;
        return TRead::Ok;
    }

    TRead Int(int& value) {
        if (!NextWord())
            return TRead::Eof;
        const char* first = Word.data();
        const char* last = first + Word.size();
        if (*first == '+')
            ++first;
        int v = 0;
        const auto [end, ec] = std::from_chars(first, last, v);
        if (ec != std::errc() || end != last || first == last)
            return TRead::Bad;
        value = v;
        return TRead::Ok;
    }

    // Skips what is left of the current line, line end included.
    void SkipLine() {
        const void* nl = std::memchr(P, '\n', static_cast<std::size_t>(End - P));
        if (nl) {
            P = static_cast<const char*>(nl) + 1;
            ++Line;
        } else {
            P = End;
        }
    }

    // The rest of the current line without its line end; moves to the next line.
    std::string_view ReadLine() {
        const char* start = P;
        SkipLine();
        const char* stop = P;
        if (stop > start && stop[-1] == '\n')
            --stop;
        if (stop > start && stop[-1] == '\r')
            --stop;
        return std::string_view(start, static_cast<std::size_t>(stop - start));
    }

  private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

    bool NextWord() {
        for (;;) {
            while (P < End && IsBlank(*P))
                ++P;
            if (P >= End)
                return false;
            if (*P != '\n')
                break;
            ++P;
            ++Line;
        }
        const char* start = P;
        while (P < End && *P != '\n' && !IsBlank(*P))
            ++P;
        Word = std::string_view(start, static_cast<std::size_t>(P - start));
        return true;
    }

    const char* P;
    const char* End;
    int Line = 1;
    std::string_view Word;
};

enum TOverflow {
    OverBoundaryPoints,
    OverBoundaryRows,
    OverSlices,
    OverZones,
    OverLimits,
    OverBlocks,
    OverReinfLines,
    OverReinfPoints,
    OverTrials,
    OverTrialPoints,
    OverTenPoints,
    OverTiebacks,
    OverWater,
    OverWaterPoints,
    OverChains,
    OverCount
};

struct TOverflowText {
    const char* What;
    int Capacity;
    bool BoundaryTable;
};

const TOverflowText OverflowTexts[OverCount] = {
    {"boundary points", PlotCapacity::BoundaryPoints, false},
    {"lines", PlotCapacity::BoundaryRecords, true},
    {"slices", PlotCapacity::Slices, false},
    {"surface pressure zones", PlotCapacity::PressureZones, false},
    {"search limit segments", PlotCapacity::LimitSegments, false},
    {"blocks", PlotCapacity::Blocks, false},
    {"reinforcement lines", PlotCapacity::ReinfLines, false},
    {"points on a reinforcement line", PlotCapacity::ReinfPoints, false},
    {"trial surfaces", PlotCapacity::TrialSurfaces, false},
    {"points on a trial surface", PlotCapacity::SurfacePoints, false},
    {"points on a critical surface", PlotCapacity::SurfacePoints, false},
    {"tiebacks", PlotCapacity::Tiebacks, false},
    {"water surfaces", PlotCapacity::WaterSurfaces, false},
    {"points on a water surface", PlotCapacity::WaterPoints, false},
    {"soil layer chains", PlotCapacity::Chains, true},
};

// Reports a capacity overflow once per kind and read.
class TOverflowReport {
  public:
    explicit TOverflowReport(const TMessageHandler& messages) : Messages(messages) {}
    void Report(TOverflow kind) {
        if (Reported[kind])
            return;
        Reported[kind] = true;
        const TOverflowText& t = OverflowTexts[kind];
        DeliverMessage(Messages, TMessageKind::Error,
                       std::string(t.BoundaryTable ? "The boundary table" : "The plot file") +
                           " holds more " + t.What + " than can be shown (" + std::to_string(t.Capacity) +
                           "); the rest were skipped.");
    }

  private:
    const TMessageHandler& Messages;
    bool Reported[OverCount] = {};
};

class TPlotReader {
  public:
    TPlotReader(TPlotLexer& lexer, const TBoundaryLines& boundary, TPlotStore& store, std::string fileName,
                const TMessageHandler& messages)
        : Lex(lexer), Boundary(boundary), S(store), FileName(std::move(fileName)), Messages(messages),
          Overflow(messages) {}

    void Run() {
        {
            TPlotLexer probe = Lex;
            if (probe.ReadLine() == "END") {
                DeliverMessage(Messages, TMessageKind::Error,
                               "Graphics file does not contain any data.\n\n"
                               "Check your output file for an error message");
                S.ChainsToBuild = false;
                return;
            }
        }
        try {
            ReadScaling(S.Header);
            S.ScaleFactor = S.Header[2];
            Records();
        } catch (const TStopReading&) {
        }
        BuildLayerChains(S, Messages);
    }

  private:
    // ---- values --------------------------------------------------------------------------------

    [[noreturn]] void BadNumber() {
        DeliverMessage(Messages, TMessageKind::Error,
                       "Invalid number \"" + std::string(Lex.LastWord()) + "\" in plot file \"" + FileName +
                           "\", line " + std::to_string(Lex.LineNumber()) + ".");
        throw TStopReading();
    }

    double Real() {
        double v = 0;
        const TRead r = Lex.Real(v);
        if (r == TRead::Eof)
            throw TStopReading();
        if (r == TRead::Bad)
            BadNumber();
        return v;
    }

    int Count() {
        int v = 0;
        const TRead r = Lex.Int(v);
        if (r == TRead::Eof)
            throw TStopReading();
        if (r == TRead::Bad)
            BadNumber();
        Lex.SkipLine();
        return v < 0 ? 0 : v;
    }

    // One payload line "x y", scaled or not.
    TPlotPoint Point(bool scaled) {
        TPlotPoint p;
        p.X = Real();
        p.Y = Real();
        Lex.SkipLine();
        if (scaled) {
            p.X *= S.ScaleFactor;
            p.Y *= S.ScaleFactor;
            // A coordinate and a scale factor that each read can multiply beyond the double range;
            // an infinite point would make the whole picture unplaceable.
            if (!std::isfinite(p.X) || !std::isfinite(p.Y))
                BadNumber();
        }
        return p;
    }

    void SkipPoints(long long n) {
        for (long long i = 0; i < n; ++i)
            Point(false);
    }

    // Reads "count" then that many point lines into `line`, keeping what fits.
    template <int N> void Polyline(TPolyline<N>* line, TOverflow overflow) {
        const int m = Count();
        const int kept = m < N ? m : N;
        if (line) {
            for (int k = 0; k < kept; ++k)
                line->Points[k] = Point(true);
            line->Count = kept;
        } else {
            SkipPoints(kept);
        }
        if (m > N) {
            SkipPoints(m - N);
            if (line)
                Overflow.Report(overflow);
        }
    }

    // The 15 lines of the header or of an "NPL" record.
    void ReadScaling(double* header) {
        for (int line = 1; line <= 15; ++line) {
            double v = 0;
            const TRead r = Lex.Real(v);
            if (r == TRead::Eof)
                throw TStopReading();
            Lex.SkipLine();
            if (r == TRead::Bad) {
                if (!ScalingReported) {
                    DeliverMessage(Messages, TMessageKind::Error,
                                   "Axis scaling labels are corrupted in plot file");
                    ScalingReported = true;
                }
                return;
            }
            header[line <= 9 ? line : line - 9] = v;
        }
    }

    // ---- records -------------------------------------------------------------------------------

    void Records() {
        while (!Lex.AtEnd()) {
            std::string_view line = Lex.ReadLine();
            // A line holding control characters (a damaged or binary file) cannot be a command word;
            // the comparison is made with what comes before them.
            for (std::size_t i = 0; i < line.size(); ++i) {
                const unsigned char c = static_cast<unsigned char>(line[i]);
                if ((c < 0x20 && c != '\t') || c == 0x7F) {
                    DeliverMessage(Messages, TMessageKind::Error,
                                   "Error in reading command word in plot file");
                    line = line.substr(0, i);
                    break;
                }
            }
            const std::string_view word = line.substr(0, 3);
            if (word == "BLK")
                Blk();
            else if (word == "BND")
                Bnd();
            else if (word == "INF")
                Inf();
            else if (word == "LDS")
                Lds();
            else if (word == "LMT")
                Lmt();
            else if (word == "NPL")
                Npl();
            else if (word == "RNF")
                Rnf();
            else if (word == "SRF")
                Srf();
            else if (word == "TEN")
                Ten();
            else if (word == "TIE")
                Tie();
            else if (word == "WTR")
                Wtr();
            else if (word == "END")
                return;
        }
    }

    void Blk() {
        const int n = Count();
        S.BlockCount = 0;
        for (int b = 0; b < n; ++b) {
            if (b < PlotCapacity::Blocks) {
                for (TPlotPoint& p : S.Blocks[b])
                    p = Point(true);
                S.BlockCount = b + 1;
            } else {
                SkipPoints(5);
                Overflow.Report(OverBlocks);
            }
        }
    }

    void Bnd() {
        S.BoundaryPoints[0].X = Real();
        S.BoundaryPoints[0].Y = Real();
        int nsb = 0, nb = 0;
        for (int* v : {&nsb, &nb}) {
            const TRead r = Lex.Int(*v);
            if (r == TRead::Eof)
                throw TStopReading();
            if (r == TRead::Bad)
                BadNumber();
        }
        Lex.SkipLine();
        nsb = nsb < 0 ? 0 : nsb;
        nb = nb < 0 ? 0 : nb;
        S.GroundPointCount = nsb;
        S.BoundaryCount = nb;
        S.BoundaryPointCount = 1;
        const long long total = static_cast<long long>(nsb) + 2LL * (nb > nsb ? nb - nsb : 0);
        for (long long k = 0; k < total; ++k) {
            const TPlotPoint p = Point(false);
            if (S.BoundaryPointCount < PlotCapacity::BoundaryPoints)
                S.BoundaryPoints[S.BoundaryPointCount++] = p;
            else
                Overflow.Report(OverBoundaryPoints);
        }
        if (S.GroundPointCount > S.BoundaryPointCount - 1)
            S.GroundPointCount = S.BoundaryPointCount - 1;

        // The boundary table as it is now: the layer chains are built from it.
        const std::size_t rows = Boundary.size();
        if (rows > static_cast<std::size_t>(PlotCapacity::BoundaryRecords))
            Overflow.Report(OverBoundaryRows);
        S.BoundaryRecordCount = 0;
        for (TBoundaryRecord& r : S.BoundaryRecords)
            r = TBoundaryRecord();
        for (std::size_t i = 0; i < rows && i < static_cast<std::size_t>(PlotCapacity::BoundaryRecords);
             ++i) {
            TBoundaryRecord& r = S.BoundaryRecords[i];
            r.LeftX = Boundary[i].LeftX;
            r.LeftY = Boundary[i].LeftY;
            r.RightX = Boundary[i].RightX;
            r.RightY = Boundary[i].RightY;
            r.Soil = Boundary[i].Soil;
            S.BoundaryRecordCount = static_cast<int>(i) + 1;
        }
        S.Enabled.BoundaryLines = S.Enabled.ColorSoilLayers = S.Enabled.BoundaryCoords = true;
    }

    void Inf() {
        const int n = Count();
        S.SliceCount = 0;
        for (int i = 0; i < n; ++i) {
            int k = 0;
            const TRead r = Lex.Int(k); // the slice number is not used
            if (r == TRead::Eof)
                throw TStopReading();
            if (r == TRead::Bad)
                BadNumber();
            TSliceRecord slice;
            for (double& v : slice.R)
                v = Real();
            Lex.SkipLine();
            if (i < PlotCapacity::Slices)
                S.Slices[S.SliceCount++] = slice;
            else
                Overflow.Report(OverSlices);
        }
        S.Enabled.TotalStresses = S.Enabled.PoreWaterPressures = true;
    }

    void Lds() {
        int n = S.PressureZoneCount;
        const TRead r = Lex.Int(n);
        if (r == TRead::Eof)
            throw TStopReading();
        Lex.SkipLine();
        if (r == TRead::Bad) {
            DeliverMessage(Messages, TMessageKind::Error,
                           "Error in reading number of surface pressure points");
            n = S.PressureZoneCount;
        }
        if (n < 0)
            n = 0;
        // Zones count as they are completed, so a file that ends inside the record shows only
        // the zones it holds.
        S.PressureZoneCount = 0;
        for (long long k = 0; k < 4LL * n; ++k) {
            const long long zone = k / 4;
            TPlotPoint dummy;
            TPlotPoint& p = zone < PlotCapacity::PressureZones ? S.PressureZones[zone][k % 4] : dummy;
            if (zone >= PlotCapacity::PressureZones)
                Overflow.Report(OverZones);
            // A damaged point keeps what could be read; the next point is read from the next line.
            double xy[2] = {p.X, p.Y};
            bool ok = true;
            for (double& v : xy) {
                const TRead rv = Lex.Real(v);
                if (rv == TRead::Eof)
                    throw TStopReading();
                if (rv == TRead::Bad) {
                    ok = false;
                    break;
                }
                v *= S.ScaleFactor;
                if (!std::isfinite(v)) { // as for a point: refused where it is read
                    v = 0;
                    ok = false;
                    break;
                }
            }
            Lex.SkipLine();
            p.X = xy[0];
            p.Y = xy[1];
            if (!ok)
                DeliverMessage(Messages, TMessageKind::Error,
                               "Error in reading surface pressure plot output for point " +
                                   std::to_string(k + 1));
            if (k % 4 == 3 && zone < PlotCapacity::PressureZones)
                S.PressureZoneCount = static_cast<int>(zone) + 1;
        }
        S.Enabled.SurfacePressures = true;
    }

    void Lmt() {
        const int n = Count();
        S.LimitSegmentCount = 0;
        for (int i = 0; i < n; ++i) {
            const TPlotPoint a = Point(true);
            const TPlotPoint b = Point(true);
            if (i < PlotCapacity::LimitSegments) {
                S.LimitSegments[i][0] = a;
                S.LimitSegments[i][1] = b;
                S.LimitSegmentCount = i + 1;
            } else {
                Overflow.Report(OverLimits);
            }
        }
        S.Enabled.SearchLimits = true;
    }

    void Npl() {
        ReadScaling(S.Header);
        S.ScaleFactor = S.Header[2];
    }

    void Rnf() {
        const int n = Count();
        S.ReinfLineCount = n < PlotCapacity::ReinfLines ? n : PlotCapacity::ReinfLines;
        for (int i = 0; i < n; ++i) {
            if (i < PlotCapacity::ReinfLines) {
                S.ReinfLines[i].Count = 0;
                Polyline(&S.ReinfLines[i], OverReinfPoints);
            } else {
                Polyline<PlotCapacity::ReinfPoints>(nullptr, OverReinfPoints);
                Overflow.Report(OverReinfLines);
            }
        }
        if (n > 0)
            S.Enabled.ReinfLines = true;
    }

    void Srf() {
        TSurface* slot = nullptr;
        if (S.SlotCounter < PlotCapacity::LastTrialSlot) {
            ++S.SlotCounter;
            slot = &S.TrialSurfaces[S.SlotCounter];
        } else {
            Overflow.Report(OverTrials);
        }
        int m = slot ? slot->Count : 0;
        const TRead rm = Lex.Int(m);
        if (rm == TRead::Eof)
            throw TStopReading();
        TRead rf = TRead::Bad;
        double fs = 0;
        if (rm == TRead::Ok) {
            rf = Lex.Real(fs);
            if (rf == TRead::Eof)
                throw TStopReading();
        }
        Lex.SkipLine();
        if (slot)
            S.TrialFS[S.SlotCounter] = rf == TRead::Ok ? fs : 0;
        if (rf == TRead::Ok)
            S.CurrentFS = fs;
        else
            DeliverMessage(Messages, TMessageKind::Error,
                           "Error in reading number of points on failure surface " +
                               std::to_string(S.SlotCounter) + " of 10");
        if (m < 0)
            m = 0;
        const int kept = m < PlotCapacity::SurfacePoints ? m : PlotCapacity::SurfacePoints;
        if (slot) {
            for (int k = 0; k < kept; ++k)
                slot->Points[k] = Point(true);
            slot->Count = kept;
        } else {
            SkipPoints(kept);
        }
        if (m > kept) {
            SkipPoints(m - kept);
            if (slot)
                Overflow.Report(OverTrialPoints);
        }
        S.Enabled.AllTrialSurfaces = S.Enabled.SoilLayerNumbers = S.Enabled.SolutionInformation = true;
    }

    void Ten() {
        for (int t = 0; t < PlotCapacity::TenSurfaces; ++t) {
            TSurface& surface = S.TenSurfaces[t];
            const int m = Count();
            double v[4];
            for (double& x : v)
                x = Real();
            Lex.SkipLine();
            const int kept = m < PlotCapacity::SurfacePoints ? m : PlotCapacity::SurfacePoints;
            for (int k = 0; k < kept; ++k)
                surface.Points[k] = Point(true);
            surface.Count = kept;
            if (m > kept) {
                SkipPoints(m - kept);
                Overflow.Report(OverTenPoints);
            }
            if (t == 0) {
                TCriticalSurface& c = S.Critical;
                c.FS = v[0];
                c.X = v[1];
                c.Y = v[2];
                c.R = v[3];
                c.CentreX = v[1];
                c.CentreY = v[2];
                S.CurrentFS = v[0];
                if (kept > 0) {
                    const TPlotPoint& first = surface.Points[0];
                    const TPlotPoint& last = surface.Points[kept - 1];
                    if (c.X < 0.0001)
                        c.X = (first.X + last.X) / 2;
                    if (c.Y < 0.0001)
                        c.Y = first.Y + last.Y;
                }
                S.HasTen = true;
            }
        }
        S.Enabled.SolutionInformation = S.Enabled.TenSlipSurfaces = S.Enabled.CriticalSlipSurface = true;
    }

    void Tie() {
        const int n = Count();
        S.TiebackCount = 0;
        for (int i = 0; i < n; ++i) {
            if (i < PlotCapacity::Tiebacks) {
                for (TPlotPoint& p : S.Tiebacks[i])
                    p = Point(true);
                S.TiebackCount = i + 1;
            } else {
                SkipPoints(3);
                Overflow.Report(OverTiebacks);
            }
        }
        S.Enabled.TieBacks = true;
    }

    void Wtr() {
        const int n = Count();
        S.WaterSurfaceCount = n < PlotCapacity::WaterSurfaces ? n : PlotCapacity::WaterSurfaces;
        for (int i = 0; i < n; ++i) {
            if (i < PlotCapacity::WaterSurfaces) {
                S.WaterSurfaces[i].Count = 0;
                Polyline(&S.WaterSurfaces[i], OverWaterPoints);
            } else {
                Polyline<PlotCapacity::WaterPoints>(nullptr, OverWaterPoints);
                Overflow.Report(OverWater);
            }
        }
        S.DisplayWaterCount = 0;
        for (int i = 0; i < S.WaterSurfaceCount && i < PlotCapacity::DisplayWaterSurfaces; ++i)
            S.DisplayWater[S.DisplayWaterCount++] = S.WaterSurfaces[i];
        if (n > 0)
            S.Enabled.PiezometricLine = S.Enabled.PoreWaterPressures = true;
    }

    TPlotLexer& Lex;
    const TBoundaryLines& Boundary;
    TPlotStore& S;
    std::string FileName;
    const TMessageHandler& Messages;
    TOverflowReport Overflow;
    bool ScalingReported = false;
};

void ReadText(const char* text, std::size_t size, const TBoundaryLines& boundary, TPlotStore& store,
              const std::string& fileName, const TMessageHandler& messages) {
    store.Clear();
    if (size == 0) {
        BuildLayerChains(store, messages);
        return;
    }
    TPlotLexer lexer(text, size);
    TPlotReader(lexer, boundary, store, fileName, messages).Run();
}

} // namespace

void ReadPlotText(const char* text, std::size_t size, const TBoundaryLines& boundary, TPlotStore& store,
                  const TMessageHandler& messages) {
    ReadText(text, size, boundary, store, "(text)", messages);
}

bool ReadPlotFile(const std::string& fileName, const TBoundaryLines& boundary, TPlotStore& store,
                  const TMessageHandler& messages) {
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) {
        const int err = errno;
        store.Clear();
        store.ChainsToBuild = false;
        DeliverMessage(messages, TMessageKind::Error,
                       "Cannot open the plot file \"" + fileName + "\": " + std::strerror(err));
        return false;
    }
    std::string text;
    bool failed = false;
    int err = 0;
    char chunk[1 << 16];
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(fileName, sizeError);
    if (!sizeError && size < (std::uintmax_t(1) << 32))
        text.reserve(static_cast<std::size_t>(size));
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        text.append(chunk, n);
        if (n < sizeof chunk) {
            if (std::ferror(f)) {
                failed = true;
                err = errno;
            }
            break;
        }
    }
    std::fclose(f);
    if (failed) {
        store.Clear();
        store.ChainsToBuild = false;
        DeliverMessage(messages, TMessageKind::Error,
                       "Cannot read the plot file \"" + fileName + "\": " + std::strerror(err));
        return false;
    }
    ReadText(text.data(), text.size(), boundary, store, fileName, messages);
    return true;
}
