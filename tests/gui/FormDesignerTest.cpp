// The form designer driven through the real form view: mouse, keys,
// commands and the clipboard.
#include "AppTestSupport.h"
#include "DialogDriver.h"
#include "FormMouse.h"

#include "app/ui/DChildWnd.h"
#include "form/DrawEdit.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "form/ui/CTextPropTextDlg.h"
#include "form/ui/ColorBar.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "platform/ui/PropertySheet.h"
#include "resources/CommandIds.h"

#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QToolBar>

using namespace orvel;
using namespace orvel::test;

namespace {

using Tool = CFormDesigner::Tool;

// A view of its own on a database with two fields and a record, designing
// its form.
class DesignerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CFormDesigner::Tools() = {};
        QApplication::clipboard()->clear();
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddRecord(doc, {"Anna", "Bonn"});
        view = std::make_unique<COrvelView>(doc, nullptr);
        view->resize(640, 480);
        view->show();
        view->OnInitialUpdate();
        view->ToggleDesignMode();
        QCoreApplication::processEvents();
    }
    void TearDown() override { QApplication::clipboard()->clear(); }

    CFormView &form() const { return *view->GetFormView(); }
    CFormDesigner &designer() const { return form().Designer(); }
    CFormObjects &objects() { return doc.GetForm(); }
    CDrawObj *add(CDrawRect::Shape shape, RECT r) { return objects().Add(std::make_unique<CDrawRect>(shape, r)); }
    bool run(int id) { return view->OnCmdMsg(id, nullptr); }
    bool enabled(int id)
    {
        CCmdUI ui(id);
        return view->OnCmdMsg(id, &ui) && ui.IsEnabled();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(form().viewport(), Qt::Key(key), modifiers);
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    std::unique_ptr<COrvelView> view;
    FormMouse mouse{[this] { return form().viewport(); }};
};

TEST_F(DesignerTest, AClickWithAShapeToolCreatesNothingAndSelectsWhatLiesBelow)
{
    CDrawObj *rect = add(CDrawRect::rectangle, {100, 100, 200, 200});
    for (const Tool tool : {Tool::Line, Tool::Rectangle, Tool::RoundRectangle, Tool::Ellipse}) {
        designer().SetTool(tool);
        mouse.click({150, 150});
        EXPECT_EQ(objects().GetObjects().size(), 1u) << int(tool);
        EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{rect});
        EXPECT_EQ(CFormDesigner::Tools().currentTool, Tool::Select);
        designer().SetTool(tool);
        mouse.click({400, 400});
        EXPECT_EQ(objects().GetObjects().size(), 1u);
        EXPECT_TRUE(designer().GetSelection().empty());
    }
    // A drag creates the shape from the press to the release.
    designer().SetTool(Tool::Ellipse);
    mouse.drag({300, 50}, {250, 120});
    ASSERT_EQ(objects().GetObjects().size(), 2u);
    const auto *ellipse = dynamic_cast<const CDrawRect *>(objects().GetObjects().back().get());
    ASSERT_NE(ellipse, nullptr);
    EXPECT_EQ(ellipse->shape, uint32_t(CDrawRect::ellipse));
    EXPECT_EQ(ellipse->position, (RECT{250, 120, 300, 50}));
    EXPECT_EQ(designer().GetSelection().size(), 1u);
}

TEST_F(DesignerTest, DraggingStopsAtTheFormEdgesPerObjectInSelectionOrder)
{
    struct Case
    {
        const char *name;
        bool smallFirst;
        QPoint to;
        RECT small;
        RECT large;
    };
    // The small object is at (10,10)-(50,50), the large one at
    // (100,100)-(200,200); the drag starts inside the small one.
    const Case cases[] = {
            {"up-left, small first", true, {0, 0}, {0, 0, 40, 40}, {90, 90, 190, 190}},
            {"up-left, large first", false, {0, 0}, {0, 0, 40, 40}, {70, 70, 170, 170}},
            {"down-right, small first", true, {3030, 3030}, {2960, 2960, 3000, 3000}, {2900, 2900, 3000, 3000}},
            {"down-right, large first", false, {3030, 3030}, {2810, 2810, 2850, 2850}, {2900, 2900, 3000, 3000}},
            {"right only, large first", false, {3030, 30}, {2810, 10, 2850, 50}, {2900, 100, 3000, 200}},
    };
    for (const Case &c : cases) {
        objects().Clear();
        CDrawObj *small = add(CDrawRect::rectangle, {10, 10, 50, 50});
        CDrawObj *large = add(CDrawRect::rectangle, {100, 100, 200, 200});
        designer().Select(c.smallFirst ? small : large);
        designer().Select(c.smallFirst ? large : small, true);
        mouse.press({30, 30});
        mouse.moveTo(c.to);
        mouse.release(c.to);
        EXPECT_EQ(small->position, c.small) << c.name;
        EXPECT_EQ(large->position, c.large) << c.name;
    }
}

