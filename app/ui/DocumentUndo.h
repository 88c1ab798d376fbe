#pragma once

#include <QString>

#include <functional>
#include <memory>

class QUndoStack;

namespace orvel {

class CCmdUI;
class COrvelDoc;
class CommandMap;

// The undo list of one document: a QUndoStack whose commands are the steps
// the document's recorder makes (CDocumentRecorder). While it lives, the
// document records every command run in a step scope; at the saved step
// the document is unmodified again.
//
// A step that no longer fits the table (the file was read again, the
// table was changed by something the list does not know of) is never
// applied: the list is emptied with a message instead.
class CDocumentUndo
{
public:
    // At least this many steps are kept.
    static constexpr int kStepLimit = 100;

    explicit CDocumentUndo(COrvelDoc &doc);
    ~CDocumentUndo();
    CDocumentUndo(const CDocumentUndo &) = delete;
    CDocumentUndo &operator=(const CDocumentUndo &) = delete;

    QUndoStack &Stack() { return *m_stack; }
    bool CanUndo() const;
    bool CanRedo() const;
    // "Rück&gängig: Sortieren" / "&Wiederholen: Sortieren", or the plain
    // menu text when there is no step.
    QString UndoMenuText() const;
    QString RedoMenuText() const;

    // Take back or do again one step; false when there was none or it did
    // not fit the table any more (the list is empty then).
    bool Undo();
    bool Redo();

    // ID_EDIT_UNDO and ID_EDIT_REDO with their menu texts.
    void RegisterCommands(CommandMap &map);

    // Whether the given command's changes are recorded as a step, and
    // whether that step keeps the form as well.
    static bool IsRecordedCommand(int id);
    static bool ChangesForm(int id);
    // Runs a command of the document's window, recording its changes as a
    // step named for it when it is one that changes the document.
    void RunCommand(int id, const std::function<void()> &run);

private:
    class StepCommand;
    static QString stepNameOf(int id);
    bool apply(bool undo);
    void clearWithMessage(int messageId);
    void pushStep(std::unique_ptr<class CDocumentStep> step, const QString &name, int mergeKey);

    COrvelDoc &m_doc;
    std::unique_ptr<QUndoStack> m_stack;
    bool m_failed = false;
    bool m_formChanged = false;
};

} // namespace orvel
