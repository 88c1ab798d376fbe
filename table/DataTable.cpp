#include "table/DataTable.h"

#include "table/FieldName.h"
#include "table/FieldType.h"
#include "table/Sorter.h"
#include "table/TableJournal.h"

#include <atomic>

#include <algorithm>
#include <iterator>

namespace orvel {

namespace {

const AnsiString &emptyString()
{
    static const AnsiString empty;
    return empty;
}

AnsiString limited(AnsiView text, std::size_t limit)
{
    return AnsiString(text.substr(0, std::min(text.size(), limit)));
}

// Revisions are drawn from one counter, so that no two states of any
// table share one.
std::atomic<std::uint64_t> g_revisions{0};

} // namespace

CDataTable::CDataTable()
{
    for (std::size_t i = 0; i < m_order.size(); ++i)
        m_order[i] = static_cast<std::uint16_t>(i);
    noteChange();
}

void CDataTable::noteChange()
{
    m_revision = g_revisions.fetch_add(1, std::memory_order_relaxed) + 1;
}

CDataTable::~CDataTable() = default;

CDataTable::Field *CDataTable::fieldAt(int pos)
{
    const int column = GetStorageColumn(pos);
    return column < 0 ? nullptr : &m_fields[static_cast<std::size_t>(column)];
}

const CDataTable::Field *CDataTable::fieldAt(int pos) const
{
    const int column = GetStorageColumn(pos);
    return column < 0 ? nullptr : &m_fields[static_cast<std::size_t>(column)];
}

const AnsiString &CDataTable::GetFieldName(int pos) const
{
    const Field *field = fieldAt(pos);
    return field ? field->name : emptyString();
}

AnsiString CDataTable::GetPlainFieldName(int pos) const
{
    return PlainFieldName(GetFieldName(pos));
}

bool CDataTable::SetFieldName(AnsiView name, int pos)
{
    if (pos < 0)
        return false;
    if (pos >= GetFieldCount())
        return InsertField(name, -1) >= 0;
    layoutChanging();
    fieldAt(pos)->name = limited(name, kMaxNameLength);
    m_modified = true;
    return true;
}

int CDataTable::FindPlainFieldName(AnsiView name, int exceptPos) const
{
    const AnsiString plain = PlainFieldName(name);
    for (int pos = 0; pos < GetFieldCount(); ++pos) {
        if (pos != exceptPos && GetPlainFieldName(pos) == plain)
            return pos;
    }
    return -1;
}

int CDataTable::InsertField(AnsiView name, int pos)
{
    const int count = GetFieldCount();
    if (count >= kMaxFields)
        return -1;
    if (pos < 0 || pos > count)
        pos = count;
    layoutChanging();

    // The new storage column is always the last one; it is shown at pos.
    for (int i = count; i > pos; --i) {
        m_order[static_cast<std::size_t>(i)] = m_order[static_cast<std::size_t>(i - 1)];
        m_dbaseLengths[static_cast<std::size_t>(i)] = m_dbaseLengths[static_cast<std::size_t>(i - 1)];
    }
    m_order[static_cast<std::size_t>(pos)] = static_cast<std::uint16_t>(count);
    m_dbaseLengths[static_cast<std::size_t>(pos)] = 0;

    Field field;
    field.name = limited(name, kMaxNameLength);
    m_fields.push_back(std::move(field));
    m_totalWidth += kNewFieldWidth;
    invalidateSortKeys();
    for (auto &record : m_records)
        record->appendEmptyValue();
    if (m_journal)
        m_journal->columnAdded(count);
    m_modified = true;
    return pos;
}

bool CDataTable::DeleteField(int pos)
{
    const int column = GetStorageColumn(pos);
    if (column < 0)
        return false;
    layoutChanging();
    if (m_journal)
        m_journal->columnRemoving(*this, column);
    for (auto &record : m_records)
        record->removeValueAt(column);
    invalidateSortKeys(); // the later columns move down

    const auto c = static_cast<std::size_t>(column);
    m_totalWidth -= m_fields[c].width;
    m_fields.erase(m_fields.begin() + static_cast<std::ptrdiff_t>(c));

    const int count = GetFieldCount(); // after the removal
    for (int i = pos; i < count; ++i) {
        m_order[static_cast<std::size_t>(i)] = m_order[static_cast<std::size_t>(i + 1)];
        m_dbaseLengths[static_cast<std::size_t>(i)] = m_dbaseLengths[static_cast<std::size_t>(i + 1)];
    }
    for (int i = 0; i < count; ++i) {
        if (m_order[static_cast<std::size_t>(i)] > column)
            --m_order[static_cast<std::size_t>(i)];
    }
    for (std::size_t i = static_cast<std::size_t>(count); i < m_order.size(); ++i) {
        m_order[i] = static_cast<std::uint16_t>(i);
        m_dbaseLengths[i] = 0;
    }

    if (m_fields.empty())
        UnmarkAllRecords();
    m_modified = true;
    return true;
}

bool CDataTable::ApplyFieldOrder(const std::vector<int> &oldPositions)
{
    const int count = GetFieldCount();
    if (static_cast<int>(oldPositions.size()) != count)
        return false;
    std::array<bool, kMaxFields + 1> seen{};
    for (const int old : oldPositions) {
        if (old < 0 || old >= count || seen[static_cast<std::size_t>(old)])
            return false;
        seen[static_cast<std::size_t>(old)] = true;
    }
    layoutChanging();
    const auto order = m_order;
    const auto lengths = m_dbaseLengths;
    for (std::size_t i = 0; i < oldPositions.size(); ++i) {
        m_order[i] = order[static_cast<std::size_t>(oldPositions[i])];
        m_dbaseLengths[i] = lengths[static_cast<std::size_t>(oldPositions[i])];
    }
    m_modified = true;
    return true;
}

int CDataTable::GetFieldType(int pos) const
{
    const Field *field = fieldAt(pos);
    return field ? field->type : FT_TEXT;
}

bool CDataTable::SetFieldType(int type, int pos)
{
    Field *field = fieldAt(pos);
    if (!field || !IsValidFieldType(type))
        return false;
    layoutChanging();
    if (field->type != type && m_sortKeys)
        m_sortKeys->InvalidateColumn(GetStorageColumn(pos));
    field->type = type;
    if (IsMediaType(type)) {
        m_totalWidth += kMediaFieldWidth - field->width;
        field->width = kMediaFieldWidth;
    }
    m_modified = true;
    return true;
}

int CDataTable::GetFieldFormat(int pos) const
{
    const Field *field = fieldAt(pos);
    return field ? field->format : 0;
}

bool CDataTable::SetFieldFormat(int format, int pos)
{
    Field *field = fieldAt(pos);
    if (!field)
        return false;
    layoutChanging();
    field->format = format;
    m_modified = true;
    return true;
}

int CDataTable::GetPrintFlag(int pos) const
{
    const Field *field = fieldAt(pos);
    return field ? field->printFlag : 0;
}

bool CDataTable::SetPrintFlag(int flag, int pos)
{
    Field *field = fieldAt(pos);
    if (!field)
        return false;
    layoutChanging();
    field->printFlag = flag;
    m_modified = true;
    return true;
}

const AnsiString &CDataTable::GetDefaultValue(int pos) const
{
    const Field *field = fieldAt(pos);
    return field ? field->defaultValue : emptyString();
}

bool CDataTable::SetDefaultValue(AnsiView value, int pos)
{
    Field *field = fieldAt(pos);
    if (!field)
        return false;
    layoutChanging();
    field->defaultValue = limited(value, kMaxValueLength);
    m_modified = true;
    return true;
}

int CDataTable::GetColumnWidth(int pos) const
{
    const Field *field = fieldAt(pos);
    return field ? field->width : 0;
}

bool CDataTable::SetColumnWidth(int width, int pos)
{
    Field *field = fieldAt(pos);
    if (!field)
        return false;
    if (m_journal)
        m_journal->layoutChanging(*this);
    width = std::clamp(width, 0, kMaxColumnWidth);
    m_totalWidth += width - field->width;
    field->width = static_cast<std::uint16_t>(width);
    m_modified = true;
    return true;
}

int CDataTable::GetDbaseLength(int pos) const
{
    return pos >= 0 && pos < GetFieldCount() ? m_dbaseLengths[static_cast<std::size_t>(pos)] : 0;
}

bool CDataTable::SetDbaseLength(int length, int pos)
{
    if (pos < 0 || pos >= GetFieldCount())
        return false;
    layoutChanging();
    m_dbaseLengths[static_cast<std::size_t>(pos)] = static_cast<std::uint16_t>(std::clamp(length, 0, 255));
    m_modified = true;
    return true;
}

void CDataTable::SetSdfDelimiters(char field, char data)
{
    if (field == m_sdfFieldDelimiter && data == m_sdfDataDelimiter)
        return;
    layoutChanging();
    m_sdfFieldDelimiter = field;
    m_sdfDataDelimiter = data;
}

std::unique_ptr<CDataRecord> CDataTable::CreateRecord(bool stamp)
{
    return std::make_unique<CDataRecord>(*this, stamp);
}

std::unique_ptr<CDataRecord> CDataTable::CreateRecord(const AnsiView *values, int count, bool stamp, bool *whole,
                                                      RecordBufferPool *pool)
{
    return std::make_unique<CDataRecord>(*this, values, count, stamp, whole, pool);
}

void CDataTable::adopt(CDataRecord &record)
{
    record.setOwner(this);
    record.resizeValues(GetFieldCount());
    if (m_freeSlots.empty()) {
        record.m_slot = m_slotCount++;
    } else {
        record.m_slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    }
    if (m_sortKeys)
        m_sortKeys->RecordsAdded();
    m_totalHeight += record.GetRowHeight();
    if (record.IsMarked())
        ++m_markedCount;
}

int CDataTable::AddRecord(std::unique_ptr<CDataRecord> record)
{
    return InsertRecord(GetRecordCount(), std::move(record));
}

int CDataTable::InsertRecord(int index, std::unique_ptr<CDataRecord> record)
{
    if (!record || GetRecordCount() >= kMaxRecords || record->GetOwner())
        return -1;
    if (index < 0 || index > GetRecordCount())
        index = GetRecordCount();
    adopt(*record);
    m_records.insert(m_records.begin() + index, std::move(record));
    if (m_journal)
        m_journal->recordsInserted(index, 1);
    noteChange();
    return index;
}

int CDataTable::InsertRecords(int index, std::vector<std::unique_ptr<CDataRecord>> &records)
{
    if (index < 0 || index > GetRecordCount())
        index = GetRecordCount();
    const auto room = static_cast<std::size_t>(kMaxRecords - GetRecordCount());
    const std::size_t taken = std::min(room, records.size());
    for (std::size_t i = 0; i < taken; ++i) {
        if (!records[i] || records[i]->GetOwner())
            return 0;
    }
    for (std::size_t i = 0; i < taken; ++i)
        adopt(*records[i]);
    const auto first = records.begin();
    const auto last = first + static_cast<std::ptrdiff_t>(taken);
    m_records.insert(m_records.begin() + index, std::make_move_iterator(first), std::make_move_iterator(last));
    records.erase(first, last);
    if (m_journal)
        m_journal->recordsInserted(index, static_cast<int>(taken));
    if (taken > 0)
        noteChange();
    return static_cast<int>(taken);
}

bool CDataTable::RemoveRecord(int index)
{
    const CDataRecord *record = GetRecord(index);
    if (!record)
        return false;
    m_totalHeight -= record->GetRowHeight();
    if (record->IsMarked())
        --m_markedCount;
    releaseSlot(*record);
    if (m_journal) {
        std::vector<std::unique_ptr<CDataRecord>> removed;
        removed.push_back(std::move(m_records[static_cast<std::size_t>(index)]));
        removed.back()->m_owned = false;
        m_journal->recordsRemoved({static_cast<std::uint16_t>(index)}, std::move(removed));
    }
    m_records.erase(m_records.begin() + index);
    noteChange();
    return true;
}

int CDataTable::RemoveMarkedRecords()
{
    // Where the marked records are, for a journal that keeps them.
    std::vector<std::uint16_t> places;
    if (m_journal) {
        places.reserve(static_cast<std::size_t>(m_markedCount));
        for (std::size_t i = 0; i < m_records.size(); ++i) {
            if (m_records[i]->IsMarked())
                places.push_back(static_cast<std::uint16_t>(i));
        }
    }
    // One pass that keeps the order of the rest; the same result as removing
    // them one by one, without moving the array for each.
    const auto firstRemoved = std::stable_partition(m_records.begin(), m_records.end(),
                                                    [](const auto &record) { return !record->IsMarked(); });
    const auto removed = static_cast<int>(m_records.end() - firstRemoved);
    for (auto it = firstRemoved; it != m_records.end(); ++it) {
        m_totalHeight -= (*it)->GetRowHeight();
        releaseSlot(**it);
    }
    if (m_journal && removed > 0) {
        std::vector<std::unique_ptr<CDataRecord>> taken;
        taken.reserve(static_cast<std::size_t>(removed));
        for (auto it = firstRemoved; it != m_records.end(); ++it) {
            (*it)->m_owned = false;
            taken.push_back(std::move(*it));
        }
        m_journal->recordsRemoved(std::move(places), std::move(taken));
    }
    m_records.erase(firstRemoved, m_records.end());
    m_markedCount = 0;
    if (removed > 0)
        noteChange();
    return removed;
}

void CDataTable::RemoveAllRecords()
{
    if (m_journal && !m_records.empty()) {
        std::vector<std::uint16_t> places(m_records.size());
        for (std::size_t i = 0; i < places.size(); ++i) {
            places[i] = static_cast<std::uint16_t>(i);
            m_records[i]->m_owned = false;
        }
        m_journal->recordsRemoved(std::move(places), std::move(m_records));
    }
    noteChange();
    m_records.clear();
    m_markedCount = 0;
    m_totalHeight = 0;
    m_freeSlots = {};
    m_slotCount = 0;
    invalidateSortKeys();
}

void CDataTable::releaseSlot(const CDataRecord &record)
{
    // Reserved up front, so that removing never has to allocate.
    if (m_freeSlots.capacity() < kMaxRecords)
        m_freeSlots.reserve(kMaxRecords);
    m_freeSlots.push_back(record.m_slot);
}

void CDataTable::sortValueChanged(int column)
{
    if (m_sortKeys)
        m_sortKeys->InvalidateColumn(column);
}

void CDataTable::invalidateSortKeys()
{
    if (m_sortKeys)
        m_sortKeys->InvalidateAll();
}

void CDataTable::layoutChanging()
{
    if (m_journal)
        m_journal->layoutChanging(*this);
    noteChange();
}

void CDataTable::MarkAllRecords()
{
    if (m_journal)
        m_journal->marksChanging(*this);
    noteChange();
    for (auto &record : m_records)
        record->m_marked = true;
    m_markedCount = GetRecordCount();
}

void CDataTable::UnmarkAllRecords()
{
    if (m_markedCount > 0) {
        if (m_journal)
            m_journal->marksChanging(*this);
        noteChange();
    }
    for (auto &record : m_records)
        record->m_marked = false;
    m_markedCount = 0;
}

void CDataTable::AbandonRecordsAtExit()
{
    for (std::unique_ptr<CDataRecord> &record : m_records) {
        // Its buffer goes with it.
        (void)record.release();
    }
    m_records.clear();
    RemoveAllRecords();
}

void CDataTable::Clear()
{
    RemoveAllRecords();
    layoutChanging();
    m_fields.clear();
    for (std::size_t i = 0; i < m_order.size(); ++i)
        m_order[i] = static_cast<std::uint16_t>(i);
    m_dbaseLengths.fill(0);
    m_totalWidth = 0;
    m_modified = false;
    m_sdfFieldDelimiter = ',';
    m_sdfDataDelimiter = '"';
}

std::size_t CDataTable::RecordMemoryBytes() const
{
    std::size_t bytes = m_records.capacity() * sizeof(m_records[0]);
    for (const auto &record : m_records)
        bytes += record->AllocatedBytes();
    return bytes;
}

} // namespace orvel
