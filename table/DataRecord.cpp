#include "table/DataRecord.h"

#include "platform/Clock.h"
#include "platform/Nls.h"
#include "platform/ShortCopy.h"
#include "table/DataTable.h"
#include "table/RecordBufferPool.h"
#include "table/TableJournal.h"
#include "table/TableLimits.h"
#include "table/ValueFormat.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace orvel {

namespace {

// Lays out `count` values, each taken from `valueAt`, into a fresh buffer.
template<typename ValueAt>
void fillBuffer(std::uint16_t *data, int count, ValueAt valueAt)
{
    char *out = reinterpret_cast<char *>(data + count);
    std::uint16_t end = 0;
    for (int i = 0; i < count; ++i) {
        const AnsiView value = valueAt(i);
        CopyShort(out + end, value.data(), value.size());
        end = static_cast<std::uint16_t>(end + value.size());
        data[i] = end;
    }
}

// Buffers grow and shrink in steps of 16 bytes, so that typing into a value
// rarely moves the record while little room is left unused.
constexpr std::size_t kGranuleWords = 8;

bool insideBuffer(AnsiView view, const char *begin, std::size_t bytes)
{
    const std::less<const char *> before;
    return !view.empty() && !before(view.data(), begin) && before(view.data(), begin + bytes);
}

} // namespace

// Inline: making a record looks up every one of its columns.
inline int CDataRecord::columnOf(int pos) const
{
    const int column = m_table->GetStorageColumn(pos);
    return column < m_count ? column : -1;
}

CDataRecord::CDataRecord(CDataTable &table, bool stamp)
    : m_table(&table)
{
    resizeValues(table.GetFieldCount());
    if (stamp)
        Stamp();
}

CDataRecord::CDataRecord(CDataTable &table, const AnsiView *values, int count, bool stamp, bool *whole,
                         RecordBufferPool *pool)
    : m_table(&table)
{
    const int fields = std::clamp(table.GetFieldCount(), 0, kMaxFields);
    m_count = static_cast<std::uint8_t>(fields);
    count = std::clamp(count, 0, fields);
    AnsiView byColumn[kMaxFields];
    std::size_t bytes = 0;
    bool uncut = true;
    for (int pos = 0; pos < count; ++pos) {
        const int column = columnOf(pos);
        if (column < 0)
            continue;
        const AnsiView value = ValueAsStored(values[pos], uncut);
        bytes += value.size() - byColumn[column].size();
        byColumn[column] = value;
    }
    m_data = allocate(fields, bytes, m_capacity, pool);
    if (m_data)
        fillBuffer(m_data.get(), fields, [&](int column) { return byColumn[column]; });
    if (stamp)
        Stamp();
    if (whole)
        *whole = uncut;
}

CDataRecord::~CDataRecord() = default;

void CDataRecord::Stamp()
{
    m_modified = static_cast<std::uint32_t>(Clock::NowUtcSeconds());
}

bool CDataRecord::SetValue(AnsiView text, int pos)
{
    const int column = columnOf(pos);
    if (column < 0)
        return false;
    AnsiString normalised;
    NormaliseInput(m_table->GetFieldType(pos), text, CurrentLocale(), normalised);
    // Stored first, so that a journal keeps the time of change from before.
    const bool whole = storeAt(column, normalised);
    Stamp();
    return whole;
}

bool CDataRecord::SetRawValue(AnsiView text, int pos)
{
    const int column = columnOf(pos);
    if (column < 0)
        return false;
    return storeAt(column, TrimTrailingBlanks(text));
}

bool CDataRecord::SetRawValues(const AnsiView *values, int count)
{
    count = std::clamp(count, 0, int{m_count});
    AnsiView byColumn[kMaxFields + 1];
    for (int column = 0; column < m_count; ++column)
        byColumn[column] = GetRawValueAt(column);
    bool whole = true;
    for (int pos = 0; pos < count; ++pos) {
        const int column = columnOf(pos);
        if (column < 0)
            continue;
        byColumn[column] = ValueAsStored(values[pos], whole);
        if (m_owned) {
            if (CTableJournal *recording = journal())
                recording->valueStoring(*this, column);
            m_table->sortValueChanged(column);
            m_table->noteChange();
        }
    }
    std::size_t bytes = 0;
    for (int column = 0; column < m_count; ++column)
        bytes += byColumn[column].size();
    // Values may view the old buffer; it stays alive until the new one is
    // filled.
    std::uint16_t capacity = 0;
    auto data = allocate(m_count, bytes, capacity);
    if (data)
        fillBuffer(data.get(), m_count, [&](int column) { return byColumn[column]; });
    m_data = std::move(data);
    m_capacity = capacity;
    return whole;
}

AnsiView CDataRecord::GetRawValue(int pos) const
{
    return GetRawValueAt(m_table->GetStorageColumn(pos));
}

AnsiView CDataRecord::GetDisplayValue(int pos, AnsiString &buffer) const
{
    const int column = columnOf(pos);
    if (column < 0) {
        buffer.clear();
        return buffer;
    }
    return FormatDisplayValue(m_table->GetFieldType(pos), m_table->GetFieldFormat(pos), GetRawValueAt(column),
                              CurrentLocale(), buffer);
}

AnsiString CDataRecord::GetDisplayValue(int pos) const
{
    AnsiString buffer;
    return AnsiString(GetDisplayValue(pos, buffer));
}

