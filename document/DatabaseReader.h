#pragma once

#include "document/DatabaseFormat.h"
#include "platform/AnsiString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class QIODevice;

namespace orvel {

class CDataTable;
class CFormObjects;
class ProgressBox;
struct FormFileContext;
struct PageSettings;

// The parts of a document that a database file fills.
struct DatabaseContents
{
    CDataTable &table;
    CFormObjects &form;
    PageSettings &page;
};

// Decides which records of a file a reader keeps (a search from the command
// line keeps the matches only). Keep() is called on the reading threads at
// once, so it only reads its own state and the buffer it is given.
class RecordFilter
{
public:
    virtual ~RecordFilter() = default;
    // Called once the table has its fields, before the first record.
    virtual void Prepare(const CDataTable &table) = 0;
    // Whether the record with these values (by display position, as the
    // file holds them) is kept.
    virtual bool Keep(const AnsiView *values, int count, AnsiString &buffer) const = 0;
};

// What a reader keeps of a file: the values of the fields whose bit is set
// in `fields` (bit k for the k-th field of the file; the others are left
// empty), and with a filter only the records it keeps. Every field and
// record is still read and checked.
struct DatabaseReadSelection
{
    std::uint32_t fields = ~std::uint32_t(0);
    RecordFilter *filter = nullptr;
};

struct DatabaseReadResult
{
    dbfile::ReadOutcome outcome = dbfile::ReadOutcome::Failed;
    uint16_t storedVersion = 0;
    // Files without a form block (0x055E, and the save placeholder that is
    // read like it): the caller generates one.
    bool needsDefaultForm = false;
    // Written by a newer program: read as the current version, and the user
    // is warned once the file is open.
    bool newerVersion = false;
    // With a filter: the place in the file (0 for its first record) of each
    // record kept, in the table's order.
    std::vector<int> keptRecords;
};

// Reads a database file from a readable, seekable device (a file, or a
// buffer holding one) into empty contents. The records stream through a
// small window; only the part before the records (names, form block,
// default values) is held whole.
//
// Every count, length and offset is checked against the file before it is
// used, so a damaged file fails instead of reading out of bounds; the memory
// the records take is bounded by the file's size, because the blocks of
// records may not overlap. Refused like a file that is no database: more
// than 32 fields or 30000 records, block size 0, more than 100 block
// positions in use, block positions outside the file or pointing back into
// what was read already, versions below 0x055E other than the placeholder,
// and names, default values or values longer than 255 bytes.
//
// `formContext` names the file read (relative picture paths are made
// absolute against its folder; empty keeps them as stored) and carries the
// "Relative Pfade" option for the form's pictures. On failure the contents
// are left half filled: the caller empties them. Out of memory shows
// message 316.
//
// `window` is how much of the file one read takes; any size reads the same
// records (a window smaller than the largest record the fields allow is
// widened to that).
// A file on disk or in a buffer is read in up to `parts` ranges of blocks at
// the same time, each through a window of its own; 0 decides by the number
// of records and processor cores. Any split reads the same records and
// refuses the same files. `selection` may leave values and records out.
inline constexpr std::size_t kDatabaseReadWindow = 256 * 1024;
DatabaseReadResult ReadDatabaseFile(QIODevice &file, const FormFileContext &formContext, DatabaseContents into,
                                    ProgressBox *progress, std::size_t window = kDatabaseReadWindow, int parts = 0,
                                    const DatabaseReadSelection &selection = {});

} // namespace orvel
