// The list grid driven as a user drives it: keys, clicks and drags on the
// real widget, checked against the table, the host and the layout rules.
#include "ListGridFixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>

using namespace orvel;
using namespace orvel::test;

namespace {

QString EditorSelection(CellEditor *editor)
{
    if (auto *line = dynamic_cast<QLineEdit *>(editor->widget()))
        return line->selectedText();
    if (auto *text = dynamic_cast<QPlainTextEdit *>(editor->widget()))
        return text->textCursor().selectedText();
    return {};
}

} // namespace

TEST_F(ListGridTest, DownAndClicksAppendOnlyAfterARecordThatHoldsSomething)
{
    makeTable(0);
    showGrid();
    EXPECT_EQ(grid->LastVisibleRow(), -1);

    // The empty list: Down starts the first record, which is blank, so a
    // second Down adds nothing.
    QTest::keyClick(grid.get(), Qt::Key_Down);
    ASSERT_EQ(table().GetRecordCount(), 1);
    EXPECT_EQ(host.record, 0);
    EXPECT_TRUE(doc.IsModified());
    QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(table().GetRecordCount(), 1);

    // A default value does not count as something.
    table().SetDefaultValue("Neu", 0);
    table().GetRecord(0)->SetValue("Neu", 0);
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellCenter(3, 0)); // far below the last record
    EXPECT_EQ(table().GetRecordCount(), 1);

    // Something typed: Down (and a click below the records) appends.
    QTest::keyClick(grid.get(), Qt::Key_X);
    ASSERT_TRUE(grid->IsEditing());
    QTest::keyClick(grid.get(), Qt::Key_Down);
    settle();
    EXPECT_FALSE(grid->IsEditing());
    ASSERT_EQ(table().GetRecordCount(), 2);
    EXPECT_EQ(host.record, 1);
    EXPECT_EQ(table().GetRecord(1)->GetRawValue(0), "Neu");
    table().GetRecord(1)->SetValue("Zwei", 0);
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellCenter(4, 1));
    EXPECT_EQ(table().GetRecordCount(), 3);
    EXPECT_EQ(host.record, 2);
    EXPECT_EQ(host.field, 1);
}

