#include "listview/ListGrid.h"
#include "listview/GridAccessible.h"
#include "listview/RecordStatusText.h"
#include "platform/ui/DisabledKeys.h"

#include "document/OrvelDoc.h"
#include "form/ui/MemoCommands.h"
#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "platform/Registry.h"
#include "platform/gfx/FontConversion.h"
#include "platform/gfx/PainterGdi.h"
#include "platform/gfx/TextBreak.h"
#include "platform/ui/CellEditor.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableCommands.h"
#include "table/TableLimits.h"
#include "table/ValueFormat.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScrollBar>
#include <QVarLengthArray>
#include <QWheelEvent>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace orvel {

using namespace grid;

namespace {

constexpr int kWheelNotch = 120;
// What a number or date shows when its value cannot be read.
constexpr AnsiView kUnreadableValue = "##";

// The four one-pixel strips of a rectangle's border.
QRegion BorderRegion(const QRect &rect)
{
    if (rect.isNull())
        return {};
    QRegion region;
    region += QRect(rect.left(), rect.top(), rect.width(), 1);
    region += QRect(rect.left(), rect.bottom(), rect.width(), 1);
    region += QRect(rect.left(), rect.top(), 1, rect.height());
    region += QRect(rect.right(), rect.top(), 1, rect.height());
    return region;
}

// Fills in bands of at most 64 lines: Qt hands taller fills to its worker
// threads, and waking them costs more than the fill (and stalls the frame
// when the other processor is busy).
void FillInBands(QPainter &painter, const QRect &rect, const QColor &color)
{
    constexpr int kBand = 64;
    for (int y = rect.top(); y <= rect.bottom(); y += kBand)
        painter.fillRect(QRect(rect.left(), y, rect.width(), std::min(kBand, rect.bottom() + 1 - y)), color);
}

// Keeps the scroll-bar update from nesting deeper than one level (showing or
// hiding a bar resizes the area, which updates the bars again).
class ScrollGuard
{
public:
    explicit ScrollGuard(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~ScrollGuard() { --m_depth; }
    ScrollGuard(const ScrollGuard &) = delete;
    ScrollGuard &operator=(const ScrollGuard &) = delete;

private:
    int &m_depth;
};

} // namespace

ListGridHost::~ListGridHost() = default;

LOGFONT ListGridHost::gridFont() const
{
    return ReadFont(QStringLiteral("GridFont"));
}

bool IsBlankRecord(const CDataTable &table, int index)
{
    const CDataRecord *record = table.GetRecord(index);
    if (!record)
        return true;
    AnsiString defaultValue;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        const AnsiView value = record->GetRawValue(pos);
        if (value.empty())
            continue;
        // A new record holds the defaults as its type normalises them.
        NormaliseInput(table.GetFieldType(pos), table.GetDefaultValue(pos), CurrentLocale(), defaultValue);
        if (value != AnsiView(defaultValue))
            return false;
    }
    return true;
}

bool AppendIfNeeded(CDataTable &table, int &current)
{
    const int count = table.GetRecordCount();
    if (count > 0) {
        if (IsBlankRecord(table, count - 1))
            return false;
        current = count - 1;
        return NewRecordAfterCommand(table, current);
    }
    if (table.GetFieldCount() == 0)
        return false;
    return NewRecordAfterCommand(table, current);
}

// ---- construction and state ----

CListGrid::CListGrid(ListGridHost &host, COrvelDoc &document, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_host(host)
    , m_document(document)
    , m_fontMetrics(m_font)
    , m_palette(ClassicPalette())
{
    InstallGridAccessibility();
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    // Every paint covers its whole region, so nothing needs erasing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { onScrollBarAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { onScrollBarAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QAbstractSlider::sliderReleased, this,
            [this] { VerticalScroll(ScrollCode::ThumbPosition, verticalScrollBar()->sliderPosition()); });
    connect(horizontalScrollBar(), &QAbstractSlider::sliderReleased, this,
            [this] { HorizontalScroll(ScrollCode::ThumbPosition, horizontalScrollBar()->sliderPosition()); });

    for (int type = FT_PICTURE; type <= FT_LINK; ++type)
        m_mediaLabels[std::size_t(type)] = '[' + LoadAnsiString(FieldTypeNameId(type)) + ']';
    updateFont();
}

CListGrid::~CListGrid() = default;

CDataTable &CListGrid::table() const
{
    return m_document.GetTable();
}

bool CListGrid::hasCells() const
{
    return table().GetRecordCount() > 0 && table().GetFieldCount() > 0;
}

int CListGrid::clientWidth() const
{
    return viewport()->width();
}

int CListGrid::clientHeight() const
{
    return viewport()->height();
}

GridGeometry CListGrid::geometryAt(int firstRow, int firstColumn) const
{
    return GridGeometry(table(), m_metrics, firstRow, firstColumn, clientWidth(), clientHeight());
}

GridGeometry CListGrid::Geometry() const
{
    return geometryAt(m_firstRow, m_firstColumn);
}

void CListGrid::updateFont()
{
    const LOGFONT logFont = m_host.gridFont();
    const int dpi = logicalDpiY();
    if (m_fontDpi == dpi && logFont == m_logFont)
        return;
    m_logFont = logFont;
    m_fontDpi = dpi;
    m_font = LogFontToQFont(logFont, dpi);
    m_fontMetrics = QFontMetrics(m_font);
    m_metrics = MeasureGridFont(m_fontMetrics);
    m_ascent = m_fontMetrics.ascent();
    m_fontHeight = std::max(1, m_fontMetrics.height());
    const QFontMetricsF exact(m_font);
    for (int byte = 0; byte < 256; ++byte) {
        const QChar c(AnsiCharToUnicode(static_cast<unsigned char>(byte)));
        m_advances[std::size_t(byte)] = byte < 0x20 ? 0.0 : exact.horizontalAdvance(c);
    }
    if (m_editor)
        m_editor->widget()->setFont(m_font);
}

