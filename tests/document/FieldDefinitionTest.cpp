// Defining fields: the checks of the field page, the type groups, and the
// document's field operations with the data fields that follow them.
#include "document/DocumentTestSupport.h"

#include "document/FieldDefinition.h"
#include "form/DrawEdit.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"

using namespace orvel;
using namespace orvel::test;

namespace {

FieldDefinition Named(const char *name, int type = FT_TEXT, const char *defaultValue = "")
{
    FieldDefinition definition;
    definition.name = name;
    definition.type = type;
    definition.defaultValue = defaultValue;
    return definition;
}

TEST(FieldDefinitionTest, NamesAndDefaultValuesAreCheckedAgainstTheTable)
{
    COrvelDoc doc;
    AddField(doc, "&Name");
    AddField(doc, "Ort");
    const struct
    {
        const char *what;
        int existing;
        FieldDefinition definition;
        int message;
    } cases[] = {
            {"a fresh name", -1, Named("Telefon"), 0},
            {"empty", -1, Named(""), ids::kMsgFieldNameEmpty},
            {"blanks only", -1, Named("   "), ids::kMsgFieldNameEmpty},
            {"32 characters", -1, Named("abcdefghijklmnopqrstuvwxyz123456"), 0},
            {"33 characters", -1, Named("abcdefghijklmnopqrstuvwxyz1234567"), ids::kMsgFieldNameTooLong},
            {"same plain name", -1, Named("Name"), ids::kMsgDuplicateFieldName},
            {"same name with another mnemonic", -1, Named("N&ame"), ids::kMsgDuplicateFieldName},
            {"differs in case only", -1, Named("name"), 0},
            {"the field keeps its own name", 0, Named("Name"), 0},
            {"renamed onto another field", 1, Named("Name"), ids::kMsgDuplicateFieldName},
            {"a number as default", -1, Named("Betrag", FT_NUMERIC, "12,5"), 0},
            {"letters as a number", -1, Named("Betrag", FT_NUMERIC, "zwölf"), ids::kMsgDefaultValueUnreadable},
            {"a date as default", -1, Named("Tag", FT_DATE, "24.12.1996"), 0},
            {"no date at all", -1, Named("Tag", FT_DATE, "morgen"), ids::kMsgDefaultValueUnreadable},
            {"any text", -1, Named("Notiz", FT_TEXT, "##"), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CheckFieldDefinition(doc.GetTable(), c.existing, c.definition), c.message) << c.what;
}

TEST(FieldDefinitionTest, OnlyTextNumbersAndDatesChangeAmongThemselves)
{
    for (int from = 0; from < kFieldTypeCount; ++from) {
        for (int to = 0; to < kFieldTypeCount; ++to) {
            const bool expected = from == to || (from <= FT_DATE && to <= FT_DATE);
            EXPECT_EQ(CanChangeFieldType(from, to), expected) << from << " -> " << to;
        }
    }
}

TEST(FieldDefinitionTest, CreatingAndChangingAFieldSetsTableAndDataField)
{
    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    AddField(doc, "Name");
    AddRecord(doc, {"Anna"});
    doc.CreateDefaultForm();

    FieldDefinition amount = Named("Betrag", FT_NUMERIC, "1,5");
    amount.decimals = 3;
    amount.framed = false;
    CDrawEdit *field = doc.CreateField(amount, {});
    ASSERT_NE(field, nullptr);
    const CDataTable &table = doc.GetTable();
    EXPECT_EQ(field->fieldIndex, 1);
    EXPECT_EQ(table.GetFieldType(1), FT_NUMERIC);
    EXPECT_EQ(table.GetFieldFormat(1), 3);
    EXPECT_EQ(table.GetPrintFlag(1), 1);
    EXPECT_EQ(table.GetDefaultValue(1), "1,5");
    EXPECT_EQ(field->framed, 0);
    // Below the last data field, two lines further down.
    EXPECT_EQ(field->position.top, doc.GetForm().FindDataField(0)->position.top + 2 * kGeneratedFormLineHeight);

    // Media fields are not printed in lists.
    CDrawEdit *picture = doc.CreateField(Named("Bild", FT_PICTURE), {});
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(table.GetPrintFlag(picture->fieldIndex), 0);

    // A type change keeps the stored values: back again, they show as before.
    doc.GetTable().GetRecord(0)->SetRawValue("12.25", 1);
    FieldDefinition changed = doc.GetFieldDefinition(1);
    EXPECT_EQ(changed.decimals, 3);
    changed.type = FT_DATE;
    changed.dateFormat = 2;
    ASSERT_TRUE(doc.ChangeField(1, changed));
    EXPECT_EQ(table.GetFieldFormat(1), 2);
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), "12.25");
    changed.type = FT_NUMERIC;
    ASSERT_TRUE(doc.ChangeField(1, changed));
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(1), "12.25");

    // A picture field keeps its relative-paths format bit.
    doc.GetTable().SetFieldFormat(kRelativePathsFormatBit, picture->fieldIndex);
    FieldDefinition renamed = doc.GetFieldDefinition(picture->fieldIndex);
    renamed.name = "Foto";
    ASSERT_TRUE(doc.ChangeField(picture->fieldIndex, renamed));
    EXPECT_EQ(table.GetFieldFormat(picture->fieldIndex), kRelativePathsFormatBit);
    EXPECT_EQ(table.GetFieldName(picture->fieldIndex), "Foto");
}

TEST(FieldDefinitionTest, ANewOrderKeepsEveryDataFieldOnItsField)
{
    COrvelDoc doc;
    AddField(doc, "A");
    AddField(doc, "B");
    AddField(doc, "C");
    AddRecord(doc, {"a", "b", "c"});
    doc.CreateDefaultForm();
    std::vector<const CDrawEdit *> fields;
    for (int pos = 0; pos < 3; ++pos)
        fields.push_back(doc.GetForm().FindDataField(pos));

    // The last field to the top.
    ASSERT_TRUE(doc.ApplyFieldOrder({2, 0, 1}));
    const CDataTable &table = doc.GetTable();
    EXPECT_EQ(table.GetFieldName(0), "C");
    EXPECT_EQ(table.GetFieldName(1), "A");
    EXPECT_EQ(table.GetRecord(0)->GetRawValue(0), "c");
    EXPECT_EQ(fields[2]->fieldIndex, 0);
    EXPECT_EQ(fields[0]->fieldIndex, 1);
    EXPECT_EQ(fields[1]->fieldIndex, 2);
    EXPECT_TRUE(doc.IsModified());

    // What is no permutation changes nothing.
    EXPECT_FALSE(doc.ApplyFieldOrder({0, 0, 1}));
    EXPECT_EQ(table.GetFieldName(0), "C");
}

} // namespace
