#include "document/DocumentRecorder.h"

#include "resources/CommandTable.h"
#include "table/DataTable.h"

#include <climits>

namespace orvel {

QString CDocumentRecorder::StepName(int commandId)
{
    const Command *command = CommandTable::program().find(commandId);
    if (!command)
        return {};
    QString name = command->menuText.section(u'\t', 0, 0);
    name.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    name.remove(u'&');
    name.replace(u'\x01', u'&');
    if (name.endsWith(QStringLiteral("...")))
        name.chop(3);
    return name.trimmed();
}

int CDocumentRecorder::NewMergeKey()
{
    static int next = 0;
    next = next == INT_MAX ? 1 : next + 1;
    return next;
}

void CDocumentRecorder::Begin(const QString &name, int mergeKey, bool withForm)
{
    if (m_depth++ > 0) {
        if (withForm && !m_withForm && m_journal) {
            m_withForm = true;
            m_formBefore = takeForm();
        }
        return;
    }
    if (!m_sink)
        return;
    auto journal = std::make_unique<CTableJournal>(m_byteLimit);
    // A table that records for someone else already (never in the program)
    // is left alone.
    if (!journal->Begin(m_table))
        return;
    m_journal = std::move(journal);
    m_name = name;
    m_mergeKey = mergeKey;
    m_withForm = withForm;
    m_formBefore = withForm ? takeForm() : FormImage();
    if (m_page)
        m_pageBefore = *m_page;
}

void CDocumentRecorder::End()
{
    if (m_depth == 0)
        return;
    if (m_depth == 1 && m_journal) {
        m_journal->Finish();
        auto step = std::make_unique<CDocumentStep>(std::move(m_journal));
        if (m_withForm) {
            FormImage after = TakeFormImage(m_form);
            if (after != m_formBefore) {
                after.ShareWith(m_formBefore);
                m_lastForm = after;
                step->SetForm(std::move(m_formBefore), std::move(after));
            }
            m_formBefore = FormImage();
        }
        if (m_page && *m_page != m_pageBefore)
            step->SetPage(m_pageBefore, *m_page);
        // Still inside the step: the sink marks the document modified.
        if (!step->IsEmpty() && m_sink)
            m_sink(std::move(step), m_name, m_mergeKey);
    }
    --m_depth;
}

FormImage CDocumentRecorder::takeForm()
{
    FormImage image = TakeFormImage(m_form);
    image.ShareWith(m_lastForm);
    return image;
}

void CDocumentRecorder::Modified()
{
    if (m_depth == 0 && !m_applying)
        m_changedOutside = true;
}

void CDocumentRecorder::Saved()
{
    m_changedOutside = false;
    if (m_saved)
        m_saved();
}

} // namespace orvel
