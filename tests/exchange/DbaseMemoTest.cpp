#include "DbaseTestSupport.h"

#include "media/MemoStore.h"
#include "platform/ScriptedServices.h"
#include "platform/TempFile.h"
#include "support/TestEnvironment.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <map>

using namespace orvel;
using namespace orvel::test;
using dbase::MemoLayout;

namespace {

QByteArray Be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (24 - 8 * i)) & 0xFF);
    return bytes;
}

QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    PutLe(bytes, 0, value, 4);
    return bytes;
}

// A memo file built block by block: Add puts a text at the next free block
// and returns its number.
class MemoBuilder
{
public:
    enum Kind { Dbase3, Dbase4, FoxPro };
    explicit MemoBuilder(Kind kind, int blockSize = 0)
        : m_kind(kind)
        , m_blockSize(blockSize        ? blockSize
                      : kind == FoxPro ? 64
                                       : 512)
        , m_bytes(512, '\0')
    {
        if (kind == FoxPro)
            m_bytes[7] = char(m_blockSize), m_bytes[6] = char(m_blockSize >> 8);
        if (kind == Dbase4)
            PutLe(m_bytes, 20, quint32(m_blockSize), 2);
    }

    quint32 Add(const QByteArray &text)
    {
        const auto block = quint32(m_bytes.size() / m_blockSize);
        QByteArray stored;
        if (m_kind == Dbase3)
            stored = text + "\x1A\x1A";
        else if (m_kind == Dbase4)
            stored = QByteArray("\xFF\xFF\x08\x00", 4) + Le32(quint32(text.size() + 8)) + text;
        else
            stored = Be32(1) + Be32(quint32(text.size())) + text;
        const auto padded = (stored.size() + m_blockSize - 1) / m_blockSize * m_blockSize;
        m_bytes += stored.leftJustified(padded, '\0');
        return block;
    }
    QByteArray &Bytes() { return m_bytes; }
    MemoLayout Layout() const { return m_kind == FoxPro ? MemoLayout::Fpt : MemoLayout::Dbt; }

private:
    Kind m_kind;
    int m_blockSize;
    QByteArray m_bytes;
};

class DbaseMemo : public testing::Test
{
protected:
    ScriptedServices services;
    ScopedServices scope{&services};
    TempFile store = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
    CDataTable table;

    // A table with a C field and one memo field of 10 digits (4 binary bytes
    // with Visual FoxPro's version byte), one record per block number.
    static QByteArray TableNaming(const std::vector<quint32> &blocks, char version = char(0x83))
    {
        const bool binary = version == 0x30;
        const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 4}, {"NOTIZ", 'M', binary ? 4 : 10}};
        QByteArray records;
        for (quint32 block : blocks) {
            const QByteArray number = binary       ? Le32(block)
                                      : block == 0 ? QByteArray(10, ' ')
                                                   : QByteArray::number(block).rightJustified(10, ' ');
            records += " Satz" + number;
        }
        return DbaseFile(fields, records, quint32(blocks.size()), version);
    }

    int Import(const QByteArray &tableBytes, QByteArray *memo, MemoLayout layout,
               ExchangeCharSet charSet = ExchangeCharSet::Ansi)
    {
        QFile::resize(store.path(), 0);
        QByteArray copy = tableBytes;
        QBuffer tableFile(&copy);
        tableFile.open(QIODevice::ReadOnly);
        QBuffer memoFile(memo);
        memoFile.open(QIODevice::ReadOnly);
        DbaseMemoSource source;
        source.file = memo ? &memoFile : nullptr;
        source.layout = layout;
        source.name = QStringLiteral("TEST.DBT");
        source.objectStore = store.path();
        table.Clear();
        return ImportDbase(table, tableFile, charSet, nullptr, source);
    }

    QByteArray Memo(int record, int field = 1) const
    {
        const std::optional<AnsiString> text = ReadMemo(store.path(), table.GetRecord(record)->GetRawValue(field));
        EXPECT_TRUE(text.has_value());
        return QByteArray::fromStdString(text.value_or(AnsiString()));
    }
    QString LossText() const
    {
        for (const auto &message : services.messages()) {
            if (message.id == 523)
                return message.text;
        }
        return QString();
    }
};

