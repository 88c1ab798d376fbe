#pragma once

#include <QString>

namespace orvel {

class CDataTable;

// The status bar's line for a record: "Datensatz 3 von 120, " and the
// record's last change in local time ("Letzte Änderung: 24.12.1996 -
// 18:30"), both from the string table. Empty when the record does not exist.
QString RecordStatusText(const CDataTable &table, int record);

} // namespace orvel
