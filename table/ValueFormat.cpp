#include "table/ValueFormat.h"

#include "platform/Clock.h"
#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "table/FieldType.h"

#include <array>
#include <charconv>
#include <climits>

namespace orvel {

namespace {

constexpr std::size_t kNumericDisplayLimit = 254;
constexpr std::size_t kDateDisplayLimit = 29;
constexpr AnsiView kUnreadable = "##";

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The parts of a date that are 0 are taken from today's date (UTC).
void FillFromToday(int &year, int &month, int &day)
{
    if (year != 0 && month != 0 && day != 0)
        return;
    const QDate today = Clock::TodayUtc();
    if (year == 0)
        year = today.year();
    if (month == 0)
        month = today.month();
    if (day == 0)
        day = today.day();
}

// An integer read the way the C library's atoi reads it: leading white space,
// an optional sign, then digits up to the first other character; no digits
// read as 0. Values beyond int saturate, which no date accepts.
int leadingInt(AnsiView text)
{
    bool negative = false;
    const AnsiView digits = SkipSpaceAndSign(text, &negative);
    long long value = 0;
    for (std::size_t i = 0; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
        value = value * 10 + (digits[i] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

AnsiView trimmed(AnsiView text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The month (1-12) whose full name the text is, ignoring case; 0 for none.
int monthFromName(AnsiView text, const LocaleInfo &loc)
{
    const AnsiString name = ToLowerA(trimmed(text));
    if (name.empty())
        return 0;
    for (std::size_t m = 0; m < loc.monthNames.size(); ++m) {
        if (ToLowerA(loc.monthNames[m]) == name)
            return static_cast<int>(m) + 1;
    }
    return 0;
}

void appendDigits(AnsiString &out, int value, int width)
{
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    const auto length = static_cast<int>(result.ptr - digits.data());
    out.append(static_cast<std::size_t>(width > length ? width - length : 0), '0');
    out.append(digits.data(), result.ptr);
}

// Replaces every occurrence of `what` in `text` by `with`.
void replaceAll(AnsiString &text, AnsiView what, AnsiView with)
{
    if (what.empty())
        return;
    std::size_t at = 0;
    while ((at = text.find(what, at)) != AnsiString::npos) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

} // namespace

AnsiView SkipSpaceAndSign(AnsiView text, bool *negative)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    *negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        *negative = text[i] == '-';
        ++i;
    }
    return text.substr(i);
}

AnsiView TrimTrailingBlanks(AnsiView text)
{
    const std::size_t end = text.find_last_not_of(' ');
    return end == AnsiView::npos ? AnsiView() : text.substr(0, end + 1);
}

void NormaliseTextInput(AnsiView input, AnsiString &out)
{
    out.assign(TrimTrailingBlanks(input));
}

void NormaliseNumericInput(AnsiView input, const LocaleInfo &loc, AnsiString &out)
{
    out.assign(TrimTrailingBlanks(input));
    replaceAll(out, loc.thousandSeparator, "");
    replaceAll(out, loc.decimalSeparator, ".");
}

void NormaliseDateInput(AnsiView input, const LocaleInfo &loc, AnsiString &out)
{
    const AnsiView text = TrimTrailingBlanks(input);
    if (text.empty()) {
        out.clear();
        return;
    }
    const AnsiView separator = loc.dateSeparator.empty() ? AnsiView(".") : AnsiView(loc.dateSeparator);
    const int order = loc.dateOrder >= 0 && loc.dateOrder <= 2 ? loc.dateOrder : 0;

    // Components in the order typed; only the first one counts unless both
    // separators are there ("24.12" fills only the day under D-M-Y).
    std::array<AnsiView, 3> components;
    int componentCount = 0;
    const std::size_t first = text.find(separator);
    if (first != AnsiView::npos) {
        components[0] = text.substr(0, first);
        componentCount = 1;
        const AnsiView rest = text.substr(first + separator.size());
        const std::size_t second = rest.find(separator);
        if (second != AnsiView::npos) {
            components[1] = rest.substr(0, second);
            components[2] = rest.substr(second + separator.size());
            componentCount = 3;
        }
    }

    enum { Year, Month, Day };
    static constexpr int kOrders[3][3] = {{Month, Day, Year}, {Day, Month, Year}, {Year, Month, Day}};
    std::array<AnsiView, 3> parts; // by Year, Month, Day
    for (int i = 0; i < componentCount; ++i)
        parts[kOrders[order][i]] = components[i];

    int year = 0;
    if (componentCount == 3 && parts[Year].size() == 2) {
        // Two-digit years: 00-29 are this century's, 30-99 the last one's.
        const AnsiView y = parts[Year];
        const bool digits = y[0] >= '0' && y[0] <= '9' && y[1] >= '0' && y[1] <= '9';
        const int twoDigit = digits ? (y[0] - '0') * 10 + (y[1] - '0') : -1;
        AnsiString withCentury(twoDigit >= 0 && twoDigit < 30 ? "20" : "19");
        withCentury.append(y);
        year = leadingInt(withCentury);
    } else {
        year = leadingInt(parts[Year]);
    }
    int month = leadingInt(parts[Month]);
    int day = leadingInt(parts[Day]);
    if (month == 0)
        month = monthFromName(parts[Month], loc);

    if (year == 0 && month == 0 && day == 0) {
        out.assign(kUnreadable);
        return;
    }
    FillFromToday(year, month, day);
    if (!IsValidDate(year, month, day)) {
        // Kept as typed so that nothing is lost; it shows as "##".
        out.assign(text);
        return;
    }
    out.clear();
    appendDigits(out, year, 4);
    appendDigits(out, month, 2);
    appendDigits(out, day, 2);
}

void NormaliseInput(int type, AnsiView input, const LocaleInfo &loc, AnsiString &out)
{
    switch (type) {
    case FT_NUMERIC:
        NormaliseNumericInput(input, loc, out);
        break;
    case FT_DATE:
        NormaliseDateInput(input, loc, out);
        break;
    default:
        NormaliseTextInput(input, out);
        break;
    }
}

AnsiView DateFormatPicture(int format)
{
    // The texts of strings 1051-1056, the pictures of the date formats.
    static constexpr AnsiView kPictures[] = {"",       "dd.MM.yy", "dd.MM.yyyy", "dd.MMM.yy", "dd.MMM.yyyy",
                                             "dd.MM.", "dd.MMM."};
    return format >= 1 && format <= 6 ? kPictures[format] : kPictures[0];
}

AnsiView FormatNumericDisplay(AnsiView stored, int decimals, const LocaleInfo &loc, AnsiString &buffer)
{
    if (stored.empty()) {
        buffer.clear();
        return buffer;
    }
    if (!GetNumberFormatA(stored, decimals, loc, buffer))
        buffer.assign(kUnreadable);
    else if (buffer.size() > kNumericDisplayLimit)
        buffer.resize(kNumericDisplayLimit);
    return buffer;
}

AnsiView FormatDateDisplay(AnsiView stored, int format, const LocaleInfo &loc, AnsiString &buffer)
{
    if (stored.empty()) {
        buffer.clear();
        return buffer;
    }
    if (stored.size() < 8) {
        buffer.assign(kUnreadable);
        return buffer;
    }
    int year = leadingInt(stored.substr(0, 4));
    int month = leadingInt(stored.substr(4, 2));
    int day = leadingInt(stored.substr(6, 2));
    if (year == 0 && month == 0 && day == 0) {
        // Nothing of a date in it (a text from before a type change): showing
        // today's date for it would invent data.
        buffer.assign(kUnreadable);
        return buffer;
    }
    FillFromToday(year, month, day);
    if (!GetDateFormatA(year, month, day, DateFormatPicture(format), loc, buffer))
        buffer.assign(kUnreadable);
    else if (buffer.size() > kDateDisplayLimit)
        buffer.resize(kDateDisplayLimit);
    return buffer;
}

AnsiView FormatDisplayValue(int type, int format, AnsiView stored, const LocaleInfo &loc, AnsiString &buffer)
{
    switch (type) {
    case FT_NUMERIC:
        return FormatNumericDisplay(stored, format, loc, buffer);
    case FT_DATE:
        return FormatDateDisplay(stored, format, loc, buffer);
    default:
        return stored;
    }
}

} // namespace orvel
