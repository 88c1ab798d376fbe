#pragma once

#include "platform/AnsiString.h"

#include <QCollatorSortKey>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvel {

// Text order of the current locale: Qt's collator (ICU in our Qt builds),
// case sensitive, multi-level (letters, then accents, then case, lower case
// first), digits compared as characters. The empty text sorts before every
// other text, even one made only of characters the collator ignores.
//
// Returns <0, 0 or >0. Values that differ only in ignorable characters
// compare equal.
int lstrcmpA(AnsiView a, AnsiView b);

// A precomputed form of a text whose comparison gives exactly lstrcmpA's
// order. Keys are only comparable while the current locale stays the same.
class CollationKey
{
public:
    CollationKey() = default; // the key of the empty text

    int compare(const CollationKey &other) const;
    bool isEmptyText() const { return !m_key.has_value(); }

private:
    friend CollationKey MakeCollationKey(AnsiView text);
    explicit CollationKey(QCollatorSortKey key)
        : m_key(std::move(key))
    {}

    std::optional<QCollatorSortKey> m_key;
};

CollationKey MakeCollationKey(AnsiView text);

// The collation rank of each value: values that compare equal get the same
// rank, and a smaller rank means an earlier place (the empty text is 0). Ranks
// are comparable only within one call; they need not be consecutive.
//
// Sorting by ranks turns every later comparison into an integer comparison.
// Ranks come from a cache of every distinct value seen recently, kept in
// collation order, so sorting the same table again costs one hash look-up per
// value; only values new to the cache are keyed and merged in.
std::vector<std::uint32_t> CollationRanks(const std::vector<AnsiView> &values);
void CollationRanks(const std::vector<AnsiView> &values, std::vector<std::uint32_t> &ranks);

// Drops the cache behind CollationRanks (it also empties itself when it grows
// past a fixed number of values, and when the locale changes).
void ReleaseCollationCache();

} // namespace orvel
