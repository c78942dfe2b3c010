// Writing and reading input files: exact text, reading rules, both layouts, errors, damaged counts.
#include "support/ModelTestSupport.h"
#include "tst_model.h"
#include <QtTest>
#include <random>
#include <sstream>

namespace {
const std::string Incomplete = "This file either invalid or incomplete.";

// The eight-line file of a new model, used as the frame of many small files below.
std::vector<std::string> Head() {
    return {"PROFIL", "T", "1 0 1", "0. 0. 10. 0. 1", "SOIL", "1", "1. 2. 3. 4. 0. 0. 0"};
}
std::string With(std::vector<std::string> lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return CrLf(lines);
}

// Fills the example of the file-format description through the model's own interfaces.
void BuildExample(TProgramData& m) {
    TTableSet& t = m.Host().Tables();
    m.Title = "Example dam";
    m.SurfaceBoundaryCount = 1;
    auto& bound = t.BoundCood();
    bound.SetRowCount(2);
    SetRow(bound, 0, "PPPPI", {0, 50, 100, 50, 1});
    SetRow(bound, 1, "PPPPI", {100, 50, 200, 60, 1});
    SetRow(t.SoilData(), 0, "PPPPPPI", {120, 125, 200, 30, 0, 0, 1});
    m.HasWater = 1;
    m.WaterUnitWeight = 62.4L;
    auto* points = PointsOf(t.WaterSurfaceSet(), 0);
    points->SetRowCount(2);
    SetRow(*points, 0, "PP", {0, 45});
    SetRow(*points, 1, "PP", {200, 55});
    m.HasSurcharge = 1;
    SetRow(t.SurchargeLoad(), 0, "PPPP", {120, 140, 500, 0});
    m.HasEarthquake = 1;
    m.HorizontalCoefficient = 0.15L;
    m.HasBishopSearch = 1;
    m.SearchKind = 3;
    m.InitiationPoints = 10;
    m.SurfacesPerPoint = 10;
    m.LeftInitiationX = 20;
    m.RightInitiationX = 60;
    m.LeftTerminationX = 150;
    m.RightTerminationX = 190;
    m.MinimumElevation = 20;
    m.SegmentLength = 5;
}

// Saves, loads back and saves again: the model and the bytes must survive.
void CheckRoundTrip(TTestHost& host, TProgramData& model, const char* what) {
    const std::string text = model.FileText();
    const std::string before = DumpWithoutFileName(model);
    std::vector<std::string> messages;
    auto loaded = LoadText(host, text, true, &messages);
    QVERIFY2(messages.empty(), what);
    QCOMPARE(DumpWithoutFileName(*loaded), before);
    QCOMPARE(loaded->FileText(), text);
}
} // namespace

void TestModel::exampleByteExact() {
    TTestHost host;
    auto built = TProgramData::CreateNew(host);
    BuildExample(*built);
    const std::string expected = ReadFile(TestDataPath("example.qvxd"));
    QVERIFY(!expected.empty());
    QCOMPARE(built->FileText(), expected);
    const std::string builtDump = DumpWithoutFileName(*built);

    // Saving writes those bytes; loading them gives the same model, which saves to the same bytes.
    QTemporaryDir dir;
    built->FileName = dir.filePath("saved.qvxd").toStdString();
    built->SaveToFile();
    QCOMPARE(ReadFile(built->FileName), expected);

    TMessageCapture capture(host);
    auto loaded = TProgramData::CreateFromFile(TestDataPath("example.qvxd"), true, host);
    QVERIFY(capture.Messages.empty());
    QCOMPARE(loaded->FileName, TestDataPath("example.qvxd"));
    QCOMPARE(DumpWithoutFileName(*loaded), builtDump);
    QCOMPARE(loaded->FileText(), expected);
}

void TestModel::exampleDamResource() {
    TTestHost host;
    const std::string path = std::string(BREVANTO_RESOURCE_DIR) + "/examples/ExampleDam.qvxd";
    TMessageCapture capture(host);
    auto model = TProgramData::CreateFromFile(path, true, host);
    QVERIFY(capture.Messages.empty());
    TTableSet& t = host.Tables();
    QCOMPARE(t.BoundCood().RowCount(), 7);
    QCOMPARE(model->SurfaceBoundaryCount, 5);
    QCOMPARE(t.SoilData().RowCount(), 3);
    QCOMPARE(AnisotropyOf(t.SoilData(), 1)->RowCount(), 3);
    QCOMPARE(AnisotropyOf(t.SoilData(), 1)->Cell(0, 0).GetText(), std::string("-45"));
    QCOMPARE(PointsOf(t.WaterSurfaceSet(), 0)->RowCount(), 6);
    QCOMPARE(model->SearchKind, 3);
    QCOMPARE(model->FileText(), ReadFile(path));
}

