// Reads arbitrary bytes as a dBASE file, in both character sets. Whatever
// the bytes, the import either refuses them with an empty table or yields a
// table within the limits, and never reads out of bounds, hangs or takes
// memory out of proportion to the input.
#include "exchange/DbaseImport.h"
#include "platform/ScriptedServices.h"
#include "table/DataTable.h"
#include "table/TableLimits.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

using namespace orvel;

struct Fixture
{
    ScriptedServices services;
    ScopedServices scope{&services};
};

void importOnce(const QByteArray &bytes, ExchangeCharSet charSet, ProgressBox *progress)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CDataTable table;
    const int result = ImportDbase(table, buffer, charSet, progress);
    if (result == 0 && (table.GetFieldCount() != 0 || table.GetRecordCount() != 0))
        std::abort();
    if (table.GetRecordCount() > kMaxRecords || table.GetFieldCount() > kMaxFields)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    auto progress = fixture.services.beginProgress(0, 0, 0);
    importOnce(bytes, ExchangeCharSet::Dos, progress.get());
    importOnce(bytes, ExchangeCharSet::Ansi, nullptr);
    progress.reset();
    fixture.services.clear();
    return 0;
}
