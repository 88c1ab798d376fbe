#include "table/Search.h"

#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"
#include "table/ValueFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvel {

namespace {

// Text and value take part with at most this many bytes.
constexpr int kWorkingLength = 255;

constexpr std::array<unsigned char, 256> kIdentity = [] {
    std::array<unsigned char, 256> map{};
    for (std::size_t i = 0; i < map.size(); ++i)
        map[i] = static_cast<unsigned char>(i);
    return map;
}();

const unsigned char *bytes(AnsiView text)
{
    return reinterpret_cast<const unsigned char *>(text.data());
}

// The matching rule for one text and one set of options, prepared once and
// applied to many values. Values are folded through the case map while they
// are scanned, never copied: a search over a whole table must not allocate
// or copy per record.
class TextMatcher
{
public:
    TextMatcher(AnsiView text, std::uint32_t options)
        : m_fold((options & SO_MATCH_CASE) ? kIdentity.data() : UpperCaseMap().data())
        , m_length(static_cast<int>(std::min<std::size_t>(text.size(), kWorkingLength)))
        , m_negative(options & SO_NEGATIVE)
        , m_wholeWord(options & SO_WHOLE_WORD)
        , m_beginsWith(options & SO_BEGINS_WITH)
    {
        for (int i = 0; i < m_length; ++i)
            m_text[static_cast<std::size_t>(i)] = m_fold[bytes(text)[i]];
        if (m_length > 0) {
            m_vectorScan = variantsOf(m_text[0], m_first)
                           && variantsOf(m_text[static_cast<std::size_t>(m_length - 1)], m_last);
        }
    }

    int length() const { return m_length; }

    int match(AnsiView value, int start) const
    {
        if (m_negative && value.empty())
            return 0;
        start = std::max(start, 0);
        if (static_cast<std::size_t>(start) >= value.size())
            return -1;
        const unsigned char *v = bytes(value);
        const int n = static_cast<int>(std::min<std::size_t>(value.size(), kWorkingLength));

        int candidate = -1;
        if (m_beginsWith) {
            if (start + m_length <= n && equalFrom(v + start, 0) && (!m_wholeWord || isWholeWord(v, n, start)))
                candidate = start;
        } else if (m_length > 0) {
            int from = start;
            while (from < n) {
                const int found = find(v, n, from);
                if (found < 0)
                    break;
                if (!m_wholeWord || isWholeWord(v, n, found)) {
                    candidate = found;
                    break;
                }
                // The next try starts the text's length further on from the
                // previous start. Every start up to `found` would find the
                // same occurrence again, so step past it at once.
                from += ((found - from) / m_length + 1) * m_length;
            }
        }

        if (m_negative)
            return candidate < 0 ? 0 : -1;
        return candidate;
    }

private:
    // The bytes that fold to `folded`, twice the same one when there is
    // only one. False when there are more than two (the vector scan then
    // cannot test for them).
    bool variantsOf(unsigned char folded, std::array<unsigned char, 2> &out) const
    {
        int count = 0;
        for (int b = 0; b < 256; ++b) {
            if (m_fold[b] != folded)
                continue;
            if (count == 2)
                return false;
            out[static_cast<std::size_t>(count++)] = static_cast<unsigned char>(b);
        }
        if (count == 1)
            out[1] = out[0];
        return count > 0;
    }

    // Whether the value at `at` holds the text from its byte `first` on.
    bool equalFrom(const unsigned char *at, int first) const
    {
        for (int i = first; i < m_length; ++i) {
            if (m_fold[at[i]] != m_text[static_cast<std::size_t>(i)])
                return false;
        }
        return true;
    }

    bool isWholeWord(const unsigned char *v, int n, int at) const
    {
        const int end = at + m_length;
        return (at == 0 || !IsCharAlphaNumericA(v[at - 1])) && (end >= n || !IsCharAlphaNumericA(v[end]));
    }

