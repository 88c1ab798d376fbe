#include "document/DocumentRecorder.h"

#include "DocumentTestSupport.h"
#include "document/OrvelDoc.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/FormObjects.h"
#include "resources/CommandIds.h"
#include "table/DataRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The designer's operations, the page settings and values in mixed order:
// undoing every step gives the opened document, redoing every step the
// final one; a step whose page settings changed since is refused.
TEST_F(DocumentRecorderTest, MixedFormPageAndValueStepsRoundTrip)
{
    doc.CreateDefaultForm();
    doc.SetModifiedFlag(false);
    const auto state = [this] {
        const PageSettings &page = doc.GetPageSettings();
        return tableText(doc.GetTable()) + TakeFormSnapshot(doc.GetForm()).toHex().toStdString() + '/'
               + std::to_string(page.marginLeft) + '/' + std::string(page.pageHeader);
    };
    CFormObjects &form = doc.GetForm();
    const auto someObject = [&form](unsigned r) { return form.GetObjects()[r % form.GetObjects().size()].get(); };
    const std::function<void(unsigned)> operations[] = {
            [&form](unsigned r) {
                const int x = int(r % 500);
                form.Add(std::make_unique<CDrawRect>(CDrawRect::ellipse, RECT{x, 10, x + 40, 60}));
            },
            [&](unsigned r) {
                CDrawObj *object = someObject(r);
                RECT moved = object->position;
                OffsetRect(moved, int(r % 7) + 1, 3);
                form.MoveObject(object, moved);
            },
            [&](unsigned r) { form.Reorder(someObject(r), CFormObjects::ZOrder::ToBack); },
            [&](unsigned r) { form.SetFillColor(someObject(r), COLORREF(r & 0xFFFFFF)); },
            [&](unsigned r) {
                if (form.GetObjects().size() > 1)
                    form.Remove(someObject(r));
            },
            [this](unsigned r) {
                PageSettings page = doc.GetPageSettings();
                page.marginLeft = int16_t(r % 40 + 1);
                page.pageHeader = "Kopf " + std::to_string(r);
                doc.SetPageSettings(page);
            },
            [this](unsigned r) { doc.SetFieldText(int(r % 2), 0, "Wert " + std::to_string(r)); },
            [this](unsigned r) { doc.SetBackgroundColor(COLORREF(r & 0xFFFFFF)); },
    };
    const std::string opened = state();
    unsigned seed = 12345;
    for (int i = 0; i < 100; ++i) {
        seed = seed * 1103515245u + 12345u;
        const unsigned r = seed >> 8;
        CDocumentStepScope scope(doc.GetRecorder(), QStringLiteral("Schritt"), 0, true);
        operations[r % std::size(operations)](r / 8);
    }
    const std::string final = state();
    ASSERT_GE(pushed.size(), 90u);
    for (auto it = pushed.rbegin(); it != pushed.rend(); ++it)
        ASSERT_TRUE(it->step->Undo(doc.GetTable(), doc.GetForm(), &doc.GetPageSettings()));
    EXPECT_EQ(state(), opened);
    for (Pushed &step : pushed)
        ASSERT_TRUE(step.step->Redo(doc.GetTable(), doc.GetForm(), &doc.GetPageSettings()));
    EXPECT_EQ(state(), final);

    // The page settings changed behind the last page step's back.
    auto pageStep = std::find_if(pushed.rbegin(), pushed.rend(), [](const Pushed &p) { return p.step->HasPage(); });
    ASSERT_NE(pageStep, pushed.rend());
    while (pushed.rbegin() != pageStep) {
        ASSERT_TRUE(pushed.back().step->Undo(doc.GetTable(), doc.GetForm(), &doc.GetPageSettings()));
        pushed.pop_back();
    }
    doc.GetPageSettings().marginTop = 77;
    const std::string changed = state();
    EXPECT_FALSE(pushed.back().step->Undo(doc.GetTable(), doc.GetForm(), &doc.GetPageSettings()));
    EXPECT_FALSE(pushed.back().step->Undo(doc.GetTable(), doc.GetForm())) << "a page step needs the settings";
    EXPECT_EQ(state(), changed);
}

// A designer operation called inside a command that keeps no form (cut in
// the designer) still makes the step keep the form.
TEST_F(DocumentRecorderTest, NestedFormScopeMakesTheStepKeepTheForm)
{
    doc.CreateDefaultForm();
    doc.GetRecorder().Saved();
    const QByteArray before = TakeFormSnapshot(doc.GetForm());
    {
        CDocumentStepScope command(doc.GetRecorder(), QStringLiteral("Ausschneiden"));
        CDocumentStepScope designer(doc.GetRecorder(), QStringLiteral("Löschen"), 0, true);
        doc.GetForm().Remove(doc.GetForm().GetObjects().back().get());
    }
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0].name, QStringLiteral("Ausschneiden"));
    ASSERT_TRUE(pushed[0].step->HasForm());
    EXPECT_FALSE(doc.GetRecorder().ChangedOutsideSteps());
    ASSERT_TRUE(pushed[0].step->Undo(doc.GetTable(), doc.GetForm()));
    EXPECT_EQ(TakeFormSnapshot(doc.GetForm()), before);
}

// Steps that leave a large object alone share its bytes with each other
// instead of keeping copies of it.
TEST_F(DocumentRecorderTest, FormStepsShareTheBytesOfUnchangedObjects)
{
    CFormObjects &form = doc.GetForm();
    auto large = std::make_unique<CDrawPoly>(RECT{0, 0, 1000, 1000}, DrawColors{});
    for (int i = 0; i < 20000; ++i)
        large->AddPoint(POINT{i % 1000, i / 20});
    form.Add(std::move(large));
    CDrawObj *small = form.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{10, 10, 50, 50}));
    for (int i = 0; i < 3; ++i) {
        CDocumentStepScope scope(doc.GetRecorder(), QStringLiteral("Verschieben"), 0, true);
        RECT moved = small->position;
        OffsetRect(moved, 5, 0);
        form.MoveObject(small, moved);
    }
    ASSERT_EQ(pushed.size(), 3u);
    const char *bytes = pushed[0].step->FormBefore().objects[0].constData();
    ASSERT_GT(pushed[0].step->FormBefore().objects[0].size(), 100000);
    for (const Pushed &step : pushed) {
        EXPECT_EQ(step.step->FormBefore().objects[0].constData(), bytes);
        EXPECT_EQ(step.step->FormAfter().objects[0].constData(), bytes);
        EXPECT_NE(step.step->FormBefore().objects[1], step.step->FormAfter().objects[1]);
    }
    EXPECT_LT(pushed[2].step->FormAfter().BytesBeyond(&pushed[2].step->FormBefore()), 1000u);
    // The steps still restore the form.
    for (auto it = pushed.rbegin(); it != pushed.rend(); ++it)
        ASSERT_TRUE(it->step->Undo(doc.GetTable(), doc.GetForm()));
    EXPECT_EQ(form.GetObjects()[1]->position, (RECT{10, 10, 50, 50}));
    const auto *polygon = dynamic_cast<const CDrawPoly *>(form.GetObjects()[0].get());
    ASSERT_NE(polygon, nullptr);
    EXPECT_GT(polygon->GetPointCount(), 10000u);
}

} // namespace
