#include "listview/RecordClipboard.h"

#include "document/OrvelDoc.h"
#include "document/RecordText.h"
#include "document/RecordTransfer.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/TableLimits.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

#include <memory>

namespace orvel {

namespace {

constexpr int kCopyProgressStep = 200;

QString recordMimeType()
{
    return QString::fromLatin1(kRecordMimeType);
}

// The clipboard's "has records" state, refreshed whenever the clipboard
// changes (here or in another program). The watcher lives as long as the
// application object.
struct ClipboardCache
{
    QPointer<QObject> watcher;
    bool hasRecords = false;
};

ClipboardCache &cache()
{
    static ClipboardCache instance;
    return instance;
}

void refreshCache()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    cache().hasRecords = data && data->hasFormat(recordMimeType());
}

void watchClipboard()
{
    ClipboardCache &c = cache();
    if (c.watcher || !qGuiApp)
        return;
    c.watcher = new QObject(qGuiApp);
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, c.watcher, [] { refreshCache(); });
    refreshCache();
}

// Puts new contents on the clipboard; the cache follows at once, whether or
// not the platform reports the change synchronously.
void setClipboard(std::unique_ptr<QMimeData> data)
{
    watchClipboard();
    const bool records = data && data->hasFormat(recordMimeType());
    if (data)
        QGuiApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);
    else
        QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    cache().hasRecords = records;
}

QString plainTextOf(const QByteArray &block)
{
    // The block ends with its terminator, which is no part of the text.
    const qsizetype end = block.indexOf('\0');
    return AnsiToQString(AnsiView(block.constData(), std::size_t(end < 0 ? block.size() : end)));
}

} // namespace

bool CopyRecord(COrvelDoc &doc, int record, const QString &clipboardObjectFile)
{
    const CDataTable &table = doc.GetTable();
    if (!table.GetRecord(record))
        return false;
    auto data = std::make_unique<QMimeData>();
    data->setText(plainTextOf(RecordTextBlock(table, record)));

    CRecordStreamOut stream(doc, 1, clipboardObjectFile);
    const bool written = WriteRecordToStream(doc, record, stream);
    const QByteArray bytes = stream.Finish();
    const bool ok = written && !bytes.isEmpty();
    // An empty stream would only make the paste command report a damaged
    // stream; the text is still worth having.
    if (ok)
        data->setData(recordMimeType(), bytes);
    setClipboard(std::move(data));
    return ok;
}

bool CopyMarkedRecords(COrvelDoc &doc, const QString &clipboardObjectFile)
{
    const CDataTable &table = doc.GetTable();
    const int marked = table.GetMarkedCount();
    if (marked <= 0)
        return false;

    int written = 0;
    bool stopped = false;
    QByteArray bytes;
    {
        CRecordStreamOut stream(doc, marked, clipboardObjectFile);
        std::unique_ptr<ProgressBox> progress =
                services().beginProgress(ids::kCaptionCopyingRecords, 0, table.GetRecordCount());
        // Last to first: pasting inserts each record before the one pasted
        // just before it, which restores the table's order.
        int step = 0;
        for (int i = table.GetRecordCount() - 1; i >= 0; --i, ++step) {
            if (step % kCopyProgressStep == 0) {
                if (progress)
                    progress->setPos(step);
                if (EscapePressedAndConfirmed()) {
                    stopped = true;
                    break;
                }
            }
            if (!table.GetRecord(i)->IsMarked())
                continue;
            if (!WriteRecordToStream(doc, i, stream)) {
                stopped = true;
                break;
            }
            ++written;
        }
        // The header announced every marked record; a paste must not read
        // past the ones that are really there.
        if (written != marked)
            stream.SetRecordCount(written);
        bytes = stream.Finish();
    }

    if (bytes.isEmpty() || written == 0) {
        // The copy emptied the clipboard object file, so whatever records
        // the clipboard held before would no longer find their objects.
        setClipboard(nullptr);
    } else {
        auto data = std::make_unique<QMimeData>();
        data->setData(recordMimeType(), bytes);
        setClipboard(std::move(data));
    }
    doc.SetModifiedFlag();
    return !stopped && written == marked && !bytes.isEmpty();
}

bool ClipboardHasRecords()
{
    watchClipboard();
    return cache().hasRecords;
}

int PasteRecords(COrvelDoc &doc, int insertIndex, const QString &clipboardObjectFile)
{
    const CDataTable &table = doc.GetTable();
    if (table.GetFieldCount() == 0)
        return 0;
    if (table.GetRecordCount() >= kMaxRecords) {
        MessageBoxById(ids::kMsgTooManyRecords, MsgIcon::Exclamation);
        return 0;
    }
    const QMimeData *data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasFormat(recordMimeType()))
        return 0;
    return InsertRecordsFromStream(doc, data->data(recordMimeType()), insertIndex, clipboardObjectFile);
}

void ClearClipboardIfRecords()
{
    if (!qGuiApp)
        return;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (data && data->hasFormat(recordMimeType()))
        setClipboard(nullptr);
}

} // namespace orvel
