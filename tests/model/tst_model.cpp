// The model object: new model, unit switches, modified state, saving, and the convert/units commands.
#include "tst_model.h"
#include "cli/Commands.h"
#include "support/ModelTestSupport.h"
#include "text/Errors.h"
#include <QDir>
#include <QFile>
#include <QtTest>
#include <cmath>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {
bool Near(long double a, long double b, long double relative = 1e-15L) {
    return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

const std::string NewModelText =
    CrLf({"PROFIL", "New Slope", "1 0 1", "0. 0. 0. 0. 1", "SOIL", "1", "0. 0. 0. 0. 0. 0. 0", "EXECUT"});
} // namespace

void TestModel::newModel() {
    TTestHost host;
    TTableSet& t = host.Tables();
    // Leave traces of an earlier model first.
    t.BoundCood().SetRowCount(7);
    t.SoilData().Cell(0, 0).SetFloat(120);
    AnisotropyOf(t.SoilData(), 0)->SetRowCount(3);
    host.SetModified(true);

    auto m = TProgramData::CreateNew(host);
    QCOMPARE(host.ClosedChildren, 1);
    QCOMPARE(m->FileName, std::string("NewSlope.qvxd"));
    QCOMPARE(m->Title, std::string("New Slope"));
    QCOMPARE(m->UnitSystem, 1);
    QCOMPARE(m->CwLimit, -45.0L);
    QCOMPARE(m->SearchKind, 0);
    QCOMPARE(m->UseSurbis, 0);
    QVERIFY(m->PlotFileName.empty());
    QCOMPARE(int(m->HasWater) + m->HasSurcharge + m->HasEarthquake + m->HasReinforcement + m->HasLimits +
                 m->HasTiebacks + m->HasUserSurface + m->HasJanbuSearch + m->HasBishopSearch +
                 m->HasSpencerSearch + m->HasBlockSearch + m->HasIrregularSearch,
             0);
    QVERIFY(!host.IsModified());
    ForEachTable(t, [](auto& table) { QCOMPARE(table.RowCount(), table.MinRows()); });
    QCOMPARE(t.BoxCoord().RowCount(), 2);
    QCOMPARE(t.FailSurface().RowCount(), 2);
    QCOMPARE(t.BoundCood().RowCount(), 1);
    QCOMPARE(t.SoilData().Cell(0, 0).GetText(), std::string("0"));
    QCOMPARE(t.BoundCood().Cell(4, 0).GetText(), std::string("1"));
    QCOMPARE(AnisotropyOf(t.SoilData(), 0)->RowCount(), 1);

    // Eight lines, no ANISO section.
    QCOMPARE(m->FileText(), NewModelText);
    QTemporaryDir dir;
    m->FileName = dir.filePath("new.qvxd").toStdString();
    m->SaveToFile();
    QCOMPARE(ReadFile(m->FileName), NewModelText);
}

void TestModel::unitSystem() {
    TTestHost host;
    auto m = TProgramData::CreateNew(host);
    const int refreshes = host.UnitRefreshes;
    m->WaterUnitWeight = 62.4L;
    m->SegmentLength = 10;
    m->CavitationPressure = 100;
    m->BlockSegmentLength = 4;
    m->MinimumElevation = -20;
    m->CcwLimit = 30;
    m->InterSliceAngle = 12;
    m->HorizontalCoefficient = 0.15L;
    m->InitiationPoints = 10;

    m->SetUnitSystem(2);
    QCOMPARE(m->UnitSystem, 2);
    QCOMPARE(host.UnitRefreshes, refreshes + 1);
    QVERIFY(std::fabs(m->WaterUnitWeight - 9.80233L) < 1e-4L);
    QVERIFY(Near(m->SegmentLength, 3.048L));
    QVERIFY(Near(m->MinimumElevation, -6.096L));
    QVERIFY(Near(m->CavitationPressure, 100 * 0.004448222468060650624L / (0.3048L * 0.3048L), 1e-14L));
    QCOMPARE(m->CcwLimit, 30.0L);
    QCOMPARE(m->CwLimit, -45.0L);
    QCOMPARE(m->InterSliceAngle, 12.0L);
    QCOMPARE(m->HorizontalCoefficient, 0.15L);
    QCOMPARE(m->InitiationPoints, 10);

    // Back to English with the exact inverse factors: where it started, to the 18 digits a box shows.
    m->SetUnitSystem(1);
    QCOMPARE(FormatGeneral(m->SegmentLength, 18), std::string("10"));
    QCOMPARE(FormatGeneral(m->WaterUnitWeight, 18), std::string("62.4"));

    // Through Other nothing is converted, the same system changes nothing, codes are clamped.
    const Extended length = m->SegmentLength;
    const Extended weight = m->WaterUnitWeight;
    m->SetUnitSystem(3);
    m->SetUnitSystem(2);
    QCOMPARE(m->SegmentLength, length);
    m->SetUnitSystem(2);
    QCOMPARE(m->WaterUnitWeight, weight);
    m->SetUnitSystem(0);
    QCOMPARE(m->UnitSystem, 1);
    QVERIFY(Near(m->SegmentLength, length / 0.3048L, 1e-14L));
    m->SetUnitSystem(9);
    QCOMPARE(m->UnitSystem, 3);
}

