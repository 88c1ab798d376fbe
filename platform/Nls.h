#pragma once

#include "platform/AnsiString.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>

namespace orvel {

// What the program reads from the user's locale, in the shape of the Win32
// locale values (LOCALE_*). Everything is read from Qt once, when the locale
// is chosen, so that formatting a cell never asks QLocale anything. Made by
// forName, fromQLocale or fromEnvironment; a default-constructed one is blank.
struct LocaleInfo
{
    QLocale locale;                                   // the collator's locale
    AnsiString thousandSeparator;                     // LOCALE_STHOUSAND
    AnsiString decimalSeparator;                      // LOCALE_SDECIMAL
    bool leadingZero = true;                          // LOCALE_ILZERO
    int negativeOrder = 1;                            // LOCALE_INEGNUMBER: 0 (1,1)  1 -1,1  2 - 1,1  3 1,1-  4 1,1 -
    AnsiString dateSeparator;                         // LOCALE_SDATE, read from the short date picture
    int dateOrder = 0;                                // LOCALE_IDATE: 0 M-D-Y, 1 D-M-Y, 2 Y-M-D
    AnsiString shortDatePicture;                      // LOCALE_SSHORTDATE, Windows picture letters
    std::array<AnsiString, 12> monthNames;            // LOCALE_SMONTHNAME1..12
    std::array<AnsiString, 12> abbreviatedMonthNames; // LOCALE_SABBREVMONTHNAME1..12
    std::array<AnsiString, 7> dayNames;               // LOCALE_SDAYNAME1..7, [0] is Monday
    std::array<AnsiString, 7> abbreviatedDayNames;    // LOCALE_SABBREVDAYNAME1..7, [0] is Monday

    // The values of a named locale ("de_DE", "en_US", "de_DE.UTF-8"). A name
    // that names no locale (empty, "C", "POSIX", unknown) gives de_DE, the
    // program's own language.
    static LocaleInfo forName(const QString &name);
    // The values of a Qt locale; the C locale gives de_DE.
    static LocaleInfo fromQLocale(const QLocale &locale);
    // ORVEL_LOCALE when set, else the system's locale, else de_DE.
    static LocaleInfo fromEnvironment();
};

// The locale in force. Chosen from the environment at first use; valid for
// the whole run (SetCurrentLocale changes the same object in place).
const LocaleInfo &CurrentLocale();
// Replaces the current locale (the CLI's --locale, tests). An empty name goes
// back to the environment's choice. Returns false when the name names no
// locale, in which case de_DE applies. Call it before any work begins: it is
// not synchronised with readers on other threads.
bool SetCurrentLocale(const QString &name);
// Grows with every change of the current locale, so that caches built for one
// locale (collators, collation keys) notice that they are stale.
std::uint64_t CurrentLocaleGeneration();

// Formats a plain number (optional "-", digits, at most one ".", at least one
// digit) with grouping 3 and the locale's separators, leading zero and
// negative order, rounded half away from zero to `decimals` places on the
// digits themselves, so any length works. Returns false (and leaves `out`
// empty) for anything else, and for decimals outside 0..255. `out` is reused:
// with enough capacity the call does not allocate.
bool GetNumberFormatA(AnsiView value, int decimals, const LocaleInfo &loc, AnsiString &out);

// The text a numeric cell shows, on the current locale: the formatted number
// cut to 254 bytes, "##" when the stored text is no plain number, and empty for
// an empty value.
void FormatNumberForDisplay(AnsiView stored, int decimals, AnsiString &out);
AnsiString FormatNumberForDisplay(AnsiView stored, int decimals);

// A Gregorian date from 1601-01-01 to 9999-12-31.
bool IsValidDate(int year, int month, int day);

// Formats a date with a Windows date picture: d, dd, ddd, dddd, M, MM, MMM,
// MMMM, y, yy, yyyy (yyy and longer runs give the full year), text in single
// quotes literally ('' is a quote), any other character as it is. An empty
// picture means the locale's short date picture. Returns false (and leaves
// `out` empty) for an invalid date.
bool GetDateFormatA(int year, int month, int day, AnsiView picture, const LocaleInfo &loc, AnsiString &out);

} // namespace orvel
