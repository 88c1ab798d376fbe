#include "table/ValueFormat.h"

#include "platform/Clock.h"
#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "table/FieldType.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <utility>

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

namespace {

// Date pictures in pieces, read the way GetDateFormatA reads them. False for
// a weekday name, which the general formatting writes.
bool splitDatePicture(AnsiView picture, std::vector<AnsiString> &literals, std::vector<std::pair<char, int>> &runs)
{
    // literals[i] comes before runs[i]; the last literal after the last run.
    AnsiString text;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'') {
            if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                text.push_back('\'');
                i += 2;
                continue;
            }
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        text.push_back('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text.push_back(picture[i++]);
            }
            continue;
        }
        if (c != 'd' && c != 'M' && c != 'y') {
            text.push_back(c);
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        i += run;
        if (c == 'd' && run > 2)
            return false;
        literals.push_back(text);
        text.clear();
        runs.emplace_back(c, static_cast<int>(std::min<std::size_t>(run, 4)));
    }
    literals.push_back(text);
    return true;
}

char *putDigits(char *out, int value, int minDigits)
{
    // Days, months and two-digit years without a general conversion.
    if (value >= 0 && value < 100 && minDigits <= 2) {
        if (value >= 10 || minDigits == 2)
            *out++ = static_cast<char>('0' + value / 10);
        *out++ = static_cast<char>('0' + value % 10);
        return out;
    }
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    for (auto length = result.ptr - digits; length < minDigits; ++length)
        *out++ = '0';
    const auto length = static_cast<std::size_t>(result.ptr - digits);
    std::memcpy(out, digits, length);
    return out + length;
}

