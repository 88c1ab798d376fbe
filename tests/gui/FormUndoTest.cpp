// Undo and redo of the designer's changes, the page setup and the values
// that live in the working store, driven through the program.

#include "AppTestSupport.h"
#include "DialogDriver.h"
#include "FormMouse.h"
#include "document/DocumentTestSupport.h"

#include "app/ui/DChildWnd.h"
#include "app/ui/DocTemplate.h"
#include "app/ui/DocumentUndo.h"
#include "app/ui/MainFrame.h"
#include "document/DocumentStep.h"
#include "document/FieldDefinition.h"
#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawRect.h"
#include "form/FormObjects.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "media/MemoStore.h"
#include "media/ui/MemoDialog.h"
#include "media/ui/MemoEdit.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

class FormUndoTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        CFormDesigner::Tools() = {};
        QApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        AppTest::TearDown();
        QApplication::clipboard()->clear();
    }
    void openDesigner()
    {
        start({writeSampleDatabase("formundo.ovd")});
        ASSERT_NE(frame().GetActiveChild(), nullptr);
        view = frame().GetActiveChild()->GetView();
        doc = &frame().GetActiveChild()->GetDocument();
        frame().show();
        frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
        ASSERT_TRUE(router().Execute(ID_VIEW_FORM_DESIGN));
        ASSERT_NE(view->GetFormView(), nullptr);
        form = view->GetFormView();
        form->viewport()->setFocus();
    }
    void key(int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        router().UpdateAll();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form->viewport(), Qt::Key(keyCode),
                        modifiers);
        QCoreApplication::processEvents();
    }
    QString undoText() { return router().Query(ID_EDIT_UNDO).Text().value_or(QString()); }
    QByteArray formState() const { return TakeFormSnapshot(doc->GetForm()); }
    CFormDesigner &designer() const { return form->Designer(); }
    const CDrawObj *last() const { return doc->GetForm().GetObjects().back().get(); }

    COrvelView *view = nullptr;
    CFormView *form = nullptr;
    COrvelDoc *doc = nullptr;
};

// Every kind of designer change is one step named for what the user did;
// undoing them all gives the form of the file (and an unmodified
// document), redoing them all the final form.
TEST_F(FormUndoTest, DesignerChangesAreStepsUndoneBackToTheFile)
{
    openDesigner();
    FormMouse mouse([this] { return form->viewport(); });
    const QByteArray opened = formState();
    const std::size_t count = doc->GetForm().GetObjects().size();

    struct Action
    {
        const char *undoText;
        std::function<void()> run;
    };
    const Action actions[] = {
            {"Rück&gängig: Ellipse",
             [&] {
                 router().Execute(ID_TOOL_ELLIPSE);
                 mouse.drag({700, 200}, {760, 260});
             }},
            {"Rück&gängig: Rechteck",
             [&] {
                 router().Execute(ID_TOOL_RECT);
                 mouse.drag({500, 30}, {600, 80});
             }},
            {"Rück&gängig: Verschieben",
             [&] {
                 mouse.drag({550, 55}, {570, 95});
             }},
            {"Rück&gängig: Größe ändern",
             [&] {
                 mouse.drag({620, 120}, {650, 140});
             }},
            {"Rück&gängig: Verschieben", [&] { key(Qt::Key_Left); }},
            {"Rück&gängig: Objekt in den Hintergrund", [&] { router().Execute(ID_OBJECT_TO_BACK); }},
            {"Rück&gängig: Linienfarbe",
             [&] {
                 scripted.queueColor(0x00123456);
                 router().Execute(ID_OBJECT_LINE_COLOR);
             }},
            {"Rück&gängig: Kopieren", [&] { router().Execute(ID_EDIT_COPY); }},
            {"Rück&gängig: Einfügen", [&] { router().Execute(ID_EDIT_PASTE); }},
            {"Rück&gängig: Löschen", [&] { key(Qt::Key_Delete); }},
    };
    std::vector<QByteArray> states;
    int steps = 0;
    for (const Action &action : actions) {
        const QByteArray before = formState();
        action.run();
        const bool changed = formState() != before;
        steps += changed ? 1 : 0;
        // Copy changes nothing: the step before stays on top.
        const QString expected =
                changed ? QString::fromUtf8(action.undoText) : QStringLiteral("Rück&gängig: Linienfarbe");
        EXPECT_EQ(undoText(), expected) << action.undoText;
    }
    EXPECT_EQ(steps, 9);
    EXPECT_EQ(doc->GetForm().GetObjects().size(), count + 2) << "two drawn, one pasted and deleted again";
    const QByteArray final = formState();

    int undone = 0;
    while (enabled(ID_EDIT_UNDO) && undone < 20) {
        key(Qt::Key_Z, Qt::ControlModifier);
        ++undone;
    }
    EXPECT_EQ(undone, steps);
    EXPECT_EQ(formState(), opened);
    EXPECT_FALSE(doc->IsModified()) << "back at the state of the file";
    EXPECT_TRUE(designer().GetSelection().empty()) << "no selection of objects that went";

    while (enabled(ID_EDIT_REDO))
        key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(formState(), final);
    EXPECT_TRUE(doc->IsModified());
}

