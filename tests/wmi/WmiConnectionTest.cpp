#include "wmi/WmiConnection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

// Records the connection events in order.
struct EventLog {
    explicit EventLog(TWmiConnection& c) {
        c.BeforeConnect = [this](TObject*) { Events.push_back("BeforeConnect"); };
        c.AfterConnect = [this](TObject*) { Events.push_back("AfterConnect"); };
        c.BeforeDisconnect = [this](TObject*) { Events.push_back("BeforeDisconnect"); };
        c.AfterDisconnect = [this](TObject*) { Events.push_back("AfterDisconnect"); };
    }
    std::vector<std::string> Take() { return std::exchange(Events, {}); }
    std::vector<std::string> Events;
};

using Log = std::vector<std::string>;

TEST(WmiConnection, ConnectsOnceAndDisconnectsWithEvents) {
    ScriptedWmi wmi;
    TWmiConnection c;
    EXPECT_EQ(c.ClassName(), "TWmiConnection");
    EXPECT_EQ(c.NameSpace(), u"root\\cimv2");
    EXPECT_EQ(c.MachineName(), u"");
    EXPECT_FALSE(c.LoginPrompt());
    EventLog log(c);
    std::vector<bool> told;
    TObject client;
    c.RegisterClient(&client, [&](TWmiConnection*, bool connecting) { told.push_back(connecting); });

    c.SetConnected(true);
    EXPECT_TRUE(c.Connected());
    EXPECT_NE(c.GetServices(), nullptr);
    EXPECT_EQ(log.Take(), (Log{"BeforeConnect", "AfterConnect"}));
    ASSERT_EQ(wmi.Connects().size(), 1u);
    EXPECT_EQ(wmi.Connects()[0].Server, u"");  // empty name: the local computer

    c.SetConnected(true);  // already connected: nothing at all
    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(wmi.Connects().size(), 1u);

    c.Close();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(c.GetServices(), nullptr);
    EXPECT_EQ(log.Take(), (Log{"BeforeDisconnect", "AfterDisconnect"}));
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    c.UnRegisterClient(&client);
    EXPECT_EQ(c.ClientCount(), 0);
}

TEST(WmiConnection, ChangedInputsDropTheConnectionWithoutEvents) {
    ScriptedWmi wmi;
    wmi.AddNamespace(u"root\\default");
    TWmiConnection c;
    c.SetMachineName(u"host");
    c.Open();
    EventLog log(c);

    c.SetMachineName(u"host");  // same value keeps it
    c.SetNameSpace(u"root\\cimv2");
    EXPECT_TRUE(c.Connected());
    c.SetMachineName(u"other");
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(wmi.Connects().size(), 1u);  // no new attempt of its own

    c.Open();
    c.SetNameSpace(u"root\\default");
    EXPECT_FALSE(c.Connected());
    c.Open();
    TWmiCredentials changed;
    changed.SetUserName(u"someone");
    c.SetCredentials(&changed);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(c.Credentials()->UserName(), u"someone");
    EXPECT_EQ(log.Take(), (Log{"BeforeConnect", "AfterConnect", "BeforeConnect", "AfterConnect"}));

    // A user name of 300 characters arrives empty.
    c.Credentials()->SetUserName(WideString(300, u'u'));
    c.Open();
    EXPECT_EQ(wmi.Connects().back().User, u"");
    EXPECT_EQ(wmi.Connects().back().NameSpace, u"root\\default");
}

TEST(WmiConnection, FailedConnectionRaisesAndFiresNoAfterConnect) {
    ScriptedWmi wmi;
    wmi.Fail(WmiOp::Connect, WBEM_E_INVALID_NAMESPACE);
    TWmiConnection c;
    EventLog log(c);
    bool told = false;
    TObject client;
    c.RegisterClient(&client, [&](TWmiConnection*, bool) { told = true; });
    try {
        c.SetConnected(true);
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.ErrorCode, WBEM_E_INVALID_NAMESPACE);
        EXPECT_EQ(e.Message(), "8004100E: The namespace specified could not be found.");
    }
    EXPECT_FALSE(c.Connected());
    EXPECT_FALSE(told);
    EXPECT_EQ(log.Take(), (Log{"BeforeConnect"}));
}

