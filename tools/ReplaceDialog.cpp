#include "tools/ReplaceDialog.h"

#include "ui_ReplaceDialog.h"

#include "document/OrvelDoc.h"
#include "platform/Codepage.h"
#include "table/DataTable.h"
#include "table/SearchCommands.h"
#include "tools/CriterionControls.h"
#include "tools/SearchHistory.h"

namespace orvel {

namespace {

CriterionControls controlsOf(Ui::ReplaceDialog &ui)
{
    return {ui.fieldCombo, ui.searchCombo, ui.matchCaseCheck, ui.negativeCheck, ui.wholeWordCheck, ui.beginsWithCheck};
}

} // namespace

ReplaceDialog::ReplaceDialog(COrvelDoc &doc, SearchCriterion &criterion, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ReplaceDialog>())
    , m_doc(doc)
    , m_criterion(criterion)
{
    m_ui->setupUi(this);
    controlsOf(*m_ui).Show(doc.GetTable(), criterion, SearchHistory::ReplaceSearch().Load());
    CriterionControls::ShowHistory(m_ui->replaceCombo, SearchHistory::ReplaceWith().Load());
    connect(m_ui->searchButton, &QPushButton::clicked, this, &ReplaceDialog::search);
    connect(m_ui->replaceButton, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(m_ui->replaceAllButton, &QPushButton::clicked, this, &ReplaceDialog::replaceAll);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    m_ui->searchCombo->setFocus();
}

ReplaceDialog::~ReplaceDialog() = default;

QComboBox *ReplaceDialog::SearchText() const
{
    return m_ui->searchCombo;
}

QComboBox *ReplaceDialog::ReplacementText() const
{
    return m_ui->replaceCombo;
}

bool ReplaceDialog::takeChoices()
{
    const CriterionControls controls = controlsOf(*m_ui);
    const QString text = controls.Text();
    if (text.isEmpty())
        return false;
    m_criterion.field = controls.Field();
    m_criterion.text = QStringToAnsi(text);
    m_criterion.replacement = QStringToAnsi(CriterionControls::TextOf(m_ui->replaceCombo));
    m_criterion.options = controls.Options();
    return true;
}

void ReplaceDialog::saveHistories() const
{
    SearchHistory::ReplaceSearch().Remember(CriterionControls::ItemsOf(m_ui->searchCombo),
                                            CriterionControls::TextOf(m_ui->searchCombo));
    SearchHistory::ReplaceWith().Remember(CriterionControls::ItemsOf(m_ui->replaceCombo),
                                          CriterionControls::TextOf(m_ui->replaceCombo));
}

void ReplaceDialog::search()
{
    if (!takeChoices())
        return;
    if (m_criterion.field < 0) {
        reject();
        return;
    }
    saveHistories();
    done(kSearchResult);
}

void ReplaceDialog::replace()
{
    if (!takeChoices() || m_criterion.text == m_criterion.replacement)
        return;
    if (m_criterion.field < 0) {
        reject();
        return;
    }
    saveHistories();
    done(kReplaceResult);
}

void ReplaceDialog::replaceAll()
{
    if (!takeChoices() || m_criterion.text == m_criterion.replacement || m_criterion.field < 0)
        return;
    const int replaced = ReplaceAllCommand(m_doc.GetTable(), m_criterion);
    if (replaced == 0)
        return;
    m_doc.SetModifiedFlag();
    m_doc.UpdateAllViews(Hint::Repaint);
    saveHistories();
    done(kReplacedAllResult);
}

} // namespace orvel
