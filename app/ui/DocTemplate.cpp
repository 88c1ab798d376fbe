#include "app/ui/DocTemplate.h"

#include "app/ui/DocumentUndo.h"
#include "app/ui/MailSender.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvelApp.h"
#include "document/OrvelDoc.h"
#include "listview/DuplicatesDialog.h"
#include "listview/FieldDefinitionsDialog.h"
#include "listview/OrvelView.h"
#include "listview/SortDialog.h"
#include "print/ui/PageSetupCommand.h"
#include "print/ui/SessionPrinter.h"
#include "resources/CommandIds.h"
#include "table/SortKeys.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QTimer>

namespace orvel {

namespace {

bool samePath(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return ca.isEmpty() || cb.isEmpty() ? QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() : ca == cb;
}

} // namespace

struct COrvelDocTemplate::Entry
{
    std::unique_ptr<COrvelDoc> doc;
    CCmdTarget commands;
    // After the document, so that it goes first.
    std::unique_ptr<CDocumentUndo> undo;
    int hintHandle = 0;
    // The keys the sort dialog shows next time.
    SortKeys sortKeys;
};

COrvelDocTemplate::COrvelDocTemplate(CMainFrame &frame, MailSender &mail)
    : m_frame(frame)
    , m_mail(mail)
    , m_factory([] { return std::make_unique<COrvelDoc>(); })
{
    // The active document's paper is the printer's.
    connect(m_frame.GetMdiArea(), &QMdiArea::subWindowActivated, this, [](QMdiSubWindow *window) {
        if (auto *child = qobject_cast<CDChildWnd *>(window); child && !child->IsClosed())
            SessionPrinter::Instance().ApplyPaperSettings(child->GetDocument().GetPageSettings());
    });
}

COrvelDocTemplate::~COrvelDocTemplate()
{
    CloseAllDocuments();
    m_closed.clear();
}

std::vector<COrvelDoc *> COrvelDocTemplate::GetDocuments() const
{
    std::vector<COrvelDoc *> docs;
    for (const auto &entry : m_entries)
        docs.push_back(entry->doc.get());
    return docs;
}

COrvelDocTemplate::Entry *COrvelDocTemplate::entryOf(const COrvelDoc *doc) const
{
    for (const auto &entry : m_entries) {
        if (entry->doc.get() == doc)
            return entry.get();
    }
    return nullptr;
}

COrvelDoc *COrvelDocTemplate::FindDocument(const QString &path) const
{
    for (const auto &entry : m_entries) {
        if (samePath(entry->doc->GetPathName(), path))
            return entry->doc.get();
    }
    return nullptr;
}

CDocumentUndo *COrvelDocTemplate::GetUndo(const COrvelDoc *doc) const
{
    Entry *entry = entryOf(doc);
    return entry ? entry->undo.get() : nullptr;
}

CCmdTarget *COrvelDocTemplate::GetDocTarget(const COrvelDoc *doc) const
{
    Entry *entry = entryOf(doc);
    return entry ? &entry->commands : nullptr;
}

std::vector<CDChildWnd *> COrvelDocTemplate::GetWindows(const COrvelDoc &doc) const
{
    std::vector<CDChildWnd *> windows;
    for (CDChildWnd *child : m_frame.GetChildren()) {
        if (&child->GetDocument() == &doc)
            windows.push_back(child);
    }
    return windows;
}

COrvelDoc *COrvelDocTemplate::adopt(std::unique_ptr<COrvelDoc> doc)
{
    auto entry = std::make_unique<Entry>();
    entry->doc = std::move(doc);
    COrvelDoc *raw = entry->doc.get();
    entry->undo = std::make_unique<CDocumentUndo>(*raw);
    entry->hintHandle = raw->AddHintListener([this, raw](const UpdateHint &hint) {
        // A save may have given the document a new name; the titles are
        // cheap to set again on every repaint hint.
        if (hint.kind == Hint::Repaint)
            updateTitles(*raw);
    });
    registerCommands(*entry);
    m_entries.push_back(std::move(entry));
    CreateNewWindow(*raw);
    return raw;
}

COrvelDoc *COrvelDocTemplate::OpenDocumentFile(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (COrvelDoc *open = FindDocument(absolute)) {
        const auto windows = GetWindows(*open);
        if (!windows.empty())
            m_frame.GetMdiArea()->setActiveSubWindow(windows.front());
        return open;
    }
    std::unique_ptr<COrvelDoc> doc = m_factory();
    if (!doc->Open(absolute))
        return nullptr;
    return adopt(std::move(doc));
}

COrvelDoc *COrvelDocTemplate::OpenNewDocument()
{
    std::unique_ptr<COrvelDoc> doc = m_factory();
    doc->SetTitle(QStringLiteral("Unbenannt%1").arg(++m_untitled));
    return adopt(std::move(doc));
}

COrvelDoc *COrvelDocTemplate::OpenDocumentCopy(const QString &path)
{
    std::unique_ptr<COrvelDoc> doc = m_factory();
    if (!doc->Open(path, true))
        return nullptr;
    doc->SetTitle(QStringLiteral("Unbenannt%1").arg(++m_untitled));
    return adopt(std::move(doc));
}

CDChildWnd *COrvelDocTemplate::CreateNewWindow(COrvelDoc &doc)
{
    auto *child = new CDChildWnd(doc, &m_frame, this, m_listMode);
    m_frame.AddChild(child);
    // The application makes its temporary file only after the first window.
    child->GetView()->SetClipboardObjectFileSource(m_clipboardFile);
    child->GetView()->SetNewDocumentSource([this] { return OpenNewDocument(); });
    child->GetView()->OnInitialUpdate();
    updateTitles(doc);
    return child;
}

void COrvelDocTemplate::updateTitles(const COrvelDoc &doc)
{
    const auto windows = GetWindows(doc);
    int n = 0;
    for (CDChildWnd *window : windows) {
        window->SetWindowNumber(windows.size() > 1 ? ++n : 1);
        window->UpdateTitle();
    }
}

void COrvelDocTemplate::registerCommands(Entry &entry)
{
    COrvelDoc *doc = entry.doc.get();
    CommandMap &map = entry.commands.GetCommandMap();
    entry.undo->RegisterCommands(map);
    map.On(ID_FILE_CLOSE, [this, doc] { CloseDocument(*doc); });
    // Saving a document without changes would only rewrite the same file.
    map.On(
            ID_FILE_SAVE,
            [this, doc] {
                doc->OnFileSave(m_frame.SaveAsFilterIndex());
                updateTitles(*doc);
            },
            // An untitled copy of a template has something to keep before
            // the first change; an empty new database has not.
            [doc](CCmdUI &ui) {
                ui.Enable(doc->IsModified() || (doc->GetPathName().isEmpty() && doc->GetTable().GetFieldCount() > 0));
            });
    map.On(ID_FILE_SAVE_AS, [this, doc] {
        doc->OnFileSaveAs(m_frame.SaveAsFilterIndex());
        updateTitles(*doc);
    });
    map.On(ID_FILE_SEND_MAIL, [this, doc] {
        m_mail.Send(*doc);
        doc->EndProgress();
    });
    map.On(ID_WINDOW_NEW, [this, doc] { CreateNewWindow(*doc); });
    // Sorting and the duplicate search reorder the records: any open edit
    // of a view is ended first.
    const auto sortable = [this, doc](CCmdUI &ui) {
        const CDChildWnd *child = m_frame.GetActiveChild();
        const bool design = child && child->GetView() && child->GetView()->IsDesignMode();
        ui.Enable(doc->GetTable().GetRecordCount() >= 2 && !design);
    };
    map.On(
            ID_DATABASE_SORT,
            [this, doc, &entry] {
                doc->UpdateAllViews(Hint::CommitEdit);
                RunSortDialog(&m_frame, *doc, entry.sortKeys);
            },
            sortable);
    map.On(
            ID_MARK_DUPLICATES,
            [this, doc] {
                doc->UpdateAllViews(Hint::CommitEdit);
                RunDuplicatesDialog(&m_frame, *doc);
            },
            sortable);
    map.On(ID_DATABASE_FIELDS, [this, doc] {
        RunFieldDefinitionsDialog(&m_frame, *doc, DrawColors{m_frame.CurrentLineColor(), m_frame.CurrentFillColor()});
    });
    map.On(ID_PAGE_SETUP, [this, doc] { RunPageSetup(&m_frame, *doc); });
    map.On(ID_BACKGROUND_COLOR, [this, doc] {
        if (const auto color = services().chooseColor(doc->GetBackgroundColor()))
            doc->SetBackgroundColor(*color);
    });
}

bool COrvelDocTemplate::CloseDocument(COrvelDoc &doc, bool ask)
{
    if (ask && !doc.SaveModified(m_frame.SaveAsFilterIndex()))
        return false;
    const auto windows = GetWindows(doc);
    for (CDChildWnd *window : windows)
        window->CloseWithoutAsking();
    if (windows.empty()) {
        // A document without a window (none is made that way) still closes.
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if ((*it)->doc.get() == &doc) {
                doc.OnCloseDocument();
                doc.RemoveHintListener((*it)->hintHandle);
                m_closed.push_back(std::move(*it));
                m_entries.erase(it);
                break;
            }
        }
    }
    return true;
}