TEST(WmiConnection, DestroyingAConnectedConnectionFiresNoDisconnectEvents) {
    ScriptedWmi wmi;
    auto* c = new TWmiConnection();
    c->Open();
    std::vector<std::string> events;
    c->BeforeDisconnect = [&](TObject*) { events.push_back("BeforeDisconnect"); };
    c->AfterDisconnect = [&](TObject*) { events.push_back("AfterDisconnect"); };
    delete c;
    EXPECT_TRUE(events.empty());

    // Owned by another component, it goes with its owner.
    TComponent owner;
    auto* owned = new TWmiConnection(&owner);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owned->Owner(), &owner);
}

TEST(WmiConnection, WmiObjectIsReadOnceForThePathAndReleased) {
    ScriptedWmi wmi(u"HOST");
    wmi.AddClass(u"root\\cimv2", u"Win32_Thing", {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()})});
    wmi.AddInstance(u"root\\cimv2", u"Win32_Thing", {{u"Name", Variant(u"a")}});
    const WideString path = u"\\\\HOST\\root\\cimv2:Win32_Thing.Name=\"a\"";
    TWmiConnection c;

    c.SetObjectPath(path);
    EXPECT_EQ(c.GetWmiObject(), nullptr);  // not connected
    c.Open();

    c.SetObjectPath(u"");
    EXPECT_EQ(c.GetWmiObject(), nullptr);  // empty path: WMI is not asked
    EXPECT_EQ(c.GetObjectByPath(u""), nullptr);
    EXPECT_TRUE(wmi.Gets().empty());

    c.SetObjectPath(path);
    ISWbemObjectPtr first = c.GetWmiObject();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(c.GetWmiObject(), first);
    EXPECT_EQ(wmi.Gets().size(), 1u);
    EXPECT_EQ(wmi.Gets().at(0).Path, path);
    EXPECT_EQ(wmi.Gets().at(0).Flags, 0x20000);

    // Writing the path releases the object, even with the same text.
    c.SetObjectPath(path);
    EXPECT_EQ(c.CachedObject(), nullptr);
    c.GetWmiObject();
    EXPECT_EQ(wmi.Gets().size(), 2u);

    // The provider interface hands out the same things.
    IWmiObjectProvider& provider = c;
    ISWbemObjectPtr viaProvider;
    provider.GetWmiObject(viaProvider);
    EXPECT_EQ(viaProvider, c.CachedObject());
    ISWbemServicesPtr viaServices;
    provider.GetServices(viaServices);
    EXPECT_EQ(viaServices, c.GetServices());
    EXPECT_EQ(provider.GetComponent(), &c);

    // A quiet drop keeps the cached object; a disconnect releases it.
    c.SetMachineName(u"elsewhere");
    EXPECT_NE(c.CachedObject(), nullptr);
    c.Open();
    c.Close();
    EXPECT_EQ(c.CachedObject(), nullptr);

    // A path WMI cannot resolve raises and caches nothing; the next call tries again.
    c.Open();
    c.SetObjectPath(u"Win32_Thing.Name=\"missing\"");
    wmi.ResetCounters();
    EXPECT_THROW(c.GetWmiObject(), TWmiException);
    EXPECT_EQ(c.CachedObject(), nullptr);
    EXPECT_THROW(c.GetWmiObject(), TWmiException);
    EXPECT_EQ(wmi.Gets().size(), 2u);
}

TEST(WmiConnection, ConnectedReadFromAStoredFormConnectsWhenLoadingEnds) {
    ScriptedWmi wmi;
    TWmiConnection c;
    EventLog log(c);
    c.BeginLoading();
    c.SetMachineName(u"stored");
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(wmi.Connects().empty());
    c.EndLoading();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(log.Take(), (Log{"BeforeConnect", "AfterConnect"}));
    ASSERT_EQ(wmi.Connects().size(), 1u);
    EXPECT_EQ(wmi.Connects()[0].Server, u"stored");
}

}  // namespace
}  // namespace veskin
