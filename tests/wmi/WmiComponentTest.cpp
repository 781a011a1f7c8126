#include "wmi/WmiComponent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WbemObject.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

// Answers NextEvent with the codes given, one per call.
class ScriptedEventSource : public ISWbemEventSource {
public:
    explicit ScriptedEventSource(std::vector<HRESULT> results) : FResults(std::move(results)) {}
    HRESULT NextEvent(std::int32_t timeoutMs, ISWbemObjectPtr& event) override {
        Timeouts.push_back(timeoutMs);
        const HRESULT hr = FNext < FResults.size() ? FResults[FNext++] : WBEM_E_TIMED_OUT;
        event = hr == S_OK ? ISWbemObjectPtr(WbemObject::NewInstance(WbemClass::Make(u"Event", {}))) : nullptr;
        return hr;
    }
    std::vector<std::int32_t> Timeouts;

private:
    std::vector<HRESULT> FResults;
    std::size_t FNext = 0;
};

class CountingComponent : public TWmiComponent {
public:
    void Resubscribe() override { ++Resubscribes; }
    int Resubscribes = 0;
};

TEST(WmiComponent, PollIntervalIsHalfOfNTimes100) {
    TWmiComponent c;
    EXPECT_EQ(c.ClassName(), "TWmiComponent");
    EXPECT_EQ(c.PollTimer()->Interval(), 2500);
    EXPECT_TRUE(c.PollTimer()->Enabled());  // created enabled
    c.SetPollInterval(3);
    EXPECT_EQ(c.PollTimer()->Interval(), 150);
    c.SetPollInterval(1);
    EXPECT_EQ(c.PollTimer()->Interval(), 50);
}

TEST(WmiComponent, ActivationDrivesTimerAndSubscriptions) {
    ScriptedWmi wmi;
    CountingComponent c;
    c.SetPollInterval(7);  // inactive: no resubscription
    EXPECT_EQ(c.Resubscribes, 0);
    c.SetActive(true);
    EXPECT_EQ(c.Resubscribes, 1);
    EXPECT_TRUE(c.PollTimer()->Enabled());
    c.Subscriptions().push_back(std::make_unique<TWmiSubscription>(nullptr, nullptr));
    c.SetPollInterval(7);  // active: subscriptions dropped and made again
    EXPECT_TRUE(c.Subscriptions().empty());
    EXPECT_EQ(c.Resubscribes, 2);

    c.Subscriptions().push_back(std::make_unique<TWmiSubscription>(nullptr, nullptr));
    c.SetMachineName(u"elsewhere");  // a dropped connection stops the timer too
    EXPECT_FALSE(c.GetActive());
    EXPECT_FALSE(c.PollTimer()->Enabled());
    EXPECT_TRUE(c.Subscriptions().empty());

    // In design mode the timer stays off.
    c.SetDesigning(true);
    c.SetActive(true);
    EXPECT_FALSE(c.PollTimer()->Enabled());
}

TEST(WmiComponent, PollSkipsTimeoutsDeliversEventsAndRaisesOtherFailures) {
    ManualTimerService service;
    SetTimerService(&service);
    TWmiComponent c;
    int polls = 0;
    std::vector<std::string> delivered;
    c.OnPoll = [&](TObject* sender) {
        EXPECT_EQ(sender, &c);
        ++polls;
    };
    auto quiet = std::make_shared<ScriptedEventSource>(std::vector<HRESULT>{WBEM_E_TIMED_OUT});
    auto busy = std::make_shared<ScriptedEventSource>(std::vector<HRESULT>{S_OK, WBEM_E_FAILED});
    const auto handler = [&](TWmiComponent* sender, TWmiSubscription* sub, const Variant& event) {
        EXPECT_EQ(sender, &c);
        EXPECT_EQ(event.VarType(), varDispatch);
        delivered.push_back(sub->EventSource() == busy ? "busy" : "quiet");
    };
    c.Subscriptions().push_back(std::make_unique<TWmiSubscription>(quiet, handler));
    c.Subscriptions().push_back(std::make_unique<TWmiSubscription>(busy, handler));

    service.Advance(2500);  // the timer runs from creation
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(delivered, (std::vector<std::string>{"busy"}));
    EXPECT_EQ(quiet->Timeouts, (std::vector<std::int32_t>{10}));

    try {
        c.Poll();
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.ErrorCode, WBEM_E_FAILED);
    }
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(delivered.size(), 1u);
    SetTimerService(nullptr);
}

}  // namespace
}  // namespace veskin
