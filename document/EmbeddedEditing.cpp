#include "document/EmbeddedEditing.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawEditItem.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/OleValue.h"
#include "media/EmbeddedDocument.h"
#include "media/LinkAction.h"
#include "media/MemoStore.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/TempFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace orvel {

struct CEmbeddedEditing::Session
{
    // An OLE value: the record, the field's storage column (both survive
    // sorting and reordering fields) and the reference the value had when
    // last written; the item as the store holds it.
    const CDataRecord *record = nullptr;
    int column = -1;
    AnsiString reference;
    std::unique_ptr<CDrawEditItem> valueItem;
    // Or an embedded object of the form.
    CDrawOleObj *object = nullptr;

    QString name;
    std::unique_ptr<QTemporaryDir> folder;
    QString path;
    QByteArray lastBytes;
    std::unique_ptr<QFileSystemWatcher> watcher;
    std::unique_ptr<QTimer> settle;
};

CEmbeddedEditing::Opener &CEmbeddedEditing::DesktopOpener()
{
    static Opener opener;
    return opener;
}

CEmbeddedEditing::CEmbeddedEditing(COrvelDoc &doc)
    : m_doc(doc)
{}

CEmbeddedEditing::~CEmbeddedEditing()
{
    // No views to tell any more: the copies just go.
    for (const auto &session : m_sessions) {
        if (session->object != nullptr && session->object->clientItem)
            session->object->clientItem->open = false;
    }
    m_sessions.clear();
}

namespace {

int recordIndexOf(const CDataTable &table, const CDataRecord *record)
{
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        if (table.GetRecord(i) == record)
            return i;
    }
    return -1;
}

int positionOfColumn(const CDataTable &table, int column)
{
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        if (table.GetStorageColumn(pos) == column)
            return pos;
    }
    return -1;
}

// Hands a file to the application; a file the desktop would run is asked
// about first, since a database may come from anyone.
bool handOver(const QString &path, const QString &shownName)
{
    if (IsProgramLikeFile(path)
        && MessageBoxById(ids::kMsgConfirmRunLink, MsgIcon::Question, MsgButtons::YesNo, {shownName}) != MsgResult::Yes)
        return false;
    const CEmbeddedEditing::Opener &opener = CEmbeddedEditing::DesktopOpener();
    if (!opener || !opener(path)) {
        MessageBoxById(ids::kMsgCannotOpen, MsgIcon::Exclamation, MsgButtons::Ok, {shownName});
        return false;
    }
    return true;
}

bool openLinked(const CEmbeddedItem &item)
{
    const QString path = AnsiToQString(item.linkPath);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        MessageBoxById(ids::kMsgFileNotFound, MsgIcon::Exclamation, MsgButtons::Ok, {path});
        return false;
    }
    return handOver(path, path);
}

} // namespace

CEmbeddedEditing::Session *CEmbeddedEditing::findValue(int record, int field) const
{
    const CDataTable &table = m_doc.GetTable();
    const CDataRecord *entry = table.GetRecord(record);
    const int column = table.GetStorageColumn(field);
    if (entry == nullptr || column < 0)
        return nullptr;
    for (const auto &session : m_sessions) {
        if (session->record == entry && session->column == column)
            return session.get();
    }
    return nullptr;
}

CEmbeddedEditing::Session *CEmbeddedEditing::findObject(const CDrawOleObj *object) const
{
    for (const auto &session : m_sessions) {
        if (object != nullptr && session->object == object)
            return session.get();
    }
    return nullptr;
}

bool CEmbeddedEditing::IsValueOpen(int record, int field) const
{
    return findValue(record, field) != nullptr;
}

bool CEmbeddedEditing::IsObjectOpen(const CDrawOleObj &object) const
{
    return findObject(&object) != nullptr;
}

QString CEmbeddedEditing::CopyPathOfValue(int record, int field) const
{
    const Session *session = findValue(record, field);
    return session ? session->path : QString();
}

QString CEmbeddedEditing::CopyPathOfObject(const CDrawOleObj &object) const
{
    const Session *session = findObject(&object);
    return session ? session->path : QString();
}

