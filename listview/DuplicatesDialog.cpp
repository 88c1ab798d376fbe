#include "listview/DuplicatesDialog.h"

#include "ui_DuplicatesDialog.h"

#include "document/OrvelDoc.h"
#include "platform/Codepage.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataTable.h"
#include "table/Duplicates.h"

#include <QCheckBox>
#include <QListWidget>

namespace orvel {

DuplicatesDialog::DuplicatesDialog(const CDataTable &table, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::DuplicatesDialog>())
{
    m_ui->setupUi(this);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Comparing by sound builds on the folded spelling, so it is offered
    // only with it.
    m_ui->similarCheck->setText(LoadQString(ids::kDuplicatesSimilar));
    m_ui->soundCheck->setText(LoadQString(ids::kDuplicatesSound));
    connect(m_ui->similarCheck, &QCheckBox::toggled, m_ui->soundCheck, &QWidget::setEnabled);
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        auto *item = new QListWidgetItem(AnsiToQString(table.GetPlainFieldName(pos)), m_ui->fieldList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    if (m_ui->fieldList->count() > 0)
        m_ui->fieldList->setCurrentRow(0);
}

DuplicatesDialog::~DuplicatesDialog() = default;

QListWidget *DuplicatesDialog::FieldList() const
{
    return m_ui->fieldList;
}

DuplicateMatch DuplicatesDialog::Match() const
{
    if (!m_ui->similarCheck->isChecked())
        return DuplicateMatch::Exact;
    return m_ui->soundCheck->isChecked() ? DuplicateMatch::Sound : DuplicateMatch::Similar;
}

QCheckBox *DuplicatesDialog::SimilarCheck() const
{
    return m_ui->similarCheck;
}

QCheckBox *DuplicatesDialog::SoundCheck() const
{
    return m_ui->soundCheck;
}

std::vector<int> DuplicatesDialog::SelectedFields() const
{
    std::vector<int> fields;
    for (int row = 0; row < m_ui->fieldList->count(); ++row)
        if (m_ui->fieldList->item(row)->checkState() == Qt::Checked)
            fields.push_back(row);
    return fields;
}

bool RunDuplicatesDialog(QWidget *parent, COrvelDoc &doc)
{
    CDataTable &table = doc.GetTable();
    DuplicatesDialog dialog(table, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const int markedBefore = table.GetMarkedCount();
    const bool ran = MarkDuplicatesCommand(table, dialog.SelectedFields(), dialog.Match());
    if (ran || table.GetMarkedCount() != markedBefore) {
        doc.SetModifiedFlag();
        doc.UpdateAllViews(Hint::Repaint);
    }
    return ran;
}

} // namespace orvel