TEST_F(DesignerTest, AHandleDraggedBeyondTheFormStopsAtItsEdge)
{
    CDrawObj *rect = add(CDrawRect::rectangle, {100, 100, 200, 200});
    designer().Select(rect);
    mouse.drag({200, 200}, {3500, 3100});
    EXPECT_EQ(rect->position, (RECT{100, 100, 3000, 3000}));
    mouse.drag({100, 100}, {-50, -20});
    EXPECT_EQ(rect->position, (RECT{0, 0, 3000, 3000}));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DesignerTest, AlignToGridMovesToMultiplesOfFiveAndMarksTheDocument)
{
    struct Case
    {
        RECT before;
        RECT after;
    };
    const Case cases[] = {
            {{12, 17, 50, 40}, {10, 15, 45, 38}},
            {{14, 19, 63, 61}, {10, 15, 55, 57}},
            {{5, 5, 25, 25}, {5, 5, 25, 25}},
    };
    for (const Case &c : cases) {
        objects().Clear();
        doc.SetModifiedFlag(false);
        CDrawObj *object = add(CDrawRect::rectangle, c.before);
        CDrawObj *other = add(CDrawRect::rectangle, {31, 31, 40, 40});
        doc.SetModifiedFlag(false);
        // With nothing selected everything is aligned.
        ASSERT_TRUE(run(ID_ALIGN_TO_GRID));
        EXPECT_EQ(object->position, c.after);
        EXPECT_EQ(other->position, (RECT{30, 30, 35, 39}));
        EXPECT_EQ(designer().GetSelection().size(), 2u);
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST_F(DesignerTest, PolygonsEndOnTheirFirstPointOrWithADoubleClick)
{
    designer().SetTool(Tool::Polygon);
    mouse.click({20, 120});
    mouse.moveTo({80, 120}, false);
    mouse.click({80, 120});
    mouse.moveTo({50, 170}, false);
    mouse.click({50, 170});
    mouse.moveTo({20, 120}, false);
    mouse.click({20, 120});
    ASSERT_EQ(objects().GetObjects().size(), 1u);
    const auto *triangle = dynamic_cast<const CDrawPoly *>(objects().GetObjects().front().get());
    ASSERT_NE(triangle, nullptr);
    EXPECT_EQ(triangle->GetPoints(), (std::vector<POINT>{{20, 120}, {80, 120}, {50, 170}}));
    EXPECT_EQ(triangle->position, (RECT{20, 120, 80, 170}));
    EXPECT_EQ(CFormDesigner::Tools().currentTool, Tool::Select);

    // Closed on its first point at once: one point is no polygon.
    designer().SetTool(Tool::Polygon);
    mouse.click({300, 300});
    mouse.click({300, 300});
    EXPECT_EQ(objects().GetObjects().size(), 1u);
    EXPECT_TRUE(designer().GetSelection().empty());

    // A double click ends it and drops the point it added.
    designer().SetTool(Tool::Polygon);
    mouse.click({300, 50});
    mouse.moveTo({400, 50}, false);
    mouse.click({400, 50});
    mouse.moveTo({400, 100}, false);
    mouse.doubleClick({400, 100});
    ASSERT_EQ(objects().GetObjects().size(), 2u);
    const auto *open = dynamic_cast<const CDrawPoly *>(objects().GetObjects().back().get());
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->GetPoints(), (std::vector<POINT>{{300, 50}, {400, 50}, {400, 100}}));

    // Held down, the mouse draws freehand.
    designer().SetTool(Tool::Polygon);
    mouse.press({500, 300});
    for (int x = 505; x <= 540; x += 5)
        mouse.moveTo({x, 300 + (x - 500) / 5});
    mouse.release({540, 308});
    mouse.doubleClick({540, 308});
    ASSERT_EQ(objects().GetObjects().size(), 3u);
    EXPECT_GE(dynamic_cast<const CDrawPoly &>(*objects().GetObjects().back()).GetPointCount(), 8);

    // Esc ends a polygon being drawn and keeps what is there.
    designer().SetTool(Tool::Polygon);
    mouse.click({100, 300});
    mouse.moveTo({150, 350}, false);
    mouse.click({150, 350});
    key(Qt::Key_Escape);
    EXPECT_EQ(objects().GetObjects().size(), 4u);
    EXPECT_EQ(CFormDesigner::Tools().currentTool, Tool::Select);
    mouse.moveTo({200, 200}, false);
    EXPECT_EQ(dynamic_cast<const CDrawPoly &>(*objects().GetObjects().back()).GetPointCount(), 3);
}

TEST_F(DesignerTest, CopiesSkipDataFieldsWhetherPastedOrDraggedWithCtrl)
{
    CDrawEdit *field = doc.AddFieldWithDataField(doc.NextDataFieldName(), {});
    ASSERT_NE(field, nullptr);
    CDrawObj *rect = add(CDrawRect::rectangle, {300, 300, 350, 350});
    designer().Select(field);
    designer().Select(rect, true);
    ASSERT_TRUE(run(ID_EDIT_COPY));
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("application/x-orvel-form")));
    QCoreApplication::processEvents();
    EXPECT_TRUE(enabled(ID_EDIT_PASTE));
    ASSERT_TRUE(run(ID_EDIT_PASTE));
    ASSERT_EQ(objects().GetObjects().size(), 3u);
    CDrawObj *pasted = objects().GetObjects().back().get();
    EXPECT_EQ(pasted->position, rect->position);
    EXPECT_NE(dynamic_cast<CDrawRect *>(pasted), nullptr);
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{pasted});
    key(Qt::Key_Delete);
    ASSERT_EQ(objects().GetObjects().size(), 2u);

    // Ctrl-drag: the copies stay, the originals move.
    designer().Select(field);
    designer().Select(rect, true);
    mouse.drag({320, 320}, {340, 330}, Qt::ControlModifier);
    ASSERT_EQ(objects().GetObjects().size(), 3u);
    EXPECT_EQ(objects().GetObjects().back()->position, (RECT{300, 300, 350, 350}));
    EXPECT_EQ(rect->position, (RECT{320, 310, 370, 360}));
    EXPECT_EQ(doc.GetTable().GetFieldCount(), 3);
}

