#include <gtest/gtest.h>

#include <cstdio>

#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/locale/settings.h"
#include "runtime/conversions.h"

using namespace tesma;

namespace {
double D(int y, int m, int d) { return locale::EncodeDate(y, m, d); }
}  // namespace

TEST(NullToDefault, EmptyTextAndNullTakeTheDefaultOtherValuesStay) {
    EXPECT_EQ(NullToDefault(Value::Str(""), Value::Int(0)), Value::Int(0));
    EXPECT_EQ(NullToDefault(Value::Str("x"), Value::Int(0)), Value::Str("x"));
    EXPECT_EQ(NullToDefault(Value::Int(0), Value::Int(7)), Value::Int(0));
    EXPECT_EQ(NullToDefault(Value::DateOf(0), Value::Int(7)), Value::DateOf(0));
    EXPECT_EQ(NullToDefault(Value::Null(), Value::Int(7)), Value::Int(7));
    EXPECT_THROW(NullToDefault(Value{}, Value::Int(7)), InvalidValueError);
}

TEST(ValueToText, GeneralNumberTextWithAPointWhateverTheSystemSays) {
    locale::ScopedSettings comma({"dd.mm.yyyy", '.', ','});
    EXPECT_EQ(ValueToText(Value::Real(1234.5)), "1234.5");
    EXPECT_EQ(ValueToText(Value::Real(0.1 + 0.2)), "0.3");
    EXPECT_EQ(ValueToText(Value::Real(-42)), "-42");
    EXPECT_EQ(ValueToText(Value::Real(0)), "0");
    EXPECT_EQ(ValueToText(Value::Real(123456789012345.0)), "123456789012345");
    EXPECT_EQ(ValueToText(Value::Real(1234567890123456.0)), "1.23456789012346E15");
    EXPECT_EQ(ValueToText(Value::Real(1e20)), "1E20");
    EXPECT_EQ(ValueToText(Value::Real(0.00001)), "0.00001");
    EXPECT_EQ(ValueToText(Value::Real(0.0000015)), "1.5E-6");
    EXPECT_EQ(ValueToText(Value::Real(-0.25)), "-0.25");
    EXPECT_EQ(ValueToText(Value::Int(-17)), "-17");
    EXPECT_EQ(ValueToText(Value::DateOf(0)), "");
    EXPECT_EQ(ValueToText(Value::DateOf(D(2024, 3, 5))), "05.03.2024");
    EXPECT_EQ(ValueToText(Value::Null()), "");
    EXPECT_EQ(ValueToText(Value{}), "");
}

TEST(TextToNumber, FollowsTheSystemDecimalSeparator) {
    EXPECT_EQ(TextToNumber(""), 0);
    EXPECT_EQ(TextToNumber("12.5"), 12.5L);
    EXPECT_EQ(TextToNumber(" -3 "), -3);
    EXPECT_EQ(TextToNumber("1E3"), 1000);
    EXPECT_THROW(TextToNumber("12,5"), ConversionError);
    EXPECT_THROW(TextToNumber("abc"), ConversionError);
    EXPECT_THROW(TextToNumber("-"), ConversionError);
    locale::ScopedSettings comma({"dd.mm.yyyy", '.', ','});
    EXPECT_EQ(TextToNumber("12,5"), 12.5L);
    EXPECT_THROW(TextToNumber("12.5"), ConversionError);
}

TEST(TextToNumber, ErrorNamesTheText) {
    try {
        TextToNumber("12x");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("'12x'"), std::string::npos);
    }
}

TEST(TextToDate, FormatsAndOrders) {
    EXPECT_EQ(TextToDate("20240131", "YYYYMMDD"), D(2024, 1, 31));
    EXPECT_EQ(TextToDate("20240131", "yyyymmdd"), D(2024, 1, 31));
    EXPECT_EQ(TextToDate("31.01.2024", "DD.MM.YYYY"), D(2024, 1, 31));
    EXPECT_EQ(TextToDate("01/31/2024", "MM/DD/YYYY"), D(2024, 1, 31));
    EXPECT_EQ(TextToDate("24-01-31", "YY-MM-DD"), D(2024, 1, 31));  // the third character separates
    EXPECT_EQ(TextToDate("29.02.2024", "DD.MM.YYYY"), D(2024, 2, 29));
    EXPECT_THROW(TextToDate("29.02.2023", "DD.MM.YYYY"), ConversionError);
    EXPECT_THROW(TextToDate("31.04.2024", "DD.MM.YYYY"), ConversionError);
    EXPECT_THROW(TextToDate("20241301", "YYYYMMDD"), ConversionError);
    EXPECT_THROW(TextToDate("2024", "YYYYMMDD"), ConversionError);
    EXPECT_THROW(TextToDate("1.1.2024", "DD"), ConversionError);
    EXPECT_THROW(TextToDate("", "DD.MM.YYYY"), ConversionError);
}

