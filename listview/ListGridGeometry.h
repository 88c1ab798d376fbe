#pragma once

// The list grid's layout as a set of small functions over the table, the
// metrics of the grid font and the scroll position, so that painting, mouse
// handling, scrolling and the tests all work from the same rules.
//
// Coordinates are pixels of the grid's client area, origin top left.
// Rectangles follow the device-context rule: right and bottom are the first
// pixels outside.

#include "platform/Gdi.h"
#include "platform/LogFont.h"

class QFontMetrics;

namespace orvel {

class CDataTable;

namespace grid {

// Widths in character units.
constexpr int kRowHeaderUnits = 6;
constexpr int kEmptyColumnUnits = 18;
// Column sizing: the new right edge stays at least this many pixels and at
// most this many character units right of the column's left edge.
constexpr int kMinColumnDragPixels = 20;
constexpr int kMaxColumnDragUnits = 10 * kRowHeaderUnits;
// Row heights in lines.
constexpr int kMinRowLines = 1;
constexpr int kMaxRowLines = 3;
// How close to a row's bottom edge (in the row-header column) the row-height
// cursor shows; clicks this close to a row's top or bottom do not toggle the
// mark.
constexpr int kRowEdgeZone = 4;
// How close to a column's right edge (in the header row) the column-width
// cursor shows.
constexpr int kColumnEdgeZone = 6;
// The 255-byte limit of every value.
constexpr int kMaxEditLength = 255;

constexpr COLORREF kGridLineColor = 0x808080;
constexpr COLORREF kFocusFrameColor = RGB(128, 128, 0);

// The two units everything is measured in.
struct GridMetrics
{
    int charUnit = 1;   // pixels per width unit: average character width + 4
    int lineHeight = 1; // pixels per line: height + external leading + 6

    int rowHeaderWidth() const { return kRowHeaderUnits * charUnit; }
    friend bool operator==(const GridMetrics &, const GridMetrics &) = default;
};

GridMetrics MeasureGridFont(const QFontMetrics &metrics);

// Win32 MulDiv: a * b / c rounded to the nearest integer (halves away from
// zero), -1 when c is 0 or the result does not fit.
int MulDiv(int a, int b, int c);

// A scroll bar in the old terms: the range runs from 0 to `maximum` and a
// page covers `page` positions, so the highest thumb position is
// maximum - page + 1.
struct ScrollBarInfo
{
    bool visible = false;
    int maximum = 0;
    int page = 0;
    int position = 0;
    friend bool operator==(const ScrollBarInfo &, const ScrollBarInfo &) = default;
};

// Everything the layout depends on at one moment.
class GridGeometry
{
public:
    GridGeometry(const CDataTable &table, GridMetrics metrics, int firstRow, int firstColumn, int clientWidth,
                 int clientHeight);

    const GridMetrics &metrics() const { return m_metrics; }
    int firstRow() const { return m_firstRow; }
    int firstColumn() const { return m_firstColumn; }
    int clientWidth() const { return m_clientWidth; }
    int clientHeight() const { return m_clientHeight; }

    // Column -1 is the row-header column; columns at and past the field
    // count are the empty columns that fill the area.
    int columnUnits(int column) const;
    int columnWidth(int column) const { return columnUnits(column) * m_metrics.charUnit; }
    // Row -1 is the header row; rows at and past the record count are the
    // empty rows below the last record.
    int rowLines(int row) const;
    int rowHeight(int row) const { return rowLines(row) * m_metrics.lineHeight; }

    // Left edge of a column at or right of the first column, top edge of a
    // row at or below the first row. A row far below the area gets a top
    // somewhere below it (never an exact figure: nothing there is drawn), so
    // that no walk is longer than the area is high.
    int columnLeft(int column) const;
    int rowTop(int row) const;

    // The current cell's rectangle, inside the cell's grid lines (the focus
    // frame runs along its border and the edit sits inside it).
    RECT cellRect(int record, int column) const;
    // Where the header cells and the row-header cells are drawn (their
    // black borders overlap the neighbours').
    RECT cornerCellRect() const;
    RECT columnHeaderRect(int column) const;
    RECT rowHeaderRect(int row) const;
    // The band a row occupies, its header cell and its grid lines included.
    RECT rowBand(int row) const;

    // The row whose bottom first passes the area's bottom, or -1 when that
    // row has no record (the records end inside the area).
    int lastVisibleRow() const;
    // The column whose right edge first passes the area's right edge (which
    // may be an empty column past the fields).
    int lastVisibleColumn() const;
    // The last record row that ends inside the area; the first row when not
    // even that one does.
    int lastWholeRow() const;

    // The row under y (the first row whose bottom lies below y, header row
    // included); it may lie past the last record.
    int rowAt(int y) const;
    // The column under x, from the first column on; a position inside the
    // row-header column gives the first column.
    int columnAt(int x) const;
    // The record whose mark a click at (x, y) toggles, or -1: inside the
    // row-header column and more than 4 pixels from the row's top and bottom.
    int markRowAt(int x, int y) const;
    // The field whose width a drag at (x, y) changes, or -1: in the header
    // row within 6 pixels of its right edge.
    int sizingColumnAt(int x, int y) const;
    // The record whose height a drag at (x, y) changes, or -1: in the
    // row-header column within 4 pixels of its bottom edge.
    int sizingRowAt(int x, int y) const;

    ScrollBarInfo verticalScrollBar() const;
    ScrollBarInfo horizontalScrollBar() const;

private:
    const CDataTable &m_table;
    GridMetrics m_metrics;
    int m_firstRow;
    int m_firstColumn;
    int m_clientWidth;
    int m_clientHeight;
    int m_recordCount;
    int m_fieldCount;
};

// Column sizing: the pixel width after a drag from startX to x (x is held
// within the limits first), and the stored width in character units
// (truncated, never below one unit).
int DraggedColumnRight(const GridMetrics &metrics, int columnLeft, int x);
int DraggedColumnUnits(const GridMetrics &metrics, int oldWidthPixels, int startX, int heldX);
// Row sizing: y held between one and three lines below the row's top, and
// the new height in lines.
int DraggedRowBottom(const GridMetrics &metrics, int rowTop, int y);
int DraggedRowLines(const GridMetrics &metrics, int oldHeightPixels, int startY, int heldY);

} // namespace grid
} // namespace orvel
