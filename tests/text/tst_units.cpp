// Unit strings: conversion factors between the systems and the three label rules.
#include "text/Units.h"
#include <QtTest>
#include <cmath>

namespace {
bool Near(long double a, long double b, long double rel = 1e-15L) {
    return std::fabs(a - b) <= rel * std::fabs(b);
}
} // namespace

class TestUnits : public QObject {
    Q_OBJECT
  private slots:
    void factorsBetweenEnglishAndSI();
    void generalSystemNeverConverts();
    void tokenVariantsAndExponents();
    void tableLabels();
    void entryBoxLabels();
    void comboLabels();
};

void TestUnits::factorsBetweenEnglishAndSI() {
    const long double unitWeight = UnitFactor(2, 1, "F/L2^3");
    QVERIFY(Near(unitWeight, 224.8089237L / std::pow(3.280839895L, 3)));
    QCOMPARE(std::lround(unitWeight * 10000), 63659);
    QVERIFY(std::fabs(120 * UnitFactor(1, 2, "F/L2^3") - 18.850L) < 0.0005L);
    QVERIFY(Near(UnitFactor(1, 2, "F/L2^3") * UnitFactor(2, 1, "F/L2^3"), 1));
    QCOMPARE(std::lround(UnitFactor(2, 1, "F/L2^2") * 1000), 20885);
    QCOMPARE(std::lround(UnitFactor(2, 1, "F/L^2") * 100000), 14504);
    QVERIFY(Near(UnitFactor(2, 1, "L2"), 3.280839895L));
    QVERIFY(Near(UnitFactor(2, 1, "F"), 224.8089237L));
    QVERIFY(Near(UnitFactor(1, 2, "F"), 1 / 224.8089237L));
    QCOMPARE(UnitFactor(1, 2, "DEG."), 1.0L);
    QCOMPARE(UnitFactor(2, 1, "deg."), 1.0L);
    QCOMPARE(UnitFactor(2, 1, ""), 1.0L);
}

void TestUnits::generalSystemNeverConverts() {
    for (const char* unit : {"F/L2^3", "L2", "F", "F6/L1^2", "DEG."}) {
        QCOMPARE(UnitFactor(1, 3, unit), 1.0L);
        QCOMPARE(UnitFactor(3, 2, unit), 1.0L);
        QCOMPARE(UnitFactor(3, 1, unit), 1.0L);
        QCOMPARE(UnitFactor(2, 2, unit), 1.0L);
        QCOMPARE(UnitFactor(1, 1, unit), 1.0L);
    }
}

void TestUnits::tokenVariantsAndExponents() {
    QVERIFY(Near(UnitFactor(2, 1, "L^2"), 39.37007874L * 39.37007874L));
    QVERIFY(Near(UnitFactor(2, 1, "L0^2"), 39.37007874L * 39.37007874L)); // explicit variant 0
    QVERIFY(Near(UnitFactor(2, 1, "F0"), 224.8089237L));
    QVERIFY(Near(UnitFactor(2, 1, "F1"), 0.2248089237L));
    QVERIFY(Near(UnitFactor(2, 1, "F2"), 0.1124044745L));
    QVERIFY(Near(UnitFactor(2, 1, "F4"), 5.7101483L));
    QCOMPARE(UnitFactor(2, 1, "F5"), 1.0L);
    QVERIFY(Near(UnitFactor(2, 1, "F6"), 68.364249L));
    QVERIFY(Near(UnitFactor(2, 1, "L1"), 0.03937007874L));
    QCOMPARE(UnitFactor(2, 1, "L3"), 1.0L);
    // Force and length in one part, one separator between them.
    QVERIFY(Near(UnitFactor(2, 1, "F-L2"), 224.8089237L * 3.280839895L));
    QVERIFY(Near(UnitFactor(2, 1, "F1-L2/L2^2"), 0.2248089237L / 3.280839895L));
    // "F3" is no variant: force variant 0 with the rest left over.
    QVERIFY(Near(UnitFactor(2, 1, "F3"), 224.8089237L));
    QVERIFY(Near(UnitFactor(2, 1, "/L2"), 1 / 3.280839895L));
}

void TestUnits::tableLabels() {
    QCOMPARE(UnitLabel("F/L2^3", 1), std::string("lbs/ft^3"));
    QCOMPARE(UnitLabel("F/L2^3", 2), std::string("kN/m^3"));
    QCOMPARE(UnitLabel("F/L2^3", 3), std::string("F/L^3"));
    QCOMPARE(UnitLabel("F/L^2", 1), std::string("lbs/in^2"));
    QCOMPARE(UnitLabel("F/L^2", 2), std::string("kN/m^2"));
    QCOMPARE(UnitLabel("L2", 1), std::string("ft"));
    QCOMPARE(UnitLabel("L2", 2), std::string("m"));
    QCOMPARE(UnitLabel("F", 2), std::string("kN"));
    QCOMPARE(UnitLabel("F2", 1), std::string("tons"));
    QCOMPARE(UnitLabel("F4/L1", 1), std::string("lb-sec2/in/in"));
    QCOMPARE(UnitLabel("F4/L1", 2), std::string("Mg/mm"));
    QCOMPARE(UnitLabel("F6", 3), std::string("F"));
    QCOMPARE(UnitLabel("F5", 3), std::string("T"));
    QCOMPARE(UnitLabel("L3", 1), std::string("rad"));
    QCOMPARE(UnitLabel("F/L2-F/L2", 1), std::string("lbs/ft-lbs/ft")); // every occurrence
    QCOMPARE(UnitLabel("F0", 1), std::string("lbs0"));                 // "F0" is not a label token
    for (int system : {1, 2, 3})
        for (const char* plain : {"DEG.", "deg.", "in", ""})
            QCOMPARE(UnitLabel(plain, system), std::string(plain));
    QCOMPARE(UnitLabel("F", 0), std::string("lbs")); // out-of-range systems are clamped
    QCOMPARE(UnitLabel("F", 9), std::string("F"));
}

void TestUnits::entryBoxLabels() {
    QCOMPARE(UnitLabelEntry("F/L2^3", 1), std::string("lbs/ft^3"));
    QCOMPARE(UnitLabelEntry("F/L2^3", 2), std::string("kN/m^3"));
    QCOMPARE(UnitLabelEntry("F/L2^3", 3), std::string("F/L2^3")); // the unit string itself
    QCOMPARE(UnitLabelEntry("F/L^2", 1), std::string("lbs/in^2"));
    QCOMPARE(UnitLabelEntry("L2", 2), std::string("m"));
    QCOMPARE(UnitLabelEntry("deg.", 1), std::string("deg."));
    // Only the first force token and the first length token found are replaced.
    QCOMPARE(UnitLabelEntry("F2-F/L1", 1), std::string("tons-F/in"));
    QCOMPARE(UnitLabelEntry("F/L2-L", 2), std::string("kN/m-L"));
    QCOMPARE(UnitLabelEntry("F6", 2), std::string("Mg"));
}

void TestUnits::comboLabels() {
    QCOMPARE(UnitLabelCombo("F/L^2", 1), std::string("lbs/in^2"));
    QCOMPARE(UnitLabelCombo("F/L^2", 2), std::string("kN/m^2"));
    QCOMPARE(UnitLabelCombo("F/L2^3", 1), std::string("lbs/in2^3")); // knows no variants
    QCOMPARE(UnitLabelCombo("F/L2^3", 3), std::string("F/L2^3"));
}

QTEST_APPLESS_MAIN(TestUnits)
#include "tst_units.moc"
