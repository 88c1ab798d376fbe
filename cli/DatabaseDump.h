#pragma once

#include <string>

namespace orvel {
class COrvelDoc;
}

namespace orvel::cli {

// The document as the JSON object of "orvel-cli dump": format and version,
// fields, records (stored values, or display values with `display`), the
// print settings and the form with every object's stored fields.
std::string DumpDatabase(const COrvelDoc &doc, bool display);

} // namespace orvel::cli
