#include "listview/OrvelView.h"

#include "document/OrvelDoc.h"
#include "listview/MainFrame.h"
#include "platform/Codepage.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QHeaderView>
#include <QResizeEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace orvel {

namespace {

// The table as a read-only model for the stand-in body. Rows are fetched
// by the view as they become visible, so large tables cost nothing up front.
class TablePreviewModel : public QAbstractTableModel
{
public:
    explicit TablePreviewModel(COrvelDoc &doc, QObject *parent)
        : QAbstractTableModel(parent)
        , m_doc(doc)
    {}

    int rowCount(const QModelIndex &parent) const override
    {
        const CDataTable &table = m_doc.GetTable();
        return parent.isValid() || table.GetFieldCount() == 0 ? 0 : table.GetRecordCount();
    }
    int columnCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : m_doc.GetTable().GetFieldCount();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const CDataTable &table = m_doc.GetTable();
        const CDataRecord *record = table.GetRecord(index.row());
        if (!record)
            return {};
        const int type = table.GetFieldType(index.column());
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(type == FT_NUMERIC ? Qt::AlignRight | Qt::AlignVCenter
                                                          : Qt::AlignLeft | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        AnsiString buffer;
        const AnsiView value = record->GetDisplayValue(index.column(), buffer);
        if (IsMediaType(type) && !value.empty())
            return mediaText(type);
        return AnsiToQString(value);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return section + 1;
        return AnsiToQString(m_doc.GetTable().GetFieldName(section));
    }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }

private:
    static QString mediaText(int type)
    {
        switch (type) {
        case FT_PICTURE:
            return QStringLiteral("[Grafik]");
        case FT_MEMO:
            return QStringLiteral("[Memo]");
        case FT_OLE:
            return QStringLiteral("[OLE]");
        default:
            return QStringLiteral("[Verknüpfung]");
        }
    }

    COrvelDoc &m_doc;
};

} // namespace

COrvelView::COrvelView(COrvelDoc &doc, CMainFrame *frame, QWidget *parent)
    : QWidget(parent)
    , m_doc(doc)
    , m_frame(frame)
{
    // Until the form view exists every view shows the list, whatever the
    // "StandardView" setting says (the setting keeps its value).
    m_listMode = 1;
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    setFocusPolicy(Qt::StrongFocus);
    m_hintHandle = m_doc.AddHintListener([this](int hint, std::intptr_t value) { OnUpdate(hint, value); });
}

COrvelView::~COrvelView()
{
    m_doc.RemoveHintListener(m_hintHandle);
    if (m_frame)
        m_frame->UnregisterView(this);
}

void COrvelView::OnInitialUpdate()
{
    if (!m_body)
        SetBody(createPlaceholderBody());
    const CDataTable &table = m_doc.GetTable();
    m_currentRecord = table.GetRecordCount() > 0 ? 0 : -1;
    m_currentField = table.GetFieldCount() > 0 ? 0 : -1;
    refreshPlaceholder(kHintInitialUpdate, 0);
    if (m_frame && !m_initialised)
        m_frame->RegisterView(this);
    m_initialised = true;
}

void COrvelView::OnUpdate(int hint, std::intptr_t value)
{
    switch (hint) {
    case kHintFields:
        m_currentField = m_doc.GetTable().GetFieldCount() > 0 ? 0 : -1;
        if (m_currentField < 0)
            m_currentRecord = -1;
        break;
    case kHintReplaced:
        m_currentRecord = m_doc.GetTable().GetRecordCount() > 0 ? 0 : -1;
        m_currentField = m_doc.GetTable().GetFieldCount() > 0 ? 0 : -1;
        break;
    case kHintInitialUpdate:
        OnInitialUpdate();
        return;
    case kHintClosing:
        m_designMode = false;
        break;
    default:
        break;
    }
    refreshPlaceholder(hint, value);
}

void COrvelView::RelayoutAfterOptions()
{
    QResizeEvent resize(size(), size());
    QCoreApplication::sendEvent(this, &resize);
    if (m_body) {
        QResizeEvent bodyResize(m_body->size(), m_body->size());
        QCoreApplication::sendEvent(m_body, &bodyResize);
        m_body->update();
    }
    update();
}

void COrvelView::SetCurrentCell(int record, int field)
{
    if (record == m_currentRecord && field == m_currentField)
        return;
    m_currentRecord = record;
    m_currentField = field;
    emit currentCellChanged(record, field);
}

void COrvelView::SetBody(QWidget *body)
{
    if (m_body == body)
        return;
    delete m_body;
    m_body = body;
    if (m_body) {
        m_layout->addWidget(m_body);
        setFocusProxy(m_body);
    }
}

QWidget *COrvelView::createPlaceholderBody()
{
    auto *table = new QTableView(this);
    table->setModel(new TablePreviewModel(m_doc, table));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setDefaultSectionSize(120);
    connect(table, &QTableView::clicked, this,
            [this](const QModelIndex &index) { SetCurrentCell(index.row(), index.column()); });
    return table;
}

void COrvelView::refreshPlaceholder(int hint, std::intptr_t value)
{
    auto *table = qobject_cast<QTableView *>(m_body);
    auto *model = table ? dynamic_cast<TablePreviewModel *>(table->model()) : nullptr;
    if (!model)
        return;
    switch (hint) {
    case kHintRecord: {
        const int record = int(value >> 16);
        const int field = int(value & 0xFFFF);
        const QModelIndex index = model->index(record, field);
        if (index.isValid())
            emit model->dataChanged(index, index);
        break;
    }
    case kHintCommitEdit:
    case kHintBackground:
    case kHintClosing:
        break;
    default:
        model->reset();
        break;
    }
}

} // namespace orvel
