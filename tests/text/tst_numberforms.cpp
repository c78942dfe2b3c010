// Number text written to and read from input files: forms I, G, P, F2 and the strict parser.
#include "text/FixedText.h"
#include "text/NumberForms.h"
#include <QtTest>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>
#include <random>

namespace {
Extended Parsed(const char* text) {
    Extended v = 0;
    if (!ParseFloat(text, v))
        throw std::runtime_error(std::string("not a number: ") + text);
    return v;
}

struct TCommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
} // namespace

class TestNumberForms : public QObject {
    Q_OBJECT
  private slots:
    void formsOfTheExamples_data();
    void formsOfTheExamples();
    void generalFormBoundaries();
    void generalFormWithMoreDigits();
    void exactFormReadsBackBitForBit();
    void twoDecimalsRoundHalfAwayFromZero();
    void integerForm();
    void pointIsNeverWrittenAfterAnExponent();
    void parserAcceptsTheGrammarOnly();
    void topOfTheRangeReadsBack();
    void parserReadsBackExactly();
    void eighteenDigitsAreCorrectlyRounded();
    void textDoesNotFollowTheLocale();
    void fixedTextIsAlwaysANumberOrADash();
};

void TestNumberForms::formsOfTheExamples_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("g");
    QTest::addColumn<QString>("p");
    QTest::addColumn<QString>("f2");
    QTest::newRow("0") << "0"
                       << "0"
                       << "0."
                       << "0.00";
    QTest::newRow("10") << "10"
                        << "10"
                        << "10."
                        << "10.00";
    QTest::newRow("12.5") << "12.5"
                          << "12.5"
                          << "12.5"
                          << "12.50";
    QTest::newRow("62.4") << "62.4"
                          << "62.4"
                          << "62.4"
                          << "62.40";
    QTest::newRow("0.15") << "0.15"
                          << "0.15"
                          << "0.15"
                          << "0.15";
    QTest::newRow("-0.125") << "-0.125"
                            << "-0.125"
                            << "-0.125"
                            << "-0.13";
    QTest::newRow("0.000001") << "0.000001"
                              << "1E-6"
                              << "1E-6"
                              << "0.00";
    QTest::newRow("123456789") << "123456789"
                               << "1.2345679E8"
                               << "1.2345679E8"
                               << "123456789.00";
}

void TestNumberForms::formsOfTheExamples() {
    QFETCH(QString, value);
    QFETCH(QString, g);
    QFETCH(QString, p);
    QFETCH(QString, f2);
    const Extended v = Parsed(value.toStdString().c_str());
    QCOMPARE(QString::fromStdString(FormatG(v)), g);
    QCOMPARE(QString::fromStdString(FormatP(v)), p);
    QCOMPARE(QString::fromStdString(FormatF2(v)), f2);
    // Binary double values (as the tables hold them after arithmetic) give the same text.
    QCOMPARE(QString::fromStdString(FormatG(static_cast<double>(v))), g);
}

void TestNumberForms::generalFormBoundaries() {
    QCOMPARE(FormatG(99999999), std::string("99999999"));
    QCOMPARE(FormatG(999999999), std::string("1E9"));
    QCOMPARE(FormatG(99999999.5L), std::string("1E8")); // rounds up to nine digits before the point
    QCOMPARE(FormatG(12345678.9L), std::string("12345679"));
    QCOMPARE(FormatG(0.00001L), std::string("0.00001"));
    QCOMPARE(FormatG(0.0000099999999L), std::string("9.9999999E-6"));
    QCOMPARE(FormatG(0.000009999999999L), std::string("0.00001")); // rounds into fixed notation
    QCOMPARE(FormatG(-1.5e-7L), std::string("-1.5E-7"));
    QCOMPARE(FormatG(1e100L), std::string("1E100"));
    QCOMPARE(FormatG(1.5e-300L), std::string("1.5E-300"));
    QCOMPARE(FormatG(1e4000L), std::string("1E4000"));
    QCOMPARE(FormatG(-0.0L), std::string("0"));
    QCOMPARE(FormatG(1.000000049L), std::string("1"));
    QCOMPARE(FormatG(1.00000005L), std::string("1.0000001")); // halves away from zero
    QCOMPARE(FormatG(-2.5L), std::string("-2.5"));
    QCOMPARE(FormatG(0.1L + 0.2L), std::string("0.3"));
    QCOMPARE(FormatG(0.1 + 0.2), std::string("0.3")); // binary noise does not show
    QCOMPARE(FormatG(std::numeric_limits<Extended>::infinity()), std::string("INF"));
    QCOMPARE(FormatG(std::nan("")), std::string("NAN"));
}

