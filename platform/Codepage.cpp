#include "platform/Codepage.h"

namespace orvel {
namespace {

// Unicode of the bytes 0x80-0xFF of Windows-1252.
constexpr std::array<char16_t, 128> kAnsiHigh = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152,
        0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
        0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6,
        0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B3,
        0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0,
        0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD,
        0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA,
        0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
        0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4,
        0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

// Code page 850 bytes 0x80-0xFF as Windows-1252 bytes ("?" where there is none).
constexpr std::array<unsigned char, 128> kOemToAnsi = {
        0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
        0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
        0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
        0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xC1, 0xC2, 0xC0, 0xA9, 0x3F, 0x3F, 0x3F, 0x3F, 0xA2, 0xA5, 0x3F,
        0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xE3, 0xC3, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0xA4,
        0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x3F, 0xCD, 0xCE, 0xCF, 0x3F, 0x3F, 0x3F, 0x3F, 0xA6, 0xCC, 0x3F,
        0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
        0xAD, 0xB1, 0x3F, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x3F, 0xA0,
};

// Windows-1252 bytes 0x80-0xFF as code page 850 bytes ("?" where there is none).
constexpr std::array<unsigned char, 128> kAnsiToOem = {
        0x3F, 0x3F, 0x3F, 0x9F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
        0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
        0xFF, 0xAD, 0xBD, 0x9C, 0xCF, 0xBE, 0xDD, 0xF5, 0xF9, 0xB8, 0xA6, 0xAE, 0xAA, 0xF0, 0xA9, 0xEE,
        0xF8, 0xF1, 0xFD, 0xFC, 0xEF, 0xE6, 0xF4, 0xFA, 0xF7, 0xFB, 0xA7, 0xAF, 0xAC, 0xAB, 0xF3, 0xA8,
        0xB7, 0xB5, 0xB6, 0xC7, 0x8E, 0x8F, 0x92, 0x80, 0xD4, 0x90, 0xD2, 0xD3, 0xDE, 0xD6, 0xD7, 0xD8,
        0xD1, 0xA5, 0xE3, 0xE0, 0xE2, 0xE5, 0x99, 0x9E, 0x9D, 0xEB, 0xE9, 0xEA, 0x9A, 0xED, 0xE8, 0xE1,
        0x85, 0xA0, 0x83, 0xC6, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
        0xD0, 0xA4, 0x95, 0xA2, 0x93, 0xE4, 0x94, 0xF6, 0x9B, 0x97, 0xA3, 0x96, 0x81, 0xEC, 0xE7, 0x98,
};

constexpr std::array<unsigned char, 256> makeUpperMap()
{
    std::array<unsigned char, 256> map{};
    for (int i = 0; i < 256; ++i)
        map[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        map[c] = static_cast<unsigned char>(c - 32);
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7)
            map[c] = static_cast<unsigned char>(c - 32);
    }
    map[0x9A] = 0x8A; // s caron
    map[0x9C] = 0x8C; // oe
    map[0x9E] = 0x8E; // z caron
    map[0xFF] = 0x9F; // y diaeresis
    return map;
}

constexpr std::array<unsigned char, 256> makeLowerMap()
{
    const std::array<unsigned char, 256> upper = makeUpperMap();
    std::array<unsigned char, 256> map{};
    for (int i = 0; i < 256; ++i)
        map[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 256; ++i) {
        if (upper[i] != i)
            map[upper[i]] = static_cast<unsigned char>(i);
    }
    return map;
}

constexpr std::array<unsigned char, 256> kUpper = makeUpperMap();
constexpr std::array<unsigned char, 256> kLower = makeLowerMap();

struct ReverseAnsiTable
{
    // Unicode code points 0x80-0x2122 that have a Windows-1252 byte.
    std::array<short, 0x2123> byteOf{};
    ReverseAnsiTable()
    {
        byteOf.fill(-1);
        for (int i = 0; i < 128; ++i)
            byteOf[i] = static_cast<short>(i);
        for (int i = 0; i < 128; ++i)
            byteOf[kAnsiHigh[i]] = static_cast<short>(0x80 + i);
        byteOf[0x202F] = 0xA0; // narrow no-break space
    }
};

const ReverseAnsiTable &reverseTable()
{
    static const ReverseAnsiTable table;
    return table;
}

} // namespace