void CListGrid::Initialise()
{
    m_fontDpi = 0; // measure again: the setting may have changed
    m_offscreenPaint = Registry::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("NiceListRepaint"), 1) != 0;
    updateFont();
    OnUpdate(Hint::Repaint);
    handleResize();
}

void CListGrid::SetActive(bool active)
{
    Commit();
    m_active = active;
    refreshFocusFrame();
    if (active)
        updateStatusText();
}

void CListGrid::setCurrent(int record, int field)
{
    if (record != m_host.currentRecord() || field != m_host.currentField())
        m_host.setCurrentCell(record, field);
}

// ---- document hints ----

void CListGrid::OnUpdate(const UpdateHint &update)
{
    const Hint hint = update.kind;
    const int count = table().GetRecordCount();
    const int fields = table().GetFieldCount();
    const bool listHint = hint >= Hint::Repaint && hint <= Hint::ShowCurrent;

    // Anything that may move or drop records ends an edit first, so that it
    // never writes into a record that is no longer the one it showed.
    if (listHint && hint != Hint::Found && hint != Hint::RecordChanged)
        Commit();
    m_firstRow = std::clamp(m_firstRow, 0, std::max(0, count - 1));
    m_firstColumn = std::clamp(m_firstColumn, 0, std::max(0, fields - 1));
    if (hint != Hint::Replaced && hint != Hint::ShowCurrent)
        updateScrollBars();
    if (!listHint || hint == Hint::CommitEdit)
        return;

    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    const bool validRecord = record >= 0 && record < count;
    const bool validField = field >= 0 && field < fields;

    if (hint == Hint::Found) {
        m_active = true;
        const int last = LastVisibleRow();
        if (validRecord && record >= m_firstRow && (last < 0 || record <= last)) {
            afterMove();
            return;
        }
        // A hit outside the rows shown is brought into view as after any
        // other change: it becomes the first row.
    }
    switch (hint) {
    case Hint::RecordChanged:
        repaintRow(update.record);
        return;
    case Hint::ShowCurrent:
        if (validRecord && m_firstRow > record)
            m_firstRow = record;
        if (validField && m_firstColumn > field)
            m_firstColumn = field;
        break;
    case Hint::Replaced:
        m_firstRow = 0;
        [[fallthrough]];
    default: {
        const GridGeometry g = Geometry();
        if (validField && (field < m_firstColumn || field > g.lastVisibleColumn()))
            m_firstColumn = field;
        const int last = g.lastVisibleRow();
        if (validRecord && (record < m_firstRow || (last >= 0 && record > last)))
            m_firstRow = record;
        break;
    }
    }
    if (count == 0)
        m_firstRow = m_firstColumn = 0;
    updateScrollBars();
    viewport()->update();
    m_drawnFocusFrame = wantedFocusFrame();
    afterMove();
}

// ---- scrolling ----

void CListGrid::scrollContentsBy(int, int) {}

void CListGrid::updateScrollBars()
{
    if (m_scrollGuard > 1)
        return;
    const ScrollGuard guard(m_scrollGuard);
    const GridGeometry g = Geometry();

    auto apply = [this](QScrollBar *bar, const ScrollBarInfo &info, bool vertical) {
        const Qt::ScrollBarPolicy policy = info.visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
        if (info.visible) {
            // The old bars run to the last position and let the thumb go as
            // far as maximum - page + 1; Qt's maximum is that last thumb
            // position.
            const int page = std::max(1, info.page);
            const int top = std::max(0, info.maximum - page + 1);
            bar->setRange(0, top);
            bar->setPageStep(page);
            bar->setSingleStep(1);
            bar->setValue(std::min(info.position, top));
        }
        if (vertical && verticalScrollBarPolicy() != policy)
            setVerticalScrollBarPolicy(policy);
        else if (!vertical && horizontalScrollBarPolicy() != policy)
            setHorizontalScrollBarPolicy(policy);
    };
    apply(verticalScrollBar(), g.verticalScrollBar(), true);
    apply(horizontalScrollBar(), Geometry().horizontalScrollBar(), false);
}

void CListGrid::onScrollBarAction(Qt::Orientation orientation, int action)
{
    QScrollBar *bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    ScrollCode code = ScrollCode::ThumbTrack;
    int position = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = ScrollCode::LineForward;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = ScrollCode::LineBack;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = ScrollCode::PageForward;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = ScrollCode::PageBack;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = ScrollCode::ThumbPosition;
        position = bar->minimum();
        break;
    case QAbstractSlider::SliderToMaximum:
        code = ScrollCode::ThumbPosition;
        position = bar->maximum();
        break;
    case QAbstractSlider::SliderMove:
        // Dragging the thumb only tracks; the release positions. A move
        // without the thumb held (the wheel over the bar) positions at once.
        if (bar->isSliderDown())
            return;
        code = ScrollCode::ThumbPosition;
        position = bar->sliderPosition();
        break;
    default:
        return;
    }
    if (orientation == Qt::Vertical)
        VerticalScroll(code, position);
    else
        HorizontalScroll(code, position);
    bar->setSliderPosition(std::min(orientation == Qt::Vertical ? m_firstRow : m_firstColumn, bar->maximum()));
}

