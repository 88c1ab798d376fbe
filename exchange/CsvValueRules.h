#pragma once

#include "platform/AnsiString.h"

namespace orvel {

// How CSV values map to numbers and dates, in both directions. Numbers use
// the decimal separator that pairs with the file's delimiter (see
// CsvOptions.h); dates are read in the forms spreadsheets write and written
// as ISO dates.

// Most digits a number may have; longer ones (account numbers, EANs) are
// codes that a spreadsheet would round, and stay text.
inline constexpr int kCsvMaxNumberDigits = 15;

struct CsvNumber
{
    // The number in the stored form: optional "-", digits, "." before the
    // decimals, no grouping.
    AnsiString stored;
    int decimals = 0;
};

// Reads a number: an optional "-", digits (grouped in threes by the group
// separator, or not at all), optionally the decimal separator and at least
// one digit. A leading zero before another digit ("01067", a postcode), more
// than kCsvMaxNumberDigits digits, a "+", blanks or anything else make it no
// number. Returns false for those; `out` is then unspecified.
bool ParseCsvNumber(AnsiView text, char decimalSeparator, char groupSeparator, CsvNumber &out);

struct CsvDate
{
    AnsiString stored;         // "yyyyMMdd"
    bool twoDigitYear = false; // written as dd.MM.yy
};

// Reads a date written as yyyy-MM-dd, d.M.yyyy or d.M.yy (day and month
// with one or two digits); two-digit years 00-29 are 20xx, 30-99 19xx.
// False for anything else and for dates that do not exist or lie outside
// 1601-9999.
bool ParseCsvDate(AnsiView text, CsvDate &out);

// A stored number as an export writes it: the "." replaced by the decimal
// separator. A stored value that is no plain number is written as stored.
AnsiView CsvNumberText(AnsiView stored, char decimalSeparator, AnsiString &buffer);
// A stored date "yyyyMMdd" as "yyyy-MM-dd"; any other value as stored.
AnsiView CsvDateText(AnsiView stored, AnsiString &buffer);

} // namespace orvel
