#include "print/ui/CPPPageSetupFields.h"

#include "ui_CPPPageSetupFields.h"

#include "platform/Codepage.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

namespace orvel {

CPPPageSetupFields::CPPPageSetupFields(const CDataTable &table, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPPageSetupFields>())
{
    m_ui->setupUi(this);
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        auto *entry = new QListWidgetItem(QLatin1Char(' ') + AnsiToQString(table.GetFieldName(pos)));
        Qt::ItemFlags flags = Qt::ItemIsUserCheckable;
        if (!IsMediaType(table.GetFieldType(pos)))
            flags |= Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        entry->setFlags(flags);
        entry->setCheckState(table.GetPrintFlag(pos) != 0 ? Qt::Checked : Qt::Unchecked);
        m_ui->fieldList->addItem(entry);
    }
    m_ui->fieldList->setCurrentRow(0);
    connect(m_ui->selectAllButton, &QPushButton::clicked, this, [this] { setAllEnabled(true); });
    connect(m_ui->clearButton, &QPushButton::clicked, this, [this] { setAllEnabled(false); });
}

CPPPageSetupFields::~CPPPageSetupFields() = default;

std::vector<int> CPPPageSetupFields::PrintFlags() const
{
    std::vector<int> flags;
    for (int row = 0; row < m_ui->fieldList->count(); ++row)
        flags.push_back(m_ui->fieldList->item(row)->checkState() == Qt::Checked ? 1 : 0);
    return flags;
}

void CPPPageSetupFields::setAllEnabled(bool checked)
{
    for (int row = 0; row < m_ui->fieldList->count(); ++row) {
        QListWidgetItem *entry = m_ui->fieldList->item(row);
        if (entry->flags().testFlag(Qt::ItemIsEnabled))
            entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

QListWidget *CPPPageSetupFields::FieldList() const
{
    return m_ui->fieldList;
}

QAbstractButton *CPPPageSetupFields::SelectAllButton() const
{
    return m_ui->selectAllButton;
}

QAbstractButton *CPPPageSetupFields::ClearButton() const
{
    return m_ui->clearButton;
}

} // namespace orvel
