#pragma once

#include "platform/AnsiString.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace orvel {

class CDataRecord;
class CDataTable;

// The changes one step made to a table, kept so that the step can be taken
// back and done again.
//
// While a journal is attached (CDataTable::SetJournal), the table's own
// operations report each change to it before they make it: a value about to
// be stored (the record, the column, the old value and time of change), a
// mark or row height, records coming in or going out (the ones going out are
// kept here, not destroyed), a new order of the records (a sort records the
// permutation, not the records), and the field layout before a field
// operation. So a cell edit costs one value, a sort two bytes per record and
// a replace-all the cells it changed.
//
// Undo walks the changes backwards and Redo forwards; each puts the table
// exactly into the state the other left. Both refuse (and change nothing)
// unless the table is in the state the journal expects: the one the last
// Record, Undo or Redo left, which the table's revision counter tells.
class CTableJournal
{
public:
    // A step that would hold more than this gives up its changes.
    static constexpr std::size_t kDefaultByteLimit = std::size_t{64} << 20;

    explicit CTableJournal(std::size_t byteLimit = kDefaultByteLimit);
    ~CTableJournal();
    CTableJournal(const CTableJournal &) = delete;
    CTableJournal &operator=(const CTableJournal &) = delete;

    // Starts recording the table's changes; Finish stops. Records only if
    // the journal is empty and not attached to a table already.
    bool Begin(CDataTable &table);
    void Finish();

    bool IsEmpty() const { return m_entries.empty() && !m_overflowed; }
    // The changes needed more than the byte limit: they are dropped, and the
    // step cannot be taken back.
    bool Overflowed() const { return m_overflowed; }
    // Bytes the journal holds (its entries, their values and the records
    // it keeps).
    std::size_t Bytes() const { return m_bytes; }
    // Whether the changes are in effect (after Finish and Redo) or taken
    // back (after Undo).
    bool IsDone() const { return m_done; }

    // False, changing nothing, when the table is not in the state the
    // journal left it in, or the journal overflowed.
    bool CanApply(const CDataTable &table) const;
    bool Undo(CDataTable &table);
    bool Redo(CDataTable &table);

    // The number of changes recorded (tests, diagnostics).
    std::size_t EntryCount() const { return m_entries.size(); }

    // Typing into one cell: a journal that holds the one value of one cell.
    bool IsSingleValue(const CDataRecord *&record, int &column) const;
    // Takes `next` (typing into the same cell, recorded right after this
    // one) into this journal: the value before both stays here, and the
    // state after `next` becomes the one this journal leaves. False, and
    // nothing done, when they do not fit together.
    bool Absorb(CTableJournal &next);
    // A single-value journal whose cell holds the value (and time) it would
    // put back: undoing it would change nothing.
    bool ChangesNothing() const;

private:
    friend class CDataTable;
    friend class CDataRecord;

    // A value of a record before it was stored (swapped with the record's
    // own value each time the step is undone or redone).
    struct Value
    {
        CDataRecord *record;
        std::uint32_t time;
        std::uint8_t column;
        AnsiString value;
    };
    struct Mark
    {
        CDataRecord *record;
        bool marked;
    };
    struct Height
    {
        CDataRecord *record;
        std::uint8_t lines;
    };
    // Every record's mark by index (marking or unmarking all at once).
    struct Marks
    {
        std::vector<bool> marked;
    };
    // Records that came into the table (inTable) or left it: their indexes
    // in the table that holds them, ascending. The records out of the table
    // are held here.
    struct Records
    {
        std::vector<std::uint16_t> indexes;
        std::vector<std::unique_ptr<CDataRecord>> held;
        bool inTable;
    };
    // The records after the change: record j was the one at from[j].
    struct Reorder
    {
        std::vector<std::uint16_t> from;
    };
    // The table's fields before a field operation.
    struct Layout;
    // A storage column appended to every record (a new field).
    struct ColumnAdded
    {
        int column;
    };
    // A storage column taken from every record, with its values by index.
    struct ColumnRemoved
    {
        int column;
        std::vector<AnsiString> values;
    };
    using Entry = std::variant<Value, Mark, Height, Marks, Records, Reorder, std::unique_ptr<Layout>, ColumnAdded,
                               ColumnRemoved>;

    // The table's hooks; each is called before the change is made.
    void valueStoring(CDataRecord &record, int column);
    void markChanging(CDataRecord &record);
    void heightChanging(CDataRecord &record);
    void marksChanging(const CDataTable &table);
    void recordsInserted(int index, int count);
    // The table hands over records it removes: `indexes` (ascending) are
    // their places before the removal.
    void recordsRemoved(std::vector<std::uint16_t> indexes, std::vector<std::unique_ptr<CDataRecord>> records);
    void reordered(std::vector<std::uint16_t> from);
    void layoutChanging(const CDataTable &table);
    void columnAdded(int column);
    void columnRemoving(const CDataTable &table, int column);

    void add(Entry entry, std::size_t bytes);
    void overflow();
    void apply(CDataTable &table, Entry &entry, bool undo);

    CDataTable *m_recording = nullptr;
    std::vector<Entry> m_entries;
    std::size_t m_bytes = 0;
    std::size_t m_byteLimit;
    // The table's revision before the changes and after them.
    std::uint64_t m_revisionBefore = 0;
    std::uint64_t m_revisionAfter = 0;
    bool m_overflowed = false;
    bool m_done = false;
};

} // namespace orvel
