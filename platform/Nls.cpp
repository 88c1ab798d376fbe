#include "platform/Nls.h"

#include "platform/Codepage.h"

#include <atomic>
#include <charconv>
#include <cstring>

namespace orvel {

namespace {

constexpr int kMaxDecimals = 255;
constexpr std::size_t kDisplayLimit = 254;

// Qt's CLDR data marks directions with invisible characters that Windows-1252
// cannot hold; they would turn into "?".
QString withoutDirectionMarks(QString text)
{
    text.remove(QChar(0x200E));
    text.remove(QChar(0x200F));
    text.remove(QChar(0x061C));
    return text;
}

AnsiString ansiFromQt(const QString &text)
{
    return QStringToAnsi(withoutDirectionMarks(text));
}

QString withoutEncoding(const QString &name)
{
    // POSIX names may carry an encoding or a modifier: de_DE.UTF-8, de_DE@euro.
    qsizetype end = name.size();
    for (const QChar c : {QChar('.'), QChar('@')}) {
        const qsizetype at = name.indexOf(c);
        if (at >= 0 && at < end)
            end = at;
    }
    return name.left(end).trimmed();
}

bool namesNoLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage;
}

QLocale programLocale()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

int negativeOrderOf(const QLocale &locale)
{
    const QString sample = withoutDirectionMarks(locale.toString(-1));
    const QString sign = withoutDirectionMarks(locale.negativeSign());
    if (sample.startsWith(QLatin1Char('(')))
        return 0;
    if (!sign.isEmpty() && sample.startsWith(sign))
        return sample.mid(sign.size(), 1).trimmed().isEmpty() ? 2 : 1;
    if (!sign.isEmpty() && sample.endsWith(sign))
        return sample.chopped(sign.size()).right(1).trimmed().isEmpty() ? 4 : 3;
    return 1;
}

// Day, month and year elements of a date picture, in the order they appear,
// and the literal text between the first two of them. Weekday names (ddd,
// dddd) and quoted text are not elements.
struct PictureLayout
{
    char elements[3] = {};
    int count = 0;
    AnsiString firstSeparator;
};

PictureLayout layoutOf(AnsiView picture)
{
    PictureLayout layout;
    AnsiString between;
    std::size_t i = 0;
    while (i < picture.size() && layout.count < 3) {
        const char c = picture[i];
        if (c == '\'') {
            const std::size_t close = picture.find('\'', i + 1);
            i = close == AnsiView::npos ? picture.size() : close + 1;
            continue;
        }
        if (c == 'd' || c == 'M' || c == 'y') {
            std::size_t run = 1;
            while (i + run < picture.size() && picture[i + run] == c)
                ++run;
            i += run;
            if (c == 'd' && run > 2)
                continue; // a weekday name
            if (layout.count == 1)
                layout.firstSeparator = between;
            layout.elements[layout.count++] = c;
            between.clear();
            continue;
        }
        between.push_back(c);
        ++i;
    }
    return layout;
}

int dateOrderOf(const PictureLayout &layout)
{
    if (layout.count == 0)
        return 0;
    switch (layout.elements[0]) {
    case 'd':
        return 1;
    case 'y':
        return 2;
    default:
        return 0;
    }
}

std::atomic<std::uint64_t> g_generation{1};

LocaleInfo &currentStorage()
{
    static LocaleInfo info = LocaleInfo::fromEnvironment();
    return info;
}

// The digits of a plain number, split at the decimal point; the integer part
// without its leading zeros.
struct PlainNumber
{
    bool negative = false;
    AnsiView integer;
    AnsiView fraction;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool parsePlainNumber(AnsiView text, PlainNumber &number)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        number.negative = true;
        ++i;
    }
    const std::size_t integerBegin = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const std::size_t integerEnd = i;
    std::size_t fractionBegin = i;
    if (i < text.size() && text[i] == '.') {
        fractionBegin = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
    }
    if (i != text.size())
        return false;
    number.fraction = text.substr(fractionBegin, i - fractionBegin);
    if (integerEnd == integerBegin && number.fraction.empty())
        return false;
    std::size_t firstSignificant = integerBegin;
    while (firstSignificant < integerEnd && text[firstSignificant] == '0')
        ++firstSignificant;
    number.integer = text.substr(firstSignificant, integerEnd - firstSignificant);
    return true;
}

