#pragma once

#include <QPageSize>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvel {

// The paper size codes of the printer driver settings, as a database file
// stores them (9 A4, 1 Letter, 5 Legal, 8 A3, 11 A5, ...), and Qt's page
// sizes.

// The page size of a code; nothing for a code this program does not know.
std::optional<QPageSize::PageSizeId> PageSizeOfPaperCode(int code);
// The size a code prints on: an unknown code prints on A4 (the document
// keeps its code all the same).
QPageSize::PageSizeId PrintPageSizeOfPaperCode(int code);
// The code of a page size; nothing for a size without one.
std::optional<int16_t> PaperCodeOfPageSize(QPageSize::PageSizeId id);
// Every size's own code, in the order of the codes.
std::vector<int16_t> PaperCodes();

} // namespace orvel
