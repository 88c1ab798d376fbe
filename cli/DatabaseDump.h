#pragma once

#include <string>

namespace orvel {
class COrvelDoc;
}

namespace orvel::cli {

// The document as the JSON object of "orvel-cli dump": format and version,
// fields, records (stored values, or display values with `display`), the
// print settings and the form with every object's stored fields. With
// `memos` a memo field's value is the memo's text (null when it cannot be
// read) instead of its object reference; with `objects` an OLE field's value
// is its document's item as the form's objects show theirs (null when there
// is none or it cannot be read).
std::string DumpDatabase(const COrvelDoc &doc, bool display, bool memos = false, bool objects = false);

} // namespace orvel::cli
