#pragma once

#include "platform/AnsiString.h"
#include "table/DataRecord.h"
#include "table/TableLimits.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvel {

struct SortKeys;
class SortKeyStore;
class CTableJournal;
class RecordBufferPool;

// The one table of a database: up to 32 fields and up to 30000 records.
//
// Fields are created in storage columns 0, 1, 2, ... and shown in display
// order; every operation takes a display position and maps it through the
// order array. Deleting a field closes the gap in the storage columns.
//
// Every change of fields, records and marks goes through the operations
// below, which keep these invariants: the marked count is the number of
// marked records, the total height is the sum of the row heights, the total
// width is the sum of the column widths, and every record holds one value
// per field.
class CDataTable
{
public:
    CDataTable();
    ~CDataTable();
    CDataTable(const CDataTable &) = delete;
    CDataTable &operator=(const CDataTable &) = delete;

    // --- Fields ---

    int GetFieldCount() const { return static_cast<int>(m_fields.size()); }
    // The storage column of a display position, or -1 when there is no
    // such field.
    int GetStorageColumn(int pos) const
    {
        return pos >= 0 && pos < GetFieldCount() ? m_order[static_cast<std::size_t>(pos)] : -1;
    }

    // The name as stored, with its mnemonic "&"; empty for no field.
    const AnsiString &GetFieldName(int pos) const;
    AnsiString GetPlainFieldName(int pos) const;
    // Renames the field; a position at or past the end creates a new field
    // at the end instead (loading and importers name fields into being).
    // Names are cut to 255 bytes. False when nothing was done (32 fields).
    bool SetFieldName(AnsiView name, int pos);
    // Another field with the same plain name as `name`, or -1. The field
    // dialog keeps plain names unique with it; the table accepts repeats.
    int FindPlainFieldName(AnsiView name, int exceptPos = -1) const;

    // Adds a field in a new last storage column and shows it at display
    // position `pos` (-1 or the field count: at the end): text type, width
    // 18, printed, empty default; every record gets an empty value. Returns
    // the display position, or -1 when the table has 32 fields already.
    int InsertField(AnsiView name, int pos = -1);
    // Removes the field; later storage columns move down by one and every
    // record drops the field's value. Without fields left no record stays
    // marked.
    bool DeleteField(int pos);
    // Applies a new display order: the field at new position i is the one
    // that was at oldPositions[i]. Refused unless it is a permutation.
    bool ApplyFieldOrder(const std::vector<int> &oldPositions);

    int GetFieldType(int pos) const;
    // Values are not rewritten; from now on they are read by the new type.
    // A media type narrows the column to 10 characters.
    bool SetFieldType(int type, int pos);
    // Decimals of a numeric field, date format 0-6 of a date field, bit value
    // 2 of a picture field for relative paths; 0 otherwise.
    int GetFieldFormat(int pos) const;
    bool SetFieldFormat(int format, int pos);
    // 1 when the field is printed in list printouts.
    int GetPrintFlag(int pos) const;
    bool SetPrintFlag(int flag, int pos);
    // The value a new record gets, normalised by type when it is put in.
    const AnsiString &GetDefaultValue(int pos) const;
    bool SetDefaultValue(AnsiView value, int pos);
    // List-view column width in characters.
    int GetColumnWidth(int pos) const;
    bool SetColumnWidth(int width, int pos);
    int GetTotalWidth() const { return m_totalWidth; }
    // Field length (0-255) read from a dBASE file, 0 for other fields. It
    // stays with its field when fields are inserted, deleted or reordered.
    int GetDbaseLength(int pos) const;
    bool SetDbaseLength(int length, int pos);

    char GetSdfFieldDelimiter() const { return m_sdfFieldDelimiter; }
    char GetSdfDataDelimiter() const { return m_sdfDataDelimiter; }
    void SetSdfDelimiters(char field, char data);

