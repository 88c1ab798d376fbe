#pragma once

#include "app/ui/DChildWnd.h"
#include "platform/LogFont.h"
#include "platform/ui/CommandRouter.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orvel {

class CDocumentUndo;
class CMainFrame;
class COrvelDoc;
class MailSender;

// The open documents and their windows: opening, new documents, more
// windows on one document, and what closing a window or the program means
// for them.
class COrvelDocTemplate : public QObject, public ChildWindowHost
{
    Q_OBJECT
public:
    using DocumentFactory = std::function<std::unique_ptr<COrvelDoc>()>;

    COrvelDocTemplate(CMainFrame &frame, MailSender &mail);
    ~COrvelDocTemplate() override;

    // How documents are made (tests use documents with seams).
    void SetDocumentFactory(DocumentFactory factory) { m_factory = std::move(factory); }
    // Where the views keep the objects of records they copy: the
    // application's temporary file, which it makes after the first window.
    void SetClipboardFileSource(std::function<QString()> source) { m_clipboardFile = std::move(source); }
    // The "StandardView" setting: 1 opens new windows as lists, 0 as forms.
    void SetStandardView(int standardView) { m_listMode = standardView != 0; }

    std::vector<COrvelDoc *> GetDocuments() const;
    // The document that has this file open, or null.
    COrvelDoc *FindDocument(const QString &path) const;
    // Opens a file in a new window; a file that is open already has its
    // window brought to the front. Null when it could not be read (the
    // document has said why).
    COrvelDoc *OpenDocumentFile(const QString &path);
    // A new, empty, untitled document ("Unbenannt1", "Unbenannt2", ...) in
    // a new window.
    COrvelDoc *OpenNewDocument();
    // A template read into a new untitled document ("Unbenannt3") in a new
    // window; the file itself stays untouched. Null when it could not be
    // read (the document has said why).
    COrvelDoc *OpenDocumentCopy(const QString &path);
    // Another window on the document ("&Neues Fenster").
    CDChildWnd *CreateNewWindow(COrvelDoc &doc);
    std::vector<CDChildWnd *> GetWindows(const COrvelDoc &doc) const;
    // The document's link in the command chain.
    CCmdTarget *GetDocTarget(const COrvelDoc *doc) const;
    // The document's undo list (null for a document not open here).
    CDocumentUndo *GetUndo(const COrvelDoc *doc) const;

    // "S&chließen": asks about unsaved changes, then closes every window of
    // the document. False when the user kept it open.
    bool CloseDocument(COrvelDoc &doc, bool ask = true);
    // Asks about every modified document; false as soon as one is kept.
    bool SaveAllModified();
    // Closes every document without asking.
    void CloseAllDocuments();

    bool CanCloseFrame(CDChildWnd *child) override;
    void FrameClosed(CDChildWnd *child) override;

private:
    struct Entry;
    Entry *entryOf(const COrvelDoc *doc) const;
    COrvelDoc *adopt(std::unique_ptr<COrvelDoc> doc);
    void updateTitles(const COrvelDoc &doc);
    void registerCommands(Entry &entry);

    CMainFrame &m_frame;
    MailSender &m_mail;
    DocumentFactory m_factory;
    bool m_listMode = false;
    std::function<QString()> m_clipboardFile;
    std::vector<std::unique_ptr<Entry>> m_entries;
    // Documents whose last window just closed; they are destroyed once the
    // command that closed them has returned.
    std::vector<std::unique_ptr<Entry>> m_closed;
    int m_untitled = 0;
};

} // namespace orvel