TEST(Calendar, DayCountsAcrossMonthEndsLeapYearsAndTheEpoch) {
    EXPECT_EQ(D(1899, 12, 30), 0);
    EXPECT_EQ(D(1900, 1, 1), 2);
    EXPECT_EQ(D(2024, 3, 1) - D(2024, 2, 28), 2);
    EXPECT_EQ(D(2023, 3, 1) - D(2023, 2, 28), 1);
    EXPECT_EQ(D(2000, 3, 1) - D(2000, 2, 28), 2);
    EXPECT_EQ(D(1900, 3, 1) - D(1900, 2, 28), 1);
    EXPECT_EQ(D(2025, 1, 1) - D(2024, 12, 31), 1);
    auto c = locale::DecodeDate(D(2024, 12, 31) + 1);
    EXPECT_EQ(c.year, 2025);
    EXPECT_EQ(c.month, 1);
    EXPECT_EQ(c.day, 1);
    EXPECT_EQ(locale::DecodeDate(-1).day, 29);  // 29 December 1899
}

TEST(DatePartText, PatternsOfTheControls) {
    double sunday = D(2024, 3, 10), monday = D(2024, 3, 11);
    EXPECT_EQ(DatePartText("D", sunday), "7");
    EXPECT_EQ(DatePartText("d", monday), "1");
    EXPECT_EQ(DatePartText("DD", D(2024, 3, 5)), "05");
    EXPECT_EQ(DatePartText("MM", D(2024, 3, 5)), "03");
    EXPECT_EQ(DatePartText("YYYY", D(2024, 3, 5)), "2024");
    EXPECT_EQ(DatePartText("YYYYMMDD", D(2024, 3, 5)), "20240305");
    double moment = D(2024, 3, 5) + (13 * 3600 + 7 * 60 + 9) / 86400.0;
    EXPECT_EQ(DatePartText("YYYYMMDDHH24MISS", moment), "20240305130709");
    EXPECT_EQ(DatePartText("hh:nn:ss", moment), "13:07:09");
    EXPECT_EQ(DatePartText("DD.MM.YYYY", moment), "05.03.2024");
    EXPECT_EQ(DatePartText("YYYY", 0), "");
    EXPECT_EQ(DatePartText("D", 0), "");
}

TEST(ShortDate, ReadsTheSystemShortDateFormat) {
    EXPECT_EQ(ShortDateTextToDate("05.03.2024"), D(2024, 3, 5));
    EXPECT_THROW(ShortDateTextToDate("2024-03-05"), ConversionError);
    locale::ScopedSettings us({"mm/dd/yyyy", '/', '.'});
    EXPECT_EQ(ShortDateTextToDate("03/05/2024"), D(2024, 3, 5));
}

TEST(CurrentDateTime, IsTodayWithATimeOfDay) {
    double now = CurrentDateTime();
    EXPECT_GT(now, D(2020, 1, 1));
    EXPECT_LT(now, D(2200, 1, 1));
}

TEST(DatesBefore1899, DayAndTimeOfOneValueDecodeConsistentlyOnBothSidesOfZero) {
    struct Case {
        int y, m, d, hh, mi, ss;
    };
    for (const Case c : {Case{1850, 6, 15, 6, 0, 0}, Case{1850, 6, 15, 18, 30, 15}, Case{1899, 12, 29, 6, 0, 0},
                         Case{1899, 12, 30, 6, 0, 0}, Case{1899, 12, 31, 23, 59, 59}, Case{1, 1, 1, 12, 0, 0},
                         Case{2025, 12, 1, 9, 5, 7}}) {
        const double time = (c.hh * 3600.0 + c.mi * 60.0 + c.ss) / 86400.0;
        const double value = locale::WithTimeOfDay(locale::EncodeDate(c.y, c.m, c.d), time);
        char want[32];
        std::snprintf(want, sizeof want, "%04d%02d%02d%02d%02d%02d", c.y, c.m, c.d, c.hh, c.mi, c.ss);
        EXPECT_EQ(DatePartText("YYYYMMDDHH24MISS", value), want);
        // A whole day count and its text round-trip too.
        const double day = locale::EncodeDate(c.y, c.m, c.d);
        if (day != 0) {
            EXPECT_EQ(ShortDateTextToDate(ValueToText(Value::DateOf(day))), day) << want;
        }
        // On the continuous scale of table time stamps, and back.
        EXPECT_DOUBLE_EQ(locale::FromContinuousDays(locale::ToContinuousDays(value)), value) << want;
    }
    // Day of the week of a day before 1899 with a time of day: 15 June 1850 was a Saturday.
    EXPECT_EQ(DatePartText("D", locale::WithTimeOfDay(locale::EncodeDate(1850, 6, 15), 0.75)), "6");
}
