// What "Nummer wählen" offers and what it dials: number and name from the
// record, the outside-line prefix and the "tel:" address.
#include "media/Dialling.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <QUrl>

#include <initializer_list>
#include <utility>

using namespace orvel;

namespace {

struct PrefixCase
{
    const char *prefix;
    const char *number;
    const char *dialled;
};

TEST(DialPrefix, GoesInFrontUnlessTheNumberIsInternational)
{
    const PrefixCase cases[] = {
            {"0", "0761 123456", "00761 123456"}, // the outside line before the area code
            {"0", "+49 761 123456", "+49 761 123456"},
            {"0", "  +49 761", "  +49 761"}, // blanks before the plus do not count
            {"", "0761 123456", "0761 123456"},
            {"0,", "0761", "0,0761"}, // a pause comma of old is kept here, dropped in the address
            {"9", "", "9"},
    };
    for (const PrefixCase &c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(ApplyDialPrefix(QString::fromUtf8(c.number), QString::fromUtf8(c.prefix)),
                  QString::fromUtf8(c.dialled));
    }
}

TEST(DialPrefix, ANumberWithoutDigitsIsNothingToDial)
{
    EXPECT_FALSE(HasDialDigits(QString()));
    EXPECT_FALSE(HasDialDigits(QStringLiteral("Müller / -")));
    EXPECT_TRUE(HasDialDigits(QStringLiteral("Zentrale 1")));
}

TEST(TelUrl, KeepsOnlyDigitsPlusStarAndHash)
{
    const std::pair<const char *, const char *> cases[] = {
            {"0,0761 / 123-45", "tel:0076112345"},
            {"+49 (761) 12 34", "tel:+497611234"},
            {"*31#0761", "tel:*31%230761"},
            {"Zentrale: 0221.555", "tel:0221555"},
            {"Müller", "tel:"},
    };
    for (const auto &[number, url] : cases) {
        SCOPED_TRACE(number);
        EXPECT_EQ(TelUrlFromNumber(QString::fromUtf8(number)), QString::fromUtf8(url));
    }
    // The "#" stays in the number instead of starting a fragment.
    const QUrl url(TelUrlFromNumber(QStringLiteral("*31#0761")), QUrl::StrictMode);
    ASSERT_TRUE(url.isValid());
    EXPECT_FALSE(url.hasFragment());
    EXPECT_EQ(url.path(), QStringLiteral("*31#0761"));
}

class DialRequestTest : public testing::Test
{
protected:
    void addField(const char *name, int type = FT_TEXT)
    {
        const int pos = table.InsertField(name);
        table.SetFieldType(type, pos);
    }
    void addRecord(std::initializer_list<const char *> values)
    {
        auto record = table.CreateRecord(false);
        int pos = 0;
        for (const char *value : values)
            record->SetRawValue(value, pos++);
        table.AddRecord(std::move(record));
    }
    DialRequest request(int record, int field) const { return PrepareDialRequest(table, record, field, "name"); }

    CDataTable table;
};

TEST_F(DialRequestTest, TheNumberIsTheCurrentFieldAndTheNameTheFirstNameField)
{
    addField("Ort");
    addField("Telefon");
    addField("Vorname");
    addField("FIRMENNAME");
    addRecord({"K\xF6ln", "0221 123456", "Anna", "M\xFCller GmbH"});
    const DialRequest dial = request(0, 1);
    EXPECT_EQ(dial.number, QStringLiteral("0221 123456"));
    // "Vorname" comes first in the field order; the case does not matter.
    EXPECT_EQ(dial.name, QStringLiteral("Anna"));
    // The current field is dialled whatever it holds.
    EXPECT_EQ(request(0, 0).number, QStringLiteral("Köln"));
}

TEST_F(DialRequestTest, WithoutANameFieldTheFirstFieldNamesTheCall)
{
    addField("Firma");
    addField("Telefon");
    addRecord({"B\xE4"
               "ckerei Sch\xE4"
               "fer",
               "089 987654"});
    EXPECT_EQ(request(0, 1).name, QStringLiteral("Bäckerei Schäfer"));
}

TEST_F(DialRequestTest, MediaFieldsGiveNeitherNumberNorName)
{
    addField("Name", FT_MEMO);
    addField("Telefon");
    addField("Notiz", FT_MEMO);
    addRecord({"17", "0761 1", "42"});
    const DialRequest fromMemo = request(0, 2);
    EXPECT_TRUE(fromMemo.number.isEmpty());
    // The name field is a memo: its key is no name.
    EXPECT_TRUE(fromMemo.name.isEmpty());
    EXPECT_EQ(request(0, 1).number, QStringLiteral("0761 1"));
}

TEST_F(DialRequestTest, NoRecordOrNoFieldGivesAnEmptyDialog)
{
    addField("Telefon");
    for (const auto &[record, field] : {std::pair{-1, 0}, std::pair{0, 0}, std::pair{0, -1}}) {
        const DialRequest dial = request(record, field);
        EXPECT_TRUE(dial.number.isEmpty());
        EXPECT_TRUE(dial.name.isEmpty());
    }
}

} // namespace