TEST_F(ListGridTest, RowHeaderClicksToggleMarksAwayFromTheRowEdges)
{
    makeTable(5);
    showGrid();
    const grid::GridGeometry g = grid->Geometry();
    const int top = g.rowTop(2);
    const int bottom = top + g.rowHeight(2);
    const int x = g.metrics().rowHeaderWidth() / 2;

    QTest::mouseClick(area(), Qt::LeftButton, {}, {x, top + grid::kRowEdgeZone + 1});
    EXPECT_TRUE(table().GetRecord(2)->IsMarked());
    EXPECT_EQ(table().GetMarkedCount(), 1);
    EXPECT_EQ(host.record, 2);
    ASSERT_FALSE(host.hints.empty());
    EXPECT_EQ(host.hints.back().kind, Hint::RecordChanged);
    EXPECT_EQ(host.hints.back().record, 2);
    EXPECT_EQ(host.hints.back().field, 0);
    EXPECT_TRUE(doc.IsModified());

    // Within four pixels of either edge: no toggle (the click selects the row).
    for (const int y : {top + grid::kRowEdgeZone, bottom - grid::kRowEdgeZone, top, bottom - 1}) {
        QTest::mouseClick(area(), Qt::LeftButton, {}, {x, y});
        EXPECT_TRUE(table().GetRecord(2)->IsMarked()) << y;
        EXPECT_EQ(table().GetMarkedCount(), 1) << y;
    }
    QTest::mouseClick(area(), Qt::LeftButton, {}, {x, bottom - grid::kRowEdgeZone - 1});
    EXPECT_FALSE(table().GetRecord(2)->IsMarked());

    // At the bottom edge the row-height cursor shows; in the middle the arrow.
    QTest::mouseMove(area(), {x, bottom - 2});
    EXPECT_EQ(area()->cursor().shape(), Qt::SplitVCursor);
    QTest::mouseMove(area(), {x, (top + bottom) / 2});
    EXPECT_EQ(area()->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(area(), {g.columnLeft(1), g.metrics().lineHeight / 2});
    EXPECT_EQ(area()->cursor().shape(), Qt::SplitHCursor);
}

TEST_F(ListGridTest, ColumnAndRowDragsStayWithinTheirLimits)
{
    makeTable(5);
    showGrid(900, 400);
    const grid::GridMetrics m = grid->Metrics();
    const grid::GridGeometry g = grid->Geometry();
    const int left = g.columnLeft(0);
    const int right = left + g.columnWidth(0);
    const int y = m.lineHeight / 2;
    const int otherUnits = table().GetTotalWidth() - table().GetColumnWidth(0);

    // Far to the left: held at 20 pixels from the column's left edge.
    QTest::mousePress(area(), Qt::LeftButton, {}, {right, y});
    QTest::mouseMove(area(), {left - 50, y});
    QTest::mouseRelease(area(), Qt::LeftButton, {}, {left - 50, y});
    EXPECT_EQ(table().GetColumnWidth(0), grid::kMinColumnDragPixels / m.charUnit);
    EXPECT_EQ(table().GetTotalWidth(), otherUnits + grid::kMinColumnDragPixels / m.charUnit);
    ASSERT_FALSE(host.hints.empty());
    EXPECT_EQ(host.hints.back().kind, Hint::ListLayout);
    EXPECT_TRUE(table().IsModified());
    EXPECT_TRUE(doc.IsModified());

    // Far to the right: held at 60 units.
    const int newRight = left + grid->Geometry().columnWidth(0);
    QTest::mousePress(area(), Qt::LeftButton, {}, {newRight, y});
    QTest::mouseRelease(area(), Qt::LeftButton, {}, {left + 2000, y});
    EXPECT_EQ(table().GetColumnWidth(0), grid::kMaxColumnDragUnits);

    // A press on the edge without moving changes nothing.
    doc.SetModifiedFlag(false);
    host.hints.clear();
    const int edge = left + grid->Geometry().columnWidth(0);
    QTest::mouseClick(area(), Qt::LeftButton, {}, {edge, y});
    EXPECT_EQ(table().GetColumnWidth(0), grid::kMaxColumnDragUnits);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(host.hints.empty());

    // Rows: between one and three lines.
    const int x = m.rowHeaderWidth() / 2;
    const int bottom = g.rowTop(1) + g.rowHeight(1);
    QTest::mousePress(area(), Qt::LeftButton, {}, {x, bottom});
    QTest::mouseRelease(area(), Qt::LeftButton, {}, {x, bottom + 10 * m.lineHeight});
    EXPECT_EQ(table().GetRecord(1)->GetRowHeight(), 3);
    EXPECT_EQ(table().GetTotalHeight(), 5 + 2);
    const int tallBottom = grid->Geometry().rowTop(1) + grid->Geometry().rowHeight(1);
    QTest::mousePress(area(), Qt::LeftButton, {}, {x, tallBottom - 1});
    QTest::mouseRelease(area(), Qt::LeftButton, {}, {x, 0});
    EXPECT_EQ(table().GetRecord(1)->GetRowHeight(), 1);
}

TEST_F(ListGridTest, TypingReplacesTheValueAndEnterOpensAndCloses)
{
    makeTable(3);
    showGrid();
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellCenter(1, 0));
    ASSERT_EQ(host.record, 1);

    // A typed character replaces the value at once.
    QTest::keyClick(grid.get(), Qt::Key_Q, Qt::NoModifier);
    ASSERT_TRUE(grid->IsEditing());
    EXPECT_EQ(table().GetRecord(1)->GetRawValue(0), "q");
    QTest::keyClick(grid->Editor()->widget(), Qt::Key_U);
    QTest::sendKeyEvent(QTest::Click, grid->Editor()->widget(), Qt::Key_Adiaeresis, QStringLiteral("ä"), {});
    EXPECT_EQ(table().GetRecord(1)->GetRawValue(0), "qu\xE4");
    ASSERT_FALSE(host.hints.empty());
    EXPECT_EQ(host.hints.back().kind, Hint::RecordChanged);
    EXPECT_EQ(host.hints.back().record, 1);
    EXPECT_EQ(host.hints.back().field, 0);
    EXPECT_FALSE(grid->Editor()->style().multiLine);

    // Enter closes; Enter again opens with the whole value selected.
    QTest::keyClick(grid->Editor()->widget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_TRUE(grid->hasFocus());
    QTest::keyClick(grid.get(), Qt::Key_Return);
    ASSERT_TRUE(grid->IsEditing());
    EXPECT_EQ(EditorSelection(grid->Editor()), QStringLiteral("quä"));
    QTest::keyClick(grid->Editor()->widget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(table().GetRecord(1)->GetRawValue(0), "qu\xE4");

    // Values keep to 255 bytes.
    QTest::keyClick(grid.get(), Qt::Key_Return);
    QTest::keyClicks(grid->Editor()->widget(), QString(300, u'x'));
    EXPECT_EQ(table().GetRecord(1)->GetValueLength(0), 255);
    grid->Commit();
}

TEST_F(ListGridTest, NumbersAndDatesAreEditedAsTheyAreShown)
{
    makeTable(3);
    table().GetRecord(2)->SetRowHeight(2);
    showGrid();

    // Opening and closing the edit of a number leaves the stored text alone.
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellCenter(0, 1));
    QTest::keyClick(grid.get(), Qt::Key_Return);
    ASSERT_TRUE(grid->IsEditing());
    EXPECT_TRUE(grid->Editor()->style().multiLine);
    EXPECT_EQ(grid->Editor()->style().align, CellEditor::Align::Right);
    EXPECT_EQ(EditorSelection(grid->Editor()), QStringLiteral("1.234,50"));
    grid->Commit();
    settle();
    EXPECT_EQ(table().GetRecord(0)->GetRawValue(1), "1234.5");
    EXPECT_FALSE(doc.IsModified());

    // Typed numbers are stored in their plain form.
    QTest::keyClick(grid.get(), Qt::Key_7);
    QTest::keyClicks(grid->Editor()->widget(), QStringLiteral(",25"));
    EXPECT_EQ(table().GetRecord(0)->GetRawValue(1), "7.25");
    grid->Commit();

    QTest::keyClick(grid.get(), Qt::Key_Right);
    QTest::keyClick(grid.get(), Qt::Key_Return);
    EXPECT_EQ(EditorSelection(grid->Editor()), QStringLiteral("24.12.96"));
    QTest::keyClick(grid->Editor()->widget(), Qt::Key_Return);
    settle();
    EXPECT_EQ(table().GetRecord(0)->GetRawValue(2), "19961224");

    // A text cell in a two-line row edits on several lines.
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellCenter(2, 0));
    QTest::keyClick(grid.get(), Qt::Key_Return);
    ASSERT_TRUE(grid->IsEditing());
    EXPECT_TRUE(grid->Editor()->style().multiLine);
    EXPECT_EQ(grid->Editor()->style().align, CellEditor::Align::Left);
    // Down belongs to the grid even in a multi-line edit.
    QTest::keyClick(grid->Editor()->widget(), Qt::Key_Up);
    settle();
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(host.record, 1);
}

