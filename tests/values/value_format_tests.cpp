#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <clocale>
#include <cmath>
#include <limits>

#include "values/value.h"
#include "values/value_format.h"

namespace tillora {
namespace {

// 2016-08-18 00:00 as a Jet day number.
constexpr double k18Aug2016 = 42600.0;

double at(double day, int h, int m, int s) {
    return day + (h * 3600 + m * 60 + s) / 86400.0;
}

TEST(ValueFormat, DoublesUseThirteenSignificantDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {80, "80"},
        {12.5, "12.5"},
        {0.1 + 0.2, "0.3"},
        {-2.5, "-2.5"},
        {1234567890123456.0, "1.234567890123e+15"},
        {1234567890123.0, "1234567890123"},
        {1e13, "1e+13"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {1.0 / 3.0, "0.3333333333333"},
        {0, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(doubleToText(c.value), QLatin1String(c.text)) << c.text;
    }
}

TEST(ValueFormat, FloatsShowSixSignificantDigitsWithoutBinaryNoise) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.1f, "0.1"},         {-0.1f, "-0.1"},
        {1.1f, "1.1"},         {3.14159274f, "3.14159"},
        {123456.7f, "123457"}, {16777216.f, "1.67772e+07"},
        {1e-5f, "1e-05"},      {0.0f, "0"},
        {999999.5f, "1e+06"},  {12.5f, "12.5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(floatToText(c.value), QLatin1String(c.text)) << c.text;
    }
}

TEST(ValueFormat, NumbersAreWrittenAndReadWithAPointWhateverTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    EXPECT_EQ(doubleToText(12.5), u"12.5");
    EXPECT_EQ(floatToText(0.5f), u"0.5");
    EXPECT_DOUBLE_EQ(textToDouble(QStringLiteral("12.5")), 12.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ValueFormat, EveryKindHasItsText) {
    EXPECT_EQ(valueToText(Value()), u"");
    EXPECT_EQ(valueToText(Value::fromByte(255)), u"255");
    EXPECT_EQ(valueToText(Value::fromShort(-32768)), u"-32768");
    EXPECT_EQ(valueToText(Value::fromInt(-7)), u"-7");
    EXPECT_EQ(valueToText(Value::fromLong(std::numeric_limits<qint64>::min())),
              u"-9223372036854775808");
    EXPECT_EQ(valueToText(Value::fromFloat(0.1f)), u"0.1");
    EXPECT_EQ(valueToText(Value::fromDouble(1234567890123456.0)), u"1.234567890123e+15");
    EXPECT_EQ(valueToText(Value::fromBool(true)), u"真");
    EXPECT_EQ(valueToText(Value::fromBool(false)), u"假");
    EXPECT_EQ(valueToText(Value::fromDateTime(k18Aug2016)), u"2016年8月18日");
    EXPECT_EQ(valueToText(Value::fromText(QStringLiteral("小票"))), u"小票");
    EXPECT_EQ(valueToText(Value::fromBytes(QByteArray("ab\0cd", 5))), u"ab");
    EXPECT_EQ(valueToText(Value::fromBytes(QByteArray("xyz"))), u"xyz");
}

TEST(ValueFormat, DateTimeTextsShowOnlyTheTimePartsThatAreThere) {
    const struct {
        double day;
        const char* text;
    } cases[] = {
        {k18Aug2016, "2016年8月18日"},
        {at(k18Aug2016, 9, 5, 0), "2016年8月18日9时5分"},
        {at(k18Aug2016, 9, 5, 7), "2016年8月18日9时5分7秒"},
        {at(k18Aug2016, 9, 0, 0), "2016年8月18日9时"},
        {at(k18Aug2016, 0, 0, 5), "2016年8月18日0时0分5秒"},
        {at(k18Aug2016, 23, 59, 59), "2016年8月18日23时59分59秒"},
        {0, "1899年12月30日"},
        {-1.25, "1899年12月29日6时"},  // negative days: the fraction still runs forward
        {-0.5, "1899年12月30日12时"},
        {2958465.0, "9999年12月31日"},
        {3e6, "9999年12月31日"},  // clamped to the last day
        {2958465.75, "9999年12月31日"},
        {-657434.0, "100年1月1日"},
        {-1e9, "100年1月1日"},
        {std::nan(""), "1899年12月30日"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dateTimeToText(c.day), QString::fromUtf8(c.text)) << c.text;
    }
}

TEST(ValueFormat, TimeOfDaySurvivesTheFloatingPointFraction) {
    // Every second of a day, on a recent and a far date, must split back to itself.
    for (double day : {k18Aug2016, 2958464.0, -657000.0}) {
        for (int s = 0; s < 86400; ++s) {
            const double v = day < 0 ? day - s / 86400.0 : day + s / 86400.0;
            const DateTimeParts p = splitJetDay(v);
            ASSERT_EQ(p.hour * 3600 + p.minute * 60 + p.second, s) << day << " " << s;
        }
    }
    // Just below midnight rounds to the next day, not to 24:00.
    const DateTimeParts p = splitJetDay(k18Aug2016 + 1 - 1e-9);
    EXPECT_EQ(p.day, 19);
    EXPECT_EQ(p.hour, 0);
}

TEST(ValueFormat, DayNumbersAndQDateTimeConvertBothWays) {
    const struct {
        QDateTime dateTime;
        double day;
    } cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(2016, 8, 18), QTime(9, 5, 7)), at(k18Aug2016, 9, 5, 7)},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
        {QDateTime(QDate(100, 1, 1), QTime(0, 0)), -657434.0},
        {QDateTime(QDate(9999, 12, 31), QTime(0, 0)), 2958465.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(jetDayFromDateTime(c.dateTime), c.day) << c.day;
        EXPECT_EQ(dateTimeFromJetDay(c.day), c.dateTime) << c.day;
    }
    EXPECT_EQ(jetDayFromDateTime(QDateTime()), 0.0);
    const QDateTime ms(QDate(2020, 2, 29), QTime(23, 59, 59, 999));
    EXPECT_EQ(dateTimeFromJetDay(jetDayFromDateTime(ms)), ms);