void CListGrid::scrollTo(int firstRow, int firstColumn)
{
    firstRow = std::clamp(firstRow, 0, std::max(0, table().GetRecordCount() - 1));
    firstColumn = std::clamp(firstColumn, 0, std::max(0, table().GetFieldCount() - 1));
    const int rows = firstRow - m_firstRow;
    const int columns = firstColumn - m_firstColumn;
    if (rows == 0 && columns == 0)
        return;
    const GridGeometry old = Geometry();
    const int lineHeight = m_metrics.lineHeight;
    const int header = m_metrics.rowHeaderWidth();
    if (columns == 0 && std::abs(rows) == 1) {
        // Moving the pixels of the rows and painting only what comes in.
        const int dy = rows > 0 ? -old.rowHeight(m_firstRow) : old.rowHeight(firstRow);
        m_firstRow = firstRow;
        viewport()->scroll(0, dy, QRect(0, lineHeight, clientWidth(), std::max(0, clientHeight() - lineHeight)));
        if (!m_drawnFocusFrame.isNull())
            m_drawnFocusFrame.translate(0, dy);
        return;
    }
    if (rows == 0 && std::abs(columns) == 1) {
        const int dx = columns > 0 ? -old.columnWidth(m_firstColumn) : old.columnWidth(firstColumn);
        m_firstColumn = firstColumn;
        viewport()->scroll(dx, 0, QRect(header, 0, std::max(0, clientWidth() - header), clientHeight()));
        if (!m_drawnFocusFrame.isNull())
            m_drawnFocusFrame.translate(dx, 0);
        return;
    }
    m_firstRow = firstRow;
    m_firstColumn = firstColumn;
    viewport()->update();
    m_drawnFocusFrame = wantedFocusFrame();
}

void CListGrid::ensureVisible()
{
    if (m_editor || m_busy || !hasCells())
        return;
    m_busy = true;
    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    const int width = clientWidth();
    const int height = clientHeight();
    const int lineHeight = m_metrics.lineHeight;
    // An area that shows no cell at all (a window being laid out) gives no
    // reason to scroll.
    const bool roomy = height > lineHeight && width > m_metrics.rowHeaderWidth();
    if (roomy && record >= 0 && record < table().GetRecordCount() && field >= 0 && field < table().GetFieldCount()) {
        int firstRow = m_firstRow;
        int firstColumn = m_firstColumn;
        if (record < firstRow) {
            firstRow = record;
        } else {
            const GridGeometry g = geometryAt(firstRow, firstColumn);
            const RECT cell = g.cellRect(record, field);
            if (cell.bottom >= height) {
                if (cell.bottom - cell.top < height - lineHeight) {
                    // The first row from which on the cell ends inside the
                    // area: found from the cell upwards, so that the walk is
                    // no longer than the area is high.
                    int candidate = record;
                    int bottom = lineHeight + 1 + g.rowHeight(record) - 3;
                    while (candidate > firstRow && bottom + g.rowHeight(candidate - 1) < height) {
                        bottom += g.rowHeight(candidate - 1);
                        --candidate;
                    }
                    firstRow = candidate;
                } else {
                    // Taller than the area: its top at least comes into view.
                    firstRow = record;
                }
            }
        }
        for (int step = 0; step <= table().GetFieldCount(); ++step) {
            if (field < firstColumn) {
                firstColumn = field;
                continue;
            }
            const GridGeometry g = geometryAt(firstRow, firstColumn);
            const RECT cell = g.cellRect(record, field);
            if (cell.right < width || cell.right - cell.left >= width - m_metrics.rowHeaderWidth()
                || firstColumn >= field)
                break;
            ++firstColumn;
        }
        scrollTo(firstRow, firstColumn);
    }
    if (m_active) {
        refreshFocusFrame();
        updateStatusText();
    }
    m_busy = false;
}

void CListGrid::afterMove()
{
    ensureVisible();
    updateScrollBars();
    refreshFocusFrame();
}

QRect CListGrid::wantedFocusFrame() const
{
    if (!m_active || m_editor || !hasCells())
        return {};
    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    if (record < m_firstRow || record >= table().GetRecordCount() || field < m_firstColumn
        || field >= table().GetFieldCount())
        return {};
    const RECT cell = Geometry().cellRect(record, field);
    if (IsRectEmpty(cell))
        return {};
    const QRect rect = RectToQRect(cell);
    return rect.intersects(viewport()->rect()) ? rect : QRect();
}

void CListGrid::refreshFocusFrame()
{
    NotifyGridCurrentCell(this);
    const QRect wanted = wantedFocusFrame();
    if (wanted == m_drawnFocusFrame)
        return;
    viewport()->update(BorderRegion(m_drawnFocusFrame) + BorderRegion(wanted));
    m_drawnFocusFrame = wanted;
}

void CListGrid::repaintRow(int row)
{
    if (row < m_firstRow || row >= table().GetRecordCount())
        return;
    const QRect band = RectToQRect(Geometry().rowBand(row)) & viewport()->rect();
    if (!band.isEmpty())
        viewport()->update(band);
}

void CListGrid::updateStatusText()
{
    if (!m_active)
        return;
    // Without a record the line is the idle text, never another window's
    // record.
    m_statusText = RecordStatusText(table(), m_host.currentRecord());
    m_host.showStatusText(m_statusText);
}

void CListGrid::VerticalScroll(ScrollCode code, int position)
{
    Commit();
    setFocus();
    const int count = table().GetRecordCount();
    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    if (count > 0) {
        switch (code) {
        case ScrollCode::LineBack:
            if (m_firstRow > 0) {
                scrollTo(m_firstRow - 1, m_firstColumn);
                // The current record may have left the area at the bottom.
                const int last = Geometry().lastWholeRow();
                if (record > last && last >= 0)
                    setCurrent(last, field);
            }
            break;
        case ScrollCode::LineForward:
            if (m_firstRow + 1 < count) {
                scrollTo(m_firstRow + 1, m_firstColumn);
                if (record < m_firstRow)
                    setCurrent(m_firstRow, field);
            }
            break;
        case ScrollCode::PageBack:
            PageUp();
            break;
        case ScrollCode::PageForward:
            PageDown();
            break;
        case ScrollCode::ThumbPosition:
            position = std::clamp(position, 0, count - 1);
            setCurrent(position, field);
            scrollTo(position, m_firstColumn);
            viewport()->update();
            break;
        case ScrollCode::ThumbTrack:
            break;
        }
    }
    updateScrollBars();
    refreshFocusFrame();
    updateStatusText();
}

