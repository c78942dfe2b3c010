// Snapshots of the model, as undo keeps them: restoring one gives back exactly the model it was taken
// from (every cell, sub-tables and settings; the saved file byte for byte), also across a unit switch,
// and two snapshots compared name the change as the Edit menu shows it.
#include "model/ModelSnapshot.h"
#include "support/ModelTestSupport.h"
#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>

namespace {
std::string Example() {
    return ReadFile(std::string(BREVANTO_RESOURCE_DIR) + "/examples/ExampleDam.qvxd");
}
} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT
  private slots:
    void restoresEveryValue();
    void namesTheChange();
    void comparesBitForBit();
};

void TestSnapshot::restoresEveryValue() {
    TTestHost host;
    auto model = LoadText(host, Example(), true);
    TTableSet& t = host.Tables();
    const TModelSnapshot before = TakeSnapshot(*model);
    const std::string dump = Dump(*model), file = model->FileText(), name = model->FileName;

    // Something of every kind: a cell, rows added and deleted, a sub-table, settings, the units.
    t.SoilData().Cell(2, 1).SetFloat(555);
    t.BoundCood().AddGroup();
    t.SurchargeLoad().DeleteGroup(0);
    AnisotropyOf(t.SoilData(), 1)->Cell(1, 0).SetFloat(123);
    PointsOf(t.WaterSurfaceSet(), 0)->SetRowCount(2);
    model->Title = "Changed";
    model->SearchKind = 6;
    model->HasEarthquake = 0;
    model->SetUnitSystem(2);
    const TModelSnapshot after = TakeSnapshot(*model);
    const std::string dumpAfter = Dump(*model), fileAfter = model->FileText();
    QVERIFY(dumpAfter != dump);
    QVERIFY(!SameValues(before, after));

    RestoreSnapshot(*model, before);
    QCOMPARE(Dump(*model), dump);
    QCOMPARE(model->FileText(), file);
    QVERIFY(SameValues(TakeSnapshot(*model), before));
    RestoreSnapshot(*model, after);
    QCOMPARE(Dump(*model), dumpAfter);
    QCOMPARE(model->FileText(), fileAfter);
    // The open windows were told to show the values again (the units among them).
    QVERIFY(host.UnitRefreshes > 0);
    // A restore changes no file name.
    QCOMPARE(model->FileName, name);
}

void TestSnapshot::namesTheChange() {
    TTestHost host;
    auto model = LoadText(host, Example(), true);
    TTableSet& t = host.Tables();
    TModelSnapshot last = TakeSnapshot(*model);
    // Applies a change and returns its name; the next change starts from there.
    auto name = [&](const std::function<void()>& change) {
        change();
        TModelSnapshot now = TakeSnapshot(*model);
        const std::string n = ChangeName(last, now);
        last = std::move(now);
        return QString::fromStdString(n);
    };
    QCOMPARE(name([] {}), QString());
    QCOMPARE(name([&] { t.SoilData().Cell(2, 1).SetFloat(450); }), QStringLiteral("Edit Soil 2 Cohesion"));
    QCOMPARE(name([&] { t.SoilData().Cell(2, 1).SetFloat(450); }), QString());
    QCOMPARE(name([&] {
                 t.SoilData().Cell(0, 2).SetFloat(1);
                 t.SoilData().Cell(1, 2).SetFloat(2);
             }),
             QStringLiteral("Edit Soil 3"));
    QCOMPARE(name([&] {
                 t.SoilData().Cell(0, 0).SetFloat(1);
                 t.SoilData().Cell(1, 2).SetFloat(3);
             }),
             QStringLiteral("Edit Soil Properties"));
    QCOMPARE(name([&] { t.BoundCood().AddGroup(); }), QStringLiteral("Add Boundary Line 8"));
    QCOMPARE(name([&] { t.BoundCood().InsertGroup(0); }), QStringLiteral("Insert Boundary Line 1"));
    QCOMPARE(name([&] { t.BoundCood().DeleteGroup(3); }), QStringLiteral("Delete Boundary Line 4"));
    QCOMPARE(name([&] { AnisotropyOf(t.SoilData(), 1)->Cell(1, 0).SetFloat(410); }),
             QStringLiteral("Edit Soil 2 Anisotropy Row 1 Cohesion"));
    QCOMPARE(name([&] { PointsOf(t.WaterSurfaceSet(), 0)->Cell(1, 5).SetFloat(81); }),
             QStringLiteral("Edit Water Surface 1 Point 6 Y"));
    QCOMPARE(name([&] { model->Title = "Dam"; }), QStringLiteral("Edit Title"));
    QCOMPARE(name([&] { model->HasEarthquake = 0; }), QStringLiteral("Uncheck Earthquake Loading"));
    QCOMPARE(name([&] { model->HorizontalCoefficient = 0.2L; }),
             QStringLiteral("Edit Horizontal Coefficient"));
    QCOMPARE(name([&] {
                 model->SearchKind = 6;
                 model->HasSpencerSearch = 1;
             }),
             QStringLiteral("Choose Spencer's Method"));
    QCOMPARE(name([&] {
                 model->InitiationPoints = 20;
                 model->SurfacesPerPoint = 20;
             }),
             QStringLiteral("Edit Search Controls"));
    QCOMPARE(name([&] { model->SetUnitSystem(2); }), QStringLiteral("Switch to SI Units"));
    QCOMPARE(name([&] { model->SetUnitSystem(1); }), QStringLiteral("Switch to English Units"));
}

void TestSnapshot::comparesBitForBit() {
    TTestHost host;
    auto model = LoadText(host, Example(), true);
    TGridTable& soil = host.Tables().SoilData();
    soil.Cell(5, 0).SetFloat(std::numeric_limits<Extended>::quiet_NaN());
    const TModelSnapshot nan = TakeSnapshot(*model);
    QVERIFY(SameValues(nan, TakeSnapshot(*model)));
    soil.Cell(5, 0).SetFloat(0.0L);
    const TModelSnapshot zero = TakeSnapshot(*model);
    QVERIFY(!SameValues(nan, zero));
    soil.Cell(5, 0).SetFloat(-0.0L);
    QVERIFY(!SameValues(zero, TakeSnapshot(*model)));
    // A value one unit in the last place away differs.
    soil.Cell(5, 0).SetFloat(std::nextafter(0.0L, 1.0L));
    QVERIFY(!SameValues(zero, TakeSnapshot(*model)));
}

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