TEST_F(DesignerTest, DamagedFormStreamsOnTheClipboardAreRefusedWithAMessage)
{
    auto *data = new QMimeData;
    data->setData(QStringLiteral("application/x-orvel-form"), QByteArray("\x02\x00\xFF\xFF\x00\x00\x03\x00XYZ", 11));
    QApplication::clipboard()->setMimeData(data);
    QCoreApplication::processEvents();
    EXPECT_TRUE(run(ID_EDIT_PASTE));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{600});
    EXPECT_TRUE(objects().GetObjects().empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DesignerTest, DeletingADataFieldAsksAndTakesItsTableFieldAlong)
{
    CDrawEdit *field = doc.AddFieldWithDataField(doc.NextDataFieldName(), {});
    CDrawObj *rect = add(CDrawRect::rectangle, {300, 300, 350, 350});
    ASSERT_EQ(doc.GetTable().GetFieldCount(), 3);
    designer().Select(field);
    designer().Select(rect, true);
    scripted.queueAnswer(MsgResult::No);
    key(Qt::Key_Delete);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{324});
    EXPECT_EQ(objects().GetObjects().size(), 1u);
    EXPECT_EQ(doc.GetTable().GetFieldCount(), 3);
    EXPECT_TRUE(designer().GetSelection().empty());

    designer().Select(field);
    scripted.queueAnswer(MsgResult::Yes);
    ASSERT_TRUE(run(ID_EDIT_CUT));
    EXPECT_TRUE(objects().GetObjects().empty());
    EXPECT_EQ(doc.GetTable().GetFieldCount(), 2);
}

