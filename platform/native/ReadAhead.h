#pragma once
// Makes the items of an index range on worker threads, ahead of the reader, and hands
// them out in index order. For providers whose every item costs system calls (a
// process's files): the next items are read while the caller works on this one, and
// on a computer with several processors, side by side.
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace veskin {

template <typename T>
class ReadAhead {
public:
    // make(i) for every i below count, on workers threads and the reader's, never more
    // than window items ahead of Next. Workers take block items at a time. A thread is
    // woken only when it waits for another, and the reader makes an item itself when
    // no worker has taken it yet: starting or waking a thread can cost more than
    // reading an item.
    ReadAhead(std::size_t count, std::function<T(std::size_t)> make, unsigned workers, std::size_t window,
              std::size_t block = 4)
        : FCount(count), FMake(std::move(make)), FBlock(block < 1 ? 1 : block), FSlots(window < FBlock ? FBlock : window) {
        const unsigned useful = static_cast<unsigned>(std::min<std::size_t>(workers, (count + FBlock - 1) / FBlock));
        // The first worker starts the others, so that the reader starts one thread only.
        if (useful > 0) FFirst = std::thread([this, useful] {
                            std::vector<std::thread> others;
                            try {
                                for (unsigned w = 1; w < useful; ++w) others.emplace_back([this] { Work(); });
                            } catch (const std::system_error&) {
                                // No more threads to be had: the ones there are do the work.
                            }
                            Work();
                            for (auto& other : others) other.join();
                        });
    }
    // Stops the workers once the items they are making are made.
    ~ReadAhead() {
        {
            std::lock_guard<std::mutex> guard(FLock);
            FStop = true;
        }
        FSpace.notify_all();
        if (FFirst.joinable()) FFirst.join();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether workers make items ahead of Next (else each is made when Next asks).
    bool ReadsAhead() const { return FFirst.joinable(); }

    // The next item in index order; false after the last. A failure of make is thrown here.
    bool Next(T& out) {
        if (FTaken >= FCount) return false;
        if (!ReadsAhead()) {
            out = FMake(FTaken++);
            return true;
        }
        std::unique_lock<std::mutex> lock(FLock);
        Slot made;
        if (FClaimed == FTaken) {
            FClaimed++;
            lock.unlock();
            made = Make(FTaken);
            lock.lock();
        } else {
            Slot& slot = FSlots[FTaken % FSlots.size()];
            if (!slot.Made) {
                FReaderWaits = true;
                FReady.wait(lock, [&slot] { return slot.Made; });
                FReaderWaits = false;
            }
            made = std::move(slot);
            slot = Slot{};
        }
        ++FTaken;
        const bool wake = FWorkersWaiting > 0 && HasSpace();
        lock.unlock();
        if (wake) FSpace.notify_one();
        if (made.Error) std::rethrow_exception(made.Error);
        out = std::move(made.Item);
        return true;
    }

private:
    struct Slot {
        bool Made = false;
        T Item{};
        std::exception_ptr Error;
    };

    Slot Make(std::size_t index) {
        Slot made;
        try {
            made.Item = FMake(index);
        } catch (...) {
            made.Error = std::current_exception();
        }
        made.Made = true;
        return made;
    }

    // A whole block fits in the window, or nothing is left to take; FLock is held.
    bool HasSpace() const { return FClaimed + FBlock <= FTaken + FSlots.size() || FClaimed >= FCount; }

    void Work() {
        std::unique_lock<std::mutex> lock(FLock);
        for (;;) {
            if (!FStop && !HasSpace()) {
                ++FWorkersWaiting;
                FSpace.wait(lock, [this] { return FStop || HasSpace(); });
                --FWorkersWaiting;
            }
            if (FStop || FClaimed >= FCount) return;
            const std::size_t first = FClaimed;
            const std::size_t end = std::min(FCount, first + FBlock);
            FClaimed = end;
            // Another worker may take the next block at once.
            if (FWorkersWaiting > 0 && HasSpace()) FSpace.notify_one();
            for (std::size_t i = first; i < end; ++i) {
                lock.unlock();
                Slot made = Make(i);
                lock.lock();
                FSlots[i % FSlots.size()] = std::move(made);
                if (FReaderWaits) FReady.notify_one();
            }
        }
    }

    const std::size_t FCount;
    const std::function<T(std::size_t)> FMake;
    const std::size_t FBlock;
    std::mutex FLock;
    std::condition_variable FSpace;  // a worker may take a block
    std::condition_variable FReady;  // the item the reader waits for may be made
    std::vector<Slot> FSlots;        // index i, made by a worker, waits in FSlots[i % size]
    std::size_t FClaimed = 0;        // the first index no thread has taken
    std::size_t FTaken = 0;          // the next index Next hands out
    unsigned FWorkersWaiting = 0;
    bool FReaderWaits = false;
    bool FStop = false;
    std::thread FFirst;  // last: it starts once the rest is ready
};

// The worker threads a read-ahead uses on this computer: one per processor.
unsigned ReadAheadWorkers();

}  // namespace veskin
