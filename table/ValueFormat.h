#pragma once

#include "platform/AnsiString.h"

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

} // namespace orvel
