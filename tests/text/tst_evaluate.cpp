// The entry evaluator: operators, precedence, signs, functions, constants, factorial, hex, the
// messages of rejected entries, and FormatEntry.
#include "text/Errors.h"
#include "text/Evaluate.h"
#include <QtTest>
#include <cmath>
#include <random>

namespace {
const std::string Prefix = "Entry could not be evaluated:\r";

// The message of a rejected entry, or "accepted" when it was not rejected.
std::string Rejection(const std::string& entry) {
    try {
        const Extended v = EvaluateEntry(entry);
        return "accepted: " + FormatEntry(false, v);
    } catch (const EAssignError& e) {
        return e.what();
    }
}

bool Close(Extended a, Extended b) {
    return std::fabs(a - b) <= 1e-17L * std::max<Extended>(1, std::fabs(b));
}
} // namespace

class TestEvaluate : public QObject {
    Q_OBJECT
  private slots:
    void arithmeticAndPrecedence_data();
    void arithmeticAndPrecedence();
    void signsOfOperands();
    void functionsAndConstants();
    void minusAfterAFunctionNameIsASign();
    void factorialAndHex();
    void rejectedEntriesAndTheirMessages_data();
    void rejectedEntriesAndTheirMessages();
    void neverReturnsANonFiniteValue();
    void formatEntry();
    void arbitraryTextIsRejectedCleanly();
};

void TestEvaluate::arithmeticAndPrecedence_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("shown");
    QTest::newRow("parentheses") << "2*(3+4)"
                                 << "14";
    QTest::newRow("sign binds before power") << "-3^2"
                                             << "9";
    QTest::newRow("remainder") << "10%4"
                               << "2";
    QTest::newRow("remainder truncates") << "10.9%4.2"
                                         << "2";
    QTest::newRow("remainder sign") << "-7%3"
                                    << "-1";
    QTest::newRow("quotient") << "7/2"
                              << "3.5";
    QTest::newRow("exponent form") << "1e-3*5"
                                   << "0.005";
    QTest::newRow("exponent with plus") << "1e+3*5"
                                        << "5000";
    QTest::newRow("power left to right") << "2^3^2"
                                         << "64";
    QTest::newRow("power before product") << "2*3^2"
                                          << "18";
    QTest::newRow("product before sum") << "1+2*3"
                                        << "7";
    QTest::newRow("left to right") << "8/4/2"
                                   << "1";
    QTest::newRow("subtraction chain") << "10-2-3"
                                       << "5";
    QTest::newRow("nested") << "((2+3)*(4-1))^2"
                            << "225";
    QTest::newRow("blanks and tabs") << " 1 +\t2 "
                                     << "3";
    QTest::newRow("equal") << "3=3"
                           << "1";
    QTest::newRow("unequal") << "3=4"
                             << "0";
    QTest::newRow("equal is last") << "1+2=3"
                                   << "1";
    QTest::newRow("or") << "0|4"
                        << "1";
    QTest::newRow("or of zeros") << "0|0"
                                 << "0";
    QTest::newRow("and zero") << "0&4"
                              << "0";
    QTest::newRow("and") << "2&3"
                         << "1";
    QTest::newRow("and before or") << "1|0&0"
                                   << "1";
    QTest::newRow("third") << "1/3"
                           << "0.333333333333333333";
    QTest::newRow("decimal sum") << "0.1+0.2"
                                 << "0.3";
    QTest::newRow("large") << "123456789012*1000000000"
                           << "1.23456789012E20";
    QTest::newRow("huge") << "1e300*1e300"
                          << "1E600";
    QTest::newRow("plain number") << "62.4"
                                  << "62.4";
    QTest::newRow("point first") << ".5*2"
                                 << "1";
    QTest::newRow("minus negative group") << "2-(0-3)"
                                          << "5";
    QTest::newRow("triple minus") << "5---3"
                                  << "2";
    QTest::newRow("e minus one") << "e-1"
                                 << "1.71828182845904524";
}

void TestEvaluate::arithmeticAndPrecedence() {
    QFETCH(QString, entry);
    QFETCH(QString, shown);
    QCOMPARE(QString::fromStdString(Rejection(entry.toStdString())), "accepted: " + shown);
}

