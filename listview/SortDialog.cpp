#include "listview/SortDialog.h"

#include "ui_SortDialog.h"

#include "document/OrvelDoc.h"
#include "platform/Codepage.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QListWidget>
#include <QRadioButton>

#include <algorithm>

namespace orvel {

SortDialog::SortDialog(const CDataTable &table, const SortKeys &keys, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::SortDialog>())
{
    m_ui->setupUi(this);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    QStringList names;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        if (!IsDataType(table.GetFieldType(pos)))
            continue;
        m_positions.push_back(pos);
        names.append(AnsiToQString(table.GetPlainFieldName(pos)));
    }

    for (int k = 0; k < 3; ++k) {
        const SortKey &key = keys.key[std::size_t(k)];
        QListWidget *list = FieldList(k);
        list->addItems(names);
        // The key names a display position; the lists skip media fields, so
        // the row is looked up rather than taken to be the position. A key
        // whose field is gone or no longer sortable shows no selection.
        const auto found = std::find(m_positions.begin(), m_positions.end(), key.field);
        if (found != m_positions.end()) {
            const int row = int(found - m_positions.begin());
            list->setCurrentRow(row);
            list->scrollToItem(list->item(row));
        } else {
            list->setCurrentRow(-1);
            list->clearSelection();
        }
        DescendingButton(k)->setChecked(key.descending == 1);
    }
}

SortDialog::~SortDialog() = default;

QListWidget *SortDialog::FieldList(int key) const
{
    QListWidget *lists[] = {m_ui->fieldList1, m_ui->fieldList2, m_ui->fieldList3};
    return lists[key];
}

QRadioButton *SortDialog::DescendingButton(int key) const
{
    QRadioButton *buttons[] = {m_ui->descending1, m_ui->descending2, m_ui->descending3};
    return buttons[key];
}

std::array<SortKeySelection, 3> SortDialog::Selections() const
{
    std::array<SortKeySelection, 3> selections{};
    for (int k = 0; k < 3; ++k) {
        SortKeySelection &chosen = selections[std::size_t(k)];
        const QListWidget *list = FieldList(k);
        const QList<QListWidgetItem *> selected = list->selectedItems();
        const int row = selected.isEmpty() ? -1 : list->row(selected.constFirst());
        chosen.field = row >= 0 && row < int(m_positions.size()) ? m_positions[std::size_t(row)] : -1;
        chosen.descending = DescendingButton(k)->isChecked() ? 1 : 0;
    }
    return selections;
}

bool RunSortDialog(QWidget *parent, COrvelDoc &doc, SortKeys &keys)
{
    CDataTable &table = doc.GetTable();
    SortDialog dialog(table, keys, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    keys = ApplySortDialogSelections(keys, dialog.Selections());
    if (table.GetRecordCount() == 0 || !keys.key[0].IsSet())
        return false;
    if (!SortCommand(table, keys))
        return false;
    doc.SetModifiedFlag();
    doc.UpdateAllViews(Hint::Repaint);
    return true;
}

} // namespace orvel