void TestModel::unitSystemOfTables() {
    TTestHost host;
    TTableSet& t = host.Tables();
    auto m = TProgramData::CreateNew(host);
    SetRow(t.BoundCood(), 0, "PPPPI", {10, 20, 30, 40, 3});
    SetRow(t.SoilData(), 0, "PPPPPPI", {120, 125, 200, 30, 0.5L, 100, 1});
    SetRow(*AnisotropyOf(t.SoilData(), 0), 0, "PPP", {45, 100, 20});
    SetRow(*PointsOf(t.WaterSurfaceSet(), 0), 0, "PP", {3.280839895L, 1});
    m->SetUnitSystem(2);
    QVERIFY(Near(t.BoundCood().Cell(0, 0).GetFloat(), 10 / 3.280839895L, 1e-12L));
    QCOMPARE(t.BoundCood().Cell(4, 0).GetText(), std::string("3"));
    QVERIFY(std::fabs(t.SoilData().Cell(0, 0).GetFloat() - 18.850L) < 1e-3L);
    QCOMPARE(t.SoilData().Cell(3, 0).GetFloat(), 30.0L);
    QCOMPARE(t.SoilData().Cell(4, 0).GetFloat(), 0.5L);
    QVERIFY(std::fabs(AnisotropyOf(t.SoilData(), 0)->Cell(1, 0).GetFloat() - 100 / 20.885L) < 1e-3L);
    QCOMPARE(AnisotropyOf(t.SoilData(), 0)->Cell(0, 0).GetFloat(), 45.0L);
    QVERIFY(Near(PointsOf(t.WaterSurfaceSet(), 0)->Cell(0, 0).GetFloat(), 1, 1e-12L));
    // Sub-tables made after the switch start in the new system.
    t.SoilData().SetRowCount(2);
    QCOMPARE(AnisotropyOf(t.SoilData(), 1)->UnitSystem(), 2);
    ForEachTable(t, [](auto& table) { QCOMPARE(table.UnitSystem(), 2); });
}

