#include "form/OleValue.h"

#include "form/DrawEditItem.h"
#include "form/FormObjects.h"
#include "platform/Archive.h"
#include "platform/Codepage.h"
#include "platform/TempFile.h"
#include "table/ObjectStore.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace orvel {

EmbedOutcome LoadEmbeddedItem(CEmbeddedItem &item, const QString &path, bool linked)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return EmbedOutcome::Missing;
    const QString absolute = info.absoluteFilePath();
    item.fileName = QStringToAnsi(info.fileName());
    item.mimeType = QStringToAnsi(MimeTypeOfFile(absolute));
    item.linked = linked;
    if (linked) {
        item.linkPath = QStringToAnsi(absolute);
        item.ReplaceBytes(QByteArray());
        return EmbedOutcome::Done;
    }
    if (info.size() > kMaxEmbeddedFileSize)
        return EmbedOutcome::TooLarge;
    QFile file(absolute);
    if (!file.open(QIODevice::ReadOnly))
        return EmbedOutcome::Unreadable;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return EmbedOutcome::Unreadable;
    item.linkPath.clear();
    item.ReplaceBytes(bytes);
    return EmbedOutcome::Done;
}

void MakeNewEmbeddedItem(CEmbeddedItem &item, NewDocumentKind kind)
{
    const NewDocumentType &type = NewDocumentTypeOf(kind);
    item.fileName = QStringToAnsi(type.fileName);
    item.mimeType = QStringToAnsi(type.mimeType);
    item.linked = false;
    item.linkPath.clear();
    item.ReplaceBytes(NewDocumentBytes(kind));
}

QByteArray StoreOleValue(const CEmbeddedItem &item)
{
    CDrawEditItem stored;
    item.CopyTo(stored);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer);
    ar.WriteObject(&stored);
    return bytes;
}

AnsiString WriteOleValue(const QString &store, AnsiView oldReference, const CEmbeddedItem &item)
{
    QByteArray bytes;
    try {
        bytes = StoreOleValue(item);
    } catch (const ArchiveException &) {
        return AnsiString();
    }
    TempFile copy = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
    if (copy.isNull())
        return AnsiString();
    QFile file(copy.path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        return AnsiString();
    file.close();
    // The store takes the file over and removes it.
    return WriteObject(copy.release(), oldReference, store);
}

std::unique_ptr<CDrawEditItem> ReadOleValue(const QString &store, AnsiView reference, bool *unreadable)
{
    if (unreadable != nullptr)
        *unreadable = false;
    if (IsNoObjectReference(reference))
        return nullptr;
    const TempFile copy(ReadObject(store, reference));
    QFile file(copy.path());
    std::unique_ptr<CDrawEditItem> item;
    if (!copy.isNull() && file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        try {
            CFormObjects::RegisterClasses();
            CArchive ar{QByteArrayView(bytes)};
            item = ar.ReadOwnedObject<CDrawEditItem>();
        } catch (const ArchiveException &) {
            item.reset();
        }
    }
    if (!item && unreadable != nullptr)
        *unreadable = true;
    return item;
}

} // namespace orvel