void TestEvaluate::signsOfOperands() {
    QCOMPARE(EvaluateEntry("-5"), -5.0L);
    QCOMPARE(EvaluateEntry("2*-3"), -6.0L);
    QCOMPARE(EvaluateEntry("2^-1"), 0.5L);
    QCOMPARE(EvaluateEntry("2--3"), 5.0L);
    QCOMPARE(EvaluateEntry("--4"), 4.0L);
    QCOMPARE(EvaluateEntry("1e-2"), 0.01L);
    QCOMPARE(EvaluateEntry("1E-2-1"), -0.99L);
    QCOMPARE(EvaluateEntry("-pi"), -3.14159265358979323846L);
    QVERIFY(Close(EvaluateEntry("-e*1"), -2.71828182845904523536L));
    QVERIFY(Close(EvaluateEntry("2*-e"), -2 * 2.71828182845904523536L));
    QCOMPARE(EvaluateEntry("-(2+3)"), -5.0L);
    QCOMPARE(EvaluateEntry("-$10"), -16.0L);
    QCOMPARE(EvaluateEntry("-5!"), -120.0L); // the factorial keeps the sign
}

void TestEvaluate::functionsAndConstants() {
    QCOMPARE(EvaluateEntry("sin(pi/2)"), 1.0L);
    QCOMPARE(EvaluateEntry("sin(-0.5)"), std::sin(-0.5L));
    QCOMPARE(EvaluateEntry("2*sin(0)"), 0.0L);
    QCOMPARE(EvaluateEntry("pi"), 3.14159265358979323846L);
    QCOMPARE(EvaluateEntry("PI"), 3.14159265358979323846L);
    QCOMPARE(EvaluateEntry("e"), 2.71828182845904523536L);
    QVERIFY(Close(EvaluateEntry("cos(0.5)"), std::cos(0.5L)));
    QVERIFY(Close(EvaluateEntry("tan(0.5)"), std::tan(0.5L)));
    QVERIFY(Close(EvaluateEntry("cotan(0.5)"), 1 / std::tan(0.5L)));
    QVERIFY(Close(EvaluateEntry("sec(0.5)"), 1 / std::cos(0.5L)));
    QVERIFY(Close(EvaluateEntry("csc(0.5)"), 1 / std::sin(0.5L)));
    QVERIFY(Close(EvaluateEntry("arcsin(0.5)"), std::asin(0.5L)));
    QVERIFY(Close(EvaluateEntry("arccos(0.5)"), std::acos(0.5L)));
    QVERIFY(Close(EvaluateEntry("arctan(0.5)"), std::atan(0.5L)));
    QVERIFY(Close(EvaluateEntry("sinh(0.5)"), std::sinh(0.5L)));
    QVERIFY(Close(EvaluateEntry("cosh(0.5)"), std::cosh(0.5L)));
    QVERIFY(Close(EvaluateEntry("tanh(0.5)"), std::tanh(0.5L)));
    QVERIFY(Close(EvaluateEntry("arcsinh(0.5)"), std::asinh(0.5L)));
    QVERIFY(Close(EvaluateEntry("arccosh(1.5)"), std::acosh(1.5L)));
    QVERIFY(Close(EvaluateEntry("arctanh(0.5)"), std::atanh(0.5L)));
    QCOMPARE(EvaluateEntry("abs(-2.5)"), 2.5L);
    QCOMPARE(EvaluateEntry("frac(-2.75)"), -0.75L);
    QCOMPARE(EvaluateEntry("int(-2.75)"), -2.0L);
    QVERIFY(Close(EvaluateEntry("ln(e)"), 1));
    QVERIFY(Close(EvaluateEntry("log(1000)"), 3));
    QCOMPARE(FormatEntry(false, EvaluateEntry("log(1000)")), std::string("3"));
    QCOMPARE(EvaluateEntry("sqrt(16)"), 4.0L);
    QCOMPARE(EvaluateEntry("round(2.5)"), 2.0L); // ties to even
    QCOMPARE(EvaluateEntry("round(3.5)"), 4.0L);
    QCOMPARE(EvaluateEntry("round(-2.6)"), -3.0L);
    QCOMPARE(EvaluateEntry("ceil(2.1)"), 3.0L);
    QCOMPARE(EvaluateEntry("ceil(-2.1)"), -2.0L);
    QCOMPARE(EvaluateEntry("floor(-2.1)"), -3.0L);
    QCOMPARE(EvaluateEntry("sqrt(sqrt(16))"), 2.0L);
    QCOMPARE(EvaluateEntry("sqrt16*2"), 8.0L); // a function takes the rest of its operand
    QCOMPARE(EvaluateEntry("abs(sqrt(4)-3)"), 1.0L);
    QCOMPARE(EvaluateEntry("SQRT(4)"), 2.0L);
}