void TestModel::unitSystemOfProbabilistic() {
    // A random variable's parameters convert with the unit switch exactly as the table values they
    // replace: a mean typed equal to the table's value stays equal to it in the other system.
    TTestHost host;
    TTableSet& t = host.Tables();
    auto m = TProgramData::CreateNew(host);
    SetRow(t.SoilData(), 0, "PPPPPPI", {120, 125, 200, 30, 0, 0, 1});
    SetRow(*PointsOf(t.WaterSurfaceSet(), 0), 0, "PP", {0, 10});
    const auto var = [](const char* text) {
        TRandomVariable v;
        std::string why;
        ParseVariableSpec(text, v, why);
        return v;
    };
    m->Probabilistic.Present = true;
    m->Probabilistic.Variables = {var("soil1.gamma=normal(120,6)"),
                                  var("soil1.gamma_sat=uniform(115,125)"),
                                  var("soil1.c=lognormal(200,40)[100,300]"),
                                  var("soil1.phi=triangular(25,30,35)"),
                                  var("water1.dy=normal(10,2)"),
                                  var("kh=uniform(0,0.1)")};
    const std::vector<TRandomVariable> english = m->Probabilistic.Variables;
    m->SetUnitSystem(2);
    const std::vector<TRandomVariable>& si = m->Probabilistic.Variables;
    const auto cell = [](const TGridTable& table, int column) {
        return static_cast<double>(table.Cell(column, 0).GetFloat());
    };
    QCOMPARE(si[0].P1, cell(t.SoilData(), 0)); // 120 pcf = 18.85 kN/m3
    QVERIFY(std::fabs(si[0].P1 - 18.850) < 1e-3);
    QVERIFY(std::fabs(si[0].P2 / si[0].P1 - 0.05) < 1e-15);
    QCOMPARE(si[1].P2, cell(t.SoilData(), 1)); // b = 125 pcf
    QCOMPARE(si[2].P1, cell(t.SoilData(), 2)); // 200 psf = 9.576 kPa
    QVERIFY(std::fabs(si[2].P1 - 9.576) < 1e-3);
    QVERIFY(std::fabs(si[2].Min - si[2].P1 / 2) < 1e-14 && std::fabs(si[2].Max - 1.5 * si[2].P1) < 1e-14);
    QCOMPARE(si[4].P1, cell(*PointsOf(t.WaterSurfaceSet(), 0), 1)); // 10 ft = 3.048 m
    QVERIFY(std::fabs(si[4].P2 - si[4].P1 / 5) < 1e-15); // 2 ft, by the table's 3.280839895 ft to the m
    QVERIFY(si[3] == english[3]);                        // degrees
    QVERIFY(si[5] == english[5]);                        // a coefficient
    std::string why;
    QVERIFY2(CheckDistribution(si[2], why), why.c_str());

    // Back to English: what was typed, to a double's last digit or two.
    m->SetUnitSystem(1);
    const std::vector<TRandomVariable>& back = m->Probabilistic.Variables;
    for (std::size_t i = 0; i < english.size(); ++i)
        for (auto field : {&TRandomVariable::P1, &TRandomVariable::P2, &TRandomVariable::P3,
                           &TRandomVariable::Min, &TRandomVariable::Max})
            QVERIFY(std::fabs(back[i].*field - english[i].*field) <= 1e-14 * std::fabs(english[i].*field));
}

void TestModel::modifiedState() {
    TTestHost host;
    QTemporaryDir dir;
    auto m = TProgramData::CreateNew(host);
    QVERIFY(!host.IsModified());
    host.SetModified(true);
    QVERIFY(host.IsModified());
    m->FileName = dir.filePath("m.qvxd").toStdString();
    m->SaveToFile();
    QVERIFY(!host.IsModified());
    host.SetModified(true);
    // A table's own change mark counts as a change of the model; clearing the model clears it.
    AnisotropyOf(host.Tables().SoilData(), 0)->SetChanged(true);
    QVERIFY(host.IsModified());
    host.SetModified(false);
    QVERIFY(!host.IsModified());
    QVERIFY(!host.Tables().SoilData().Changed());
    host.Tables().SoilData().SetChanged(true);
    auto loaded = TProgramData::CreateFromFile(m->FileName, true, host);
    QVERIFY(!host.IsModified());
    QCOMPARE(host.ClosedChildren, 2);
    QCOMPARE(&loaded->Host(), static_cast<IModelHost*>(&host));
}

