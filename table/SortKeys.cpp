#include "table/SortKeys.h"

#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/ValueFormat.h"

#include <charconv>
#include <cmath>

namespace orvel {

int SortKeys::ActiveCount() const
{
    int count = 0;
    while (count < int(key.size()) && key[std::size_t(count)].IsSet())
        ++count;
    return count;
}

SortKeys ApplySortDialogSelections(const SortKeys &current, const std::array<SortKeySelection, 3> &selections)
{
    SortKeys keys = current;
    for (std::size_t k = 0; k < keys.key.size(); ++k) {
        const SortKeySelection &chosen = selections[k];
        if (chosen.field >= 0) {
            bool repeated = false;
            for (std::size_t earlier = 0; earlier < k; ++earlier)
                repeated = repeated || keys.key[earlier].field == chosen.field;
            keys.key[k].field = repeated ? -1 : chosen.field;
        }
        keys.key[k].descending = chosen.descending;
    }

    const auto moveDown = [&keys](std::size_t from) {
        SortKey &to = keys.key[from - 1];
        SortKey &moved = keys.key[from];
        if (moved.IsSet() && !to.IsSet()) {
            to = moved;
            moved = SortKey{};
        }
    };
    moveDown(2);
    moveDown(1);
    moveDown(2);
    return keys;
}

double ReadSortNumber(AnsiView text)
{
    bool negative = false;
    const AnsiView number = SkipSpaceAndSign(text, &negative);
    // from_chars would also read "inf" and "nan"; a number starts with a
    // digit or the decimal point.
    if (number.empty() || !((number[0] >= '0' && number[0] <= '9') || number[0] == '.'))
        return 0.0;
    double value = 0.0;
    const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    (void)end;
    // Out of range: atof gives an infinity (counts as 0) or about 0.
    if (error != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

bool SortCommand(CDataTable &table, SortKeys &keys)
{
    if (table.GetRecordCount() == 0 || !keys.key[0].IsSet())
        return false;
    int sorted = 0;
    {
        const WaitCursor wait;
        sorted = table.Sort(keys);
    }
    if (!sorted)
        MessageBoxById(ids::kMsgOutOfMemory);
    return sorted != 0;
}

} // namespace orvel
