// The fourteen tables of the model: created from their definitions, filled, converted between
// unit systems and written and read back through the column stream.
#include "tables/ColStream.h"
#include "tables/TableSet.h"
#include "text/Errors.h"
#include "text/Units.h"
#include <QtTest>
#include <cmath>
#include <functional>

class TestTableSet : public QObject {
    Q_OBJECT
  private slots:
    void definitionsGiveAllTablesInComponentOrder();
    void newTablesHoldMinRowsOfDefaults();
    void soilTableColumns();
    void fillConvertAndRoundTripEveryTable();
    void definitionsRoundTripAsText();
    void badDefinitionsAreReported();
    void twoLiveSetsKeepTheirOwnTemplates();
};

void TestTableSet::definitionsGiveAllTablesInComponentOrder() {
    // The definitions are compiled in, not read from the source folder.
    QVERIFY(QFile::exists(QStringLiteral(":/brevanto/tables/MainTables.tables")));
    TTableSet set;
    QCOMPARE(set.Count(), 14);
    const std::vector<std::string> expected = {
        "BoundCood",        "SoilData", "Anisotropy",   "WaterSurfaceSet",   "Piezometric",
        "SurchargeLoad",    "limit",    "TiebackCoord", "ReinEarthLayerSet", "ReinEarthData",
        "FailSurfaceChart", "BoxCoord", "FailSurface",  "PiezoData"};
    for (int i = 0; i < 14; ++i) {
        QCOMPARE(set.Name(i), expected[static_cast<std::size_t>(i)]);
        QCOMPARE(set.Find(expected[static_cast<std::size_t>(i)]), &set.Table(i));
    }
    QVERIFY(set.BoundCood().IsChart());
    QVERIFY(set.FailSurfaceChart().IsChart());
    QVERIFY(!set.SoilData().IsChart());
    QCOMPARE(set.SoilData().Identifier(), 1);
    QCOMPARE(set.Anisotropy().Identifier(), 3);
    QCOMPARE(set.FailSurfaceChart().Identifier(), 1);
    QCOMPARE(set.BoundCood().Caption(), std::string("Coordinates of Boundary Lines"));
    QCOMPARE(set.ReinEarthData().TopLeft(), std::string("Layer #"));
    QCOMPARE(set.BoxCoord().MaxRows(), 17);
    QVERIFY(set.BoundCood().GraphVisible && set.BoundCood().GraphAsSegments);
    QCOMPARE(set.BoundCood().Y2Column, 3);
    QVERIFY(set.FailSurfaceChart().GraphVisible && !set.FailSurfaceChart().GraphAsSegments);
    QVERIFY(set.FailSurfaceChart().GetDataFromFile);
    QVERIFY_THROWS_EXCEPTION(EGeneralError, set.Get("NoSuchTable"));
}

void TestTableSet::newTablesHoldMinRowsOfDefaults() {
    TTableSet set;
    for (int i = 0; i < set.Count(); ++i) {
        TGridTable& t = set.Table(i);
        const std::string& name = set.Name(i);
        int expected = (name == "BoxCoord" || name == "FailSurface" || name == "ReinEarthData") ? 2 : 1;
        QCOMPARE(t.RowCount(), expected);
        QVERIFY2(!t.Changed(), name.c_str());
    }
    QCOMPARE(set.BoundCood().Cell(4, 0).GetInt(), 1);
    QCOMPARE(set.BoundCood().Cell(0, 0).GetText(), std::string("0"));
    // Every soil row holds a fresh anisotropy table of one row.
    TGridTable* aniso = set.SoilData().Cell(7, 0).GetTable();
    QVERIFY(aniso);
    QCOMPARE(aniso->RowCount(), 1);
    QCOMPARE(aniso->Caption(), std::string("Anisotropic Strength Data"));
    QVERIFY(aniso != &set.Anisotropy());
    // Reinforcement layers hold their data tables with two rows each.
    QCOMPARE(set.ReinEarthLayerSet().Cell(0, 0).GetTable()->RowCount(), 2);
    QCOMPARE(set.WaterSurfaceSet().Cell(0, 0).GetTable()->Caption(), std::string("Piezometric Surfaces"));
}