// Texts several times larger than the reader's pieces, and end markers on
// each side of a piece boundary, arrive whole in all three layouts.
TEST_F(DbaseMemo, TextsArriveWholeInEveryLayout)
{
    const int piece = 16 * 1024;
    std::vector<QByteArray> texts = {"Erste Zeile\r\nzweite Zeile", QByteArray(5 * piece + 7, 'x')};
    for (int delta : {-1, 0, 1}) {
        // The text of the second block starts 512 bytes in: its end marker
        // lies at piece + delta.
        texts.push_back(QByteArray(piece - 512 + delta, 'y'));
    }
    for (auto kind : {MemoBuilder::Dbase3, MemoBuilder::Dbase4, MemoBuilder::FoxPro}) {
        SCOPED_TRACE(int(kind));
        MemoBuilder memo(kind);
        std::vector<quint32> blocks = {0};
        for (const QByteArray &text : texts)
            blocks.push_back(memo.Add(text));
        const char version = kind == MemoBuilder::Dbase4 ? char(0x8B) : kind == MemoBuilder::FoxPro ? char(0xF5) : 0x83;
        ASSERT_EQ(Import(TableNaming(blocks, version), &memo.Bytes(), memo.Layout()), 1);
        EXPECT_TRUE(services.messages().empty());
        ASSERT_EQ(table.GetFieldType(1), FT_MEMO);
        EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), "");
        for (std::size_t k = 0; k < texts.size(); ++k)
            EXPECT_EQ(Memo(int(k + 1)), texts[k]) << k;
    }
}

// Visual FoxPro's binary block numbers, a block named twice stored once, and
// texts converted from the table's code page.
TEST_F(DbaseMemo, BinaryBlockNumbersSharedBlocksAndCodePage)
{
    MemoBuilder memo(MemoBuilder::FoxPro);
    const quint32 first = memo.Add("Gr\x81\xE1\x65");
    QByteArray bytes = TableNaming({first, 0, first}, 0x30);
    ASSERT_EQ(Import(bytes, &memo.Bytes(), MemoLayout::Fpt), 1);
    EXPECT_EQ(Memo(0), "Gr\x81\xE1\x65"); // language byte 0: Windows-1252 as set
    EXPECT_EQ(table.GetRecord(2)->GetRawValue(1), table.GetRecord(0)->GetRawValue(1));

    bytes[29] = 0x02; // code page 850
    ASSERT_EQ(Import(bytes, &memo.Bytes(), MemoLayout::Fpt), 1);
    EXPECT_EQ(Memo(0), "Gr\xFC\xDF\x65");
}

// Each damage alone makes the memo field keep its block numbers, reported
// once; what was stored for the field is taken back.
TEST_F(DbaseMemo, DamagedMemoFilesKeepTheBlockNumbers)
{
    struct Case
    {
        const char *what;
        MemoBuilder::Kind kind;
        std::function<void(QByteArray &memo, std::vector<quint32> &blocks)> damage;
    };
    const Case cases[] = {
            {"block past the end", MemoBuilder::Dbase3,
             [](QByteArray &memo, std::vector<quint32> &blocks) { blocks.push_back(quint32(memo.size() / 512)); }},
            {"block inside the header", MemoBuilder::FoxPro,
             [](QByteArray &, std::vector<quint32> &blocks) { blocks.push_back(3); }},
            {"length 2^32 - 1", MemoBuilder::FoxPro,
             [](QByteArray &memo, std::vector<quint32> &) { memo.replace(512 + 4, 4, Be32(0xFFFFFFFFu)); }},
            {"length past the end", MemoBuilder::Dbase4,
             [](QByteArray &memo, std::vector<quint32> &) { memo.replace(512 + 4, 4, Le32(quint32(memo.size()))); }},
            {"length shorter than the block head", MemoBuilder::Dbase4,
             [](QByteArray &memo, std::vector<quint32> &) { memo.replace(512 + 4, 4, Le32(7)); }},
            {"blocks inside each other", MemoBuilder::FoxPro,
             [](QByteArray &memo, std::vector<quint32> &) {
                 // The first text claims the rest of the file, which holds
                 // the second.
                 memo.replace(512 + 4, 4, Be32(quint32(memo.size() - 512 - 8)));
             }},
            {"no block number", MemoBuilder::Dbase3,
             [](QByteArray &, std::vector<quint32> &blocks) { blocks.push_back(0xFFFFFFFFu); }},
            {"header cut short", MemoBuilder::Dbase3,
             [](QByteArray &memo, std::vector<quint32> &) { memo.resize(500); }},
            {"block size 0", MemoBuilder::FoxPro,
             [](QByteArray &memo, std::vector<quint32> &) { memo[6] = 0, memo[7] = 0; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        services.clear();
        MemoBuilder memo(c.kind);
        std::vector<quint32> blocks = {memo.Add("eins"), memo.Add("zwei")};
        c.damage(memo.Bytes(), blocks);
        std::vector<quint32> numbers = blocks;
        QByteArray bytes = TableNaming(blocks, c.kind == MemoBuilder::Dbase4 ? char(0x8B) : char(0x83));
        if (std::string(c.what) == "no block number")
            bytes.replace(bytes.size() - 11, 10, "      12x4");
        ASSERT_EQ(Import(bytes, &memo.Bytes(), memo.Layout()), 1);
        EXPECT_EQ(table.GetFieldType(1), FT_TEXT);
        EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), std::to_string(numbers[0]));
        EXPECT_TRUE(LossText().contains(QStringLiteral("Die Memodatei TEST.DBT ist beschädigt; die Memofelder NOTIZ")))
                << LossText().toStdString();
        EXPECT_LE(QFile(store.path()).size(), 10);
    }

    // Without a memo file the numbers stay and the message says why; a memo
    // field without a single number is a memo field all the same.
    services.clear();
    ASSERT_EQ(Import(TableNaming({5}), nullptr, MemoLayout::Dbt), 1);
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), "5");
    EXPECT_TRUE(LossText().contains(QStringLiteral("Die Memodatei fehlt")));
    services.clear();
    ASSERT_EQ(Import(TableNaming({0}), nullptr, MemoLayout::Dbt), 1);
    EXPECT_EQ(table.GetFieldType(1), FT_MEMO);
    EXPECT_TRUE(services.messages().empty());
}

