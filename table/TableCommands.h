#pragma once

#include "platform/AnsiString.h"

namespace orvel {

class CDataTable;

// The record and field commands as the views carry them out on the table:
// the checks, questions and messages around the table's own operations.
// `current` is the view's current record index (-1 = none) and is updated;
// each returns true when the table changed.

// False, after message 500, when the table has 32 fields already.
bool CheckFieldLimit(const CDataTable &table);
// A field the user created: message 500 at 32 fields; otherwise it is
// inserted at `pos` (-1 appends) with its type, format and default value, and
// printed when it is of a data type. Returns its display position or -1.
int NewFieldCommand(CDataTable &table, AnsiView name, int pos, int type, int format, AnsiView defaultValue);

// A new record with every field's default value (normalised by type), before
// the current record (which it becomes) or appended when there is none.
// Refused with message 345 at 30000 records.
bool NewRecordBeforeCommand(CDataTable &table, int &current);
// The same, inserted after the current record, or appended when there is
// none or it is the last; the new record becomes current.
bool NewRecordAfterCommand(CDataTable &table, int &current);
// Removes the current record after question 339; the current record then
// stays at its index, moves to the new last record, or becomes -1.
bool DeleteRecordCommand(CDataTable &table, int &current);
// Removes every marked record after question 330; the current record is
// adjusted as for a single deletion.
bool DeleteMarkedRecordsCommand(CDataTable &table, int &current);
// Makes record `number` (1-based) current; any other number is refused with
// message 322 and changes nothing.
bool GoToRecordCommand(const CDataTable &table, int number, int &current);

// Inverts the mark of the current record.
bool ToggleMarkCommand(CDataTable &table, int current);
bool MarkAllCommand(CDataTable &table);
bool ClearMarksCommand(CDataTable &table);

} // namespace orvel