void TestTableSet::soilTableColumns() {
    TTableSet set;
    TGridTable& soil = set.SoilData();
    QCOMPARE(soil.ColumnCount(), 8);
    QCOMPARE(soil.Column(0).GetHeaderLine(0), std::string("Moist Unit"));
    QCOMPARE(soil.Column(0).GetHeaderLine(1), std::string("Weight (lbs/ft^3)  "));
    QCOMPARE(soil.Column(4).GetHeaderLine(1), std::string("Coefficient"));
    auto& piezo = dynamic_cast<TIntColumn&>(soil.Column(6));
    QCOMPARE(piezo.Minimum, 0);
    QCOMPARE(piezo.Maximum, 20);
    auto& aniso = dynamic_cast<TTableColumn&>(soil.Column(7));
    QCOMPARE(aniso.Templates.Count(), 1);
    QCOMPARE(aniso.Templates.Entry(0).Value, 3);
    soil.SetRowCount(3);
    QCOMPARE(aniso.ButtonCaption(2), std::string("3: Anisotropic Strength Data"));
    QCOMPARE(soil.Cell(7, 2).GetTable()->EditorTitle(), std::string("Anisotropic Strength Data  3"));
    QCOMPARE(soil.EditorTitle(), std::string("Soil Properties "));
    soil.SetUnitSystem(usSI);
    QCOMPARE(soil.Column(0).GetHeaderLine(1), std::string("Weight (kN/m^3)  "));
}

void TestTableSet::fillConvertAndRoundTripEveryTable() {
    TTableSet set;
    // Fill: every number cell gets a distinct value, integer cells their minimum + row.
    for (int t = 0; t < set.Count(); ++t) {
        TGridTable& table = set.Table(t);
        table.SetRowCount(std::min(3, table.MaxRows()));
        for (int c = 0; c < table.ColumnCount(); ++c) {
            for (int r = 0; r < table.RowCount(); ++r) {
                TColumn& col = table.Column(c);
                if (auto* f = dynamic_cast<TFloatColumn*>(&col))
                    f->SetFloat(r, 10 * c + r + 0.5L);
                else if (auto* i = dynamic_cast<TIntColumn*>(&col))
                    i->SetInt(r, i->Minimum);
                else if (auto* sub = col.GetTable(r)) {
                    sub->SetRowCount(2);
                    sub->Cell(0, 1).SetFloat(7.25L);
                }
            }
        }
    }
    // Convert: every number cell of every table (and of the sub-tables) is multiplied by its
    // column's factor; degrees and plain numbers stay; back in English the values return.
    struct TSample {
        TFloatColumn* Column;
        int Row;
        Extended Before;
    };
    std::vector<TSample> samples;
    std::function<void(TGridTable&)> collect = [&](TGridTable& table) {
        for (int c = 0; c < table.ColumnCount(); ++c)
            for (int r = 0; r < table.RowCount(); ++r) {
                if (auto* f = dynamic_cast<TFloatColumn*>(&table.Column(c)))
                    samples.push_back({f, r, f->GetFloat(r)});
                else if (auto* t = dynamic_cast<TTableColumn*>(&table.Column(c)); t && t->GetTable(r))
                    collect(*t->GetTable(r));
            }
    };
    for (int t = 0; t < set.Count(); ++t)
        collect(set.Table(t));
    QVERIFY(samples.size() > 150);
    set.SetUnitSystem(usSI);
    int changed = 0;
    for (const TSample& s : samples) {
        const Extended expected = s.Before * UnitFactor(1, 2, s.Column->UnitString);
        QVERIFY(std::fabs(s.Column->GetFloat(s.Row) - expected) <= 1e-15L * std::fabs(expected));
        changed += s.Column->GetFloat(s.Row) != s.Before;
        QCOMPARE(s.Column->Table()->UnitSystem(), 2);
    }
    QVERIFY(changed > 100);
    QCOMPARE(set.SoilData().Cell(3, 1).GetFloat(), 31.5L); // degrees do not change
    set.SetUnitSystem(usEnglish);
    for (const TSample& s : samples)
        QVERIFY(std::fabs(s.Column->GetFloat(s.Row) - s.Before) <= 1e-15L * std::fabs(s.Before));
    // Write every table's definition and read it into an empty table of the same class.
    for (int t = 0; t < set.Count(); ++t) {
        TGridTable& table = set.Table(t);
        std::string col = table.WriteCol();
        std::unique_ptr<TGridTable> copy = table.IsChart() ? std::unique_ptr<TGridTable>(new TGridTableChart)
                                                           : std::make_unique<TGridTable>();
        copy->ReadCol(col);
        QCOMPARE(copy->WriteCol(), col);
        QCOMPARE(copy->ColumnCount(), table.ColumnCount());
        for (int c = 0; c < table.ColumnCount(); ++c) {
            QVERIFY(copy->Column(c).HeaderLines() == table.Column(c).HeaderLines());
            QCOMPARE(typeid(copy->Column(c)).name(), typeid(table.Column(c)).name());
        }
    }
}

