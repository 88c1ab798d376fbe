#include "platform/Nls.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvel;

namespace {

const LocaleInfo &german()
{
    static const LocaleInfo info = LocaleInfo::forName("de_DE");
    return info;
}

// The formatted number, or "fail" when the formatter refuses the input.
std::string format(AnsiView value, int decimals, const LocaleInfo &loc = german())
{
    AnsiString out = "stale";
    if (!GetNumberFormatA(value, decimals, loc, out))
        return out.empty() ? "fail" : "fail, but wrote " + out;
    return out;
}

std::string date(int y, int m, int d, AnsiView picture, const LocaleInfo &loc = german())
{
    AnsiString out = "stale";
    if (!GetDateFormatA(y, m, d, picture, loc, out))
        return out.empty() ? "fail" : "fail, but wrote " + out;
    return out;
}

// Puts the current locale back for the tests that follow.
class NlsCurrentLocale : public testing::Test
{
protected:
    void TearDown() override
    {
        qputenv("ORVEL_LOCALE", "de_DE");
        SetCurrentLocale("de_DE");
    }
};

} // namespace

TEST(NlsNumber, FormatsPlainNumbersWithGroupingAndDecimals)
{
    EXPECT_EQ(format("1234.5", 2), "1.234,50");
    EXPECT_EQ(format(".5", 2), "0,50");
    EXPECT_EQ(format("5.", 2), "5,00");
    EXPECT_EQ(format("007", 2), "7,00");
    EXPECT_EQ(format("0", 0), "0");
    EXPECT_EQ(format("1234567", 0), "1.234.567");
    EXPECT_EQ(format("123456", 0), "123.456");
    EXPECT_EQ(format("-1234", 1), "-1.234,0");
    EXPECT_EQ(format("1.23456", 4), "1,2346");
}

TEST(NlsNumber, RefusesAnythingButAPlainNumber)
{
    for (const char *text : {"-", "1e5", " 5", "5 ", "abc", "", ".", "-.", "1.2.3", "+5", "--5", "1,5", "0x10", "5-"})
        EXPECT_EQ(format(text, 2), "fail") << '"' << text << '"';
    EXPECT_EQ(format("5", -1), "fail");
    EXPECT_EQ(format("5", 256), "fail");

    EXPECT_EQ(FormatNumberForDisplay("abc", 2), "##");
    EXPECT_EQ(FormatNumberForDisplay("1e5", 2), "##");
    EXPECT_EQ(FormatNumberForDisplay("", 2), ""); // an empty value shows empty
    EXPECT_EQ(FormatNumberForDisplay("1234.5", 2), "1.234,50");
}

TEST(NlsNumber, RoundsHalfAwayFromZeroOnTheDigits)
{
    EXPECT_EQ(format("0.005", 2), "0,01");
    EXPECT_EQ(format("0.0049", 2), "0,00");
    EXPECT_EQ(format("999.995", 2), "1.000,00");
    EXPECT_EQ(format("-1.5", 0), "-2");
    EXPECT_EQ(format("-2.5", 0), "-3");
    EXPECT_EQ(format("2.45", 1), "2,5"); // 2.45 is below 2.45 in binary floating point
    EXPECT_EQ(format("1.005", 2), "1,01");
    EXPECT_EQ(format(".5", 0), "1");
    EXPECT_EQ(format("0.4", 0), "0");
    EXPECT_EQ(format("99999.96", 1), "100.000,0");
    EXPECT_EQ(format("19.96", 1), "20,0");
    EXPECT_EQ(format("1.5", 3), "1,500");
}

TEST(NlsNumber, ShowsNoNegativeZero)
{
    EXPECT_EQ(format("-0.001", 2), "0,00");
    EXPECT_EQ(format("-0", 0), "0");
    EXPECT_EQ(format("-000.000", 1), "0,0");
    EXPECT_EQ(format("-0.4", 0), "0");
    EXPECT_EQ(format("-0.005", 2), "-0,01");
}

TEST(NlsNumber, HandlesNumbersLongerThanAnyMachineNumber)
{
    const std::string forty = "1234567890123456789012345678901234567890";
    EXPECT_EQ(format(forty + ".125", 2), "1.234.567.890.123.456.789.012.345.678.901.234.567.890,13");
    // Forty nines round up to a 1 with forty zeros: "10" and thirteen groups.
    std::string carried = "10";
    for (int i = 0; i < 13; ++i)
        carried += ".000";
    EXPECT_EQ(format("-" + std::string(40, '9') + ".95", 1), "-" + carried + ",0");

    // The display cuts at 254 bytes.
    const AnsiString huge(400, '7');
    EXPECT_EQ(FormatNumberForDisplay(huge, 2).size(), 254u);
}

