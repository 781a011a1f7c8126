#pragma once
// Keeps the last sample of a set of kernel counters so that formatted rates can be
// computed over an interval between two samples. The interval is at least 100 ms (the
// caller waits for the rest when the last sample is younger) and a sample older than
// 10 s is not used, so that rates describe the present.
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace veskin {

template <class Sample>
struct SamplePair {
    Sample Before;
    Sample After;
    double Seconds = 0;  // >= the minimum interval, never zero
};

template <class Sample>
class IntervalSampler {
public:
    using Clock = std::chrono::steady_clock;

    explicit IntervalSampler(std::chrono::milliseconds minimum = std::chrono::milliseconds(100),
                             std::chrono::milliseconds maximumAge = std::chrono::seconds(10))
        : FMinimum(minimum), FMaximumAge(maximumAge) {}

    SamplePair<Sample> Take(const std::function<Sample()>& read) {
        std::lock_guard<std::mutex> guard(FLock);
        SamplePair<Sample> pair;
        Clock::time_point before;
        if (FLast && Clock::now() - FLastTime <= FMaximumAge) {
            pair.Before = *FLast;
            before = FLastTime;
        } else {
            pair.Before = read();
            before = Clock::now();
        }
        const Clock::time_point earliest = before + FMinimum;
        if (Clock::now() < earliest) std::this_thread::sleep_until(earliest);
        pair.After = read();
        const Clock::time_point after = Clock::now();
        pair.Seconds = std::chrono::duration<double>(after - before).count();
        const double floor = std::chrono::duration<double>(FMinimum).count();
        if (pair.Seconds < floor) pair.Seconds = floor;
        FLast = pair.After;
        FLastTime = after;
        return pair;
    }

private:
    std::chrono::milliseconds FMinimum, FMaximumAge;
    std::mutex FLock;
    std::optional<Sample> FLast;
    Clock::time_point FLastTime;
};

// The growth of a counter between two samples; 0 when it went back (reset or wrap).
inline std::uint64_t CounterDelta(std::uint64_t before, std::uint64_t after) {
    return after >= before ? after - before : 0;
}

}  // namespace veskin