void CListGrid::HorizontalScroll(ScrollCode code, int position)
{
    Commit();
    setFocus();
    const int fields = table().GetFieldCount();
    if (fields == 0)
        return;
    const int record = m_host.currentRecord();
    int field = m_host.currentField();
    switch (code) {
    case ScrollCode::LineBack:
    case ScrollCode::LineForward: {
        const int first = m_firstColumn + (code == ScrollCode::LineBack ? -1 : 1);
        m_firstColumn = std::clamp(first, 0, fields - 1);
        // The current column stays among the visible ones.
        const int last = std::min(Geometry().lastVisibleColumn(), fields - 1);
        field = std::clamp(field, m_firstColumn, std::max(m_firstColumn, last));
        break;
    }
    case ScrollCode::PageBack:
        if (m_firstColumn > 0) {
            --m_firstColumn;
            field = std::max(0, field - 1);
        }
        break;
    case ScrollCode::PageForward:
        if (m_firstColumn < fields - 1) {
            ++m_firstColumn;
            if (++field > fields - 1)
                field = m_firstColumn;
        }
        break;
    case ScrollCode::ThumbPosition:
        m_firstColumn = std::clamp(position, 0, fields - 1);
        // The column right of the thumb's, as long as there is one.
        field = std::min(m_firstColumn + 1, fields - 1);
        break;
    case ScrollCode::ThumbTrack:
        return;
    }
    setCurrent(record, field);
    viewport()->update();
    m_drawnFocusFrame = wantedFocusFrame();
    updateScrollBars();
    refreshFocusFrame();
    updateStatusText();
}

// ---- record and column moves ----

void CListGrid::LineDown()
{
    Commit();
    if (table().GetFieldCount() == 0)
        return;
    const int record = m_host.currentRecord();
    if (record + 1 < table().GetRecordCount())
        setCurrent(record + 1, std::max(0, m_host.currentField()));
    else
        m_host.appendIfNeeded();
    afterMove();
}

void CListGrid::LineUp()
{
    Commit();
    const int record = m_host.currentRecord();
    if (record > 0 && record <= table().GetRecordCount())
        setCurrent(record - 1, m_host.currentField());
    afterMove();
}

QPoint CListGrid::focusPoint() const
{
    const GridGeometry g = Geometry();
    const int record = m_host.currentRecord();
    const int field = std::max(m_firstColumn, m_host.currentField());
    const RECT cell = g.cellRect(std::max(record, m_firstRow), field);
    return {std::clamp(cell.left, m_metrics.rowHeaderWidth(), std::max(0, clientWidth() - 1)),
            std::clamp(cell.top, m_metrics.lineHeight, std::max(0, clientHeight() - 1))};
}

void CListGrid::selectAt(const QPoint &pos)
{
    const GridGeometry g = Geometry();
    const int row = std::min(g.rowAt(pos.y()), table().GetRecordCount() - 1);
    int field = g.columnAt(pos.x());
    if (field >= table().GetFieldCount())
        field = m_host.currentField();
    setCurrent(row, field);
}

void CListGrid::PageDown()
{
    Commit();
    const int count = table().GetRecordCount();
    if (count == 0)
        return;
    const int last = LastVisibleRow();
    if (last == count - 1)
        return;
    if (last < 0) {
        // The records end inside the area: there is no page to turn, only
        // the last record to go to.
        setCurrent(count - 1, m_host.currentField());
        afterMove();
        return;
    }
    const QPoint focus = focusPoint();
    setCurrent(last, m_host.currentField());
    scrollTo(last, m_firstColumn);
    viewport()->update();
    if (LastVisibleRow() < 0)
        setCurrent(count - 1, m_host.currentField());
    else
        selectAt(focus);
    afterMove();
}

void CListGrid::PageUp()
{
    Commit();
    if (table().GetRecordCount() == 0 || m_firstRow == 0)
        return;
    const QPoint focus = focusPoint();
    const GridGeometry g = Geometry();
    // Back until the rows down to the old first row fill the area.
    const int available = clientHeight() - m_metrics.lineHeight;
    int first = m_firstRow;
    int filled = 0;
    while (first > 0 && filled + g.rowHeight(first - 1) <= available) {
        filled += g.rowHeight(first - 1);
        --first;
    }
    if (first == m_firstRow)
        --first; // a row taller than the area: one row at least
    setCurrent(first, m_host.currentField());
    scrollTo(first, m_firstColumn);
    viewport()->update();
    selectAt(focus);
    afterMove();
}

void CListGrid::First()
{
    Commit();
    if (table().GetRecordCount() == 0)
        return;
    setCurrent(0, 0);
    scrollTo(0, 0);
    viewport()->update();
    afterMove();
}

void CListGrid::Last()
{
    Commit();
    const int count = table().GetRecordCount();
    if (count == 0 || m_host.currentRecord() == count - 1)
        return;
    // The last record at the top of the area.
    setCurrent(count - 1, 0);
    scrollTo(count - 1, 0);
    viewport()->update();
    afterMove();
}

void CListGrid::Home()
{
    Commit();
    if (table().GetFieldCount() == 0)
        return;
    setCurrent(m_host.currentRecord(), 0);
    scrollTo(m_firstRow, 0);
    afterMove();
}

void CListGrid::End()
{
    Commit();
    const int fields = table().GetFieldCount();
    if (fields == 0)
        return;
    setCurrent(m_host.currentRecord(), fields - 1);
    scrollTo(m_firstRow, fields - 1);
    afterMove();
}

void CListGrid::Left()
{
    Commit();
    const int field = m_host.currentField();
    if (field > 0)
        setCurrent(m_host.currentRecord(), field - 1);
    afterMove();
}