// Writes into a buffer whose exact size was computed beforehand.
struct Writer
{
    char *at;
    void put(char c) { *at++ = c; }
    void put(AnsiView text)
    {
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
};

void appendNumber(AnsiString &out, int value, int minDigits)
{
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    for (auto length = result.ptr - digits; length < minDigits; ++length)
        out.push_back('0');
    out.append(digits, result.ptr);
}

// 0 is Monday, as the Windows day names count.
int weekdayIndex(int year, int month, int day)
{
    static constexpr int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        --year;
    const int sundayBased = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
    return (sundayBased + 6) % 7;
}

} // namespace

LocaleInfo LocaleInfo::fromQLocale(const QLocale &source)
{
    const QLocale qt = namesNoLocale(source) ? programLocale() : source;
    LocaleInfo info;
    info.locale = qt;
    info.thousandSeparator = ansiFromQt(qt.groupSeparator());
    info.decimalSeparator = ansiFromQt(qt.decimalPoint());
    info.leadingZero = true; // every locale Qt knows writes 0,5 rather than ,5
    info.negativeOrder = negativeOrderOf(qt);
    // Qt's date format letters are the Windows picture letters for everything
    // a date format holds, quoting included.
    info.shortDatePicture = ansiFromQt(qt.dateFormat(QLocale::ShortFormat));
    const PictureLayout layout = layoutOf(info.shortDatePicture);
    info.dateSeparator = layout.firstSeparator.empty() ? AnsiString(".") : layout.firstSeparator;
    info.dateOrder = dateOrderOf(layout);
    // Stand-alone (nominative) names: they are what a user types and what a
    // Windows locale lists.
    for (int m = 1; m <= 12; ++m) {
        info.monthNames[m - 1] = ansiFromQt(qt.standaloneMonthName(m, QLocale::LongFormat));
        info.abbreviatedMonthNames[m - 1] = ansiFromQt(qt.standaloneMonthName(m, QLocale::ShortFormat));
    }
    for (int d = 1; d <= 7; ++d) {
        info.dayNames[d - 1] = ansiFromQt(qt.standaloneDayName(d, QLocale::LongFormat));
        info.abbreviatedDayNames[d - 1] = ansiFromQt(qt.standaloneDayName(d, QLocale::ShortFormat));
    }
    return info;
}

LocaleInfo LocaleInfo::forName(const QString &name)
{
    const QString plain = withoutEncoding(name);
    if (plain.isEmpty())
        return fromQLocale(programLocale());
    return fromQLocale(QLocale(plain));
}

LocaleInfo LocaleInfo::fromEnvironment()
{
    const QString chosen = qEnvironmentVariable("ORVEL_LOCALE");
    if (!withoutEncoding(chosen).isEmpty())
        return forName(chosen);
    return fromQLocale(QLocale::system());
}

const LocaleInfo &CurrentLocale()
{
    return currentStorage();
}

bool SetCurrentLocale(const QString &name)
{
    LocaleInfo &current = currentStorage();
    bool known = true;
    if (withoutEncoding(name).isEmpty()) {
        current = LocaleInfo::fromEnvironment();
    } else {
        known = !namesNoLocale(QLocale(withoutEncoding(name)));
        current = LocaleInfo::forName(name);
    }
    g_generation.fetch_add(1, std::memory_order_relaxed);
    return known;
}

std::uint64_t CurrentLocaleGeneration()
{
    currentStorage(); // the first choice counts as generation 1
    return g_generation.load(std::memory_order_relaxed);
}