void TestModel::numberFormsInFile() {
    TTestHost host;
    auto m = TProgramData::CreateNew(host);
    TTableSet& t = m->Host().Tables();
    m->HasWater = 1;
    m->WaterUnitWeight = 62;
    SetRow(t.SoilData(), 0, "PPPPPPI", {62, 0.000001L, 123456789, -0.125L, 12.5L, 0.15L, 3});
    m->HasEarthquake = 1;
    m->HorizontalCoefficient = 0.125L;
    m->VerticalCoefficient = -0.125L;
    m->CavitationPressure = 2.5L;
    m->Title = "Two\r\nlines";
    const std::string text = m->FileText();
    // A line break in the title would split the file: it is written as blanks.
    QVERIFY(text.find("PROFIL\r\nTwo  lines\r\n1 0 1\r\n") == 0);
    QVERIFY(text.find("\r\nWATER\r\n1 62\r\n1\r\n0. 0.\r\n") != std::string::npos);
    // A value that the 8-digit form would change is written with the digits it needs (123456789, not
    // 1.2345679E8); the earthquake line keeps two decimals where they hold the value.
    QVERIFY(text.find("\r\n62. 1E-6 123456789. -0.125 12.5 0.15 3\r\n") != std::string::npos);
    QVERIFY(text.find("\r\nEQUAKE\r\n0.125 -0.125 2.50\r\n") != std::string::npos);
    // Every line ends with CR LF and no line has a bare LF or trailing blank.
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        QVERIFY(i > 0 && text[i - 1] == '\r' && (i < 2 || text[i - 2] != ' '));

    // The scientific forms read back (no point after the exponent).
    std::vector<std::string> messages;
    auto loaded = LoadText(host, text, true, &messages);
    QVERIFY(messages.empty());
    QCOMPARE(t.SoilData().Cell(1, 0).GetFloat(), 0.000001L);
    QCOMPARE(t.SoilData().Cell(2, 0).GetFloat(), 123456789.0L);
    QCOMPARE(loaded->FileText(), text);
}

void TestModel::anisotropySection() {
    TTestHost host;
    auto m = TProgramData::CreateNew(host);
    TTableSet& t = host.Tables();
    auto& soil = t.SoilData();
    soil.SetRowCount(5);
    // Soil 1: one row with a positive direction limit only.
    SetRow(*AnisotropyOf(soil, 0), 0, "PPP", {10, 0, 0});
    // Soil 2: two rows of zeros: nothing to write.
    AnisotropyOf(soil, 1)->SetRowCount(2);
    // Soil 3: a negative direction limit and a friction angle are data too.
    SetRow(*AnisotropyOf(soil, 2), 0, "PPP", {-30, 0, 25});
    // Soil 4: a row of zeros before the data is written with it.
    AnisotropyOf(soil, 3)->SetRowCount(2);
    SetRow(*AnisotropyOf(soil, 3), 1, "PPP", {45, 300, 20});
    // Soil 5: a positive intercept.
    SetRow(*AnisotropyOf(soil, 4), 0, "PPP", {0, 150, 0});

    const std::string text = m->FileText();
    const std::string expected =
        CrLf({"SOIL", "5", "0. 0. 0. 0. 0. 0. 0", "0. 0. 0. 0. 0. 0. 0", "0. 0. 0. 0. 0. 0. 0",
              "0. 0. 0. 0. 0. 0. 0", "0. 0. 0. 0. 0. 0. 0", "ANISO", "4", "1 1", "10. 0. 0.", "3 1",
              "-30. 0. 25.", "4 2", "0. 0. 0.", "45. 300. 20.", "5 1", "0. 150. 0.", "EXECUT"});
    QVERIFY2(text.size() > expected.size() &&
                 text.compare(text.size() - expected.size(), expected.size(), expected) == 0,
             text.c_str());

    // Read back: every block lands in its soil's table; soil 2 keeps its one default row.
    auto loaded = LoadText(host, text, true);
    QCOMPARE(AnisotropyOf(soil, 0)->RowCount(), 1);
    QCOMPARE(AnisotropyOf(soil, 0)->Cell(0, 0).GetText(), std::string("10"));
    QCOMPARE(AnisotropyOf(soil, 1)->RowCount(), 1);
    QCOMPARE(AnisotropyOf(soil, 2)->Cell(2, 0).GetText(), std::string("25"));
    QCOMPARE(AnisotropyOf(soil, 3)->RowCount(), 2);
    QCOMPARE(AnisotropyOf(soil, 3)->Cell(1, 1).GetText(), std::string("300"));
    QCOMPARE(loaded->FileText(), text);

    // Without any anisotropy data there is no section at all.
    auto fresh = TProgramData::CreateNew(host);
    t.SoilData().SetRowCount(3);
    AnisotropyOf(t.SoilData(), 2)->SetRowCount(4);
    QVERIFY(fresh->FileText().find("ANISO") == std::string::npos);
}

