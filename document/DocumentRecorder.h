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

    // With `page`, every step also keeps the page settings when they changed.
    CDocumentRecorder(CDataTable &table, CFormObjects &form, PageSettings *page = nullptr)
        : m_table(table)
        , m_form(form)
        , m_page(page)
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

    // `withForm` keeps the form before and after as well (the designer's
    // changes, and commands that change fields together with their data
    // fields). A nested Begin with `withForm` inside a step that keeps no
    // form makes it keep the form from there on: the designer's own
    // operations ask for the form wherever they are called from.
    void Begin(const QString &name, int mergeKey = 0, bool withForm = false);
    void End();
    bool IsRecording() const { return m_depth > 0; }
    // Names the open step anew (a drag knows what it did only once it ran).
    void SetStepName(const QString &name)
    {
        if (m_depth > 0)
            m_name = name;
    }

    // While an undo list records, the objects in the working store that a
    // value refers to are never rewritten in place: a step may still hold
    // the old reference, and undo must find the old object there. The
    // changed value is appended instead (a compacting Save As drops what no
    // record refers to any more).
    bool KeepsOldObjects() const { return IsEnabled(); }

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
    FormImage takeForm();

    CDataTable &m_table;
    CFormObjects &m_form;
    PageSettings *m_page;
    PageSettings m_pageBefore;
    FormImage m_formBefore;
    // The form as the last step left it: the next step shares its bytes.
    FormImage m_lastForm;
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
