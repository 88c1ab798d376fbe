#include "table/TableJournal.h"

#include "table/DataRecord.h"
#include "table/DataTable.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace orvel {

struct CTableJournal::Layout
{
    std::array<std::uint16_t, kMaxFields + 1> order{};
    std::vector<CDataTable::Field> fields;
    std::array<std::uint16_t, kMaxFields + 1> dbaseLengths{};
    std::int32_t totalWidth = 0;
    char sdfFieldDelimiter = ',';
    char sdfDataDelimiter = '"';
};

namespace {

// Rough heap cost of a value held in an entry.
std::size_t stringBytes(const AnsiString &text)
{
    return text.capacity() > 15 ? text.capacity() + 1 : 0;
}

} // namespace

CTableJournal::CTableJournal(std::size_t byteLimit)
    : m_byteLimit(byteLimit)
{}

CTableJournal::~CTableJournal()
{
    if (m_recording)
        Finish();
}

bool CTableJournal::Begin(CDataTable &table)
{
    if (m_recording || !m_entries.empty() || m_overflowed || table.m_journal)
        return false;
    m_recording = &table;
    table.m_journal = this;
    m_revisionBefore = table.m_revision;
    return true;
}

void CTableJournal::Finish()
{
    if (!m_recording)
        return;
    if (m_recording->m_journal == this)
        m_recording->m_journal = nullptr;
    // Nothing recorded, nothing changed (a sort that left every record in
    // its place): the table is still in the state it was in before.
    if (m_entries.empty() && !m_overflowed)
        m_recording->m_revision = m_revisionBefore;
    m_revisionAfter = m_recording->m_revision;
    m_recording = nullptr;
    m_done = true;
}

bool CTableJournal::CanApply(const CDataTable &table) const
{
    if (m_recording || m_overflowed || table.m_journal)
        return false;
    return table.m_revision == (m_done ? m_revisionAfter : m_revisionBefore);
}

bool CTableJournal::Undo(CDataTable &table)
{
    if (!m_done || !CanApply(table))
        return false;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        apply(table, *it, true);
    table.m_revision = m_revisionBefore;
    table.m_modified = true;
    m_done = false;
    return true;
}

bool CTableJournal::Redo(CDataTable &table)
{
    if (m_done || !CanApply(table))
        return false;
    for (Entry &entry : m_entries)
        apply(table, entry, false);
    table.m_revision = m_revisionAfter;
    table.m_modified = true;
    m_done = true;
    return true;
}

bool CTableJournal::IsSingleValue(const CDataRecord *&record, int &column) const
{
    if (m_entries.size() != 1 || m_overflowed)
        return false;
    const Value *value = std::get_if<Value>(&m_entries.front());
    if (!value)
        return false;
    record = value->record;
    column = value->column;
    return true;
}

bool CTableJournal::Absorb(CTableJournal &next)
{
    const CDataRecord *mine = nullptr;
    const CDataRecord *theirs = nullptr;
    int myColumn = -1;
    int theirColumn = -1;
    if (!m_done || !next.m_done || !IsSingleValue(mine, myColumn) || !next.IsSingleValue(theirs, theirColumn)
        || mine != theirs || myColumn != theirColumn || next.m_revisionBefore != m_revisionAfter)
        return false;
    m_revisionAfter = next.m_revisionAfter;
    next.m_entries.clear();
    next.m_bytes = 0;
    return true;
}

bool CTableJournal::ChangesNothing() const
{
    const CDataRecord *record = nullptr;
    int column = -1;
    if (!m_done || !IsSingleValue(record, column))
        return false;
    const Value &value = std::get<Value>(m_entries.front());
    return record->GetRawValueAt(column) == AnsiView(value.value) && record->GetModificationTime() == value.time;
}

// --- Recording ---

void CTableJournal::add(Entry entry, std::size_t bytes)
{
    if (m_overflowed)
        return;
    m_bytes += bytes + sizeof(Entry);
    if (m_bytes > m_byteLimit) {
        overflow();
        return;
    }
    m_entries.push_back(std::move(entry));
}

