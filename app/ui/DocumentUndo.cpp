#include "app/ui/DocumentUndo.h"

#include "document/OrvelDoc.h"
#include "platform/Services.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/TableJournal.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace orvel {

// One step on the stack. The step is already done when it is pushed, so the
// first redo (QUndoStack::push calls it) does nothing.
class CDocumentUndo::StepCommand : public QUndoCommand
{
public:
    StepCommand(CDocumentUndo &owner, std::unique_ptr<CTableJournal> journal, const QString &name, int mergeKey)
        : QUndoCommand(name)
        , m_owner(owner)
        , m_journal(std::move(journal))
        , m_mergeKey(mergeKey)
    {}

    void undo() override { run(true); }
    void redo() override
    {
        if (m_pushed) {
            m_pushed = false;
            return;
        }
        run(false);
    }
    // Keystrokes of one edit become one step.
    int id() const override { return m_mergeKey != 0 ? 1 : -1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        auto *next = static_cast<const StepCommand *>(other);
        if (next->m_mergeKey != m_mergeKey || !m_journal->Absorb(*next->m_journal))
            return false;
        // Escape put the value back: the step is gone.
        if (m_journal->ChangesNothing())
            setObsolete(true);
        return true;
    }

private:
    void run(bool undo)
    {
        CTableJournal &journal = *m_journal;
        CDataTable &table = m_owner.m_doc.GetTable();
        const bool ok = undo ? journal.Undo(table) : journal.Redo(table);
        if (!ok)
            m_owner.m_failed = true;
    }

    CDocumentUndo &m_owner;
    std::unique_ptr<CTableJournal> m_journal;
    int m_mergeKey;
    bool m_pushed = true;
};

CDocumentUndo::CDocumentUndo(COrvelDoc &doc)
    : m_doc(doc)
    , m_stack(std::make_unique<QUndoStack>())
{
    m_stack->setUndoLimit(kStepLimit);
    CDocumentRecorder &recorder = m_doc.GetRecorder();
    recorder.SetSink([this](std::unique_ptr<CTableJournal> journal, const QString &name, int mergeKey) {
        pushStep(std::move(journal), name, mergeKey);
    });
    recorder.SetSavedHook([this] { m_stack->setClean(); });
    // Back at the saved step the document is as it was saved, unless
    // something the list does not know of changed it.
    QObject::connect(m_stack.get(), &QUndoStack::cleanChanged, m_stack.get(), [this](bool clean) {
        if (!clean)
            m_doc.SetModifiedFlag(true);
        else if (!m_doc.GetRecorder().ChangedOutsideSteps())
            m_doc.SetModifiedFlag(false);
    });
}

CDocumentUndo::~CDocumentUndo()
{
    CDocumentRecorder &recorder = m_doc.GetRecorder();
    recorder.SetSink({});
    recorder.SetSavedHook({});
    m_stack->disconnect();
}

void CDocumentUndo::pushStep(std::unique_ptr<CTableJournal> journal, const QString &name, int mergeKey)
{
    if (journal->Overflowed()) {
        // The change cannot be taken back, and the steps before it no
        // longer fit the table.
        clearWithMessage(ids::kMsgUndoStepDropped);
        return;
    }
    m_stack->push(new StepCommand(*this, std::move(journal), name, mergeKey));
}

bool CDocumentUndo::CanUndo() const
{
    return m_stack->canUndo();
}

bool CDocumentUndo::CanRedo() const
{
    return m_stack->canRedo();
}

QString CDocumentUndo::UndoMenuText() const
{
    return CanUndo() ? LoadQString(ids::kUndoMenuText).arg(m_stack->undoText()) : QStringLiteral("Rück&gängig");
}

QString CDocumentUndo::RedoMenuText() const
{
    return CanRedo() ? LoadQString(ids::kRedoMenuText).arg(m_stack->redoText()) : QStringLiteral("&Wiederholen");
}

bool CDocumentUndo::Undo()
{
    return apply(true);
}

