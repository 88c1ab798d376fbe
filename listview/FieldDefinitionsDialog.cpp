#include "listview/FieldDefinitionsDialog.h"

#include "ui_FieldDefinitionsDialog.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/ui/CFieldPropDlg.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/ui/PropertySheet.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QListWidget>

namespace orvel {

namespace {

constexpr int kPositionRole = Qt::UserRole;

// The sheet that holds the field page alone; the definition on OK.
std::optional<FieldDefinition> RunFieldSheet(QWidget *parent, const CDataTable &table, int existing,
                                             const FieldDefinition &definition)
{
    PropertySheet sheet(parent);
    auto *page = new CFieldPropDlg(table, existing, definition);
    sheet.AddPage(page);
    if (sheet.exec() != QDialog::Accepted)
        return std::nullopt;
    return page->Value();
}

} // namespace

FieldDefinitionsDialog::FieldDefinitionsDialog(COrvelDoc &doc, const DrawColors &colors, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::FieldDefinitionsDialog>())
    , m_doc(doc)
    , m_colors(colors)
{
    m_ui->setupUi(this);
    const CDataTable &table = m_doc.GetTable();
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        auto *entry = new QListWidgetItem(AnsiToQString(table.GetFieldName(pos)));
        entry->setData(kPositionRole, pos);
        m_ui->fieldList->addItem(entry);
    }
    if (m_ui->fieldList->count() > 0)
        m_ui->fieldList->setCurrentRow(0);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &FieldDefinitionsDialog::accept);
    connect(m_ui->newButton, &QPushButton::clicked, this, &FieldDefinitionsDialog::newField);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &FieldDefinitionsDialog::deleteField);
    connect(m_ui->propertiesButton, &QPushButton::clicked, this, &FieldDefinitionsDialog::editField);
    connect(m_ui->fieldList, &QListWidget::itemDoubleClicked, this, &FieldDefinitionsDialog::editField);
    updateButtons();
}

FieldDefinitionsDialog::~FieldDefinitionsDialog() = default;

void FieldDefinitionsDialog::updateButtons()
{
    const int count = m_doc.GetTable().GetFieldCount();
    m_ui->newButton->setEnabled(count < kMaxFields);
    m_ui->deleteButton->setEnabled(count > 0);
    m_ui->propertiesButton->setEnabled(count > 0);
}

std::vector<int> FieldDefinitionsDialog::ListedPositions() const
{
    std::vector<int> positions;
    for (int row = 0; row < m_ui->fieldList->count(); ++row)
        positions.push_back(m_ui->fieldList->item(row)->data(kPositionRole).toInt());
    return positions;
}

void FieldDefinitionsDialog::newField()
{
    CDataTable &table = m_doc.GetTable();
    if (table.GetFieldCount() >= kMaxFields) {
        MessageBoxById(ids::kMsgTooManyFields, MsgIcon::Exclamation);
        return;
    }
    FieldDefinition proposal;
    proposal.name = m_doc.NextDataFieldName();
    const std::optional<FieldDefinition> definition = RunFieldSheet(this, table, -1, proposal);
    if (!definition)
        return;
    CDrawEdit *field = m_doc.CreateField(*definition, m_colors);
    if (field == nullptr)
        return;
    // The new field stands where the selected one stands; the table has it
    // at the end until the list's order is applied.
    const int row = std::max(0, m_ui->fieldList->currentRow());
    auto *entry = new QListWidgetItem(AnsiToQString(table.GetFieldName(field->fieldIndex)));
    entry->setData(kPositionRole, field->fieldIndex);
    m_ui->fieldList->insertItem(row, entry);
    m_ui->fieldList->setCurrentRow(row);
    updateButtons();
}

void FieldDefinitionsDialog::editField()
{
    QListWidgetItem *entry = m_ui->fieldList->currentItem();
    if (entry == nullptr)
        return;
    const int pos = entry->data(kPositionRole).toInt();
    CDrawEdit *field = m_doc.GetForm().FindDataField(pos);
    if (field == nullptr)
        return;
    FieldDefinition current = m_doc.GetFieldDefinition(pos);
    current.framed = field->framed != 0;
    current.showFieldName = field->showFieldName != 0;
    current.embedded = field->embedded != 0;
    const std::optional<FieldDefinition> changed = RunFieldSheet(this, m_doc.GetTable(), pos, current);
    if (!changed)
        return;
    m_doc.ChangeField(pos, *changed);
    entry->setText(AnsiToQString(m_doc.GetTable().GetFieldName(pos)));
}

void FieldDefinitionsDialog::deleteField()
{
    const int row = m_ui->fieldList->currentRow();
    QListWidgetItem *entry = m_ui->fieldList->currentItem();
    if (entry == nullptr)
        return;
    const int pos = entry->data(kPositionRole).toInt();
    CDataTable &table = m_doc.GetTable();
    if (table.GetRecordCount() > 0) {
        const QString name = AnsiToQString(table.GetFieldName(pos));
        if (MessageBoxById(ids::kMsgConfirmDeleteDataField, MsgIcon::Question, MsgButtons::YesNoCancel, {name})
            != MsgResult::Yes)
            return;
    }
    if (!m_doc.DeleteFieldWithDataFields(pos))
        return;
    delete m_ui->fieldList->takeItem(row);
    for (int i = 0; i < m_ui->fieldList->count(); ++i) {
        QListWidgetItem *other = m_ui->fieldList->item(i);
        const int otherPos = other->data(kPositionRole).toInt();
        if (otherPos > pos)
            other->setData(kPositionRole, otherPos - 1);
    }
    if (m_ui->fieldList->count() > 0)
        m_ui->fieldList->setCurrentRow(std::min(row, m_ui->fieldList->count() - 1));
    updateButtons();
}

void FieldDefinitionsDialog::accept()
{
    m_doc.ApplyFieldOrder(ListedPositions());
    QDialog::accept();
}

QListWidget *FieldDefinitionsDialog::FieldList() const
{
    return m_ui->fieldList;
}

QPushButton *FieldDefinitionsDialog::NewButton() const
{
    return m_ui->newButton;
}

QPushButton *FieldDefinitionsDialog::DeleteButton() const
{
    return m_ui->deleteButton;
}

QPushButton *FieldDefinitionsDialog::PropertiesButton() const
{
    return m_ui->propertiesButton;
}

QPushButton *FieldDefinitionsDialog::CloseButton() const
{
    return m_ui->closeButton;
}

void RunFieldDefinitionsDialog(QWidget *parent, COrvelDoc &doc, const DrawColors &colors)
{
    doc.UpdateAllViews(Hint::CommitEdit);
    FieldDefinitionsDialog dialog(doc, colors, parent);
    dialog.exec();
}

} // namespace orvel
