#pragma once

#include "document/RecordStream.h"
#include "table/ObjectCopier.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace orvel {

class COrvelDoc;

// Whether a field's values are references into the object store: memo and
// OLE fields, and picture fields whose data field embeds its pictures.
bool FieldCarriesObject(const COrvelDoc &doc, int pos);

// A record stream being written for the clipboard. The media objects of the
// copied records go into the clipboard object file (the application's
// temporary file), which every new stream starts afresh, so that the stream's
// references point into it.
class CRecordStreamOut
{
public:
    // Writes the header for `recordCount` records of the document's fields
    // and empties the clipboard object file.
    CRecordStreamOut(const COrvelDoc &doc, int recordCount, const QString &clipboardObjectFile);
    ~CRecordStreamOut();
    CRecordStreamOut(const CRecordStreamOut &) = delete;
    CRecordStreamOut &operator=(const CRecordStreamOut &) = delete;

    // A walk over marked records that ended early wrote fewer records.
    void SetRecordCount(int recordCount) { m_writer.SetRecordCount(recordCount); }
    // The finished stream. Empty when a record could not be written: then
    // the clipboard object file is removed as well, so that nothing half
    // copied stays behind.
    QByteArray Finish();

private:
    friend bool WriteRecordToStream(const COrvelDoc &doc, int record, CRecordStreamOut &stream);
    recordstream::Writer m_writer;
    QString m_objectFile;
    std::unique_ptr<CObjectCopier> m_copier;
    bool m_failed = false;
};

// Appends one record to the stream: every value as stored (the plain-text
// clipboard format is the one for display values), with each object copied
// into the clipboard object file. An object that cannot be read shows 513
// with the stored value, the value is written empty, and the result is
// false (the stream then finishes empty).
bool WriteRecordToStream(const COrvelDoc &doc, int record, CRecordStreamOut &stream);

// Pastes a record stream into the document: each stream record becomes a new
// record inserted before `insertIndex` (-1 appends the first and inserts the
// others before it, so that a stream written last-first arrives in its
// original order). Stream fields are matched by name, type and, for
// pictures, the embedded flag; their objects are copied from the clipboard
// object file into the working store. Shows progress 429, asks 510 on
// Escape, reports 361/362 (records inserted), 513 (an object that could not
// be copied) and 345 when the table is full. Returns the number of records
// inserted, or -1 for a stream that is not readable (message 304).
int InsertRecordsFromStream(COrvelDoc &doc, const QByteArray &stream, int insertIndex,
                            const QString &clipboardObjectFile);

} // namespace orvel
