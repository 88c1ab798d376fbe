#pragma once

#include "exchange/ExchangeCharSet.h"
#include "platform/AnsiString.h"

namespace orvel {

class CDataTable;

// The name the field at display position `pos` gets in a dBASE descriptor,
// in the file's code page: upper case, at most 10 characters that dBASE
// accepts in names, and "F" with the position (from 01) when nothing is left
// or when the name would repeat the start of another field's name.
AnsiString GetDbaseFieldName(const CDataTable &table, int pos, ExchangeCharSet charSet);

} // namespace orvel