void TestModel::emptySubTables() {
    TTestHost host;
    auto m = TProgramData::CreateNew(host);
    TTableSet& t = host.Tables();
    m->HasWater = 1;
    m->WaterUnitWeight = 9.81L;
    auto& water = t.WaterSurfaceSet();
    water.SetRowCount(2);
    PointsOf(water, 0)->SetRowCount(0);
    SetRow(*PointsOf(water, 1), 0, "PP", {5, 6});
    m->HasReinforcement = 1;
    m->UseSurbis = 1;
    auto& sets = t.ReinEarthLayerSet();
    sets.SetRowCount(2);
    LayersOf(sets, 0)->SetRowCount(0);
    SetRow(*LayersOf(sets, 1), 1, "PPPP", {1, 2, 3, 0.5L});
    const std::string text = m->FileText();
    QVERIFY(text.find(CrLf({"WATER", "2 9.81", "0", "1", "5. 6.", "REINF", "2", "0", "2", "0. 0. 0. 0.",
                            "1. 2. 3. 0.5", "EXECUT"})) != std::string::npos);
    CheckRoundTrip(host, *m, "empty sub-tables");
}

void TestModel::readingRules() {
    TTestHost host;
    TTableSet& t = host.Tables();
    {
        // "SOIL " with a trailing blank is no keyword: the soil table keeps its default row, and the
        // user is told that the file was not read to its end.
        std::vector<std::string> messages;
        auto m = LoadText(
            host,
            CrLf({"PROFIL", "T", "1 0 1", "0. 0. 10. 0. 1", "SOIL ", "1", "5. 5. 5. 5. 5. 5. 1", "EXECUT"}),
            true, &messages);
        QCOMPARE(messages, std::vector<std::string>{"This file either invalid or incomplete."});
        QCOMPARE(t.SoilData().RowCount(), 1);
        QCOMPARE(t.SoilData().Cell(0, 0).GetText(), std::string("0"));
        QCOMPARE(t.BoundCood().Cell(2, 0).GetText(), std::string("10"));
    }
    {
        // PROFILE is accepted; values spread over lines, tabs and blank lines; words after the last
        // value of a section are passed over; whatever follows EXECUT is ignored.
        auto m = LoadText(host,
                          CrLf({"PROFILE", "  Spread  title ", "2\t1", "", " 1", "0 50", "100 50 1 100", "",
                                "50 200 60 1 trailing words", "SOIL", "1", "120 125 200 30 0 0 2", "EXECUT",
                                "LOADS", "1", "1 2 3 4"}),
                          true);
        QCOMPARE(m->Title, std::string("  Spread  title "));
        QCOMPARE(t.BoundCood().RowCount(), 2);
        QCOMPARE(m->SurfaceBoundaryCount, 1);
        QCOMPARE(t.BoundCood().Cell(4, 1).GetText(), std::string("1"));
        QCOMPARE(t.BoundCood().Cell(2, 1).GetText(), std::string("200"));
        QCOMPARE(t.SoilData().Cell(6, 0).GetText(), std::string("2"));
        QCOMPARE(int(m->HasSurcharge), 0);
    }
    {
        // Without PROFIL the first line is passed over and SOIL is expected on the second line.
        auto m = LoadText(host, CrLf({"HEADER", "SOIL", "1", "7. 7. 7. 7. 7. 7. 1", "EXECUT"}), true);
        QCOMPARE(m->Title, std::string("New Slope"));
        QCOMPARE(t.SoilData().Cell(0, 0).GetText(), std::string("7"));
        QCOMPARE(t.BoundCood().RowCount(), 1);
    }
    {
        // ANISO right after the soil rows.
        auto m = LoadText(host, With(Head(), {"ANISO", "1", "1 1", "5. 6. 7.", "EXECUT"}), true);
        QCOMPARE(AnisotropyOf(t.SoilData(), 0)->Cell(1, 0).GetText(), std::string("6"));
    }
    {
        // A user surface is written back with the keyword it was read with (the keyword chooses the
        // method), with or without REINF; REINF alone sets UseSurbis for a surface entered later.
        auto m = LoadText(host, With(Head(), {"SURBIS", "2", "0 10", "20 30", "EXECUT"}), true);
        QCOMPARE(m->UseSurbis, 1);
        QCOMPARE(m->SearchKind, 1);
        QVERIFY(m->FileText().find("\r\nSURBIS\r\n2\r\n0. 10.\r\n20. 30.\r\nEXECUT\r\n") !=
                std::string::npos);
        auto r = LoadText(
            host, With(Head(), {"REINF", "1", "2", "1 2 3 4", "5 6 7 8", "SURFAC", "1", "0 10", "EXECUT"}),
            true);
        QCOMPARE(r->UseSurbis, 0);
        QCOMPARE(int(r->HasReinforcement), 1);
        QVERIFY(r->FileText().find("\r\nSURFAC\r\n1\r\n0. 10.\r\n") != std::string::npos);
        auto only = LoadText(host, With(Head(), {"REINF", "1", "2", "1 2 3 4", "5 6 7 8", "EXECUT"}), true);
        QCOMPARE(only->UseSurbis, 1);
    }
    {
        // A count above MaxRows that the file holds loads completely and is written back whole.
        std::vector<std::string> lines = {"PROFIL", "Long", "120 120 1"};
        for (int i = 0; i < 120; ++i)
            lines.push_back(FormatP(i) + " 0. " + FormatP(i + 1) + " 0. 1");
        lines.insert(lines.end(), {"SOIL", "1", "0. 0. 0. 0. 0. 0. 0", "EXECUT"});
        auto m = LoadText(host, CrLf(lines), true);
        QCOMPARE(t.BoundCood().RowCount(), 120);
        QCOMPARE(t.BoundCood().Cell(2, 119).GetText(), std::string("120"));
        QCOMPARE(m->FileText(), CrLf(lines));
    }
    {
        // Unit code 2: SI from the start, numbers exactly as written.
        auto m = LoadText(
            host,
            CrLf({"PROFIL", "SI", "1 1 2", "0. 10. 20. 10. 1", "SOIL", "1", "18. 19. 5. 30. 0. 0. 0", "WATER",
                  "1 9.81", "1", "0. 8.", "CIRCL2", "1 2", "3. 4. 5. 6.", "7. 8. 0. -45.", "EXECUT"}),
            true);
        QCOMPARE(m->UnitSystem, 2);
        QCOMPARE(m->WaterUnitWeight, 9.81L);
        QCOMPARE(m->SegmentLength, 8.0L);
        QCOMPARE(t.BoundCood().Cell(1, 0).GetText(), std::string("10"));
        QCOMPARE(t.SoilData().Cell(0, 0).GetText(), std::string("18"));
        QCOMPARE(t.BoundCood().UnitSystem(), 2);
        QCOMPARE(t.SoilData().UnitSystem(), 2);
    }
}

