#include "tools/FindDialog.h"

#include "ui_FindDialog.h"

#include "document/OrvelDoc.h"
#include "document/RecordImport.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/Search.h"
#include "table/SearchCommands.h"
#include "tools/SearchHistory.h"

namespace orvel {

FindDialog::FindDialog(COrvelDoc &doc, SearchSpec &spec, int &link, NewDocument newDocument, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::FindDialog>())
    , m_doc(doc)
    , m_spec(spec)
    , m_link(link)
    , m_newDocument(std::move(newDocument))
{
    m_ui->setupUi(this);
    m_first = {m_ui->fieldCombo1,    m_ui->textCombo1,      m_ui->matchCaseCheck1,
               m_ui->negativeCheck1, m_ui->wholeWordCheck1, m_ui->beginsWithCheck1};
    m_second = {m_ui->fieldCombo2,    m_ui->textCombo2,      m_ui->matchCaseCheck2,
                m_ui->negativeCheck2, m_ui->wholeWordCheck2, m_ui->beginsWithCheck2};

    const CDataTable &table = doc.GetTable();
    m_first.Show(table, spec.criterion1, SearchHistory::FindFirst().Load());
    m_second.Show(table, spec.criterion2, SearchHistory::FindSecond().Load());
    switch (link) {
    case SL_AND:
        m_ui->linkAnd->setChecked(true);
        break;
    case SL_OR:
        m_ui->linkOr->setChecked(true);
        break;
    default:
        m_ui->linkNone->setChecked(true);
        break;
    }
    linkChanged();
    for (QRadioButton *button : {m_ui->linkNone, m_ui->linkAnd, m_ui->linkOr})
        connect(button, &QRadioButton::toggled, this, &FindDialog::linkChanged);

    connect(m_ui->searchButton, &QPushButton::clicked, this, &FindDialog::search);
    connect(m_ui->markAllButton, &QPushButton::clicked, this, &FindDialog::markAll);
    connect(m_ui->newDatabaseButton, &QPushButton::clicked, this, &FindDialog::newDatabase);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    m_ui->textCombo1->setFocus();
}

FindDialog::~FindDialog() = default;

int FindDialog::chosenLink() const
{
    if (m_ui->linkAnd->isChecked())
        return SL_AND;
    if (m_ui->linkOr->isChecked())
        return SL_OR;
    return SL_NONE;
}

void FindDialog::linkChanged()
{
    const bool second = chosenLink() != SL_NONE;
    m_second.SetEnabled(second);
    m_ui->fieldLabel2->setEnabled(second);
    m_ui->textLabel2->setEnabled(second);
}

bool FindDialog::takeChoices()
{
    const int link = chosenLink();
    const QString first = m_first.Text();
    const QString second = m_second.Text();
    if (first.isEmpty() || (link == SL_AND && second.isEmpty()))
        return false;
    m_link = link;
    m_spec.criterion1.field = m_first.Field();
    m_spec.criterion1.text = QStringToAnsi(first);
    m_spec.criterion1.options = m_first.Options();
    // Without a link the second criterion is not looked at.
    if (link != SL_NONE) {
        m_spec.criterion2.field = m_second.Field();
        m_spec.criterion2.text = QStringToAnsi(second);
        m_spec.criterion2.options = m_second.Options();
    }
    return true;
}

void FindDialog::saveHistories() const
{
    SearchHistory::FindFirst().Remember(m_first.HistoryItems(), m_first.Text());
    if (m_link != SL_NONE)
        SearchHistory::FindSecond().Remember(m_second.HistoryItems(), m_second.Text());
}

void FindDialog::search()
{
    if (!takeChoices())
        return;
    if (m_spec.criterion1.field < 0) {
        reject();
        return;
    }
    saveHistories();
    done(kSearchResult);
}

void FindDialog::markAll()
{
    if (!takeChoices())
        return;
    if (m_spec.criterion1.field < 0) {
        reject();
        return;
    }
    CDataTable &table = m_doc.GetTable();
    const int markedBefore = table.GetMarkedCount();
    const int marked = MarkMatchesCommand(table, m_spec, m_link);
    saveHistories();
    // Marks removed on request change the document even when nothing new
    // is marked.
    if (marked > 0 || table.GetMarkedCount() != markedBefore) {
        m_doc.SetModifiedFlag();
        m_doc.UpdateAllViews(Hint::Repaint);
    }
    if (marked > 0)
        done(kMarkedResult);
    else
        reject();
}

void FindDialog::newDatabase()
{
    if (!takeChoices())
        return;
    if (m_spec.criterion1.field < 0) {
        reject();
        return;
    }
    const CDataTable &table = m_doc.GetTable();
    bool any = false;
    {
        WaitCursor wait;
        for (int i = 0; i < table.GetRecordCount() && !any; ++i)
            any = RecordMeetsSpec(table, m_spec, m_link, i);
    }
    if (!any) {
        MessageBoxById(ids::kMsgNothingFound, MsgIcon::Information);
        reject();
        return;
    }
    COrvelDoc *target = m_newDocument ? m_newDocument() : nullptr;
    if (!target) {
        reject();
        return;
    }
    CopyMatches(m_doc, m_spec, m_link, *target);
    target->UpdateAllViews(Hint::InitialUpdate);
    saveHistories();
    done(kCopiedResult);
}

} // namespace orvel
