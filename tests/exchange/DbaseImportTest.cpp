#include "DbaseTestSupport.h"

#include "platform/Codepage.h"
#include "platform/ScriptedServices.h"
#include "support/TestEnvironment.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstring>
#include <optional>

using namespace orvel;
using namespace orvel::test;

namespace {

// The JSON holds one latin-1 character per file byte.
AnsiString FileBytes(const QJsonValue &text)
{
    return text.toString().toLatin1().toStdString();
}

// A value as the table keeps it: numbers without leading blanks or NUL
// padding ("*" overflow empty), every value without trailing blanks.
AnsiString StoredValue(AnsiString value, char type)
{
    if (type == 'N' || type == 'F') {
        std::replace(value.begin(), value.end(), '\0', ' ');
        if (value.find('*') != AnsiString::npos)
            value.clear();
        value.erase(0, std::min(value.find_first_not_of(' '), value.size()));
    }
    const std::size_t last = value.find_last_not_of(' ');
    value.resize(last == AnsiString::npos ? 0 : last + 1);
    return value;
}

int ExpectedType(char type)
{
    return type == 'N' || type == 'F' ? FT_NUMERIC : type == 'D' ? FT_DATE : FT_TEXT;
}

bool LeftOut(char type)
{
    return type == 'G' || type == 'P' || type == '0';
}

bool IsAscii(const AnsiString &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void CheckFixture(const QJsonObject &expected, const QString &path, ExchangeCharSet charSet)
{
    ScriptedServices services;
    ScopedServices scope(&services);
    CDataTable table;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const int result = ImportDbase(table, file, charSet, nullptr);

    const int version = expected["version_byte"].toInt();
    if (version == 0x04) {
        EXPECT_EQ(result, kDbaseVersionRefused);
        EXPECT_EQ(services.messageIds(), std::vector<int>{565});
        EXPECT_EQ(table.GetFieldCount(), 0);
        EXPECT_EQ(table.GetRecordCount(), 0);
        return;
    }
    ASSERT_EQ(result, 1);
    // Windows-1252 tables are taken as they are, tables without a language
    // byte as the setting says; in other code pages only ASCII is compared
    // here (the conversions have their own tests).
    const int language = expected["language_driver_byte_hex"].toString().toInt(nullptr, 16);
    const bool ansi = language == 0x03 || language == 0x57 || language == 0x58 || language == 0x59;
    const bool setting = language == 0 || language == 0xF0 || version == 2;
    const bool dos = setting && charSet == ExchangeCharSet::Dos;
    const auto text = [&](const AnsiString &bytes) -> std::optional<AnsiString> {
        if (ansi || (setting && !dos))
            return bytes;
        if (dos)
            return OemToCharA(bytes);
        return IsAscii(bytes) ? std::optional<AnsiString>(bytes) : std::nullopt;
    };

    // The fields a table takes: the first 32 that are no binary data.
    const QJsonArray fields = expected["fields"].toArray();
    std::vector<int> taken;
    for (int d = 0; d < fields.size() && taken.size() < 32; ++d) {
        if (!LeftOut(fields[d].toObject()["type"].toString().toLatin1().at(0)))
            taken.push_back(d);
    }
    ASSERT_EQ(table.GetFieldCount(), int(taken.size()));
    const bool deleted = expected["deleted_record_count"].toInt() > 0;
    EXPECT_EQ(services.sawMessage(566), deleted);
    EXPECT_EQ(table.GetMarkedCount(), expected["deleted_record_count"].toInt());
    if (fields.size() > 32) {
        EXPECT_TRUE(services.sawMessage(523));
    }

    std::vector<char> types;
    for (int k = 0; k < int(taken.size()); ++k) {
        const QJsonObject field = fields[taken[std::size_t(k)]].toObject();
        const char type = field["type"].toString().toLatin1().at(0);
        types.push_back(type);
        if (const auto name = text(FileBytes(field["name"]))) {
            EXPECT_EQ(table.GetFieldName(k), *name) << k;
        }
        if (type != 'M') {
            EXPECT_EQ(table.GetFieldType(k), ExpectedType(type)) << k;
        }
        EXPECT_EQ(table.GetDbaseLength(k), field["length"].toInt()) << k;
        if (type == 'N') {
            EXPECT_EQ(table.GetFieldFormat(k), field["decimals"].toInt()) << k;
        }
    }

    EXPECT_EQ(table.GetRecordCount(), expected["record_count_header"].toInt());
    std::vector<std::pair<int, QJsonObject>> listed;
    if (expected.contains("records")) {
        const QJsonArray records = expected["records"].toArray();
        for (int i = 0; i < records.size(); ++i)
            listed.emplace_back(i, records[i].toObject());
    } else {
        const QJsonObject samples = expected["sample_records"].toObject();
        for (const QString &key : samples.keys())
            listed.emplace_back(key.toInt(), samples[key].toObject());
    }
    for (const auto &[index, record] : listed) {
        const CDataRecord *imported = table.GetRecord(index);
        ASSERT_NE(imported, nullptr) << index;
        EXPECT_EQ(imported->IsMarked(), record["deleted"].toBool()) << index;
        const QJsonArray values = record["values"].toArray();
        for (int k = 0; k < int(taken.size()); ++k) {
            const char type = types[std::size_t(k)];
            if (type != 'C' && type != 'N' && type != 'F' && type != 'D' && type != 'L')
                continue;
            const AnsiString value = StoredValue(FileBytes(values[taken[std::size_t(k)]]), type);
            if (const auto converted = type == 'C' || type == 'L' ? text(value) : std::optional<AnsiString>(value)) {
                EXPECT_EQ(imported->GetRawValue(k), *converted) << "record " << index << ", field " << k;
            }
        }
    }
}

} // namespace

// Files written by other programs read as their layout describes, in both
// character sets; dBASE 7 is refused with its version named.
TEST(DbaseImport, FixturesReadAsTheirLayoutDescribes)
{
    const QDir dir(FixturesDir() + QStringLiteral("/dbf"));
    const QStringList expectations = dir.entryList({QStringLiteral("*.expected.json")});
    ASSERT_EQ(expectations.size(), 21);
    for (const QString &name : expectations) {
        QFile json(dir.filePath(name));
        ASSERT_TRUE(json.open(QIODevice::ReadOnly));
        const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
        const QString path = dir.filePath(expected["file"].toString());
        SCOPED_TRACE(name.toStdString());
        CheckFixture(expected, path, ExchangeCharSet::Ansi);
        CheckFixture(expected, path, ExchangeCharSet::Dos);
    }
}

TEST(DbaseImport, FieldsTakeTypesWidthsAndValuesFromTheDescriptors)
{
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 3},  {"LANGERNAME", 'C', 4}, {"BETRAG", 'N', 8, 2},
                                                {"DATUM", 'D', 8}, {"OK", 'L', 1},         {"NOTIZ", 'C', 255}};
    const QByteArray note(255, 'x');
    const QByteArray records =
            DbaseRecord(fields, {"M\x81ller", "ab", "   12.50", "19961224", "T", note}) + DbaseRecord(fields, {}, '*');
    ScriptedServices services;
    ScopedServices scope(&services);
    CDataTable table;
    ASSERT_EQ(ImportBytes(table, DbaseFile(fields, records, 2), ExchangeCharSet::Dos), 1);

    EXPECT_EQ(table.GetFieldType(2), FT_NUMERIC);
    EXPECT_EQ(table.GetFieldFormat(2), 2);
    EXPECT_EQ(table.GetFieldType(3), FT_DATE);
    EXPECT_EQ(table.GetFieldType(4), FT_TEXT);
    // Text fields are as wide as their name or their length, others 18.
    EXPECT_EQ(table.GetColumnWidth(0), 4);
    EXPECT_EQ(table.GetColumnWidth(1), 10);
    EXPECT_EQ(table.GetColumnWidth(2), 18);
    EXPECT_EQ(table.GetTotalWidth(), 4 + 10 + 18 * 3 + 255);

    ASSERT_EQ(table.GetRecordCount(), 2); // the deleted one too, marked
    const CDataRecord &first = *table.GetRecord(0);
    EXPECT_EQ(first.GetRawValue(0), "M\xFCl"); // cut at the field length, from DOS
    EXPECT_EQ(first.GetRawValue(1), "ab");
    EXPECT_EQ(first.GetRawValue(2), "12.50");
    EXPECT_EQ(first.GetRawValue(3), "19961224");
    EXPECT_EQ(first.GetRawValue(5), note.toStdString()); // 255 bytes arrive whole
    EXPECT_EQ(table.GetRecord(1)->GetRawValue(0), "");
    EXPECT_EQ(services.messageIds(), std::vector<int>{566});
}