    // The first occurrence of the text at or after `from` in the n bytes of
    // v, or -1. The text is not empty.
    int find(const unsigned char *v, int n, int from) const
    {
        const int lastStart = n - m_length;
        int i = from;
#if defined(__SSE2__)
        // Sixteen starts at a time: a start is a candidate when its first and
        // the text's last byte both fit; the bytes between are then compared
        // one by one. Both loads stay inside the value.
        if (m_vectorScan) {
            const __m128i first0 = _mm_set1_epi8(static_cast<char>(m_first[0]));
            const __m128i first1 = _mm_set1_epi8(static_cast<char>(m_first[1]));
            const __m128i last0 = _mm_set1_epi8(static_cast<char>(m_last[0]));
            const __m128i last1 = _mm_set1_epi8(static_cast<char>(m_last[1]));
            const int tail = m_length - 1;
            for (; i + 15 <= lastStart; i += 16) {
                const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i *>(v + i));
                const __m128i end = _mm_loadu_si128(reinterpret_cast<const __m128i *>(v + i + tail));
                const __m128i headFits = _mm_or_si128(_mm_cmpeq_epi8(head, first0), _mm_cmpeq_epi8(head, first1));
                const __m128i endFits = _mm_or_si128(_mm_cmpeq_epi8(end, last0), _mm_cmpeq_epi8(end, last1));
                auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(headFits, endFits)));
                while (mask != 0) {
                    const int at = i + std::countr_zero(mask);
                    if (equalFrom(v + at, 1))
                        return at;
                    mask &= mask - 1;
                }
            }
        }
#endif
        const unsigned char first = m_text[0];
        for (; i <= lastStart; ++i) {
            if (m_fold[v[i]] == first && equalFrom(v + i, 1))
                return i;
        }
        return -1;
    }

    const unsigned char *m_fold;
    std::array<unsigned char, kWorkingLength> m_text{};
    int m_length;
    bool m_negative;
    bool m_wholeWord;
    bool m_beginsWith;
    bool m_vectorScan = false;
    std::array<unsigned char, 2> m_first{};
    std::array<unsigned char, 2> m_last{};
};

// Records lie all over the heap, so a scan over a large table waits on
// memory far more than it compares bytes. A scan therefore asks for what it
// will read some records ahead: the record object, then the start of its
// values, then the searched value itself. These are hints only.
class RecordPrefetcher
{
public:
    RecordPrefetcher(const CDataTable &table, int column)
        : m_table(table)
        , m_column(column)
    {}

    // Forced inline: out of line the compiler sees a function without
    // effects and drops the call.
    [[gnu::always_inline]] void ahead(int index) const
    {
        if (const CDataRecord *far = m_table.GetRecord(index + static_cast<int>(kPrefetchRecords)))
            far->PrefetchRecord();
        if (const CDataRecord *near = m_table.GetRecord(index + static_cast<int>(kPrefetchValues)))
            near->PrefetchValues();
        if (const CDataRecord *next = m_table.GetRecord(index + kPrefetchValue)) {
            const AnsiView value = next->GetRawValueAt(m_column);
            for (std::size_t line = 0; line < value.size(); line += 64)
                __builtin_prefetch(value.data() + line);
        }
    }

private:
    static constexpr int kPrefetchValue = 4;
    const CDataTable &m_table;
    int m_column;
};

// One criterion applied to the records of one table.
class CriterionTest
{
public:
    CriterionTest(const CDataTable &table, const SearchCriterion &criterion)
        : m_field(criterion.field)
        , m_column(table.GetStorageColumn(criterion.field))
        , m_type(table.GetFieldType(criterion.field))
        , m_format(table.GetFieldFormat(criterion.field))
        , m_usable(m_column >= 0 && !criterion.text.empty())
        , m_locale(CurrentLocale())
        , m_matcher(criterion.text, criterion.options)
    {}

    bool usable() const { return m_usable; }
    int field() const { return m_field; }
    int column() const { return m_column; }

