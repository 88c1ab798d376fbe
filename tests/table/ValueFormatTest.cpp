#include "table/ValueFormat.h"
#include "platform/Nls.h"
#include "table/FieldType.h"
#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvel;

namespace {

class ValueFormat : public testing::Test
{
protected:
    AnsiString date(AnsiView input, const LocaleInfo &loc)
    {
        AnsiString out;
        NormaliseDateInput(input, loc, out);
        return out;
    }
    AnsiString date(AnsiView input) { return date(input, german); }
    AnsiString number(AnsiView input, const LocaleInfo &loc)
    {
        AnsiString out;
        NormaliseNumericInput(input, loc, out);
        return out;
    }
    AnsiString showNumber(AnsiView stored, int decimals)
    {
        AnsiString buffer;
        return AnsiString(FormatDisplayValue(FT_NUMERIC, decimals, stored, german, buffer));
    }
    AnsiString showDate(AnsiView stored, int format)
    {
        AnsiString buffer;
        return AnsiString(FormatDisplayValue(FT_DATE, format, stored, german, buffer));
    }

    ScopedFixedTime now{test::TableTestNow()};
    LocaleInfo german = LocaleInfo::forName("de_DE");
};

TEST_F(ValueFormat, GermanDateInput)
{
    const struct
    {
        const char *input;
        const char *stored;
    } cases[] = {
            {"24.12.96", "19961224"},
            {"24.12.1996", "19961224"},
            {"24.12.96   ", "19961224"},
            {"24.12", "20261224"}, // one separator: only the day is read
            {"5.3", "20261205"},
            {"5.", "20261205"},
            {"1.Januar.97", "19970101"},
            {"1.JANUAR.97", "19970101"},
            {"1. m\xE4rz .97", "19970301"}, // month names are trimmed and compared in lower case
            {"x", "##"},
            {"0.0.0", "##"},
            {"31.02.1997", "31.02.1997"}, // no such day: kept as typed
            {"31.", "20261231"},
            {"", ""},
            {"   ", ""},
            {"1.1.00", "20000101"},
            {"1.1.26", "20260101"},
            {"1.1.29", "20290101"},
            {"1.1.30", "19300101"},
            {"1.1.1500", "1.1.1500"}, // before 1601
            {"-5.1.97", "-5.1.97"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(date(c.input), c.stored) << "input \"" << c.input << '"';
}

TEST_F(ValueFormat, MissingPartsThatMakeNoDateKeepTheInput)
{
    Clock::SetFixedTime(QDateTime(QDate(2026, 11, 7), QTime(12, 0), QTimeZone::utc()));
    EXPECT_EQ(date("31."), "31.");
    EXPECT_EQ(date("30."), "20261130");
    Clock::SetFixedTime(QDateTime(QDate(2028, 2, 29), QTime(12, 0), QTimeZone::utc()));
    EXPECT_EQ(date("1.3"), "20280201");
    EXPECT_EQ(date("29.2.27"), "29.2.27");
    Clock::SetFixedTime(test::TableTestNow());
}

TEST_F(ValueFormat, DateInputFollowsTheLocaleOrderAndSeparator)
{
    LocaleInfo us = german;
    us.dateSeparator = "/";
    us.dateOrder = 0;
    EXPECT_EQ(date("12/24/96", us), "19961224");
    EXPECT_EQ(date("12/", us), "20261207"); // month only
    EXPECT_EQ(date("24.12.96", us), "##");

    LocaleInfo iso = german;
    iso.dateSeparator = "-";
    iso.dateOrder = 2;
    EXPECT_EQ(date("1996-12-24", iso), "19961224");
    EXPECT_EQ(date("96-12-24", iso), "19961224");
    // One separator: the year stays two digits and makes no valid date.
    EXPECT_EQ(date("96-12", iso), "96-12");

    LocaleInfo noSeparator = german;
    noSeparator.dateSeparator.clear();
    noSeparator.dateOrder = 7;
    EXPECT_EQ(date("12.24.96", noSeparator), "19961224"); // "." and month-day-year
}

TEST_F(ValueFormat, NumericInputDropsGroupingAndUsesAPoint)
{
    EXPECT_EQ(number("1.234,5", german), "1234.5");
    EXPECT_EQ(number("1234.5", german), "12345");
    EXPECT_EQ(number("-1.000.000,25  ", german), "-1000000.25");
    EXPECT_EQ(number("abc", german), "abc");
    EXPECT_EQ(number("", german), "");

    LocaleInfo us = german;
    us.thousandSeparator = ",";
    us.decimalSeparator = ".";
    EXPECT_EQ(number("1,234.5", us), "1234.5");
}

TEST_F(ValueFormat, TextInputDropsOnlyTrailingSpaces)
{
    AnsiString out;
    NormaliseInput(FT_TEXT, "  M\xFCller \t  ", german, out);
    EXPECT_EQ(out, "  M\xFCller \t");
    NormaliseInput(FT_MEMO, "12  ", german, out);
    EXPECT_EQ(out, "12");
}

TEST_F(ValueFormat, NumericDisplay)
{
    EXPECT_EQ(showNumber("1234.5", 2), "1.234,50");
    EXPECT_EQ(showNumber("1234.5", 0), "1.235");
    EXPECT_EQ(showNumber("-0.001", 2), "0,00");
    EXPECT_EQ(showNumber("abc", 2), "##");
    EXPECT_EQ(showNumber("1e5", 2), "##");
    EXPECT_EQ(showNumber("", 2), "");
    // 255 digits with grouping are longer than a cell may show.
    EXPECT_EQ(showNumber(AnsiString(255, '9'), 0).size(), 254u);
}

TEST_F(ValueFormat, DateDisplay)
{
    EXPECT_EQ(showDate("19961224", 2), "24.12.1996");
    EXPECT_EQ(showDate("19961224", 5), "24.12.");
    EXPECT_EQ(showDate("19961224", 0), "24.12.96"); // the locale's short date
    EXPECT_EQ(showDate("19961224", 1), "24.12.96");
    EXPECT_EQ(showDate("19961224", 3), "24.Dez.96");
    EXPECT_EQ(showDate("19960324", 4), "24.M\xE4r.1996");
    EXPECT_EQ(showDate("19961224", 6), "24.Dez.");
    EXPECT_EQ(showDate("19961224", 9), "24.12.96");
    EXPECT_EQ(showDate("", 2), "");
    EXPECT_EQ(showDate("##", 2), "##");
    EXPECT_EQ(showDate("31.02.1997", 2), "##");
    EXPECT_EQ(showDate("19960231", 2), "##");
    // Zero parts come from today; no date at all stays unreadable.
    EXPECT_EQ(showDate("19960000", 2), "07.12.1996");
    EXPECT_EQ(showDate("M\xFCller, Hans", 2), "##");
}

TEST_F(ValueFormat, DisplayedValuesReadBackAsTheStoredOnes)
{
    // Cells are edited starting from their display value.
    // (Formats 3 to 6 show abbreviated month names or no year, which input
    // does not read back.)
    for (const int format : {0, 1, 2}) {
        EXPECT_EQ(date(showDate("19961224", format)), "19961224") << "format " << format;
        EXPECT_EQ(date(showDate("20051231", format)), "20051231") << "format " << format;
    }
    EXPECT_EQ(number(showNumber("-1234567.5", 2), german), "-1234567.50");
}

TEST_F(ValueFormat, DisplayReusesTheCallersBuffer)
{
    AnsiString buffer;
    buffer.reserve(64);
    const char *storage = buffer.data();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(FormatDisplayValue(FT_NUMERIC, 2, "1234567.891", german, buffer), "1.234.567,89");
        EXPECT_EQ(FormatDisplayValue(FT_DATE, 2, "19961224", german, buffer), "24.12.1996");
    }
    EXPECT_EQ(buffer.data(), storage);
    // Text is shown as stored, without a copy.
    const AnsiString text = "Bonn";
    EXPECT_EQ(FormatDisplayValue(FT_TEXT, 0, text, german, buffer).data(), text.data());
    EXPECT_EQ(FormatDisplayValue(FT_PICTURE, 2, text, german, buffer).data(), text.data());
}

// The per-field formatter takes shortcuts for the usual values; whatever the
// value, locale and format, it must show what the general formatting shows.
TEST(DisplayFormatter, AgreesWithTheGeneralFormatting)
{
    ScopedFixedTime now{test::TableTestNow()};
    std::vector<LocaleInfo> locales = {LocaleInfo::forName("de_DE"), LocaleInfo::forName("en_US")};
    for (int order = 0; order <= 5; ++order) {
        LocaleInfo odd = LocaleInfo::forName("de_DE");
        odd.negativeOrder = order;
        odd.thousandSeparator = order % 2 ? "" : "'.";
        odd.decimalSeparator = order == 2 ? "<>" : ",";
        odd.shortDatePicture = order == 0   ? "dddd, d. MMMM yyyy"
                               : order == 1 ? "'Tag' d.M.y ''MMM''"
                               : order == 2 ? "yyyyy-MM-dd 'offen"
                                            : "d/MMM/yy";
        locales.push_back(odd);
    }
    const AnsiString longDigits(300, '7');
    const AnsiString numbers[] = {"",
                                  "0",
                                  "-0",
                                  "0.5",
                                  "-0.5",
                                  ".5",
                                  "5.",
                                  "-",
                                  ".",
                                  "1",
                                  "12",
                                  "123",
                                  "1234",
                                  "-1234.5",
                                  "12.34",
                                  "-999.995",
                                  "999.9",
                                  "00012",
                                  "1e5",
                                  " 12",
                                  "12 ",
                                  "1.2.3",
                                  "+5",
                                  "-.25",
                                  "100000",
                                  "-1000000",
                                  "1234567.891",
                                  longDigits,
                                  "-" + longDigits + ".5"};
    const AnsiString dates[] = {"",         "1996",     "19961224", "19960229", "19970229", "00000000",  "00001224",
                                "19960000", "19961200", "16001231", "16010101", "99991231", "19961224x", "199612245",
                                " 9961224", "-9961224", "1996122x", "abcdefgh", "19961324", "20000229",  "21000229"};
    for (const LocaleInfo &loc : locales) {
        for (const int decimals : {0, 1, 2, 3, 255, 256, -1}) {
            const DisplayFormatter formatter(FT_NUMERIC, decimals, loc);
            AnsiString fast;
            AnsiString general;
            for (const AnsiString &stored : numbers)
                EXPECT_EQ(formatter.format(stored, fast),
                          FormatDisplayValue(FT_NUMERIC, decimals, stored, loc, general))
                        << stored << " " << decimals << " " << loc.negativeOrder;
        }
        for (int format = -1; format <= 7; ++format) {
            const DisplayFormatter formatter(FT_DATE, format, loc);
            AnsiString fast;
            AnsiString general;
            for (const AnsiString &stored : dates)
                EXPECT_EQ(formatter.format(stored, fast), FormatDisplayValue(FT_DATE, format, stored, loc, general))
                        << stored << " " << format << " " << loc.shortDatePicture;
        }
        const DisplayFormatter text(FT_TEXT, 2, loc);
        AnsiString unused;
        EXPECT_EQ(text.format(numbers[14], unused).data(), numbers[14].data());
    }
}

} // namespace
