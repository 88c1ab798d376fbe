#include "listview/ListGridGeometry.h"

#include "table/DataTable.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orvel::grid {

GridMetrics MeasureGridFont(const QFontMetrics &metrics)
{
    GridMetrics m;
    m.charUnit = std::max(1, metrics.averageCharWidth() + 4);
    // Qt reports a negative leading for some faces; the old metrics never
    // had one.
    m.lineHeight = std::max(1, metrics.height() + std::max(0, metrics.leading()) + 6);
    return m;
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t num = std::abs(product);
    const int64_t den = std::abs(int64_t(c));
    const int64_t result = (num + den / 2) / den;
    if (result > std::numeric_limits<int>::max())
        return -1;
    return negative ? -int(result) : int(result);
}

GridGeometry::GridGeometry(const CDataTable &table, GridMetrics metrics, int firstRow, int firstColumn, int clientWidth,
                           int clientHeight)
    : m_table(table)
    , m_metrics(metrics)
    , m_firstRow(std::max(0, firstRow))
    , m_firstColumn(std::max(0, firstColumn))
    , m_clientWidth(clientWidth)
    , m_clientHeight(clientHeight)
    , m_recordCount(table.GetRecordCount())
    , m_fieldCount(table.GetFieldCount())
{
    m_metrics.charUnit = std::max(1, m_metrics.charUnit);
    m_metrics.lineHeight = std::max(1, m_metrics.lineHeight);
}

int GridGeometry::columnUnits(int column) const
{
    if (column < 0)
        return kRowHeaderUnits;
    if (column < m_fieldCount)
        return m_table.GetColumnWidth(column);
    return kEmptyColumnUnits;
}

int GridGeometry::rowLines(int row) const
{
    if (row < 0 || row >= m_recordCount)
        return 1;
    return std::max(1, m_table.GetRecord(row)->GetRowHeight());
}

int GridGeometry::columnLeft(int column) const
{
    if (column < 0)
        return 0;
    // Far beyond either edge nothing is drawn; the walks stop there, so that
    // their length is bounded by the area rather than by the table.
    const int far = m_clientWidth + 2 * kMaxColumnDragUnits * m_metrics.charUnit;
    int x = m_metrics.rowHeaderWidth();
    if (column >= m_firstColumn) {
        for (int c = m_firstColumn; c < column; ++c) {
            x += columnWidth(c);
            if (x > far)
                return x;
        }
    } else {
        for (int c = m_firstColumn - 1; c >= column; --c) {
            x -= columnWidth(c);
            if (x < -far)
                return x;
        }
    }
    return x;
}

int GridGeometry::rowTop(int row) const
{
    if (row < 0)
        return 0;
    const int far = m_clientHeight + 4 * kMaxRowLines * m_metrics.lineHeight;
    int y = m_metrics.lineHeight;
    if (row >= m_firstRow) {
        for (int r = m_firstRow; r < row; ++r) {
            y += rowHeight(r);
            if (y > far)
                return y;
        }
    } else {
        for (int r = m_firstRow - 1; r >= row; --r) {
            y -= rowHeight(r);
            if (y < -far)
                return y;
        }
    }
    return y;
}

RECT GridGeometry::cellRect(int record, int column) const
{
    RECT rect;
    rect.left = columnLeft(column) + 1;
    rect.top = rowTop(record) + 1;
    rect.right = rect.left + columnWidth(column) - 3;
    rect.bottom = rect.top + rowHeight(record) - 3;
    return rect;
}

RECT GridGeometry::cornerCellRect() const
{
    return {-1, -1, m_metrics.rowHeaderWidth(), m_metrics.lineHeight};
}

RECT GridGeometry::columnHeaderRect(int column) const
{
    const int left = columnLeft(column);
    return {left - 1, -1, left + columnWidth(column), m_metrics.lineHeight};
}

RECT GridGeometry::rowHeaderRect(int row) const
{
    const int top = rowTop(row);
    return {-1, top - 1, m_metrics.rowHeaderWidth(), top + rowHeight(row)};
}

RECT GridGeometry::rowBand(int row) const
{
    const int top = rowTop(row);
    return {0, top - 1, m_clientWidth, top + rowHeight(row)};
}

int GridGeometry::lastVisibleRow() const
{
    int y = m_metrics.lineHeight;
    for (int r = m_firstRow;; ++r) {
        y += rowHeight(r);
        if (y > m_clientHeight)
            return r < m_recordCount ? r : -1;
    }
}

int GridGeometry::lastVisibleColumn() const
{
    int x = m_metrics.rowHeaderWidth();
    for (int c = m_firstColumn;; ++c) {
        x += columnWidth(c); // the empty columns past the fields end the walk
        if (x > m_clientWidth)
            return c;
    }
}