    // The record's display value (GetDisplayValue with the field looked up
    // once). `buffer` takes the display forms of numbers and dates; keeping
    // it across calls keeps the scan free of allocations.
    bool matches(const CDataRecord *record, AnsiString &buffer) const
    {
        return record && matchesValue(record->GetRawValueAt(m_column), buffer);
    }
    // The same for a value as it is stored.
    bool matchesValue(AnsiView raw, AnsiString &buffer) const
    {
        if (!m_usable)
            return false;
        const AnsiView value = FormatDisplayValue(m_type, m_format, raw, m_locale, buffer);
        return m_matcher.match(value, 0) >= 0;
    }

    // The next matching record after `start`, around the end; never `start`.
    int findNext(const CDataTable &table, int start, AnsiString &buffer) const
    {
        const int count = table.GetRecordCount();
        if (!m_usable || start < 0 || start >= count)
            return -1;
        const RecordPrefetcher prefetcher(table, m_column);
        for (int i = start + 1; i < count; ++i) {
            prefetcher.ahead(i);
            if (matches(table.GetRecord(i), buffer))
                return i;
        }
        for (int i = 0; i < start; ++i) {
            prefetcher.ahead(i);
            if (matches(table.GetRecord(i), buffer))
                return i;
        }
        return -1;
    }

private:
    int m_field;
    int m_column;
    int m_type;
    int m_format;
    bool m_usable;
    const LocaleInfo &m_locale;
    TextMatcher m_matcher;
};

// Whether the two criteria under the link mode hold, `test` telling for one
// criterion.
template<typename Test>
bool linked(const CriterionTest &first, const CriterionTest &second, int link, Test test)
{
    switch (link) {
    case SL_AND:
        return test(first) && test(second);
    case SL_OR:
        return test(first) || test(second);
    default:
        return test(first);
    }
}

bool meets(const CriterionTest &first, const CriterionTest &second, int link, const CDataRecord *record,
           AnsiString &buffer)
{
    return linked(first, second, link,
                  [&](const CriterionTest &criterion) { return criterion.matches(record, buffer); });
}

// meets() for the values of a record by display position, as a file holds
// them; a criterion on a position beyond them finds an empty value.
bool meetsValues(const CriterionTest &first, const CriterionTest &second, int link, const AnsiView *values, int count,
                 AnsiString &buffer)
{
    return linked(first, second, link, [&](const CriterionTest &criterion) {
        const int field = criterion.field();
        const AnsiView raw = field >= 0 && field < count ? TrimTrailingBlanks(values[field]) : AnsiView();
        return criterion.matchesValue(raw, buffer);
    });
}

AnsiString displayBuffer()
{
    AnsiString buffer;
    buffer.reserve(kMaxValueLength + 1);
    return buffer;
}

} // namespace

int MatchText(AnsiView text, AnsiView value, std::uint32_t options, int start)
{
    return TextMatcher(text, options).match(value, start);
}

bool RecordMatches(const CDataTable &table, const SearchCriterion &criterion, int index)
{
    AnsiString buffer;
    return CriterionTest(table, criterion).matches(table.GetRecord(index), buffer);
}

bool RecordMeetsSpec(const CDataTable &table, const SearchSpec &spec, int link, int index)
{
    AnsiString buffer;
    return meets(CriterionTest(table, spec.criterion1), CriterionTest(table, spec.criterion2), link,
                 table.GetRecord(index), buffer);
}

int FindNext(const CDataTable &table, const SearchCriterion &criterion, int start)
{
    AnsiString buffer = displayBuffer();
    return CriterionTest(table, criterion).findNext(table, start, buffer);
}

