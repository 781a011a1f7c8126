#include "rtl/Timer.h"

#include <algorithm>

namespace veskin {

namespace {

ITimerService* gService = nullptr;
// Timers that want ticks (enabled, interval and handler set), whether or not a
// service is installed; a service installed later takes them over.
std::vector<TTimer*> gActive;

void Forget(TTimer* t) { gActive.erase(std::remove(gActive.begin(), gActive.end(), t), gActive.end()); }

}  // namespace

ITimerService* TimerService() { return gService; }

void SetTimerService(ITimerService* service) {
    if (service == gService) return;
    const std::vector<TTimer*> active = gActive;
    if (gService != nullptr)
        for (TTimer* t : active) gService->Stop(t);
    gService = service;
    for (TTimer* t : active) {
        t->FRunning = false;
        t->UpdateTimer();
    }
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    if (FRunning && gService != nullptr) gService->Stop(this);
    FRunning = false;
    Forget(this);
}

void TTimer::UpdateTimer() {
    if (FRunning) {
        if (gService != nullptr) gService->Stop(this);
        FRunning = false;
    }
    Forget(this);
    if (!ShouldRun()) return;
    gActive.push_back(this);
    if (gService != nullptr) {
        gService->Start(this, FInterval);
        FRunning = true;
    }
}

void TTimer::SetInterval(int ms) {
    if (ms == FInterval) return;
    FInterval = ms;
    UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::Tick() {
    if (!FEnabled || !FOnTimer) return;
    // A copy, so that a handler that replaces itself does not destroy the running one.
    TNotifyEvent handler = FOnTimer;
    handler(this);
}

// ---- ManualTimerService ------------------------------------------------------------

ManualTimerService::~ManualTimerService() {
    if (gService == this) SetTimerService(nullptr);
}

void ManualTimerService::Start(TTimer* timer, int intervalMs) {
    Stop(timer);
    const std::int64_t interval = intervalMs > 0 ? intervalMs : 1;
    FEntries.push_back(Entry{timer, interval, FNow + interval, FNextOrder++});
}

void ManualTimerService::Stop(TTimer* timer) {
    FEntries.erase(std::remove_if(FEntries.begin(), FEntries.end(),
                                  [timer](const Entry& e) { return e.Timer == timer; }),
                   FEntries.end());
}

bool ManualTimerService::IsScheduled(const TTimer* timer) const {
    return std::any_of(FEntries.begin(), FEntries.end(), [timer](const Entry& e) { return e.Timer == timer; });
}

void ManualTimerService::Advance(std::int64_t ms) {
    if (ms < 0) return;
    const std::int64_t target = FNow + ms;
    for (;;) {
        // The earliest due tick; handlers may start, stop or free timers, so the list
        // is searched afresh after each one.
        auto next = FEntries.end();
        for (auto it = FEntries.begin(); it != FEntries.end(); ++it) {
            if (it->Due > target) continue;
            if (next == FEntries.end() || it->Due < next->Due || (it->Due == next->Due && it->Order < next->Order))
                next = it;
        }
        if (next == FEntries.end()) break;
        FNow = next->Due;
        next->Due += next->Interval;
        next->Order = FNextOrder++;
        TTimer* timer = next->Timer;
        timer->Tick();
    }
    FNow = target;
}

}  // namespace veskin
