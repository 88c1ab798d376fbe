// CSV files written by other programs. Each must read as an independent
// RFC 4180 reading of its bytes says (values in their columns, whatever the
// quoting and line ends), and each must survive a round trip through an
// export and a second import with every value.
#include "CsvTestSupport.h"

#include "exchange/CsvValueRules.h"
#include "platform/Codepage.h"
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

struct CsvFixture
{
    QString name;
    std::string bytes;
    char delimiter = ',';
    bool validUtf8 = true;
    CsvRows reference; // blank lines left out
};

std::vector<CsvFixture> LoadCsvFixtures()
{
    std::vector<CsvFixture> fixtures;
    const QDir dir(FixturesDir() + QStringLiteral("/csv"));
    for (const QString &name : dir.entryList({QStringLiteral("*.csv"), QStringLiteral("*.tsv")}, QDir::Files)) {
        CsvFixture fixture;
        fixture.name = name;
        QFile file(dir.filePath(name));
        QFile json(dir.filePath(name + QStringLiteral(".expected.json")));
        if (!file.open(QIODevice::ReadOnly) || !json.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        fixture.bytes.assign(bytes.constData(), std::size_t(bytes.size()));
        const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
        fixture.delimiter = FixtureBytes(expected.value(QStringLiteral("field_delimiter")).toString()).front();
        fixture.validUtf8 =
                expected.value(QStringLiteral("bytes")).toObject().value(QStringLiteral("valid_utf8")).toBool();
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

// A reference value as the table keeps it: in Windows-1252, without NUL
// bytes and trailing blanks, a BOM before the first name gone.
std::string Expected(const std::string &bytes, bool utf8)
{
    std::string text = bytes;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    if (utf8)
        text = QStringToAnsi(QString::fromUtf8(text.data(), qsizetype(text.size())));
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

class CsvFixtures : public CsvTest
{
protected:
    const CsvFixture &Find(const char *name)
    {
        for (const CsvFixture &fixture : fixtures) {
            if (fixture.name == QLatin1String(name))
                return fixture;
        }
        ADD_FAILURE() << "missing fixture " << name;
        return fixtures.front();
    }
    std::vector<CsvFixture> fixtures = LoadCsvFixtures();
};

TEST_F(CsvFixtures, EveryFileReadsAsAnIndependentReadingSays)
{
    ASSERT_EQ(fixtures.size(), 19u);
    for (const CsvFixture &fixture : fixtures) {
        SCOPED_TRACE(fixture.name.toStdString());
        const CsvRows rows = Import(fixture.bytes);
        EXPECT_EQ(info.delimiter, fixture.delimiter);
        EXPECT_STREQ(info.encoding, fixture.validUtf8 ? "UTF-8" : "Windows-1252");
        // The quotes of this one are escaped with backslashes, which RFC
        // 4180 does not know; it is looked at below.
        if (fixture.name == QLatin1String("univocity_european.csv"))
            continue;
        const CsvRows &reference = fixture.reference;
        ASSERT_EQ(rows.size(), reference.size());
        std::size_t width = 0;
        for (const auto &row : reference)
            width = std::max(width, row.size());
        ASSERT_EQ(table.GetFieldCount(), int(std::min<std::size_t>(width, kMaxFields)));
        for (std::size_t k = 0; k < reference.front().size(); ++k) {
            const std::string name = Expected(reference.front()[k], fixture.validUtf8);
            if (!name.empty() && name.size() <= 32 && name.front() != ' ') {
                EXPECT_EQ(rows.front()[k], name);
            }
        }
        for (std::size_t r = 1; r < reference.size(); ++r) {
            for (int k = 0; k < table.GetFieldCount(); ++k) {
                const std::size_t column = std::size_t(k);
                std::string expected = column < reference[r].size() ? Expected(reference[r][column], fixture.validUtf8)
                                                                    : std::string();
                // Numbers and dates are kept in their stored form.
                if (table.GetFieldType(k) == FT_NUMERIC && !expected.empty()) {
                    CsvNumber number;
                    ASSERT_TRUE(ParseCsvNumber(expected, CsvDecimalSeparator(info.delimiter),
                                               CsvGroupSeparator(info.delimiter), number));
                    expected = number.stored;
                }
                EXPECT_EQ(rows[r][column], expected) << "record " << r << ", field " << k;
            }
        }
    }
}

TEST_F(CsvFixtures, TheirOwnRulesDecideWhatTheBytesLeaveOpen)
{
    // Backslash-escaped quotes are no escapes: they end the quoted value,
    // and one line holds a value more, as other RFC 4180 readers see it.
    // Semicolons, decimal commas and a line break inside quotes are read as
    // a German spreadsheet writes them.
    const CsvRows european = Import(Find("univocity_european.csv").bytes);
    EXPECT_EQ(Types(), (std::vector<int>{FT_NUMERIC, FT_TEXT, FT_TEXT, FT_TEXT, FT_NUMERIC, FT_NUMERIC}));
    EXPECT_EQ(table.GetFieldFormat(4), 2);
    ASSERT_EQ(european.size(), 6u);
    EXPECT_EQ(european[0].back(), "Feld 6");
    EXPECT_EQ(european[1], (std::vector<std::string>{"1997", "Ford", "E350", "ac; abs; moon", "3000.00", ""}));
    EXPECT_EQ(european[3][3], "MUST SELL!\nair; moon roof; loaded");
    EXPECT_EQ(european[4], (std::vector<std::string>{"1999", "Chevy", "Venture \\Extended Edition", " Very Large\\\"\"",
                                                     "", "5000.00"}));

    const CsvRows locale = Import(Find("csvkit_test_locale.csv").bytes);
    EXPECT_EQ(locale[1], (std::vector<std::string>{"1,7", "200.000.000", ""}));

    Import(Find("csvkit_test_utf8_bom.csv").bytes);
    EXPECT_EQ(table.GetPlainFieldName(0), "foo");

    Import(Find("spectrum_comma_in_quotes.csv").bytes);
    EXPECT_EQ(table.GetFieldType(4), FT_TEXT); // the postcode 08123
}

TEST_F(CsvFixtures, EachExportReadsBackWithEveryValue)
{
    for (const CsvFixture &fixture : fixtures) {
        SCOPED_TRACE(fixture.name.toStdString());
        const CsvRows first = Import(fixture.bytes);
        const std::vector<int> types = Types();
        // With the file's own delimiter, numbers are written as they were
        // read. (With another one a text such as "1,7" may read back as a
        // number: that is the pairing of delimiter and decimal separator.)
        const int own = info.delimiter;
        for (const CsvOptions &options :
             {CsvOptions{own, CsvEncoding::Utf8, true}, CsvOptions{own, CsvEncoding::Windows1252, false},
              CsvOptions{own, CsvEncoding::Utf8, false}}) {
            SCOPED_TRACE(options.fieldDelimiter);
            Import(fixture.bytes);
            const std::string exported = Export(options);
            EXPECT_EQ(Import(exported, options), first);
            EXPECT_EQ(Types(), types);
        }
    }
}

} // namespace