    const double before = jetDayFromDateTime(QDateTime::currentDateTime());
    const double now = jetNow();
    EXPECT_GE(now, before);
    EXPECT_LT(now - before, 1.0 / 86400);
}

TEST(ValueFormat, TextToDoubleReadsTheLeadingNumber) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"１２．５", 12.5},
        {"abc", 0},
        {" 7kg", 7},
        {"\t\n 42", 42},
        {"　３", 3},         // ideographic space
        {"－１．５", -1.5},  // full-width minus
        {"+8", 8},
        {"-3.5e2x", -350},
        {"2E-1", 0.2},
        {"１ｅ２", 100},
        {"1e", 1},
        {"1e+", 1},
        {".5", 0.5},
        {"5.", 5},
        {".", 0},
        {"+-1", 0},
        {"-", 0},
        {"", 0},
        {"1,5", 1},
        {"0x10", 0},
        {"1e-999", 0},
        {"0.0000000000000000000000000000000000000000000000000000000000001e-300", 0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(textToDouble(QString::fromUtf8(c.text)), c.value) << c.text;
    }
    EXPECT_EQ(textToDouble(QStringLiteral("1e999")), std::numeric_limits<double>::infinity());
    EXPECT_EQ(textToDouble(QStringLiteral("-1e999")), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(textToDouble(QStringLiteral("0.0001e309")), 1e305);
}

TEST(ValueFormat, TextToIntegerStopsAtThePointAndSaturates) {
    const struct {
        const char* text;
        qint64 asInt;
        qint64 asLong;
    } cases[] = {
        {"12.7", 12, 12},
        {"-12.7", -12, -12},
        {"  +8", 8, 8},
        {"１２", 12, 12},
        {"1e3", 1, 1},
        {"x1", 0, 0},
        {"99999999999", 2147483647, 99999999999},
        {"-99999999999", -2147483648LL, -99999999999},
        {"9223372036854775807", 2147483647, 9223372036854775807LL},
        {"9223372036854775808", 2147483647, 9223372036854775807LL},
        {"-9223372036854775808", -2147483648LL, std::numeric_limits<qint64>::min()},
        {"-99999999999999999999", -2147483648LL, std::numeric_limits<qint64>::min()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textToInt(QString::fromUtf8(c.text)), c.asInt) << c.text;
        EXPECT_EQ(textToLong(QString::fromUtf8(c.text)), c.asLong) << c.text;
    }
}

TEST(ValueFormat, FullWidthPunctuationBecomesAscii) {
    EXPECT_EQ(fullWidthToAscii(QStringLiteral("ＡＢｃ！～　￥￣☆★中")), u"ABc!~ $~**中");
}

TEST(ValueFormat, RoundHalvesAwayFromZero) {
    const struct {
        double value;
        int places;
        double expected;
    } cases[] = {
        {2.675, 2, 2.68},  {-2.5, 0, -3},      {2.5, 0, 3},
        {1234, -2, 1200},  {1250, -2, 1300},   {-1250, -2, -1300},
        {0, 2, 0},         {1.005, 2, 1.01},   {-1.4, 0, -1},
        {2.4999, 0, 2},    {0.5, 0, 1},        {12.345, 1, 12.3},
        {1e300, 5, 1e300}, {123.456, -400, 0}, {123.456, 400, 123.456},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(roundTo(c.value, c.places), c.expected) << c.value << " " << c.places;
    }
    EXPECT_DOUBLE_EQ(roundTo(2.5), 3);
    EXPECT_TRUE(std::isnan(roundTo(std::nan(""), 2)));
}

TEST(ValueFormat, NumberToIntegerCutsTowardZero) {
    EXPECT_EQ(numberToInt(2.9), 2);
    EXPECT_EQ(numberToInt(-2.9), -2);
    EXPECT_EQ(numberToInt(std::nan("")), 0);
    EXPECT_EQ(numberToInt(1e20), std::numeric_limits<int>::max());
    EXPECT_EQ(numberToInt(-1e20), std::numeric_limits<int>::min());
}

TEST(ValueFormat, HandTypedDatesAreRead) {
    EXPECT_DOUBLE_EQ(*textToJetDay(QStringLiteral("2016年8月18日9时5分7秒")),
                     at(k18Aug2016, 9, 5, 7));
    EXPECT_DOUBLE_EQ(*textToJetDay(QStringLiteral("2016-08-18 09:05")), at(k18Aug2016, 9, 5, 0));
    EXPECT_DOUBLE_EQ(*textToJetDay(QStringLiteral("2016/8/18")), k18Aug2016);
    EXPECT_DOUBLE_EQ(*textToJetDay(QStringLiteral("２０１６．８．１８")), k18Aug2016);
    for (const char* bad : {"2016/2/30", "hello", "2016", "2016-8-18 25:00", "2016-8-18 x",
                            "50-1-1", "2016-8-18 1:2:3:4"}) {
        EXPECT_FALSE(textToJetDay(QString::fromUtf8(bad))) << bad;
    }
}

}  // namespace
}  // namespace tillora