void CTableJournal::overflow()
{
    // The step cannot be taken back; what it holds (values, removed
    // records) goes now rather than when the step is dropped.
    m_overflowed = true;
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_bytes = 0;
}

void CTableJournal::valueStoring(CDataRecord &record, int column)
{
    if (m_overflowed)
        return;
    Value value{&record, record.GetModificationTime(), static_cast<std::uint8_t>(column),
                AnsiString(record.GetRawValueAt(column))};
    const std::size_t bytes = stringBytes(value.value);
    add(std::move(value), bytes);
}

void CTableJournal::markChanging(CDataRecord &record)
{
    add(Mark{&record, record.IsMarked()}, 0);
}

void CTableJournal::heightChanging(CDataRecord &record)
{
    add(Height{&record, static_cast<std::uint8_t>(record.GetRowHeight())}, 0);
}

void CTableJournal::marksChanging(const CDataTable &table)
{
    if (m_overflowed)
        return;
    Marks marks;
    marks.marked.resize(static_cast<std::size_t>(table.GetRecordCount()));
    for (int i = 0; i < table.GetRecordCount(); ++i)
        marks.marked[static_cast<std::size_t>(i)] = table.GetRecord(i)->IsMarked();
    const std::size_t bytes = marks.marked.size() / 8;
    add(std::move(marks), bytes);
}

void CTableJournal::recordsInserted(int index, int count)
{
    if (m_overflowed || count <= 0)
        return;
    Records records;
    records.inTable = true;
    records.indexes.resize(static_cast<std::size_t>(count));
    std::iota(records.indexes.begin(), records.indexes.end(), static_cast<std::uint16_t>(index));
    const std::size_t bytes = records.indexes.size() * sizeof(std::uint16_t);
    add(std::move(records), bytes);
}

void CTableJournal::recordsRemoved(std::vector<std::uint16_t> indexes,
                                   std::vector<std::unique_ptr<CDataRecord>> records)
{
    if (m_overflowed || records.empty())
        return;
    std::size_t bytes = indexes.size() * (sizeof(std::uint16_t) + sizeof(records[0]));
    for (const auto &record : records)
        bytes += record->AllocatedBytes();
    add(Records{std::move(indexes), std::move(records), false}, bytes);
}

void CTableJournal::reordered(std::vector<std::uint16_t> from)
{
    const std::size_t bytes = from.size() * sizeof(std::uint16_t);
    add(Reorder{std::move(from)}, bytes);
}

void CTableJournal::layoutChanging(const CDataTable &table)
{
    if (m_overflowed)
        return;
    auto layout = std::make_unique<Layout>();
    layout->order = table.m_order;
    layout->fields = table.m_fields;
    layout->dbaseLengths = table.m_dbaseLengths;
    layout->totalWidth = table.m_totalWidth;
    layout->sdfFieldDelimiter = table.m_sdfFieldDelimiter;
    layout->sdfDataDelimiter = table.m_sdfDataDelimiter;
    std::size_t bytes = sizeof(Layout) + layout->fields.size() * sizeof(CDataTable::Field);
    for (const auto &field : layout->fields)
        bytes += stringBytes(field.name) + stringBytes(field.defaultValue);
    add(std::move(layout), bytes);
}

void CTableJournal::columnAdded(int column)
{
    add(ColumnAdded{column}, 0);
}

void CTableJournal::columnRemoving(const CDataTable &table, int column)
{
    if (m_overflowed)
        return;
    ColumnRemoved removed{column, {}};
    removed.values.reserve(static_cast<std::size_t>(table.GetRecordCount()));
    std::size_t bytes = 0;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        removed.values.emplace_back(table.GetRecord(i)->GetRawValueAt(column));
        bytes += sizeof(AnsiString) + stringBytes(removed.values.back());
    }
    add(std::move(removed), bytes);
}

// --- Applying ---