// A drag in progress is no place for undo; after it, one Ctrl+Z takes the
// whole drag back.
TEST_F(FormUndoTest, DragIsOneStepAndUndoWaitsForItsEnd)
{
    openDesigner();
    FormMouse mouse([this] { return form->viewport(); });
    router().Execute(ID_TOOL_RECT);
    mouse.drag({500, 30}, {600, 80});
    const RECT drawn = last()->position;

    mouse.press({550, 55});
    mouse.moveTo({560, 60});
    const RECT halfway = last()->position;
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(last()->position, halfway) << "undo waits for the drag's end";
    mouse.moveTo({580, 75});
    mouse.release({580, 75});
    EXPECT_EQ(last()->position, (RECT{drawn.left + 30, drawn.top + 20, drawn.right + 30, drawn.bottom + 20}));

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(last()->position, drawn);
    EXPECT_EQ(undoText(), QStringLiteral("Rück&gängig: Rechteck"));
}

// A form changed behind the list's back is never overwritten by a step.
TEST_F(FormUndoTest, FormChangedOutsideTheStepsEmptiesTheList)
{
    openDesigner();
    FormMouse mouse([this] { return form->viewport(); });
    router().Execute(ID_TOOL_ELLIPSE);
    mouse.drag({500, 30}, {600, 80});
    ASSERT_TRUE(enabled(ID_EDIT_UNDO));
    // Not through a command: nothing records it.
    doc->GetForm().Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{10, 10, 20, 20}));
    const QByteArray changed = formState();
    scripted.clear();
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgUndoStale}));
    EXPECT_EQ(formState(), changed);
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_TRUE(doc->IsModified());
}

// The page settings before and after the page setup are a step.
TEST_F(FormUndoTest, PageSetupIsUndone)
{
    openDesigner();
    const PageSettings opened = doc->GetPageSettings();
    PageSettings changed = opened;
    changed.marginLeft = 25;
    changed.pageHeader = "Adressen";
    docs().GetUndo(doc)->RunCommand(ID_PAGE_SETUP, [&] { doc->SetPageSettings(changed); });
    EXPECT_EQ(undoText(), QStringLiteral("Rück&gängig: Seite einrichten"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->GetPageSettings(), opened);
    EXPECT_FALSE(doc->IsModified());
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(doc->GetPageSettings(), changed);
}

// A memo text rewritten while the list records goes to a new object (the
// old one would fit and was overwritten in place before): undo brings back
// the old reference, and the old text is still behind it.
TEST(FormUndoMemoTest, OldObjectsStayForTheStepsThatReferToThem)
{
    CFormDesigner::Tools() = {};
    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    AddField(doc, "Titel");
    AddField(doc, "Liedtext", FT_MEMO);
    AddRecord(doc, {"Erstes Lied", ""});
    doc.CreateDefaultForm();
    doc.SetModifiedFlag(false);
    // As if read from its file.
    doc.GetRecorder().Saved();
    CDocumentUndo undo(doc);
    COrvelView form(doc, nullptr, nullptr, false);
    form.resize(640, 480);
    form.show();
    form.OnInitialUpdate();
    QCoreApplication::processEvents();
    CFormDesigner &designer = form.GetFormView()->Designer();
    designer.Select(doc.GetForm().FindDataField(1));
    ASSERT_NE(designer.GetEditor(), nullptr);
    auto *button = qobject_cast<QPushButton *>(designer.GetEditor()->Widget());
    ASSERT_NE(button, nullptr);
    const auto write = [&](const QString &text) {
        WhenShown<MemoDialog>([text](MemoDialog &dialog) {
            dialog.Editor()->selectAll();
            dialog.Editor()->insertPlainText(text);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
        button->click();
        QCoreApplication::processEvents();
        return AnsiString(doc.GetTable().GetRecord(0)->GetRawValue(1));
    };
    const AnsiString first = write(QStringLiteral("eins"));
    const AnsiString second = write(QStringLiteral("zwei"));
    EXPECT_NE(second, first);
    EXPECT_EQ(undo.UndoMenuText(), QStringLiteral("Rück&gängig: Text ändern"));

    ASSERT_TRUE(undo.Undo());
    EXPECT_EQ(doc.GetTable().GetRecord(0)->GetRawValue(1), first);
    EXPECT_EQ(ReadMemo(doc.GetWorkingStorePath(), first), std::optional<AnsiString>("eins"));
    ASSERT_TRUE(undo.Undo());
    EXPECT_EQ(doc.GetTable().GetRecord(0)->GetRawValue(1), "");
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(undo.Redo());
    ASSERT_TRUE(undo.Redo());
    EXPECT_EQ(ReadMemo(doc.GetWorkingStorePath(), second), std::optional<AnsiString>("zwei"));
}

} // namespace
