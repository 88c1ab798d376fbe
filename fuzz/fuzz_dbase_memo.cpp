// Reads arbitrary bytes as the memo file of a table with one memo field, in
// both memo layouts. The first bytes say which blocks the table's records
// name: a count byte, then that many 4-byte block numbers; the rest is the
// memo file. Whatever the bytes, the memo field either holds a reference
// for every named block or keeps the block numbers, nothing is read out of
// bounds, and the texts never take more than the memo file's size.
#include "exchange/DbaseImport.h"
#include "exchange/DbaseMemo.h"
#include "platform/ScriptedServices.h"
#include "platform/TempFile.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <cstdlib>

namespace {

using namespace orvel;

struct Fixture
{
    ScriptedServices services;
    ScopedServices scope{&services};
};

// A dBASE III table with one memo field of 10 digits, one record per block
// number.
QByteArray tableOf(const std::vector<std::uint32_t> &blocks, unsigned char version)
{
    QByteArray bytes(32, '\0');
    bytes[0] = char(version);
    const auto put = [&bytes](int at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    put(4, std::uint32_t(blocks.size()), 4);
    put(8, 65, 2);
    put(10, 11, 2);
    QByteArray descriptor(32, '\0');
    descriptor.replace(0, 4, "TEXT");
    descriptor[11] = 'M';
    descriptor[16] = 10;
    bytes += descriptor;
    bytes += '\x0D';
    for (std::uint32_t block : blocks)
        bytes += ' ' + QByteArray::number(block).rightJustified(10, ' ');
    return bytes;
}

void importOnce(const std::vector<std::uint32_t> &blocks, const QByteArray &memo, dbase::MemoLayout layout,
                unsigned char version, const QString &store)
{
    QByteArray table = tableOf(blocks, version);
    QBuffer tableFile(&table);
    tableFile.open(QIODevice::ReadOnly);
    QByteArray memoBytes = memo;
    QBuffer memoFile(&memoBytes);
    memoFile.open(QIODevice::ReadOnly);
    QFile::resize(store, 0);

    DbaseMemoSource source;
    source.file = &memoFile;
    source.layout = layout;
    source.name = QStringLiteral("fuzz");
    source.objectStore = store;
    CDataTable imported;
    if (ImportDbase(imported, tableFile, ExchangeCharSet::Ansi, nullptr, source) != 1)
        std::abort();
    if (imported.GetRecordCount() != int(blocks.size()))
        std::abort();
    // The store holds its magic, and per text its length and at most the
    // memo file's bytes.
    if (QFile(store).size() > 10 + qint64(blocks.size()) * 4 + memo.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    static TempFile store = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
    if (size < 1 || store.isNull())
        return 0;
    const std::size_t count = std::min<std::size_t>(data[0], (size - 1) / 4);
    std::vector<std::uint32_t> blocks;
    for (std::size_t k = 0; k < count; ++k) {
        const uint8_t *at = data + 1 + 4 * k;
        blocks.push_back(std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16)
                         | (std::uint32_t(at[3]) << 24));
    }
    const std::size_t memoAt = 1 + 4 * count;
    const QByteArray memo(reinterpret_cast<const char *>(data + memoAt), qsizetype(size - memoAt));
    importOnce(blocks, memo, dbase::MemoLayout::Dbt, 0x83, store.path());
    importOnce(blocks, memo, dbase::MemoLayout::Dbt, 0x8B, store.path());
    importOnce(blocks, memo, dbase::MemoLayout::Fpt, 0xF5, store.path());
    fixture.services.clear();
    return 0;
}
