#include "table/Duplicates.h"

#include "platform/Nls.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/GermanFold.h"
#include "table/SortKeys.h"
#include "table/ValueFormat.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <unordered_map>

// The search as designed compares every record with each later record of its
// run in field 0, which is quadratic in the length of a run: a table of
// 30000 addresses has runs of hundreds of equal surnames. We find the same
// pairs by grouping instead: within a run, the records whose display values
// agree in every compared field form a group, and processing record i marks
// exactly the later members of i's group. Only the first member of a group
// marks anything new (the later members find records the first has marked
// already), so marking a group's later members when its first member comes
// up gives the same marks at every point where Escape can stop the search.

namespace orvel {

namespace {

// For every record: the next later record of its group (-1 = none), and
// whether it is the first of its group.
struct DuplicateGroups
{
    std::vector<std::int32_t> next;
    std::vector<std::uint8_t> first;
};

// The display positions to compare besides field 0: existing fields of a data
// type, each once. Field 0 is equal within a run anyway.
std::vector<int> comparedFields(const CDataTable &table, const std::vector<int> &selected)
{
    std::vector<int> fields;
    for (const int pos : selected) {
        if (pos <= 0 || pos >= table.GetFieldCount() || !IsDataType(table.GetFieldType(pos)))
            continue;
        if (std::find(fields.begin(), fields.end(), pos) == fields.end())
            fields.push_back(pos);
    }
    return fields;
}

// A field resolved once for the whole search.
struct ResolvedField
{
    int column;
    int type;
    int format;
};

ResolvedField resolve(const CDataTable &table, int pos)
{
    return {table.GetStorageColumn(pos), table.GetFieldType(pos), table.GetFieldFormat(pos)};
}

// What CDataRecord::GetDisplayValue shows, without looking the field up
// again for every record.
AnsiView displayValue(const CDataRecord &record, const ResolvedField &field, const LocaleInfo &loc, AnsiString &buffer)
{
    return FormatDisplayValue(field.type, field.format, record.GetRawValueAt(field.column), loc, buffer);
}

DuplicateGroups findGroups(const CDataTable &table, const std::vector<int> &positions)
{
    const int n = table.GetRecordCount();
    const LocaleInfo &loc = CurrentLocale();
    const ResolvedField first = resolve(table, 0);
    std::vector<ResolvedField> fields;
    for (const int pos : positions)
        fields.push_back(resolve(table, pos));

    // One pass over the records: the runs of equal display values in field
    // 0, and the compared display values of every record, each written as a
    // length byte and its bytes (display values hold at most 255 bytes), so
    // that two records agree in all fields exactly when their spans are
    // equal. The buffers keep their room from record to record, so that
    // formatting numbers and dates does not allocate.
    struct Candidate
    {
        std::uint32_t run;
        std::uint32_t index;
        std::size_t hash;
        std::uint32_t offset;
        std::uint32_t size;
    };
    std::vector<Candidate> candidates(static_cast<std::size_t>(n));
    std::vector<char> bytes;
    bytes.reserve(std::size_t(n) * (fields.size() * 16 + 1));
    AnsiString runValue;
    AnsiString buffer;
    runValue.reserve(256);
    buffer.reserve(256);
    std::uint32_t run = 0;
    for (int i = 0; i < n; ++i) {
        table.PrefetchAhead(i);
        const CDataRecord &record = *table.GetRecord(i);
        const AnsiView value = displayValue(record, first, loc, buffer);
        if (i == 0 || value != runValue) {
            ++run;
            runValue.assign(value);
        }
        const auto offset = std::uint32_t(bytes.size());
        for (const ResolvedField &field : fields) {
            const AnsiView shown = displayValue(record, field, loc, buffer).substr(0, 255);
            bytes.push_back(char(std::uint8_t(shown.size())));
            bytes.insert(bytes.end(), shown.begin(), shown.end());
        }
        candidates[std::size_t(i)] = {run, std::uint32_t(i), 0, offset, std::uint32_t(bytes.size() - offset)};
    }
    const auto span = [&bytes](const Candidate &c) { return AnsiView(bytes.data() + c.offset, c.size); };
    for (Candidate &c : candidates)
        c.hash = std::hash<AnsiView>{}(span(c));

    // Groups: same run, same values; within a group by record index.
    std::sort(candidates.begin(), candidates.end(), [&span](const Candidate &a, const Candidate &b) {
        if (a.run != b.run)
            return a.run < b.run;
        if (a.hash != b.hash)
            return a.hash < b.hash;
        const int c = span(a).compare(span(b));
        if (c != 0)
            return c < 0;
        return a.index < b.index;
    });

    DuplicateGroups groups;
    groups.next.assign(std::size_t(n), -1);
    groups.first.assign(std::size_t(n), 1);
    for (std::size_t k = 1; k < candidates.size(); ++k) {
        const Candidate &a = candidates[k - 1];
        const Candidate &b = candidates[k];
        if (a.run == b.run && a.hash == b.hash && span(a) == span(b)) {
            groups.next[a.index] = std::int32_t(b.index);
            groups.first[b.index] = 0;
        }
    }
    return groups;
}

// The similar-spelling search: every record gets one key made of its
// compared values (field 0 and the selected data fields), text values folded
// the German way and, when comparing by sound, coded by the Kölner Phonetik;
// numbers and dates as shown. Records with equal keys form a group wherever
// they stand in the sorted table, because folding does not keep the sort
// order of field 0 ("Mueller" sorts far from "Müller"). A hash map finds the
// groups in one pass; each group is chained in record order, so that the
// marks come out as in the classic search: the first record of a group stays
// unmarked.
DuplicateGroups findSimilarGroups(const CDataTable &table, const std::vector<int> &positions, DuplicateMatch match)
{
    const int n = table.GetRecordCount();
    const LocaleInfo &loc = CurrentLocale();
    std::vector<ResolvedField> fields{resolve(table, 0)};
    for (const int pos : positions)
        fields.push_back(resolve(table, pos));

    std::vector<std::uint32_t> offsets(std::size_t(n) + 1, 0);
    AnsiString bytes;
    bytes.reserve(std::size_t(n) * (fields.size() * 16 + 2));
    AnsiString buffer;
    AnsiString scratch;
    buffer.reserve(256);
    scratch.reserve(512);
    for (int i = 0; i < n; ++i) {
        table.PrefetchAhead(i);
        const CDataRecord &record = *table.GetRecord(i);
        for (const ResolvedField &field : fields) {
            const AnsiView shown = displayValue(record, field, loc, buffer).substr(0, 255);
            // Two length bytes, filled in after the key: folding can double
            // the length of a value (every "ß" becomes "ss").
            const std::size_t lengthAt = bytes.size();
            bytes.append(2, '\0');
            if (field.type != FT_TEXT)
                bytes.append(shown);
            else if (match == DuplicateMatch::Sound)
                AppendPhoneticKey(shown, bytes, scratch);
            else
                AppendGermanFolded(shown, bytes);
            const std::size_t length = bytes.size() - lengthAt - 2;
            bytes[lengthAt] = char(length & 0xFF);
            bytes[lengthAt + 1] = char(length >> 8);
        }
        offsets[std::size_t(i) + 1] = std::uint32_t(bytes.size());
    }

    DuplicateGroups groups;
    groups.next.assign(std::size_t(n), -1);
    groups.first.assign(std::size_t(n), 1);
    // Key -> the last record of its group so far.
    std::unordered_map<AnsiView, std::int32_t> last;
    last.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const AnsiView key(bytes.data() + offsets[std::size_t(i)],
                           offsets[std::size_t(i) + 1] - offsets[std::size_t(i)]);
        const auto [it, inserted] = last.try_emplace(key, std::int32_t(i));
        if (!inserted) {
            groups.next[std::size_t(it->second)] = std::int32_t(i);
            groups.first[std::size_t(i)] = 0;
            it->second = std::int32_t(i);
        }
    }
    return groups;
}

} // namespace

