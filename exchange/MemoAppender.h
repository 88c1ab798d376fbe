#pragma once

#include "platform/AnsiString.h"

#include <QFile>
#include <QString>

#include <cstdint>

namespace orvel {

// Appends memo texts to an object store (table/ObjectStore.h) in one open
// file, for importers that bring many memos at once: each text becomes one
// object and its reference is handed back. Writing a memo through
// WriteMemo would cost a temporary file per text.
class MemoAppender
{
public:
    // `store` is the document's working store; it is created when missing.
    explicit MemoAppender(const QString &store);

    // The reference of a new object holding `text`; empty text when the
    // store could not be written (every later call fails too).
    AnsiString Append(AnsiView text);

    // The store's length now; Truncate(Length()) takes back every object
    // appended after that moment.
    std::uint64_t Length() const { return m_length; }
    bool Truncate(std::uint64_t length);

    bool Failed() const { return m_failed; }

private:
    QFile m_file;
    std::uint64_t m_length = 0;
    bool m_failed = false;
};

} // namespace orvel
