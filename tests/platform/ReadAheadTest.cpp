#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/native/ReadAhead.h"

namespace veskin {
namespace {

TEST(ReadAhead, HandsOutEveryItemInOrderWithAnyNumberOfWorkers) {
    for (unsigned workers : {0u, 1u, 2u, 5u})
        for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{1000}}) {
            std::atomic<int> made{0};
            ReadAhead<std::string> ahead(
                count,
                [&made](std::size_t i) {
                    ++made;
                    return std::to_string(i);
                },
                workers, 16, 3);
            std::string item;
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_TRUE(ahead.Next(item)) << workers << " workers, item " << i;
                EXPECT_EQ(item, std::to_string(i));
            }
            EXPECT_FALSE(ahead.Next(item));
            EXPECT_EQ(made, static_cast<int>(count)) << "each item is made once";
        }
}

TEST(ReadAhead, StaysWithinItsWindowAndStopsWhenDropped) {
    std::atomic<std::size_t> highest{0};
    std::atomic<int> made{0};
    {
        ReadAhead<std::size_t> ahead(
            100000,
            [&](std::size_t i) {
                ++made;
                for (std::size_t h = highest; i > h && !highest.compare_exchange_weak(h, i);) {
                }
                return i;
            },
            2, 32, 4);
        std::size_t item = 0;
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(ahead.Next(item));
        EXPECT_EQ(item, 9u);
        // Ahead of the tenth item by at most the window and one block per worker.
        EXPECT_LT(highest.load(), 10u + 32 + 2 * 4);
    }
    // Dropped after ten: the workers ended without making the rest.
    EXPECT_LT(made.load(), 10 + 32 + 2 * 4);
}

TEST(ReadAhead, WorkersThatWaitForRoomAreWokenAndReadAheadToTheEnd) {
    // A reader slower than the workers: they fill the window, sleep, and must be woken
    // each time the reader makes room, or the reader ends up making every item itself.
    constexpr std::size_t kCount = 3000;
    std::vector<std::thread::id> makers(kCount);
    ReadAhead<std::size_t> ahead(
        kCount,
        [&makers](std::size_t i) {
            makers[i] = std::this_thread::get_id();
            return i;
        },
        2, 16, 4);
    std::size_t item = 0;
    for (std::size_t i = 0; i < kCount; ++i) {
        ASSERT_TRUE(ahead.Next(item));
        ASSERT_EQ(item, i);
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    const auto reader = std::this_thread::get_id();
    const auto byWorkers = std::count_if(makers.end() - 100, makers.end(),
                                         [reader](std::thread::id id) { return id != reader; });
    EXPECT_GT(byWorkers, 50) << "of the last 100 items, the workers made " << byWorkers;
}

TEST(ReadAhead, AFailureToMakeAnItemReachesTheReaderAtThatItem) {
    for (unsigned workers : {0u, 2u}) {
        ReadAhead<int> ahead(
            20,
            [](std::size_t i) {
                if (i == 5) throw std::runtime_error("item 5 failed");
                return static_cast<int>(i);
            },
            workers, 8, 2);
        int item = -1;
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(ahead.Next(item));
            EXPECT_EQ(item, i);
        }
        EXPECT_THROW(ahead.Next(item), std::runtime_error) << workers << " workers";
        ASSERT_TRUE(ahead.Next(item));
        EXPECT_EQ(item, 6);
    }
}

}  // namespace
}  // namespace veskin
