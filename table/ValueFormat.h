#pragma once

#include "platform/AnsiString.h"

#include <vector>

namespace orvel {

struct LocaleInfo;

// How the seven field types turn typed input into stored text and stored text
// into what the user sees. All values are stored as text; see FieldType.h.

// The text without its trailing spaces (only spaces count as blanks).
AnsiView TrimTrailingBlanks(AnsiView text);

// The start of a number as the C library's atoi and atof read it: leading
// white space (blank, TAB, LF, VT, FF, CR) and an optional sign are passed
// over; returns what follows and sets *negative for a "-".
AnsiView SkipSpaceAndSign(AnsiView text, bool *negative);

// Text and media input: trailing blanks removed.
void NormaliseTextInput(AnsiView input, AnsiString &out);
// Numeric input: trailing blanks removed, the locale's thousands separator
// removed and its decimal separator turned into ".". Nothing else is checked;
// other characters stay as typed (they show as "##").
void NormaliseNumericInput(AnsiView input, const LocaleInfo &loc, AnsiString &out);
// Date input: "yyyyMMdd" for a readable date, with today's date (UTC) filling
// the parts that are missing; "##" when no part could be read; the input
// itself (without trailing blanks) when the parts make no valid date; empty
// for empty input. Two-digit years: 00-29 are 20xx, 30-99 are 19xx.
void NormaliseDateInput(AnsiView input, const LocaleInfo &loc, AnsiString &out);
// By field type. `out` must not view `input`.
void NormaliseInput(int type, AnsiView input, const LocaleInfo &loc, AnsiString &out);

// The date picture of a date field's format 1-6; empty for format 0 (and any
// other), which means the locale's short date picture.
AnsiView DateFormatPicture(int format);

// Numeric display: grouped, with `decimals` places; empty for an empty value,
// "##" for a value that is no plain number; at most 254 bytes.
AnsiView FormatNumericDisplay(AnsiView stored, int decimals, const LocaleInfo &loc, AnsiString &buffer);
// Date display in the field's format; empty for an empty value, "##" for a
// value that makes no date; at most 29 bytes.
AnsiView FormatDateDisplay(AnsiView stored, int format, const LocaleInfo &loc, AnsiString &buffer);
// The display text of a stored value by field type. Text and media values
// show as stored (the list grid draws its own "[Type]" for media cells), and
// the result then views `stored`; numbers and dates are written into
// `buffer`, which is reused so that repeated calls do not allocate. `stored`
// must not view `buffer`.
AnsiView FormatDisplayValue(int type, int format, AnsiView stored, const LocaleInfo &loc, AnsiString &buffer);

// FormatDisplayValue for one field over many values (an export, a column):
// the separators, sign order and date picture are read from the locale once,
// and the usual values (a number that needs no rounding, a date of eight
// digits) are written without going through the general formatting. Every
// result equals FormatDisplayValue's. The locale must outlive the formatter.
class DisplayFormatter
{
public:
    DisplayFormatter(int type, int format, const LocaleInfo &loc);

    // The display text; views `stored` for text and media values, else
    // `buffer`, which keeps its size between calls (the result may be
    // shorter than it). `stored` must not view `buffer`.
    AnsiView format(AnsiView stored, AnsiString &buffer) const
    {
        switch (m_type) {
        case Kind::Number:
            return formatNumber(stored, buffer);
        case Kind::Date:
            return formatDate(stored, buffer);
        default:
            return stored;
        }
    }

private:
    enum class Kind { Text, Number, Date };
    // A piece of the date picture: literal text, or a day, month or year.
    struct DatePiece
    {
        enum What { Literal, Day, Month, MonthName, Year } what = Literal;
        int digits = 0;       // Day, Month, Year: the least number of digits; 4 is the full year
        bool longName = true; // MonthName: the full name
        AnsiString text;      // Literal
    };

    AnsiView formatNumber(AnsiView stored, AnsiString &buffer) const;
    AnsiView formatDate(AnsiView stored, AnsiString &buffer) const;
    AnsiView general(AnsiView stored, AnsiString &buffer) const;

    const LocaleInfo &m_loc;
    Kind m_type;
    int m_format;
    // Numbers: the locale's sign order, checked for the fast way.
    bool m_fastNumbers = false;
    // Dates: the picture in pieces; empty when it names a weekday or quotes
    // text oddly, which the general formatting handles.
    std::vector<DatePiece> m_date;
    bool m_fastDates = false;
};

} // namespace orvel
