#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rtl/Component.h"
#include "rtl/Exception.h"

namespace veskin {
namespace {

std::vector<std::string> gLog;

// Records its notifications and its destruction in gLog.
class Probe : public TComponent {
public:
    explicit Probe(const std::string& name, TComponent* owner = nullptr) : TComponent(owner) { SetName(name); }
    ~Probe() override {
        Destroying();
        gLog.push_back("free " + Name() + (IsDestroying() ? " destroying" : ""));
    }
    std::string ClassName() const override { return "TProbe"; }

    TComponent* Partner = nullptr;  // cleared when the partner goes away
    bool LoadingSeenInLoaded = false;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        gLog.push_back(Name() + (operation == TOperation::opInsert ? " insert " : " remove ") + component->Name());
        if (operation == TOperation::opRemove && component == Partner) Partner = nullptr;
    }
    void Loaded() override {
        LoadingSeenInLoaded = IsLoading();
        TComponent::Loaded();
        gLog.push_back("loaded " + Name());
    }
};

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override { gLog.clear(); }
};

TEST_F(ComponentTest, OwnerFreesWhatItOwnsLastFirst) {
    auto* owner = new Probe("owner");
    auto* a = new Probe("a", owner);
    new Probe("b", owner);
    new Probe("a1", a);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(a->Owner(), owner);
    gLog.clear();
    delete owner;
    // The owner's own clean-up runs first; then what it owns is freed last first, with
    // no removal notice back to the dying owner.
    const std::vector<std::string> expected{"free owner destroying", "free b destroying", "free a destroying",
                                            "free a1 destroying"};
    EXPECT_EQ(gLog, expected);
}

TEST_F(ComponentTest, FreeingAnOwnedComponentTellsItsOwner) {
    Probe owner("owner");
    auto* a = new Probe("a");
    auto* b = new Probe("b");
    owner.InsertComponent(a);
    owner.InsertComponent(b);
    // The owner hears of each insertion and passes it on to what it owns, last first
    // (the probe logs after passing the notice on).
    EXPECT_EQ(gLog, (std::vector<std::string>{"a insert a", "owner insert a", "b insert b", "a insert b",
                                              "owner insert b"}));
    gLog.clear();
    delete a;
    // The owner hears of it and passes the notice on to what it still owns (b; a has
    // already left the list when b hears).
    ASSERT_GE(gLog.size(), 2u);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
    EXPECT_NE(std::find(gLog.begin(), gLog.end(), "owner remove a"), gLog.end());
    EXPECT_NE(std::find(gLog.begin(), gLog.end(), "b remove a"), gLog.end());
}

TEST_F(ComponentTest, FreeNotificationWorksBothWays) {
    auto* x = new Probe("x");
    auto* y = new Probe("y");
    x->Partner = y;
    y->Partner = x;
    x->FreeNotification(y);
    delete y;
    EXPECT_EQ(x->Partner, nullptr);
    gLog.clear();
    delete x;  // y is gone; x must not reach it
    EXPECT_EQ(gLog, (std::vector<std::string>{"free x destroying"}));

    auto* p = new Probe("p");
    auto* q = new Probe("q");
    p->Partner = q;
    p->FreeNotification(q);
    p->RemoveFreeNotification(q);
    delete q;
    EXPECT_EQ(p->Partner, q);  // no notice after removal (q's address is only compared)
    delete p;
}

TEST_F(ComponentTest, InsertMovesBetweenOwnersAndDesigningSpreads) {
    Probe first("first");
    Probe second("second");
    auto* c = new Probe("c", &first);
    second.SetDesigning(true);
    second.InsertComponent(c);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(c->Owner(), &second);
    EXPECT_TRUE(c->IsDesigning());
    EXPECT_THROW(c->InsertComponent(&second), Exception);  // would be an ownership loop
    EXPECT_THROW(c->InsertComponent(c), Exception);
    EXPECT_EQ(second.Owner(), nullptr);
    second.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    delete c;
    EXPECT_EQ(second.ComponentCount(), 0);
}

TEST_F(ComponentTest, LoadingCallsLoadedWhileStillLoading) {
    Probe root("root");
    auto* child = new Probe("child", &root);
    root.BeginLoading();
    EXPECT_TRUE(root.IsLoading());
    EXPECT_TRUE(child->IsLoading());
    EXPECT_TRUE(child->ComponentState() & csReading);
    gLog.clear();
    root.EndLoading();
    EXPECT_EQ(gLog, (std::vector<std::string>{"loaded root", "loaded child"}));
    EXPECT_TRUE(root.LoadingSeenInLoaded);
    EXPECT_TRUE(child->LoadingSeenInLoaded);
    EXPECT_FALSE(root.IsLoading());
    EXPECT_FALSE(child->IsLoading());
    EXPECT_EQ(child->ComponentState() & csReading, 0u);
}

TEST_F(ComponentTest, DefaultAssignRaises) {
    TComponent a;
    Probe b("b");
    try {
        a.Assign(&b);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TProbe to a TComponent");
    }
    try {
        a.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TComponent");
    }
}

}  // namespace
}  // namespace veskin