char *putText(char *out, AnsiView text)
{
    if (!text.empty())
        std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

bool isDigitChar(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

DisplayFormatter::DisplayFormatter(int type, int format, const LocaleInfo &loc)
    : m_loc(loc)
    , m_type(type == FT_NUMERIC ? Kind::Number
             : type == FT_DATE  ? Kind::Date
                                : Kind::Text)
    , m_format(format)
{
    if (m_type == Kind::Number) {
        m_fastNumbers = format >= 0 && format <= 255 && loc.negativeOrder >= 0 && loc.negativeOrder <= 4;
    } else if (m_type == Kind::Date) {
        AnsiView picture = DateFormatPicture(format);
        if (picture.empty())
            picture = loc.shortDatePicture;
        std::vector<AnsiString> literals;
        std::vector<std::pair<char, int>> runs;
        if (!splitDatePicture(picture, literals, runs))
            return;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            if (!literals[i].empty())
                m_date.push_back({DatePiece::Literal, 0, false, literals[i]});
            const auto [c, run] = runs[i];
            if (c == 'd')
                m_date.push_back({DatePiece::Day, run, false, {}});
            else if (c == 'M' && run <= 2)
                m_date.push_back({DatePiece::Month, run, false, {}});
            else if (c == 'M')
                m_date.push_back({DatePiece::MonthName, 0, run > 3, {}});
            else
                m_date.push_back({DatePiece::Year, run <= 2 ? run : 4, false, {}});
        }
        if (!literals.back().empty())
            m_date.push_back({DatePiece::Literal, 0, false, literals.back()});
        m_fastDates = true;
    }
}

AnsiView DisplayFormatter::general(AnsiView stored, AnsiString &buffer) const
{
    const int type = m_type == Kind::Number ? FT_NUMERIC : FT_DATE;
    return FormatDisplayValue(type, m_format, stored, m_loc, buffer);
}

AnsiView DisplayFormatter::formatNumber(AnsiView stored, AnsiString &buffer) const
{
    // The fast way takes "-"?, digits without a leading zero, and at most
    // `decimals` fraction digits, so that nothing is rounded and the number
    // is never zero; everything else goes the general way.
    if (!m_fastNumbers || stored.empty())
        return general(stored, buffer);
    const bool negative = stored[0] == '-';
    const std::size_t integerBegin = negative ? 1 : 0;
    std::size_t i = integerBegin;
    while (i < stored.size() && isDigitChar(stored[i]))
        ++i;
    const std::size_t integerDigits = i - integerBegin;
    std::size_t fractionDigits = 0;
    if (i < stored.size() && stored[i] == '.') {
        const std::size_t fractionBegin = ++i;
        while (i < stored.size() && isDigitChar(stored[i]))
            ++i;
        fractionDigits = i - fractionBegin;
    }
    const auto places = static_cast<std::size_t>(m_format);
    if (i != stored.size() || integerDigits == 0 || stored[integerBegin] == '0' || fractionDigits > places)
        return general(stored, buffer);

    const AnsiView thousand = m_loc.thousandSeparator;
    const AnsiView decimal = m_loc.decimalSeparator;
    const int order = m_loc.negativeOrder;
    static constexpr std::size_t signLength[] = {2, 1, 2, 1, 2};
    const std::size_t groups = (integerDigits - 1) / 3;
    std::size_t length = integerDigits + groups * thousand.size() + (negative ? signLength[order] : 0);
    if (places > 0)
        length += decimal.size() + places;
    if (buffer.size() < length)
        buffer.resize(length);

    char *out = buffer.data();
    if (negative) {
        if (order == 0)
            *out++ = '(';
        else if (order == 1)
            *out++ = '-';
        else if (order == 2)
            out = putText(out, "- ");
    }
    const char *digits = stored.data() + integerBegin;
    // The digits before the first separator, then groups of three.
    std::size_t lead = integerDigits - groups * 3;
    out = putText(out, AnsiView(digits, lead));
    for (std::size_t g = 0; g < groups; ++g, lead += 3) {
        out = putText(out, thousand);
        out = putText(out, AnsiView(digits + lead, 3));
    }
    if (places > 0) {
        out = putText(out, decimal);
        out = putText(out, AnsiView(digits + integerDigits + 1, fractionDigits));
        std::memset(out, '0', places - fractionDigits);
        out += places - fractionDigits;
    }
    if (negative) {
        if (order == 0)
            *out++ = ')';
        else if (order == 3)
            *out++ = '-';
        else if (order == 4)
            out = putText(out, " -");
    }
    return AnsiView(buffer.data(), std::min(length, kNumericDisplayLimit));
}

AnsiView DisplayFormatter::formatDate(AnsiView stored, AnsiString &buffer) const
{
    // The fast way takes eight digits (and whatever follows them) of a date
    // whose year, month and day are all set; the general way fills missing
    // parts from today and turns non-digits into numbers as atoi does.
    if (!m_fastDates || stored.size() < 8)
        return general(stored, buffer);
    for (std::size_t i = 0; i < 8; ++i) {
        if (!isDigitChar(stored[i]))
            return general(stored, buffer);
    }
    const auto digit = [&](std::size_t i) { return stored[i] - '0'; };
    const int year = digit(0) * 1000 + digit(1) * 100 + digit(2) * 10 + digit(3);
    const int month = digit(4) * 10 + digit(5);
    const int day = digit(6) * 10 + digit(7);
    if (year == 0 || month == 0 || day == 0)
        return general(stored, buffer);
    if (!IsValidDate(year, month, day)) {
        buffer.assign(kUnreadable);
        return buffer;
    }

    std::size_t length = 0;
    for (const DatePiece &piece : m_date) {
        switch (piece.what) {
        case DatePiece::Literal:
            length += piece.text.size();
            break;
        case DatePiece::MonthName:
            length += (piece.longName ? m_loc.monthNames : m_loc.abbreviatedMonthNames)[month - 1].size();
            break;
        default:
            length += 4; // at most four digits
            break;
        }
    }
    if (buffer.size() < length)
        buffer.resize(length);
    char *const start = buffer.data();
    char *out = start;
    for (const DatePiece &piece : m_date) {
        switch (piece.what) {
        case DatePiece::Literal:
            out = putText(out, piece.text);
            break;
        case DatePiece::Day:
            out = putDigits(out, day, piece.digits);
            break;
        case DatePiece::Month:
            out = putDigits(out, month, piece.digits);
            break;
        case DatePiece::MonthName:
            out = putText(out, (piece.longName ? m_loc.monthNames : m_loc.abbreviatedMonthNames)[month - 1]);
            break;
        case DatePiece::Year:
            out = putDigits(out, piece.digits == 4 ? year : year % 100, piece.digits);
            break;
        }
    }
    return AnsiView(start, std::min(static_cast<std::size_t>(out - start), kDateDisplayLimit));
}

} // namespace orvel
