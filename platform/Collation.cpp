#include "platform/Collation.h"

#include "platform/Codepage.h"
#include "platform/Nls.h"

#include <QCollator>

#include <algorithm>
#include <functional>
#include <iterator>
#include <mutex>

namespace orvel {

namespace {

// Stored values hold at most 255 bytes; those convert on the stack.
constexpr std::size_t kStackChars = 256;

// About 20 MB of cached texts and keys: three key fields of a full table
// (30000 records each) fit with room to spare.
constexpr std::size_t kMaxCachedValues = std::size_t(1) << 17;

// A text as UTF-16, without a heap allocation for the usual short values.
class Utf16Text
{
public:
    explicit Utf16Text(AnsiView text)
        : m_size(static_cast<qsizetype>(text.size()))
    {
        if (text.size() <= kStackChars) {
            for (std::size_t i = 0; i < text.size(); ++i)
                m_small[i] = AnsiCharToUnicode(static_cast<unsigned char>(text[i]));
        } else {
            m_large = AnsiToQString(text);
        }
    }
    Utf16Text(const Utf16Text &) = delete;
    Utf16Text &operator=(const Utf16Text &) = delete;

    QStringView view() const { return isSmall() ? QStringView(m_small, m_size) : QStringView(m_large); }
    // Borrows the buffer; valid only while this object lives.
    QString string() const
    {
        return isSmall() ? QString::fromRawData(reinterpret_cast<const QChar *>(m_small), m_size) : m_large;
    }

private:
    bool isSmall() const { return m_size <= qsizetype(kStackChars); }

    qsizetype m_size;
    char16_t m_small[kStackChars];
    QString m_large;
};

// Opening a collator costs about 60 µs (ICU loads the locale's tailoring on
// first use), far too much per comparison. Each thread keeps its own, because
// QCollator initialises itself lazily inside const calls.
const QCollator &currentCollator()
{
    struct Cached
    {
        std::uint64_t generation = 0;
        std::optional<QCollator> collator;
    };
    thread_local Cached cached;
    const std::uint64_t generation = CurrentLocaleGeneration();
    if (!cached.collator || cached.generation != generation) {
        QCollator collator(CurrentLocale().locale);
        collator.setCaseSensitivity(Qt::CaseSensitive);
        collator.setNumericMode(false);
        collator.setIgnorePunctuation(false);
        collator.compare(QStringView(u"a"), QStringView(u"b")); // open it now, not in the middle of a sort
        cached.collator = std::move(collator);
        cached.generation = generation;
    }
    return *cached.collator;
}

QCollatorSortKey sortKeyOf(const QCollator &collator, AnsiView text)
{
    const Utf16Text utf16(text);
    return collator.sortKey(utf16.string());
}

// Every distinct non-empty value seen recently, with its collation key and its
// rank among all of them. New values are keyed, sorted among themselves and
// merged into the ordered list; then the ranks are renumbered.
class RankCache
{
public:
    void rank(const std::vector<AnsiView> &values, std::vector<std::uint32_t> &ranks)
    {
        const std::uint64_t generation = CurrentLocaleGeneration();
        if (generation != m_generation || m_entries.size() > kMaxCachedValues) {
            clear();
            m_generation = generation;
        }

        // Entry numbers first (the empty text needs none), ranks at the end.
        constexpr std::uint32_t kEmpty = UINT32_MAX;
        ranks.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            ranks[i] = values[i].empty() ? kEmpty : findOrAdd(values[i]);

        if (m_keys.size() < m_entries.size())
            mergeNewEntries();

        for (std::uint32_t &r : ranks)
            r = r == kEmpty ? 0 : m_entries[r].rank;
    }

    void clear()
    {
        m_entries = {};
        m_keys = {};
        m_order = {};
        m_slots = {};
    }

private:
    struct Entry
    {
        AnsiString text;
        std::size_t hash;
        std::uint32_t rank;
    };