TEST(DbaseImport, MoreThan30000RecordsReadTheFirst30000AfterMessage511)
{
    const std::vector<DbaseFieldSpec> fields = {{"NR", 'N', 6}};
    QByteArray records;
    for (int i = 1; i <= 40000; ++i)
        records += DbaseRecord(fields, {QByteArray::number(i).rightJustified(6, ' ')});
    ScriptedServices services;
    ScopedServices scope(&services);
    auto progress = services.beginProgress(0, 0, 0);
    services.clear();
    CDataTable table;
    ASSERT_EQ(ImportBytes(table, DbaseFile(fields, records, 40000), ExchangeCharSet::Ansi, progress.get()), 1);

    EXPECT_EQ(services.messageIds(), std::vector<int>{511});
    ASSERT_EQ(table.GetRecordCount(), 30000);
    EXPECT_EQ(table.GetTotalHeight(), 30000);
    EXPECT_EQ(table.GetRecord(29999)->GetRawValue(0), "30000");
    const auto &events = services.progress();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].kind, ScriptedServices::ProgressEvent::Caption);
    EXPECT_EQ(events[0].a, 417);
    EXPECT_EQ(events[1].kind, ScriptedServices::ProgressEvent::Range);
    EXPECT_EQ(events[1].b, 30000);
    EXPECT_EQ(events[2].a, 300);
    EXPECT_EQ(events.back().a, 30000);
}

