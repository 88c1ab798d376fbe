#include "DbaseTestSupport.h"

#include "platform/ScriptedServices.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvel;
using namespace orvel::test;

namespace {

class DbaseDialects : public testing::Test
{
protected:
    ScriptedServices services;
    ScopedServices scope{&services};
    CDataTable table;

    int Import(const QByteArray &bytes, ExchangeCharSet charSet = ExchangeCharSet::Ansi)
    {
        table.Clear();
        return ImportBytes(table, bytes, charSet);
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

const std::vector<DbaseFieldSpec> kNameAndNumber = {{"NAME", 'C', 5}, {"NR", 'N', 3}};

QByteArray TwoRecords(char version)
{
    return DbaseFile(kNameAndNumber,
                     DbaseRecord(kNameAndNumber, {"Anna", "  1"}) + DbaseRecord(kNameAndNumber, {"Bernd", "  2"}), 2,
                     version);
}

QByteArray Le(std::uint64_t value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

TEST_F(DbaseDialects, VersionsWithTheDbase3LayoutAreReadOthersNamed)
{
    struct Case
    {
        unsigned char version;
        int result;
        const char *named; // in message 565
    };
    const Case cases[] = {
            {0x03, 1, nullptr},    {0x83, 1, nullptr},
            {0x8B, 1, nullptr},    {0x30, 1, nullptr},
            {0x31, 1, nullptr},    {0x32, 1, nullptr},
            {0xF5, 1, nullptr},    {0x04, -1, "dBASE 7 (Versionsbyte 04h)"},
            {0x8C, -1, "dBASE 7"}, {0x82, -1, "unbekannte Version (Versionsbyte 82h)"},
            {0x07, -1, "07h"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.version));
        services.clear();
        EXPECT_EQ(Import(TwoRecords(char(c.version))), c.result);
        if (c.result == 1) {
            EXPECT_EQ(table.GetRecordCount(), 2);
            EXPECT_EQ(table.GetRecord(1)->GetRawValue(0), "Bernd");
            EXPECT_TRUE(services.messages().empty());
        } else {
            EXPECT_EQ(table.GetFieldCount(), 0);
            ASSERT_EQ(services.messageIds(), std::vector<int>{565});
            EXPECT_TRUE(services.messages()[0].text.contains(QString::fromUtf8(c.named)));
        }
    }
    // A damaged header keeps the plain read error, whatever its version.
    services.clear();
    QByteArray damaged = TwoRecords(0x04);
    PutLe(damaged, 8, quint32(damaged.size() + 1), 2);
    EXPECT_EQ(Import(damaged), 0);
    EXPECT_TRUE(services.messages().empty());
}

// Visual FoxPro's binary fields: numbers and date-times as text, the
// general, picture and null-flag fields left out and named.
TEST_F(DbaseDialects, VisualFoxProBinaryFields)
{
    const std::vector<DbaseFieldSpec> fields = {{"ANZAHL", 'I', 4}, {"PREIS", 'Y', 8},     {"WERT", 'B', 8, 3},
                                                {"ZEIT", 'T', 8},   {"OK", 'L', 1},        {"BILD", 'G', 4},
                                                {"FOTO", 'P', 4},   {"_NullFlags", '0', 1}};
    double value = -1234.5678;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    // 2450442 is 1996-12-24; 45296789 ms are 12:34:56.789.
    const QByteArray first = " " + Le(std::uint32_t(-42), 4) + Le(std::uint64_t(-123456789), 8) + Le(bits, 8)
                             + Le(2450442, 4) + Le(45296789, 4) + "T" + Le(7, 4) + Le(8, 4) + '\0';
    const QByteArray second = " " + Le(2147483647, 4) + Le(50000, 8) + Le(0, 8) + Le(0, 8) + "?" + QByteArray(9, '\0');
    ASSERT_EQ(Import(DbaseFile(fields, first + second, 2, 0x30)), 1);

    ASSERT_EQ(table.GetFieldCount(), 5);
    const int types[] = {FT_NUMERIC, FT_NUMERIC, FT_NUMERIC, FT_TEXT, FT_TEXT};
    const int decimals[] = {0, 4, 3};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(table.GetFieldType(k), types[k]) << k;
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(table.GetFieldFormat(k), decimals[k]) << k;
    const char *expected[2][5] = {{"-42", "-12345.6789", "-1234.568", "1996-12-24 12:34:56", "T"},
                                  {"2147483647", "5.0000", "0.000", "", "?"}};
    for (int i = 0; i < 2; ++i) {
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(table.GetRecord(i)->GetRawValue(k), expected[i][k]) << i << "," << k;
    }
    EXPECT_TRUE(LossText().contains(QStringLiteral("BILD (Typ G), FOTO (Typ P), _NullFlags (Typ 0)")));
}

// Faults of older readings that are mended: each case reads one field.
TEST_F(DbaseDialects, NumbersReadAsTheirFieldsSay)
{
    struct Case
    {
        char type;
        int length;
        int decimals;
        QByteArray bytes;
        const char *value;
    };
    const Case cases[] = {
            {'F', 10, 4, "   -1.2500", "-1.2500"},          // F is numeric like N
            {'N', 6, 0, QByteArray("\0\0\0 42", 6), "42"},  // NUL padding before
            {'N', 6, 0, QByteArray("42\0\0\0\0", 6), "42"}, // and after
            {'N', 6, 2, "******", ""},                      // too wide when written
            {'N', 6, 0, QByteArray(6, '\0'), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        const std::vector<DbaseFieldSpec> fields = {{"BETRAG", c.type, c.length, c.decimals}};
        ASSERT_EQ(Import(DbaseFile(fields, " " + c.bytes, 1)), 1);
        EXPECT_EQ(table.GetFieldType(0), FT_NUMERIC);
        EXPECT_EQ(table.GetFieldFormat(0), c.decimals);
        EXPECT_EQ(table.GetRecord(0)->GetRawValue(0), c.value);
    }
}

// dBASE II: an 8-byte header, 16-byte descriptors, records at 521. Its
// numeric fields keep the decimals of their descriptor.
TEST_F(DbaseDialects, Dbase2DecimalsComeFromTheDescriptor)
{
    QByteArray bytes(521, '\0');
    bytes[0] = 2;
    PutLe(bytes, 1, 1, 2);
    const auto descriptor = [&bytes](int at, const char *name, char type, int length, int decimals) {
        bytes.replace(8 + 16 * at, int(std::strlen(name)), name);
        bytes[8 + 16 * at + 11] = type;
        bytes[8 + 16 * at + 12] = char(length);
        bytes[8 + 16 * at + 15] = char(decimals);
    };
    descriptor(0, "MENGE", 'N', 8, 3);
    descriptor(1, "STUECK", 'N', 4, 0);
    bytes[8 + 32] = '\x0D';
    bytes += QByteArray(" ") + "   1.250" + "  12" + '\x1A';
    ASSERT_EQ(Import(bytes), 1);
    EXPECT_EQ(table.GetFieldFormat(0), 3);
    EXPECT_EQ(table.GetFieldFormat(1), 0);
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(0), "1.250");
}

TEST_F(DbaseDialects, DeletedRecordsComeInMarkedAndCounted)
{
    const QByteArray records = DbaseRecord(kNameAndNumber, {"Anna"}, '*') + DbaseRecord(kNameAndNumber, {"Bernd"})
                               + DbaseRecord(kNameAndNumber, {"Clara"}, '*');
    ASSERT_EQ(Import(DbaseFile(kNameAndNumber, records, 3)), 1);
    ASSERT_EQ(table.GetRecordCount(), 3);
    EXPECT_TRUE(table.GetRecord(0)->IsMarked());
    EXPECT_FALSE(table.GetRecord(1)->IsMarked());
    EXPECT_TRUE(table.GetRecord(2)->IsMarked());
    EXPECT_EQ(table.GetMarkedCount(), 2);
    ASSERT_EQ(services.messageIds(), std::vector<int>{566});
    EXPECT_TRUE(services.messages()[0].text.startsWith(QStringLiteral("2 ")));

    services.clear();
    ASSERT_EQ(Import(TwoRecords(3)), 1);
    EXPECT_EQ(table.GetMarkedCount(), 0);
    EXPECT_TRUE(services.messages().empty());
}

// The end marker is no record even when the header counts it, and a header
// that counts more records than the file holds says so without 511.
TEST_F(DbaseDialects, RecordCountsBeyondTheDataAreACutFile)
{
    // Records of one byte: the end marker would fill a whole record.
    QByteArray bytes = DbaseFile({}, "  ", 3);
    ASSERT_TRUE(bytes.endsWith('\x1A'));
    ASSERT_EQ(Import(bytes), 1);
    EXPECT_EQ(table.GetRecordCount(), 2);
    EXPECT_TRUE(LossText().contains(QStringLiteral("2 von 3")));

    services.clear();
    bytes = TwoRecords(3);
    PutLe(bytes, 4, 40000, 4);
    ASSERT_EQ(Import(bytes), 1);
    EXPECT_EQ(table.GetRecordCount(), 2);
    EXPECT_EQ(services.messageIds(), std::vector<int>{523});
}

// The language byte names the code page of names and values; without one
// the character-set setting decides. Characters Windows-1252 lacks become
// "?" and are counted.
TEST_F(DbaseDialects, LanguageByteDecidesTheCodePage)
{
    struct Case
    {
        unsigned char language;
        ExchangeCharSet setting;
        QByteArray bytes;
        QByteArray value;
        int lost;
    };
    const Case cases[] = {
            {0x01, ExchangeCharSet::Ansi, "\x8E\xE1", "\xC4\xDF", 0},      // 437: Ä ß
            {0x02, ExchangeCharSet::Ansi, "\x99\xD5", "\xD6?", 1},         // 850: Ö, dotless i
            {0x64, ExchangeCharSet::Ansi, "\x84\xA7\x8D", "\xE4\x9E?", 1}, // 852: ä ž Ź
            {0x26, ExchangeCharSet::Ansi, "\x80\xE0", "??", 2},            // 866: Cyrillic
            {0xC8, ExchangeCharSet::Ansi, "\xE4\x8A", "\xE4\x8A", 0},      // 1250: ä, Š
            {0xC9, ExchangeCharSet::Ansi, "\xC0\x80", "??", 2},            // 1251: А, Ђ
            {0x03, ExchangeCharSet::Dos, "\xE4\x81", "\xE4\x81", 0},       // 1252 whatever the setting
            {0x57, ExchangeCharSet::Dos, "\xFC", "\xFC", 0},
            {0x00, ExchangeCharSet::Dos, "\x81", "\xFC", 0}, // the setting: DOS
            {0x00, ExchangeCharSet::Ansi, "\x81", "\x81", 0},
            {0x4D, ExchangeCharSet::Dos, "\x81", "\xFC", 0}, // 936: not converted here
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.language));
        services.clear();
        const std::vector<DbaseFieldSpec> fields = {{"ORT", 'C', 4}};
        QByteArray bytes = DbaseFile(fields, DbaseRecord(fields, {c.bytes}), 1);
        bytes[29] = char(c.language);
        ASSERT_EQ(Import(bytes, c.setting), 1);
        EXPECT_EQ(QByteArray::fromStdString(AnsiString(table.GetRecord(0)->GetRawValue(0))), c.value);
        if (c.lost == 0) {
            EXPECT_TRUE(services.messages().empty());
        } else {
            EXPECT_TRUE(LossText().contains(QStringLiteral("%1 Zeichen").arg(c.lost)));
        }
    }
    // Names follow the same code page.
    const std::vector<DbaseFieldSpec> fields = {{"STRA\xE1\x45", 'C', 4}};
    QByteArray bytes = DbaseFile(fields, DbaseRecord(fields, {}), 1);
    bytes[29] = 0x01;
    ASSERT_EQ(Import(bytes), 1);
    EXPECT_EQ(table.GetFieldName(0), "STRA\xDF\x45");
}

} // namespace