char16_t AnsiCharToUnicode(unsigned char c)
{
    return c < 0x80 ? char16_t(c) : kAnsiHigh[c - 0x80];
}

int UnicodeToAnsiChar(char16_t u)
{
    const auto &table = reverseTable().byteOf;
    return u < table.size() ? table[u] : -1;
}

QString AnsiToQString(AnsiView text)
{
    QString result(qsizetype(text.size()), Qt::Uninitialized);
    QChar *out = result.data();
    for (unsigned char c : text)
        *out++ = QChar(AnsiCharToUnicode(c));
    return result;
}

AnsiString QStringToAnsi(const QString &text)
{
    AnsiString result;
    result.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        const int b = UnicodeToAnsiChar(u);
        result.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return result;
}

bool IsAnsiRepresentable(const QString &text)
{
    for (QChar ch : text) {
        if (UnicodeToAnsiChar(ch.unicode()) < 0)
            return false;
    }
    return true;
}

unsigned char OemCharToAnsi(unsigned char c)
{
    return c < 0x80 ? c : kOemToAnsi[c - 0x80];
}

unsigned char AnsiCharToOem(unsigned char c)
{
    return c < 0x80 ? c : kAnsiToOem[c - 0x80];
}

const ByteMap &OemToAnsiMap()
{
    static const ByteMap map = [] {
        ByteMap m{};
        for (std::size_t c = 0; c < m.size(); ++c)
            m[c] = OemCharToAnsi(static_cast<unsigned char>(c));
        return m;
    }();
    return map;
}

const ByteMap &AnsiToOemMap()
{
    static const ByteMap map = [] {
        ByteMap m{};
        for (std::size_t c = 0; c < m.size(); ++c)
            m[c] = AnsiCharToOem(static_cast<unsigned char>(c));
        return m;
    }();
    return map;
}

void OemToCharInPlace(AnsiString &text)
{
    for (char &c : text)
        c = static_cast<char>(OemCharToAnsi(static_cast<unsigned char>(c)));
}

void CharToOemInPlace(AnsiString &text)
{
    for (char &c : text)
        c = static_cast<char>(AnsiCharToOem(static_cast<unsigned char>(c)));
}

AnsiString OemToCharA(AnsiView oem)
{
    AnsiString result(oem);
    OemToCharInPlace(result);
    return result;
}

AnsiString CharToOemA(AnsiView ansi)
{
    AnsiString result(ansi);
    CharToOemInPlace(result);
    return result;
}

const std::array<unsigned char, 256> &UpperCaseMap()
{
    return kUpper;
}

const std::array<unsigned char, 256> &LowerCaseMap()
{
    return kLower;
}

void CharUpperA(AnsiString &text)
{
    for (char &c : text)
        c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
}

void CharLowerA(AnsiString &text)
{
    for (char &c : text)
        c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
}

AnsiString ToUpperA(AnsiView text)
{
    AnsiString result(text);
    CharUpperA(result);
    return result;
}

AnsiString ToLowerA(AnsiView text)
{
    AnsiString result(text);
    CharLowerA(result);
    return result;
}

int lstrcmpiA(AnsiView a, AnsiView b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = kLower[static_cast<unsigned char>(a[i])];
        const int cb = kLower[static_cast<unsigned char>(b[i])];
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool IsCharAlphaNumericA(unsigned char c)
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = QChar(AnsiCharToUnicode(static_cast<unsigned char>(i))).isLetterOrNumber();
        return t;
    }();
    return table[c];
}

} // namespace orvel
