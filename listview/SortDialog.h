#pragma once

#include "table/SortKeys.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

class QListWidget;
class QRadioButton;

namespace Ui {
class SortDialog;
}

namespace orvel {

class CDataTable;
class COrvelDoc;

// "Sortieren": one list of the data fields per key, each with its direction.
class SortDialog : public QDialog
{
    Q_OBJECT
public:
    SortDialog(const CDataTable &table, const SortKeys &keys, QWidget *parent = nullptr);
    ~SortDialog() override;

    // What the three lists and their radio buttons hold now: the display
    // position of the selected field (-1 without a selection) and the
    // direction.
    std::array<SortKeySelection, 3> Selections() const;

    QListWidget *FieldList(int key) const;
    QRadioButton *DescendingButton(int key) const;

private:
    std::unique_ptr<Ui::SortDialog> m_ui;
    // Row of the lists -> display position; the lists leave media fields out.
    std::vector<int> m_positions;
};

// "Datenbank sortieren...": the dialog, then on OK the keys as the dialog's
// rule makes them, and the sort when the table has records and key 1 is
// set. A sort marks the document modified and repaints every view (hint 0).
// The keys are kept even when nothing is sorted, so that the dialog shows
// them next time. Returns true when the table was sorted.
bool RunSortDialog(QWidget *parent, COrvelDoc &doc, SortKeys &keys);

} // namespace orvel
