#pragma once
// Makes the items of an index range on worker threads, ahead of the reader, and hands
// them out in index order. For providers whose every item costs system calls (a
// process's files): the next items are read while the caller works on this one, and
// on a computer with several processors, side by side.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "platform/native/WorkerPool.h"

namespace veskin {

template <typename T>
class ReadAhead {
public:
    // make(i) for every i below count, on workers threads of the process's pool and the
    // reader's, never more than window items ahead of Next. Workers take block items at
    // a time. The threads share no lock: they claim items with atomic counters and sleep
    // only when they must wait for one another, so a thread that does not wait costs no
    // system call. The reader makes an item itself when no worker has taken it yet:
    // waking a thread can cost more than reading an item.
    ReadAhead(std::size_t count, std::function<T(std::size_t)> make, unsigned workers, std::size_t window,
              std::size_t block = 4)
        : FCount(count),
          FMake(std::move(make)),
          FBlock(block < 1 ? 1 : block),
          FWindow(window < FBlock ? FBlock : window),
          FSlots(std::make_unique<Slot[]>(FWindow)) {
        const unsigned useful = static_cast<unsigned>(std::min<std::size_t>(workers, (count + FBlock - 1) / FBlock));
        if (useful == 0) return;
        WorkerPool& pool = WorkerPool::Shared();
        for (unsigned w = 0; w < useful; ++w) FJobs.push_back(pool.Post([this] { Work(); }));
    }
    // Stops the workers once the items they are making are made.
    ~ReadAhead() {
        FStop = true;
        Signal();
        for (const auto& job : FJobs) WorkerPool::Shared().Finish(job);
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether workers make items ahead of Next (else each is made when Next asks).
    bool ReadsAhead() const { return !FJobs.empty(); }

    // The next item in index order; false after the last. A failure of make is thrown here.
    bool Next(T& out) {
        const std::size_t index = FNext;
        if (index >= FCount) return false;
        FNext = index + 1;
        if (!ReadsAhead()) {
            out = FMake(index);
            return true;
        }
        Made made;
        std::size_t unclaimed = index;
        if (FClaimed.compare_exchange_strong(unclaimed, index + 1)) {
            made = Make(index);
        } else {
            Slot& slot = FSlots[index % FWindow];
            while (slot.Ready.load(std::memory_order_acquire) == 0) slot.Ready.wait(0, std::memory_order_acquire);
            made = std::move(slot.Value);
            slot.Value = Made{};
            slot.Ready.store(0, std::memory_order_relaxed);
        }
        // The slot is free again: a worker waiting for room may go on.
        FTaken.store(index + 1);
        if (index + 1 >= FWakeAt.load()) {
            FWakeAt.store(kNobody);
            Signal();
        }
        if (made.Error) std::rethrow_exception(made.Error);
        out = std::move(made.Item);
        return true;
    }

private:
    static constexpr std::size_t kNobody = static_cast<std::size_t>(-1);

    struct Made {
        T Item{};
        std::exception_ptr Error;
    };
    struct Slot {
        std::atomic<std::uint32_t> Ready{0};  // 1 once Value holds the slot's item
        Made Value;
    };

    Made Make(std::size_t index) {
        Made made;
        try {
            made.Item = FMake(index);
        } catch (...) {
            made.Error = std::current_exception();
        }
        return made;
    }

    // Wakes the workers that wait for room in the window or for the end.
    void Signal() {
        FSignal.fetch_add(1);
        FSignal.notify_all();
    }

    void Work() {
        for (;;) {
            const std::uint32_t signal = FSignal.load();
            if (FStop) return;
            std::size_t first = FClaimed.load();
            if (first >= FCount) return;
            const std::size_t end = std::min(FCount, first + FBlock);
            if (end > FTaken.load() + FWindow) {
                // No room for the block: ask the reader to signal once it has taken the
                // item that makes room, and sleep unless it already has.
                const std::size_t wakeAt = end - FWindow;
                for (std::size_t w = FWakeAt.load(); wakeAt < w && !FWakeAt.compare_exchange_weak(w, wakeAt);) {
                }
                if (end > FTaken.load() + FWindow && !FStop) FSignal.wait(signal);
                continue;
            }
            if (!FClaimed.compare_exchange_weak(first, end)) continue;
            for (std::size_t i = first; i < end; ++i) {
                Slot& slot = FSlots[i % FWindow];
                slot.Value = Make(i);
                slot.Ready.store(1, std::memory_order_release);
                slot.Ready.notify_one();
            }
        }
    }

    const std::size_t FCount;
    const std::function<T(std::size_t)> FMake;
    const std::size_t FBlock;
    const std::size_t FWindow;
    const std::unique_ptr<Slot[]> FSlots;       // index i, made by a worker, waits in FSlots[i % window]
    std::size_t FNext = 0;                      // the next index Next hands out; the reader's own
    std::atomic<std::size_t> FClaimed{0};       // the first index no thread has taken
    std::atomic<std::size_t> FTaken{0};         // the indexes below it are handed out, their slots free
    std::atomic<std::size_t> FWakeAt{kNobody};  // the taken count a waiting worker needs
    std::atomic<std::uint32_t> FSignal{0};      // changed to wake waiting workers
    std::atomic<bool> FStop{false};
    std::vector<WorkerPool::JobPtr> FJobs;  // last: the workers start once the rest is ready
};

// The worker threads a read-ahead uses on this computer: one per processor.
unsigned ReadAheadWorkers();

}  // namespace veskin
