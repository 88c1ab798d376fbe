#pragma once

#include "table/DataTable.h"

#include <cstdint>
#include <memory>

namespace orvel::bench {

// A table filled from the seeded generator: its 32 fields with types and
// formats, and `records` records of stored values (modification time fixed,
// so that two calls give equal tables).
std::unique_ptr<CDataTable> MakeGeneratedTable(int records = 30000, uint64_t seed = 19961224);
// The same into an empty table (a document's, for example).
void FillGeneratedTable(CDataTable &table, int records = 30000, uint64_t seed = 19961224);

} // namespace orvel::bench
