#include "document/RecordTransfer.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <optional>

namespace orvel {

namespace {

constexpr int kProgressStep = 100;

// Empties a file if it exists: the clipboard object file stays reserved
// under its name, but nothing of an earlier copy is left in it.
void truncateFile(const QString &path)
{
    if (!path.isEmpty() && QFile::exists(path))
        QFile::resize(path, 0);
}

std::vector<recordstream::StreamField> streamFieldsOf(const COrvelDoc &doc)
{
    const CDataTable &table = doc.GetTable();
    std::vector<recordstream::StreamField> fields;
    fields.reserve(static_cast<std::size_t>(table.GetFieldCount()));
    for (int k = 0; k < table.GetFieldCount(); ++k) {
        recordstream::StreamField field;
        field.name = table.GetPlainFieldName(k);
        CharLowerA(field.name);
        field.type = table.GetFieldType(k);
        const CDrawEdit *dataField = doc.GetForm().FindDataField(k);
        field.embedded = dataField && dataField->embedded ? 1 : 0;
        fields.push_back(std::move(field));
    }
    return fields;
}

} // namespace

bool FieldCarriesObject(const COrvelDoc &doc, int pos)
{
    const int type = doc.GetTable().GetFieldType(pos);
    return type == FT_MEMO || type == FT_OLE || (type == FT_PICTURE && doc.GetForm().IsPictureEmbedded(pos));
}

// --- Writing ---

CRecordStreamOut::CRecordStreamOut(const COrvelDoc &doc, int recordCount, const QString &clipboardObjectFile)
    : m_objectFile(clipboardObjectFile)
{
    truncateFile(m_objectFile);
    m_writer.WriteHeader(recordCount, streamFieldsOf(doc));
    if (!m_objectFile.isEmpty())
        m_copier = std::make_unique<CObjectCopier>(doc.GetWorkingStorePath(), m_objectFile, CObjectCopier::Append);
}

CRecordStreamOut::~CRecordStreamOut() = default;

QByteArray CRecordStreamOut::Finish()
{
    // The clipboard's objects need not survive a crash, only this session.
    if (m_copier && !m_copier->Finish(false))
        m_failed = true;
    m_copier.reset();
    if (m_failed) {
        truncateFile(m_objectFile);
        return QByteArray();
    }
    return m_writer.TakeBytes();
}

bool WriteRecordToStream(const COrvelDoc &doc, int record, CRecordStreamOut &stream)
{
    const CDataTable &table = doc.GetTable();
    const CDataRecord *rec = table.GetRecord(record);
    if (!rec)
        return false;
    bool ok = true;
    for (int k = 0; k < table.GetFieldCount(); ++k) {
        const AnsiView value = rec->GetRawValue(k);
        if (value.empty() || !FieldCarriesObject(doc, k)) {
            stream.m_writer.WriteValue(value);
            continue;
        }
        std::optional<AnsiString> reference;
        if (stream.m_copier)
            reference = stream.m_copier->CopyObject(value);
        if (!reference) {
            MessageBoxById(ids::kMsgCopyFailed, MsgIcon::Exclamation, MsgButtons::Ok, {AnsiToQString(value)});
            stream.m_writer.WriteValue(AnsiView());
            ok = false;
            continue;
        }
        stream.m_writer.WriteValue(*reference);
    }
    if (!ok)
        stream.m_failed = true;
    return ok;
}

// --- Reading ---

int InsertRecordsFromStream(COrvelDoc &doc, const QByteArray &stream, int insertIndex,
                            const QString &clipboardObjectFile)
{
    WaitCursor wait;
    recordstream::Reader reader(stream);
    if (!reader.ReadHeader()) {
        MessageBoxById(ids::kMsgReadError, MsgIcon::Exclamation);
        return -1;
    }
    CDataTable &table = doc.GetTable();
    const std::vector<recordstream::StreamField> &fields = reader.Fields();

    // Stream field i goes into target[i] (-1: skipped). Only the first
    // field of the same plain lower-case name is considered; it takes the
    // values when the type agrees and, for pictures, the storage mode too
    // (a reference is no path and a path no reference).
    std::vector<int> target(fields.size(), -1);
    std::vector<char> carries(fields.size(), 0);
    std::array<AnsiString, kMaxFields> names;
    for (int k = 0; k < table.GetFieldCount() && k < kMaxFields; ++k) {
        names[static_cast<std::size_t>(k)] = table.GetPlainFieldName(k);
        CharLowerA(names[static_cast<std::size_t>(k)]);
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        for (int k = 0; k < table.GetFieldCount() && k < kMaxFields; ++k) {
            if (names[static_cast<std::size_t>(k)] != fields[i].name)
                continue;
            const int type = table.GetFieldType(k);
            const bool embedded = doc.GetForm().IsPictureEmbedded(k);
            if (type == fields[i].type && (type != FT_PICTURE || embedded == (fields[i].embedded != 0))) {
                target[i] = k;
                carries[i] = FieldCarriesObject(doc, k) ? 1 : 0;
            }
            break;
        }
    }

    const int total = reader.RecordCount();
    // A stream without fields carries nothing to insert, whatever count it
    // announces.
    if (fields.empty() && total > 0) {
        MessageBoxById(ids::kMsgReadError, MsgIcon::Exclamation);
        return -1;
    }
    std::unique_ptr<ProgressBox> progress = services().beginProgress(ids::kCaptionInsertingRecords, 0, total);
    CObjectCopier copier(clipboardObjectFile, doc.GetWorkingStorePath(), CObjectCopier::Append);
    // The records are collected first and go in as one block: each stream
    // record lands before the one read before it, so the block is the
    // stream reversed (a copy writes its records last to first).
    std::vector<std::unique_ptr<CDataRecord>> block;
    const int room = kMaxRecords - table.GetRecordCount();
    bool stop = false;
    for (int r = 0; r < total && !stop; ++r) {
        if (r % kProgressStep == 0) {
            if (progress)
                progress->setPos(r);
            if (EscapePressedAndConfirmed())
                break;
        }
        if (static_cast<int>(block.size()) >= room) {
            MessageBoxById(ids::kMsgTooManyRecords, MsgIcon::Exclamation);
            break;
        }
        block.push_back(table.CreateRecord());
        CDataRecord *rec = block.back().get();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            AnsiView value;
            if (!reader.ReadValue(value)) {
                // The stream ends inside this record: what it held is kept.
                stop = true;
                break;
            }
            const int k = target[i];
            if (k < 0)
                continue;
            if (carries[i] && !value.empty()) {
                const std::optional<AnsiString> reference = copier.CopyObject(value);
                if (!reference) {
                    MessageBoxById(ids::kMsgCopyFailed, MsgIcon::Exclamation, MsgButtons::Ok, {AnsiToQString(value)});
                    stop = true;
                    break;
                }
                rec->SetRawValue(*reference, k);
                continue;
            }
            // Numbers and dates travel as stored, so they go in as they are:
            // typed-input rules would read "1234.5" with German separators.
            rec->SetRawValue(value, k);
        }
    }
    std::reverse(block.begin(), block.end());
    const int inserted = table.InsertRecords(insertIndex, block);
    if (!copier.Finish(false) && !stop)
        MessageBoxById(ids::kMsgObjectsNotWritten, MsgIcon::Exclamation);
    progress.reset();

    if (inserted > 0) {
        table.SetModified();
        doc.SetModifiedFlag();
    }
    if (inserted > 1)
        MessageBoxById(ids::kMsgRecordsInserted, MsgIcon::Information, MsgButtons::Ok, {QString::number(inserted)});
    else if (inserted == 1)
        MessageBoxById(ids::kMsgRecordInserted, MsgIcon::Information);
    return inserted;
}

} // namespace orvel
