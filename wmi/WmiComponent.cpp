#include "wmi/WmiComponent.h"

#include "wmi/WmiErr.h"

namespace veskin {

namespace {

constexpr std::int32_t PollEventTimeoutMs = 10;

}  // namespace

TWmiSubscription::TWmiSubscription(ISWbemEventSourcePtr eventSource, TWmiEventHandler handler)
    : FEventSource(std::move(eventSource)), FHandler(std::move(handler)) {}

TWmiComponent::TWmiComponent(TComponent* owner) : TWmiAbstract(owner), FPollTimer(std::make_unique<TTimer>()) {
    FPollTimer->SetOnTimer([this](TObject*) { Poll(); });
    SetPollInterval(50);
}

TWmiComponent::~TWmiComponent() {
    ClearSubscriptions();
    FPollTimer.reset();
}

void TWmiComponent::ClearSubscriptions() { FSubscriptions.clear(); }

void TWmiComponent::SetPollInterval(int n) {
    FPollTimer->SetInterval(n * 100 / 2);
    if (GetActive() && !IsDesigning()) {
        ClearSubscriptions();
        Resubscribe();
    }
}

void TWmiComponent::SetActive(bool value) {
    if (value == GetActive()) return;
    TWmiAbstract::SetActive(value);
    if (IsLoading()) return;
    if (value) {
        Resubscribe();
        if (!IsDesigning()) FPollTimer->SetEnabled(true);
    } else {
        FPollTimer->SetEnabled(false);
        ClearSubscriptions();
    }
}

void TWmiComponent::Resubscribe() {}

void TWmiComponent::Poll() {
    if (OnPoll) OnPoll(this);
    // A handler may change the list; it is read afresh at every step.
    for (std::size_t i = 0; i < FSubscriptions.size(); ++i) {
        TWmiSubscription* subscription = FSubscriptions[i].get();
        if (!subscription->EventSource()) continue;
        ISWbemObjectPtr event;
        const HRESULT hr = subscription->EventSource()->NextEvent(PollEventTimeoutMs, event);
        if (hr == WBEM_E_TIMED_OUT) continue;
        if (hr == S_OK) {
            if (subscription->Handler()) subscription->Handler()(this, subscription, Variant::FromDispatch(event));
        } else {
            WmiCheck(hr);
        }
    }
}

}  // namespace veskin
