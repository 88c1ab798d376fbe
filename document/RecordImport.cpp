#include "document/RecordImport.h"

#include "document/OrvelDoc.h"
#include "document/RecordTransfer.h"
#include "form/DrawEdit.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"
#include "table/Search.h"
#include "table/TableLimits.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <vector>

namespace orvel {

namespace {

// Source field → target field (-1: not taken), and whether the values are
// object references to copy between the two stores.
struct FieldMap
{
    std::array<int, kMaxFields> target{};
    std::array<bool, kMaxFields> carriesObject{};
    bool any = false;
};

FieldMap mapFieldsByName(const COrvelDoc &source, const COrvelDoc &target)
{
    FieldMap map;
    map.target.fill(-1);
    const CDataTable &from = source.GetTable();
    const CDataTable &to = target.GetTable();
    for (int s = 0; s < from.GetFieldCount() && s < kMaxFields; ++s) {
        for (int t = 0; t < to.GetFieldCount(); ++t) {
            // Plain names: a mnemonic "&" only marks a key in the form.
            if (lstrcmpiA(from.GetPlainFieldName(s), to.GetPlainFieldName(t)) != 0)
                continue;
            const int type = from.GetFieldType(s);
            // Pictures move only between fields that keep them alike: an
            // object reference is no file path, and a path no reference.
            if (type == to.GetFieldType(t)
                && (type != FT_PICTURE
                    || source.GetForm().IsPictureEmbedded(s) == target.GetForm().IsPictureEmbedded(t))) {
                map.target[static_cast<std::size_t>(s)] = t;
                map.carriesObject[static_cast<std::size_t>(s)] = FieldCarriesObject(target, t);
                map.any = true;
            }
            break;
        }
    }
    return map;
}

// Every field to the field at the same position (a copy of the table).
FieldMap identityMap(const COrvelDoc &source)
{
    FieldMap map;
    map.target.fill(-1);
    for (int k = 0; k < source.GetTable().GetFieldCount() && k < kMaxFields; ++k) {
        map.target[static_cast<std::size_t>(k)] = k;
        map.carriesObject[static_cast<std::size_t>(k)] = FieldCarriesObject(source, k);
        map.any = true;
    }
    return map;
}

// A copy of `src` for the table `to`: its row height and time, and each
// mapped value, objects copied through `copier` into the target's store.
// Nothing when an object could not be copied; `failed` then names it.
std::unique_ptr<CDataRecord> copyRecord(CDataTable &to, const CDataRecord &src, const FieldMap &map,
                                        CObjectCopier &copier, AnsiView &failed)
{
    std::unique_ptr<CDataRecord> record = to.CreateRecord(false);
    record->SetRowHeight(src.GetRowHeight());
    record->SetModificationTime(src.GetModificationTime());
    for (int s = 0; s < src.GetTable().GetFieldCount() && s < kMaxFields; ++s) {
        const int t = map.target[static_cast<std::size_t>(s)];
        if (t < 0)
            continue;
        const AnsiView value = src.GetRawValue(s);
        if (!map.carriesObject[static_cast<std::size_t>(s)] || value.empty()) {
            record->SetRawValue(value, t);
            continue;
        }
        const std::optional<AnsiString> reference = copier.CopyObject(value);
        if (!reference) {
            failed = value;
            return nullptr;
        }
        record->SetRawValue(*reference, t);
    }
    return record;
}

int insertRecords(COrvelDoc &target, const COrvelDoc &source, const FieldMap &map, int currentRecord)
{
    CDataTable &to = target.GetTable();
    const CDataTable &from = source.GetTable();
    const int total = from.GetRecordCount();
    const int before = to.GetRecordCount();
    const int index = currentRecord >= 0 && currentRecord < before ? currentRecord : before;
    const int room = kMaxRecords - before;

    std::unique_ptr<ProgressBox> progress = services().beginProgress(ids::kCaptionInsertingDatabase, 0, total);
    CObjectCopier copier(source.GetWorkingStorePath(), target.GetWorkingStorePath(), CObjectCopier::Append);
    bool failed = false;
    // Last to first, as the records would go in one by one before the same
    // index; they are collected and go in as one block, in the source's
    // order, before the old current record.
    std::vector<std::unique_ptr<CDataRecord>> block;
    for (int r = total - 1, done = 0; r >= 0; --r, ++done) {
        if (done % 100 == 0) {
            if (progress)
                progress->setPos(done);
            if (EscapePressedAndConfirmed())
                break;
        }
        if (static_cast<int>(block.size()) >= room)
            break;
        AnsiView notCopied;
        std::unique_ptr<CDataRecord> record = copyRecord(to, *from.GetRecord(r), map, copier, notCopied);
        if (!record) {
            failed = true;
            break;
        }
        // Records a dBASE file flagged as deleted stay marked, as they came in.
        record->SetMark(from.GetRecord(r)->IsMarked());
        block.push_back(std::move(record));
    }
    std::reverse(block.begin(), block.end());
    to.InsertRecords(index, block);
    if (!copier.Finish(false))
        failed = true;
    progress.reset();
    if (failed)
        MessageBoxById(ids::kMsgObjectsNotWritten, MsgIcon::Exclamation);
    return to.GetRecordCount() - before;
}

} // namespace

int InsertFromDatabase(COrvelDoc &target, const QString &path, int currentRecord)
{
    WaitCursor wait;
    int inserted = 0;
    int sourceCount = 0;
    try {
        COrvelDoc source;
        if (!source.Open(path, true))
            return -1;
        sourceCount = source.GetTable().GetRecordCount();
        const FieldMap map = mapFieldsByName(source, target);
        if (map.any)
            inserted = insertRecords(target, source, map, currentRecord);
    } catch (const std::bad_alloc &) {
        MessageBoxById(ids::kMsgOutOfMemoryExit, MsgIcon::Stop);
        return -1;
    }
    MessageBoxById(ids::kMsgInsertedOf, MsgIcon::Information, MsgButtons::Ok,
                   {QString::number(inserted), QString::number(sourceCount)});
    if (inserted > 0) {
        target.GetTable().SetModified();
        target.SetModifiedFlag();
    }
    target.UpdateAllViews(Hint::Repaint);
    return inserted;
}

int CopyMatches(const COrvelDoc &source, const SearchSpec &spec, int link, COrvelDoc &target)
{
    const CDataTable &from = source.GetTable();
    const int total = from.GetRecordCount();
    int first = -1;
    for (int i = 0; i < total && first < 0; ++i) {
        if (RecordMeetsSpec(from, spec, link, i))
            first = i;
    }
    if (first < 0) {
        MessageBoxById(ids::kMsgNothingFound, MsgIcon::Information);
        return 0;
    }

    WaitCursor wait;
    CDataTable &to = target.GetTable();
    for (int k = 0; k < from.GetFieldCount(); ++k) {
        const int pos = to.InsertField(from.GetFieldName(k), -1);
        to.SetFieldType(from.GetFieldType(k), pos);
        // Decimals, date formats and column widths belong to the field as
        // much as its type does; a copy without them shows other values.
        to.SetFieldFormat(from.GetFieldFormat(k), pos);
        to.SetColumnWidth(from.GetColumnWidth(k), pos);
    }
    // The copy's form shows every field; embedded pictures stay embedded, so
    // that their references are read as objects and not as paths.
    target.CreateDefaultForm();
    for (int k = 0; k < from.GetFieldCount(); ++k) {
        if (from.GetFieldType(k) == FT_PICTURE && source.GetForm().IsPictureEmbedded(k)) {
            if (CDrawEdit *field = target.GetForm().FindDataField(k))
                field->embedded = 1;
        }
    }

    std::unique_ptr<ProgressBox> progress = services().beginProgress(ids::kCaptionCopyingRecords, 0, total);
    CObjectCopier copier(source.GetWorkingStorePath(), target.GetWorkingStorePath(), CObjectCopier::Append);
    const FieldMap map = identityMap(source);
    int copied = 0;
    for (int i = first; i < total; ++i) {
        if (copied % 50 == 0) {
            if (progress)
                progress->setPos(i);
            if (EscapePressedAndConfirmed())
                break;
        }
        if (!RecordMeetsSpec(from, spec, link, i))
            continue;
        AnsiView notCopied;
        std::unique_ptr<CDataRecord> record = copyRecord(to, *from.GetRecord(i), map, copier, notCopied);
        if (!record) {
            MessageBoxById(ids::kMsgCopyFailed, MsgIcon::Exclamation, MsgButtons::Ok, {AnsiToQString(notCopied)});
            break;
        }
        if (to.AddRecord(std::move(record)) < 0)
            break;
        ++copied;
    }
    if (!copier.Finish(false))
        MessageBoxById(ids::kMsgObjectsNotWritten, MsgIcon::Exclamation);
    progress.reset();

    to.SetModified();
    target.SetModifiedFlag();
    if (copied == 1)
        MessageBoxById(ids::kMsgRecordCopied, MsgIcon::Information);
    else
        MessageBoxById(ids::kMsgRecordsCopied, MsgIcon::Information, MsgButtons::Ok, {QString::number(copied)});
    return copied;
}

} // namespace orvel
