#pragma once

#include "platform/AnsiString.h"
#include "table/RecordBuffer.h"
#include "table/TableLimits.h"
#include "table/ValueFormat.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvel {

class CDataTable;
class CTableJournal;
class RecordBufferPool;

// A value as a record stores it (SetRawValue): without its trailing blanks,
// and cut to 255 bytes (which clears `whole`). Writers that lay out records
// of their own store the same.
inline AnsiView ValueAsStored(AnsiView value, bool &whole)
{
    // Most values come without trailing blanks: one byte tells.
    if (!value.empty() && value.back() == ' ')
        value = TrimTrailingBlanks(value);
    if (value.size() > kMaxValueLength) {
        whole = false;
        return value.substr(0, kMaxValueLength);
    }
    return value;
}

// How far ahead scans over many records ask for a record object, and for its
// values (see CDataRecord::PrefetchRecord).
constexpr std::size_t kPrefetchRecords = 16;
constexpr std::size_t kPrefetchValues = 8;

// One record of a table: a value per field, its modification time, mark and
// row height, and scratch room for the sort's key prefixes.
//
// Values are addressed by display position (through the table's order
// array) or, for scans that have resolved the column already, by storage
// column. They live in one buffer per record: the end offsets of the values
// (16 bits each; a record holds at most 32 × 255 bytes) followed by the
// value bytes. A table at its limits of 30000 × 32 values then costs little
// more than its text, and reading a value is a view into the buffer.
class CDataRecord
{
public:
    // Prefixes of the values of the first two sort keys, zero-terminated.
    // The sort fills and reads them; they never decide a comparison alone.
    struct SortKeyCache
    {
        char key1[40] = {};
        char key2[30] = {};
        bool key1Complete = false; // key1 holds the whole value of a text key
        bool key2Complete = false;
    };

    // A record with one empty value per field of `table`, row height 1, not
    // marked. `stamp` sets the modification time to now; without it the
    // creator sets it (database loading takes it from the file). The record
    // belongs to the table once it is added or inserted there.
    explicit CDataRecord(CDataTable &table, bool stamp = true);
    // A record holding values[pos] for the first `count` display positions
    // and empty values after them, stored as SetRawValues stores them, with
    // one allocation: what loading and importing a whole record need. `whole`
    // (when given) tells whether every value fitted uncut. With a pool the
    // buffer is a piece of its chunks.
    CDataRecord(CDataTable &table, const AnsiView *values, int count, bool stamp, bool *whole = nullptr,
                RecordBufferPool *pool = nullptr);
    ~CDataRecord();
    CDataRecord(const CDataRecord &) = delete;
    CDataRecord &operator=(const CDataRecord &) = delete;

    // The table whose fields the record follows.
    CDataTable &GetTable() const { return *m_table; }
    // The table that holds the record, or null before it is added.
    CDataTable *GetOwner() const { return m_owned ? m_table : nullptr; }
    int GetValueCount() const { return m_count; }

    // Stores typed input normalised by the field's type and stamps the
    // record. Returns false when the field does not exist or the value had to
    // be cut to 255 bytes (the first 255 are stored).
    bool SetValue(AnsiView text, int pos);
    // Stores the text without its trailing blanks, otherwise verbatim
    // (importers, loading, copies). Same result as SetValue.
    bool SetRawValue(AnsiView text, int pos);
    // SetRawValue for the first `count` fields at once, values[pos] for
    // display position pos, with one allocation: what loading and importing
    // a whole record need. Returns false when a value had to be cut.
    bool SetRawValues(const AnsiView *values, int count);
    // The stored text; empty for a field that does not exist. The view is
    // valid until the record's values change.
    AnsiView GetRawValue(int pos) const;
    // The stored text shown by the field's type: numbers grouped with the
    // field's decimals, dates in the field's format, other types as stored.
    // Writes into `buffer` where it has to, so that a caller that keeps the
    // buffer does not allocate; the view is valid until the buffer or the
    // record changes.
    AnsiView GetDisplayValue(int pos, AnsiString &buffer) const;
    AnsiString GetDisplayValue(int pos) const;
    int GetValueLength(int pos) const { return static_cast<int>(GetRawValue(pos).size()); }
    // The bytes of all values together.
    std::size_t GetValuesSize() const { return textSize(); }

    // By storage column.
    AnsiView GetRawValueAt(int column) const
    {
        if (column < 0 || column >= m_count)
            return {};
        const std::uint16_t begin = column == 0 ? 0 : m_data[column - 1];
        return AnsiView(text() + begin, m_data[column] - begin);
    }

    // Seconds since 1970-01-01 UTC.
    std::uint32_t GetModificationTime() const { return m_modified; }
    void SetModificationTime(std::uint32_t seconds) { m_modified = seconds; }
    void Stamp();

    // Mark and row height keep the owning table's marked count and total
    // height in step.
    bool IsMarked() const { return m_marked; }
    // Returns true when the mark changed.
    bool SetMark(bool marked);
    int GetRowHeight() const { return m_rowHeight; }
    // Heights outside 1-3 lines are brought into that range.
    void SetRowHeight(int lines);

    SortKeyCache &GetSortKeyCache() { return m_sortKeys; }
    const SortKeyCache &GetSortKeyCache() const { return m_sortKeys; }

    // Bytes this record has allocated, itself included.
    std::size_t AllocatedBytes() const;

    // Hints for scans over many records, which lie all over the heap: start
    // loading the record object, or (once the object is loaded) the start of
    // its values, some records ahead of the one being read.
    void PrefetchRecord() const
    {
        __builtin_prefetch(this);
        __builtin_prefetch(reinterpret_cast<const char *>(this) + 64);
    }
    void PrefetchValues() const
    {
        const char *data = reinterpret_cast<const char *>(m_data.get());
        if (!data)
            return;
        __builtin_prefetch(data);
        if (m_capacity > 32) // words: the buffer reaches into a second line
            __builtin_prefetch(data + 64);
    }

private:
    friend class CDataTable;
    friend class SortKeyStore;
    friend class CTableJournal;

    const char *text() const { return reinterpret_cast<const char *>(m_data.get() + m_count); }
    char *text() { return reinterpret_cast<char *>(m_data.get() + m_count); }
    std::size_t textSize() const { return m_count == 0 ? 0 : m_data[m_count - 1]; }
    int columnOf(int pos) const;
    bool storeAt(int column, AnsiView value);
    // The table's field changes.
    void setOwner(CDataTable *owner);
    void appendEmptyValue();
    void removeValueAt(int column);
    // A value put in at the storage column; later ones move up by one.
    void insertValueAt(int column, AnsiView value);
    // The owning table's journal, when it records changes.
    CTableJournal *journal() const;
    void resizeValues(int count);
    // Makes room for `count` values and `textBytes` bytes of text; the
    // layout of the new buffer is for the caller to fill.
    RecordBuffer allocate(int count, std::size_t textBytes, std::uint16_t &capacity,
                          RecordBufferPool *pool = nullptr) const;

    SortKeyCache m_sortKeys;
    CDataTable *m_table;
    // End offsets of the values (m_count words), then the value bytes.
    RecordBuffer m_data;
    std::uint16_t m_capacity = 0; // in words
    std::uint8_t m_count = 0;
    bool m_owned = false;
    bool m_marked = false;
    std::uint8_t m_rowHeight = 1;
    // The table's number for the record while it holds it (below the record
    // limit, reused after removal); the sort keeps its keys by it.
    std::uint16_t m_slot = 0;
    std::uint32_t m_modified = 0;
};

} // namespace orvel
