#pragma once

#include "document/FieldValueState.h"
#include "document/UpdateHint.h"
#include "listview/ListGridGeometry.h"
#include "platform/AnsiString.h"
#include "platform/LogFont.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QFontMetrics>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QInputMethodEvent;
class QKeyEvent;
class QMouseEvent;
class QPainter;
class QPaintEvent;
class QResizeEvent;
class QWheelEvent;

namespace orvel {

class CDataTable;
class CellEditor;
class COrvelDoc;

// What the list grid needs from the view that owns it.
class ListGridHost
{
public:
    virtual ~ListGridHost();

    // The view's current cell: a record index and a display position, -1
    // for none. The grid reads and moves it; the view keeps it across the
    // switch between list and form.
    virtual int currentRecord() const = 0;
    virtual int currentField() const = 0;
    virtual void setCurrentCell(int record, int field) = 0;

    // Moving past the last record: unless the last record is still blank,
    // append a new record after it and make it current (the view's "insert
    // after" with its limit message and its hint 8, see AppendIfNeeded).
    virtual void appendIfNeeded() = 0;

    // An update hint for every other view of the document (not this one).
    virtual void notifyOtherViews(const UpdateHint &hint) = 0;

    // Pane 0 of the main frame's status bar.
    virtual void showStatusText(const QString &text) = 0;

    // The grid font; by default the user's "GridFont" setting (the stock
    // variable-width font when there is none).
    virtual LOGFONT gridFont() const;
};

// True when every value of the record is empty or its field's default.
bool IsBlankRecord(const CDataTable &table, int index);
// The append rule of the list: when the last record holds anything but
// defaults (or there is no record but there are fields), a new record is
// appended after it and becomes `current`. False when nothing was appended;
// message 345 at the record limit.
bool AppendIfNeeded(CDataTable &table, int &current);

// The list view of a database: one row per record, one column per field,
// record numbers and marks in a row-header column, field names in a header
// row. Painted from the geometry in ListGridGeometry.h; scrolled by whole
// rows and columns; edits the current cell in place.
//
// The view owns the grid while it is in list mode and passes on document
// hints (OnUpdate), activation (SetActive) and the record commands. Keys that
// reach the grid itself (no shortcut of the view took them) are handled as
// the commands would: Up/Down, Page Up/Down, Ctrl+Home/End, Home/End,
// Left/Right, Enter and typed characters.
class CListGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // The scroll-bar requests, as the old messages named them.
    enum class ScrollCode { LineBack, LineForward, PageBack, PageForward, ThumbPosition, ThumbTrack };

    CListGrid(ListGridHost &host, COrvelDoc &document, QWidget *parent = nullptr);
    ~CListGrid() override;

    // The view's initial update and each switch into list mode: font
    // metrics, then a general update and the resize rules.
    void Initialise();
    // A document hint passed on by the view.
    void OnUpdate(const UpdateHint &hint);
    // The view became active or inactive: the focus frame shows only while
    // it is active. An open edit is committed.
    void SetActive(bool active);
    bool IsActive() const { return m_active; }

    // Ends an open in-place edit (its text is stored already).
    void Commit();
    bool IsEditing() const { return m_editor != nullptr; }
    CellEditor *Editor() const { return m_editor.get(); }
    // Enter: opens the edit with the whole value selected, or ends it.
    void Enter();

    // Record and column moves (each commits an open edit first).
    void LineDown();
    void LineUp();
    void PageDown();
    void PageUp();
    void First();
    void Last();
    void Home();
    void End();
    void Left();
    void Right();
    // Tab and Shift+Tab: the next or previous field; past the last field the
    // first one of the next record, as Down goes there.
    void NextField();
    void PreviousField();
    // "Markierung": inverts the current record's mark.
    void ToggleMarkOfCurrent();

    void VerticalScroll(ScrollCode code, int position = 0);
    void HorizontalScroll(ScrollCode code, int position = 0);

