#include "platform/MulDiv.h"

#include <cstdint>
#include <limits>

namespace orvel {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = product < 0 ? -product : product;
    const int64_t divisor = c < 0 ? -int64_t(c) : int64_t(c);
    const int64_t rounded = (magnitude + divisor / 2) / divisor;
    if (rounded > std::numeric_limits<int>::max())
        return -1;
    return int(negative ? -rounded : rounded);
}

} // namespace orvel