void TestNumberForms::generalFormWithMoreDigits() {
    QCOMPARE(FormatGeneral(1.0L / 3, 18), std::string("0.333333333333333333"));
    QCOMPARE(FormatGeneral(2.0L / 3, 18), std::string("0.666666666666666667"));
    QCOMPARE(FormatGeneral(123456789012345678901.0L, 18), std::string("1.23456789012345679E20"));
    QCOMPARE(FormatGeneral(123456789012345678.0L, 18), std::string("123456789012345678"));
    QCOMPARE(FormatGeneral(0.125L, 2), std::string("0.13"));
    QCOMPARE(FormatGeneral(-0.125L, 2), std::string("-0.13"));
    QCOMPARE(FormatGeneral(5.0L, 1), std::string("5"));
    QCOMPARE(FormatGeneral(15.0L, 1), std::string("2E1"));
    // Out-of-range digit counts are clamped rather than trusted.
    QCOMPARE(FormatGeneral(1.0L / 3, 40), FormatGeneral(1.0L / 3, 18));
    QCOMPARE(FormatGeneral(1.0L / 3, 0), std::string("0.3"));
}

void TestNumberForms::exactFormReadsBackBitForBit() {
    // Short values keep their short text.
    QCOMPARE(FormatExact(400), std::string("400"));
    QCOMPARE(FormatExact(-0.125L), std::string("-0.125"));
    QCOMPARE(FormatExact(1e30L), std::string("1E30"));
    QCOMPARE(FormatExact(1.5e-7L), std::string("1.5E-7"));
    QCOMPARE(FormatExact(0), std::string("0"));
    // Values whose 18 digits do not identify them (a unit switch's products and quotients) get the
    // digits they need, at most 21, and always read back to the same bits.
    const Extended factor = 224.8089237L / (3.280839895L * 3.280839895L);
    int longer = 0;
    for (int i = 1; i <= 2000; ++i) {
        for (const Extended value :
             {Extended(i) / factor, Extended(i) * factor / 7, Extended(i) / 3.280839895L}) {
            const std::string text = FormatExact(value);
            Extended back = 0;
            QVERIFY2(ParseFloat(text, back) && back == value, text.c_str());
            QVERIFY(text.size() <= 24);
            longer += FormatGeneral(value, 18).size() < text.size();
        }
    }
    QVERIFY(longer > 0); // some do need more than 18 digits
}

void TestNumberForms::twoDecimalsRoundHalfAwayFromZero() {
    QCOMPARE(FormatF2(0.125L), std::string("0.13"));
    QCOMPARE(FormatF2(-0.125L), std::string("-0.13"));
    QCOMPARE(FormatF2(Parsed("2.675")), std::string("2.68")); // as typed, not its binary neighbour
    QCOMPARE(FormatF2(Parsed("-2.675")), std::string("-2.68"));
    QCOMPARE(FormatF2(Parsed("1.005")), std::string("1.01"));
    QCOMPARE(FormatF2(0.005L), std::string("0.01"));
    QCOMPARE(FormatF2(0.004999L), std::string("0.00"));
    QCOMPARE(FormatF2(-0.001L), std::string("0.00")); // no "-0.00"
    QCOMPARE(FormatF2(999.995L), std::string("1000.00"));
    QCOMPARE(FormatF2(0.3L), std::string("0.30"));
    QCOMPARE(FormatF2(-7), std::string("-7.00"));
    QCOMPARE(FormatF2(1e20L), std::string("100000000000000000000.00"));
    QCOMPARE(FormatF2(1e-30L), std::string("0.00"));
}

void TestNumberForms::integerForm() {
    QCOMPARE(FormatI(0), std::string("0"));
    QCOMPARE(FormatI(-5), std::string("-5"));
    QCOMPARE(FormatI(2147483647), std::string("2147483647"));
    QCOMPARE(FormatI(std::numeric_limits<std::int64_t>::min()), std::string("-9223372036854775808"));
}