TEST(NlsNumber, WritesEveryNegativeOrder)
{
    LocaleInfo loc = german();
    const char *expected[] = {"(1.234,5)", "-1.234,5", "- 1.234,5", "1.234,5-", "1.234,5 -"};
    for (int order = 0; order <= 4; ++order) {
        loc.negativeOrder = order;
        EXPECT_EQ(format("-1234.5", 1, loc), expected[order]) << "order " << order;
        EXPECT_EQ(format("1234.5", 1, loc), "1.234,5") << "order " << order;
    }
    loc.negativeOrder = 5;
    EXPECT_EQ(format("1", 0, loc), "fail");
}

TEST(NlsNumber, LeadingZeroAndSeparatorsComeFromTheLocale)
{
    LocaleInfo loc = german();
    loc.leadingZero = false;
    EXPECT_EQ(format(".5", 2, loc), ",50");
    EXPECT_EQ(format("-0.25", 2, loc), "-,25");
    EXPECT_EQ(format("0", 0, loc), "0"); // a number never shows as nothing
    EXPECT_EQ(format("12.5", 1, loc), "12,5");

    loc.thousandSeparator = "\xA0";
    loc.decimalSeparator = " dec ";
    EXPECT_EQ(format("1234567.5", 1, loc), "1\xA0"
                                           "234\xA0"
                                           "567 dec 5");
}

TEST(NlsNumber, ReusesTheCallersBuffer)
{
    AnsiString out;
    out.reserve(64);
    const char *buffer = out.data();
    for (const char *text : {"1234.5", "-0.001", "999.995", "abc"}) {
        GetNumberFormatA(text, 2, german(), out);
        EXPECT_EQ(out.data(), buffer) << text;
    }
}

TEST(NlsDate, FormatsEveryPictureToken)
{
    EXPECT_EQ(date(1996, 12, 24, "dd.MM.yyyy"), "24.12.1996");
    EXPECT_EQ(date(1996, 12, 24, "dd.MM."), "24.12.");
    EXPECT_EQ(date(1996, 12, 24, "dddd, d. MMMM yyyy"), "Dienstag, 24. Dezember 1996");
    EXPECT_EQ(date(2005, 3, 7, "d.M.y"), "7.3.5");
    EXPECT_EQ(date(2005, 3, 7, "dd.MM.yy"), "07.03.05");
    EXPECT_EQ(date(2005, 3, 7, "ddd dd.MMM.yyy"), "Mo 07.M\xE4r.2005");
    EXPECT_EQ(date(2005, 3, 7, "dddddd MMMMM yyyyy"), "Montag M\xE4rz 2005");
    EXPECT_EQ(date(2005, 3, 7, "yyyyMMdd"), "20050307");
    EXPECT_EQ(date(2005, 3, 7, "d/M-y! DmY"), "7/3-5! DmY");
    EXPECT_EQ(date(2005, 3, 7, ""), "07.03.05"); // the locale's short date picture
}

TEST(NlsDate, CopiesQuotedTextLiterally)
{
    EXPECT_EQ(date(2005, 3, 7, "'Tag' d 'im' MMMM"), "Tag 7 im M\xE4rz");
    EXPECT_EQ(date(2005, 3, 7, "'d''M' d"), "d'M 7");
    EXPECT_EQ(date(2005, 3, 7, "dd''MM"), "07'03");
    EXPECT_EQ(date(2005, 3, 7, "d 'yyyy"), "7 yyyy"); // an open quote runs to the end
    EXPECT_EQ(date(2005, 3, 7, "''''"), "''");
}

TEST(NlsDate, RefusesInvalidDates)
{
    EXPECT_EQ(date(1997, 2, 31, "dd.MM.yyyy"), "fail");
    EXPECT_EQ(date(1900, 2, 29, "dd.MM.yyyy"), "fail");
    EXPECT_EQ(date(2000, 2, 29, "dd.MM.yyyy"), "29.02.2000");
    EXPECT_EQ(date(1997, 13, 1, "dd.MM.yyyy"), "fail");
    EXPECT_EQ(date(1997, 0, 1, "dd.MM.yyyy"), "fail");
    EXPECT_EQ(date(1997, 1, 0, "dd.MM.yyyy"), "fail");
    EXPECT_EQ(date(1997, 4, 31, "dd.MM.yyyy"), "fail");
    EXPECT_EQ(date(1600, 12, 31, "dd.MM.yyyy"), "fail");
    EXPECT_EQ(date(10000, 1, 1, "dd.MM.yyyy"), "fail");
    // The ends of the range, with their weekdays.
    EXPECT_EQ(date(1601, 1, 1, "dddd dd.MM.yyyy"), "Montag 01.01.1601");
    EXPECT_EQ(date(9999, 12, 31, "dddd dd.MM.yyyy"), "Freitag 31.12.9999");
    EXPECT_EQ(date(2000, 1, 1, "ddd"), "Sa");
    EXPECT_EQ(date(2024, 3, 3, "dddd"), "Sonntag");
}

