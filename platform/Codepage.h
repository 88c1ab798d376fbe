#pragma once

#include "platform/AnsiString.h"

#include <QString>

#include <algorithm>

#include <array>
#include <cstdint>

namespace orvel {

// Windows-1252 <-> Unicode. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same number,
// so every byte survives a round trip.
char16_t AnsiCharToUnicode(unsigned char c);
// The Windows-1252 byte of a UTF-16 code unit, or -1 when there is none.
// U+00A0 and U+202F both give the no-break space 0xA0.
int UnicodeToAnsiChar(char16_t u);

QString AnsiToQString(AnsiView text);
// Characters that Windows-1252 cannot hold become "?" (a surrogate pair
// becomes one "?").
AnsiString QStringToAnsi(const QString &text);
// True when every character of the text has a Windows-1252 byte.
bool IsAnsiRepresentable(const QString &text);

// DOS (code page 850) <-> Windows-1252. A character that the other code page
// cannot hold becomes "?"; there are no best-fit substitutes.
unsigned char OemCharToAnsi(unsigned char c);
unsigned char AnsiCharToOem(unsigned char c);
AnsiString OemToCharA(AnsiView oem);
AnsiString CharToOemA(AnsiView ansi);
void OemToCharInPlace(AnsiString &text);
void CharToOemInPlace(AnsiString &text);
// The same conversions as whole-byte maps, for loops over many values
// (importers and exporters index them directly).
using ByteMap = std::array<unsigned char, 256>;
const ByteMap &OemToAnsiMap();
const ByteMap &AnsiToOemMap();

// Case maps on Windows-1252 bytes: a-z, the accented letters 0xE0-0xFE except
// the division sign, and the four letters in the 0x80 block. Lengths never
// change (sharp s and micro sign stay).
const std::array<unsigned char, 256> &UpperCaseMap();
const std::array<unsigned char, 256> &LowerCaseMap();
inline unsigned char CharUpperA(unsigned char c)
{
    return UpperCaseMap()[c];
}
inline unsigned char CharLowerA(unsigned char c)
{
    return LowerCaseMap()[c];
}
void CharUpperA(AnsiString &text);
void CharLowerA(AnsiString &text);
AnsiString ToUpperA(AnsiView text);
AnsiString ToLowerA(AnsiView text);

// Compares the two lower-case images byte by byte: <0, 0, >0.
int lstrcmpiA(AnsiView a, AnsiView b);

// A letter or a digit of the decoded character.
bool IsCharAlphaNumericA(unsigned char c);

} // namespace orvel