bool CDocumentUndo::Redo()
{
    return apply(false);
}

bool CDocumentUndo::apply(bool undo)
{
    if (undo ? !CanUndo() : !CanRedo())
        return false;
    // An open edit is stored first: it may become a step of its own.
    m_doc.UpdateAllViews(Hint::CommitEdit);
    if (undo ? !CanUndo() : !CanRedo())
        return false;
    const int fields = m_doc.GetTable().GetFieldCount();
    const bool modified = m_doc.IsModified();
    m_failed = false;
    m_doc.GetRecorder().SetApplying(true);
    if (undo)
        m_stack->undo();
    else
        m_stack->redo();
    m_doc.GetRecorder().SetApplying(false);
    if (m_failed) {
        // The stack moved on to a step it could not apply: the table is as
        // it was, and so is its modified flag.
        m_doc.SetModifiedFlag(modified);
        clearWithMessage(ids::kMsgUndoStale);
        return false;
    }
    m_doc.UpdateAllViews(m_doc.GetTable().GetFieldCount() != fields ? Hint::FieldsChanged : Hint::Repaint);
    return true;
}

void CDocumentUndo::clearWithMessage(int messageId)
{
    // Clearing would count as reaching the saved state; the document stays
    // as modified as it is.
    const bool modified = m_doc.IsModified();
    m_stack->clear();
    m_doc.SetModifiedFlag(modified);
    MessageBoxById(messageId, MsgIcon::Exclamation);
}

void CDocumentUndo::RegisterCommands(CommandMap &map)
{
    map.On(
            ID_EDIT_UNDO, [this] { Undo(); },
            [this](CCmdUI &ui) {
                ui.Enable(CanUndo());
                ui.SetText(UndoMenuText());
            });
    map.On(
            ID_EDIT_REDO, [this] { Redo(); },
            [this](CCmdUI &ui) {
                ui.Enable(CanRedo());
                ui.SetText(RedoMenuText());
            });
}

void CDocumentUndo::RunCommand(int id, const std::function<void()> &run)
{
    if (!IsRecordedCommand(id)) {
        run();
        return;
    }
    CDocumentRecorder &recorder = m_doc.GetRecorder();
    if (id == ID_MARKED_DELETE || id == ID_MARKED_CUT) {
        // The records taken out are kept by the step: more than the limit,
        // and the user decides whether to go on without undo.
        const CDataTable &table = m_doc.GetTable();
        std::size_t bytes = 0;
        for (int i = 0; i < table.GetRecordCount(); ++i) {
            if (table.GetRecord(i)->IsMarked())
                bytes += table.GetRecord(i)->AllocatedBytes();
        }
        if (bytes > recorder.StepByteLimit()) {
            if (MessageBoxById(ids::kMsgUndoStepTooLarge, MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
                return;
            run();
            // The steps before no longer fit the table.
            const bool modified = m_doc.IsModified();
            m_stack->clear();
            m_doc.SetModifiedFlag(modified);
            return;
        }
    }
    CDocumentStepScope scope(recorder, CDocumentRecorder::StepName(id));
    run();
}

bool CDocumentUndo::IsRecordedCommand(int id)
{
    static constexpr int kRecorded[] = {
            ID_EDIT_CUT,      ID_EDIT_PASTE,           ID_EDIT_CLEAR,          ID_EDIT_SELECT_ALL,
            ID_MARKS_CLEAR,   ID_MARKED_CUT,           ID_MARKED_DELETE,       ID_RECORD_DELETE,
            ID_RECORD_MARK,   ID_RECORD_INSERT_BEFORE, ID_RECORD_INSERT_AFTER, ID_FILL_DOWN,
            ID_DATABASE_SORT, ID_MARK_DUPLICATES,      ID_RECORD_REPLACE,      ID_FILE_INSERT_FROM,
    };
    return std::find(std::begin(kRecorded), std::end(kRecorded), id) != std::end(kRecorded);
}

} // namespace orvel