int GridGeometry::lastWholeRow() const
{
    if (m_recordCount == 0)
        return -1;
    int y = m_metrics.lineHeight;
    int last = std::min(m_firstRow, m_recordCount - 1);
    for (int r = m_firstRow; r < m_recordCount; ++r) {
        y += rowHeight(r);
        if (y > m_clientHeight)
            break;
        last = r;
    }
    return last;
}

int GridGeometry::rowAt(int y) const
{
    int bottom = m_metrics.lineHeight;
    for (int r = m_firstRow;; ++r) {
        bottom += rowHeight(r);
        if (bottom > y)
            return r;
    }
}

int GridGeometry::columnAt(int x) const
{
    int right = m_metrics.rowHeaderWidth();
    for (int c = m_firstColumn;; ++c) {
        right += columnWidth(c);
        if (right > x)
            return c;
    }
}

int GridGeometry::markRowAt(int x, int y) const
{
    if (x < 0 || x >= m_metrics.rowHeaderWidth() || y < m_metrics.lineHeight)
        return -1;
    const int row = rowAt(y);
    if (row >= m_recordCount)
        return -1;
    const int top = rowTop(row);
    const int bottom = top + rowHeight(row);
    return y > top + kRowEdgeZone && y < bottom - kRowEdgeZone ? row : -1;
}

int GridGeometry::sizingColumnAt(int x, int y) const
{
    if (y < 0 || y >= m_metrics.lineHeight)
        return -1;
    int right = m_metrics.rowHeaderWidth();
    for (int c = m_firstColumn; c < m_fieldCount; ++c) {
        right += columnWidth(c);
        if (std::abs(x - right) <= kColumnEdgeZone)
            return c;
        if (right > x + kColumnEdgeZone)
            break;
    }
    return -1;
}

int GridGeometry::sizingRowAt(int x, int y) const
{
    if (x < 0 || x >= m_metrics.rowHeaderWidth())
        return -1;
    int bottom = m_metrics.lineHeight;
    for (int r = m_firstRow; r < m_recordCount; ++r) {
        bottom += rowHeight(r);
        if (std::abs(y - bottom) <= kRowEdgeZone)
            return r;
        if (bottom > y + kRowEdgeZone)
            break;
    }
    return -1;
}

ScrollBarInfo GridGeometry::verticalScrollBar() const
{
    ScrollBarInfo info;
    const int lineHeight = m_metrics.lineHeight;
    const int64_t tableHeight = int64_t(lineHeight) * m_table.GetTotalHeight();
    const int available = m_clientHeight - lineHeight;
    info.visible = available < tableHeight || m_firstRow > 0;
    if (!info.visible)
        return info;
    info.maximum = std::max(0, m_recordCount - 1);
    info.page = tableHeight > 0 && tableHeight <= std::numeric_limits<int>::max()
                        ? MulDiv(std::max(0, available), m_recordCount, int(tableHeight))
                        : 0;
    info.position = m_firstRow;
    return info;
}

ScrollBarInfo GridGeometry::horizontalScrollBar() const
{
    ScrollBarInfo info;
    const int64_t tableWidth = int64_t(m_metrics.charUnit) * m_table.GetTotalWidth();
    const int available = m_clientWidth - m_metrics.rowHeaderWidth();
    info.visible = available < tableWidth || m_firstColumn > 0;
    if (!info.visible)
        return info;
    info.maximum = std::max(0, m_fieldCount - 1);
    info.page = tableWidth > 0 && tableWidth <= std::numeric_limits<int>::max()
                        ? MulDiv(std::max(0, available), m_fieldCount, int(tableWidth))
                        : 0;
    info.position = m_firstColumn;
    return info;
}

int DraggedColumnRight(const GridMetrics &metrics, int columnLeft, int x)
{
    return std::clamp(x, columnLeft + kMinColumnDragPixels, columnLeft + kMaxColumnDragUnits * metrics.charUnit);
}

int DraggedColumnUnits(const GridMetrics &metrics, int oldWidthPixels, int startX, int heldX)
{
    // A zero-width field could never be seen or sized again.
    return std::max(1, (oldWidthPixels + heldX - startX) / std::max(1, metrics.charUnit));
}

int DraggedRowBottom(const GridMetrics &metrics, int rowTop, int y)
{
    return std::clamp(y, rowTop + kMinRowLines * metrics.lineHeight, rowTop + kMaxRowLines * metrics.lineHeight);
}

int DraggedRowLines(const GridMetrics &metrics, int oldHeightPixels, int startY, int heldY)
{
    return std::clamp((oldHeightPixels + heldY - startY) / std::max(1, metrics.lineHeight), kMinRowLines, kMaxRowLines);
}

} // namespace orvel::grid