TEST_F(DesignerTest, KeysMoveTheSelectionAndWalkTheObjects)
{
    CDrawObj *first = add(CDrawRect::rectangle, {10, 10, 20, 20});
    CDrawObj *second = add(CDrawRect::ellipse, {30, 30, 40, 40});
    designer().Select(first);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    ASSERT_TRUE(run(ID_MOVE_UP));
    ASSERT_TRUE(run(ID_MOVE_DOWN));
    key(Qt::Key_Left);
    EXPECT_EQ(first->position, (RECT{11, 11, 21, 21}));
    // Tab and Shift+Tab go round the list.
    key(Qt::Key_Tab);
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{second});
    key(Qt::Key_Tab);
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{first});
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{second});
    // Select all, then the z-order: to the front of a front object does
    // nothing.
    ASSERT_TRUE(run(ID_EDIT_SELECT_ALL));
    EXPECT_EQ(designer().GetSelection().size(), 2u);
    designer().Select(second);
    doc.SetModifiedFlag(false);
    ASSERT_TRUE(run(ID_OBJECT_FORWARD));
    EXPECT_EQ(objects().GetObjects().back().get(), second);
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(run(ID_OBJECT_TO_BACK));
    EXPECT_EQ(objects().GetObjects().front().get(), second);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DesignerTest, InsertedTextsFitTheirTextAndFitAgainOnRequest)
{
    // The new text is written in its sheet; cancelled, it is gone again.
    WhenShown<PropertySheet>([](PropertySheet &sheet) {
        auto *page = qobject_cast<CTextPropTextDlg *>(sheet.Page(0));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->TextEdit()->toPlainText(), QStringLiteral("Textobjekt"));
        sheet.reject();
    });
    doc.SetModifiedFlag(false);
    ASSERT_TRUE(run(ID_TOOL_TEXT));
    EXPECT_TRUE(objects().GetObjects().empty());
    EXPECT_TRUE(designer().GetSelection().empty());
    EXPECT_FALSE(doc.IsModified());

    WhenShown<PropertySheet>([](PropertySheet &sheet) {
        qobject_cast<CTextPropTextDlg *>(sheet.Page(0))->TextEdit()->setPlainText(QStringLiteral("Adressen"));
        sheet.accept();
    });
    ASSERT_TRUE(run(ID_TOOL_TEXT));
    ASSERT_EQ(objects().GetObjects().size(), 1u);
    auto *text = dynamic_cast<CDrawText *>(objects().GetObjects().front().get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "Adressen");
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{text});
    EXPECT_EQ(text->position.left, 10);
    EXPECT_EQ(text->position.top, 10);
    const int width = text->position.right - text->position.left;
    const int height = text->position.bottom - text->position.top;
    EXPECT_GT(width, 10);
    EXPECT_LT(width, 290);
    // A longer text breaks into lines within the width it has.
    text->text = "Ein viel l\xE4ngerer Text als vorher";
    doc.SetModifiedFlag(false);
    ASSERT_TRUE(enabled(ID_TEXT_FIT));
    ASSERT_TRUE(run(ID_TEXT_FIT));
    EXPECT_LE(text->position.right - text->position.left, width);
    EXPECT_GT(text->position.bottom - text->position.top, height);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DesignerTest, ColourCommandsColourTheSelection)
{
    CDrawObj *rect = add(CDrawRect::rectangle, {10, 10, 20, 20});
    EXPECT_FALSE(enabled(ID_OBJECT_LINE_COLOR));
    designer().Select(rect);
    EXPECT_TRUE(enabled(ID_OBJECT_LINE_COLOR));
    scripted.queueColor(0x0000FF);
    ASSERT_TRUE(run(ID_OBJECT_LINE_COLOR));
    scripted.queueColor(0x00FF00);
    ASSERT_TRUE(run(ID_OBJECT_FILL_COLOR));
    // Both dialogs start on black.
    EXPECT_EQ(scripted.colorRequests(), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(rect->pen.lopnColor, 0x0000FFu);
    EXPECT_EQ(rect->brush.lbColor, 0x00FF00u);
    // A cancelled dialog changes nothing.
    ASSERT_TRUE(run(ID_OBJECT_LINE_COLOR));
    EXPECT_EQ(rect->pen.lopnColor, 0x0000FFu);
    // The colour bar's commands apply the current colours (without a main
    // window, black lines on white).
    ASSERT_TRUE(run(CFormDesigner::kApplyLineColor));
    ASSERT_TRUE(run(CFormDesigner::kApplyFillColor));
    EXPECT_EQ(rect->pen.lopnColor, 0x000000u);
    EXPECT_EQ(rect->brush.lbColor, 0xFFFFFFu);
}

TEST_F(DesignerTest, ObjectsDeletedInOneViewLeaveTheOtherViewsSelection)
{
    COrvelView second(doc, nullptr);
    second.resize(400, 300);
    second.show();
    second.OnInitialUpdate();
    second.ToggleDesignMode();
    CDrawObj *rect = add(CDrawRect::rectangle, {10, 10, 20, 20});
    second.GetFormView()->Designer().Select(rect);
    designer().Select(rect);
    key(Qt::Key_Delete);
    EXPECT_TRUE(objects().GetObjects().empty());
    EXPECT_TRUE(second.GetFormView()->Designer().GetSelection().empty());
    // The other view paints without the object.
    second.GetFormView()->viewport()->grab();
}

TEST_F(DesignerTest, DataModeLeavesTheToolsAndWalksTheDataFields)
{
    CDrawEdit *name = doc.AddFieldWithDataField(doc.NextDataFieldName(), {});
    add(CDrawRect::rectangle, {10, 10, 20, 20});
    CDrawEdit *town = doc.AddFieldWithDataField(doc.NextDataFieldName(), {});
    view->ToggleDesignMode();
    EXPECT_FALSE(form().IsDesignMode());
    for (int id : {ID_TOOL_RECT, ID_TOOL_POLYGON, ID_ALIGN_TO_GRID, ID_OBJECT_TO_FRONT, ID_TOOL_TEXT})
        EXPECT_FALSE(enabled(id)) << id;
    designer().Select(name);
    ASSERT_TRUE(run(ID_MOVE_DOWN));
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{town});
    EXPECT_EQ(view->GetCurrentField(), town->fieldIndex);
    key(Qt::Key_Tab);
    EXPECT_EQ(designer().GetSelection(), std::vector<CDrawObj *>{name});
    // The mouse moves nothing in data mode.
    const RECT before = name->position;
    mouse.drag({name->position.left + 2, name->position.top + 2}, {300, 300});
    EXPECT_EQ(name->position, before);
}

