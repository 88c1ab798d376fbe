#pragma once

#include <QPrinter>
#include <QString>

#include <cstdint>
#include <optional>

namespace orvel {

// The paper bin codes of the printer driver settings, as a database file
// stores them (0 the driver's default, 1 upper, 2 lower, 4 manual feed,
// 7 automatic, ...), and Qt's paper sources.

// The paper source of a code; nothing for 0 and for codes without one.
std::optional<QPrinter::PaperSource> PaperSourceOfBinCode(int code);
// The code of a paper source; nothing for a printer's own sources.
std::optional<int16_t> BinCodeOfPaperSource(QPrinter::PaperSource source);
// The name the bin list shows for a source.
QString PaperSourceName(QPrinter::PaperSource source);

} // namespace orvel