// The memo files of real tables: the listed texts arrive as stored.
TEST_F(DbaseMemo, FixtureMemoFilesGiveTheirTexts)
{
    const QDir dir(FixturesDir() + QStringLiteral("/dbf"));
    const QStringList lists = dir.entryList({QStringLiteral("*.memos.json")});
    ASSERT_EQ(lists.size(), 4);
    for (const QString &name : lists) {
        SCOPED_TRACE(name.toStdString());
        const QString base = name.left(name.size() - int(std::strlen(".memos.json")));
        QFile tableFile(dir.filePath(base + QStringLiteral(".dbf")));
        ASSERT_TRUE(tableFile.open(QIODevice::ReadOnly));
        const QString memoPath = dbase::FindMemoFile(
                tableFile.fileName(), base.endsWith(QStringLiteral("30")) || base.endsWith(QStringLiteral("f5")));
        ASSERT_FALSE(memoPath.isEmpty());
        QFile memoFile(memoPath);
        ASSERT_TRUE(memoFile.open(QIODevice::ReadOnly));
        QByteArray tableBytes = tableFile.readAll();
        QByteArray memoBytes = memoFile.readAll();
        ASSERT_EQ(Import(tableBytes, &memoBytes,
                         memoPath.endsWith(QStringLiteral("fpt")) ? MemoLayout::Fpt : MemoLayout::Dbt),
                  1);
        EXPECT_FALSE(LossText().contains(QStringLiteral("Memodatei")));

        QFile json(dir.filePath(name));
        ASSERT_TRUE(json.open(QIODevice::ReadOnly));
        const QJsonArray memos = QJsonDocument::fromJson(json.readAll()).array();
        ASSERT_FALSE(memos.isEmpty());
        for (const QJsonValue &entry : memos) {
            const QJsonObject memo = entry.toObject();
            const int record = memo["record"].toInt();
            int field = -1;
            for (int k = 0; k < table.GetFieldCount(); ++k) {
                if (table.GetFieldName(k) == memo["field"].toString().toStdString())
                    field = k;
            }
            if (field < 0) {
                // A memo field beyond the 32 fields a table holds.
                EXPECT_EQ(table.GetFieldCount(), 32) << memo["field"].toString().toStdString();
                continue;
            }
            ASSERT_EQ(table.GetFieldType(field), FT_MEMO);
            EXPECT_EQ(Memo(record, field), QByteArray::fromHex(memo["text_hex"].toString().toLatin1()))
                    << record << " " << field;
        }
    }
}

} // namespace
