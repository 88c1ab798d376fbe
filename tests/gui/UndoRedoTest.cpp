#include "AppTestSupport.h"

#include "app/ui/DChildWnd.h"
#include "app/ui/DocTemplate.h"
#include "app/ui/DocumentUndo.h"
#include "app/ui/MainFrame.h"
#include "document/FieldDefinition.h"
#include "document/OrvelDoc.h"
#include "form/DrawObj.h"
#include "listview/ListGrid.h"
#include "listview/OrvelView.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"

#include <QTest>

#include <string>

using namespace orvel;
using namespace orvel::test;

namespace {

std::string dump(const CDataTable &table)
{
    std::string out;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord *record = table.GetRecord(i);
        out += record->IsMarked() ? '*' : ' ';
        for (int pos = 0; pos < table.GetFieldCount(); ++pos)
            out += std::string(record->GetRawValue(pos)) + '|';
        out += '\n';
    }
    return out;
}

class UndoRedoTest : public AppTest
{
protected:
    void open()
    {
        start({writeSampleDatabase("undo.ovd")});
        ASSERT_NE(frame().GetActiveChild(), nullptr);
        view = frame().GetActiveChild()->GetView();
        doc = &frame().GetActiveChild()->GetDocument();
        ASSERT_NE(view->GetGrid(), nullptr);
        // Keys reach the window's shortcuts only in the active window.
        frame().show();
        frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
        view->GetGrid()->setFocus();
    }
    void key(int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        // The idle pass that enables the commands' actions, as the event
        // loop runs it before it waits for the next key.
        router().UpdateAll();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : view->GetGrid(), Qt::Key(keyCode),
                        modifiers);
        QCoreApplication::processEvents();
    }
    QString menuText(int id) { return router().Query(id).Text().value_or(QString()); }
    CDataTable &table() { return doc->GetTable(); }

    COrvelView *view = nullptr;
    COrvelDoc *doc = nullptr;
};

TEST_F(UndoRedoTest, TypingIsUndoneAndRedoneByKeys)
{
    open();
    const std::string opened = dump(table());
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_FALSE(enabled(ID_EDIT_REDO));

    // Three keystrokes into the first cell, then Down: one step "Eingabe".
    key(Qt::Key_A);
    key(Qt::Key_B);
    key(Qt::Key_C);
    key(Qt::Key_Down);
    EXPECT_EQ(table().GetRecord(0)->GetRawValue(0), "abc");
    const std::string typed = dump(table());
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(enabled(ID_EDIT_UNDO));
    EXPECT_EQ(menuText(ID_EDIT_UNDO), QStringLiteral("Rück&gängig: Eingabe"));

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dump(table()), opened);
    EXPECT_FALSE(doc->IsModified()) << "back at the state of the file";
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_EQ(menuText(ID_EDIT_REDO), QStringLiteral("&Wiederholen: Eingabe"));

    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(dump(table()), typed);
    EXPECT_TRUE(doc->IsModified());

    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        router().UpdateAll();
        frame().resize(900, 500);
        EXPECT_TRUE(frame().grab().save(shots + QStringLiteral("/undo-frame.png")));
    }
}