    std::uint32_t findOrAdd(AnsiView text)
    {
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            grow();
        const std::size_t hash = std::hash<AnsiView>{}(text);
        const std::size_t mask = m_slots.size() - 1;
        std::size_t slot = hash & mask;
        while (m_slots[slot] != 0) {
            const std::uint32_t index = m_slots[slot] - 1;
            const Entry &entry = m_entries[index];
            if (entry.hash == hash && entry.text == text)
                return index;
            slot = (slot + 1) & mask;
        }
        m_entries.push_back({AnsiString(text), hash, 0});
        m_slots[slot] = static_cast<std::uint32_t>(m_entries.size());
        return static_cast<std::uint32_t>(m_entries.size() - 1);
    }

    void grow()
    {
        const std::size_t size = std::max<std::size_t>(1024, m_slots.size() * 2);
        m_slots.assign(size, 0);
        const std::size_t mask = size - 1;
        for (std::size_t index = 0; index < m_entries.size(); ++index) {
            std::size_t slot = m_entries[index].hash & mask;
            while (m_slots[slot] != 0)
                slot = (slot + 1) & mask;
            m_slots[slot] = static_cast<std::uint32_t>(index + 1);
        }
    }

    void mergeNewEntries()
    {
        const QCollator &collator = currentCollator();
        const std::size_t firstNew = m_keys.size();
        m_keys.reserve(m_entries.size());
        for (std::size_t index = firstNew; index < m_entries.size(); ++index)
            m_keys.push_back(sortKeyOf(collator, m_entries[index].text));

        const auto before = [this](std::uint32_t a, std::uint32_t b) { return m_keys[a].compare(m_keys[b]) < 0; };
        std::vector<std::uint32_t> fresh(m_entries.size() - firstNew);
        for (std::size_t i = 0; i < fresh.size(); ++i)
            fresh[i] = static_cast<std::uint32_t>(firstNew + i);
        std::sort(fresh.begin(), fresh.end(), before);

        std::vector<std::uint32_t> merged;
        merged.reserve(m_entries.size());
        std::merge(m_order.begin(), m_order.end(), fresh.begin(), fresh.end(), std::back_inserter(merged), before);
        m_order.swap(merged);

        std::uint32_t rank = 0;
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            if (i == 0 || m_keys[m_order[i - 1]].compare(m_keys[m_order[i]]) != 0)
                ++rank;
            m_entries[m_order[i]].rank = rank;
        }
    }

    std::uint64_t m_generation = 0;
    std::vector<Entry> m_entries;
    std::vector<QCollatorSortKey> m_keys; // by entry number
    std::vector<std::uint32_t> m_order;   // entry numbers in collation order
    std::vector<std::uint32_t> m_slots;   // open addressing: entry number + 1, 0 when free
};

std::mutex g_rankCacheMutex;

RankCache &rankCache()
{
    static RankCache cache;
    return cache;
}

} // namespace

int lstrcmpA(AnsiView a, AnsiView b)
{
    if (a.empty() || b.empty())
        return a.empty() ? (b.empty() ? 0 : -1) : 1;
    const Utf16Text left(a);
    const Utf16Text right(b);
    const int result = currentCollator().compare(left.view(), right.view());
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int CollationKey::compare(const CollationKey &other) const
{
    // The collator gives the empty text the same key as a text of ignorable
    // characters; the empty text must still come first.
    if (!m_key || !other.m_key)
        return !m_key ? (!other.m_key ? 0 : -1) : 1;
    const int result = m_key->compare(*other.m_key);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

CollationKey MakeCollationKey(AnsiView text)
{
    if (text.empty())
        return CollationKey();
    return CollationKey(sortKeyOf(currentCollator(), text));
}

void CollationRanks(const std::vector<AnsiView> &values, std::vector<std::uint32_t> &ranks)
{
    const std::lock_guard lock(g_rankCacheMutex);
    rankCache().rank(values, ranks);
}

std::vector<std::uint32_t> CollationRanks(const std::vector<AnsiView> &values)
{
    std::vector<std::uint32_t> ranks;
    CollationRanks(values, ranks);
    return ranks;
}

void ReleaseCollationCache()
{
    const std::lock_guard lock(g_rankCacheMutex);
    rankCache().clear();
}

} // namespace orvel
