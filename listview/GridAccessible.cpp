#include "listview/GridAccessible.h"

#include "document/OrvelDoc.h"
#include "listview/ListGrid.h"
#include "platform/Codepage.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace orvel {

namespace {

class GridAccessible;

// One cell of the grid, made on demand and kept by the table interface (so
// that a screen reader sees the same object for the same cell). It holds
// only its position and reads everything else from the grid when asked, so
// a cell whose record went away simply becomes invalid.
class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCellAccessible(CListGrid *grid, int record, int field)
        : m_grid(grid)
        , m_record(record)
        , m_field(field)
    {}

    bool isValid() const override
    {
        return m_grid != nullptr && m_record < data().GetRecordCount() && m_field < data().GetFieldCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name:
        case QAccessible::Value:
            return value();
        case QAccessible::Description:
            return fieldName() + QStringLiteral(", ") + recordName(m_record);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid() || m_record < m_grid->FirstRow() || m_field < m_grid->FirstColumn())
            return {};
        const QRect cell = RectToQRect(m_grid->Geometry().cellRect(m_record, m_field));
        const QRect shown = cell & m_grid->viewport()->rect();
        if (shown.isEmpty())
            return {};
        return QRect(m_grid->viewport()->mapToGlobal(shown.topLeft()), shown.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        const ListGridHost &host = m_grid->Host();
        const bool current = host.currentRecord() == m_record && host.currentField() == m_field;
        s.focused = current && m_grid->hasFocus();
        s.active = current;
        s.selected = data().GetRecord(m_record)->IsMarked();
        s.readOnly = !IsDataType(data().GetFieldType(m_field));
        if (rect().isEmpty()) {
            s.invisible = true;
            s.offscreen = true;
        }
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    // The table cell interface.
    bool isSelected() const override { return isValid() && data().GetRecord(m_record)->IsMarked(); }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_field; }
    int rowIndex() const override { return m_record; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    static QString recordName(int record) { return LoadQString(ids::kAccessibleRecord).arg(record + 1); }

private:
    CDataTable &data() const { return m_grid->Document().GetTable(); }

    QString fieldName() const { return AnsiToQString(data().GetPlainFieldName(m_field)); }

    // What the grid shows: the display value, or the bracketed type name
    // of a media field.
    QString value() const
    {
        const int type = data().GetFieldType(m_field);
        if (IsMediaType(type)) {
            return QLatin1Char('[') + LoadQString(FieldTypeNameId(type)) + QLatin1Char(']');
        }
        AnsiString buffer;
        return AnsiToQString(data().GetRecord(m_record)->GetDisplayValue(m_field, buffer));
    }

    QPointer<CListGrid> m_grid;
    int m_record;
    int m_field;
};

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridAccessible(CListGrid *grid)
        : QAccessibleWidget(grid, QAccessible::Table)
    {}
    ~GridAccessible() override { clearCells(); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = grid()->Document().GetTitle();
        return text;
    }

    // The cells are the children, row by row. The viewport and the scroll
    // bars are left out: a screen reader walks the records, not the parts of
    // the scroll area.
    int childCount() const override { return rowCount() * columnCount(); }
    QAccessibleInterface *child(int index) const override
    {
        const int columns = columnCount();
        if (index < 0 || columns == 0 || index >= childCount())
            return nullptr;
        return cellAt(index / columns, index % columns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child == nullptr || child->role() != QAccessible::Cell || child->parent() != this)
            return -1;
        auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
        if (cell == nullptr)
            return -1;
        return cell->rowIndex() * columnCount() + cell->columnIndex();
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = grid()->viewport()->mapFromGlobal(QPoint(x, y));
        if (!grid()->viewport()->rect().contains(local))
            return nullptr;
        const grid::GridGeometry g = grid()->Geometry();
        const int row = g.rowAt(local.y());
        const int column = g.columnAt(local.x());
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return nullptr;
        return cellAt(row, column);
    }
    QAccessibleInterface *focusChild() const override
    {
        const ListGridHost &host = grid()->Host();
        const int record = host.currentRecord();
        const int field = host.currentField();
        if (record < 0 || field < 0 || record >= rowCount() || field >= columnCount())
            return nullptr;
        return cellAt(record, field);
    }

    // The table interface.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
            return nullptr;
        const quint64 key = (quint64(quint32(row)) << 32) | quint32(column);
        const auto found = m_cells.constFind(key);
        if (found != m_cells.constEnd())
            return QAccessible::accessibleInterface(*found);
        auto *cell = new GridCellAccessible(grid(), row, column);
        const QAccessible::Id id = QAccessible::registerAccessibleInterface(cell);
        m_cells.insert(key, id);
        return cell;
    }
    int columnCount() const override { return table().GetFieldCount(); }
    int rowCount() const override { return table().GetRecordCount(); }
    QString columnDescription(int column) const override
    {
        if (column < 0 || column >= columnCount())
            return {};
        return AnsiToQString(table().GetPlainFieldName(column));
    }
    QString rowDescription(int row) const override { return GridCellAccessible::recordName(row); }
    // Marked records are the grid's selection.
    int selectedCellCount() const override { return selectedRowCount() * columnCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return table().GetMarkedCount(); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (const int row : selectedRows())
            for (int column = 0; column < columnCount(); ++column)
                cells.push_back(cellAt(row, column));
        return cells;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        for (int row = 0; row < rowCount(); ++row)
            if (table().GetRecord(row)->IsMarked())
                rows.push_back(row);
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override
    {
        return row >= 0 && row < rowCount() && table().GetRecord(row)->IsMarked();
    }
    // Marks change the document; they go through the grid's commands, not
    // through the assistive technology.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { clearCells(); }

    // The last cell reported as focused, so that a repaint of the same cell
    // does not make the screen reader repeat it.
    int reportedRecord = -1;
    int reportedField = -1;

private:
    CListGrid *grid() const { return static_cast<CListGrid *>(widget()); }
    CDataTable &table() const { return grid()->Document().GetTable(); }

    void clearCells()
    {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable QHash<quint64, QAccessible::Id> m_cells;
};

QAccessibleInterface *gridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("orvel::CListGrid") && object != nullptr && object->isWidgetType())
        return new GridAccessible(static_cast<CListGrid *>(object));
    return nullptr;
}

} // namespace

void InstallGridAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    (void)installed;
}

void NotifyGridCurrentCell(QWidget *widget)
{
    if (!QAccessible::isActive() || widget == nullptr || !widget->hasFocus())
        return;
    auto *grid = static_cast<CListGrid *>(widget);
    auto *iface = dynamic_cast<GridAccessible *>(QAccessible::queryAccessibleInterface(grid));
    if (iface == nullptr)
        return;
    const int record = grid->Host().currentRecord();
    const int field = grid->Host().currentField();
    if (record == iface->reportedRecord && field == iface->reportedField)
        return;
    iface->reportedRecord = record;
    iface->reportedField = field;
    QAccessibleInterface *cell = iface->focusChild();
    if (cell == nullptr)
        return;
    QAccessibleEvent event(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

} // namespace orvel
