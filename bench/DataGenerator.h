#pragma once

#include "platform/AnsiString.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orvel::bench {

// Realistic German data at the table's limits, always the same for a seed:
// 20 text fields (names, addresses with umlauts, two free notes of up to 255
// bytes), 6 numeric fields and 6 date fields. Values are stored forms
// (Windows-1252, numbers with ".", dates "yyyyMMdd" or empty).
struct GeneratedField
{
    AnsiString name;
    int type = 0;   // field type code
    int format = 0; // decimals for numbers, date format index for dates
};

class DataGenerator
{
public:
    static constexpr int kFieldCount = 32;
    static constexpr int kRecordCount = 30000;

    explicit DataGenerator(uint64_t seed = 19961224);

    static std::vector<GeneratedField> Fields();
    // The next record's values, in field order.
    void nextRecord(std::vector<AnsiString> &values);
    // Runs `sink` for `count` records.
    void generate(int count, const std::function<void(const std::vector<AnsiString> &)> &sink);

private:
    uint64_t next();
    int below(int n) { return int(next() % uint64_t(n)); }
    template<size_t N>
    const char *pick(const char *const (&choices)[N])
    {
        return choices[below(int(N))];
    }
    AnsiString number(int maxInt, int decimals, bool allowNegative);
    AnsiString date(int fromYear, int toYear, int emptyPercent);
    AnsiString notes(int maxBytes);

    uint64_t m_state;
};

} // namespace orvel::bench
