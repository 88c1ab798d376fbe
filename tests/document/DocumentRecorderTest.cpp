#include "document/DocumentRecorder.h"

#include "DocumentTestSupport.h"
#include "document/OrvelDoc.h"
#include "resources/CommandIds.h"
#include "table/DataRecord.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace orvel;
using namespace orvel::test;

namespace {

struct Pushed
{
    std::unique_ptr<CDocumentStep> step;
    QString name;
    int mergeKey;
};

class DocumentRecorderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        AddField(doc, "Name");
        AddRecord(doc, {"Meier"});
        AddRecord(doc, {"Schulz"});
        doc.GetRecorder().SetSink([this](std::unique_ptr<CDocumentStep> step, const QString &name, int key) {
            pushed.push_back({std::move(step), name, key});
        });
    }

    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    COrvelDoc doc;
    std::vector<Pushed> pushed;
};

TEST_F(DocumentRecorderTest, StepNamesAreTheMenuTextsWithoutMnemonicsAndDots)
{
    const std::pair<int, const char *> names[] = {
            {ID_DATABASE_SORT, "Datenbank sortieren"},
            {ID_EDIT_SELECT_ALL, "Alle markieren"},
            {ID_FILE_INSERT_FROM, "Einfügen aus"},
            {ID_RECORD_INSERT_AFTER, "Nach dem aktuellen Datensatz"},
    };
    for (const auto &[id, name] : names)
        EXPECT_EQ(CDocumentRecorder::StepName(id), QString::fromUtf8(name)) << id;
}

TEST_F(DocumentRecorderTest, OutermostScopeMakesOneStepAndOnlyWhenSomethingChanged)
{
    {
        CDocumentStepScope outer(doc.GetRecorder(), QStringLiteral("A"));
        {
            CDocumentStepScope inner(doc.GetRecorder(), QStringLiteral("B"));
            doc.SetFieldText(0, 0, "Maier");
        }
        doc.SetFieldText(1, 0, "Schultz");
    }
    {
        CDocumentStepScope nothing(doc.GetRecorder(), QStringLiteral("C"));
    }
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0].name, QStringLiteral("A"));
    EXPECT_EQ(pushed[0].step->Journal().EntryCount(), 2u);
    EXPECT_FALSE(doc.GetRecorder().ChangedOutsideSteps());
}

TEST_F(DocumentRecorderTest, ChangesOutsideStepsAreRememberedUntilTheSave)
{
    int saved = 0;
    doc.GetRecorder().SetSavedHook([&saved] { ++saved; });
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.GetRecorder().ChangedOutsideSteps());
    const QString file = MakeScratchDir() + QStringLiteral("/recorder.ovd");
    ASSERT_TRUE(doc.Save(file, 1));
    EXPECT_EQ(saved, 1);
    EXPECT_FALSE(doc.GetRecorder().ChangedOutsideSteps());
    // Undo putting steps back is no change from outside.
    doc.GetRecorder().SetApplying(true);
    doc.SetModifiedFlag();
    doc.GetRecorder().SetApplying(false);
    EXPECT_FALSE(doc.GetRecorder().ChangedOutsideSteps());
}

} // namespace

namespace {

std::string tableText(const CDataTable &table)
{
    std::string out = std::to_string(table.GetFieldCount()) + '\n';
    for (int pos = 0; pos < table.GetFieldCount(); ++pos)
        out += table.GetFieldName(pos) + '/' + std::to_string(table.GetFieldType(pos)) + '\n';
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        for (int pos = 0; pos < table.GetFieldCount(); ++pos)
            out += std::string(table.GetRecord(i)->GetRawValue(pos)) + '|';
        out += '\n';
    }
    return out;
}

// Field definitions change the table and the data fields on the form: a
// step with the form undoes and redoes both, and refuses a form changed
// since.
TEST_F(DocumentRecorderTest, FieldDefinitionStepsTakeTheFormAlong)
{
    doc.CreateDefaultForm();
    const std::pair<const char *, std::function<void()>> changes[] = {
            {"new field",
             [this] {
                 FieldDefinition definition;
                 definition.name = "Ort";
                 doc.CreateField(definition, DrawColors{});
             }},
            {"delete field", [this] { doc.DeleteFieldWithDataFields(0); }},
            {"order",
             [this] {
                 FieldDefinition definition;
                 definition.name = "Telefon";
                 doc.CreateField(definition, DrawColors{});
                 doc.ApplyFieldOrder({1, 0});
             }},
    };
    for (const auto &[name, change] : changes) {
        SCOPED_TRACE(name);
        const std::string tableBefore = tableText(doc.GetTable());
        const QByteArray formBefore = TakeFormSnapshot(doc.GetForm());
        pushed.clear();
        {
            CDocumentStepScope scope(doc.GetRecorder(), QStringLiteral("Datenfelder festlegen"), 0, true);
            change();
        }
        ASSERT_EQ(pushed.size(), 1u);
        CDocumentStep &step = *pushed[0].step;
        ASSERT_TRUE(step.HasForm());
        const std::string tableAfter = tableText(doc.GetTable());
        const QByteArray formAfter = TakeFormSnapshot(doc.GetForm());
        ASSERT_TRUE(step.Undo(doc.GetTable(), doc.GetForm()));
        EXPECT_EQ(tableText(doc.GetTable()), tableBefore);
        EXPECT_EQ(TakeFormSnapshot(doc.GetForm()), formBefore);
        ASSERT_TRUE(step.Redo(doc.GetTable(), doc.GetForm()));
        EXPECT_EQ(tableText(doc.GetTable()), tableAfter);
        EXPECT_EQ(TakeFormSnapshot(doc.GetForm()), formAfter);
    }
    // A form changed since: refused, nothing changes.
    CDocumentStep &last = *pushed[0].step;
    doc.SetBackgroundColor(0x00FF0000);
    const std::string table = tableText(doc.GetTable());
    EXPECT_FALSE(last.Undo(doc.GetTable(), doc.GetForm()));
    EXPECT_EQ(tableText(doc.GetTable()), table);
    EXPECT_EQ(doc.GetForm().GetBackground(), COLORREF(0x00FF0000));
}

} // namespace
