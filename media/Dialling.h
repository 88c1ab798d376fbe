#pragma once

#include "platform/AnsiString.h"

#include <QString>

namespace orvel {

class CDataTable;

// What "Nummer wählen" offers to dial: the number and the name for the call
// log, both as the record shows them.
struct DialRequest
{
    QString number;
    QString name;
};

// The longest number the dial dialog takes.
inline constexpr int kMaxDialNumberLength = 255;

// The number and the name of record `record` with `field` as the current
// field. The number is the current field's display text when it is a text,
// numeric or date field. The name comes from the first field (in display
// order) whose name contains `nameKeyword` in any case, else from the first
// field, again only when that is a text, numeric or date field. Both are
// empty without a record or a field.
DialRequest PrepareDialRequest(const CDataTable &table, int record, int field, AnsiView nameKeyword);

// The number as it is dialled: the outside-line prefix goes in front unless
// the number starts with "+" (blanks before the "+" do not count).
QString ApplyDialPrefix(const QString &number, const QString &prefix);

// Whether the number holds a digit at all: without one there is nothing to
// dial, whatever the prefix would add.
bool HasDialDigits(const QString &number);

// The "tel:" address of a dialled number: everything but digits, "+", "*"
// and "#" is left out (blanks, slashes, dashes, the pause commas of old
// prefixes); "#" is written as "%23", since a bare one would end the
// address.
QString TelUrlFromNumber(const QString &number);

} // namespace orvel
