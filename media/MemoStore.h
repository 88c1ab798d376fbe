#pragma once

#include "platform/AnsiString.h"

#include <QString>

#include <optional>

namespace orvel {

class CDataTable;

// Memo texts in an object store (table/ObjectStore.h): a memo value is the
// reference of an object that holds the memo's bytes, without terminator;
// an empty value is a memo that was never written.

// The whole memo `reference` names in the object store `store`: an empty
// text for a memo that was never written, nothing when the object cannot be
// read (a missing or damaged object file, a reference that names no object).
std::optional<AnsiString> ReadMemo(const QString &store, AnsiView reference);

// Puts `text` into the object store through a temporary file and returns
// the new reference, or empty text when it could not be written. With
// `oldReference` the text takes the old object's place when it fits there.
AnsiString WriteMemo(const QString &store, AnsiView oldReference, AnsiView text);

// True when another value of the table than field `field` of record
// `record` holds the same object reference. Rewriting such an object in
// place would change every value that shares it.
bool IsObjectShared(const CDataTable &table, AnsiView reference, int record, int field);

} // namespace orvel
