#pragma once

#include "platform/AnsiString.h"

class QIODevice;

namespace orvel {

class CDataTable;
class ProgressBox;

// Writes a mail-merge control file for a word processor: a header line of
// the merge names of the data fields (text, numeric, date), then a line of
// display values per record, all separated by ";" and ended by CR LF. Values
// are written as they are. Returns 1 when written, 0 when a write failed or
// memory ran out.
int ExportMergeText(const CDataTable &table, QIODevice &out, ProgressBox *progress);

// The merge name of the field at display position `pos`: its plain name with
// the German umlauts and sharp s spelled out (Ä → AE, ä → ae, ß → ss, ...),
// since word processors take only plain letters in merge field names.
AnsiString GetMergeFieldName(const CDataTable &table, int pos);

} // namespace orvel
