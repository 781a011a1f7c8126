#include "platform/native/WorkerPool.h"

#include <algorithm>
#include <system_error>

#include "platform/native/ReadAhead.h"

namespace veskin {

struct WorkerPool::Job {
    enum class State { Queued,
                       Running,
                       Done,
                       Dropped };
    std::function<void()> Task;
    State Now = State::Queued;
};

WorkerPool::WorkerPool(unsigned threads) {
    try {
        for (unsigned t = 0; t < threads; ++t) FThreads.emplace_back([this] { Serve(); });
    } catch (const std::system_error&) {
        // No more threads to be had: the ones there are do the work.
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> guard(FLock);
        FStop = true;
        for (const JobPtr& job : FQueue) job->Now = Job::State::Dropped;
        FQueue.clear();
    }
    FPosted.notify_all();
    for (auto& thread : FThreads) thread.join();
}

WorkerPool::JobPtr WorkerPool::Post(std::function<void()> task) {
    auto job = std::make_shared<Job>();
    job->Task = std::move(task);
    {
        std::lock_guard<std::mutex> guard(FLock);
        FQueue.push_back(job);
    }
    FPosted.notify_one();
    return job;
}

void WorkerPool::Finish(const JobPtr& job) {
    std::unique_lock<std::mutex> lock(FLock);
    if (job->Now == Job::State::Queued) {
        FQueue.erase(std::find(FQueue.begin(), FQueue.end(), job));
        job->Now = Job::State::Dropped;
        return;
    }
    FFinished.wait(lock, [&job] { return job->Now != Job::State::Running; });
}

void WorkerPool::Serve() {
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FPosted.wait(lock, [this] { return FStop || !FQueue.empty(); });
        if (FQueue.empty()) return;
        JobPtr job = std::move(FQueue.front());
        FQueue.pop_front();
        job->Now = Job::State::Running;
        std::function<void()> task = std::move(job->Task);
        lock.unlock();
        try {
            task();
        } catch (...) {
            // A task reports its failures itself; one that escapes must not end the pool.
        }
        task = nullptr;  // what the task holds is released outside the lock
        lock.lock();
        job->Now = Job::State::Done;
        FFinished.notify_all();
    }
}

WorkerPool& WorkerPool::Shared() {
    // Never destroyed: a read-ahead held by a static object may end after any static
    // destructor has run. The threads wait idle until the process ends.
    static WorkerPool* const pool = new WorkerPool(ReadAheadWorkers());
    return *pool;
}

}  // namespace veskin
