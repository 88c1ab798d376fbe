// What the list grid paints, checked pixel by pixel at the places the
// layout rules name (all positions come from the font's metrics), and the
// scroll-bar arithmetic.
#include "ListGridFixture.h"

#include "platform/Registry.h"
#include "table/DataTable.h"

#include <QImage>
#include <QScreen>

using namespace orvel;
using namespace orvel::test;

namespace {

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;
constexpr QRgb kShadow = 0x808080;
constexpr QRgb kFace = 0xC0C0C0;
constexpr QRgb kFocus = 0x808000; // RGB(128, 128, 0)

class Picture
{
public:
    explicit Picture(QWidget *widget)
        : m_image(widget->grab().toImage())
    {}
    QRgb at(int x, int y) const { return m_image.pixel(x, y) & 0xFFFFFF; }
    // Pixels darker than the face colour in columns [x0, x1) of rows [y0, y1).
    int darkIn(int x0, int x1, int y0, int y1) const
    {
        int dark = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                dark += qGray(m_image.pixel(x, y)) < 0x80;
        return dark;
    }

private:
    QImage m_image;
};

} // namespace

TEST_F(ListGridTest, PaintsCellsLinesAndTheFocusFrameWhereTheLayoutPutsThem)
{
    makeTable(4);
    table().GetRecord(1)->SetMark(true);
    table().GetRecord(2)->SetRowHeight(2);
    showGrid(1200, 400);
    QTest::mouseClick(area(), Qt::LeftButton, {}, cellCenter(2, 1));
    const grid::GridGeometry g = grid->Geometry();
    const int header = g.metrics().rowHeaderWidth();
    const int line = g.metrics().lineHeight;
    const Picture picture(area());

    // The corner cell: raised, with its black border at the right and bottom.
    EXPECT_EQ(picture.at(0, 0), kWhite);
    EXPECT_EQ(picture.at(header - 2, line - 2), kShadow);
    EXPECT_EQ(picture.at(header - 1, line / 2), kBlack);
    EXPECT_EQ(picture.at(header / 2, line - 1), kBlack);
    EXPECT_EQ(picture.at(header / 2, line / 2), kFace);

    // A column header: raised, its bevel inside the shared border.
    const int left1 = g.columnLeft(1);
    EXPECT_EQ(picture.at(left1 - 1, line / 2), kBlack);
    EXPECT_EQ(picture.at(left1, line / 2), kWhite);
    EXPECT_EQ(picture.at(left1 - 2, line / 2), kShadow);
    EXPECT_EQ(picture.at(left1 + 1, 1), kFace);

    // Row headers: raised for row 0, sunken for the marked row 1.
    for (int row : {0, 1}) {
        const int top = g.rowTop(row);
        const bool marked = row == 1;
        EXPECT_EQ(picture.at(0, top + 1), marked ? kShadow : kWhite) << row;
        EXPECT_EQ(picture.at(header - 2, top + 1), marked ? kWhite : kShadow) << row;
        EXPECT_EQ(picture.at(header - 1, top + 1), kBlack) << row;
        EXPECT_EQ(picture.at(1, top - 1), kBlack) << row;
    }

    // Grid lines at every row's and column's last pixel, none inside the
    // two-line row, and empty rows and columns continue to the edges.
    const int x = g.columnLeft(0) + 2;
    EXPECT_EQ(picture.at(x, g.rowTop(1) - 1), kShadow);
    EXPECT_EQ(picture.at(x, g.rowTop(2) + line - 1), kWhite);
    EXPECT_EQ(picture.at(x, g.rowTop(3) - 1), kShadow);
    EXPECT_EQ(g.rowTop(3), g.rowTop(2) + 2 * line);
    EXPECT_EQ(picture.at(x, g.rowTop(6) - 1), kShadow);
    EXPECT_EQ(picture.at(left1 - 1, line + 5), kShadow);
    const int emptyRight = g.columnLeft(4) + g.columnWidth(4);
    ASSERT_LT(emptyRight, area()->width());
    EXPECT_EQ(g.columnWidth(4), 18 * g.metrics().charUnit);
    EXPECT_EQ(picture.at(emptyRight - 1, g.rowTop(6) + 3), kShadow);
    EXPECT_EQ(picture.at(emptyRight - 1, line / 2), kBlack);

    // Texts: names from the left, numbers from the right, media fields as
    // their type in brackets.
    const int top0 = g.rowTop(0);
    const int textTop = top0 + 3;
    const int textBottom = top0 + line - 3;
    EXPECT_GT(picture.darkIn(g.columnLeft(0) + 3, g.columnLeft(0) + 13, textTop, textBottom), 0);
    EXPECT_EQ(picture.darkIn(left1 + 3, left1 + 13, textTop, textBottom), 0);
    EXPECT_GT(picture.darkIn(g.columnLeft(2) - 13, g.columnLeft(2) - 3, textTop, textBottom), 0);
    EXPECT_GT(picture.darkIn(g.columnLeft(3) + 3, g.columnLeft(3) + 13, textTop, textBottom), 0);

    // The focus frame runs along the current cell, one pixel inside its lines.
    const RECT cell = g.cellRect(2, 1);
    EXPECT_EQ(cell.left, left1 + 1);
    EXPECT_EQ(cell.top, g.rowTop(2) + 1);
    EXPECT_EQ(picture.at(cell.left, cell.top + 3), kFocus);
    EXPECT_EQ(picture.at(cell.right - 1, cell.bottom - 1), kFocus);
    EXPECT_EQ(picture.at(cell.left + 5, cell.bottom - 1), kFocus);
    EXPECT_EQ(picture.at(cell.left - 1, cell.top + 3), kWhite);
    EXPECT_EQ(picture.at(cell.right, cell.top + 3), kWhite);

    // Only while the view is active.
    grid->SetActive(false);
    EXPECT_EQ(Picture(area()).at(cell.left, cell.top + 3), kWhite);
    grid->SetActive(true);
    EXPECT_EQ(Picture(area()).at(cell.left, cell.top + 3), kFocus);
}