bool COrvelDocTemplate::SaveAllModified()
{
    const auto docs = GetDocuments();
    for (COrvelDoc *doc : docs) {
        if (!doc->SaveModified(m_frame.SaveAsFilterIndex()))
            return false;
    }
    return true;
}

void COrvelDocTemplate::CloseAllDocuments()
{
    const auto docs = GetDocuments();
    for (COrvelDoc *doc : docs)
        CloseDocument(*doc, false);
}

bool COrvelDocTemplate::CanCloseFrame(CDChildWnd *child)
{
    for (CDChildWnd *window : GetWindows(child->GetDocument())) {
        if (window != child)
            return true; // the document stays open in another window
    }
    return child->GetDocument().SaveModified(m_frame.SaveAsFilterIndex());
}

void COrvelDocTemplate::FrameClosed(CDChildWnd *child)
{
    COrvelDoc &doc = child->GetDocument();
    if (!GetWindows(doc).empty()) {
        updateTitles(doc);
        return;
    }
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->doc.get() != &doc)
            continue;
        doc.OnCloseDocument();
        doc.RemoveHintListener((*it)->hintHandle);
        m_closed.push_back(std::move(*it));
        m_entries.erase(it);
        break;
    }
    // The command that closed the window may still be running on the
    // document's own command target.
    QTimer::singleShot(0, this, [this] { m_closed.clear(); });
}

} // namespace orvel
