#include "exchange/DbaseFieldName.h"

#include "exchange/DbaseFile.h"
#include "platform/Codepage.h"
#include "table/DataTable.h"

#include <algorithm>
#include <charconv>

namespace orvel {

namespace {

// Letters dBASE takes in a name: A-Z and the umlauts Ä, Ö, Ü and ß of the
// DOS code page. With the ANSI character set the ANSI umlauts are therefore
// not among them.
bool isNameLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || c == 0x8E || c == 0x99 || c == 0x9A || c == 0xE1;
}

bool isNameCharacter(unsigned char c)
{
    return isNameLetter(c) || c == '_' || (c >= '0' && c <= '9');
}

// "F01" for the first position, "F32" for the last.
AnsiString numberedName(int pos)
{
    char digits[4] = {};
    const int number = pos + 1;
    auto result = std::to_chars(digits, digits + sizeof digits, number);
    AnsiString name = "F";
    if (number < 10)
        name += '0';
    name.append(digits, result.ptr);
    return name;
}

} // namespace

AnsiString GetDbaseFieldName(const CDataTable &table, int pos, ExchangeCharSet charSet)
{
    const bool dos = charSet == ExchangeCharSet::Dos;
    AnsiString name = ToUpperA(table.GetFieldName(pos));
    if (dos)
        CharToOemInPlace(name);

    // A name must start with a letter: a leading mnemonic or digit goes when
    // a letter follows it, otherwise it becomes an X ("1. Wert" is XWERT).
    if (!name.empty() && !isNameLetter(static_cast<unsigned char>(name[0]))) {
        if (name.size() > 1 && isNameLetter(static_cast<unsigned char>(name[1])))
            name.erase(0, 1);
        else
            name[0] = 'X';
    }
    name.erase(std::remove_if(name.begin(), name.end(),
                              [](char c) { return !isNameCharacter(static_cast<unsigned char>(c)); }),
               name.end());
    if (name.empty())
        return numberedName(pos);
    if (name.size() > dbase::kMaxDbaseNameLength)
        name.resize(dbase::kMaxDbaseNameLength);

    // The other fields' names are compared in the code page of the
    // candidate; in different code pages two names with umlauts that agree
    // in their first 10 characters would pass as different.
    for (int other = 0; other < table.GetFieldCount(); ++other) {
        if (other == pos)
            continue;
        AnsiString start = table.GetFieldName(other).substr(0, dbase::kMaxDbaseNameLength);
        if (dos)
            CharToOemInPlace(start);
        if (start == name)
            return numberedName(pos);
    }
    return name;
}

} // namespace orvel