int MarkDuplicates(CDataTable &table, const std::vector<int> &selectedFields, DuplicateMatch match)
{
    if (table.GetFieldCount() == 0)
        return 0;
    auto progress = services().beginProgress(ids::kCaptionDuplicateSearch, 0, table.GetRecordCount());

    // Everything that allocates comes before the first mark, so that running
    // out of memory leaves the marks as they were.
    DuplicateGroups groups;
    SortKeys keys;
    keys.key[0] = {0, 0};
    bool ready = table.Sort(keys) != 0;
    if (ready) {
        try {
            const std::vector<int> compared = comparedFields(table, selectedFields);
            groups = match == DuplicateMatch::Exact ? findGroups(table, compared)
                                                    : findSimilarGroups(table, compared, match);
        } catch (const std::bad_alloc &) {
            ready = false;
        }
    }
    if (!ready) {
        progress.reset();
        MessageBoxById(ids::kMsgOutOfMemory);
        return -1;
    }

    int marked = 0;
    const int n = table.GetRecordCount();
    for (int i = 0; i < n; ++i) {
        if (i % 100 == 0)
            progress->setPos(i);
        if (EscapePressedAndConfirmed())
            break;
        if (!groups.first[std::size_t(i)])
            continue;
        for (std::int32_t j = groups.next[std::size_t(i)]; j >= 0; j = groups.next[std::size_t(j)]) {
            if (table.GetRecord(j)->SetMark(true))
                ++marked;
        }
    }
    return marked;
}

bool MarkDuplicatesCommand(CDataTable &table, const std::vector<int> &selectedFields, DuplicateMatch match)
{
    if (MessageBoxById(ids::kMsgDuplicateSearchConfirm, MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
        return false;
    bool unmarked = false;
    if (table.GetMarkedCount() > 0
        && MessageBoxById(ids::kMsgRemoveMarksFirst, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes) {
        table.UnmarkAllRecords();
        unmarked = true;
    }

    const int marked = MarkDuplicates(table, selectedFields, match);
    if (marked >= 0 || unmarked)
        table.SetModified();
    if (marked == 1)
        MessageBoxById(ids::kMsgDuplicatesMarkedOne, MsgIcon::Information);
    else if (marked > 1)
        MessageBoxById(ids::kMsgDuplicatesMarkedMany, MsgIcon::Information, MsgButtons::Ok, {QString::number(marked)});
    return marked >= 0;
}

} // namespace orvel
