#include "document/RecordText.h"

#include "platform/AnsiString.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"

#include <algorithm>

namespace orvel {

QByteArray RecordTextBlock(const CDataTable &table, int record)
{
    // Room for the text; the last byte of the block is the terminator.
    constexpr qsizetype kTextRoom = kRecordTextBlockSize - 1;
    QByteArray block;
    const CDataRecord *rec = table.GetRecord(record);
    if (rec) {
        AnsiString buffer;
        const auto append = [&block](AnsiView bytes) {
            const qsizetype room = kTextRoom - block.size();
            block.append(bytes.data(), std::min<qsizetype>(room, qsizetype(bytes.size())));
        };
        for (int k = 0; k < table.GetFieldCount() && block.size() < kTextRoom; ++k) {
            append(rec->GetDisplayValue(k, buffer));
            append("\r\n");
        }
    }
    block.append('\0');
    return block;
}

} // namespace orvel