int FindRecord(const CDataTable &table, const SearchSpec &spec, int link, int start, int &outField)
{
    AnsiString buffer = displayBuffer();
    const CriterionTest first(table, spec.criterion1);
    const int r1 = first.findNext(table, start, buffer);

    if (link == SL_AND) {
        const CriterionTest second(table, spec.criterion2);
        if (r1 < 0 || second.findNext(table, start, buffer) < 0)
            return -1;
        // Walk the records that meet criterion 1, in search order, until one
        // meets criterion 2 as well. The walk wraps around the end and may
        // pass the start record; that one is skipped, as every search skips
        // it.
        int r = r1;
        do {
            if (r != start && second.matches(table.GetRecord(r), buffer)) {
                outField = first.field();
                return r;
            }
            r = first.findNext(table, r, buffer);
        } while (r >= 0 && r != r1);
        return -1;
    }

    if (link == SL_OR) {
        const CriterionTest second(table, spec.criterion2);
        const int r2 = second.findNext(table, start, buffer);
        if (r1 < 0 && r2 < 0)
            return -1;
        const int count = table.GetRecordCount();
        auto distance = [&](int r) { return r - start + (r < start ? count : 0); };
        const bool firstWins = r2 < 0 || (r1 >= 0 && distance(r1) <= distance(r2));
        outField = firstWins ? first.field() : second.field();
        return firstWins ? r1 : r2;
    }

    if (r1 >= 0)
        outField = first.field();
    return r1;
}

int ReplaceInRecord(CDataTable &table, const SearchCriterion &criterion, int index)
{
    CDataRecord *record = table.GetRecord(index);
    if (!record || criterion.field < 0 || criterion.field >= table.GetFieldCount())
        return 0;
    const int type = table.GetFieldType(criterion.field);
    // A media value names an object; changing its text would lose the
    // object. An empty search text would be found again behind every
    // replacement (with SO_BEGINS_WITH) and never end.
    if (!IsDataType(type) || criterion.text.empty())
        return 0;

    const AnsiString original = record->GetDisplayValue(criterion.field);
    AnsiString value = original;
    const TextMatcher matcher(criterion.text, criterion.options);
    int offset = 0;
    while (true) {
        const int p = matcher.match(value, offset);
        if (p < 0)
            break;
        if (criterion.options & SO_NEGATIVE) {
            value = criterion.replacement;
            break;
        }
        value.replace(static_cast<std::size_t>(p), static_cast<std::size_t>(matcher.length()), criterion.replacement);
        offset = p + static_cast<int>(criterion.replacement.size());
    }
    if (value == original)
        return 0;

    // A result that the record would have to cut loses the end of the user's
    // value; such a record keeps its value instead.
    AnsiString stored;
    NormaliseInput(type, value, CurrentLocale(), stored);
    if (stored.size() > kMaxValueLength)
        return 0;

    table.SetModified();
    record->SetValue(value, criterion.field);
    return 1;
}

int ReplaceAll(CDataTable &table, const SearchCriterion &criterion, const std::function<bool(int next)> &proceed)
{
    const CriterionTest test(table, criterion);
    if (!test.usable())
        return 0;
    AnsiString buffer = displayBuffer();
    int count = 0;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        if (proceed && i % 64 == 0 && !proceed(i))
            break;
        if (test.matches(table.GetRecord(i), buffer))
            count += ReplaceInRecord(table, criterion, i);
    }
    return count;
}

struct SearchSpecTest::Tests
{
    CriterionTest first;
    CriterionTest second;
    int link;
};

SearchSpecTest::SearchSpecTest(const CDataTable &table, const SearchSpec &spec, int link)
    : m_tests(std::make_unique<Tests>(
            Tests{CriterionTest(table, spec.criterion1), CriterionTest(table, spec.criterion2), link}))
{}

SearchSpecTest::~SearchSpecTest() = default;

bool SearchSpecTest::Meets(const AnsiView *values, int count, AnsiString &buffer) const
{
    return meetsValues(m_tests->first, m_tests->second, m_tests->link, values, count, buffer);
}

int MarkMatches(CDataTable &table, const SearchSpec &spec, int link)
{
    const CriterionTest first(table, spec.criterion1);
    const CriterionTest second(table, spec.criterion2);
    AnsiString buffer = displayBuffer();
    const RecordPrefetcher prefetcher(table, first.column());
    int count = 0;
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        prefetcher.ahead(i);
        CDataRecord *record = table.GetRecord(i);
        if (!record->IsMarked() && meets(first, second, link, record, buffer) && record->SetMark(true))
            ++count;
    }
    table.SetModified();
    return count;
}

} // namespace orvel
