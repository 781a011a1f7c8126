#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "rtl/Timer.h"

namespace veskin {
namespace {

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { SetTimerService(&service_); }
    void TearDown() override { SetTimerService(nullptr); }
    ManualTimerService service_;
};

TEST_F(TimerTest, CreatedEnabledWithOneSecond) {
    TTimer t;
    EXPECT_TRUE(t.Enabled());
    EXPECT_EQ(t.Interval(), 1000);
    EXPECT_FALSE(t.Running());  // no handler yet
    int ticks = 0;
    t.SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(sender, &t);
        ++ticks;
    });
    EXPECT_TRUE(t.Running());
    service_.Advance(999);
    EXPECT_EQ(ticks, 0);
    service_.Advance(1);
    EXPECT_EQ(ticks, 1);
    service_.Advance(3500);
    EXPECT_EQ(ticks, 4);
}

TEST_F(TimerTest, DisablingAndIntervalChangesRestart) {
    TTimer t;
    int ticks = 0;
    t.SetOnTimer([&](TObject*) { ++ticks; });
    t.SetInterval(2500);
    service_.Advance(2000);
    t.SetEnabled(false);
    EXPECT_FALSE(service_.IsScheduled(&t));
    service_.Advance(5000);
    EXPECT_EQ(ticks, 0);
    t.SetEnabled(true);
    service_.Advance(2499);
    EXPECT_EQ(ticks, 0);
    service_.Advance(1);
    EXPECT_EQ(ticks, 1);
    t.SetInterval(0);
    EXPECT_FALSE(t.Running());
    service_.Advance(10000);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, TicksInTimeOrderAndHandlersMayStopTimers) {
    std::vector<int> order;
    int fastTicks = 0;
    TTimer fast, slow;
    fast.SetInterval(100);
    slow.SetInterval(250);
    fast.SetOnTimer([&](TObject*) {
        order.push_back(100);
        if (++fastTicks == 4) fast.SetEnabled(false);
    });
    slow.SetOnTimer([&](TObject*) { order.push_back(250); });
    service_.Advance(600);
    EXPECT_EQ(order, (std::vector<int>{100, 100, 250, 100, 100, 250}));
    EXPECT_FALSE(service_.IsScheduled(&fast));
}

TEST_F(TimerTest, FreedTimerLeavesServiceAndNoServiceMeansNoTicks) {
    int ticks = 0;
    {
        TTimer t;
        t.SetOnTimer([&](TObject*) { ++ticks; });
        EXPECT_EQ(service_.ScheduledCount(), 1);
    }
    EXPECT_EQ(service_.ScheduledCount(), 0);
    service_.Advance(5000);

    TTimer t;
    t.SetOnTimer([&](TObject*) { ++ticks; });
    SetTimerService(nullptr);
    EXPECT_FALSE(t.Running());
    EXPECT_EQ(service_.ScheduledCount(), 0);
    service_.Advance(5000);
    EXPECT_EQ(ticks, 0);
    SetTimerService(&service_);  // running timers move to the new service
    EXPECT_TRUE(t.Running());
    service_.Advance(1000);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, HandlerExceptionKeepsTimerRunning) {
    TTimer t;
    int ticks = 0;
    t.SetOnTimer([&](TObject*) {
        ++ticks;
        throw std::runtime_error("tick failed");
    });
    EXPECT_THROW(service_.Advance(1000), std::runtime_error);
    EXPECT_TRUE(service_.IsScheduled(&t));
    EXPECT_THROW(service_.Advance(1000), std::runtime_error);
    EXPECT_EQ(ticks, 2);
}

TEST_F(TimerTest, OwnedTimerIsFreedWithItsOwner) {
    auto* owner = new TComponent;
    auto* t = new TTimer(owner);
    t->SetOnTimer([](TObject*) {});
    EXPECT_EQ(service_.ScheduledCount(), 1);
    delete owner;
    EXPECT_EQ(service_.ScheduledCount(), 0);
}

}  // namespace
}  // namespace veskin