// ---- in the program ----

class FormDesignerAppTest : public AppTest
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
    COrvelView &openSample(const char *name = "adressen.ovd")
    {
        const QString file = writeSampleDatabase(name);
        if (!app)
            start();
        EXPECT_NE(app->OpenDocumentFile(file), nullptr);
        QCoreApplication::processEvents();
        return *frame().GetActiveChild()->GetView();
    }
    CFormView &formOf(COrvelView &view) { return *view.GetFormView(); }
    void run(int id) { EXPECT_TRUE(router().Execute(id)) << id; }
};

TEST_F(FormDesignerAppTest, DrawSelectMoveCopySaveAndReadBack)
{
    COrvelView &view = openSample();
    run(ID_VIEW_FORM_DESIGN);
    ASSERT_NE(view.GetFormView(), nullptr);
    CFormView &form = formOf(view);
    FormMouse mouse([&form] { return form.viewport(); });
    CFormObjects &objects = view.GetDocument().GetForm();
    const std::size_t generated = objects.GetObjects().size();
    const QString file = view.GetDocument().GetPathName();

    run(ID_TOOL_RECT);
    EXPECT_TRUE(router().Query(ID_TOOL_RECT).Checked().value_or(false));
    mouse.press({500, 30});
    mouse.moveTo({560, 60});
    // The status line follows the drag.
    EXPECT_EQ(frame().GetMessageText(), QStringLiteral("(500, 30) - (560, 60)"));
    mouse.moveTo({600, 80});
    mouse.release({600, 80});
    run(ID_TOOL_ELLIPSE);
    mouse.drag({500, 100}, {600, 150});
    run(ID_TOOL_POLYGON);
    mouse.click({500, 200});
    mouse.moveTo({600, 200}, false);
    mouse.click({600, 200});
    mouse.moveTo({550, 260}, false);
    mouse.click({550, 260});
    mouse.moveTo({500, 200}, false);
    mouse.click({500, 200});
    ASSERT_EQ(objects.GetObjects().size(), generated + 3);

    // The rubber band takes the rectangle and the ellipse.
    mouse.drag({480, 20}, {620, 160});
    ASSERT_EQ(form.Designer().GetSelection().size(), 2u);
    QTest::keyClick(form.viewport(), Qt::Key_Right);
    QTest::keyClick(form.viewport(), Qt::Key_Right);
    QTest::keyClick(form.viewport(), Qt::Key_Down);
    run(ID_EDIT_COPY);
    QCoreApplication::processEvents();
    run(ID_EDIT_PASTE);
    ASSERT_EQ(objects.GetObjects().size(), generated + 5);
    // The copies lie on the originals: move them down.
    for (int i = 0; i < 100; ++i)
        QTest::keyClick(form.viewport(), Qt::Key_Down);
    run(ID_FILE_SAVE);
    EXPECT_FALSE(view.GetDocument().IsModified());

    // What the command-line tool reads from the file. A shape keeps the
    // corners as they were drawn: the press point is its right and bottom.
    QProcess cli;
    cli.start(qEnvironmentVariable("ORVEL_CLI"), {QStringLiteral("dump"), file});
    ASSERT_TRUE(cli.waitForFinished(30000));
    const QJsonObject dump = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    const QJsonArray saved = dump.value(QStringLiteral("form")).toObject().value(QStringLiteral("objects")).toArray();
    ASSERT_EQ(std::size_t(saved.size()), generated + 5);
    const auto position = [&](qsizetype i) {
        const QJsonArray p = saved.at(i).toObject().value(QStringLiteral("position")).toArray();
        return RECT{p.at(0).toInt(), p.at(1).toInt(), p.at(2).toInt(), p.at(3).toInt()};
    };
    const auto className = [&](qsizetype i) {
        return saved.at(i).toObject().value(QStringLiteral("class")).toString();
    };
    const qsizetype g = qsizetype(generated);
    EXPECT_EQ(className(g), QStringLiteral("CDrawRect"));
    EXPECT_EQ(position(g), (RECT{602, 81, 502, 31}));
    EXPECT_EQ(position(g + 1), (RECT{602, 151, 502, 101}));
    EXPECT_EQ(className(g + 2), QStringLiteral("CDrawPoly"));
    EXPECT_EQ(position(g + 2), (RECT{500, 200, 600, 260}));
    EXPECT_EQ(position(g + 3), (RECT{602, 181, 502, 131}));
    EXPECT_EQ(position(g + 4), (RECT{602, 251, 502, 201}));

    // Reopened, the form is what was saved.
    ASSERT_TRUE(docs().CloseDocument(view.GetDocument(), false));
    COrvelDoc *again = app->OpenDocumentFile(file);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->GetForm().GetObjects().size(), generated + 5);
    EXPECT_EQ(again->GetForm().GetObjects()[generated + 3]->position, (RECT{602, 181, 502, 131}));
}

