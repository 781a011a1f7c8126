#pragma once
// Threads that run the read-ahead of the local computer's providers. The process's pool
// starts with the first read-ahead that uses workers, and its threads stay for the next:
// on some machines a new thread takes milliseconds to start running.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace veskin {

class WorkerPool {
public:
    // Starts up to threads threads (fewer when the system refuses more).
    explicit WorkerPool(unsigned threads);
    // Drops the jobs not started and waits for the running ones.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    struct Job;
    using JobPtr = std::shared_ptr<Job>;
    // Runs task on a pool thread once the jobs posted before it have started. A task
    // must not wait for another job of the pool.
    JobPtr Post(std::function<void()> task);
    // Returns once job has run; a job that has not started is dropped and never runs.
    void Finish(const JobPtr& job);

    unsigned Threads() const { return static_cast<unsigned>(FThreads.size()); }

    // The process's pool: one thread per processor, started on the first call and kept
    // until the process ends.
    static WorkerPool& Shared();

private:
    void Serve();

    std::mutex FLock;
    std::condition_variable FPosted;    // a job was posted, or the pool stops
    std::condition_variable FFinished;  // a job has run
    std::deque<JobPtr> FQueue;
    bool FStop = false;
    std::vector<std::thread> FThreads;
};

}  // namespace veskin