// Whatever the header claims, nothing is read outside the file: a header
// that cannot be right is refused, records that are missing are reported.
// A seekable device over bytes in memory whose reads fail with an error
// from `failAt` on (a disk that cannot read a sector).
class UnreadableFrom : public QIODevice
{
public:
    UnreadableFrom(const QByteArray &bytes, qint64 failAt)
        : m_bytes(bytes)
        , m_failAt(failAt)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 size() const override { return m_bytes.size(); }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = std::min(max, m_bytes.size() - pos());
        if (pos() + n > m_failAt)
            return -1;
        std::memcpy(data, m_bytes.constData() + pos(), std::size_t(n));
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_failAt;
};

// A read that fails with an error fails the import and leaves the table
// empty; reading up to that place works as before.
TEST(DbaseImport, AReadErrorFailsTheImport)
{
    // Larger than the header's read, so that the errors come while records
    // are read.
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 100}};
    QByteArray records;
    for (int i = 0; i < 3000; ++i)
        records += DbaseRecord(fields, {QByteArray::number(i)});
    const QByteArray bytes = DbaseFile(fields, records, 3000);
    ScriptedServices services;
    ScopedServices scope(&services);
    ASSERT_GT(bytes.size(), 4 * 65536);
    for (const qint64 failAt : {bytes.size() - 5, bytes.size() / 2, qint64(70000)}) {
        UnreadableFrom device(bytes, failAt);
        CDataTable table;
        EXPECT_EQ(ImportDbase(table, device, ExchangeCharSet::Ansi, nullptr, 4096), 0) << failAt;
        EXPECT_EQ(table.GetRecordCount(), 0) << failAt;
    }
    UnreadableFrom readable(bytes, bytes.size());
    CDataTable table;
    EXPECT_EQ(ImportDbase(table, readable, ExchangeCharSet::Ansi, nullptr, 4096), 1);
    EXPECT_EQ(table.GetRecordCount(), 3000);
}