void CListGrid::NextField()
{
    Commit();
    const int fields = table().GetFieldCount();
    if (fields == 0)
        return;
    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    if (record >= 0 && field + 1 < fields) {
        setCurrent(record, field + 1);
    } else if (record + 1 < table().GetRecordCount()) {
        setCurrent(record + 1, 0);
    } else {
        // On the last field of the last record Tab goes on as Down does:
        // a new record unless this one is still blank.
        m_host.appendIfNeeded();
    }
    afterMove();
}

void CListGrid::PreviousField()
{
    Commit();
    const int fields = table().GetFieldCount();
    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    if (fields == 0 || record < 0)
        return;
    if (field > 0)
        setCurrent(record, field - 1);
    else if (record > 0)
        setCurrent(record - 1, fields - 1);
    afterMove();
}

void CListGrid::Right()
{
    Commit();
    const int field = m_host.currentField();
    if (field < kMaxFields && field < table().GetFieldCount() - 1)
        setCurrent(m_host.currentRecord(), field + 1);
    afterMove();
}

void CListGrid::ToggleMarkOfCurrent()
{
    Commit();
    const int record = m_host.currentRecord();
    CDataRecord *entry = table().GetRecord(record);
    if (!entry)
        return;
    {
        const CDocumentStepScope step(m_document.GetRecorder(), CDocumentRecorder::StepName(ID_RECORD_MARK));
        entry->SetMark(!entry->IsMarked());
        m_document.SetModifiedFlag();
    }
    repaintRow(record);
    m_host.notifyOtherViews({Hint::RecordChanged, record, m_host.currentField()});
}

// ---- mouse ----

void CListGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    event->accept();
    buttonDown(event->position().toPoint());
}

void CListGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    buttonDown(event->position().toPoint());
    if (m_sizing == Sizing::None)
        startEdit(nullptr);
}

void CListGrid::buttonDown(const QPoint &pos)
{
    if (m_sizing != Sizing::None)
        return;
    const int fields = table().GetFieldCount();
    if (fields == 0)
        return;
    Commit();
    setFocus();
    if (table().GetRecordCount() == 0) {
        // A click into the empty list starts the first record.
        m_host.appendIfNeeded();
        afterMove();
        return;
    }

    const GridGeometry g = Geometry();
    if (m_active) {
        const int column = g.sizingColumnAt(pos.x(), pos.y());
        const int row = column < 0 ? g.sizingRowAt(pos.x(), pos.y()) : -1;
        if (column >= 0) {
            m_sizing = Sizing::Column;
            m_dragIndex = column;
            m_dragStart = pos;
            m_dragOrigin = g.columnLeft(column);
            setDragFeedback(RectToQRect({m_dragOrigin - 1, 0, m_dragOrigin + g.columnWidth(column), clientHeight()}));
        } else if (row >= 0) {
            m_sizing = Sizing::Row;
            m_dragIndex = row;
            m_dragStart = pos;
            m_dragOrigin = g.rowTop(row);
            setDragFeedback(RectToQRect({0, m_dragOrigin - 1, clientWidth(), m_dragOrigin + g.rowHeight(row)}));
        }
    }

    const int field = m_host.currentField();
    const int markRow = g.markRowAt(pos.x(), pos.y());
    if (markRow >= 0) {
        CDataRecord *entry = table().GetRecord(markRow);
        {
            const CDocumentStepScope step(m_document.GetRecorder(), CDocumentRecorder::StepName(ID_RECORD_MARK));
            entry->SetMark(!entry->IsMarked());
            m_document.SetModifiedFlag();
        }
        setCurrent(markRow, field);
        repaintRow(markRow);
        m_host.notifyOtherViews({Hint::RecordChanged, markRow, field});
        refreshFocusFrame();
        updateStatusText();
        return;
    }

    const int row = g.rowAt(pos.y());
    if (row < table().GetRecordCount())
        setCurrent(row, field);
    else
        m_host.appendIfNeeded();
    // Right of the last field the column stays as it was.
    const int column = g.columnAt(pos.x());
    if (column < fields)
        setCurrent(m_host.currentRecord(), column);
    afterMove();
}

void CListGrid::setDragFeedback(const QRect &rect)
{
    if (rect == m_dragFeedback)
        return;
    viewport()->update(BorderRegion(m_dragFeedback) + BorderRegion(rect));
    m_dragFeedback = rect;
}

void CListGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_sizing == Sizing::Column) {
        // The edge follows the mouse within the width limits.
        const int right = DraggedColumnRight(m_metrics, m_dragOrigin, pos.x());
        setDragFeedback(RectToQRect({m_dragOrigin - 1, 0, right, clientHeight()}));
        return;
    }
    if (m_sizing == Sizing::Row) {
        const int bottom = DraggedRowBottom(m_metrics, m_dragOrigin, pos.y());
        setDragFeedback(RectToQRect({0, m_dragOrigin - 1, clientWidth(), bottom}));
        return;
    }
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (m_active && hasCells()) {
        const GridGeometry g = Geometry();
        if (g.sizingColumnAt(pos.x(), pos.y()) >= 0)
            shape = Qt::SplitHCursor;
        else if (g.sizingRowAt(pos.x(), pos.y()) >= 0)
            shape = Qt::SplitVCursor;
    }
    if (shape == Qt::ArrowCursor)
        viewport()->unsetCursor();
    else if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
}

void CListGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (m_sizing != Sizing::None)
        finishSizing(event->position().toPoint());
}

