#pragma once

#include <cstddef>

namespace orvel {

// The table's fixed limits. Files, importers and commands all refer to these.
constexpr int kMaxFields = 32;
constexpr int kMaxRecords = 30000;
// Values, field names and default values are written with a length of at
// most 255 bytes; a longer one would make the saved file unreadable.
constexpr std::size_t kMaxValueLength = 255;
constexpr std::size_t kMaxNameLength = 255;

// List-view column widths in characters.
constexpr int kNewFieldWidth = 18;
constexpr int kMediaFieldWidth = 10;
constexpr int kMaxColumnWidth = 0xFFFF;

// Row heights in text lines.
constexpr int kMinRowHeight = 1;
constexpr int kMaxRowHeight = 3;

} // namespace orvel