TEST_F(UndoRedoTest, CommandsBecomeStepsUndoneBackToTheFile)
{
    open();
    const std::string opened = dump(table());
    router().Execute(ID_EDIT_SELECT_ALL);
    router().Execute(ID_RECORD_INSERT_BEFORE);
    scripted.queueAnswer(MsgResult::Yes);
    router().Execute(ID_MARKED_DELETE);
    EXPECT_EQ(table().GetRecordCount(), 1);
    const std::string last = dump(table());
    EXPECT_EQ(menuText(ID_EDIT_UNDO), QStringLiteral("Rück&gängig: Löschen"));

    int undone = 0;
    while (enabled(ID_EDIT_UNDO) && undone < 10) {
        router().Execute(ID_EDIT_UNDO);
        ++undone;
    }
    EXPECT_EQ(undone, 3);
    EXPECT_EQ(dump(table()), opened);
    EXPECT_FALSE(doc->IsModified());
    while (enabled(ID_EDIT_REDO))
        router().Execute(ID_EDIT_REDO);
    EXPECT_EQ(dump(table()), last);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(UndoRedoTest, SavedStepIsTheUnmodifiedOne)
{
    open();
    router().Execute(ID_EDIT_SELECT_ALL);
    ASSERT_TRUE(doc->OnFileSave());
    EXPECT_FALSE(doc->IsModified());
    router().Execute(ID_EDIT_UNDO); // the steps survive the save
    EXPECT_EQ(table().GetMarkedCount(), 0);
    EXPECT_TRUE(doc->IsModified());
    router().Execute(ID_EDIT_REDO);
    EXPECT_EQ(table().GetMarkedCount(), 3);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(UndoRedoTest, StepThatNoLongerFitsEmptiesTheListWithAMessage)
{
    open();
    router().Execute(ID_RECORD_INSERT_AFTER);
    ASSERT_TRUE(enabled(ID_EDIT_UNDO));
    // Something the list does not know of changes the table.
    table().GetRecord(0)->SetRawValue("anders", 0);
    const std::string changed = dump(table());
    scripted.clear();
    router().Execute(ID_EDIT_UNDO);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgUndoStale}));
    EXPECT_EQ(dump(table()), changed);
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_FALSE(enabled(ID_EDIT_REDO));
    EXPECT_TRUE(doc->IsModified());
}

} // namespace

namespace {

// A step over the byte limit: deleting marked records asks first (No keeps
// them, Yes deletes without undo); a step that outgrows the limit while it
// runs is dropped with a message, and the steps before it with it.
TEST_F(UndoRedoTest, StepOverTheLimitAsksOrIsDropped)
{
    open();
    router().Execute(ID_EDIT_SELECT_ALL);
    ASSERT_TRUE(enabled(ID_EDIT_UNDO));
    doc->GetRecorder().SetStepByteLimit(64);

    scripted.clear();
    scripted.queueAnswer(MsgResult::No);
    router().Execute(ID_MARKED_DELETE);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgUndoStepTooLarge}));
    EXPECT_EQ(table().GetRecordCount(), 3);
    EXPECT_TRUE(enabled(ID_EDIT_UNDO));

    scripted.clear();
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueAnswer(MsgResult::Yes);
    router().Execute(ID_MARKED_DELETE);
    EXPECT_EQ(table().GetRecordCount(), 0);
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_TRUE(doc->IsModified());

    doc->GetRecorder().SetStepByteLimit(CTableJournal::kDefaultByteLimit);
    router().Execute(ID_RECORD_INSERT_BEFORE);
    ASSERT_TRUE(enabled(ID_EDIT_UNDO));
    doc->GetRecorder().SetStepByteLimit(0);
    scripted.clear();
    router().Execute(ID_RECORD_INSERT_BEFORE);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgUndoStepDropped}));
    EXPECT_EQ(table().GetRecordCount(), 2);
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_TRUE(doc->IsModified());
}

} // namespace

namespace {

// A field made in the field definitions comes with its data field on the
// form; undo takes both away, redo brings both back.
TEST_F(UndoRedoTest, FieldDefinitionsAreUndoneWithTheirDataFields)
{
    open();
    const std::size_t objects = doc->GetForm().GetObjects().size();
    docs().GetUndo(doc)->RunCommand(ID_DATABASE_FIELDS, [this] {
        FieldDefinition definition;
        definition.name = "E-Mail";
        doc->CreateField(definition, DrawColors{});
    });
    ASSERT_EQ(table().GetFieldCount(), 4);
    ASSERT_EQ(doc->GetForm().GetObjects().size(), objects + 1);
    EXPECT_EQ(menuText(ID_EDIT_UNDO), QStringLiteral("Rück&gängig: Datenfelder festlegen"));

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(table().GetFieldCount(), 3);
    EXPECT_EQ(doc->GetForm().GetObjects().size(), objects);
    EXPECT_FALSE(doc->IsModified());
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(table().GetFieldCount(), 4);
    EXPECT_EQ(table().GetFieldName(3), "E-Mail");
    EXPECT_EQ(doc->GetForm().GetObjects().size(), objects + 1);
    EXPECT_TRUE(doc->IsModified());
}

} // namespace
