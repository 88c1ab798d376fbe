#pragma once

#include "table/TableLimits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvel {

class CDataRecord;

// One record's place in a sort by KeyCount keys: its keys (descending ones
// inverted) and its index before the sort, which breaks ties and so makes
// the sort stable.
template<int KeyCount>
struct SortItem
{
    std::uint64_t key[KeyCount];
    std::uint32_t index;

    friend bool operator<(const SortItem &a, const SortItem &b)
    {
        for (int k = 0; k < KeyCount; ++k) {
            if (a.key[k] != b.key[k])
                return a.key[k] < b.key[k];
        }
        return a.index < b.index;
    }
};

// The sort keys of a table's fields, kept between sorts so that sorting again
// by the same fields costs no collation work.
//
// For each storage column that has been sorted by, one 64-bit key per record
// whose unsigned order is the sort's ascending order of the stored values:
// the collation rank of text (equal texts, equal ranks), the value of a
// number in an order-preserving bit pattern, the digits of a date. Keys are
// indexed by the record's slot (a number the table gives each record it
// holds), so that they stay with their records however the records move.
//
// The table drops a column's keys when one of its values is stored, when its
// type changes or fields are inserted or deleted, and all keys when records
// arrive (a new record has no key yet). Removing records leaves the keys of
// the others valid. Keys built under another locale are rebuilt.
class SortKeyStore
{
public:
    void InvalidateColumn(int column)
    {
        if (column >= 0 && column < kMaxFields)
            m_columns[std::size_t(column)].valid = false;
    }
    void InvalidateAll()
    {
        for (Column &column : m_columns)
            column.valid = false;
    }
    // A record came in: every key vector lacks its key.
    void RecordsAdded() { ++m_recordsGeneration; }

    // Sorts `records` stably by the keys (storage column, type, direction),
    // building the keys that are not valid. Throws std::bad_alloc before it
    // changes anything; the keys being built are then invalid.
    struct KeySpec
    {
        int column;
        int type;
        bool descending;
    };
    void Sort(std::vector<std::unique_ptr<CDataRecord>> &records, std::size_t recordSlots, const KeySpec *specs,
              int keyCount);

    // The keys of a storage column of type `type` for every record, indexed
    // by slot (`recordSlots` = one more than the highest slot in use), built now
    // unless they are still valid. May throw std::bad_alloc; the column is
    // then invalid.
    const std::vector<std::uint64_t> &Keys(const std::vector<std::unique_ptr<CDataRecord>> &records,
                                           std::size_t recordSlots, int column, int type);

    std::size_t Bytes() const;

private:
    struct ActiveKey
    {
        const std::uint64_t *keys; // by record slot
        std::uint64_t flip;        // all ones for a descending key
    };
    template<int KeyCount>
    void sortBy(std::vector<std::unique_ptr<CDataRecord>> &records, const ActiveKey *active, const KeySpec *specs,
                std::vector<SortItem<KeyCount>> &items);

    struct Column
    {
        bool valid = false;
        int type = 0;
        std::uint64_t recordsGeneration = 0;
        std::uint64_t localeGeneration = 0;
        std::vector<std::uint64_t> keys; // by record slot
    };

    std::array<Column, kMaxFields> m_columns{};
    std::uint64_t m_recordsGeneration = 0;

    // Work arrays kept from sort to sort: a full table's arrays are large
    // enough that fresh ones would cost a page fault every few records.
    std::vector<SortItem<1>> m_items1;
    std::vector<SortItem<2>> m_items2;
    std::vector<SortItem<3>> m_items3;
    std::vector<std::unique_ptr<CDataRecord>> m_spareRecords; // empty pointers
};

} // namespace orvel
