#include "platform/OrderedBlocks.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

using namespace orvel;

namespace {

struct Block
{
    int number = -1;
};

// What was handed on, for `blocks` blocks on `parts` threads whose input
// ends inside block `lastBlock`.
std::vector<int> handedOn(int blocks, int parts, int buffersPerPart, int lastBlock, bool *ok = nullptr)
{
    std::vector<int> handed;
    const bool done = MakeBlocksInOrder<Block>(
            blocks, parts, buffersPerPart,
            [&](Block &block, int b, int) {
                block.number = b;
                return b != lastBlock;
            },
            [&](Block &block, int b) {
                EXPECT_EQ(block.number, b);
                handed.push_back(b);
                return true;
            });
    if (ok)
        *ok = done;
    return handed;
}

std::vector<int> upTo(int last)
{
    std::vector<int> numbers;
    for (int b = 0; b <= last; ++b)
        numbers.push_back(b);
    return numbers;
}

} // namespace

// Whatever the threads and the ring, every block is handed on once and in
// order, up to the block in which the input ended; the blocks made after it
// are dropped.
TEST(OrderedBlocksTest, BlocksComeInOrderUpToTheLastOne)
{
    for (int round = 0; round < 5; ++round) {
        for (const int parts : {1, 2, 3, 5}) {
            for (const int ring : {1, 2, 8}) {
                SCOPED_TRACE(testing::Message() << parts << " parts, ring " << ring);
                EXPECT_EQ(handedOn(60, parts, ring, -1), upTo(59));
                EXPECT_EQ(handedOn(60, parts, ring, 0), upTo(0));
                EXPECT_EQ(handedOn(60, parts, ring, 17), upTo(17));
                EXPECT_EQ(handedOn(60, parts, ring, 59), upTo(59));
            }
        }
    }
    EXPECT_TRUE(handedOn(0, 2, 4, -1).empty());
}

// A refused hand-on ends the work at once, on every thread, and is told.
TEST(OrderedBlocksTest, ARefusedHandOnEndsTheWork)
{
    for (const int parts : {1, 2, 4}) {
        std::vector<int> handed;
        const bool ok = MakeBlocksInOrder<Block>(
                100, parts, 2, [](Block &, int, int) { return true; },
                [&](Block &, int b) {
                    handed.push_back(b);
                    return b != 30;
                });
        EXPECT_FALSE(ok) << parts;
        EXPECT_EQ(handed, upTo(30)) << parts;
    }
}

// A thread that throws lets the others end instead of waiting for its block,
// and the exception reaches the caller.
TEST(OrderedBlocksTest, AThrowingThreadEndsTheWorkWithoutWaiting)
{
    for (int round = 0; round < 20; ++round) {
        for (const int parts : {1, 2, 3}) {
            for (const int failing : {0, 37, 199}) {
                auto make = [&](Block &, int b, int) {
                    if (b == failing)
                        throw std::bad_alloc();
                    return true;
                };
                EXPECT_THROW(MakeBlocksInOrder<Block>(200, parts, 2, make, [](Block &, int) { return true; }),
                             std::bad_alloc);
            }
        }
    }
}
