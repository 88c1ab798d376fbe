#pragma once

namespace orvel {

class CDataTable;

// "Unten ausfüllen" is offered when the table has at least two records, the
// current record exists and the current field is of a data type.
bool CanFillDown(const CDataTable &table, int current, int field);

// Copies the stored value of the current record's field into the empty
// values of the records below it, up to the first record whose value is not
// empty. The stored value is copied as it is: taking the display form would
// lose decimals, years and months on the way back. Each filled record is
// stamped and the table flagged modified. Returns how many records were
// filled; an empty current value fills nothing.
int FillDown(CDataTable &table, int current, int field);

} // namespace orvel
