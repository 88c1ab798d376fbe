#pragma once

#include "table/SearchCriterion.h"

#include <QString>

namespace orvel {

class COrvelDoc;

// "Einfügen aus...": reads the database (or dBASE or SDF file) at `path`
// into a hidden document and inserts its records before `currentRecord`
// (appending when there is none), keeping their order. Fields are matched
// by name ignoring case and by type; embedded pictures, memos and OLE
// objects are copied into the target's working store. Shows progress 426,
// asks 510 on Escape, stops at 30000 records, reports 515 when an object
// cannot be copied, 314 when memory runs out, and 335 with the count.
// Returns the number of records inserted, or -1 when the file could not be
// read (the reason has been reported).
int InsertFromDatabase(COrvelDoc &target, const QString &path, int currentRecord);

// Copies the records that meet the search into `target`, a new, empty
// document: the fields with their types and formats, then every matching
// record (values as stored, objects copied into the target's store).
// Shows progress 428, asks 510 on Escape, 513 when an object cannot be
// copied, and 341/340 with the count; 312 when no record matches (the
// target is then left untouched). Returns the number of records copied.
int CopyMatches(const COrvelDoc &source, const SearchSpec &spec, int link, COrvelDoc &target);

} // namespace orvel