void TestEvaluate::minusAfterAFunctionNameIsASign() {
    QVERIFY(Close(EvaluateEntry("2*sin(-0.5)"), 2 * std::sin(-0.5L)));
    QCOMPARE(EvaluateEntry("1+abs(-3)"), 4.0L);
    QCOMPARE(EvaluateEntry("2*sqrt(16)-abs(-1)"), 7.0L);
    QVERIFY(Close(EvaluateEntry("sin(cos(-1))"), std::sin(std::cos(-1.0L))));
    QVERIFY(Close(EvaluateEntry("3*SIN(-0.5)"), 3 * std::sin(-0.5L)));
    QCOMPARE(EvaluateEntry("-sin(1)"), -std::sin(1.0L));
    QVERIFY(Close(EvaluateEntry("2-sin(1)"), 2 - std::sin(1.0L))); // a minus before a name still subtracts
}

void TestEvaluate::factorialAndHex() {
    QCOMPARE(EvaluateEntry("5!"), 120.0L);
    QCOMPARE(EvaluateEntry("0!"), 1.0L);
    QCOMPARE(EvaluateEntry("(2+1)!"), 6.0L);
    QCOMPARE(EvaluateEntry("3!!"), 720.0L);
    QCOMPARE(EvaluateEntry("2*3!"), 12.0L);
    QCOMPARE(EvaluateEntry("20!"), 2432902008176640000.0L);
    QVERIFY(std::isfinite(EvaluateEntry("1754!")));
    QCOMPARE(EvaluateEntry("$FF"), 255.0L);
    QCOMPARE(EvaluateEntry("$ff+1"), 256.0L);
    QCOMPARE(EvaluateEntry("$1E-1"), 29.0L); // hex digit E, then subtraction
    QCOMPARE(EvaluateEntry("$FFFFFFFFFFFFFFFF"), -1.0L);
    QCOMPARE(EvaluateEntry(FormatEntry(true, -2)), -2.0L); // hex text reads back
}

void TestEvaluate::rejectedEntriesAndTheirMessages_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << ""
                           << "entry cannot be blank";
    QTest::newRow("blanks") << "  \t"
                            << "entry cannot be blank";
    QTest::newRow("empty group") << "2*()"
                                 << "entry cannot be blank";
    QTest::newRow("trailing operator") << "5+"
                                       << "invalid expression";
    QTest::newRow("open parenthesis") << "(1+2"
                                      << "invalid character(s) in expression";
    QTest::newRow("close parenthesis") << "1+2)"
                                       << "() (parentheses) do not match";
    QTest::newRow("reversed parentheses") << ")("
                                          << "() (parentheses) do not match";
    QTest::newRow("letters") << "abc"
                             << "invalid character(s) in expression";
    QTest::newRow("comma") << "2,5"
                           << "invalid character(s) in expression";
    QTest::newRow("leading operator") << "*5"
                                      << "invalid character(s) in expression";
    QTest::newRow("double operator") << "5*/2"
                                     << "invalid character(s) in expression";
    QTest::newRow("function without argument") << "sin"
                                               << "invalid character(s) in expression";
    QTest::newRow("point after exponent") << "1E-6."
                                          << "invalid character(s) in expression";
    QTest::newRow("fractional factorial") << "2.5!"
                                          << "! (factoral) applicable to integers only";
    QTest::newRow("factorial of pi") << "pi!"
                                     << "! (factoral) applicable to integers only";
    QTest::newRow("bad hex") << "$XY"
                             << "invalid use of $ (hex function)";
    QTest::newRow("hex without digits") << "$"
                                        << "invalid use of $ (hex function)";
    QTest::newRow("hex too long") << "$10000000000000000"
                                  << "invalid use of $ (hex function)";
    QTest::newRow("division by zero") << "1/0"
                                      << "division by zero";
    QTest::newRow("division by zero group") << "1/(2-2)"
                                            << "division by zero";
    QTest::newRow("remainder by zero") << "5%0.5"
                                       << "division by zero";
    QTest::newRow("zero to a negative power") << "0^-1"
                                              << "division by zero";
    QTest::newRow("cotan of zero") << "cotan(0)"
                                   << "division by zero";
    QTest::newRow("csc of zero") << "csc(0)"
                                 << "division by zero";
    QTest::newRow("ln of zero") << "ln(0)"
                                << "logarithm of zero or of a negative number";
    QTest::newRow("log of negative") << "log(-1)"
                                     << "logarithm of zero or of a negative number";
    QTest::newRow("sqrt of negative") << "sqrt(-1)"
                                      << "square root of a negative number";
    QTest::newRow("overflow") << "1e4000*1e4000"
                              << "result is too large";
    QTest::newRow("power overflow") << "2^100000"
                                    << "result is too large";
    QTest::newRow("factorial overflow") << "1755!"
                                        << "result is too large";
    QTest::newRow("huge factorial") << "1e18!"
                                    << "result is too large";
    QTest::newRow("arcsin outside") << "arcsin(2)"
                                    << "result is undefined";
    QTest::newRow("root of negative base") << "(-8)^(1/3)"
                                           << "result is undefined";
    QTest::newRow("arctanh of one") << "arctanh(1)"
                                    << "result is too large";
    QTest::newRow("number too large") << "1e5000"
                                      << "invalid character(s) in expression";
    QTest::newRow("remainder out of range") << "1e30%7"
                                            << "value out of range";
    QTest::newRow("ceil out of range") << "ceil(3e9)"
                                       << "value out of range";
    QTest::newRow("round out of range") << "round(1e19)"
                                        << "value out of range";
}

