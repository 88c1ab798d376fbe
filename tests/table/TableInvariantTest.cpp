#include "table/FieldType.h"
#include "table/TableTestSupport.h"
#include "table/ValueFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace orvel;

namespace {

// What the table should hold, kept by display position with plain vectors.
struct Model
{
    struct Field
    {
        AnsiString name;
        int type = FT_TEXT;
        int width = 18;
        int dbaseLength = 0;
    };
    struct Record
    {
        std::vector<AnsiString> values;
        bool marked = false;
        int height = 1;
    };
    std::vector<Field> fields;
    std::vector<Record> records;
};

AnsiString storedForm(const AnsiString &value)
{
    AnsiString stored(TrimTrailingBlanks(value));
    if (stored.size() > kMaxValueLength)
        stored.resize(kMaxValueLength);
    return stored;
}

void ExpectSameAsModel(const CDataTable &table, const Model &model, int step)
{
    SCOPED_TRACE(testing::Message() << "after step " << step);
    ASSERT_EQ(table.GetFieldCount(), static_cast<int>(model.fields.size()));
    ASSERT_EQ(table.GetRecordCount(), static_cast<int>(model.records.size()));

    // The order array maps the positions onto distinct storage columns.
    std::vector<bool> seen(model.fields.size());
    int widths = 0;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        const int column = table.GetStorageColumn(pos);
        ASSERT_TRUE(column >= 0 && column < table.GetFieldCount());
        ASSERT_FALSE(seen[static_cast<std::size_t>(column)]);
        seen[static_cast<std::size_t>(column)] = true;
        const Model::Field &field = model.fields[static_cast<std::size_t>(pos)];
        EXPECT_EQ(table.GetFieldName(pos), field.name);
        EXPECT_EQ(table.GetFieldType(pos), field.type);
        EXPECT_EQ(table.GetColumnWidth(pos), field.width);
        EXPECT_EQ(table.GetDbaseLength(pos), field.dbaseLength);
        widths += table.GetColumnWidth(pos);
    }
    EXPECT_EQ(table.GetTotalWidth(), widths);

    int marked = 0;
    int height = 0;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord *record = table.GetRecord(i);
        const Model::Record &expected = model.records[static_cast<std::size_t>(i)];
        ASSERT_EQ(record->GetValueCount(), table.GetFieldCount());
        EXPECT_EQ(record->GetOwner(), &table);
        for (int pos = 0; pos < table.GetFieldCount(); ++pos)
            ASSERT_EQ(record->GetRawValue(pos), expected.values[static_cast<std::size_t>(pos)]) << "record " << i;
        EXPECT_EQ(record->IsMarked(), expected.marked);
        EXPECT_EQ(record->GetRowHeight(), expected.height);
        marked += record->IsMarked() ? 1 : 0;
        height += record->GetRowHeight();
    }
    EXPECT_EQ(table.GetMarkedCount(), marked);
    EXPECT_EQ(table.GetTotalHeight(), height);
}

class RandomOperations : public testing::TestWithParam<unsigned>
{
protected:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

    AnsiString randomValue()
    {
        const int length = pick(0, 3) == 0 ? pick(200, 300) : pick(0, 12);
        AnsiString value;
        for (int i = 0; i < length; ++i)
            value.push_back(static_cast<char>(pick(0, 4) == 0 ? ' ' : pick(0x21, 0xFF)));
        return value;
    }

    std::mt19937 rng{GetParam()};
};

