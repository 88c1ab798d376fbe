// Delimited text written by other programs. Where a file's meaning is plain
// (every line the same number of non-empty values, no line breaks or TABs
// inside values) the import must agree with an independent CSV reading;
// elsewhere our own rules decide, and the expected values are spelled out.
#include "SdfTestSupport.h"

#include "support/TestEnvironment.h"
#include "table/TableLimits.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orvel;
using namespace orvel::test;

namespace {

struct Fixture
{
    QString name;
    std::string bytes;
    char field = ',';
    char data = '"';
    Rows reference; // blank lines left out
};

std::vector<Fixture> LoadFixtures()
{
    std::vector<Fixture> fixtures;
    const QDir dir(FixturesDir() + QStringLiteral("/csv"));
    for (const QString &name : dir.entryList({QStringLiteral("*.csv"), QStringLiteral("*.tsv")}, QDir::Files)) {
        Fixture fixture;
        fixture.name = name;
        QFile file(dir.filePath(name));
        QFile json(dir.filePath(name + QStringLiteral(".expected.json")));
        if (!file.open(QIODevice::ReadOnly) || !json.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        fixture.bytes.assign(bytes.constData(), std::size_t(bytes.size()));
        const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
        fixture.field = FixtureBytes(expected.value(QStringLiteral("field_delimiter")).toString()).front();
        const QString data = expected.value(QStringLiteral("data_delimiter")).toString();
        if (!data.isEmpty())
            fixture.data = FixtureBytes(data).front();
        for (const QJsonValue &row : expected.value(QStringLiteral("rows")).toArray()) {
            std::vector<std::string> values;
            for (const QJsonValue &value : row.toArray())
                values.push_back(FixtureBytes(value.toString()));
            if (!values.empty())
                fixture.reference.push_back(std::move(values));
        }
        fixtures.push_back(std::move(fixture));
    }
    return fixtures;
}

// True when the CSV reading and ours have no reason to differ.
bool Plain(const Rows &rows)
{
    if (rows.empty() || rows.front().size() > std::size_t(kMaxFields))
        return false;
    for (const auto &row : rows) {
        if (row.size() != rows.front().size())
            return false;
        for (const std::string &value : row) {
            if (value.empty() || value.size() > 254 || value.back() == ' '
                || value.find_first_of("\r\n\t") != std::string::npos)
                return false;
        }
    }
    return true;
}

class SdfFixtures : public SdfTest
{
protected:
    Rows ImportFixture(const char *name, ExchangeCharSet charSet = ExchangeCharSet::Ansi)
    {
        for (const Fixture &fixture : fixtures) {
            if (fixture.name == QLatin1String(name)) {
                table.Clear();
                return Import(fixture.bytes, charSet, fixture.field, fixture.data);
            }
        }
        ADD_FAILURE() << "missing fixture " << name;
        return {};
    }
    std::vector<Fixture> fixtures = LoadFixtures();
};

TEST_F(SdfFixtures, EveryFileImportsWithinTheLimits)
{
    ASSERT_EQ(fixtures.size(), 19u);
    int compared = 0;
    for (const Fixture &fixture : fixtures) {
        for (ExchangeCharSet charSet : {ExchangeCharSet::Ansi, ExchangeCharSet::Dos}) {
            SCOPED_TRACE(fixture.name.toStdString());
            table.Clear();
            const Rows rows = Import(fixture.bytes, charSet, fixture.field, fixture.data);
            EXPECT_GE(table.GetRecordCount(), 1);
            EXPECT_LE(table.GetFieldCount(), kMaxFields);
            if (charSet == ExchangeCharSet::Ansi && Plain(fixture.reference)) {
                EXPECT_EQ(rows, fixture.reference);
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 6);
}

TEST_F(SdfFixtures, RaggedAndEmptyColumns)
{
    // The empty field between 27 and the quoted text vanishes, so the long
    // line fits; the short line starts after its empty first field.
    EXPECT_EQ(ImportFixture("csvkit_bad.csv"), (Rows{{"column_a", "column_b", "column_c"},
                                                     {"1", "27", "I'm too long!"},
                                                     {"I'm too short!", "", ""},
                                                     {"0", "mixed types.... uh oh", "17"}}));
    EXPECT_EQ(ImportFixture("csvkit_test_empty_columns.csv"), (Rows{{"a", "b", "c"}, {"a", "", ""}, {"c", "", ""}}));
    EXPECT_EQ(ImportFixture("spectrum_empty_crlf.csv"), (Rows{{"a", "b", "c"}, {"1", "", ""}, {"2", "3", "4"}}));
    EXPECT_EQ(ImportFixture("csvkit_test_locale.csv"), (Rows{{"a", "b", "c"}, {"1,7", "200.000.000", ""}}));
    EXPECT_FALSE(ReportedLosses());
}

TEST_F(SdfFixtures, LineBreaksInsideValues)
{
    // A quoted value ends with its line; a classic Mac file (CR only) is one
    // long line.
    EXPECT_EQ(ImportFixture("spectrum_newlines_crlf.csv"),
              (Rows{{"a", "b", "c"}, {"1", "2", "3"}, {"Once upon", "", ""}, {"a time\"", "5", "6"}, {"7", "8", "9"}}));
    EXPECT_EQ(ImportFixture("csvkit_mac_newlines.csv"),
              (Rows{{"a", "b", "c1", "2", "3\"Once upona time\"", "5", "6"}}));
}

TEST_F(SdfFixtures, OddBytes)
{
    EXPECT_EQ(ImportFixture("csvkit_null_byte.csv"), (Rows{{"a", "b", "c"}, {std::string(1, '\0'), "2", "3"}}));
    // The byte order mark is data to a reader of single-byte text.
    EXPECT_EQ(ImportFixture("csvkit_test_utf8_bom.csv").at(0).at(0), "\xEF\xBB\xBF"
                                                                     "foo");
    // The file ends with 0xA9: © in Windows-1252, ® in code page 850.
    EXPECT_EQ(ImportFixture("csvkit_test_latin1.csv").at(2).at(2), "\xA9");
    EXPECT_EQ(ImportFixture("csvkit_test_latin1.csv", ExchangeCharSet::Dos).at(2).at(2), "\xAE");
}

} // namespace
