#pragma once

#include "media/EmbeddedDocument.h"
#include "platform/AnsiString.h"

#include <QString>

#include <memory>

namespace orvel {

class CDrawEditItem;
class CEmbeddedItem;

// OLE field values: the record's text is a reference into the object store
// whose object is an archive holding one reference to a CDrawEditItem.

// How filling an item from a file ended.
enum class EmbedOutcome {
    Done,
    Missing,    // the file is not there (message 526)
    TooLarge,   // beyond what an object can hold (message 102)
    Unreadable, // it could not be read (message 539)
};

// Makes `item` the document in file `path`: its name and type, and either
// its bytes (embedded) or its absolute path (linked).
EmbedOutcome LoadEmbeddedItem(CEmbeddedItem &item, const QString &path, bool linked);
// Makes `item` a new, empty document of the kind.
void MakeNewEmbeddedItem(CEmbeddedItem &item, NewDocumentKind kind);

// The archive bytes of an OLE value: one object reference to `item`, stored
// as a CDrawEditItem whatever item it is.
QByteArray StoreOleValue(const CEmbeddedItem &item);
// Puts `item` into the object store `store` as an OLE value and returns the
// new reference; with `oldReference` the object takes the old one's place
// when it fits. Empty text when it could not be written (message 501 is the
// caller's).
AnsiString WriteOleValue(const QString &store, AnsiView oldReference, const CEmbeddedItem &item);
// The item of an OLE value; null for an empty reference and for an object
// that cannot be read or holds no CDrawEditItem (`unreadable` tells them
// apart when given).
std::unique_ptr<CDrawEditItem> ReadOleValue(const QString &store, AnsiView reference, bool *unreadable = nullptr);

} // namespace orvel