TEST_F(FormDesignerAppTest, StandardViewZeroOpensWindowsAsForms)
{
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), 0);
    const QString file = writeSampleDatabase("form.ovd");
    {
        // A form with a data field for every field.
        COrvelDoc doc;
        ASSERT_TRUE(doc.Open(file));
        doc.CreateDefaultForm();
        ASSERT_TRUE(doc.Save(file, 1, true));
    }
    start();
    ASSERT_NE(app->OpenDocumentFile(file), nullptr);
    QCoreApplication::processEvents();
    COrvelView &view = *frame().GetActiveChild()->GetView();
    EXPECT_EQ(view.GetListMode(), 0);
    ASSERT_NE(view.GetFormView(), nullptr);
    // The first field of the first record is being edited.
    ASSERT_NE(formOf(view).Designer().GetEditor(), nullptr);
    EXPECT_EQ(formOf(view).Designer().GetEditor()->Text(), "M\xFCller");
    EXPECT_TRUE(frame().GetMessageText().startsWith(QStringLiteral("Datensatz 1 von 3")));
    run(ID_RECORD_NEXT);
    EXPECT_EQ(formOf(view).Designer().GetEditor()->Text(), "Sch\xE4"
                                                           "fer");
    // F9 shows the list; the form again keeps the current cell.
    run(ID_VIEW_LIST_FORM);
    EXPECT_EQ(view.GetListMode(), 1);
    EXPECT_EQ(view.GetCurrentRecord(), 1);
    run(ID_VIEW_LIST_FORM);
    EXPECT_EQ(formOf(view).Designer().GetEditor()->Text(), "Sch\xE4"
                                                           "fer");
}

