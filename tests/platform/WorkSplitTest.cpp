#include "platform/WorkSplit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace orvel {
namespace {

TEST(WorkSplitTest, RangesCoverEveryItemOnceInOrder)
{
    for (const std::size_t count : {std::size_t(0), std::size_t(1), std::size_t(7), std::size_t(30000)}) {
        for (int parts = 1; parts <= 4; ++parts) {
            std::vector<int> seen(count, 0);
            std::vector<std::pair<std::size_t, std::size_t>> ranges(static_cast<std::size_t>(parts));
            RunWorkSplit(count, parts, [&](int part, std::size_t begin, std::size_t end) {
                ranges[static_cast<std::size_t>(part)] = {begin, end};
                for (std::size_t i = begin; i < end; ++i)
                    ++seen[i];
            });
            for (const int times : seen)
                ASSERT_EQ(times, 1) << count << " items in " << parts;
            EXPECT_EQ(ranges.front().first, 0u);
            EXPECT_EQ(ranges.back().second, count);
            for (std::size_t p = 1; p < ranges.size(); ++p)
                EXPECT_EQ(ranges[p].first, ranges[p - 1].second);
        }
    }
}

TEST(WorkSplitTest, FailureOfAnyRangeReachesTheCallerAfterAllEnded)
{
    std::atomic<int> finished{0};
    EXPECT_THROW(RunWorkSplit(100, 3,
                              [&](int part, std::size_t, std::size_t) {
                                  if (part == 2)
                                      throw std::runtime_error("range failed");
                                  ++finished;
                              }),
                 std::runtime_error);
    EXPECT_EQ(finished.load(), 2);
}

TEST(WorkSplitTest, SmallAmountsStayOnOneThread)
{
    EXPECT_EQ(WorkSplitParts(0), 1);
    EXPECT_EQ(WorkSplitParts(4095), 1);
    EXPECT_GE(WorkSplitParts(30000), 1);
    EXPECT_LE(WorkSplitParts(30000), 4);
}

} // namespace
} // namespace orvel