void TestModel::sectionPasses() {
    TTestHost host;
    TTableSet& t = host.Tables();
    {
        // All optional sections in the reverse of the writing order: one section per pass.
        auto m = LoadText(host, With(Head(), {"BLOCK",
                                              "30 2 4.",
                                              "1 2 3 4 5",
                                              "6 7 8 9 10",
                                              "RANDOM",
                                              "11 12",
                                              "1 2 3 4",
                                              "5 6 7 8",
                                              "SPENCR",
                                              "9.5",
                                              "CIRCL2",
                                              "13 14",
                                              "1 2 3 4 5 6 7 8",
                                              "CIRCL2",
                                              "15 16",
                                              "1 2 3 4",
                                              "5 6 7 8",
                                              "CIRCLE",
                                              "17 18",
                                              "1 2 3 4",
                                              "5 6 7 -8",
                                              "SURFAC",
                                              "1",
                                              "3 4",
                                              "REINF",
                                              "1",
                                              "1",
                                              "1 1 1 1",
                                              "TIES",
                                              "1",
                                              "1 2 3 4 5 6 7",
                                              "LIMITS",
                                              "1 1",
                                              "1 2 3 4",
                                              "EQUAKE",
                                              "0.1 0.2 3",
                                              "LOADS",
                                              "1",
                                              "4 3 2 1",
                                              "WATER",
                                              "1 62.4",
                                              "1",
                                              "5 5",
                                              "EXECUT"}),
                          true);
        QCOMPARE(int(m->HasBlockSearch) + m->HasIrregularSearch + m->HasSpencerSearch + m->HasBishopSearch +
                     m->HasJanbuSearch + m->HasUserSurface,
                 6);
        QCOMPARE(int(m->HasWater) + m->HasSurcharge + m->HasEarthquake + m->HasLimits + m->HasTiebacks +
                     m->HasReinforcement,
                 6);
        QCOMPARE(m->SearchKind, 1);
        QCOMPARE(m->InitiationPoints, 17);
        QCOMPARE(m->CwLimit, -8.0L);
        QCOMPARE(m->InterSliceAngle, 9.5L);
        QCOMPARE(m->BlockSegmentLength, 4.0L);
        QCOMPARE(t.BoxCoord().Cell(4, 1).GetText(), std::string("10"));
        QCOMPARE(t.SurchargeLoad().Cell(0, 0).GetText(), std::string("4"));
        QCOMPARE(PointsOf(t.WaterSurfaceSet(), 0)->Cell(1, 0).GetText(), std::string("5"));
        QCOMPARE(m->CavitationPressure, 3.0L);
    }
    {
        // A repeated section is read again and the later occurrence wins.
        auto m = LoadText(host,
                          With(Head(), {"LOADS", "2", "1 1 1 1", "2 2 2 2", "EQUAKE", "0.5 0 0", "LOADS", "1",
                                        "9 9 9 9", "EXECUT"}),
                          true);
        QCOMPARE(t.SurchargeLoad().RowCount(), 1);
        QCOMPARE(t.SurchargeLoad().Cell(0, 0).GetText(), std::string("9"));
        QCOMPARE(m->HorizontalCoefficient, 0.5L);
    }
    {
        // At most 20 passes: of 21 EQUAKE sections, one per pass, the 21st is not read, and the
        // user is told so.
        std::vector<std::string> more;
        for (int i = 1; i <= 21; ++i)
            more.insert(more.end(), {"EQUAKE", FormatI(i) + " 0 0"});
        more.push_back("EXECUT");
        std::vector<std::string> messages;
        auto m = LoadText(host, With(Head(), more), true, &messages);
        QCOMPARE(messages, std::vector<std::string>{"This file either invalid or incomplete."});
        QCOMPARE(m->HorizontalCoefficient, 20.0L);
    }
}

