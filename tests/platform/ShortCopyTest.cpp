#include "platform/ShortCopy.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>

using namespace orvel;

// Every size up to the longest value copies exactly its bytes: none before
// or after the target range changes, whatever the alignment.
TEST(ShortCopy, CopiesExactlyTheGivenBytes)
{
    std::array<char, 300> from{};
    for (std::size_t i = 0; i < from.size(); ++i)
        from[i] = static_cast<char>('A' + i % 53);
    for (std::size_t offset = 0; offset < 3; ++offset) {
        for (std::size_t n = 0; n <= 256; ++n) {
            std::array<char, 300> to;
            to.fill('#');
            CopyShort(to.data() + 8 + offset, from.data() + offset, n);
            for (std::size_t i = 0; i < to.size(); ++i) {
                const bool inside = i >= 8 + offset && i < 8 + offset + n;
                ASSERT_EQ(to[i], inside ? from[i - 8] : '#') << "size " << n << " offset " << offset << " at " << i;
            }
        }
    }
}