bool GetNumberFormatA(AnsiView value, int decimals, const LocaleInfo &loc, AnsiString &out)
{
    out.clear();
    if (decimals < 0 || decimals > kMaxDecimals || loc.negativeOrder < 0 || loc.negativeOrder > 4)
        return false;
    PlainNumber number;
    if (!parsePlainNumber(value, number))
        return false;

    // The kept digits are the integer digits and the first `decimals` fraction
    // digits (missing ones are zeros). Rounding adds one to them when the first
    // dropped digit is 5 or more: the last kept digit that is not 9 goes up,
    // the nines after it become zeros, and with nothing but nines a 1 is put in
    // front.
    const auto places = static_cast<std::size_t>(decimals);
    const std::size_t integerDigits = number.integer.size();
    const std::size_t kept = integerDigits + places;
    auto keptDigit = [&](std::size_t i) {
        if (i < integerDigits)
            return number.integer[i];
        i -= integerDigits;
        return i < number.fraction.size() ? number.fraction[i] : '0';
    };
    const bool roundUp = number.fraction.size() > places && number.fraction[places] >= '5';
    std::size_t bumped = kept; // index of the digit that goes up; kept when none does
    bool carryOut = false;
    if (roundUp) {
        while (bumped > 0 && keptDigit(bumped - 1) == '9')
            --bumped;
        if (bumped == 0)
            carryOut = true;
        else
            --bumped;
    }
    auto finalDigit = [&](std::size_t i) {
        if (!roundUp)
            return keptDigit(i);
        if (carryOut)
            return '0';
        if (i < bumped)
            return keptDigit(i);
        return i == bumped ? static_cast<char>(keptDigit(i) + 1) : '0';
    };

    bool isZero = !roundUp && integerDigits == 0;
    for (std::size_t i = 0; isZero && i < places; ++i)
        isZero = keptDigit(i) == '0';
    const bool negative = number.negative && !isZero;

    const std::size_t shownIntegerDigits = integerDigits + (carryOut ? 1 : 0);
    const bool writeZero = shownIntegerDigits == 0 && (loc.leadingZero || places == 0);
    const std::size_t groupSeparators = shownIntegerDigits > 0 ? (shownIntegerDigits - 1) / 3 : 0;
    std::size_t length = shownIntegerDigits + (writeZero ? 1 : 0) + groupSeparators * loc.thousandSeparator.size();
    if (places > 0)
        length += loc.decimalSeparator.size() + places;
    static constexpr std::size_t signLength[] = {2, 1, 2, 1, 2};
    if (negative)
        length += signLength[loc.negativeOrder];

    out.resize(length);
    Writer w{out.data()};
    if (negative) {
        if (loc.negativeOrder == 0)
            w.put('(');
        else if (loc.negativeOrder == 1)
            w.put('-');
        else if (loc.negativeOrder == 2)
            w.put("- ");
    }
    if (writeZero)
        w.put('0');
    // The digit sequence behind a carry starts with the new leading 1.
    for (std::size_t i = 0; i < shownIntegerDigits; ++i) {
        if (i > 0 && (shownIntegerDigits - i) % 3 == 0)
            w.put(loc.thousandSeparator);
        w.put(carryOut ? (i == 0 ? '1' : '0') : finalDigit(i));
    }
    if (places > 0) {
        w.put(loc.decimalSeparator);
        for (std::size_t i = 0; i < places; ++i)
            w.put(carryOut ? '0' : finalDigit(integerDigits + i));
    }
    if (negative) {
        if (loc.negativeOrder == 0)
            w.put(')');
        else if (loc.negativeOrder == 3)
            w.put('-');
        else if (loc.negativeOrder == 4)
            w.put(" -");
    }
    return true;
}

void FormatNumberForDisplay(AnsiView stored, int decimals, AnsiString &out)
{
    if (stored.empty()) {
        out.clear();
        return;
    }
    if (!GetNumberFormatA(stored, decimals, CurrentLocale(), out)) {
        out.assign("##");
        return;
    }
    if (out.size() > kDisplayLimit)
        out.resize(kDisplayLimit);
}

AnsiString FormatNumberForDisplay(AnsiView stored, int decimals)
{
    AnsiString out;
    FormatNumberForDisplay(stored, decimals, out);
    return out;
}

bool IsValidDate(int year, int month, int day)
{
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int monthLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int length = month == 2 && leap ? 29 : monthLengths[month - 1];
    return day <= length;
}

bool GetDateFormatA(int year, int month, int day, AnsiView picture, const LocaleInfo &loc, AnsiString &out)
{
    out.clear();
    if (!IsValidDate(year, month, day))
        return false;
    if (picture.empty())
        picture = loc.shortDatePicture;

    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'') {
            if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                out.push_back('\'');
                i += 2;
                continue;
            }
            // Quoted text up to the closing quote (or the end); '' inside is a quote.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        out.push_back('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out.push_back(picture[i++]);
            }
            continue;
        }
        if (c != 'd' && c != 'M' && c != 'y') {
            out.push_back(c);
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        i += run;
        switch (c) {
        case 'd':
            if (run <= 2)
                appendNumber(out, day, static_cast<int>(run));
            else if (run == 3)
                out += loc.abbreviatedDayNames[weekdayIndex(year, month, day)];
            else
                out += loc.dayNames[weekdayIndex(year, month, day)];
            break;
        case 'M':
            if (run <= 2)
                appendNumber(out, month, static_cast<int>(run));
            else if (run == 3)
                out += loc.abbreviatedMonthNames[month - 1];
            else
                out += loc.monthNames[month - 1];
            break;
        default:
            if (run <= 2)
                appendNumber(out, year % 100, static_cast<int>(run));
            else
                appendNumber(out, year, 4);
            break;
        }
    }
    return true;
}

} // namespace orvel
