#include "table/Sorter.h"
#include "table/TableJournal.h"

#include "platform/Collation.h"
#include "platform/Nls.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/SortKeys.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

// Sorting: whole values decide, and records that compare equal keep their
// order (a prefix could order two values differently from their whole
// texts, which would make the comparison inconsistent).
//
// Every comparison of two records would otherwise cost a collation of two
// texts (or two number conversions). Instead each key field gets one 64-bit
// key per record whose unsigned order is the field's order, and the sort
// orders (key 1, key 2, key 3, old index) tuples: integer comparisons only,
// and the old index makes the order stable. The keys stay with the table
// (SortKeyStore) until a value of their field changes, so sorting again by the
// same fields skips the collation entirely.

namespace orvel {

namespace {

bool g_failNextAllocation = false;

// An order-preserving 64-bit pattern of a finite double: negative numbers
// have all bits flipped, others only the sign bit.
std::uint64_t orderedBits(double value)
{
    if (value == 0.0)
        value = 0.0; // -0 and 0 are the same number
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return (bits & (std::uint64_t(1) << 63)) ? ~bits : bits | (std::uint64_t(1) << 63);
}

// A stored date "yyyyMMdd" as a number; false for anything but 8 digits.
bool dateDigits(AnsiView value, std::uint64_t &number)
{
    if (value.size() != 8)
        return false;
    std::uint64_t n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + std::uint64_t(c - '0');
    }
    number = n;
    return true;
}

// The record's prefix cache: the first bytes of the
// key's value and whether they are the whole value of a text key. Nothing
// reads them to decide an order.
template<std::size_t Size>
bool fillPrefix(char (&cache)[Size], AnsiView value, bool numeric)
{
    const std::size_t length = std::min(value.size(), Size - 1);
    if (length != 0)
        std::memcpy(cache, value.data(), length);
    cache[length] = '\0';
    return value.size() <= Size - 1 && !numeric;
}

} // namespace

void FailNextSortAllocation()
{
    g_failNextAllocation = true;
}

const std::vector<std::uint64_t> &SortKeyStore::Keys(const std::vector<std::unique_ptr<CDataRecord>> &records,
                                                     std::size_t recordSlots, int column, int type)
{
    Column &c = m_columns[std::size_t(column)];
    const std::uint64_t localeGeneration = CurrentLocaleGeneration();
    if (c.valid && c.type == type && c.recordsGeneration == m_recordsGeneration
        && c.localeGeneration == localeGeneration && c.keys.size() >= recordSlots)
        return c.keys;

    c.valid = false;
    c.keys.resize(recordSlots);
    bool done = false;
    if (type == FT_NUMERIC) {
        for (const auto &record : records)
            c.keys[record->m_slot] = orderedBits(ReadSortNumber(record->GetRawValueAt(column)));
        done = true;
    } else if (type == FT_DATE) {
        // Stored dates of 8 digits, or empty: their collation order is the
        // order of the numbers, and empty comes first. Any other text ("##",
        // a date the platform refused) sends the field through the collation
        // like text, so that all its values keep one consistent order.
        done = true;
        for (const auto &record : records) {
            const AnsiView value = record->GetRawValueAt(column);
            std::uint64_t number = 0;
            if (value.empty()) {
                c.keys[record->m_slot] = 0;
            } else if (dateDigits(value, number)) {
                c.keys[record->m_slot] = number + 1;
            } else {
                done = false;
                break;
            }
        }
    }
    if (!done) {
        std::vector<AnsiView> values;
        values.reserve(records.size());
        for (const auto &record : records)
            values.push_back(record->GetRawValueAt(column));
        std::vector<std::uint32_t> ranks;
        CollationRanks(values, ranks);
        for (std::size_t i = 0; i < records.size(); ++i)
            c.keys[records[i]->m_slot] = ranks[i];
    }

    c.type = type;
    c.recordsGeneration = m_recordsGeneration;
    c.localeGeneration = localeGeneration;
    c.valid = true;
    return c.keys;
}

std::size_t SortKeyStore::Bytes() const
{
    std::size_t bytes = sizeof(*this);
    for (const Column &c : m_columns)
        bytes += c.keys.capacity() * sizeof(std::uint64_t);
    bytes += m_items1.capacity() * sizeof(m_items1[0]) + m_items2.capacity() * sizeof(m_items2[0])
             + m_items3.capacity() * sizeof(m_items3[0]) + m_spareRecords.capacity() * sizeof(m_spareRecords[0]);
    return bytes;
}