void TestTableSet::definitionsRoundTripAsText() {
    std::string text;
    {
        TTableSet set;
        for (int t = 0; t < set.Count(); ++t)
            text += WriteTableDefinition(set.Name(t), set.Table(t));
    }
    TTableSet again(text);
    std::string text2;
    for (int t = 0; t < again.Count(); ++t)
        text2 += WriteTableDefinition(again.Name(t), again.Table(t));
    QCOMPARE(text2, text);
    QVERIFY2(text.find("2 (\"Moist Unit\" \"Weight\") true false false \"FLOATCOLUMN2\" \"F/L2^3\" 0.0") !=
                 std::string::npos,
             text.substr(0, 1500).c_str());
}

void TestTableSet::badDefinitionsAreReported() {
    auto message = [](const std::string& text) {
        try {
            auto defs = ReadTableDefinitions(text);
        } catch (const EBrevantoError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    QCOMPARE(message("table A: TGridTable\n  Col = {\n    1\n    7 (\"x\") true false\n  }\nend\n"),
             std::string("Table A: Error Column Class not defined"));
    QCOMPARE(message("table A: TGridTable\n  Col = {\n    2\n    1 (\"x\") true false 0 0 5\n"
                     "    2 (\"y\") true false false \"FLOATCOLUMN2\"\n  }\nend\n"),
             std::string("Table A: Error occured when creating column 1: Stream read error"));
    QCOMPARE(message("table A: TGridTable\n  Col = {\n    \"x\"\n  }\nend\n"),
             std::string("Table A: Error reading column count"));
    QCOMPARE(message("table A: TGridTable\n  Caption = 5\nend\n"),
             std::string("Line 2: Caption: Invalid property value"));
    QCOMPARE(message("table A: TGridTable\n  Col = {\n  1 (\"x\" true false 0 0 5\n  }\nend\n"),
             std::string("Line 3: \"(\" without \")\""));
    QCOMPARE(message("table A: TGridTable\n"), std::string("Line 1: table A has no \"end\""));
    QCOMPARE(message("table A: TGridTableChart\n  Col = {\n    0\n    true false 0\n  }\nend\n"),
             std::string("Table A: Error reading graphic parameters"));
    // MinRows 0 in a definition becomes 1.
    auto defs = ReadTableDefinitions("table A: TGridTable\n  MinRows = 0\nend\n");
    QCOMPARE(defs.at(0).Table->MinRows(), 1);
    QVERIFY_THROWS_EXCEPTION(EGeneralError, defs.at(0).Table->SetMinRows(0));
    QCOMPARE(defs.at(0).Table->MinRows(), 1);
}

QTEST_GUILESS_MAIN(TestTableSet)
void TestTableSet::twoLiveSetsKeepTheirOwnTemplates() {
    TTableSet first;
    const int anisotropyId = first.Anisotropy().Identifier();
    {
        TTableSet second;
        // Each set numbers its tables on its own, as a set alone does (identifiers may repeat between
        // sets, never within one); the second builds from its own templates.
        QCOMPARE(first.Anisotropy().Identifier(), anisotropyId);
        QCOMPARE(second.Anisotropy().Identifier(), anisotropyId);
        QVERIFY(&second.Anisotropy().Registry() != &first.Anisotropy().Registry());
        for (int i = 0; i < first.Count(); ++i) {
            QCOMPARE(second.Table(i).Identifier(), first.Table(i).Identifier());
            QCOMPARE(first.Table(i).Registry().FindIdentifier(first.Table(i).Identifier()), &first.Table(i));
            QCOMPARE(second.Table(i).Registry().FindIdentifier(second.Table(i).Identifier()),
                     &second.Table(i));
        }
        second.Anisotropy().SetCaption("Second set's anisotropy");
        second.SoilData().SetRowCount(2);
        QCOMPARE(second.SoilData().Cell(7, 1).GetTable()->Caption(), std::string("Second set's anisotropy"));
        first.SoilData().SetRowCount(2);
        QCOMPARE(first.SoilData().Cell(7, 1).GetTable()->Caption(), std::string("Anisotropic Strength Data"));
    }
    // With the second set gone, new soil rows of the first still get their anisotropy tables.
    first.SoilData().SetRowCount(4);
    for (int row = 0; row < 4; ++row)
        QVERIFY(first.SoilData().Cell(7, row).GetTable() != nullptr);
    QCOMPARE(first.Anisotropy().Identifier(), anisotropyId);
}

#include "tst_tableset.moc"
