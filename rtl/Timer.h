#pragma once
// A component timer: while enabled, with a positive interval and a handler, it calls
// OnTimer every Interval milliseconds. The ticks come from a pluggable service (tests
// install a manual one); with no service a timer never fires, which is the programs' case:
// neither the window nor wmiquery uses a component that needs ticks.
#include <cstdint>
#include <vector>

#include "rtl/Component.h"

namespace veskin {

class TTimer;

class ITimerService {
public:
    virtual ~ITimerService() = default;
    // Starts (or restarts) ticking the timer every intervalMs milliseconds; the service
    // calls TTimer::Tick on the main thread for each tick.
    virtual void Start(TTimer* timer, int intervalMs) = 0;
    virtual void Stop(TTimer* timer) = 0;
};

// Installs the service (nullptr = none). Timers that want ticks move to the new
// service, including those created while none was installed.
// The service must outlive its installation.
void SetTimerService(ITimerService* service);
ITimerService* TimerService();

class TTimer : public TComponent {
public:
    // Created enabled with an interval of 1000 ms.
    explicit TTimer(TComponent* owner = nullptr);
    ~TTimer() override;

    std::string ClassName() const override { return "TTimer"; }

    int Interval() const { return FInterval; }
    void SetInterval(int ms);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent handler);

    // Whether the timer is currently registered with a service.
    bool Running() const { return FRunning; }

    // One tick: calls OnTimer when the timer is enabled and has a handler.
    void Tick();

private:
    void UpdateTimer();
    bool ShouldRun() const { return FEnabled && FInterval > 0 && static_cast<bool>(FOnTimer); }

    int FInterval = 1000;
    bool FEnabled = true;
    bool FRunning = false;
    TNotifyEvent FOnTimer;

    friend void SetTimerService(ITimerService* service);
};

// A service for tests: time stands still until Advance moves it on, firing every tick
// that falls due on the way, in time order.
class ManualTimerService : public ITimerService {
public:
    ManualTimerService() = default;
    ~ManualTimerService() override;
    ManualTimerService(const ManualTimerService&) = delete;
    ManualTimerService& operator=(const ManualTimerService&) = delete;

    void Start(TTimer* timer, int intervalMs) override;
    void Stop(TTimer* timer) override;

    // Moves the clock on by ms, firing due ticks. A handler's exception passes to the
    // caller; that timer stays scheduled for its next tick.
    void Advance(std::int64_t ms);

    std::int64_t Elapsed() const { return FNow; }
    bool IsScheduled(const TTimer* timer) const;
    int ScheduledCount() const { return static_cast<int>(FEntries.size()); }

private:
    struct Entry {
        TTimer* Timer;
        std::int64_t Interval;
        std::int64_t Due;
        std::uint64_t Order;  // start order, for ticks due at the same moment
    };
    std::vector<Entry> FEntries;
    std::int64_t FNow = 0;
    std::uint64_t FNextOrder = 0;
};

}  // namespace veskin