void CTableJournal::apply(CDataTable &table, Entry &entry, bool undo)
{
    auto &records = table.m_records;
    if (auto *value = std::get_if<Value>(&entry)) {
        CDataRecord &record = *value->record;
        AnsiString current(record.GetRawValueAt(value->column));
        const std::uint32_t time = record.GetModificationTime();
        record.storeAt(value->column, value->value);
        record.SetModificationTime(value->time);
        value->value = std::move(current);
        value->time = time;
    } else if (auto *mark = std::get_if<Mark>(&entry)) {
        const bool current = mark->record->IsMarked();
        mark->record->SetMark(mark->marked);
        mark->marked = current;
    } else if (auto *height = std::get_if<Height>(&entry)) {
        const int current = height->record->GetRowHeight();
        height->record->SetRowHeight(height->lines);
        height->lines = static_cast<std::uint8_t>(current);
    } else if (auto *marks = std::get_if<Marks>(&entry)) {
        const std::size_t count = std::min(marks->marked.size(), records.size());
        for (std::size_t i = 0; i < count; ++i) {
            const bool current = records[i]->IsMarked();
            records[i]->SetMark(marks->marked[i]);
            marks->marked[i] = current;
        }
    } else if (auto *block = std::get_if<Records>(&entry)) {
        const std::size_t count = block->indexes.size();
        if (block->inTable) {
            // Out of the table, in one pass that closes the gaps.
            block->held.clear();
            block->held.reserve(count);
            std::size_t next = 0;
            std::size_t kept = 0;
            for (std::size_t i = 0; i < records.size(); ++i) {
                if (next < count && block->indexes[next] == i) {
                    CDataRecord &record = *records[i];
                    table.m_totalHeight -= record.GetRowHeight();
                    if (record.IsMarked())
                        --table.m_markedCount;
                    table.releaseSlot(record);
                    record.m_owned = false;
                    block->held.push_back(std::move(records[i]));
                    ++next;
                } else {
                    if (kept != i)
                        records[kept] = std::move(records[i]);
                    ++kept;
                }
            }
            records.resize(kept);
        } else {
            // Back in at their places, in one pass from the end.
            const std::size_t total = records.size() + count;
            records.resize(total);
            std::size_t from = total - count; // one past the last record held before
            std::size_t next = count;
            for (std::size_t i = total; i-- > 0;) {
                if (next > 0 && block->indexes[next - 1] == i) {
                    --next;
                    table.adopt(*block->held[next]);
                    records[i] = std::move(block->held[next]);
                } else {
                    records[i] = std::move(records[--from]);
                }
            }
            block->held.clear();
            block->held.shrink_to_fit();
        }
        block->inTable = !block->inTable;
    } else if (auto *reorder = std::get_if<Reorder>(&entry)) {
        // After the change record j is the one that was at from[j].
        std::vector<std::unique_ptr<CDataRecord>> moved(records.size());
        const std::size_t count = std::min(records.size(), reorder->from.size());
        if (undo) {
            for (std::size_t j = 0; j < count; ++j)
                moved[reorder->from[j]] = std::move(records[j]);
        } else {
            for (std::size_t j = 0; j < count; ++j)
                moved[j] = std::move(records[reorder->from[j]]);
        }
        records.swap(moved);
    } else if (auto *layout = std::get_if<std::unique_ptr<Layout>>(&entry)) {
        Layout &l = **layout;
        std::swap(l.order, table.m_order);
        std::swap(l.fields, table.m_fields);
        std::swap(l.dbaseLengths, table.m_dbaseLengths);
        std::swap(l.totalWidth, table.m_totalWidth);
        std::swap(l.sdfFieldDelimiter, table.m_sdfFieldDelimiter);
        std::swap(l.sdfDataDelimiter, table.m_sdfDataDelimiter);
        table.invalidateSortKeys();
    } else if (auto *added = std::get_if<ColumnAdded>(&entry)) {
        for (auto &record : records) {
            if (undo)
                record->removeValueAt(added->column);
            else
                record->insertValueAt(added->column, {});
        }
        table.invalidateSortKeys();
    } else if (auto *removed = std::get_if<ColumnRemoved>(&entry)) {
        const std::size_t count = std::min(records.size(), removed->values.size());
        for (std::size_t i = 0; i < count; ++i) {
            if (undo)
                records[i]->insertValueAt(removed->column, removed->values[i]);
            else
                records[i]->removeValueAt(removed->column);
        }
        table.invalidateSortKeys();
    }
}

} // namespace orvel