    // Set by every field operation and by the record commands.
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified = true) { m_modified = modified; }

    // --- Records ---

    int GetRecordCount() const { return static_cast<int>(m_records.size()); }
    CDataRecord *GetRecord(int index)
    {
        return index >= 0 && index < GetRecordCount() ? m_records[static_cast<std::size_t>(index)].get() : nullptr;
    }
    const CDataRecord *GetRecord(int index) const
    {
        return index >= 0 && index < GetRecordCount() ? m_records[static_cast<std::size_t>(index)].get() : nullptr;
    }
    // A new record for this table (not yet added).
    std::unique_ptr<CDataRecord> CreateRecord(bool stamp = true);
    // A new record holding values[pos] for the first `count` positions, as
    // SetRawValues would store them; `whole` tells whether none was cut.
    // Safe on several threads at once while the fields do not change; a
    // pool (one per thread) takes the buffers from its chunks.
    std::unique_ptr<CDataRecord> CreateRecord(const AnsiView *values, int count, bool stamp = true,
                                              bool *whole = nullptr, RecordBufferPool *pool = nullptr);

    // Takes the record into the table at the end, or before `index` (the
    // record count appends). A record made for another field layout is given
    // one value per field of this table. Returns its index, or -1 when the
    // table holds 30000 records already (the record is then discarded).
    int AddRecord(std::unique_ptr<CDataRecord> record);
    int InsertRecord(int index, std::unique_ptr<CDataRecord> record);
    // Takes a block of records in before `index` (the record count or -1
    // appends), in their order, as far as the record limit allows; the ones
    // that do not fit stay in `records`. One move of the array for the
    // whole block, where inserting one by one would move it for each record.
    // Returns how many were taken.
    int InsertRecords(int index, std::vector<std::unique_ptr<CDataRecord>> &records);
    bool RemoveRecord(int index);
    // Removes every marked record; returns how many. Indexes close up as if
    // each were removed in turn from the first.
    int RemoveMarkedRecords();
    void RemoveAllRecords();
    // Lets go of every record without freeing it, for a process that ends
    // right after: freeing 30000 records one by one would only add to the
    // time of a whole command. The table is empty afterwards.
    void AbandonRecordsAtExit();
    // For scans in table order: starts loading the records (and their
    // values) the scan reaches a little after `index`. After a sort they lie
    // all over the heap.
    void PrefetchAhead(int index) const
    {
        if (const CDataRecord *ahead = GetRecord(index + int(kPrefetchRecords)))
            ahead->PrefetchRecord();
        if (const CDataRecord *ahead = GetRecord(index + int(kPrefetchValues)))
            ahead->PrefetchValues();
    }

    void MarkAllRecords();
    void UnmarkAllRecords();
    int GetMarkedCount() const { return m_markedCount; }
    // Sum of the records' row heights, in lines.
    int GetTotalHeight() const { return m_totalHeight; }

    // Fields and records gone, back to the state of a new table.
    void Clear();

    // Bytes allocated for the records: the record objects, their value
    // buffers and the array that holds them.
    std::size_t RecordMemoryBytes() const;

    // --- Sorting (table/Sorter.cpp) ---

    // Sorts the records in place by up to three keys (display positions):
    // numeric fields by value, all other fields by the collation of their
    // whole stored values; records equal on all keys keep their order.
    // Returns 1, also when key 1 is unused (nothing is done then); 0 when
    // memory ran out, after which the keys are all unused and the table is
    // as it was. Sets modified.
    int Sort(SortKeys &keys);
    // Drops the keys kept between sorts (the next sort builds them anew).
    void ReleaseSortCache();
    // Bytes held by the keys kept between sorts.
    std::size_t SortCacheBytes() const;

    // --- Recording changes (table/TableJournal.h) ---

    // The journal that hears of every change from now on (null: none).
    CTableJournal *GetJournal() const { return m_journal; }
    // A number that every change of records, values, marks and fields
    // (column widths and row heights aside) replaces by one never used
    // before in this program run; undoing a step puts back the number the
    // table had before it. Equal numbers: the same state of the table.
    std::uint64_t GetRevision() const { return m_revision; }

private:
    friend class CDataRecord;
    friend class CTableJournal;
    void noteChange();
    // A field operation is about to change the fields.
    void layoutChanging();

    struct Field
    {
        AnsiString name;
        AnsiString defaultValue;
        std::int32_t type = 0;
        std::int32_t format = 0;
        std::int32_t printFlag = 1;
        std::uint16_t width = kNewFieldWidth;
    };

    Field *fieldAt(int pos);
    const Field *fieldAt(int pos) const;
    void adopt(CDataRecord &record);
    void releaseSlot(const CDataRecord &record);
    // A value of the storage column was stored.
    void sortValueChanged(int column);
    void invalidateSortKeys();

    // order[pos] = storage column; slots past the field count hold their own
    // index, so that the next field appended finds a fresh column there.
    std::array<std::uint16_t, kMaxFields + 1> m_order{};
    std::vector<Field> m_fields;                                // by storage column
    std::array<std::uint16_t, kMaxFields + 1> m_dbaseLengths{}; // by display position
    std::int32_t m_totalWidth = 0;
    bool m_modified = false;
    char m_sdfFieldDelimiter = ',';
    char m_sdfDataDelimiter = '"';

    std::vector<std::unique_ptr<CDataRecord>> m_records;
    std::int32_t m_markedCount = 0;
    std::int32_t m_totalHeight = 0;

    // Record slots: each record held gets a number below the record limit
    // that stays with it however the records move (the sort keeps its keys
    // by it). Numbers of removed records are given out again.
    std::vector<std::uint16_t> m_freeSlots;
    std::uint16_t m_slotCount = 0;
    std::unique_ptr<SortKeyStore> m_sortKeys; // made by the first sort
    CTableJournal *m_journal = nullptr;
    std::uint64_t m_revision = 0;
};

} // namespace orvel
