// The input file as plain data: reading sections into the description (what a stopped read keeps,
// blank lines between sections) and writing it back.
#include "text/Errors.h"
#include "text/SlopeFile.h"
#include "text/WordRead.h"
#include <QtTest>

namespace {
std::string CrLf(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

// Reads `text`; returns the reader's message, empty when it read to EXECUT.
std::string Read(const std::string& text, TSlopeDescription& d, bool current = true) {
    TWordReader reader = TWordReader::FromText(text);
    try {
        ReadSlopeFile(reader, current, d);
    } catch (const EInOutError& e) {
        return e.what();
    }
    return {};
}
} // namespace

class TestSlopeFile : public QObject {
    Q_OBJECT
  private slots:
    void blankLinesWhereKeywordsStand();
    void stoppedReadKeepsWhatWasRead();
    void subTableCountsAreRecorded();
    void writtenTextReadsBack();
    void surfaceKeywordSurvivesSaving();
};

void TestSlopeFile::blankLinesWhereKeywordsStand() {
    // Blank lines (empty, blanks, a tab) before PROFIL, between sections, before the CIRCL2 line of
    // SPENCR and before EXECUT are passed over.
    TSlopeDescription d;
    QCOMPARE(Read(CrLf({"",
                        "PROFIL",
                        "Dam",
                        "1 1 2",
                        "0. 10. 20. 10. 1",
                        "  ",
                        "SOIL",
                        "1",
                        "18. 19. 5. 30. 0. 0. 0",
                        "\t",
                        "",
                        "LOADS",
                        "1",
                        "1 2 3 4",
                        "",
                        "SPENCR",
                        "12.",
                        "",
                        "CIRCL2",
                        "1 2",
                        "1 2 3 4 5 6 7 8",
                        "",
                        "EXECUT"}),
                  d),
             std::string());
    QCOMPARE(d.Settings.Title, std::string("Dam"));
    QCOMPARE(d.Settings.UnitSystem, 2);
    QCOMPARE(d.Soils.size(), std::size_t(1));
    QCOMPARE(d.Soils[0].FrictionAngle, 30.0L);
    QCOMPARE(d.Loads.size(), std::size_t(1));
    QCOMPARE(d.Settings.SearchKind, 6);
    QCOMPARE(d.Settings.InitiationPoints, 1);
    QCOMPARE(d.Settings.CwLimit, 8.0L);

    // A title may be blank: the line after PROFIL is the title whatever it holds.
    TSlopeDescription blank;
    QCOMPARE(Read(CrLf({"PROFIL", "", "1 0 1", "0 0 10 0 1", "SOIL", "1", "1 2 3 4 0 0 0", "EXECUT"}), blank),
             std::string());
    QCOMPARE(blank.Settings.Title, std::string());
    QCOMPARE(blank.Boundaries.size(), std::size_t(1));

    // A line with a word is still no keyword, and blank lines up to the end are an incomplete file.
    TSlopeDescription junk;
    QCOMPARE(Read(CrLf({"PROFIL", "T", "1 0 1", "0 0 10 0 1", "SOIL", "1", "1 2 3 4 0 0 0", "", "LOADS x",
                        "EXECUT"}),
                  junk),
             std::string("This file either invalid or incomplete."));
    TSlopeDescription cut;
    QCOMPARE(Read(CrLf({"PROFIL", "T", "1 0 1", "0 0 10 0 1", "SOIL", "1", "1 2 3 4 0 0 0", "", " "}), cut),
             std::string("This file either invalid or incomplete."));
    QCOMPARE(cut.Soils.size(), std::size_t(1));
}

void TestSlopeFile::stoppedReadKeepsWhatWasRead() {
    // Three boundary rows announced, the second one broken: row 1 whole, row 2 up to the bad word,
    // row 3 at its defaults (soil 1, as a new table row).
    TSlopeDescription d;
    QCOMPARE(Read(CrLf({"PROFIL", "T", "3 2 1", "0 50 40 50 2", "40 50 x 90 1", "160 90 180 90 1"}), d),
             std::string("Error on Line 5 Item 3\rA floating point number was expected but not found."));
    QVERIFY(d.ProfileRead);
    QCOMPARE(d.Boundaries.size(), std::size_t(3));
    QCOMPARE(d.Boundaries[0].Soil, 2);
    QCOMPARE(d.Boundaries[1].LeftY, 50.0L);
    QCOMPARE(d.Boundaries[1].RightX, 0.0L);
    QCOMPARE(d.Boundaries[2].LeftX, 0.0L);
    QCOMPARE(d.Boundaries[2].Soil, 1);
    QCOMPARE(d.Settings.SurfaceBoundaryCount, 2);
    QVERIFY(d.Soils.empty());

    // The 2.0 layout: no unit code, ties without X, and reading ends with the search.
    TSlopeDescription old;
    QCOMPARE(Read(CrLf({"PROFIL", "Old", "1 1", "0 50 100 50 1", "SOIL", "1", "120 125 200 30 0 0 1", "TIES",
                        "1", "1 40 5000 10 15 20", "SURFAC", "2", "0 50", "100 20", "LOADS", "1", "1 2 3 4"}),
                  old, false),
             std::string());
    QVERIFY(old.ProfileRead);
    QCOMPARE(old.Settings.UnitSystem, 1);
    QCOMPARE(old.Tiebacks.size(), std::size_t(1));
    QCOMPARE(old.Tiebacks[0].X, 0.0L);
    QCOMPARE(old.Tiebacks[0].Y, 40.0L);
    QCOMPARE(old.Tiebacks[0].FreeLength, 20.0L);
    QCOMPARE(old.Surface.size(), std::size_t(2));
    QCOMPARE(old.Settings.HasSurcharge, std::uint8_t(0));
}

void TestSlopeFile::subTableCountsAreRecorded() {
    // An ANISO block of no rows is a block all the same; a soil without one is marked as such. A
    // water surface whose count was never reached is marked unread.
    TSlopeDescription d;
    QCOMPARE(Read(CrLf({"PROFIL", "T", "1 0 1", "0 0 10 0 1", "SOIL", "2", "1 2 3 4 0 0 0", "1 2 3 4 0 0 1",
                        "ANISO", "1", "2 0", "WATER", "2 62.4", "1", "0 5"}),
                  d),
             std::string("This file either invalid or incomplete."));
    QVERIFY(!d.Soils[0].AnisotropyRead);
    QVERIFY(d.Soils[1].AnisotropyRead);
    QVERIFY(d.Soils[1].Anisotropy.empty());
    QCOMPARE(d.WaterSurfaces.size(), std::size_t(2));
    QVERIFY(d.WaterSurfaces[0].PointsRead);
    QCOMPARE(d.WaterSurfaces[0].Points[0].Y, 5.0L);
    QVERIFY(!d.WaterSurfaces[1].PointsRead);
}

void TestSlopeFile::writtenTextReadsBack() {
    TSlopeDescription d;
    d.Settings.Title = "Round\ntrip";
    d.Settings.UnitSystem = 2;
    d.Settings.SurfaceBoundaryCount = 1;
    d.Boundaries = {{0, 10, 20, 10.5L, 1}, {0, 5, 20, 5, 2}};
    TSlopeSoil soil;
    soil.MoistUnitWeight = 18;
    soil.FrictionAngle = 32.5L;
    soil.PiezometricSurface = 1;
    d.Soils = {soil, soil};
    d.Soils[1].Anisotropy = {{0, 0, 0}, {45, 10, 20}};
    d.Settings.HasWater = 1;
    d.Settings.WaterUnitWeight = 9.81L;
    d.WaterSurfaces = {{{{0, 8}, {20, 9}}, false}};
    d.Settings.HasTiebacks = 1;
    d.Tiebacks = {{1, 2, 10, 100, 2, 15, 5}};
    d.Settings.HasUserSurface = 1;
    d.Settings.SearchKind = 1;
    d.Surface = {{1, 10}, {10, 4}, {19, 10.5L}};
    const std::string text = WriteSlopeFile(d);
    QVERIFY(text.find("PROFIL\r\nRound trip\r\n2 1 2\r\n0. 10. 20. 10.5 1\r\n") == 0);
    QVERIFY(text.find("ANISO\r\n1\r\n2 2\r\n0. 0. 0.\r\n45. 10. 20.\r\n") != std::string::npos);
    QVERIFY(text.find("TIES\r\n1\r\n1 2. 10. 100. 2. 15. 5.\r\nSURFAC\r\n3\r\n") != std::string::npos);

    TSlopeDescription back;
    QCOMPARE(Read(text, back), std::string());
    QCOMPARE(back.Settings.Title, std::string("Round trip"));
    QCOMPARE(back.Soils[1].Anisotropy.size(), std::size_t(2));
    QCOMPARE(back.Soils[1].Anisotropy[1].Cohesion, 10.0L);
    QCOMPARE(back.Surface[2].Y, 10.5L);
    QCOMPARE(back.Tiebacks[0].Spacing, 2.0L);
    QCOMPARE(WriteSlopeFile(back), text);
}

// The keyword of a user surface chooses its method (SURFAC Janbu's, SURBIS Bishop's): a file read
// and written again keeps it, with or without reinforcement, and in either order of the sections.
void TestSlopeFile::surfaceKeywordSurvivesSaving() {
    const char* reinf[] = {"REINF", "1", "2", "0 5 10 0", "20 5 10 0"};
    for (const char* keyword : {"SURFAC", "SURBIS"})
        for (int withReinf = 0; withReinf < 3; ++withReinf) { // none, before, after the surface
            std::string text =
                CrLf({"PROFIL", "T", "1 1 1", "0 10 20 10 1", "SOIL", "1", "100 100 0 30 0 0 0"});
            const std::string surface = CrLf({keyword, "2", "1 11", "19 11"});
            std::string reinforcement;
            for (const char* line : reinf)
                reinforcement += std::string(line) + "\r\n";
            text += withReinf == 1 ? reinforcement + surface
                                   : (withReinf == 2 ? surface + reinforcement : surface);
            text += "EXECUT\r\n";
            TSlopeDescription d;
            QCOMPARE(Read(text, d), std::string());
            const std::string written = WriteSlopeFile(d);
            QVERIFY2(written.find(std::string("\r\n") + keyword + "\r\n2\r\n") != std::string::npos,
                     written.c_str());
            TSlopeDescription back;
            QCOMPARE(Read(written, back), std::string());
            QCOMPARE(back.SurfaceKeyword, std::string(keyword));
            QCOMPARE(WriteSlopeFile(back), written);
        }
}

QTEST_GUILESS_MAIN(TestSlopeFile)
#include "tst_slopefile.moc"