    int FirstRow() const { return m_firstRow; }
    int FirstColumn() const { return m_firstColumn; }
    const grid::GridMetrics &Metrics() const { return m_metrics; }
    const QFont &GridFont() const { return m_font; }
    COrvelDoc &Document() const { return m_document; }
    ListGridHost &Host() const { return m_host; }
    // The layout as it stands.
    grid::GridGeometry Geometry() const;
    int LastVisibleRow() const { return Geometry().lastVisibleRow(); }
    int LastVisibleColumn() const { return Geometry().lastVisibleColumn(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    // Scrolling is by rows and columns, done by the grid itself.
    void scrollContentsBy(int dx, int dy) override;
    // Tab belongs to the grid's cells, not to the focus chain.
    bool focusNextPrevChild(bool) override { return false; }

private:
    enum class Sizing { None, Column, Row };

    CDataTable &table() const;
    bool hasCells() const;
    int clientWidth() const;
    int clientHeight() const;
    grid::GridGeometry geometryAt(int firstRow, int firstColumn) const;

    void updateFont();
    void handleResize();
    void updateScrollBars();
    void onScrollBarAction(Qt::Orientation orientation, int action);

    // Moves the first row and column; a step of one row or one column moves
    // the pixels, anything else repaints.
    void scrollTo(int firstRow, int firstColumn);
    void ensureVisible();
    void afterMove();
    void setCurrent(int record, int field);
    void selectAt(const QPoint &pos);
    QPoint focusPoint() const;
    void repaintRow(int row);
    void refreshFocusFrame();
    QRect wantedFocusFrame() const;
    void updateStatusText();

    void buttonDown(const QPoint &pos);
    void finishSizing(const QPoint &pos);
    void setDragFeedback(const QRect &rect);

    bool handleKey(QKeyEvent *event);
    void startEdit(QKeyEvent *typed, const QString &composed = QString());
    void onEditChanged();
    void closeEdit();
    // Escape: the value, the record's time and the modified flags go back
    // to what they were when the edit opened.
    void cancelEdit();
    // After an edit of a number or date: a value that cannot be read is kept
    // as typed (or "##"), and the status bar says so.
    void reportUnreadableValue(int record, int field);

    // Painting.
    void paintGrid(QPainter &painter, const QRect &dirty);
    void paintFrame(QPainter &painter, const grid::GridGeometry &g, const QRect &dirty);
    void paintTexts(QPainter &painter, const grid::GridGeometry &g, const QRect &dirty);
    void drawText(QPainter &painter, AnsiView text, const RECT &rect, bool rightAligned, bool wordBreak);
    qreal textWidth(AnsiView text) const;

    ListGridHost &m_host;
    COrvelDoc &m_document;

    int m_firstRow = 0;
    int m_firstColumn = 0;
    bool m_active = true;
    bool m_busy = false;
    int m_scrollGuard = 0;
    // "NiceListRepaint": paint through an off-screen bitmap (the default)
    // or straight onto the screen. Read when the grid is initialised.
    bool m_offscreenPaint = true;

    LOGFONT m_logFont{};
    int m_fontDpi = 0;
    QFont m_font;
    QFontMetrics m_fontMetrics;
    grid::GridMetrics m_metrics;
    int m_ascent = 0;
    int m_fontHeight = 1;
    // Advance of every Windows-1252 byte: cells are measured without
    // converting or shaping them.
    std::array<qreal, 256> m_advances{};
    QPalette m_palette;
    std::array<AnsiString, 7> m_mediaLabels; // "[Grafik]", ... by field type

    std::unique_ptr<CellEditor> m_editor;
    int m_editRecord = -1;
    int m_editField = -1;
    // What Escape puts back: the stored value, the record's time and the
    // modified flags as they were when the edit opened.
    FieldValueState m_editOrigin;
    // The keystrokes of the open edit become one undo step by this key.
    int m_editStep = 0;

    Sizing m_sizing = Sizing::None;
    QPoint m_dragStart;
    int m_dragIndex = -1;
    int m_dragOrigin = 0; // the sized column's left edge or row's top
    QRect m_dragFeedback;

    QRect m_drawnFocusFrame;
    QString m_statusText;
    QPoint m_wheelRemainder;

    // Reused while painting, so that a frame does not allocate per cell.
    QString m_textBuffer;
    AnsiString m_displayBuffer;
    std::array<qreal, grid::kMaxEditLength + 2> m_prefixWidths{};
};

} // namespace orvel
