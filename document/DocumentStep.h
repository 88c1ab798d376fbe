#pragma once

#include "table/TableJournal.h"

#include <QByteArray>

#include <memory>

namespace orvel {

class CDataTable;
class CFormObjects;

// The form as a step keeps it: its background colour and its objects in
// the stream the clipboard uses (pictures with their bytes).
QByteArray TakeFormSnapshot(const CFormObjects &form);

// One step of changes to a document: the table's journal and, for commands
// that change the form as well (the field definitions, whose data fields
// live on the form), the form before and after.
class CDocumentStep
{
public:
    explicit CDocumentStep(std::unique_ptr<CTableJournal> journal)
        : m_journal(std::move(journal))
    {}

    CTableJournal &Journal() { return *m_journal; }
    const CTableJournal &Journal() const { return *m_journal; }
    void SetForm(QByteArray before, QByteArray after)
    {
        m_formBefore = std::move(before);
        m_formAfter = std::move(after);
        m_hasForm = true;
    }
    bool HasForm() const { return m_hasForm; }
    bool IsEmpty() const { return m_journal->IsEmpty() && !m_hasForm; }
    std::size_t Bytes() const { return m_journal->Bytes() + std::size_t(m_formBefore.size() + m_formAfter.size()); }

    // Take back or do again: refused, changing nothing, unless the table and
    // the form are in the state the step expects.
    bool Undo(CDataTable &table, CFormObjects &form) { return apply(table, form, true); }
    bool Redo(CDataTable &table, CFormObjects &form) { return apply(table, form, false); }

private:
    bool apply(CDataTable &table, CFormObjects &form, bool undo);

    std::unique_ptr<CTableJournal> m_journal;
    QByteArray m_formBefore;
    QByteArray m_formAfter;
    bool m_hasForm = false;
};

} // namespace orvel
