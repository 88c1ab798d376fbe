#pragma once

#include "document/PageSettings.h"
#include "table/TableJournal.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <utility>

namespace orvel {

class CDataTable;
class CFormObjects;

// The whole form in one stream: its background colour and its objects in
// the stream the clipboard uses (pictures with their bytes).
QByteArray TakeFormSnapshot(const CFormObjects &form);

// The form as a step keeps it: the background colour and one clipboard
// stream per object. Images share the streams of the objects that are
// equal in both (QByteArray shares its bytes), so that a step that moves
// one object beside a large picture holds the picture's bytes once, with
// every other step that left it alone.
struct FormImage
{
    quint32 background = 0;
    QList<QByteArray> objects;

    friend bool operator==(const FormImage &, const FormImage &) = default;
    // Makes every stream equal to the one of `other` at the same place (or
    // one place on either side: an object added, removed or moved one step
    // in the z-order shifts the rest) share its bytes.
    void ShareWith(const FormImage &other);
    // The bytes the streams hold; those shared with `other` are not counted.
    std::size_t BytesBeyond(const FormImage *other = nullptr) const;
};
FormImage TakeFormImage(const CFormObjects &form);

// One step of changes to a document: the table's journal and, for commands
// that change the form as well (the designer's, and the field definitions,
// whose data fields live on the form), the form before and after; when the
// page setup changed, the page settings before and after.
class CDocumentStep
{
public:
    explicit CDocumentStep(std::unique_ptr<CTableJournal> journal)
        : m_journal(std::move(journal))
    {}

    CTableJournal &Journal() { return *m_journal; }
    const CTableJournal &Journal() const { return *m_journal; }
    void SetForm(FormImage before, FormImage after)
    {
        m_formBefore = std::move(before);
        m_formAfter = std::move(after);
        m_hasForm = true;
    }
    bool HasForm() const { return m_hasForm; }
    const FormImage &FormBefore() const { return m_formBefore; }
    const FormImage &FormAfter() const { return m_formAfter; }
    void SetPage(const PageSettings &before, const PageSettings &after)
    {
        m_page = std::make_unique<std::pair<PageSettings, PageSettings>>(before, after);
    }
    bool HasPage() const { return m_page != nullptr; }
    bool IsEmpty() const { return m_journal->IsEmpty() && !m_hasForm && !m_page; }
    std::size_t Bytes() const
    {
        return m_journal->Bytes() + m_formBefore.BytesBeyond() + m_formAfter.BytesBeyond(&m_formBefore)
               + (m_page ? sizeof *m_page : 0);
    }

    // Take back or do again: refused, changing nothing, unless the table,
    // the form and the page settings are in the state the step expects.
    // A step that changed the page settings needs them (`page`).
    bool Undo(CDataTable &table, CFormObjects &form, PageSettings *page = nullptr)
    {
        return apply(table, form, page, true);
    }
    bool Redo(CDataTable &table, CFormObjects &form, PageSettings *page = nullptr)
    {
        return apply(table, form, page, false);
    }

private:
    bool apply(CDataTable &table, CFormObjects &form, PageSettings *page, bool undo);

    std::unique_ptr<CTableJournal> m_journal;
    FormImage m_formBefore;
    FormImage m_formAfter;
    bool m_hasForm = false;
    std::unique_ptr<std::pair<PageSettings, PageSettings>> m_page;
};

} // namespace orvel