void TestEvaluate::rejectedEntriesAndTheirMessages() {
    QFETCH(QString, entry);
    QFETCH(QString, reason);
    QCOMPARE(QString::fromStdString(Rejection(entry.toStdString())), QString::fromStdString(Prefix) + reason);
}

void TestEvaluate::neverReturnsANonFiniteValue() {
    // Every way to reach an infinite or undefined value is refused; nothing slips through as INF/NAN text.
    for (const char* entry :
         {"1/0", "0/0", "ln(0)", "1e4000^2", "tan(pi/2)^1e6", "-1e4000*1e4000", "sqrt(-4)", "arccosh(0.5)",
          "(1/0)*0", "inf", "nan", "INF", "cosh(100000)", "sinh(-100000)", "2^(2^20)", "1e4931*10+5"}) {
        try {
            const Extended v = EvaluateEntry(entry);
            QVERIFY2(std::isfinite(v), entry);
        } catch (const EAssignError& e) {
            QVERIFY2(std::string(e.what()).rfind(Prefix, 0) == 0, entry);
        }
    }
}

void TestEvaluate::formatEntry() {
    QCOMPARE(FormatEntry(true, 255), std::string("$00FF"));
    QCOMPARE(FormatEntry(true, 254.6L), std::string("$00FF"));
    QCOMPARE(FormatEntry(true, 0), std::string("$0000"));
    QCOMPARE(FormatEntry(true, 65536), std::string("$10000"));
    QCOMPARE(FormatEntry(true, -1), std::string("$FFFFFFFFFFFFFFFF"));
    QCOMPARE(FormatEntry(true, 1e30L), std::string("$7FFFFFFFFFFFFFFF")); // clamped, not undefined
    QCOMPARE(FormatEntry(false, 1.0L / 3), std::string("0.333333333333333333"));
    QCOMPARE(FormatEntry(false, -1.189731495357231759e+4932L), std::string("-1.18973149535723176E4932"));
    QCOMPARE(FormatEntry(false, 14), std::string("14"));
    QCOMPARE(FormatEntry(false, 0.000001L), std::string("1E-6"));
    // What a box shows, it reads back.
    for (const Extended v : {1.0L / 3, -2.0L / 7, 1e-20L, 6.02214076e23L, 123456789012345678.0L}) {
        const Extended back = EvaluateEntry(FormatEntry(false, v));
        QVERIFY(std::fabs(back - v) <= 1e-17L * std::fabs(v));
        QCOMPARE(FormatEntry(false, back), FormatEntry(false, v));
    }
}

void TestEvaluate::arbitraryTextIsRejectedCleanly() {
    // Whatever is typed: a finite value or an EAssignError with the evaluator's prefix, nothing else.
    const std::string alphabet = "0123456789.+-*/^%=|&!$()eEpisnacotlgqrfuxhbd \t,";
    std::mt19937 rng(99);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int i = 0; i < 30000; ++i) {
        std::string entry;
        for (int n = length(rng); n > 0; --n)
            entry += alphabet[pick(rng)];
        try {
            const Extended v = EvaluateEntry(entry);
            QVERIFY2(std::isfinite(v), entry.c_str());
        } catch (const EAssignError& e) {
            QVERIFY2(std::string(e.what()).rfind(Prefix, 0) == 0, entry.c_str());
        }
    }
    // Long entries: deep chains of functions and factorials must not exhaust the stack.
    std::string chain;
    for (int i = 0; i < 100000; ++i)
        chain += "sin";
    QVERIFY(std::isfinite(EvaluateEntry(chain + "1")));
    QCOMPARE(EvaluateEntry("1" + std::string(100000, '!')), 1.0L);
    std::string nested(5000, '(');
    nested += "1" + std::string(5000, ')');
    QCOMPARE(EvaluateEntry(nested), 1.0L);
}

QTEST_APPLESS_MAIN(TestEvaluate)
#include "tst_evaluate.moc"