TEST(ListGridGeometry, ScrollBarsCoverTheTableInRowsAndColumns)
{
    EXPECT_EQ(grid::MulDiv(5, 3, 2), 8);
    EXPECT_EQ(grid::MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(grid::MulDiv(200, 100, 2000), 10);
    EXPECT_EQ(grid::MulDiv(1, 1, 0), -1);

    CDataTable table;
    for (int i = 0; i < 4; ++i)
        table.InsertField("F" + std::to_string(i)); // 18 units each
    for (int i = 0; i < 100; ++i)
        table.AddRecord(table.CreateRecord());
    const grid::GridMetrics m{10, 20};

    // 200 pixels below the header for 100 rows of 20: ten rows a page.
    grid::GridGeometry g(table, m, 0, 0, 400, 220);
    EXPECT_EQ(g.verticalScrollBar(), (grid::ScrollBarInfo{true, 99, 10, 0}));
    // 340 pixels right of the row headers for 720: one field of four a page.
    EXPECT_EQ(g.horizontalScrollBar(), (grid::ScrollBarInfo{true, 3, 2, 0}));
    EXPECT_EQ(grid::GridGeometry(table, m, 0, 0, 800, 220).horizontalScrollBar().visible, false);
    EXPECT_EQ(grid::GridGeometry(table, m, 0, 1, 800, 220).horizontalScrollBar(), (grid::ScrollBarInfo{true, 3, 4, 1}));

    // Rows of three lines count three times.
    table.GetRecord(0)->SetRowHeight(3);
    EXPECT_EQ(grid::GridGeometry(table, m, 5, 0, 400, 220).verticalScrollBar(),
              (grid::ScrollBarInfo{true, 99, grid::MulDiv(200, 100, 20 * 102), 5}));
    while (table.GetRecordCount() > 5)
        table.RemoveRecord(0);
    EXPECT_FALSE(grid::GridGeometry(table, m, 0, 0, 400, 220).verticalScrollBar().visible);
    EXPECT_TRUE(grid::GridGeometry(table, m, 1, 0, 400, 220).verticalScrollBar().visible);
}

// What is on the screen after scrolling by moved pixels, erased frames and
// single repainted rows must be what a full repaint draws.
TEST_F(ListGridTest, IncrementalPaintingLeavesWhatAFullRepaintDraws)
{
    makeTable(60);
    for (int i = 0; i < 6; ++i)
        table().SetFieldType(FT_TEXT, table().InsertField("Feld " + std::to_string(i)));
    table().GetRecord(3)->SetRowHeight(2);
    table().GetRecord(5)->SetMark(true);
    showGrid(700, 300);

    auto compare = [&](const char *step) {
        QCoreApplication::processEvents();
        const QRect inWindow(area()->mapTo(grid->window(), QPoint()), area()->size());
        const QImage onScreen = grid->screen()->grabWindow(grid->window()->winId()).toImage().copy(inWindow);
        const QImage painted = area()->grab().toImage();
        ASSERT_EQ(onScreen.size(), painted.size()) << step;
        int differing = 0;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x)
                differing += (onScreen.pixel(x, y) & 0xFFFFFF) != (painted.pixel(x, y) & 0xFFFFFF);
        EXPECT_EQ(differing, 0) << step;
    };

    // Each step is painted before the next, as the user sees it.
    auto press = [&](int key, int times, const char *step) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(grid.get(), Qt::Key(key));
            compare(step);
        }
    };
    compare("shown");
    press(Qt::Key_Down, 20, "down");
    ASSERT_GT(grid->FirstRow(), 0);
    press(Qt::Key_Right, 6, "right");
    ASSERT_GT(grid->FirstColumn(), 0);
    press(Qt::Key_Up, 19, "up");
    press(Qt::Key_Left, 6, "left");
    grid->VerticalScroll(CListGrid::ScrollCode::LineForward);
    compare("scroll bar line down");
    grid->HorizontalScroll(CListGrid::ScrollCode::LineForward);
    compare("scroll bar line right");
    grid->ToggleMarkOfCurrent();
    compare("marked");
    QTest::keyClick(grid.get(), Qt::Key_Return);
    QTest::keyClick(grid->Editor()->widget(), Qt::Key_Z);
    QTest::keyClick(grid->Editor()->widget(), Qt::Key_Return);
    settle();
    compare("edited");
    grid->SetActive(false);
    compare("inactive");
}