TEST(DbaseImport, DamagedHeadersAreRefusedOrReadWithinTheFile)
{
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 5}, {"NR", 'N', 3}};
    const QByteArray good =
            DbaseFile(fields, DbaseRecord(fields, {"Anna", "  1"}) + DbaseRecord(fields, {"Bernd", "  2"}), 2);
    const auto import = [](const QByteArray &bytes, int &records) {
        CDataTable table;
        const int result = ImportBytes(table, bytes);
        records = table.GetRecordCount();
        if (result == 0) {
            EXPECT_EQ(table.GetFieldCount(), 0);
        }
        return result;
    };
    ScriptedServices services;
    ScopedServices scope(&services);
    int records = 0;

    QByteArray bytes = good;
    PutLe(bytes, 8, 31, 2); // header shorter than its fixed part
    EXPECT_EQ(import(bytes, records), 0);
    PutLe(bytes, 8, quint32(good.size() + 1), 2); // header past the end
    EXPECT_EQ(import(bytes, records), 0);
    EXPECT_EQ(import(good.left(20), records), 0);
    bytes = good;
    bytes[0] = 2; // dBASE II needs its 521-byte header
    EXPECT_EQ(import(bytes, records), 0);
    EXPECT_EQ(import(QByteArray(), records), 0);
    EXPECT_TRUE(services.messages().empty());

    // The record length in the header is not what the records go by.
    bytes = good;
    PutLe(bytes, 10, 0, 2);
    EXPECT_EQ(import(bytes, records), 1);
    EXPECT_EQ(records, 2);

    // A file cut short: the whole records that are there, and a note.
    EXPECT_EQ(import(good.left(good.size() - 5), records), 1);
    EXPECT_EQ(records, 1);
    ASSERT_EQ(services.messageIds(), std::vector<int>{523});
    EXPECT_TRUE(services.messages()[0].text.contains(QStringLiteral("1 von 2")));
    services.clear();

    // A count far beyond the file: a file cut short, not one too large.
    bytes = good;
    PutLe(bytes, 4, 0xFFFFFFFFu, 4);
    EXPECT_EQ(import(bytes, records), 1);
    EXPECT_EQ(records, 2);
    EXPECT_EQ(services.messageIds(), std::vector<int>{523});
}

// A file whose descriptors end without their terminator: the header length
// ends them, and the records after it never read as a further field.
TEST(DbaseImport, DescriptorsEndAtTheHeaderLengthWithoutATerminator)
{
    const std::vector<DbaseFieldSpec> fields = {{"NAME", 'C', 40}};
    QByteArray bytes = DbaseFile(fields, {}, 1);
    bytes.chop(2); // terminator and end marker
    PutLe(bytes, 8, quint32(bytes.size()), 2);
    // The record's first bytes are no terminator: read as a descriptor they
    // would make a field " ORT".
    const QByteArray record = DbaseRecord(fields, {"ORT"});
    ASSERT_EQ(record.size(), 41);
    bytes += record;
    ScriptedServices services;
    ScopedServices scope(&services);
    CDataTable table;
    ASSERT_EQ(ImportBytes(table, bytes), 1);
    ASSERT_EQ(table.GetFieldCount(), 1);
    EXPECT_EQ(table.GetFieldName(0), "NAME");
    ASSERT_EQ(table.GetRecordCount(), 1);
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(0).substr(0, 3), "ORT");
}
