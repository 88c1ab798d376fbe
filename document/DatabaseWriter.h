#pragma once

#include "document/DatabaseFormat.h"

#include <QString>

#include <cstddef>

class QIODevice;

namespace orvel {

class CDataTable;
class CFormObjects;
class CWorkingStore;
class ProgressBox;
class RecordStream;
struct PageSettings;

// What a database file is written from.
struct DatabaseWriteSource
{
    // Picture fields get the relative-paths bit stored back when the option
    // is on, so the table is not const.
    CDataTable &table;
    const CFormObjects &form;
    const PageSettings &page;
    // The working object store the records' references point into.
    const CWorkingStore &workingStore;
    // The "Relative Pfade" option.
    bool relativePaths = false;
    // When given, the records come from here, converted as they are
    // written, and the table has none. Streamed fields carry no objects
    // and no paths.
    RecordStream *records = nullptr;
};

struct DatabaseWriteTarget
{
    // The path the database file will have: relative picture paths are
    // made against its folder.
    QString databasePath;
    // Where this save builds the object file that will belong to it (the
    // saving code renames it into place). It is written only when the table
    // has records.
    QString objectFilePath;
};

struct DatabaseWriteResult
{
    enum class ObjectFile {
        // Nothing was written: the object file at the target stays as it is
        // (a database without records, or a copy that failed).
        Untouched,
        // objectFilePath holds the new object file.
        Written,
        // Save As wrote no object: the target must have no object file.
        Absent,
    };
    ObjectFile objectFile = ObjectFile::Untouched;
    // An object could not be copied (its value was written empty), or the
    // object file could not be copied: message 515 is due once the save is
    // complete. The database file itself is valid.
    bool objectsFailed = false;
    // The form block could not be written.
    bool formFailed = false;
    // errno of a write the device refused, 0 when none did.
    int writeError = 0;
    // The record stream could not be read: the file is incomplete.
    bool recordsFailed = false;
};

// How much the writer collects before it writes: the records, and the objects
// that Save As copies. Any sizes write the same bytes; tests use small odd
// ones so that every value meets a buffer's edge.
struct DatabaseWriteBuffers
{
    std::size_t output = 256 * 1024;
    std::size_t objects = 256 * 1024;
    // Ranges of records laid out at the same time (each into memory of its
    // own, written in order): 0 decides by the number of records and
    // processor cores. Fields that carry objects or relative paths are
    // written record by record. Any split writes the same bytes.
    int parts = 0;
    // Records a streamed block holds: any number writes the same bytes.
    std::size_t streamBlock = 167;
};

// Writes the database file into `out`, an empty, seekable device, through a
// buffer. `reorganize` (Save As) copies every referenced object of memo, OLE
// and embedded picture fields into a new object file, one value at a time in
// record order; a plain save copies the working store whole. Returns false
// when the file could not be written completely; `result` tells why and what
// became of the object file. Shows the progress captions 414, 430 and 415 on
// `progress` (which may be null).
bool WriteDatabaseFile(QIODevice &out, const DatabaseWriteSource &source, const DatabaseWriteTarget &target,
                       bool reorganize, ProgressBox *progress, DatabaseWriteResult &result,
                       const DatabaseWriteBuffers &buffers = {});

} // namespace orvel