void CListGrid::finishSizing(const QPoint &pos)
{
    const Sizing sizing = m_sizing;
    m_sizing = Sizing::None;
    setDragFeedback(QRect());
    if (sizing == Sizing::Column) {
        const int field = m_dragIndex;
        if (field < 0 || field >= table().GetFieldCount())
            return;
        const int oldUnits = table().GetColumnWidth(field);
        const int held = DraggedColumnRight(m_metrics, m_dragOrigin, pos.x());
        const int units = DraggedColumnUnits(m_metrics, oldUnits * m_metrics.charUnit, m_dragStart.x(), held);
        // A click on the edge that did not change the width changes nothing.
        if (units == oldUnits)
            return;
        table().SetColumnWidth(units, field);
    } else {
        CDataRecord *entry = table().GetRecord(m_dragIndex);
        if (!entry)
            return;
        const int oldLines = entry->GetRowHeight();
        const int held = DraggedRowBottom(m_metrics, m_dragOrigin, pos.y());
        const int lines = DraggedRowLines(m_metrics, oldLines * m_metrics.lineHeight, m_dragStart.y(), held);
        if (lines == oldLines)
            return;
        entry->SetRowHeight(lines);
    }
    table().SetModified();
    m_document.SetModifiedFlag();
    m_host.notifyOtherViews(Hint::ListLayout);
    OnUpdate(Hint::ListLayout);
}

void CListGrid::wheelEvent(QWheelEvent *event)
{
    m_wheelRemainder += event->angleDelta();
    const int rows = m_wheelRemainder.y() / kWheelNotch;
    const int columns = m_wheelRemainder.x() / kWheelNotch;
    m_wheelRemainder -= QPoint(columns * kWheelNotch, rows * kWheelNotch);
    for (int i = 0; i < std::abs(rows) * QApplication::wheelScrollLines(); ++i)
        VerticalScroll(rows > 0 ? ScrollCode::LineBack : ScrollCode::LineForward);
    for (int i = 0; i < std::abs(columns); ++i)
        HorizontalScroll(columns > 0 ? ScrollCode::LineBack : ScrollCode::LineForward);
    event->accept();
}

// ---- size ----

void CListGrid::resizeEvent(QResizeEvent *)
{
    handleResize();
}

void CListGrid::handleResize()
{
    if (window()->isMinimized())
        return;
    Commit();
    updateFont();
    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    const bool roomy = clientHeight() > m_metrics.lineHeight && clientWidth() > m_metrics.rowHeaderWidth();
    if (roomy && hasCells() && record >= m_firstRow && record < table().GetRecordCount() && field >= m_firstColumn
        && field < table().GetFieldCount()) {
        const RECT cell = Geometry().cellRect(record, field);
        if (cell.bottom > clientHeight())
            m_firstRow = record;
        if (cell.right > clientWidth())
            m_firstColumn = field;
    }
    updateScrollBars();
    viewport()->update();
    m_drawnFocusFrame = wantedFocusFrame();
    ensureVisible();
}

// ---- keys and editing ----

void CListGrid::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(event))
        QAbstractScrollArea::keyPressEvent(event);
}

bool CListGrid::handleKey(QKeyEvent *event)
{
    if (IsDisabledCommandKey(this, event))
        return true;
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Down:
        LineDown();
        return true;
    case Qt::Key_Up:
        LineUp();
        return true;
    case Qt::Key_PageDown:
        control ? LineDown() : PageDown();
        return true;
    case Qt::Key_PageUp:
        control ? LineUp() : PageUp();
        return true;
    case Qt::Key_Home:
        control ? First() : Home();
        return true;
    case Qt::Key_End:
        control ? Last() : End();
        return true;
    case Qt::Key_Left:
        Left();
        return true;
    case Qt::Key_Right:
        Right();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Enter();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        if (event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier))
            PreviousField();
        else
            NextField();
        return true;
    case Qt::Key_Plus:
        if (event->modifiers() & Qt::KeypadModifier) {
            ToggleMarkOfCurrent();
            return true;
        }
        break;
    case Qt::Key_Backspace:
        // Clears the cell: the edit opens with the value selected.
        startEdit(event);
        return true;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty() || control || (event->modifiers() & Qt::AltModifier) || !text.front().isPrint())
        return false;
    startEdit(event);
    return true;
}

void CListGrid::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty())
        startEdit(nullptr, event->commitString());
    event->accept();
}

void CListGrid::Enter()
{
    if (m_editor)
        closeEdit();
    else
        startEdit(nullptr);
}

void CListGrid::Commit()
{
    closeEdit();
}

void CListGrid::startEdit(QKeyEvent *typed, const QString &composed)
{
    if (m_editor)
        return;
    const int record = m_host.currentRecord();
    const int field = m_host.currentField();
    const CDataRecord *entry = table().GetRecord(record);
    if (!entry || field < 0 || field >= table().GetFieldCount())
        return;
    // Pictures, objects and links are edited in the form only. A memo
    // opens its editor on Enter or a double click; typing does nothing.
    const int type = table().GetFieldType(field);
    if (IsMediaType(type)) {
        if (type == FT_MEMO && typed == nullptr && composed.isEmpty())
            EditMemoValue(this, m_document, record, field);
        return;
    }
    ensureVisible();
    const RECT cell = Geometry().cellRect(record, field);

    CellEditor::Callbacks callbacks;
    callbacks.changed = [this] { onEditChanged(); };
    callbacks.finished = [this] { closeEdit(); };
    callbacks.cancelled = [this] { cancelEdit(); };
    callbacks.navigate = [this](QKeyEvent *event) { return handleKey(event); };
    m_editor = CellEditor::Create(CellEditor::StyleFor(type, entry->GetRowHeight()), viewport(), m_font,
                                  std::move(callbacks));
    m_editRecord = record;
    m_editField = field;
    m_editOrigin = m_document.GetFieldValueState(record, field);
    m_editStep = CDocumentRecorder::NewMergeKey();
    m_editor->setText(ShowsDisplayValue(type) ? AnsiView(entry->GetDisplayValue(field, m_displayBuffer))
                                              : entry->GetRawValue(field));
    QWidget *widget = m_editor->widget();
    widget->setGeometry(CellEditor::EditRectForCell(RectToQRect(cell)));
    m_editor->selectAll();
    widget->show();
    widget->setFocus();
    refreshFocusFrame();

    if (typed) {
        // The key that opened the edit types over the selected value.
        QKeyEvent copy(typed->type(), typed->key(), typed->modifiers(), typed->text(), typed->isAutoRepeat(),
                       typed->count());
        QCoreApplication::sendEvent(widget, &copy);
    } else if (!composed.isEmpty()) {
        m_editor->insertText(composed);
    }
}