TEST_F(ListGridTest, MediaFieldsAreNotEditedInTheList)
{
    makeTable(2);
    table().GetRecord(0)->SetRawValue("memo0001", 3);
    showGrid(900, 400);
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellCenter(0, 3));
    ASSERT_EQ(host.field, 3);
    QTest::keyClick(grid.get(), Qt::Key_A);
    QTest::keyClick(grid.get(), Qt::Key_Return);
    QTest::keyClick(grid.get(), Qt::Key_Backspace);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(table().GetRecord(0)->GetRawValue(3), "memo0001");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ListGridTest, PagesAndJumpsMoveTheCurrentRecordAndTheRows)
{
    makeTable(200);
    showGrid();
    host.field = 2;

    // Last shows the last record on top, in the first column.
    QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(host.record, 199);
    EXPECT_EQ(host.field, 0);
    EXPECT_EQ(grid->FirstRow(), 199);
    EXPECT_EQ(grid->LastVisibleRow(), -1);
    EXPECT_TRUE(host.status.startsWith(QStringLiteral("Datensatz 200 von 200, Letzte Änderung: ")))
            << host.status.toStdString();

    QTest::keyClick(grid.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(host.record, 0);
    EXPECT_EQ(grid->FirstRow(), 0);

    // Page down: the row cut off at the bottom comes to the top, and the
    // current record keeps its place on the screen.
    QTest::keyClick(grid.get(), Qt::Key_Down);
    const int last = grid->LastVisibleRow();
    ASSERT_GT(last, 2);
    QTest::keyClick(grid.get(), Qt::Key_PageDown);
    EXPECT_EQ(grid->FirstRow(), last);
    EXPECT_EQ(host.record, last + 1);
    QTest::keyClick(grid.get(), Qt::Key_PageUp);
    EXPECT_EQ(grid->FirstRow(), 0);
    EXPECT_EQ(host.record, 1);
    EXPECT_EQ(table().GetRecordCount(), 200);

    // Down at the bottom scrolls by one row.
    for (int i = 0; i < last; ++i)
        QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(host.record, last + 1);
    ASSERT_GT(grid->FirstRow(), 0);
    EXPECT_LT(grid->Geometry().cellRect(host.record, host.field).bottom, area()->height());
    const grid::GridGeometry lessScrolled(table(), grid->Metrics(), grid->FirstRow() - 1, 0, area()->width(),
                                          area()->height());
    EXPECT_GE(lessScrolled.cellRect(host.record, host.field).bottom, area()->height());
}