void TestNumberForms::pointIsNeverWrittenAfterAnExponent() {
    QCOMPARE(ApplyP("1E-6"), std::string("1E-6"));
    QCOMPARE(ApplyP("1E9"), std::string("1E9"));
    QCOMPARE(ApplyP("-3"), std::string("-3."));
    QCOMPARE(ApplyP("2.5"), std::string("2.5"));
    // Every value the P form writes reads back as the value the G form shows.
    for (const Extended v : {0.000001L, 1e9L, -3.0L, 1e-30L, 12345678.0L, 123456789.0L, 0.1L}) {
        Extended back = 0;
        QVERIFY2(ParseFloat(FormatP(v), back), FormatP(v).c_str());
        QCOMPARE(FormatG(back), FormatG(v));
    }
}

void TestNumberForms::parserAcceptsTheGrammarOnly() {
    QCOMPARE(Parsed("2.5"), 2.5L);
    QCOMPARE(Parsed("-2.5"), -2.5L);
    QCOMPARE(Parsed("+3"), 3.0L);
    QCOMPARE(Parsed(".5"), 0.5L);
    QCOMPARE(Parsed("5."), 5.0L);
    QCOMPARE(Parsed("1e-6"), 0.000001L);
    QCOMPARE(Parsed("1E+6"), 1000000.0L);
    QCOMPARE(Parsed("007"), 7.0L);
    QCOMPARE(Parsed("0.000"), 0.0L);
    QCOMPARE(Parsed("1e4932"), 1e4932L);
    QCOMPARE(Parsed("1e-99999"), 0.0L); // too small to tell from zero
    QCOMPARE(Parsed("0.1000000000000000000000000000001"), 0.1L);
    QCOMPARE(Parsed("123456789012345678901234567890"), 123456789012345678901234567890.0L);
    for (const char* bad :
         {"",     ".",   "-",   "+",  "e5", "1e",     "1e-",      "1E-6.", "1,5", "abc",   "1.2.3",
          "0x10", "inf", "nan", " 1", "1 ", "1e5000", "-1e99999", "1-2",   "--1", "1e5.5", "١"}) {
        Extended v = 42;
        QVERIFY2(!ParseFloat(bad, v), bad);
        QCOMPARE(v, 42.0L); // a rejected text leaves the target alone
    }
}

void TestNumberForms::topOfTheRangeReadsBack() {
    // Just below the largest extended value, rounding up would write a text above it that no reader
    // takes: every written form must read back, at most one digit lower.
    const Extended top = std::numeric_limits<Extended>::max();
    for (Extended v : {top, std::nextafter(top, 0.0L), 1.18973146E4932L, 1.189731495E4932L, -top}) {
        for (int digits : {8, 15, 18}) {
            const std::string text = FormatGeneral(v, digits);
            Extended back = 0;
            QVERIFY2(ParseFloat(text, back), text.c_str());
            QVERIFY(std::fabs(back) <= top);
            QVERIFY(std::fabs(back - v) <= std::fabs(v) * 2 * std::pow(10.0L, 1 - digits));
        }
        Extended back = 0;
        QVERIFY(ParseFloat(FormatP(v), back));
    }
    // 1.1897315E4932 lies above the largest value, so the eighth digit is cut instead of rounded up.
    QCOMPARE(FormatGeneral(1.18973145E4932L, 8), std::string("1.1897314E4932"));
    QCOMPARE(FormatGeneral(1.18973135E4932L, 8), std::string("1.1897314E4932")); // below: rounds as usual
}

void TestNumberForms::parserReadsBackExactly() {
    // The quick path for short numbers must agree with full conversion bit for bit.
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int i = 0; i < 20000; ++i) {
        const Extended x = static_cast<Extended>(mantissa(rng)) * std::pow(10.0L, exponent(rng)) / 3;
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, x); // shortest text that reads back
        Extended back = 0;
        QVERIFY(ParseFloat(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)), back));
        if (back != x)
            QFAIL(qPrintable(
                QStringLiteral("%1 read back differently").arg(QLatin1String(buf, res.ptr - buf))));
        // Short decimal texts as people type them.
        const std::string g = FormatG(x);
        Extended viaText = 0;
        QVERIFY(ParseFloat(g, viaText));
        char ref[64];
        std::snprintf(ref, sizeof ref, "%.7Le", x);
        QCOMPARE(viaText, std::strtold(ref, nullptr));
    }
}

