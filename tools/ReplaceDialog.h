#pragma once

#include "table/SearchCriterion.h"

#include <QDialog>

#include <memory>

class QComboBox;

namespace Ui {
class ReplaceDialog;
}

namespace orvel {

class COrvelDoc;

// "Ersetzen": one criterion with its replacement. Every button but
// "Abbrechen" writes the user's choices into the view's criterion.
// "Suchen" and "Ersetzen" end with a code for the view to go on with;
// "Alle ersetzen" replaces in the whole table before the dialog closes.
class ReplaceDialog : public QDialog
{
    Q_OBJECT
public:
    // The codes the dialog ends with; QDialog::Rejected otherwise.
    static constexpr int kSearchResult = 520;
    static constexpr int kReplaceResult = 521;
    static constexpr int kReplacedAllResult = 522;

    ReplaceDialog(COrvelDoc &doc, SearchCriterion &criterion, QWidget *parent = nullptr);
    ~ReplaceDialog() override;

    QComboBox *SearchText() const;
    QComboBox *ReplacementText() const;

private:
    // Reads the controls into the criterion; false, changing nothing, when
    // the search text is empty.
    bool takeChoices();
    void saveHistories() const;
    void search();
    void replace();
    void replaceAll();

    std::unique_ptr<Ui::ReplaceDialog> m_ui;
    COrvelDoc &m_doc;
    SearchCriterion &m_criterion;
};

} // namespace orvel