void TestModel::spencerAndBlock() {
    TTestHost host;
    TTableSet& t = host.Tables();
    {
        // SPENCR without the CIRCL2 line: the angle only; that line is the next keyword.
        std::vector<std::string> messages;
        auto m = LoadText(host, With(Head(), {"SPENCR", "12.", "LOADS", "1", "1 2 3 4", "EXECUT"}), true,
                          &messages);
        QVERIFY(messages.empty());
        QCOMPARE(m->SearchKind, 6);
        QCOMPARE(m->InterSliceAngle, 12.0L);
        QCOMPARE(m->InitiationPoints, 0);
        QCOMPARE(int(m->HasSurcharge), 1);
    }
    {
        // Box rows stand on their own lines: words after the fifth value of a box are passed over, also
        // when the box is spread over two lines; no boxes at all is fine too.
        std::vector<std::string> messages;
        auto m = LoadText(host,
                          With(Head(), {"BLOCK", "50 3 2.5", "0 1 2 3 4 junk junk", "5 6", "7 8 9 junk",
                                        "10 11 12 13 14", "EXECUT"}),
                          true, &messages);
        QVERIFY(messages.empty());
        QCOMPARE(m->SurfacesPerPoint, 50);
        QCOMPARE(m->BlockSegmentLength, 2.5L);
        QCOMPARE(t.BoxCoord().RowCount(), 3);
        QCOMPARE(t.BoxCoord().Cell(4, 1).GetText(), std::string("9"));
        QCOMPARE(t.BoxCoord().Cell(0, 2).GetText(), std::string("10"));
        auto none = LoadText(host, With(Head(), {"BLOCK", "20 0 3.", "EXECUT"}), true, &messages);
        QVERIFY(messages.empty());
        QCOMPARE(t.BoxCoord().RowCount(), 2);
        QCOMPARE(none->SurfacesPerPoint, 20);
    }
}

void TestModel::oldLayout() {
    TTestHost host;
    TTableSet& t = host.Tables();
    const std::vector<std::string> old = {
        "PROFIL", "Old dam",  "2 1", "0 50 100 50 1", "100 50 200 60 1", "SOIL", "1", "120 125 200 30 0 0 1",
        "WATER",  "1 7 62.4", "2",   "0 45",          "200 55",          "TIES", "1", "1 40 5000 10 15 20"};
    {
        // Two integers on the profile count line, three values on the water count line, ties without X,
        // two leading integers before the circle search, and nothing read after the search.
        std::vector<std::string> messages;
        auto m = LoadText(host,
                          With(old, {"CIRCLE", "3 2", "10 10", "20 60 150 190", "20 5 0 -45", "LOADS", "1",
                                     "1 2 3 4", "EXECUT"}),
                          false, &messages);
        QVERIFY(messages.empty());
        QCOMPARE(m->UnitSystem, 1);
        QCOMPARE(m->SurfaceBoundaryCount, 1);
        QCOMPARE(t.BoundCood().RowCount(), 2);
        QCOMPARE(m->WaterUnitWeight, 62.4L);
        QCOMPARE(PointsOf(t.WaterSurfaceSet(), 0)->RowCount(), 2);
        QCOMPARE(t.TiebackCoord().Cell(0, 0).GetText(), std::string("1"));
        QCOMPARE(t.TiebackCoord().Cell(1, 0).GetText(), std::string("0"));
        QCOMPARE(t.TiebackCoord().Cell(2, 0).GetText(), std::string("40"));
        QCOMPARE(t.TiebackCoord().Cell(6, 0).GetText(), std::string("20"));
        QCOMPARE(m->SearchKind, 2);
        QCOMPARE(m->InitiationPoints, 10);
        QCOMPARE(m->CwLimit, -45.0L);
        QCOMPARE(int(m->HasSurcharge), 0);
        // Saved in the current layout.
        const std::string text = m->FileText();
        QVERIFY(text.find("\r\n2 1 1\r\n") != std::string::npos);
        QVERIFY(text.find("\r\nWATER\r\n1 62.4\r\n2\r\n") != std::string::npos);
        QVERIFY(text.find("\r\nTIES\r\n1\r\n1 0. 40. 5000. 10. 15. 20.\r\nCIRCLE\r\n10 10\r\n") !=
                std::string::npos);
    }
    {
        // A leading 0 has no second integer; the file may end right after the search.
        std::vector<std::string> messages;
        auto m = LoadText(host, With(old, {"RANDOM", "0", "4 5", "1 2 3 4", "5 6 7 8"}), false, &messages);
        QVERIFY(messages.empty());
        QCOMPARE(m->SearchKind, 4);
        QCOMPARE(m->InitiationPoints, 4);
        QCOMPARE(m->CwLimit, 8.0L);
        auto b = LoadText(host, With(old, {"BLOCK", "2 9", "40 1 3", "0 1 2 3 4", "EQUAKE", "0.2 0 0"}),
                          false, &messages);
        QVERIFY(messages.empty());
        QCOMPARE(b->SurfacesPerPoint, 40);
        QCOMPARE(b->BlockSegmentLength, 3.0L);
        QCOMPARE(t.BoxCoord().Cell(4, 0).GetText(), std::string("4"));
        QCOMPARE(int(b->HasEarthquake), 0);
        // A user surface ends the 2.0 file as well.
        auto s = LoadText(host, With(old, {"SURFAC", "1", "1 2", "LOADS", "1", "1 2 3 4"}), false, &messages);
        QVERIFY(messages.empty());
        QCOMPARE(s->SearchKind, 1);
        QCOMPARE(int(s->HasSurcharge), 0);
    }
}