TEST_F(FormDesignerAppTest, DesignBarsShowOnlyWhileTheActiveViewDesigns)
{
    COrvelView &first = openSample("eins.ovd");
    EXPECT_FALSE(frame().GetDesignBar()->isVisible());
    EXPECT_FALSE(router().Query(ID_VIEW_DESIGN_BAR).IsEnabled());
    run(ID_VIEW_FORM_DESIGN);
    EXPECT_TRUE(first.IsDesignMode());
    EXPECT_TRUE(frame().GetDesignBar()->isVisible());
    EXPECT_TRUE(frame().GetColorBarDock()->isVisible());
    EXPECT_TRUE(frame().IsDesignMenu());
    EXPECT_TRUE(router().Query(ID_VIEW_COLOR_BAR).Checked().value_or(false));
    // The colour bar may be put away and brought back.
    run(ID_VIEW_COLOR_BAR);
    EXPECT_FALSE(frame().GetColorBarDock()->isVisible());
    run(ID_VIEW_COLOR_BAR);
    EXPECT_TRUE(frame().GetColorBarDock()->isVisible());

    // Another window in list mode takes them away, and back to the first
    // brings them again.
    COrvelView &second = openSample("zwei.ovd");
    EXPECT_FALSE(second.IsDesignMode());
    EXPECT_FALSE(frame().GetDesignBar()->isVisible());
    EXPECT_FALSE(frame().IsDesignMenu());
    frame().GetMdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(first.parentWidget()));
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame().GetDesignBar()->isVisible());
    run(ID_VIEW_FORM_DESIGN);
    EXPECT_FALSE(frame().GetDesignBar()->isVisible());
    EXPECT_FALSE(frame().GetColorBarDock()->isVisible());
}

TEST_F(FormDesignerAppTest, TheColourBarSetsTheCurrentColoursAndColoursTheSelection)
{
    COrvelView &view = openSample();
    run(ID_VIEW_FORM_DESIGN);
    CFormDesigner &designer = formOf(view).Designer();
    CFormObjects &objects = view.GetDocument().GetForm();
    CDrawObj *rect = objects.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{500, 20, 600, 80}));
    designer.Select(rect);
    CColorBar *bar = frame().GetColorBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->SwatchColor(4), 0x0000FFu);

    QTest::mouseClick(bar->Swatch(4), Qt::LeftButton);
    EXPECT_EQ(frame().CurrentLineColor(), 0x0000FFu);
    EXPECT_EQ(bar->LineButton()->color(), 0x0000FFu);
    EXPECT_EQ(rect->pen.lopnColor, 0x0000FFu);
    QTest::mouseClick(bar->Swatch(8), Qt::RightButton);
    EXPECT_EQ(frame().CurrentFillColor(), 0x00FF00u);
    EXPECT_EQ(rect->brush.lbColor, 0x00FF00u);

    // A double click chooses the swatch a new colour; on the line button
    // it is the new line colour at once.
    scripted.queueColor(0x123456);
    QTest::mouseDClick(bar->Swatch(0), Qt::LeftButton);
    EXPECT_EQ(bar->SwatchColor(0), 0x123456u);
    scripted.queueColor(0x654321);
    QTest::mouseDClick(bar->LineButton(), Qt::LeftButton);
    EXPECT_EQ(frame().CurrentLineColor(), 0x654321u);
    EXPECT_EQ(rect->pen.lopnColor, 0x654321u);

    // New shapes take the current colours.
    FormMouse mouse([&view] { return view.GetFormView()->viewport(); });
    run(ID_TOOL_RECT);
    mouse.drag({500, 200}, {560, 260});
    EXPECT_EQ(objects.GetObjects().back()->pen.lopnColor, 0x654321u);
    EXPECT_EQ(objects.GetObjects().back()->brush.lbColor, 0x00FF00u);
}

