#include "document/FileFormats.h"

#include "document/OrvelDoc.h"
#include "document/SaveProposal.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/DbaseExport.h"
#include "exchange/DbaseImport.h"
#include "exchange/HtmlExport.h"
#include "exchange/MemoObjects.h"
#include "exchange/MergeTextExport.h"
#include "exchange/SdfExport.h"
#include "exchange/SdfImport.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "table/FieldType.h"
#include "table/RecordStream.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>
#include <vector>

#include <unistd.h>

namespace orvel {

namespace {

// The document's progress window when a file command made one, else one of
// the writer's own for as long as it runs.
class WriterProgress
{
public:
    explicit WriterProgress(COrvelDoc &doc)
        : m_box(doc.GetProgress())
    {
        if (!m_box) {
            m_own = services().beginProgress(0, 0, 0);
            m_box = m_own.get();
        }
    }
    ProgressBox *box() const { return m_box; }

private:
    ProgressBox *m_box;
    std::unique_ptr<ProgressBox> m_own;
};

ExchangeCharSet dbaseCharSet(const COrvelDoc &doc)
{
    return ExchangeCharSetFromSetting(doc.GetOptions().dbfCharSet);
}

ExchangeCharSet sdfCharSet(const COrvelDoc &doc)
{
    return ExchangeCharSetFromSetting(doc.GetOptions().sdfCharSet);
}

// A dBASE table with the memo file beside it, whose texts go into the
// document's working store.
bool readDbase(COrvelDoc &doc, QFile &file, const QString &path)
{
    const QByteArray version = file.peek(1);
    const bool foxPro = !version.isEmpty() && dbase::IsFoxProVersion(static_cast<unsigned char>(version[0]));
    DbaseMemoSource memos;
    memos.objectStore = doc.GetWorkingStorePath();
    QFile memoFile(dbase::FindMemoFile(path, foxPro));
    if (!memoFile.fileName().isEmpty() && memoFile.open(QIODevice::ReadOnly)) {
        memos.file = &memoFile;
        memos.name = QFileInfo(memoFile.fileName()).fileName();
        memos.layout = memos.name.endsWith(QStringLiteral("fpt"), Qt::CaseInsensitive) ? dbase::MemoLayout::Fpt
                                                                                       : dbase::MemoLayout::Dbt;
    }
    std::optional<int> result;
    if (doc.StreamsRecords()) {
        // The stream reads through a descriptor of its own, of the same
        // file, after this one is closed.
        auto own = std::make_unique<QFile>();
        const int descriptor = ::dup(file.handle());
        if (descriptor < 0
            || !own->open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            if (descriptor >= 0)
                ::close(descriptor);
            own.reset();
        }
        if (own) {
            std::unique_ptr<RecordStream> stream;
            result = StreamDbase(doc.GetTable(), std::move(own), dbaseCharSet(doc), doc.GetProgress(), memos, stream);
            if (stream)
                doc.TakeRecordStream(std::move(stream));
        }
    }
    if (!result)
        result = ImportDbase(doc.GetTable(), file, dbaseCharSet(doc), doc.GetProgress(), memos);
    if (*result == kDbaseVersionRefused)
        doc.SetReadFailureReported();
    return *result == 1;
}

// The classic exchange formats hold text, numbers and dates only: a memo
// field (one read from a dBASE memo file, say) would vanish from the file
// without a word, so the fields left out are named once the file is written.
bool namingMemosLeftOut(COrvelDoc &doc, bool written)
{
    if (!written)
        return false;
    const CDataTable &table = doc.GetTable();
    QStringList memos;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        if (table.GetFieldType(pos) == FT_MEMO)
            memos.append(AnsiToQString(table.GetFieldName(pos)));
    }
    if (!memos.isEmpty())
        MessageBoxById(ids::kMsgMemosLeftOut, MsgIcon::Exclamation, MsgButtons::Ok, {memos.join(QLatin1Char('\n'))});
    return true;
}

CsvOptions csvOptions(const COrvelDoc &doc)
{
    const DocumentOptions options = doc.GetOptions();
    CsvOptions csv;
    csv.fieldDelimiter = CsvDelimiterFromSetting(options.csvFieldDelimiter);
    csv.encoding = CsvEncodingFromSetting(options.csvEncoding);
    csv.bom = options.csvBom != 0;
    return csv;
}

std::vector<FileFormat> &formats()
{
    static std::vector<FileFormat> list = [] {
        std::vector<FileFormat> initial(5);
        initial[0].extension = QStringLiteral("dbf");
        initial[0].displayName = QStringLiteral("dBASE");
        initial[0].opens = true;
        initial[0].read = [](COrvelDoc &doc, QFile &file, const QString &path) { return readDbase(doc, file, path); };
        initial[0].write = [](COrvelDoc &doc, QIODevice &out, const QString &) {
            WriterProgress progress(doc);
            return namingMemosLeftOut(doc, ExportDbase(doc.GetTable(), out, dbaseCharSet(doc), progress.box()) == 1);
        };
        initial[1].extension = QStringLiteral("sdf");
        initial[1].displayName = QStringLiteral("SDF");
        initial[1].opens = true;
        initial[1].usesSdfDelimiters = true;
        initial[1].read = [](COrvelDoc &doc, QFile &, const QString &path) {
            return ImportSdf(doc.GetTable(), path, sdfCharSet(doc), doc.GetProgress()) == 1;
        };
        initial[1].write = [](COrvelDoc &doc, QIODevice &out, const QString &) {
            WriterProgress progress(doc);
            return namingMemosLeftOut(doc, ExportSdf(doc.GetTable(), out, sdfCharSet(doc), progress.box()) == 1);
        };
        initial[2].extension = QStringLiteral("htm");
        initial[2].displayName = QStringLiteral("HTML");
        initial[2].isExport = true;
        initial[2].write = [](COrvelDoc &doc, QIODevice &out, const QString &path) {
            WriterProgress progress(doc);
            // The page's title is the file's name as a file manager shows it.
            return ExportHtml(doc.GetTable(), out, QFileInfo(path).fileName(), progress.box()) == 1;
        };
        initial[3].extension = QStringLiteral("txt");
        initial[3].displayName = QStringLiteral("WinWord-Steuerdatei");
        initial[3].isExport = true;
        initial[3].write = [](COrvelDoc &doc, QIODevice &out, const QString &) {
            WriterProgress progress(doc);
            return ExportMergeText(doc.GetTable(), out, progress.box()) == 1;
        };
        initial[4].extension = QStringLiteral("csv");
        initial[4].displayName = QStringLiteral("CSV");
        initial[4].opens = true;
        initial[4].read = [](COrvelDoc &doc, QFile &file, const QString &) {
            // Long values become memo texts in the document's working store.
            ObjectFileMemoSink memos(doc.GetWorkingStorePath());
            return ImportCsv(doc.GetTable(), file, csvOptions(doc), memos, doc.GetProgress()) == 1;
        };
        initial[4].write = [](COrvelDoc &doc, QIODevice &out, const QString &) {
            WriterProgress progress(doc);
            return ExportCsv(doc.GetTable(), out, csvOptions(doc), doc.GetWorkingStorePath(), progress.box()) == 1;
        };
        return initial;
    }();
    return list;
}

} // namespace

namespace FileFormats {

const FileFormat *Find(const QString &path)
{
    const QString extension = FileExtension(path);
    for (const FileFormat &format : formats()) {
        if (format.extension == extension)
            return &format;
    }
    return nullptr;
}

void Register(const FileFormat &format)
{
    for (FileFormat &existing : formats()) {
        if (existing.extension == format.extension) {
            existing = format;
            return;
        }
    }
    formats().push_back(format);
}

} // namespace FileFormats

} // namespace orvel
