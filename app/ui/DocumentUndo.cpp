#include "app/ui/DocumentUndo.h"

#include "document/OrvelDoc.h"
#include "form/FormObjects.h"
#include "platform/Services.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/TableJournal.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace orvel {

namespace {

// The command's own menu text, for when there is no step to name.
QString plainMenuText(int id)
{
    const Command *command = CommandTable::program().find(id);
    return command ? command->menuText : QString();
}

} // namespace

// One step on the stack. The step is already done when it is pushed, so the
// first redo (QUndoStack::push calls it) does nothing.
class CDocumentUndo::StepCommand : public QUndoCommand
{
public:
    StepCommand(CDocumentUndo &owner, std::unique_ptr<CDocumentStep> step, const QString &name, int mergeKey)
        : QUndoCommand(name)
        , m_owner(owner)
        , m_step(std::move(step))
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
        if (next->m_mergeKey != m_mergeKey || m_step->HasForm() || next->m_step->HasForm()
            || !m_step->Journal().Absorb(next->m_step->Journal()))
            return false;
        // Escape put the value back: the step is gone.
        if (m_step->Journal().ChangesNothing())
            setObsolete(true);
        return true;
    }

private:
    void run(bool undo)
    {
        CDataTable &table = m_owner.m_doc.GetTable();
        CFormObjects &form = m_owner.m_doc.GetForm();
        PageSettings &page = m_owner.m_doc.GetPageSettings();
        const bool ok = undo ? m_step->Undo(table, form, &page) : m_step->Redo(table, form, &page);
        if (!ok)
            m_owner.m_failed = true;
        else if (m_step->HasForm())
            m_owner.m_formChanged = true;
    }

    CDocumentUndo &m_owner;
    std::unique_ptr<CDocumentStep> m_step;
    int m_mergeKey;
    bool m_pushed = true;
};

CDocumentUndo::CDocumentUndo(COrvelDoc &doc)
    : m_doc(doc)
    , m_stack(std::make_unique<QUndoStack>())
{
    m_stack->setUndoLimit(kStepLimit);
    CDocumentRecorder &recorder = m_doc.GetRecorder();
    recorder.SetSink([this](std::unique_ptr<CDocumentStep> step, const QString &name, int mergeKey) {
        pushStep(std::move(step), name, mergeKey);
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

void CDocumentUndo::pushStep(std::unique_ptr<CDocumentStep> step, const QString &name, int mergeKey)
{
    if (step->Journal().Overflowed()) {
        // The change cannot be taken back, and the steps before it no
        // longer fit the table.
        clearWithMessage(ids::kMsgUndoStepDropped);
        return;
    }
    m_stack->push(new StepCommand(*this, std::move(step), name, mergeKey));
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
    return CanUndo() ? LoadQString(ids::kUndoMenuText).arg(m_stack->undoText()) : plainMenuText(ID_EDIT_UNDO);
}

QString CDocumentUndo::RedoMenuText() const
{
    return CanRedo() ? LoadQString(ids::kRedoMenuText).arg(m_stack->redoText()) : plainMenuText(ID_EDIT_REDO);
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
    // Not in the middle of a change (a drag in the designer runs while a
    // key may still reach the command).
    if (m_doc.GetRecorder().IsRecording())
        return false;
    // An open edit is stored first: it may become a step of its own.
    m_doc.UpdateAllViews(Hint::CommitEdit);
    if (undo ? !CanUndo() : !CanRedo())
        return false;
    const int fields = m_doc.GetTable().GetFieldCount();
    const bool modified = m_doc.IsModified();
    m_failed = false;
    m_formChanged = false;
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
    const bool fieldsChanged = m_doc.GetTable().GetFieldCount() != fields || m_formChanged;
    m_doc.UpdateAllViews(fieldsChanged ? Hint::FieldsChanged : Hint::Repaint);
    if (m_formChanged)
        m_doc.UpdateAllViews(Hint::FormRepaint);
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
    CDocumentStepScope scope(recorder, stepNameOf(id), 0, ChangesForm(id));
    run();
}

QString CDocumentUndo::stepNameOf(int id)
{
    // The buttons of data fields have no menu text: their steps are named
    // for the menu commands that do the same.
    switch (id) {
    case ID_FIELD_CHANGE_PICTURE:
        return CDocumentRecorder::StepName(ID_FIELD_NEW_PICTURE);
    case ID_FIELD_OPEN_MEMO:
        return CDocumentRecorder::StepName(ID_FIELD_EDIT_MEMO);
    default:
        return CDocumentRecorder::StepName(id);
    }
}

bool CDocumentUndo::ChangesForm(int id)
{
    // The field definitions change the data fields on the form; the other
    // ones are the form's own commands (in the designer, cut, paste and
    // delete work on form objects).
    static constexpr int kForm[] = {
            ID_DATABASE_FIELDS, ID_EDIT_CUT,       ID_EDIT_PASTE,           ID_EDIT_CLEAR,       ID_TOOL_PICTURE,
            ID_PICTURE_RESIZE,  ID_OLE_INSERT_NEW, ID_PICTURE_NATURAL_SIZE, ID_BACKGROUND_COLOR,
    };
    return std::find(std::begin(kForm), std::end(kForm), id) != std::end(kForm);
}

bool CDocumentUndo::IsRecordedCommand(int id)
{
    static constexpr int kRecorded[] = {
            ID_EDIT_CUT,
            ID_EDIT_PASTE,
            ID_EDIT_CLEAR,
            ID_EDIT_SELECT_ALL,
            ID_MARKS_CLEAR,
            ID_MARKED_CUT,
            ID_MARKED_DELETE,
            ID_RECORD_DELETE,
            ID_RECORD_MARK,
            ID_RECORD_INSERT_BEFORE,
            ID_RECORD_INSERT_AFTER,
            ID_FILL_DOWN,
            ID_DATABASE_SORT,
            ID_MARK_DUPLICATES,
            ID_RECORD_REPLACE,
            ID_FILE_INSERT_FROM,
            ID_DATABASE_FIELDS,
            ID_TOOL_PICTURE,
            ID_PICTURE_RESIZE,
            ID_PICTURE_NATURAL_SIZE,
            ID_OLE_INSERT_NEW,
            ID_BACKGROUND_COLOR,
            ID_PAGE_SETUP,
            ID_FIELD_NEW_PICTURE,
            ID_FIELD_CHANGE_PICTURE,
            ID_FIELD_EDIT_MEMO,
            ID_FIELD_OPEN_MEMO,
            ID_FIELD_CHANGE_LINK,
            ID_FIELD_INSERT_OLE,
    };
    return std::find(std::begin(kRecorded), std::end(kRecorded), id) != std::end(kRecorded);
}

} // namespace orvel