bool CDataRecord::SetMark(bool marked)
{
    if (marked == m_marked)
        return false;
    if (CTableJournal *recording = journal())
        recording->markChanging(*this);
    m_marked = marked;
    if (m_owned) {
        m_table->m_markedCount += marked ? 1 : -1;
        m_table->noteChange();
    }
    return true;
}

void CDataRecord::SetRowHeight(int lines)
{
    const int height = std::clamp(lines, kMinRowHeight, kMaxRowHeight);
    if (height != m_rowHeight) {
        if (CTableJournal *recording = journal())
            recording->heightChanging(*this);
    }
    if (m_owned)
        m_table->m_totalHeight += height - m_rowHeight;
    m_rowHeight = static_cast<std::uint8_t>(height);
}

std::size_t CDataRecord::AllocatedBytes() const
{
    return sizeof(*this) + std::size_t{m_capacity} * sizeof(std::uint16_t);
}

RecordBuffer CDataRecord::allocate(int count, std::size_t textBytes, std::uint16_t &capacity,
                                   RecordBufferPool *pool) const
{
    std::size_t words = static_cast<std::size_t>(count) + (textBytes + 1) / 2;
    if (words == 0) {
        capacity = 0;
        return {};
    }
    words = (words + kGranuleWords - 1) / kGranuleWords * kGranuleWords;
    capacity = static_cast<std::uint16_t>(words);
    return pool ? pool->Allocate(words) : RecordBuffer::Owned(words);
}

bool CDataRecord::storeAt(int column, AnsiView value)
{
    // The sort's keys of this field no longer hold for the record.
    if (m_owned) {
        if (CTableJournal *recording = journal())
            recording->valueStoring(*this, column);
        m_table->sortValueChanged(column);
        m_table->noteChange();
    }
    const bool whole = value.size() <= kMaxValueLength;
    if (!whole)
        value = value.substr(0, kMaxValueLength);
    // A value taken from this very record must survive the move below.
    AnsiString copy;
    if (insideBuffer(value, reinterpret_cast<const char *>(m_data.get()), std::size_t{m_capacity} * 2)) {
        copy.assign(value);
        value = copy;
    }

    const std::size_t begin = column == 0 ? 0 : m_data[column - 1];
    const std::size_t end = m_data[column];
    const std::size_t oldText = textSize();
    const std::size_t newText = oldText - (end - begin) + value.size();
    const std::size_t needed = static_cast<std::size_t>(m_count) + (newText + 1) / 2;

    if (needed <= m_capacity && m_capacity - needed < 2 * kGranuleWords) {
        char *t = text();
        std::memmove(t + begin + value.size(), t + end, oldText - end);
        if (!value.empty())
            std::memcpy(t + begin, value.data(), value.size());
        const auto delta = static_cast<int>(value.size()) - static_cast<int>(end - begin);
        for (int i = column; i < m_count; ++i)
            m_data[i] = static_cast<std::uint16_t>(m_data[i] + delta);
        return whole;
    }

    std::uint16_t capacity = 0;
    auto data = allocate(m_count, newText, capacity);
    fillBuffer(data.get(), m_count, [&](int i) { return i == column ? value : GetRawValueAt(i); });
    m_data = std::move(data);
    m_capacity = capacity;
    return whole;
}

void CDataRecord::resizeValues(int count)
{
    count = std::clamp(count, 0, kMaxFields);
    if (count == m_count)
        return;
    std::size_t bytes = 0;
    for (int i = 0; i < std::min<int>(count, m_count); ++i)
        bytes += GetRawValueAt(i).size();
    std::uint16_t capacity = 0;
    auto data = allocate(count, bytes, capacity);
    if (data)
        fillBuffer(data.get(), count, [&](int i) { return i < m_count ? GetRawValueAt(i) : AnsiView(); });
    m_data = std::move(data);
    m_capacity = capacity;
    m_count = static_cast<std::uint8_t>(count);
}

void CDataRecord::appendEmptyValue()
{
    resizeValues(m_count + 1);
}

void CDataRecord::removeValueAt(int column)
{
    if (column < 0 || column >= m_count)
        return;
    const int count = m_count - 1;
    const std::size_t bytes = textSize() - GetRawValueAt(column).size();
    std::uint16_t capacity = 0;
    auto data = allocate(count, bytes, capacity);
    if (data)
        fillBuffer(data.get(), count, [&](int i) { return GetRawValueAt(i < column ? i : i + 1); });
    m_data = std::move(data);
    m_capacity = capacity;
    m_count = static_cast<std::uint8_t>(count);
}

void CDataRecord::insertValueAt(int column, AnsiView value)
{
    if (column < 0 || column > m_count || m_count >= kMaxFields)
        return;
    value = value.substr(0, std::min(value.size(), kMaxValueLength));
    const int count = m_count + 1;
    std::uint16_t capacity = 0;
    auto data = allocate(count, textSize() + value.size(), capacity);
    if (data) {
        fillBuffer(data.get(), count, [&](int i) {
            return i < column ? GetRawValueAt(i) : i == column ? value : GetRawValueAt(i - 1);
        });
    }
    m_data = std::move(data);
    m_capacity = capacity;
    m_count = static_cast<std::uint8_t>(count);
}

CTableJournal *CDataRecord::journal() const
{
    return m_owned ? m_table->m_journal : nullptr;
}

void CDataRecord::setOwner(CDataTable *owner)
{
    m_table = owner;
    m_owned = true;
}

} // namespace orvel