void TestModel::loadErrors() {
    TTestHost host;
    TTableSet& t = host.Tables();
    QTemporaryDir dir;
    const auto usable = [&](const TProgramData& m, const std::string& path) {
        QCOMPARE(m.FileName, path);
        QVERIFY(!host.IsModified());
        ForEachTable(t, [](auto& table) { QVERIFY(table.RowCount() >= table.MinRows()); });
    };
    {
        // A word that is no number in the soil rows: the announced rows stay, cells read before keep
        // the file's values, later ones their defaults, and no later section is read.
        const std::string path =
            WriteFile(dir, "bad.qvxd",
                      CrLf({"PROFIL", "T", "1 0 1", "0. 0. 10. 0. 1", "SOIL", "2", "120 125 abc 30 0 0 1",
                            "1 2 3 4 5 6 7", "WATER", "1 62.4", "1", "0 1", "EXECUT"}));
        TMessageCapture capture(host);
        auto m = TProgramData::CreateFromFile(path, true, host);
        QCOMPARE(capture.Messages,
                 std::vector<std::string>{
                     "Error on Line 7 Item 3\rA floating point number was expected but not found."});
        QCOMPARE(t.SoilData().RowCount(), 2);
        QCOMPARE(t.SoilData().Cell(1, 0).GetText(), std::string("125"));
        QCOMPARE(t.SoilData().Cell(2, 0).GetText(), std::string("0"));
        QCOMPARE(t.SoilData().Cell(0, 1).GetText(), std::string("0"));
        QCOMPARE(t.BoundCood().Cell(2, 0).GetText(), std::string("10"));
        QCOMPARE(int(m->HasWater), 0);
        usable(*m, path);
    }
    {
        const std::string path =
            WriteFile(dir, "int.qvxd", CrLf({"PROFIL", "T", "1 0 1", "0 0 0 0 1", "SOIL", "1.5"}));
        TMessageCapture capture(host);
        auto m = TProgramData::CreateFromFile(path, true, host);
        QCOMPARE(capture.Messages,
                 std::vector<std::string>{"Error on Line 6 Item 1\rAn integer was expected but not found."});
        usable(*m, path);
    }
    {
        // A file that cannot be read: the system's reason, and a default model named after the path.
        const std::string path = dir.filePath("does-not-exist.qvxd").toStdString();
        TMessageCapture capture(host);
        auto m = TProgramData::CreateFromFile(path, true, host);
        QCOMPARE(capture.Messages.size(), std::size_t(1));
        QVERIFY(!capture.Messages[0].empty());
        QVERIFY(capture.Messages[0] != Incomplete);
        QCOMPARE(m->Title, std::string("New Slope"));
        QCOMPARE(m->CwLimit, -45.0L);
        usable(*m, path);
    }
    // The file ends: inside a row, where the title is expected, where a keyword is expected (no
    // EXECUT), and an empty file. Values read so far stay.
    const std::vector<std::pair<std::vector<std::string>, int>> cut = {
        {{"PROFIL", "T", "1 0 1", "0 0 10 0 1", "SOIL", "1", "120 125 200"}, 1},
        {{"PROFIL"}, 0},
        {{"PROFIL", "T", "1 0 1", "0 0 10 0 1", "SOIL", "1", "120 125 200 30 0 0 1", "LOADS", "1", "1 2 3 4"},
         2},
        {{}, 0},
    };
    for (const auto& [lines, kept] : cut) {
        const std::string path = WriteFile(dir, "cut.qvxd", CrLf(lines));
        TMessageCapture capture(host);
        auto m = TProgramData::CreateFromFile(path, true, host);
        QCOMPARE(capture.Messages, std::vector<std::string>{Incomplete});
        if (kept >= 1) {
            QCOMPARE(t.BoundCood().Cell(2, 0).GetText(), std::string("10"));
            QCOMPARE(t.SoilData().Cell(1, 0).GetText(), std::string("125"));
        }
        if (kept == 2) {
            QCOMPARE(int(m->HasSurcharge), 1);
            QCOMPARE(t.SurchargeLoad().Cell(3, 0).GetText(), std::string("4"));
            // What was read is saved again (the flag was set when the section started).
            QVERIFY(m->FileText().find("LOADS\r\n1\r\n1. 2. 3. 4.\r\n") != std::string::npos);
        }
        usable(*m, path);
    }
    {
        // An anisotropy block for a soil type that does not exist.
        std::vector<std::string> messages;
        auto m =
            LoadText(host, With(Head(), {"ANISO", "1", "3 1", "1 2 3", "LOADS", "1", "1 1 1 1", "EXECUT"}),
                     true, &messages);
        QCOMPARE(messages, std::vector<std::string>{Incomplete});
        QCOMPARE(t.SoilData().Cell(0, 0).GetText(), std::string("1"));
        QCOMPARE(int(m->HasSurcharge), 0);
        QVERIFY(!host.IsModified());
    }
}