bool CEmbeddedEditing::OpenValue(int record, int field)
{
    CDataTable &table = m_doc.GetTable();
    const CDataRecord *entry = table.GetRecord(record);
    if (entry == nullptr || table.GetFieldType(field) != FT_OLE)
        return false;
    if (const Session *open = findValue(record, field))
        return handOver(open->path, open->name);
    const AnsiString reference(entry->GetRawValue(field));
    bool unreadable = false;
    std::unique_ptr<CDrawEditItem> item = ReadOleValue(m_doc.GetWorkingStorePath(), reference, &unreadable);
    if (!item) {
        if (unreadable)
            MessageBoxById(ids::kMsgOleValueUnreadable, MsgIcon::Exclamation);
        return false;
    }
    if (item->linked)
        return openLinked(*item);
    auto session = std::make_unique<Session>();
    session->record = entry;
    session->column = table.GetStorageColumn(field);
    session->reference = reference;
    session->valueItem = std::move(item);
    const CEmbeddedItem &opened = *session->valueItem;
    if (!openItem(opened, std::move(session)))
        return false;
    m_doc.UpdateAllViews(Hint::FormRepaint);
    return true;
}

bool CEmbeddedEditing::OpenObject(CDrawOleObj &object)
{
    if (!object.clientItem)
        return false;
    if (const Session *open = findObject(&object))
        return handOver(open->path, open->name);
    if (object.clientItem->linked)
        return openLinked(*object.clientItem);
    auto session = std::make_unique<Session>();
    session->object = &object;
    if (!openItem(*object.clientItem, std::move(session)))
        return false;
    object.clientItem->open = true;
    m_doc.GetForm().Invalidate(&object);
    return true;
}

bool CEmbeddedEditing::openItem(const CEmbeddedItem &item, std::unique_ptr<Session> session)
{
    session->name = SafeDocumentFileName(AnsiToQString(item.fileName), AnsiToQString(item.mimeType));
    session->folder = std::make_unique<QTemporaryDir>(TempFolder() + QStringLiteral("/orvel-XXXXXX"));
    if (!session->folder->isValid()) {
        MessageBoxById(ids::kMsgOleNotStored, MsgIcon::Exclamation);
        return false;
    }
    session->path = QDir(session->folder->path()).filePath(session->name);
    QFile copy(session->path);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly) || copy.write(item.bytes) != item.bytes.size()
        || !copy.flush()) {
        MessageBoxById(ids::kMsgOleNotStored, MsgIcon::Exclamation);
        return false;
    }
    copy.close();
    // The copy is the user's document for now: only the user may read it.
    copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    session->lastBytes = item.bytes;

    Session *raw = session.get();
    session->settle = std::make_unique<QTimer>();
    session->settle->setSingleShot(true);
    session->settle->setInterval(kSettleMilliseconds);
    QObject::connect(session->settle.get(), &QTimer::timeout, &m_context, [this, raw] { settled(raw); });
    // Saving by rename replaces the file the watcher followed; the folder
    // tells of the new one, which is then followed again.
    session->watcher = std::make_unique<QFileSystemWatcher>();
    const auto changed = [raw] {
        if (QFileInfo::exists(raw->path) && !raw->watcher->files().contains(raw->path))
            raw->watcher->addPath(raw->path);
        raw->settle->start();
    };
    QObject::connect(session->watcher.get(), &QFileSystemWatcher::directoryChanged, &m_context, changed);
    QObject::connect(session->watcher.get(), &QFileSystemWatcher::fileChanged, &m_context, changed);
    session->watcher->addPath(session->folder->path());
    session->watcher->addPath(session->path);

    if (!handOver(session->path, session->name))
        return false;
    m_sessions.push_back(std::move(session));
    return true;
}

void CEmbeddedEditing::settled(Session *session)
{
    const auto it = std::find_if(m_sessions.begin(), m_sessions.end(),
                                 [session](const std::unique_ptr<Session> &s) { return s.get() == session; });
    if (it == m_sessions.end())
        return;
    if (!takeOver(*session)) {
        // The timer that called is the session's own: it goes once the
        // signal has returned.
        QTimer::singleShot(0, &m_context, [this, session] { end(session); });
    }
}

