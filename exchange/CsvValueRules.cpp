#include "exchange/CsvValueRules.h"

#include <cstring>

namespace orvel {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool allDigits(AnsiView text)
{
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return !text.empty();
}

int digitsValue(AnsiView text)
{
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool validDate(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const int last = kDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
    return day <= last;
}

void storeDate(int year, int month, int day, AnsiString &out)
{
    out.resize(8);
    out[0] = char('0' + year / 1000);
    out[1] = char('0' + year / 100 % 10);
    out[2] = char('0' + year / 10 % 10);
    out[3] = char('0' + year % 10);
    out[4] = char('0' + month / 10);
    out[5] = char('0' + month % 10);
    out[6] = char('0' + day / 10);
    out[7] = char('0' + day % 10);
}

} // namespace

bool ParseCsvNumber(AnsiView text, char decimalSeparator, char groupSeparator, CsvNumber &out)
{
    // The longest number: "-", 15 digits in five groups, the decimal
    // separator. Anything longer is none, and the stored form is built in
    // a buffer of that size.
    constexpr std::size_t kLongest = 1 + kCsvMaxNumberDigits + 4 + 1;
    if (text.size() > kLongest)
        return false;
    char stored[kLongest];
    std::size_t length = 0;
    out.decimals = 0;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        stored[length++] = '-';
        ++i;
    }
    // The whole part: a plain run of digits, or groups of three after a
    // first group of one to three digits.
    const std::size_t wholeStart = i;
    std::size_t firstGroup = 0;
    while (i < text.size() && isDigit(text[i])) {
        stored[length++] = text[i++];
        ++firstGroup;
    }
    if (firstGroup == 0)
        return false;
    int digits = int(firstGroup);
    if (i < text.size() && text[i] == groupSeparator) {
        if (firstGroup > 3)
            return false;
        while (i < text.size() && text[i] == groupSeparator) {
            if (text.size() - i < 4 || !allDigits(text.substr(i + 1, 3)))
                return false;
            std::memcpy(stored + length, text.data() + i + 1, 3);
            length += 3;
            digits += 3;
            i += 4;
        }
        if (i < text.size() && isDigit(text[i]))
            return false;
    }
    // "0" alone or before the decimals is a number; "01067" is a code.
    if (text[wholeStart] == '0' && length - (wholeStart > 0 ? 1 : 0) > 1)
        return false;
    if (i < text.size() && text[i] == decimalSeparator) {
        ++i;
        stored[length++] = '.';
        const std::size_t decimalsStart = i;
        while (i < text.size() && isDigit(text[i]))
            stored[length++] = text[i++];
        out.decimals = int(i - decimalsStart);
        if (out.decimals == 0)
            return false;
        digits += out.decimals;
    }
    if (i != text.size() || digits > kCsvMaxNumberDigits)
        return false;
    out.stored.assign(stored, length);
    return true;
}

bool ParseCsvDate(AnsiView text, CsvDate &out)
{
    out.twoDigitYear = false;
    // From "1.2.03" to "2003-02-01"; most texts end here.
    if (text.size() < 6 || text.size() > 10 || !isDigit(text[0]))
        return false;
    // yyyy-MM-dd
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        const AnsiView year = text.substr(0, 4), month = text.substr(5, 2), day = text.substr(8, 2);
        if (!allDigits(year) || !allDigits(month) || !allDigits(day))
            return false;
        const int y = digitsValue(year), m = digitsValue(month), d = digitsValue(day);
        if (!validDate(y, m, d))
            return false;
        storeDate(y, m, d, out.stored);
        return true;
    }
    // d.M.yyyy and d.M.yy
    const std::size_t first = text.find('.');
    if (first == AnsiView::npos)
        return false;
    const std::size_t second = text.find('.', first + 1);
    if (second == AnsiView::npos)
        return false;
    const AnsiView day = text.substr(0, first), month = text.substr(first + 1, second - first - 1),
                   year = text.substr(second + 1);
    if (day.size() < 1 || day.size() > 2 || month.size() < 1 || month.size() > 2
        || (year.size() != 2 && year.size() != 4) || !allDigits(day) || !allDigits(month) || !allDigits(year))
        return false;
    int y = digitsValue(year);
    if (year.size() == 2) {
        y += y < 30 ? 2000 : 1900;
        out.twoDigitYear = true;
    }
    const int m = digitsValue(month), d = digitsValue(day);
    if (!validDate(y, m, d))
        return false;
    storeDate(y, m, d, out.stored);
    return true;
}

AnsiView CsvNumberText(AnsiView stored, char decimalSeparator, AnsiString &buffer)
{
    // A plain number: optional "-", digits, at most one ".", a digit at least.
    std::size_t i = !stored.empty() && stored[0] == '-' ? 1 : 0;
    std::size_t point = AnsiView::npos;
    bool digit = false;
    for (; i < stored.size(); ++i) {
        if (isDigit(stored[i]))
            digit = true;
        else if (stored[i] == '.' && point == AnsiView::npos)
            point = i;
        else
            return stored;
    }
    if (!digit || point == AnsiView::npos || decimalSeparator == '.')
        return stored;
    buffer.assign(stored);
    buffer[point] = decimalSeparator;
    return buffer;
}

AnsiView CsvDateText(AnsiView stored, AnsiString &buffer)
{
    if (stored.size() != 8 || !allDigits(stored))
        return stored;
    buffer.assign(stored.substr(0, 4));
    buffer.push_back('-');
    buffer.append(stored.substr(4, 2));
    buffer.push_back('-');
    buffer.append(stored.substr(6, 2));
    return buffer;
}

} // namespace orvel
