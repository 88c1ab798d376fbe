#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace orvel {

class CDrawObj;
class CDrawOleObj;
class CEmbeddedItem;
class COrvelDoc;

// Embedded documents of one database open in the desktop's applications.
//
// An embedded document is opened as a private copy in a folder of its own;
// the folder is watched, because applications save by writing a new file and
// renaming it over the old one. When the copy has changed and stayed quiet
// for a moment, its bytes are taken over: an OLE value goes into the object
// store and the record through the document's operations, a form object's
// document through the form's. Each take-over marks the document modified.
// The value or object is drawn hatched until the editing ends ("Bearbeitung
// beenden", or closing the database); ending it while the copy may still be
// open asks first (602), since later changes are no longer taken over.
//
// A linked document is opened as the linked file itself; nothing of it is
// stored, so nothing is watched.
class CEmbeddedEditing
{
public:
    // Hands a file to the desktop's application for its type; false when
    // that failed. The program installs QDesktopServices::openUrl; tests put
    // in an "application" of their own.
    using Opener = std::function<bool(const QString &path)>;
    static Opener &DesktopOpener();

    // How long a changed copy must stay unchanged before it is taken over.
    static constexpr int kSettleMilliseconds = 300;

    explicit CEmbeddedEditing(COrvelDoc &doc);
    ~CEmbeddedEditing();
    CEmbeddedEditing(const CEmbeddedEditing &) = delete;
    CEmbeddedEditing &operator=(const CEmbeddedEditing &) = delete;

    // Opens the OLE value of field `field` (display position) of record
    // `record`. An open value is handed to its application again. False
    // when nothing was opened: no value (the caller inserts one), a value
    // that cannot be read (502), a linked file that is missing (526), a copy
    // that cannot be made (501), a program-like document the user does not
    // want to run (559), or no application (539).
    bool OpenValue(int record, int field);
    // The same for an embedded object of the form.
    bool OpenObject(CDrawOleObj &object);

    bool IsValueOpen(int record, int field) const;
    bool IsObjectOpen(const CDrawOleObj &object) const;
    bool HasOpenDocuments() const { return !m_sessions.empty(); }
    // The private copy of an open value or object (empty when not open).
    QString CopyPathOfValue(int record, int field) const;
    QString CopyPathOfObject(const CDrawOleObj &object) const;

    // "Bearbeitung beenden": takes over what was saved so far, then asks
    // (602); false when the user keeps editing or nothing was open.
    bool EndValue(int record, int field);
    bool EndObject(CDrawOleObj &object);
    // Takes over every saved change now, without waiting.
    void TakeOverChanges();
    // The database is about to close: changes are taken over and, when
    // documents are open, the user is asked (602); yes ends the editing of
    // all of them. False when the database should stay open.
    bool ConfirmClose();
    // Ends every editing without asking (the database closes or is emptied).
    void EndAll();
    // A form object leaves the form: its editing ends without asking.
    void ObjectRemoved(const CDrawObj *object);

private:
    struct Session;
    bool openItem(const CEmbeddedItem &item, std::unique_ptr<Session> session);
    Session *findValue(int record, int field) const;
    Session *findObject(const CDrawOleObj *object) const;
    // Takes over the copy when it changed; false when the session has lost
    // its target and must end.
    bool takeOver(Session &session);
    bool askToEnd(const QStringList &names) const;
    void end(Session *session);
    void settled(Session *session);

    COrvelDoc &m_doc;
    std::vector<std::unique_ptr<Session>> m_sessions;
    // The receiver of the watchers' and timers' signals.
    QObject m_context;
};

} // namespace orvel