TEST(NlsLocale, GermanValues)
{
    const LocaleInfo &de = german();
    EXPECT_EQ(de.thousandSeparator, ".");
    EXPECT_EQ(de.decimalSeparator, ",");
    EXPECT_TRUE(de.leadingZero);
    EXPECT_EQ(de.negativeOrder, 1);
    EXPECT_EQ(de.shortDatePicture, "dd.MM.yy");
    EXPECT_EQ(de.dateSeparator, ".");
    EXPECT_EQ(de.dateOrder, 1);
    const char *shortMonths[] = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    const char *months[] = {"Januar", "Februar", "M\xE4rz",   "April",   "Mai",      "Juni",
                            "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    for (int m = 0; m < 12; ++m) {
        EXPECT_EQ(de.abbreviatedMonthNames[m], shortMonths[m]);
        EXPECT_EQ(de.monthNames[m], months[m]);
    }
    EXPECT_EQ(de.dayNames[0], "Montag");
    EXPECT_EQ(de.abbreviatedDayNames[6], "So");
}

TEST(NlsLocale, OtherLocalesAndTheirDerivedDateValues)
{
    const LocaleInfo us = LocaleInfo::forName("en_US");
    EXPECT_EQ(us.thousandSeparator, ",");
    EXPECT_EQ(us.decimalSeparator, ".");
    EXPECT_EQ(us.shortDatePicture, "M/d/yy");
    EXPECT_EQ(us.dateSeparator, "/");
    EXPECT_EQ(us.dateOrder, 0);
    EXPECT_EQ(us.monthNames[0], "January");
    EXPECT_EQ(format("-1234.5", 2, us), "-1,234.50");
    EXPECT_EQ(date(1996, 12, 24, "", us), "12/24/96");

    const LocaleInfo sv = LocaleInfo::forName("sv_SE");
    EXPECT_EQ(sv.dateOrder, 2);
    EXPECT_EQ(sv.dateSeparator, "-");
    EXPECT_EQ(sv.negativeOrder, 1);          // Qt's minus sign U+2212 is still a leading sign
    EXPECT_EQ(sv.thousandSeparator, "\xA0"); // the narrow no-break space has only this byte

    // Names that name no locale give the program's own language.
    for (const char *name : {"C", "POSIX", "", "xx_YY"})
        EXPECT_EQ(LocaleInfo::forName(name).shortDatePicture, "dd.MM.yy") << name;
    EXPECT_EQ(LocaleInfo::forName("en_US.UTF-8").shortDatePicture, "M/d/yy");
    EXPECT_EQ(LocaleInfo::fromQLocale(QLocale::c()).decimalSeparator, ",");
}

TEST_F(NlsCurrentLocale, EnvironmentAndSetterChooseTheLocale)
{
    EXPECT_EQ(CurrentLocale().decimalSeparator, ","); // the test run's ORVEL_LOCALE=de_DE

    const std::uint64_t before = CurrentLocaleGeneration();
    EXPECT_TRUE(SetCurrentLocale("en_US"));
    EXPECT_GT(CurrentLocaleGeneration(), before);
    EXPECT_EQ(CurrentLocale().decimalSeparator, ".");
    EXPECT_EQ(FormatNumberForDisplay("1234.5", 2), "1,234.50");

    EXPECT_FALSE(SetCurrentLocale("xx_YY"));
    EXPECT_EQ(CurrentLocale().shortDatePicture, "dd.MM.yy");

    qputenv("ORVEL_LOCALE", "en_US");
    EXPECT_EQ(LocaleInfo::fromEnvironment().shortDatePicture, "M/d/yy");
    EXPECT_TRUE(SetCurrentLocale(QString())); // back to the environment's choice
    EXPECT_EQ(CurrentLocale().shortDatePicture, "M/d/yy");
}