void SortKeyStore::Sort(std::vector<std::unique_ptr<CDataRecord>> &records, std::size_t recordSlots,
                        const KeySpec *specs, int keyCount)
{
    ActiveKey active[3];
    for (int k = 0; k < keyCount; ++k) {
        active[k].keys = Keys(records, recordSlots, specs[k].column, specs[k].type).data();
        active[k].flip = specs[k].descending ? ~std::uint64_t(0) : 0;
    }
    switch (keyCount) {
    case 1:
        sortBy(records, active, specs, m_items1);
        break;
    case 2:
        sortBy(records, active, specs, m_items2);
        break;
    default:
        sortBy(records, active, specs, m_items3);
        break;
    }
}

template<int KeyCount>
void SortKeyStore::sortBy(std::vector<std::unique_ptr<CDataRecord>> &records, const ActiveKey *active,
                          const KeySpec *specs, std::vector<SortItem<KeyCount>> &items)
{
    const std::size_t n = records.size();
    // The last allocations; from here nothing can fail.
    items.resize(n);
    m_spareRecords.resize(n);

    // One pass over the records: their keys, and their prefix caches
    // (nothing reads those to decide an order). The
    // records lie all over the heap; asking for them ahead keeps several
    // loads under way at once.
    const int column1 = specs[0].column;
    const int column2 = KeyCount > 1 ? specs[1].column : -1;
    const bool numeric1 = specs[0].type == FT_NUMERIC;
    const bool numeric2 = KeyCount > 1 && specs[1].type == FT_NUMERIC;
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kPrefetchRecords < n)
            records[i + kPrefetchRecords]->PrefetchRecord();
        if (i + kPrefetchValues < n)
            records[i + kPrefetchValues]->PrefetchValues();
        CDataRecord &record = *records[i];
        const std::uint16_t slot = record.m_slot;
        SortItem<KeyCount> &item = items[i];
        for (int k = 0; k < KeyCount; ++k)
            item.key[k] = active[k].keys[slot] ^ active[k].flip;
        item.index = std::uint32_t(i);

        CDataRecord::SortKeyCache &cache = record.GetSortKeyCache();
        cache.key1Complete = fillPrefix(cache.key1, record.GetRawValueAt(column1), numeric1);
        if (KeyCount > 1)
            cache.key2Complete = fillPrefix(cache.key2, record.GetRawValueAt(column2), numeric2);
    }

    std::sort(items.begin(), items.end());
    for (std::size_t i = 0; i < n; ++i)
        m_spareRecords[i] = std::move(records[items[i].index]);
    records.swap(m_spareRecords);
}

int CDataTable::Sort(SortKeys &keys)
{
    // The keys that take part: key 2 only after key 1, key 3 only after key 2.
    SortKeyStore::KeySpec specs[3];
    int keyCount = 0;
    for (const SortKey &key : keys.key) {
        const int column = GetStorageColumn(key.field);
        if (column < 0)
            break;
        specs[keyCount++] = {column, GetFieldType(key.field), key.descending == 1};
    }
    if (keyCount == 0)
        return 1;

    try {
        if (g_failNextAllocation) {
            g_failNextAllocation = false;
            throw std::bad_alloc();
        }
        if (!m_sortKeys)
            m_sortKeys = std::make_unique<SortKeyStore>();
        // A journal keeps the permutation: where each record came from.
        std::vector<std::uint16_t> placeBySlot;
        if (m_journal) {
            placeBySlot.resize(m_slotCount);
            for (std::size_t i = 0; i < m_records.size(); ++i)
                placeBySlot[m_records[i]->m_slot] = static_cast<std::uint16_t>(i);
        }
        m_sortKeys->Sort(m_records, m_slotCount, specs, keyCount);
        if (m_journal) {
            std::vector<std::uint16_t> from(m_records.size());
            bool moved = false;
            for (std::size_t j = 0; j < m_records.size(); ++j) {
                from[j] = placeBySlot[m_records[j]->m_slot];
                moved = moved || from[j] != j;
            }
            if (moved)
                m_journal->reordered(std::move(from));
        }
        noteChange();
    } catch (const std::bad_alloc &) {
        // The keys being built are invalid (their columns say so); the
        // collation cache may be half merged, so it goes too.
        ReleaseCollationCache();
        keys.Reset();
        return 0;
    }

    m_modified = true;
    return 1;
}

void CDataTable::ReleaseSortCache()
{
    m_sortKeys.reset();
}

std::size_t CDataTable::SortCacheBytes() const
{
    return m_sortKeys ? m_sortKeys->Bytes() : 0;
}

} // namespace orvel
