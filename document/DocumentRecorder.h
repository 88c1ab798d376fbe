#pragma once

#include "document/DocumentStep.h"
#include "table/TableJournal.h"

#include <QString>

#include <functional>
#include <memory>

namespace orvel {

class CDataTable;
class CFormObjects;

// Records the changes a document's commands make to its table as steps
// that can be taken back: a command runs inside a scope (CDocumentStepScope)
// and, when it changed something, the step goes to the sink, which the
// program's undo list installs. Without a sink nothing is recorded.
//
// Scopes nest; the outermost one makes the step, named for the command.
class CDocumentRecorder
{
public:
    // A finished step: its journal, its name (the command's menu text
    // without "&" and "..."), and for typing a key that is equal for the
    // keystrokes of one edit (0 otherwise), so that they become one step.
    using StepSink = std::function<void(std::unique_ptr<CDocumentStep> step, const QString &name, int mergeKey)>;

    CDocumentRecorder(CDataTable &table, CFormObjects &form)
        : m_table(table)
        , m_form(form)
    {}

    // The name of the step a command makes: its menu text without "&",
    // "..." and a second column ("Datenbank &sortieren..." gives
    // "Datenbank sortieren").
    static QString StepName(int commandId);
    // A key of its own for the keystrokes of one edit.
    static int NewMergeKey();

    void SetSink(StepSink sink) { m_sink = std::move(sink); }
    bool IsEnabled() const { return static_cast<bool>(m_sink); }
    // Told when the document was saved or read: its state is the saved one.
    void SetSavedHook(std::function<void()> hook) { m_saved = std::move(hook); }

    // `withForm` keeps the form before and after as well (commands that
    // change fields together with their data fields).
    void Begin(const QString &name, int mergeKey = 0, bool withForm = false);
    void End();
    bool IsRecording() const { return m_depth > 0; }

    // The document was marked modified: outside a step (and outside undo
    // and redo) that is a change the undo list does not know of, so that
    // reaching the saved step again does not make the document unmodified.
    void Modified();
    bool ChangedOutsideSteps() const { return m_changedOutside; }
    // Undo or redo is putting steps back.
    void SetApplying(bool applying) { m_applying = applying; }
    void Saved();

    // Bytes a step may hold before it gives up its changes (tests lower it).
    void SetStepByteLimit(std::size_t bytes) { m_byteLimit = bytes; }
    std::size_t StepByteLimit() const { return m_byteLimit; }

private:
    CDataTable &m_table;
    CFormObjects &m_form;
    QByteArray m_formBefore;
    bool m_withForm = false;
    StepSink m_sink;
    std::function<void()> m_saved;
    std::unique_ptr<CTableJournal> m_journal;
    QString m_name;
    int m_mergeKey = 0;
    int m_depth = 0;
    bool m_changedOutside = false;
    bool m_applying = false;
    std::size_t m_byteLimit = CTableJournal::kDefaultByteLimit;
};

// Records the document's changes while it lives, as one step named `name`.
class CDocumentStepScope
{
public:
    CDocumentStepScope(CDocumentRecorder &recorder, const QString &name, int mergeKey = 0, bool withForm = false)
        : m_recorder(recorder)
    {
        m_recorder.Begin(name, mergeKey, withForm);
    }
    ~CDocumentStepScope() { m_recorder.End(); }
    CDocumentStepScope(const CDocumentStepScope &) = delete;
    CDocumentStepScope &operator=(const CDocumentStepScope &) = delete;

private:
    CDocumentRecorder &m_recorder;
};

} // namespace orvel
