#pragma once

#include "table/Duplicates.h"

#include <QDialog>

#include <memory>
#include <vector>

class QCheckBox;
class QListWidget;

namespace Ui {
class DuplicatesDialog;
}

namespace orvel {

class CDataTable;
class COrvelDoc;

// "Dubletten markieren": every field of the table, to be ticked for the
// comparison, and how values are compared (exactly by default; similar
// spellings; by sound).
class DuplicatesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DuplicatesDialog(const CDataTable &table, QWidget *parent = nullptr);
    ~DuplicatesDialog() override;

    // Display positions of the ticked fields, in ascending order.
    std::vector<int> SelectedFields() const;
    DuplicateMatch Match() const;
    QListWidget *FieldList() const;
    QCheckBox *SimilarCheck() const;
    QCheckBox *SoundCheck() const;

private:
    std::unique_ptr<Ui::DuplicatesDialog> m_ui;
};

// "Dubletten markieren...": the dialog, then on OK the duplicate search with
// its questions and messages. When the search ran the document is modified
// (the table was sorted) and every view repaints (hint 0); so it is when the
// user only had the old marks removed. Returns true when the search ran.
bool RunDuplicatesDialog(QWidget *parent, COrvelDoc &doc);

} // namespace orvel