bool CEmbeddedEditing::takeOver(Session &session)
{
    QFile file(session.path);
    // Between writing a new file and renaming it the copy may be missing;
    // the rename brings it back.
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes == session.lastBytes)
        return true;
    // What the other program saved is a step of its own for undo.
    const CDocumentStepScope step(m_doc.GetRecorder(), LoadQString(ids::kUndoStepObjectValue), 0,
                                  session.object != nullptr);

    if (session.object != nullptr) {
        if (!session.object->clientItem)
            return false;
        session.lastBytes = bytes;
        m_doc.GetForm().ChangeObject(session.object, [&bytes](CDrawObj &object) {
            static_cast<CDrawOleObj &>(object).clientItem->ReplaceBytes(bytes);
        });
        return true;
    }

    CDataTable &table = m_doc.GetTable();
    const int record = recordIndexOf(table, session.record);
    const int field = positionOfColumn(table, session.column);
    // The record or field went, or the value was replaced meanwhile: the
    // copy belongs to nothing any more.
    if (record < 0 || field < 0 || table.GetFieldType(field) != FT_OLE
        || table.GetRecord(record)->GetRawValue(field) != AnsiView(session.reference))
        return false;
    session.lastBytes = bytes;
    auto item = std::make_unique<CDrawEditItem>();
    session.valueItem->CopyTo(*item);
    item->ReplaceBytes(bytes);
    // The object is rewritten in place only when no other value shares it
    // and no undo step may still need it.
    const bool shared =
            IsObjectShared(table, session.reference, record, field) || m_doc.GetRecorder().KeepsOldObjects();
    const AnsiString stored =
            WriteOleValue(m_doc.GetWorkingStorePath(), shared ? AnsiView() : AnsiView(session.reference), *item);
    if (stored.empty()) {
        MessageBoxById(ids::kMsgOleNotStored, MsgIcon::Exclamation);
        return true;
    }
    session.valueItem = std::move(item);
    session.reference = stored;
    m_doc.SetObjectReference(record, field, stored);
    // A value rewritten in place keeps its reference: the data fields must
    // read it again all the same.
    for (const auto &object : m_doc.GetForm().GetObjects()) {
        if (auto *dataField = dynamic_cast<CDrawEdit *>(object.get()); dataField && dataField->fieldIndex == field)
            dataField->DiscardValueDisplay();
    }
    m_doc.UpdateAllViews({Hint::RecordChanged, record, field});
    return true;
}

void CEmbeddedEditing::TakeOverChanges()
{
    std::vector<Session *> lost;
    for (const auto &session : m_sessions) {
        session->settle->stop();
        if (!takeOver(*session))
            lost.push_back(session.get());
    }
    for (Session *session : lost)
        end(session);
}

bool CEmbeddedEditing::askToEnd(const QStringList &names) const
{
    return MessageBoxById(ids::kMsgEndEmbeddedEditing, MsgIcon::Question, MsgButtons::YesNo,
                          {names.join(QStringLiteral("\", \""))})
           == MsgResult::Yes;
}

bool CEmbeddedEditing::EndValue(int record, int field)
{
    Session *session = findValue(record, field);
    if (session == nullptr)
        return false;
    session->settle->stop();
    if (!takeOver(*session)) {
        end(session);
        return true;
    }
    if (!askToEnd({session->name}))
        return false;
    end(session);
    return true;
}

bool CEmbeddedEditing::EndObject(CDrawOleObj &object)
{
    Session *session = findObject(&object);
    if (session == nullptr)
        return false;
    session->settle->stop();
    if (!takeOver(*session)) {
        end(session);
        return true;
    }
    if (!askToEnd({session->name}))
        return false;
    end(session);
    return true;
}

bool CEmbeddedEditing::ConfirmClose()
{
    TakeOverChanges();
    if (m_sessions.empty())
        return true;
    QStringList names;
    for (const auto &session : m_sessions)
        names << session->name;
    if (!askToEnd(names))
        return false;
    EndAll();
    return true;
}

void CEmbeddedEditing::EndAll()
{
    while (!m_sessions.empty())
        end(m_sessions.back().get());
}

void CEmbeddedEditing::ObjectRemoved(const CDrawObj *object)
{
    if (Session *session = findObject(dynamic_cast<const CDrawOleObj *>(object)))
        end(session);
}

void CEmbeddedEditing::end(Session *session)
{
    const auto it = std::find_if(m_sessions.begin(), m_sessions.end(),
                                 [session](const std::unique_ptr<Session> &s) { return s.get() == session; });
    if (it == m_sessions.end())
        return;
    std::unique_ptr<Session> ending = std::move(*it);
    m_sessions.erase(it);
    ending->watcher.reset();
    ending->settle.reset();
    if (ending->object != nullptr) {
        if (ending->object->clientItem)
            ending->object->clientItem->open = false;
        m_doc.GetForm().Invalidate(ending->object);
    } else {
        m_doc.UpdateAllViews(Hint::FormRepaint);
    }
    // The folder and the copy in it go with the session.
}

} // namespace orvel
