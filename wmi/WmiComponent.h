#pragma once
// The connection component with a poll timer that delivers the events of its
// subscriptions on the main thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "rtl/Timer.h"
#include "wmi/WmiAbstract.h"

namespace veskin {

class TWmiComponent;
class TWmiSubscription;

// Called with the component, the subscription and the delivered event object.
using TWmiEventHandler = std::function<void(TWmiComponent* sender, TWmiSubscription* subscription,
                                            const Variant& event)>;

// One event subscription: its event source and the handler of its events. Freeing it
// releases the event source.
class TWmiSubscription : public TObject {
public:
    TWmiSubscription(ISWbemEventSourcePtr eventSource, TWmiEventHandler handler);
    std::string ClassName() const override { return "TWmiSubscription"; }

    const ISWbemEventSourcePtr& EventSource() const { return FEventSource; }
    const TWmiEventHandler& Handler() const { return FHandler; }

private:
    ISWbemEventSourcePtr FEventSource;
    TWmiEventHandler FHandler;
};

class TWmiComponent : public TWmiAbstract {
public:
    explicit TWmiComponent(TComponent* owner = nullptr);
    ~TWmiComponent() override;

    std::string ClassName() const override { return "TWmiComponent"; }

    // Timer interval := n * 100 / 2 ms. While active outside design mode the
    // subscriptions are dropped and Resubscribe runs.
    void SetPollInterval(int n);

    void SetActive(bool value) override;
    // Re-creates the subscriptions of a descendant; nothing here.
    virtual void Resubscribe();

    // One timer tick: OnPoll, then each subscription's next event (10 ms time-out).
    void Poll();

    TTimer* PollTimer() const { return FPollTimer.get(); }
    // The subscriptions; the component owns them.
    std::vector<std::unique_ptr<TWmiSubscription>>& Subscriptions() { return FSubscriptions; }
    void ClearSubscriptions();

    TNotifyEvent OnPoll;

private:
    std::vector<std::unique_ptr<TWmiSubscription>> FSubscriptions;
    std::unique_ptr<TTimer> FPollTimer;
};

}  // namespace veskin