TEST_P(RandomOperations, KeepTheTableAndItsInvariantsInStep)
{
    CDataTable table;
    Model model;
    const int steps = 2500;
    for (int step = 0; step < steps; ++step) {
        const int fieldCount = table.GetFieldCount();
        const int recordCount = table.GetRecordCount();
        switch (pick(0, 13)) {
        case 0: { // insert a field
            const int pos = pick(-1, fieldCount);
            const AnsiString name = "F" + std::to_string(step);
            const int at = table.InsertField(name, pos);
            if (fieldCount == kMaxFields) {
                ASSERT_EQ(at, -1);
                break;
            }
            ASSERT_EQ(at, pos < 0 ? fieldCount : pos);
            model.fields.insert(model.fields.begin() + at, {name});
            for (auto &record : model.records)
                record.values.insert(record.values.begin() + at, AnsiString());
            break;
        }
        case 1: // delete a field, less often than inserting
            if (fieldCount > 0 && pick(0, 1) == 0) {
                const int pos = pick(0, fieldCount - 1);
                ASSERT_TRUE(table.DeleteField(pos));
                model.fields.erase(model.fields.begin() + pos);
                for (auto &record : model.records) {
                    record.values.erase(record.values.begin() + pos);
                    if (model.fields.empty())
                        record.marked = false;
                }
            }
            break;
        case 2: // retype
            if (fieldCount > 0) {
                const int pos = pick(0, fieldCount - 1);
                const int type = pick(0, kFieldTypeCount - 1);
                table.SetFieldType(type, pos);
                model.fields[pos].type = type;
                if (IsMediaType(type))
                    model.fields[pos].width = kMediaFieldWidth;
            }
            break;
        case 3: // resize a column, set a dBASE length
            if (fieldCount > 0) {
                const int pos = pick(0, fieldCount - 1);
                const int width = pick(0, 40);
                const int length = pick(0, 255);
                table.SetColumnWidth(width, pos);
                table.SetDbaseLength(length, pos);
                model.fields[pos].width = width;
                model.fields[pos].dbaseLength = length;
            }
            break;
        case 4: { // reorder
            std::vector<int> order(static_cast<std::size_t>(fieldCount));
            std::iota(order.begin(), order.end(), 0);
            std::shuffle(order.begin(), order.end(), rng);
            ASSERT_TRUE(table.ApplyFieldOrder(order));
            const Model before = model;
            for (std::size_t i = 0; i < order.size(); ++i) {
                model.fields[i] = before.fields[order[i]];
                for (std::size_t r = 0; r < model.records.size(); ++r)
                    model.records[r].values[i] = before.records[r].values[order[i]];
            }
            break;
        }
        case 5:
        case 6: { // add or insert a record
            if (recordCount >= 40)
                break;
            auto record = table.CreateRecord(false);
            Model::Record expected;
            for (int pos = 0; pos < fieldCount; ++pos) {
                const AnsiString value = randomValue();
                record->SetRawValue(value, pos);
                expected.values.push_back(storedForm(value));
            }
            expected.marked = pick(0, 2) == 0;
            expected.height = pick(1, 3);
            record->SetMark(expected.marked);
            record->SetRowHeight(expected.height);
            const int index = pick(0, recordCount);
            ASSERT_EQ(table.InsertRecord(index, std::move(record)), index);
            model.records.insert(model.records.begin() + index, expected);
            break;
        }
        case 7: // remove a record
            if (recordCount > 0) {
                const int index = pick(0, recordCount - 1);
                ASSERT_TRUE(table.RemoveRecord(index));
                model.records.erase(model.records.begin() + index);
            }
            break;
        case 8: // mark or unmark
            if (recordCount > 0) {
                const int index = pick(0, recordCount - 1);
                const bool mark = pick(0, 1) == 1;
                table.GetRecord(index)->SetMark(mark);
                model.records[index].marked = mark;
            }
            break;
        case 9: // row height
            if (recordCount > 0) {
                const int index = pick(0, recordCount - 1);
                const int lines = pick(-1, 5);
                table.GetRecord(index)->SetRowHeight(lines);
                model.records[index].height = std::clamp(lines, 1, 3);
            }
            break;
        case 10:
        case 11: // set a value
            if (recordCount > 0 && fieldCount > 0) {
                const int index = pick(0, recordCount - 1);
                const int pos = pick(0, fieldCount - 1);
                const AnsiString value = randomValue();
                table.GetRecord(index)->SetRawValue(value, pos);
                model.records[index].values[pos] = storedForm(value);
            }
            break;
        case 12: // remove the marked records
            if (pick(0, 3) == 0) {
                const auto marked = std::count_if(model.records.begin(), model.records.end(),
                                                  [](const Model::Record &r) { return r.marked; });
                ASSERT_EQ(table.RemoveMarkedRecords(), marked);
                std::erase_if(model.records, [](const Model::Record &r) { return r.marked; });
            }
            break;
        default: // mark or unmark all, now and then drop everything
            if (pick(0, 30) == 0) {
                table.RemoveAllRecords();
                model.records.clear();
            } else {
                const bool mark = pick(0, 1) == 1;
                if (mark)
                    table.MarkAllRecords();
                else
                    table.UnmarkAllRecords();
                for (auto &record : model.records)
                    record.marked = mark;
            }
            break;
        }
        ExpectSameAsModel(table, model, step);
        if (HasFatalFailure() || HasNonfatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomOperations, testing::Values(1u, 7u, 1997u, 20261207u));

// A table at its limits with realistic German data.
class FullTable
{
public:
    explicit FullTable(unsigned seed)
        : m_rng(seed)
    {}

    void fill(CDataTable &table)
    {
        for (int i = 0; i < 20; ++i)
            table.InsertField("Text" + std::to_string(i), -1);
        for (int i = 0; i < 6; ++i) {
            table.SetFieldType(FT_NUMERIC, table.InsertField("Zahl" + std::to_string(i), -1));
            table.SetFieldType(FT_DATE, table.InsertField("Datum" + std::to_string(i), -1));
        }
        AnsiString value;
        for (int r = 0; r < kMaxRecords; ++r) {
            auto record = table.CreateRecord(false);
            for (int pos = 0; pos < kMaxFields; ++pos) {
                makeValue(table.GetFieldType(pos), pos, value);
                record->SetRawValue(value, pos);
                m_valueBytes += record->GetValueLength(pos);
            }
            table.AddRecord(std::move(record));
        }
    }

    std::size_t valueBytes() const { return m_valueBytes; }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    template<std::size_t N>
    const char *any(const char *const (&words)[N])
    {
        return words[pick(0, static_cast<int>(N) - 1)];
    }

    void makeValue(int type, int pos, AnsiString &out)
    {
        static const char *const first[] = {"J\xFCrgen", "Anna",     "G\xFCnther", "Br\xFCnhilde", "Karl-Heinz",
                                            "Sabine",    "\xD6zlem", "Wolfgang",   "Ursula",       "Maximilian"};
        static const char *const last[] = {"M\xFCller",
                                           "Schmidt",
                                           "Schr\xF6"
                                           "der",
                                           "Wei\xDF",
                                           "Kr\xE4mer",
                                           "Hoffmann",
                                           "Sch\xE4"
                                           "fer",
                                           "Bauer",
                                           "K\xF6nig",
                                           "Gro\xDF"
                                           "mann"};
        static const char *const city[] = {"M\xFCnchen",
                                           "K\xF6ln",
                                           "D\xFCsseldorf",
                                           "N\xFCrnberg",
                                           "Berlin",
                                           "Hamburg",
                                           "L\xFC"
                                           "beck",
                                           "G\xF6ttingen",
                                           "Saarbr\xFC"
                                           "cken"};
        static const char *const street[] = {"Hauptstra\xDF"
                                             "e",
                                             "Bahnhofstra\xDF"
                                             "e",
                                             "Am M\xFChlbach",
                                             "Goethestra\xDF"
                                             "e",
                                             "Schlo\xDF"
                                             "allee",
                                             "Lindenweg"};
        static const char *const words[] = {"bitte",
                                            "zur\xFC"
                                            "ckrufen",
                                            "Termin",
                                            "verschoben",
                                            "wegen",
                                            "Gesch\xE4"
                                            "ftsreise",
                                            "n\xE4"
                                            "chste",
                                            "Woche",
                                            "gr\xFC\xDF"
                                            "en",
                                            "Rechnung",
                                            "\xFC"
                                            "berwiesen",
                                            "Ansprechpartner",
                                            "f\xFC"
                                            "r",
                                            "und"};
        out.clear();
        if (type == FT_NUMERIC) {
            out = std::to_string(pick(0, 999999));
            if (pick(0, 1) == 1)
                out += "." + std::to_string(pick(0, 99));
            return;
        }
        if (type == FT_DATE) {
            out = std::to_string(pick(1930, 2026) * 10000 + pick(1, 12) * 100 + pick(1, 28));
            return;
        }
        switch (pos % 10) {
        case 0:
            out = any(first);
            break;
        case 1:
            out = any(last);
            break;
        case 2:
            out = any(street) + AnsiString(" ") + std::to_string(pick(1, 180));
            break;
        case 3:
            out = std::to_string(pick(10000, 99999)) + " " + any(city);
            break;
        case 4:
            out = "0" + std::to_string(pick(20, 999)) + " " + std::to_string(pick(100000, 9999999));
            break;
        case 5:
            out = AnsiString(any(first)) + "." + any(last) + "@example.de";
            break;
        case 9:
            if (pos == 9 || pos == 19) { // the two free notes, up to 255 bytes
                const std::size_t length = static_cast<std::size_t>(pick(0, 255));
                while (out.size() < length)
                    (out += any(words)) += ' ';
                out.resize(length);
                return;
            }
            [[fallthrough]];
        default:
            out = any(city);
            break;
        }
    }

    std::mt19937 m_rng;
    std::size_t m_valueBytes = 0;
};

std::size_t HeapInUse()
{
#if defined(__GLIBC__)
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

TEST(TableMemory, ThirtyThousandRecordsOfThirtyTwoFieldsStayCompact)
{
    constexpr std::size_t MiB = 1024 * 1024;
    const std::size_t heapBefore = HeapInUse();
    CDataTable table;
    FullTable data(20261207);
    data.fill(table);
    const std::size_t heapAfter = HeapInUse();
    const std::size_t heapGrowth = heapAfter > heapBefore ? heapAfter - heapBefore : 0;

    ASSERT_EQ(table.GetRecordCount(), kMaxRecords);
    EXPECT_GT(data.valueBytes(), 12 * MiB); // realistic: about 14 MB of text
    const std::size_t recordBytes = table.RecordMemoryBytes();
    RecordProperty("value_bytes", std::to_string(data.valueBytes()));
    RecordProperty("record_bytes", std::to_string(recordBytes));
    RecordProperty("heap_growth", std::to_string(heapGrowth));
    // The layout costs little beyond the text itself: offsets, the record
    // objects with their sort-key room, and rounding.
    EXPECT_LT(recordBytes, data.valueBytes() + 8 * MiB);
    EXPECT_LT(recordBytes, 40 * MiB);
    EXPECT_LT(heapGrowth, 40 * MiB); // what the allocator really handed out

    // Spot checks that the values are where they were put.
    const CDataRecord *last = table.GetRecord(kMaxRecords - 1);
    EXPECT_EQ(last->GetRawValue(21).size(), 8u);
    EXPECT_FALSE(last->GetDisplayValue(21).empty());
}

} // namespace
