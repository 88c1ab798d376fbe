// Reads arbitrary bytes as a dBASE file, in both character sets. Whatever
// the bytes, the import either refuses them with an empty table or yields a
// table within the limits, and never reads out of bounds, hangs or takes
// memory out of proportion to the input. Streamed, the same bytes give as
// many records as the import read.
#include "exchange/DbaseImport.h"
#include "platform/ScriptedServices.h"
#include "table/DataTable.h"
#include "table/RecordStream.h"
#include "table/TableLimits.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using namespace orvel;

struct Fixture
{
    ScriptedServices services;
    ScopedServices scope{&services};
};

// Takes the values of streamed records, which a table would have to hold.
class CheckingSink final : public RecordStream::Sink
{
public:
    explicit CheckingSink(int fields)
        : m_fields(fields)
    {}
    void Take(const AnsiView *values, int count) override
    {
        if (count != m_fields)
            std::abort();
        for (int k = 0; k < count; ++k) {
            if (values[k].size() > kMaxValueLength)
                std::abort();
        }
    }

private:
    int m_fields;
};

// The same bytes streamed, in blocks of a few records: as many records as
// the import read.
void streamOnce(const QByteArray &bytes, ExchangeCharSet charSet, int imported)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    CDataTable table;
    std::unique_ptr<RecordStream> stream;
    const int result = StreamDbase(table, std::move(buffer), charSet, nullptr, DbaseMemoSource(), stream);
    if (!stream)
        return;
    if (result != 1 || table.GetRecordCount() != 0)
        std::abort();
    stream->Begin(1);
    CheckingSink sink(table.GetFieldCount());
    std::size_t read = 0;
    while (read < stream->Capacity()) {
        const std::size_t got = stream->Read(read, 7, 0, sink);
        read += got;
        if (got < 7)
            break;
    }
    stream->Finish(read);
    if (read != std::size_t(imported))
        std::abort();
}

int importOnce(const QByteArray &bytes, ExchangeCharSet charSet, ProgressBox *progress)
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
    return table.GetRecordCount();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    auto progress = fixture.services.beginProgress(0, 0, 0);
    const int imported = importOnce(bytes, ExchangeCharSet::Dos, progress.get());
    importOnce(bytes, ExchangeCharSet::Ansi, nullptr);
    streamOnce(bytes, ExchangeCharSet::Dos, imported);
    progress.reset();
    fixture.services.clear();
    return 0;
}
