#pragma once

#include <QString>

class QIODevice;

namespace orvel {

class CDataTable;
class ProgressBox;

// Writes the data fields (text, numeric, date) of every record as an HTML
// page with one table: a heading row of the plain field names, then a row
// per record of display values. `title` (the file name without its folder)
// is the page's title and heading. Markup characters in the title, names and
// values are escaped. Returns 1 when written, 0 when a write failed or
// memory ran out. `parts` threads format the records (0: as many as the
// records and cores call for; the file is the same whatever the number).
int ExportHtml(const CDataTable &table, QIODevice &out, const QString &title, ProgressBox *progress, int parts = 0);

} // namespace orvel
