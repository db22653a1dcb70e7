#include "support/BandRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Chunk {
    int first;
    int last;
    int lane;
};

// Records every chunk it is given; safe to call from both threads.
struct Recorder {
    std::mutex mutex;
    std::vector<Chunk> chunks;
    std::chrono::microseconds pause{0};

    void operator()(int first, int last, int lane) {
        if (pause.count() > 0) {
            std::this_thread::sleep_for(pause);
        }
        std::lock_guard<std::mutex> lock(mutex);
        chunks.push_back({first, last, lane});
    }
};

// Each row of first..last is given exactly once, in chunks of at least minRows rows except the one
// that ends the range.
bool RowsCoveredOnce(const std::vector<Chunk>& chunks, int first, int last, int minRows) {
    std::vector<int> seen(std::size_t((long long)last - first + 1), 0);
    for (const Chunk& c : chunks) {
        if (c.first < first || c.last < c.first || c.last > last ||
            (c.last - c.first + 1 < minRows && c.last != last)) {
            return false;
        }
        for (long long row = c.first; row <= c.last; ++row) {
            ++seen[std::size_t(row - first)];
        }
    }
    for (int count : seen) {
        if (count != 1) {
            return false;
        }
    }
    return true;
}

TEST(BandRunner, GivesEveryRowOnceWithOrWithoutTheHelper) {
    BandRunner runner;
    for (bool helper : {true, false}) {
        runner.SetHelperEnabled(helper);
        for (int minRows : {1, 3, 8, 50}) {
            Recorder work;
            runner.Run(-7, 92, minRows, work);
            EXPECT_TRUE(RowsCoveredOnce(work.chunks, -7, 92, minRows)) << minRows << " rows at least";
            for (const Chunk& c : work.chunks) {
                EXPECT_TRUE(c.lane == 0 || (helper && c.lane == 1));
            }
        }
    }
}

// Claims take shares of the rows left, so a long range costs a few claims rather than one per
// smallest chunk, and still ends in small chunks.
TEST(BandRunner, LongRangesTakeFewClaimsAndEndSmall) {
    BandRunner runner;
    if (!runner.HelperEnabled()) {
        GTEST_SKIP() << "a single core has no room for the helper";
    }
    Recorder work;
    runner.Run(0, 2999, 8, work);
    ASSERT_TRUE(RowsCoveredOnce(work.chunks, 0, 2999, 8));
    EXPECT_GT(work.chunks.size(), 2u);
    EXPECT_LT(work.chunks.size(), 3000u / 8 / 10);
    const auto final = std::max_element(work.chunks.begin(), work.chunks.end(),
                                        [](const Chunk& a, const Chunk& b) { return a.last < b.last; });
    EXPECT_LE(final->last - final->first + 1, 8);
}

// The far ends of the int range neither overflow nor lose rows.
TEST(BandRunner, RangesAtTheEndsOfTheIntRange) {
    BandRunner runner;
    Recorder high;
    runner.Run(INT_MAX - 40, INT_MAX, 4, high);
    EXPECT_TRUE(RowsCoveredOnce(high.chunks, INT_MAX - 40, INT_MAX, 4));
    Recorder low;
    runner.Run(INT_MIN, INT_MIN + 40, 4, low);
    EXPECT_TRUE(RowsCoveredOnce(low.chunks, INT_MIN, INT_MIN + 40, 4));
}

TEST(BandRunner, EdgeRangesRunOnTheCaller) {
    BandRunner runner;
    Recorder empty;
    runner.Run(5, 4, 8, empty);
    EXPECT_TRUE(empty.chunks.empty());

    Recorder single;
    runner.Run(3, 9, 8, single);
    ASSERT_EQ(single.chunks.size(), 1u);
    EXPECT_EQ(single.chunks[0].first, 3);
    EXPECT_EQ(single.chunks[0].last, 9);
    EXPECT_EQ(single.chunks[0].lane, 0);

    // A chunk size below one is taken as one row.
    Recorder rows;
    runner.Run(0, 4, 0, rows);
    EXPECT_TRUE(RowsCoveredOnce(rows.chunks, 0, 4, 1));
}

// Chunks that take a while leave the helper time to wake, however deep it sleeps: it must take part.
TEST(BandRunner, HelperTakesChunksOfLongWork) {
    BandRunner runner;
    if (!runner.HelperEnabled()) {
        GTEST_SKIP() << "a single core has no room for the helper";
    }
    Recorder work;
    work.pause = std::chrono::milliseconds(2);
    runner.Run(0, 199, 2, work);
    EXPECT_TRUE(RowsCoveredOnce(work.chunks, 0, 199, 2));
    int helperChunks = 0;
    for (const Chunk& c : work.chunks) {
        helperChunks += c.lane == 1;
    }
    EXPECT_GT(helperChunks, 0);
    EXPECT_LT(helperChunks, 100);
}

// A chunk that itself asks for banded work gets it on its own thread, without waiting on the runner
// it is part of.
TEST(BandRunner, NestedWorkRunsOnTheCallingThread) {
    BandRunner runner;
    std::atomic<int> innerRows{0};
    std::atomic<int> innerCalls{0};
    std::atomic<int> outerChunks{0};
    auto inner = [&](int first, int last, int lane) {
        EXPECT_EQ(lane, 0);
        innerRows += last - first + 1;
        ++innerCalls;
    };
    auto outer = [&](int, int, int) {
        ++outerChunks;
        runner.Run(0, 99, 10, inner);
    };
    runner.Run(0, 39, 4, outer);
    EXPECT_GT(outerChunks.load(), 1);
    EXPECT_EQ(innerRows.load(), outerChunks.load() * 100);
    EXPECT_EQ(innerCalls.load(), outerChunks.load()); // each nested call took all its rows at once
}

TEST(BandRunner, CallersOnSeveralThreadsEachGetTheirRows) {
    BandRunner runner;
    constexpr int kThreads = 4;
    std::atomic<int> wrong{0};
    std::atomic<int> runs{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                Recorder work;
                runner.Run(t * 1000, t * 1000 + 63, 4, work);
                wrong += !RowsCoveredOnce(work.chunks, t * 1000, t * 1000 + 63, 4);
                ++runs;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(runs.load(), kThreads * 200);
    EXPECT_EQ(wrong.load(), 0);
}

// A runner whose helper has gone to sleep stops it cleanly.
TEST(BandRunner, StopsASleepingHelper) {
    auto runner = std::make_unique<BandRunner>();
    Recorder work;
    runner->Run(0, 31, 1, work);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    runner.reset();
    EXPECT_TRUE(RowsCoveredOnce(work.chunks, 0, 31, 1));
}

} // namespace