void CListGrid::onEditChanged()
{
    if (!m_editor)
        return;
    CDataRecord *entry = table().GetRecord(m_editRecord);
    if (!entry || m_editField < 0 || m_editField >= table().GetFieldCount())
        return;
    const CDocumentStepScope step(m_document.GetRecorder(), LoadQString(ids::kUndoStepTyping), m_editStep);
    if (!m_document.SetFieldText(m_editRecord, m_editField, m_editor->text()))
        return;
    m_host.notifyOtherViews({Hint::RecordChanged, m_editRecord, m_editField});
    repaintRow(m_editRecord);
}

void CListGrid::closeEdit()
{
    if (!m_editor)
        return;
    // The editor may be the one calling (Enter in it): it goes once control
    // has left it.
    CellEditor *editor = m_editor.release();
    QWidget *widget = editor->widget();
    const int row = m_editRecord;
    const int field = m_editField;
    m_editRecord = m_editField = -1;
    if (widget->hasFocus())
        setFocus();
    widget->hide();
    widget->deleteLater();
    repaintRow(row);
    refreshFocusFrame();
    updateStatusText();
    reportUnreadableValue(row, field);
}

void CListGrid::cancelEdit()
{
    if (!m_editor)
        return;
    const CDocumentStepScope step(m_document.GetRecorder(), LoadQString(ids::kUndoStepTyping), m_editStep);
    if (m_document.RestoreFieldValue(m_editRecord, m_editField, m_editOrigin))
        m_host.notifyOtherViews({Hint::RecordChanged, m_editRecord, m_editField});
    // Nothing to report: the value is the one it was.
    m_editField = -1;
    closeEdit();
}

void CListGrid::reportUnreadableValue(int record, int field)
{
    const CDataRecord *entry = table().GetRecord(record);
    if (!entry || field < 0 || field >= table().GetFieldCount() || !m_active)
        return;
    const int type = table().GetFieldType(field);
    if (type != FT_DATE && type != FT_NUMERIC)
        return;
    const AnsiView shown = entry->GetDisplayValue(field, m_displayBuffer);
    if (shown != kUnreadableValue)
        return;
    m_host.showStatusText(LoadQString(type == FT_DATE ? ids::kMsgNoValidDate : ids::kMsgNoValidNumber));
}

// ---- painting ----

void CListGrid::paintEvent(QPaintEvent *event)
{
    const QRect dirty = event->rect();
    if (!m_offscreenPaint) {
        QPainter painter(viewport());
        paintGrid(painter, dirty);
        return;
    }
    // Smooth painting: the dirty rectangle is drawn into a bitmap of its
    // size and copied to the screen in one step.
    const qreal ratio = viewport()->devicePixelRatioF();
    QPixmap buffer(dirty.size() * ratio);
    buffer.setDevicePixelRatio(ratio);
    {
        QPainter painter(&buffer);
        painter.translate(-dirty.topLeft());
        paintGrid(painter, dirty);
    }
    QPainter(viewport()).drawPixmap(dirty.topLeft(), buffer);
}

void CListGrid::paintGrid(QPainter &painter, const QRect &dirty)
{
    FillInBands(painter, dirty, m_palette.color(QPalette::Base));
    const GridGeometry g = Geometry();
    paintFrame(painter, g, dirty);
    paintTexts(painter, g, dirty);

    const QRect frame = wantedFocusFrame();
    if (!frame.isNull() && frame.intersects(dirty))
        FrameRect(painter, QRectToRect(frame), kFocusFrameColor);

    if (!m_dragFeedback.isNull()) {
        // The sizing feedback inverts what lies below it.
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(Qt::white, 1, Qt::DotLine);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_dragFeedback.adjusted(0, 0, -1, -1));
        painter.restore();
    }
}

void CListGrid::paintFrame(QPainter &painter, const GridGeometry &g, const QRect &dirty)
{
    const QColor lineColor = ColorRefToQColor(kGridLineColor);
    const int width = g.clientWidth();
    const int height = g.clientHeight();
    const int lineHeight = m_metrics.lineHeight;
    const int header = m_metrics.rowHeaderWidth();
    const int count = table().GetRecordCount();

    if (dirty.top() < lineHeight && dirty.left() < header)
        DrawBevelCell(painter, g.cornerCellRect(), Edge::Raised, m_palette);

    // Each row: its grid line across the whole width and its header cell,
    // sunken while the record is marked.
    int top = lineHeight;
    for (int row = m_firstRow; top < height; ++row) {
        const int bottom = top + g.rowHeight(row);
        if (bottom > dirty.top() && top - 1 <= dirty.bottom()) {
            painter.fillRect(QRect(0, bottom - 1, width, 1), lineColor);
            if (dirty.left() < header) {
                const bool marked = row < count && table().GetRecord(row)->IsMarked();
                DrawBevelCell(painter, {-1, top - 1, header, bottom}, marked ? Edge::Sunken : Edge::Raised, m_palette);
            }
        }
        top = bottom;
    }

    // Each column: its grid line below the header row and its header cell.
    int left = header;
    for (int column = m_firstColumn; left < width; ++column) {
        const int right = left + g.columnWidth(column);
        if (right > dirty.left() && left - 1 <= dirty.right()) {
            FillInBands(painter, QRect(right - 1, lineHeight, 1, std::max(0, height - lineHeight)), lineColor);
            if (dirty.top() < lineHeight)
                DrawBevelCell(painter, {left - 1, -1, right, lineHeight}, Edge::Raised, m_palette);
        }
        left = right;
    }
}

