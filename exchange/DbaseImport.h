#pragma once

#include "exchange/DbaseMemo.h"
#include "exchange/ExchangeCharSet.h"

#include <QString>

#include <cstddef>
#include <memory>

class QIODevice;

namespace orvel {

class CDataTable;
class ProgressBox;
class RecordStream;

// Where the memo texts of a table come from and where they go.
struct DbaseMemoSource
{
    // The memo file beside the table, open for reading and seekable; null
    // when there is none.
    QIODevice *file = nullptr;
    dbase::MemoLayout layout = dbase::MemoLayout::Dbt;
    // The memo file's name for messages.
    QString name;
    // The object store that takes the texts (the document's working store);
    // without one memo fields keep their block numbers as text.
    QString objectStore;
};

// Reads a dBASE file into the empty table. Versions: dBASE II (version byte
// 0x02); dBASE III and every later version that keeps its layout (dBASE IV,
// FoxPro, Visual FoxPro). Other versions (dBASE 7, unknown bytes) are
// refused with message 565, which names the version.
//
// One field per descriptor (the first 32 that a table can hold; Visual
// FoxPro's general, picture and null-flag fields are left out), one record
// per record of the file (the first 30000; 511 when the file holds more).
// Deleted records come in marked, and message 566 says how many. Memo
// fields take their texts from `memos` into the object store; a missing or
// damaged memo file leaves the block numbers as text. Names, values and
// memo texts are converted from the code page the header's language byte
// names, else from the DOS code page when `charSet` says so. Whatever could
// not be taken (fields, records, memo texts, characters that Windows-1252
// cannot hold) is listed in one message 523.
//
// `file` is open for reading, seekable and at its start. Returns 1 when the
// file was read; 0 when its header is damaged; kDbaseVersionRefused when
// its version was refused and reported; the table is empty after 0 and
// kDbaseVersionRefused. The progress box, when given, shows caption 417 and
// the records read.
//
// The records are split into `splitParts` consecutive ranges read at the
// same time (as many as WorkSplitParts gives when 0), each read in stretches
// of about `chunkBytes` (at least one record each); any split and size read
// the same records.
inline constexpr std::size_t kDbaseReadChunk = std::size_t(1) << 20;
inline constexpr int kDbaseVersionRefused = -1;
int ImportDbase(CDataTable &table, QIODevice &file, ExchangeCharSet charSet, ProgressBox *progress,
                std::size_t chunkBytes = kDbaseReadChunk);
int ImportDbase(CDataTable &table, QIODevice &file, ExchangeCharSet charSet, ProgressBox *progress,
                const DbaseMemoSource &memos, std::size_t chunkBytes = kDbaseReadChunk, int splitParts = 0);

// ImportDbase for a batch conversion into a database file: reads the
// header and sets up the fields as ImportDbase does, but leaves the records
// of a file without memo fields to `stream`, which converts them while the
// database file is written (and owns `file` until then); its Finish tells
// what ImportDbase would have told. A file with memo fields is imported
// whole, and `stream` stays empty. Returns what ImportDbase returns.
int StreamDbase(CDataTable &table, std::unique_ptr<QIODevice> file, ExchangeCharSet charSet, ProgressBox *progress,
                const DbaseMemoSource &memos, std::unique_ptr<RecordStream> &stream);

} // namespace orvel