void TestModel::damagedCounts() {
    TTestHost host;
    TTableSet& t = host.Tables();
    std::vector<std::string> messages;
    {
        // A huge boundary count over two real rows: both rows load, then the file is incomplete.
        auto m = LoadText(host, CrLf({"PROFIL", "T", "2147483647 0 1", "0 0 10 0 1", "10 0 20 0 1"}), true,
                          &messages);
        QCOMPARE(messages, std::vector<std::string>{Incomplete});
        QCOMPARE(t.BoundCood().RowCount(), 2);
        QCOMPARE(t.BoundCood().Cell(2, 1).GetText(), std::string("20"));
        // Saved again, the count matches the rows.
        QVERIFY(m->FileText().find("PROFIL\r\nT\r\n2 0 1\r\n0. 0. 10. 0. 1\r\n10. 0. 20. 0. 1\r\n") == 0);
    }
    {
        // A partial row keeps its values.
        auto m =
            LoadText(host, With({"PROFIL", "T", "1 0 1", "0 0 10 0 1", "SOIL"}, {"1000000", "120 125 200"}),
                     true, &messages);
        QCOMPARE(messages, std::vector<std::string>{Incomplete});
        QCOMPARE(t.SoilData().RowCount(), 1);
        QCOMPARE(t.SoilData().Cell(2, 0).GetText(), std::string("200"));
    }
    // Counts deep inside the structure: surfaces, points, layer sets, layers, anisotropy blocks and rows.
    const std::vector<std::vector<std::string>> hostile = {
        {"WATER", "2000000000 62.4", "1", "0 0"},       {"WATER", "1 62.4", "2000000000", "0 0", "1 1"},
        {"REINF", "2000000000", "1", "1 2 3 4"},        {"REINF", "1", "2000000000", "1 2 3 4"},
        {"ANISO", "2000000000", "1 1", "1 2 3"},        {"ANISO", "1", "1 2000000000", "1 2 3", "4 5 6"},
        {"LIMITS", "2000000000 2000000000", "1 2 3 4"}, {"BLOCK", "10 2000000000 5", "1 2 3 4 5"},
    };
    for (const auto& section : hostile) {
        auto m = LoadText(host, With(Head(), section), true, &messages);
        QCOMPARE(messages, std::vector<std::string>{Incomplete});
        int largest = 0;
        ForEachTable(t, [&largest](auto& table) { largest = std::max(largest, table.RowCount()); });
        // Never more rows than the few words of the damaged section could fill.
        QVERIFY2(largest <= 6, section.front().c_str());
        QVERIFY(!host.IsModified());
    }
    // Negative counts are empty tables, padded to their minimum.
    auto m = LoadText(host, CrLf({"PROFIL", "T", "-5 0 1", "SOIL", "-1", "EXECUT"}), true, &messages);
    QVERIFY(messages.empty());
    QCOMPARE(t.BoundCood().RowCount(), 1);
    QCOMPARE(t.SoilData().RowCount(), 1);
}

void TestModel::roundTrips() {
    TTestHost host;
    TTableSet& t = host.Tables();
    {
        auto m = TProgramData::CreateNew(host);
        CheckRoundTrip(host, *m, "new model");
    }
    for (int kind = 0; kind <= 6; ++kind) {
        auto m = TProgramData::CreateNew(host);
        // Other search kinds in SI, the user surface in the other system.
        if (kind % 2 == 1)
            m->SetUnitSystem(2);
        if (kind == 1)
            m->SetUnitSystem(3);
        BuildExample(*m);
        m->Title = "Round trip " + FormatI(kind);
        m->SearchKind = kind;
        m->HasUserSurface = kind == 1;
        m->HasJanbuSearch = kind == 2;
        m->HasBishopSearch = kind == 3;
        m->HasIrregularSearch = kind == 4;
        m->HasBlockSearch = kind == 5;
        m->HasSpencerSearch = kind == 6;
        // Only the chosen search is written: the model holds values of that one only.
        const bool circular = kind == 2 || kind == 3 || kind == 4 || kind == 6;
        if (circular)
            m->CcwLimit = 35;
        else
            for (Extended* v : {&m->LeftInitiationX, &m->RightInitiationX, &m->LeftTerminationX,
                                &m->RightTerminationX, &m->MinimumElevation, &m->SegmentLength})
                *v = 0;
        m->InitiationPoints = circular ? 10 : 0;
        m->SurfacesPerPoint = circular || kind == 5 ? 10 : 0;
        m->InterSliceAngle = kind == 6 ? 17.5L : 0;
        m->BlockSegmentLength = kind == 5 ? 12.25L : 0;
        m->VerticalCoefficient = 0.25L;
        m->CavitationPressure = -14.7L;
        m->HasLimits = 1;
        t.limit().SetRowCount(2);
        SetRow(t.limit(), 1, "PPPP", {1.5L, -2, 1E-6L, 3.25E9L});
        m->HasTiebacks = 1;
        SetRow(t.TiebackCoord(), 0, "IPPPPPP", {2, 10, 20, 5000, 8, 15, 25});
        m->HasReinforcement = 1;
        m->UseSurbis = 1;
        auto& sets = t.ReinEarthLayerSet();
        sets.SetRowCount(2);
        SetRow(*LayersOf(sets, 1), 1, "PPPP", {1, 2, 3000, 0.75L});
        SetRow(*AnisotropyOf(t.SoilData(), 0), 0, "PPP", {45, 100, 20});
        if (kind == 1) {
            auto& surface = t.FailSurfaceChart();
            surface.SetRowCount(3);
            SetRow(surface, 2, "PP", {40, 12.5L});
        }
        if (kind == 5) {
            SetRow(t.BoxCoord(), 0, "PPPPP", {1, 2, 3, 4, 5});
            SetRow(t.BoxCoord(), 1, "PPPPP", {6, 7, 8, 9, 10});
        }
        CheckRoundTrip(host, *m, "search kinds");
    }
}

