#pragma once

#include "tools/CriterionControls.h"

#include "table/SearchCriterion.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class FindDialog;
}

namespace orvel {

class COrvelDoc;

// "Datensatz suchen": two criteria and their link. The view passes its
// search criteria and link mode; every button but "Abbrechen" writes
// the user's choices back into them. "Suchen" ends with kSearchResult for
// the view to go on with; "Alle markieren" and "Neue Datenbank" do their
// work on the whole table before the dialog closes.
class FindDialog : public QDialog
{
    Q_OBJECT
public:
    // The codes the dialog ends with; QDialog::Rejected otherwise.
    static constexpr int kSearchResult = 520;
    static constexpr int kMarkedResult = 522;
    static constexpr int kCopiedResult = 1061;

    // Makes a new, untitled database in its own window (null when none
    // could be made).
    using NewDocument = std::function<COrvelDoc *()>;

    FindDialog(COrvelDoc &doc, SearchSpec &spec, int &link, NewDocument newDocument, QWidget *parent = nullptr);
    ~FindDialog() override;

    const CriterionControls &First() const { return m_first; }
    const CriterionControls &Second() const { return m_second; }

private:
    int chosenLink() const;
    void linkChanged();
    // Reads the controls into the criteria. False, changing nothing,
    // when the first text is empty, or the second one with "Und".
    bool takeChoices();
    void saveHistories() const;
    void search();
    void markAll();
    void newDatabase();

    std::unique_ptr<Ui::FindDialog> m_ui;
    COrvelDoc &m_doc;
    SearchSpec &m_spec;
    int &m_link;
    NewDocument m_newDocument;
    CriterionControls m_first;
    CriterionControls m_second;
};

} // namespace orvel
