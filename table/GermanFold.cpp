#include "table/GermanFold.h"

#include <array>
#include <cstdint>

namespace orvel {

namespace {

// What each Windows-1252 byte folds to: up to two bytes, or a separator.
struct Folding
{
    char text[3] = {};
    std::uint8_t size = 0; // 0 = separator (blank, punctuation, symbol)
};

using FoldTable = std::array<Folding, 256>;

FoldTable makeFoldTable()
{
    FoldTable table{};
    const auto set = [&table](unsigned char c, const char *text) {
        Folding &f = table[c];
        f.size = 0;
        while (text[f.size] != '\0' && f.size < 2) {
            f.text[f.size] = text[f.size];
            ++f.size;
        }
    };
    for (int c = '0'; c <= '9'; ++c)
        table[std::size_t(c)] = {{char(c)}, 1};
    for (int c = 'a'; c <= 'z'; ++c) {
        table[std::size_t(c)] = {{char(c)}, 1};
        table[std::size_t(c - 'a' + 'A')] = {{char(c)}, 1};
    }
    // Letters of the upper half, upper and lower case alike.
    set(0x83, "f");
    set(0x8A, "s");
    set(0x9A, "s");
    set(0x8C, "oe");
    set(0x9C, "oe");
    set(0x8E, "z");
    set(0x9E, "z");
    set(0x9F, "y");
    set(0xB2, "2");
    set(0xB3, "3");
    set(0xB9, "1");
    set(0xB5, "\xB5");
    for (const int base : {0xC0, 0xE0}) {
        for (int c = 0; c <= 5; ++c)
            set(static_cast<unsigned char>(base + c), "a");
        set(static_cast<unsigned char>(base + 0x04), "ae");
        set(static_cast<unsigned char>(base + 0x06), "ae");
        set(static_cast<unsigned char>(base + 0x07), "c");
        for (int c = 0x08; c <= 0x0B; ++c)
            set(static_cast<unsigned char>(base + c), "e");
        for (int c = 0x0C; c <= 0x0F; ++c)
            set(static_cast<unsigned char>(base + c), "i");
        set(static_cast<unsigned char>(base + 0x10), "d");
        set(static_cast<unsigned char>(base + 0x11), "n");
        for (int c = 0x12; c <= 0x15; ++c)
            set(static_cast<unsigned char>(base + c), "o");
        set(static_cast<unsigned char>(base + 0x16), "oe");
        set(static_cast<unsigned char>(base + 0x18), "o");
        for (int c = 0x19; c <= 0x1B; ++c)
            set(static_cast<unsigned char>(base + c), "u");
        set(static_cast<unsigned char>(base + 0x1C), "ue");
        set(static_cast<unsigned char>(base + 0x1D), "y");
        set(static_cast<unsigned char>(base + 0x1E), "th");
    }
    set(0xDF, "ss");
    set(0xFF, "y");
    return table;
}

const FoldTable &foldTable()
{
    static const FoldTable table = makeFoldTable();
    return table;
}

constexpr AnsiView kStrasse = "strasse";

bool endsWith(AnsiView text, AnsiView suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Ends the word that starts at `start` in `out` (at `valueStart` the value's
// folded text begins): "...strasse" becomes "...str", and a word that is
// only "str" joins the word before it.
void endWord(AnsiString &out, std::size_t valueStart, std::size_t start)
{
    const AnsiView word = AnsiView(out).substr(start);
    if (endsWith(word, kStrasse))
        out.resize(out.size() - (kStrasse.size() - 3));
    if (out.size() - start == 3 && AnsiView(out).substr(start) == "str" && start > valueStart) {
        // The blank before the word goes.
        out.erase(start - 1, 1);
    }
}

bool isVowelCode(char c)
{
    switch (c) {
    case 'a':
    case 'e':
    case 'i':
    case 'j':
    case 'o':
    case 'u':
    case 'y':
        return true;
    default:
        return false;
    }
}

bool oneOf(char c, AnsiView set)
{
    return c != '\0' && set.find(c) != AnsiView::npos;
}

} // namespace

void AppendGermanFolded(AnsiView value, AnsiString &out)
{
    const FoldTable &table = foldTable();
    const std::size_t valueStart = out.size();
    std::size_t wordStart = AnsiString::npos; // npos: between words
    for (const char ch : value) {
        const Folding &f = table[static_cast<unsigned char>(ch)];
        if (f.size == 0) {
            if (wordStart != AnsiString::npos) {
                endWord(out, valueStart, wordStart);
                wordStart = AnsiString::npos;
            }
            continue;
        }
        if (wordStart == AnsiString::npos) {
            if (out.size() > valueStart)
                out.push_back(' ');
            wordStart = out.size();
        }
        out.append(f.text, f.size);
    }
    if (wordStart != AnsiString::npos)
        endWord(out, valueStart, wordStart);
}

void AppendKoelnerPhonetik(AnsiView word, AnsiString &out)
{
    const std::size_t start = out.size();
    char last = '\0'; // the last code written, before removing zeros
    const auto put = [&](char code) {
        if (code == last)
            return;
        last = code;
        // A zero stays only as the first code of the word.
        if (code != '0' || out.size() == start)
            out.push_back(code);
    };
    char prev = '\0';
    bool first = true;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        if (c < 'a' || c > 'z')
            continue;
        char next = '\0';
        for (std::size_t k = i + 1; k < word.size(); ++k) {
            if (word[k] >= 'a' && word[k] <= 'z') {
                next = word[k];
                break;
            }
        }
        if (isVowelCode(c)) {
            put('0');
        } else {
            switch (c) {
            case 'h':
                break;
            case 'b':
                put('1');
                break;
            case 'p':
                put(next == 'h' ? '3' : '1');
                break;
            case 'd':
            case 't':
                put(oneOf(next, "csz") ? '8' : '2');
                break;
            case 'f':
            case 'v':
            case 'w':
                put('3');
                break;
            case 'g':
            case 'k':
            case 'q':
                put('4');
                break;
            case 'c':
                if (first)
                    put(oneOf(next, "ahkloqrux") ? '4' : '8');
                else if (oneOf(prev, "sz"))
                    put('8');
                else
                    put(oneOf(next, "ahkoqux") ? '4' : '8');
                break;
            case 'x':
                if (!oneOf(prev, "ckq"))
                    put('4');
                put('8');
                break;
            case 'l':
                put('5');
                break;
            case 'm':
            case 'n':
                put('6');
                break;
            case 'r':
                put('7');
                break;
            case 's':
            case 'z':
                put('8');
                break;
            default:
                break;
            }
        }
        prev = c;
        first = false;
    }
}

void AppendPhoneticKey(AnsiView value, AnsiString &out, AnsiString &scratch)
{
    scratch.clear();
    AppendGermanFolded(value, scratch);
    const AnsiView folded = scratch;
    std::size_t pos = 0;
    while (pos < folded.size()) {
        std::size_t end = folded.find(' ', pos);
        if (end == AnsiView::npos)
            end = folded.size();
        const AnsiView word = folded.substr(pos, end - pos);
        bool letters = true;
        for (const char c : word)
            letters = letters && c >= 'a' && c <= 'z';
        if (pos > 0)
            out.push_back(' ');
        if (letters)
            AppendKoelnerPhonetik(word, out);
        else
            out.append(word);
        pos = end + 1;
    }
}

} // namespace orvel
