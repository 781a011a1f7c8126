#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/native/WorkerPool.h"

namespace veskin {
namespace {

// Posts task and returns once a pool thread has started it.
WorkerPool::JobPtr PostAndWaitStart(WorkerPool& pool, std::function<void()> task) {
    auto started = std::make_shared<std::promise<void>>();
    auto job = pool.Post([started, task] {
        started->set_value();
        task();
    });
    started->get_future().wait();
    return job;
}

TEST(WorkerPool, FinishWaitsForARunningJobAndDropsOneNotStarted) {
    WorkerPool pool(1);
    ASSERT_EQ(pool.Threads(), 1u);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> firstDone{false};
    std::atomic<bool> secondRan{false};
    auto first = PostAndWaitStart(pool, [&] {
        released.wait();
        firstDone = true;
    });
    // The only thread is busy: the second job has not started, so it is dropped.
    auto second = pool.Post([&] { secondRan = true; });
    pool.Finish(second);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release.set_value();
    });
    pool.Finish(first);
    EXPECT_TRUE(firstDone) << "Finish returned before the running job ended";
    releaser.join();
    // The pool serves on; a job it has run is finished at once.
    std::atomic<bool> thirdRan{false};
    auto third = PostAndWaitStart(pool, [&] { thirdRan = true; });
    pool.Finish(third);
    EXPECT_TRUE(thirdRan);
    pool.Finish(third);
    EXPECT_FALSE(secondRan) << "a dropped job ran";
}

TEST(WorkerPool, EveryThreadServesJobsSideBySide) {
    // Three jobs that each wait until all three run: they meet only on three threads.
    WorkerPool pool(3);
    std::mutex lock;
    std::condition_variable changed;
    int running = 0;
    std::atomic<int> met{0};
    std::vector<WorkerPool::JobPtr> jobs;
    for (int i = 0; i < 3; ++i)
        jobs.push_back(pool.Post([&] {
            std::unique_lock<std::mutex> guard(lock);
            ++running;
            changed.notify_all();
            if (changed.wait_for(guard, std::chrono::seconds(10), [&] { return running == 3; })) ++met;
        }));
    for (const auto& job : jobs) {
        while (true) {
            {
                std::lock_guard<std::mutex> guard(lock);
                if (running == 3) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        pool.Finish(job);
    }
    EXPECT_EQ(met, 3);
    EXPECT_EQ(pool.Threads(), 3u);
}

TEST(WorkerPool, AJobThatThrowsLeavesThePoolServing) {
    WorkerPool pool(1);
    pool.Finish(PostAndWaitStart(pool, [] { throw std::runtime_error("failed"); }));
    std::atomic<bool> ran{false};
    pool.Finish(PostAndWaitStart(pool, [&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST(WorkerPool, DestroyingThePoolDropsQueuedJobsAndJoinsItsThreads) {
    std::atomic<int> ran{0};
    std::promise<void> release;
    std::thread releaser;
    {
        WorkerPool pool(1);
        PostAndWaitStart(pool, [&, released = release.get_future().share()] {
            released.wait();
            ++ran;
        });
        for (int i = 0; i < 5; ++i) pool.Post([&] { ran += 10; });
        releaser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            release.set_value();
        });
    }
    releaser.join();
    EXPECT_EQ(ran, 1) << "the running job ended; the queued ones never ran";
}

}  // namespace
}  // namespace veskin