void TestNumberForms::eighteenDigitsAreCorrectlyRounded() {
    // The general format must carry exactly the 18 correctly rounded digits of the value, over the
    // whole range and on exact ties, compared with the standard library's conversion.
    auto check = [](Extended x) {
        char buf[80];
        const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 17);
        Extended reference = 0, ours = 0;
        const std::string text = FormatGeneral(x, 18);
        if (!ParseFloat(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)), reference) ||
            !ParseFloat(text, ours) || ours != reference)
            QFAIL(qPrintable(QStringLiteral("%1 gave %2")
                                 .arg(QLatin1String(buf, res.ptr - buf), QString::fromStdString(text))));
    };
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(1.0, 2.0);
    std::uniform_int_distribution<int> binaryExponent(-200, 200);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 50000; ++i) {
        // Full 64-bit mantissas, not only the 53 bits of a double.
        const Extended mantissa = static_cast<Extended>(bits(rng) | (std::uint64_t(1) << 63));
        check(std::ldexp(mantissa, binaryExponent(rng) - 63));
        check(-std::ldexp(static_cast<Extended>(unit(rng)), binaryExponent(rng)));
    }
    // Ties in the 19th digit go to the even 18th digit.
    check(1234567890123456785.0L);
    check(1234567890123456775.0L);
    check(123456789012345678.5L);
    check(123456789012345677.5L);
    check(9999999999999999995.0L);
    check(0.5L);
    QCOMPARE(FormatGeneral(std::numeric_limits<Extended>::max(), 18),
             std::string("1.18973149535723176E4932"));
    check(std::numeric_limits<Extended>::denorm_min());
    check(std::numeric_limits<Extended>::min());
    QCOMPARE(FormatGeneral(9999999999999999995.0L, 18), std::string("1E19"));
}

void TestNumberForms::textDoesNotFollowTheLocale() {
    // A comma-decimal locale, as many users have: nothing we write or read may change.
    const bool cLocale = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
                         std::setlocale(LC_ALL, "de_DE") != nullptr || std::setlocale(LC_ALL, "fr_FR.UTF-8");
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new TCommaDecimal));
    QCOMPARE(FormatG(2.5L), std::string("2.5"));
    QCOMPARE(FormatP(1234567.0L), std::string("1234567."));
    QCOMPARE(FormatF2(1234.5L), std::string("1234.50"));
    QCOMPARE(FormatGeneral(1.0L / 4, 18), std::string("0.25"));
    QCOMPARE(Parsed("2.5"), 2.5L);
    QCOMPARE(Parsed("0.1000000000000000000000000000001"), 0.1L); // the slow path too
    Extended v = 0;
    QVERIFY(!ParseFloat("2,5", v));
    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
    if (!cLocale)
        qInfo("no comma-decimal C locale installed; checked with a C++ locale only");
}

// Report text of computed values: every finite double, however large, gives all its digits (a
// buffer too small for the conversion once left bytes of no value in the text), and no value gives
// "inf", "nan" or "-0.000".
void TestNumberForms::fixedTextIsAlwaysANumberOrADash() {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double v : {inf, -inf, nan}) {
        QCOMPARE(FormatFixedExact(v, 3), std::string("-"));
        QCOMPARE(FormatFixed(v, 3), std::string("-"));
    }
    QCOMPARE(FormatFixedExact(-0.0001, 3), std::string("0.000"));
    QCOMPARE(FormatFixedExact(1.2345, 2), std::string("1.23"));
    // 0.35 is 0.34999... in binary: the exact form rounds what was computed, the other what was typed.
    QCOMPARE(FormatFixedExact(0.35, 1), std::string("0.3"));
    QCOMPARE(FormatFixed(0.35, 1), std::string("0.4"));
    for (double v : {1e62, 1e63, -3.5e150, 1.7976931348623157e308, -1.7976931348623157e308}) {
        for (int decimals : {0, 3, 40, 99}) {
            const std::string s = FormatFixedExact(v, decimals);
            const std::string w = FormatFixed(v, decimals);
            for (const std::string& t : {s, w}) {
                QVERIFY(t.find_first_not_of("-0123456789.") == std::string::npos);
                QCOMPARE(t[0] == '-', v < 0);
                QCOMPARE(std::strtod(t.c_str(), nullptr), v); // every digit present
            }
            const std::size_t point = s.find('.');
            QCOMPARE(point == std::string::npos ? 0 : s.size() - point - 1,
                     static_cast<std::size_t>(std::min(decimals, 40)));
        }
    }
}

QTEST_APPLESS_MAIN(TestNumberForms)
#include "tst_numberforms.moc"
