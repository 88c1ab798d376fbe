#include "document/DocumentRecorder.h"

#include "DocumentTestSupport.h"
#include "document/OrvelDoc.h"
#include "resources/CommandIds.h"
#include "table/DataRecord.h"

#include <gtest/gtest.h>

using namespace orvel;
using namespace orvel::test;

namespace {

struct Pushed
{
    std::unique_ptr<CTableJournal> step;
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
        doc.GetRecorder().SetSink([this](std::unique_ptr<CTableJournal> step, const QString &name, int key) {
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
    EXPECT_EQ(pushed[0].step->EntryCount(), 2u);
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