TEST_F(FormDesignerAppTest, ContextMenusFollowTheObjectUnderTheMouse)
{
    COrvelView &view = openSample();
    run(ID_VIEW_FORM_DESIGN);
    CFormView &form = formOf(view);
    CFormObjects &objects = view.GetDocument().GetForm();
    CDrawObj *rect = objects.Add(std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{500, 20, 600, 80}));

    const auto menuAt = [&](QPoint p) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, p, form.viewport()->mapToGlobal(p));
        QApplication::sendEvent(form.viewport(), &event);
        QMenu *shown = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *menu = qobject_cast<QMenu *>(widget); menu && menu->objectName() == u"FormView")
                shown = menu;
        }
        QStringList texts;
        if (shown) {
            for (QAction *action : shown->actions())
                texts << action->text().remove(u'&');
            shown->close();
            delete shown;
        }
        return texts.join(u'|');
    };
    const QString onObject = menuAt({550, 50});
    EXPECT_TRUE(onObject.contains(QStringLiteral("Objekt in den Vordergrund"))) << onObject.toStdString();
    EXPECT_EQ(form.Designer().GetSelection(), std::vector<CDrawObj *>{rect});
    const QString nothing = menuAt({1500, 1200});
    EXPECT_TRUE(nothing.contains(QStringLiteral("Hintergrundfarbe"))) << nothing.toStdString();

    // In data mode a data field offers the record commands and those of its
    // field's type.
    CDataTable &table = view.GetTable();
    const int picture = table.InsertField("Bild");
    table.SetFieldType(FT_PICTURE, picture);
    objects.Add(std::make_unique<CDrawEdit>(picture, RECT{500, 300, 700, 400}));
    run(ID_VIEW_FORM_DESIGN);
    ASSERT_FALSE(form.Designer().IsDesignMode());
    const QString onPicture = menuAt({600, 350});
    EXPECT_TRUE(onPicture.contains(QStringLiteral("Neue Grafik"))) << onPicture.toStdString();
    EXPECT_TRUE(onPicture.contains(QStringLiteral("Datensatz löschen"))) << onPicture.toStdString();
    EXPECT_FALSE(onPicture.contains(QStringLiteral("Vordergrund"))) << onPicture.toStdString();
}

// With ORVEL_SCREENSHOT_DIR set, a form with every kind of object is saved
// as a picture there, in design mode and in data mode.
TEST_F(FormDesignerAppTest, AFormWithEveryKindOfObject)
{
    COrvelView &view = openSample();
    run(ID_VIEW_FORM_DESIGN);
    CFormView &form = formOf(view);
    CFormObjects &objects = view.GetDocument().GetForm();
    objects.CreateDefaultForm(view.GetTable().GetFieldCount());
    auto round = std::make_unique<CDrawRect>(CDrawRect::roundRectangle, RECT{440, 20, 560, 90},
                                             DrawColors{0x800000, 0xFFFF80});
    round->roundness = {30, 30};
    objects.Add(std::move(round));
    objects.Add(std::make_unique<CDrawRect>(CDrawRect::ellipse, RECT{580, 20, 700, 90}, DrawColors{0, 0x80FFFF}));
    auto raised = std::make_unique<CDrawRect>(CDrawRect::rectangle, RECT{440, 110, 560, 170});
    raised->frame3D = 1;
    raised->brush.lbColor = 0xC0C0C0;
    objects.Add(std::move(raised));
    auto line = std::make_unique<CDrawRect>(CDrawRect::line, RECT{580, 110, 700, 170}, DrawColors{0x0000FF, 0});
    line->pen.lopnWidth = {5, 5};
    objects.Add(std::move(line));
    auto poly = std::make_unique<CDrawPoly>(RECT{}, DrawColors{0x008000, 0x00FF00});
    poly->hasBrush = 1;
    for (POINT p : {POINT{450, 200}, POINT{550, 190}, POINT{520, 260}, POINT{470, 230}, POINT{540, 215}})
        poly->AddPoint(p);
    objects.Add(std::move(poly));
    auto text = std::make_unique<CDrawText>(RECT{580, 190, 700, 260});
    text->text = "Gr\xFC\xDF"
                 "e aus Orvel";
    text->textColor = 0x800080;
    text->drawFlags = DT_CENTER | DT_WORDBREAK;
    objects.Add(std::move(text));
    auto turned = std::make_unique<CDrawText>(RECT{720, 20, 760, 160});
    turned->text = "senkrecht";
    turned->font.lfEscapement = 900;
    turned->drawFlags = DT_NOCLIP | DT_SINGLELINE;
    turned->position = RECT{720, 160, 760, 300};
    objects.Add(std::move(turned));
    form.Designer().Select(objects.GetObjects()[std::size_t(objects.GetObjects().size() - 6)].get());
    run(ID_VIEW_GUIDE_DOTS);
    frame().resize(1024, 700);
    QCoreApplication::processEvents();
    const QImage design = frame().grab().toImage();
    run(ID_VIEW_FORM_DESIGN);
    QCoreApplication::processEvents();
    const QImage data = frame().grab().toImage();
    EXPECT_FALSE(design.isNull());
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(design.save(shots + QStringLiteral("/orvel-form-design.png")));
        EXPECT_TRUE(data.save(shots + QStringLiteral("/orvel-form-data.png")));
    }
}

} // namespace