void TestModel::saveFailures() {
    TTestHost host;
    QTemporaryDir dir;
    auto m = TProgramData::CreateNew(host);
    host.SetModified(true);

    // A folder that does not exist: the system's reason, nothing written, still modified.
    m->FileName = dir.filePath("missing/x.qvxd").toStdString();
    try {
        m->SaveToFile();
        QFAIL("saving into a missing folder succeeded");
    } catch (const EInOutError& e) {
        QVERIFY2(std::string(e.what()).find("No such file or directory") != std::string::npos, e.what());
    }
    QVERIFY(host.IsModified());

    // The target cannot be replaced (it is a folder holding a file): the folder and its file stay as
    // they were and no temporary file is left behind.
    QVERIFY(QDir(dir.path()).mkdir("taken.qvxd"));
    const std::string inside = WriteFile(dir, "taken.qvxd/keep.txt", "keep me");
    m->FileName = dir.filePath("taken.qvxd").toStdString();
    try {
        m->SaveToFile();
        QFAIL("replacing a folder succeeded");
    } catch (const EInOutError& e) {
        QVERIFY2(std::string(e.what()).find("directory") != std::string::npos, e.what());
    }
    QVERIFY(host.IsModified());
    QCOMPARE(ReadFile(inside), std::string("keep me"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);

    // A file the user may not write to is not replaced behind its back (root may write anything).
    if (::geteuid() != 0) {
        const std::string locked = WriteFile(dir, "locked.qvxd", "locked");
        QFile::setPermissions(QString::fromStdString(locked), QFileDevice::ReadOwner);
        m->FileName = locked;
        QVERIFY_THROWS_EXCEPTION(EInOutError, m->SaveToFile());
        QCOMPARE(ReadFile(locked), std::string("locked"));
        QFile::setPermissions(QString::fromStdString(locked),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // A successful save replaces a longer previous file completely.
    const std::string target = WriteFile(dir, "old.qvxd", std::string(5000, 'x'));
    m->FileName = target;
    m->SaveToFile();
    QCOMPARE(ReadFile(target), NewModelText);
    QVERIFY(!host.IsModified());
}

void TestModel::cliCommands() {
    QTemporaryDir dir;
    std::ostringstream errors;
    std::streambuf* const saved = std::cerr.rdbuf(errors.rdbuf());
    const std::string out = dir.filePath("out.qvxd").toStdString();

    const int converted = CmdConvert({TestDataPath("example.qvxd"), out});
    const std::string exampleText = ReadFile(TestDataPath("example.qvxd"));
    const std::string convertedText = ReadFile(out);

    const std::string si = dir.filePath("si.qvxd").toStdString();
    const int switched = CmdUnits({TestDataPath("example.qvxd"), si, "--to", "si"});
    const std::string siText = ReadFile(si);

    // The 2.0 layout, and a damaged file: the message on standard error, OUT written, exit code 1.
    const std::string fromOldPath = dir.filePath("old.qvxd").toStdString();
    const int fromOld = CmdConvert({TestDataPath("old-layout.qvd"), fromOldPath, "--v2"});
    const std::string oldText = ReadFile(fromOldPath);
    const std::string beforeDamaged = errors.str();
    const std::string damaged = WriteFile(dir, "damaged.qvxd", CrLf({"PROFIL", "T", "1 0 1", "0 0 abc 0 1"}));
    const int fromDamaged = CmdConvert({damaged, dir.filePath("repaired.qvxd").toStdString()});
    const std::string damagedErrors = errors.str().substr(beforeDamaged.size());
    const std::string repaired = ReadFile(dir.filePath("repaired.qvxd").toStdString());
    const int badUsage = CmdUnits({damaged, out, "--to", "metric"});
    std::cerr.rdbuf(saved);

    QCOMPARE(converted, 0);
    QCOMPARE(convertedText, exampleText);
    QCOMPARE(switched, 0);
    QVERIFY(siText.find("\r\n2 1 2\r\n") != std::string::npos);
    // The table's foot-to-metre factor (1 / 3.280839895) gives 15.24000000006096 m for 50 ft: written
    // with the digits that read back to it, so the way back gives 50 ft again.
    QVERIFY(siText.find("\r\n0. 15.24000000006096 30.48000000012192 15.24000000006096 1\r\n") !=
            std::string::npos);
    QCOMPARE(fromOld, 0);
    QCOMPARE(oldText, ReadFile(TestDataPath("old-layout-converted.qvxd")));
    QCOMPARE(fromDamaged, 1);
    QVERIFY(
        damagedErrors.find("Error on Line 4 Item 3\nA floating point number was expected but not found.") !=
        std::string::npos);
    QVERIFY(repaired.find("PROFIL\r\nT\r\n1 0 1\r\n0. 0. 0. 0. 1\r\nSOIL\r\n") == 0);
    QCOMPARE(badUsage, 2);
}

QTEST_GUILESS_MAIN(TestModel)