TEST_F(ListGridTest, HintsBringTheCurrentCellIntoView)
{
    makeTable(100);
    showGrid();

    // Another view moved the current record far down (go to, search).
    host.record = 70;
    grid->OnUpdate(Hint::Repaint);
    EXPECT_EQ(grid->FirstRow(), 70);

    // Inserted above the first row: the list follows it back.
    host.record = 10;
    grid->OnUpdate(Hint::ShowCurrent);
    EXPECT_EQ(grid->FirstRow(), 10);

    // A replaced database starts at the top; records gone from the end
    // leave no first row behind them.
    grid->OnUpdate(Hint::Replaced);
    EXPECT_EQ(grid->FirstRow(), 0);
    grid->Last();
    ASSERT_EQ(grid->FirstRow(), 99);
    while (table().GetRecordCount() > 5)
        table().RemoveRecord(table().GetRecordCount() - 1);
    host.record = 4;
    grid->OnUpdate(Hint::ShowCurrent);
    EXPECT_EQ(grid->FirstRow(), 4);

    // An open edit ends before any change of the records.
    QTest::keyClick(grid.get(), Qt::Key_Return);
    ASSERT_TRUE(grid->IsEditing());
    grid->OnUpdate({Hint::RecordChanged, 4, 0});
    EXPECT_TRUE(grid->IsEditing());
    grid->OnUpdate(Hint::CommitEdit);
    EXPECT_FALSE(grid->IsEditing());
}

TEST_F(ListGridTest, WithNiceListRepaintOffTheGridPaintsTheSamePixelsDirectly)
{
    makeTable(40);
    table().GetRecord(2)->SetMark(true);
    QImage seen[2];
    for (const int nice : {1, 0}) {
        SCOPED_TRACE(nice);
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("NiceListRepaint"), nice);
        host.record = host.field = 0;
        showGrid(500, 200);
        // Scrolled and moved: the screen holds the result of partial paints.
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(grid.get(), Qt::Key_Down);
        QTest::keyClick(grid.get(), Qt::Key_Right);
        QCoreApplication::processEvents();
        ASSERT_GT(grid->FirstRow(), 0);
        const QRect inWindow(area()->mapTo(grid->window(), QPoint()), area()->size());
        seen[nice] = grid->screen()->grabWindow(grid->window()->winId()).toImage().copy(inWindow);
        grid.reset();
    }
    Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("NiceListRepaint"), 1);
    EXPECT_EQ(seen[0], seen[1]);
}