void CListGrid::paintTexts(QPainter &painter, const GridGeometry &g, const QRect &dirty)
{
    const int width = g.clientWidth();
    const int height = g.clientHeight();
    const int lineHeight = m_metrics.lineHeight;
    const int header = m_metrics.rowHeaderWidth();
    const int count = table().GetRecordCount();
    const int fields = table().GetFieldCount();

    painter.setFont(m_font);
    painter.setPen(m_palette.color(QPalette::Text));

    std::array<int, kMaxFields + 1> types{};
    for (int pos = 0; pos < fields && pos <= kMaxFields; ++pos)
        types[std::size_t(pos)] = table().GetFieldType(pos);

    if (dirty.top() < lineHeight) {
        int left = header;
        for (int column = m_firstColumn; column < fields && left < width; ++column) {
            const int right = left + g.columnWidth(column);
            if (right > dirty.left() && left <= dirty.right())
                drawText(painter, table().GetFieldName(column), {left + 3, 3, right - 6, lineHeight - 3},
                         types[std::size_t(column)] == FT_NUMERIC, false);
            left = right;
        }
    }
    if (count == 0 || fields == 0)
        return;

    int top = lineHeight;
    for (int row = m_firstRow; row < count && top < height; ++row) {
        const CDataRecord *record = table().GetRecord(row);
        const int bottom = top + g.rowHeight(row);
        if (bottom > dirty.top() && top <= dirty.bottom()) {
            if (dirty.left() < header) {
                char digits[12];
                const auto end = std::to_chars(digits, digits + sizeof digits, row + 1).ptr;
                drawText(painter, AnsiView(digits, std::size_t(end - digits)), {3, top + 3, header - 6, bottom - 3},
                         true, false);
            }
            int left = header;
            for (int column = m_firstColumn; column < fields && left < width; ++column) {
                const int right = left + g.columnWidth(column);
                if (right > dirty.left() && left <= dirty.right()) {
                    const int type = types[std::size_t(column)];
                    const AnsiView text = IsMediaType(type) ? AnsiView(m_mediaLabels[std::size_t(type)])
                                                            : record->GetDisplayValue(column, m_displayBuffer);
                    if (!text.empty())
                        drawText(painter, text, {left + 3, top + 3, right - 3, bottom - 3}, type == FT_NUMERIC, true);
                }
                left = right;
            }
        }
        top = bottom;
    }
}

qreal CListGrid::textWidth(AnsiView text) const
{
    qreal width = 0;
    for (const char c : text)
        width += m_advances[static_cast<unsigned char>(c)];
    return width;
}

// Text in the way DrawText lays it out with word breaks (see platform/Gdi.h),
// measured from the advances of the bytes instead of by shaping, and laid
// out only as far as lines can be seen: a 255-byte note in a one-line row
// costs one line.
void CListGrid::drawText(QPainter &painter, AnsiView text, const RECT &rect, bool rightAligned, bool wordBreak)
{
    const int maxWidth = rect.right - rect.left;
    const int boxHeight = rect.bottom - rect.top;
    if (text.empty() || maxWidth <= 0 || boxHeight <= 0)
        return;
    if (text.size() > m_prefixWidths.size() - 1) {
        // Longer than any value; the general routine copes.
        RECT box = rect;
        DrawText(painter, m_fontMetrics, AnsiToQString(text), box,
                 DT_NOPREFIX | (wordBreak ? DT_WORDBREAK : DT_SINGLELINE) | (rightAligned ? DT_RIGHT : DT_LEFT));
        return;
    }

    const qsizetype size = qsizetype(text.size());
    m_textBuffer.resize(size);
    QChar *out = m_textBuffer.data();
    bool hasBreak = false;
    m_prefixWidths[0] = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(text[std::size_t(i)]);
        out[i] = QChar(AnsiCharToUnicode(byte));
        hasBreak = hasBreak || byte == '\r' || byte == '\n';
        m_prefixWidths[std::size_t(i) + 1] = m_prefixWidths[std::size_t(i)] + m_advances[byte];
    }
    auto widthOf = [this](qsizetype from, qsizetype to) {
        return m_prefixWidths[std::size_t(to)] - m_prefixWidths[std::size_t(from)];
    };
    auto lineX = [&](qreal lineWidth) { return rightAligned ? rect.right - int(std::lround(lineWidth)) : rect.left; };

    const qreal total = m_prefixWidths[std::size_t(size)];
    if ((!hasBreak || !wordBreak) && total <= maxWidth && m_fontHeight <= boxHeight) {
        // Fits on one line: nothing to lay out and nothing to clip.
        painter.drawText(QPoint(lineX(total), rect.top + m_ascent), m_textBuffer);
        return;
    }

    // Laid out by DrawText's own line breaking, only as far as lines can be
    // seen.
    QVarLengthArray<TextBreakLine, 8> lines;
    const int maxLines = std::max(1, (boxHeight + m_fontHeight - 1) / m_fontHeight);
    BreakText(QStringView(m_textBuffer), maxWidth, wordBreak ? DT_WORDBREAK : DT_SINGLELINE, maxLines, widthOf, lines);

    bool clip = qsizetype(lines.size()) * m_fontHeight > boxHeight;
    for (const TextBreakLine &line : lines)
        clip = clip || line.width > maxWidth;
    if (clip) {
        painter.save();
        painter.setClipRect(RectToQRect(rect), Qt::IntersectClip);
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int y = rect.top + int(i) * m_fontHeight;
        if (y >= rect.bottom)
            break;
        const TextBreakLine &line = lines[i];
        painter.drawText(QPoint(lineX(line.width), y + m_ascent),
                         QString::fromRawData(m_textBuffer.constData() + line.start, line.length));
    }
    if (clip)
        painter.restore();
}

} // namespace orvel
