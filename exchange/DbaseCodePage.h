#pragma once

#include <array>

namespace orvel::dbase {

// Byte 29 of a dBASE header names the code page of the file's names and
// values (the "language driver"). Tables written by dBASE IV, FoxPro and
// most GIS programs set it; dBASE III leaves it 0.

// The code page the language byte names, or 0 when it names none this
// program converts: 0 itself, unknown bytes, and the multi-byte Asian code
// pages (932, 936, 949, 950), whose characters Windows-1252 cannot hold
// anyway.
int CodePageOfLanguageByte(unsigned char languageByte);

// A code page as byte-for-byte conversion into Windows-1252.
struct CodePageMap
{
    // The Windows-1252 byte for each byte of the code page; "?" where
    // Windows-1252 has no such character.
    std::array<unsigned char, 256> toAnsi{};
    // True for the bytes that became "?" (a "?" in the file is no loss).
    std::array<bool, 256> lost{};
};

// The map of one of the code pages CodePageOfLanguageByte names, or null for
// any other number. Windows-1252 maps every byte onto itself.
const CodePageMap *CodePageToAnsi(int codePage);

} // namespace orvel::dbase