// Many damaged variants of two complete files: each loads without crashing into a usable model with
// at most one message, and whatever the writer then makes of it reads back without a message and
// saves to the same bytes.
void TestModel::damagedFiles() {
    TTestHost host;
    auto full = TProgramData::CreateNew(host);
    BuildExample(*full);
    full->HasReinforcement = 1;
    full->UseSurbis = 1;
    full->HasLimits = 1;
    full->HasTiebacks = 1;
    SetRow(*AnisotropyOf(host.Tables().SoilData(), 0), 0, "PPP", {45, 100, 20});
    const std::vector<std::string> sources = {
        full->FileText(), ReadFile(std::string(BREVANTO_RESOURCE_DIR) + "/examples/ExampleDam.qvxd")};
    const std::vector<std::string> replacements = {"abc", "-1",     "0",   "2147483647",  "99999", "1E-6.",
                                                   "1.5", "EXECUT", "1E9", "-2147483648", "SOIL",  "CIRCL2"};
    std::mt19937 random(20151204);
    const auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int round = 0; round < 400; ++round) {
        // The file as lines of words (line structure and keywords both matter to the reader).
        std::vector<std::vector<std::string>> lines;
        {
            std::istringstream in(sources[round % sources.size()]);
            for (std::string line; std::getline(in, line);) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                std::istringstream words(line);
                lines.emplace_back();
                for (std::string w; words >> w;)
                    lines.back().push_back(w);
            }
        }
        for (int change = 0, changes = 1 + static_cast<int>(pick(3)); change < changes; ++change) {
            auto& line = lines[pick(lines.size())];
            switch (pick(6)) {
            case 0:
                if (!line.empty())
                    line.erase(line.begin() + static_cast<long>(pick(line.size())));
                break;
            case 1:
                if (!line.empty())
                    line[pick(line.size())] = replacements[pick(replacements.size())];
                break;
            case 2:
                line.push_back(replacements[pick(replacements.size())]);
                break;
            case 3:
                lines.erase(lines.begin() + static_cast<long>(pick(lines.size())));
                break;
            case 4:
                lines.insert(lines.begin() + static_cast<long>(pick(lines.size())), line);
                break;
            default:
                lines.resize(pick(lines.size()) + 1);
                break;
            }
        }
        std::string text;
        for (const auto& line : lines) {
            for (std::size_t i = 0; i < line.size(); ++i)
                text += (i ? " " : "") + line[i];
            text += "\r\n";
        }

        std::vector<std::string> messages;
        // Every fourth variant is read as a 2.0 file.
        auto model = LoadText(host, text, round % 4 != 3, &messages);
        QVERIFY2(messages.size() <= 1, text.c_str());
        QVERIFY(!host.IsModified());
        ForEachTable(host.Tables(), [](auto& table) { QVERIFY(table.RowCount() >= table.MinRows()); });
        const std::string written = model->FileText();
        auto again = LoadText(host, written, true, &messages);
        QVERIFY2(messages.empty(), written.c_str());
        QCOMPARE(again->FileText(), written);
    }
}

// A hand-edited file with blank lines between its sections loads completely and saves without them;
// the title line is taken as it stands, blank or not.
void TestModel::blankLinesBetweenSections() {
    TTestHost host;
    TTableSet& t = host.Tables();
    std::vector<std::string> messages;
    auto m = LoadText(host,
                      CrLf({"", "PROFIL", "", "1 0 1", "0. 0. 10. 0. 1", "", "SOIL", "1",
                            "1. 2. 3. 4. 0. 0. 0", " ", "", "LOADS", "1", "1. 2. 3. 4.", "\t", "EXECUT"}),
                      true, &messages);
    QVERIFY(messages.empty());
    QCOMPARE(m->Title, std::string());
    QCOMPARE(t.SoilData().Cell(3, 0).GetText(), std::string("4"));
    QCOMPARE(int(m->HasSurcharge), 1);
    QCOMPARE(m->FileText(), CrLf({"PROFIL", "", "1 0 1", "0. 0. 10. 0. 1", "SOIL", "1", "1. 2. 3. 4. 0. 0. 0",
                                  "LOADS", "1", "1. 2. 3. 4.", "EXECUT"}));
}
