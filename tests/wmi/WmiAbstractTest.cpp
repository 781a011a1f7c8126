#include "wmi/WmiAbstract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WbemNamedValueSet.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

TEST(WmiCredentials, SettersFireOnlyOnChange) {
    TWmiCredentials c;
    int changes = 0;
    c.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &c);
        ++changes;
    };
    c.SetUserName(u"admin");
    c.SetUserName(u"admin");
    c.SetUserName(u"Admin");  // case counts
    c.SetPassword(u"secret");
    c.SetAuthority(u"NTLMDOMAIN:corp");
    c.SetLocale(u"MS_409");
    c.SetLocale(u"MS_409");
    EXPECT_EQ(changes, 5);

    TStringList same;
    c.SetOptions(&same);  // both empty
    c.SetOptions(nullptr);
    EXPECT_EQ(changes, 5);
    TStringList lines;
    lines.Add("a=1");
    c.SetOptions(&lines);
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(c.Options()->Text(), lines.Text());
    EXPECT_NE(c.Options(), &lines);  // a copy, not the given list
    TStringList again;
    again.SetText("a=1\n");
    c.SetOptions(&again);
    EXPECT_EQ(changes, 6);
}

TEST(WmiCredentials, AssignCopiesInOrderFiringOncePerDifference) {
    TWmiCredentials source, dest;
    source.SetAuthority(u"auth");
    source.SetLocale(u"MS_409");
    TStringList opts;
    opts.Add("x=y");
    source.SetOptions(&opts);
    source.SetPassword(u"pw");
    source.SetUserName(u"user");

    std::vector<std::string> seen;
    dest.OnChange = [&](TObject*) {
        seen.push_back(WideToAnsi(dest.Authority()) + "|" + WideToAnsi(dest.Locale()) + "|" +
                       std::to_string(dest.Options()->Count()) + "|" + WideToAnsi(dest.Password()) + "|" +
                       WideToAnsi(dest.UserName()));
    };
    dest.Assign(&source);
    EXPECT_EQ(seen, (std::vector<std::string>{"auth||0||", "auth|MS_409|0||", "auth|MS_409|1||",
                                              "auth|MS_409|1|pw|", "auth|MS_409|1|pw|user"}));
    // Only the password differs: one notification.
    seen.clear();
    source.SetPassword(u"other");
    dest.Assign(&source);
    EXPECT_EQ(seen.size(), 1u);

    TStringList notCredentials;
    EXPECT_THROW(dest.Assign(&notCredentials), EConvertError);
    EXPECT_THROW(dest.Assign(nullptr), EConvertError);
}

TEST(WmiCredentials, BuildContextAddsOneValuePerLine) {
    TWmiCredentials c;
    EXPECT_EQ(c.BuildContext(), nullptr);

    TStringList opts;
    opts.SetText("a=1\nA=2\nnovalue\n=first\n__ProviderArchitecture=64");
    c.SetOptions(&opts);
    // Record the Add calls as the set receives them.
    struct RecordingSet : WbemNamedValueSet {
        HRESULT Add(const WideString& name, const Variant& value, std::int32_t flags,
                    ISWbemNamedValuePtr& namedValue) override {
            Added.push_back(WideToAnsi(name) + "=" + WideToAnsi(value.AsWideString()) + "/" +
                            std::to_string(value.VarType()) + "/" + std::to_string(flags));
            return WbemNamedValueSet::Add(name, value, flags, namedValue);
        }
        std::vector<std::string> Added;
    };
    auto recording = std::make_shared<RecordingSet>();
    ScopedClassOverride set(CLSID_SWbemNamedValueSet, [&](const IID&, IInterfacePtr& obj) -> HRESULT {
        obj = recording;
        return S_OK;
    });
    ISWbemNamedValueSetPtr context = c.BuildContext();
    EXPECT_EQ(context, recording);
    const std::string ole = "/" + std::to_string(varOleStr) + "/0";
    EXPECT_EQ(recording->Added, (std::vector<std::string>{"a=1" + ole, "A=1" + ole, "=first" + ole,
                                                          "=first" + ole, "__ProviderArchitecture=64" + ole}));
}

TEST(WmiCredentials, BuildContextFailuresRaise) {
    TWmiCredentials c;
    TStringList opts;
    opts.Add("a=1");
    c.SetOptions(&opts);
    {
        ScopedClassOverride missing(CLSID_SWbemNamedValueSet, [](const IID&, IInterfacePtr& obj) -> HRESULT {
            obj.reset();
            return REGDB_E_CLASSNOTREG;
        });
        EXPECT_THROW(c.BuildContext(), TWmiException);
    }
    struct RefusingSet : WbemNamedValueSet {
        HRESULT Add(const WideString&, const Variant&, std::int32_t, ISWbemNamedValuePtr&) override {
            return WBEM_E_INVALID_PARAMETER;
        }
    };
    ScopedClassOverride refusing(CLSID_SWbemNamedValueSet, [](const IID&, IInterfacePtr& obj) -> HRESULT {
        obj = std::make_shared<RefusingSet>();
        return S_OK;
    });
    try {
        c.BuildContext();
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.ErrorCode, WBEM_E_INVALID_PARAMETER);
    }
}

TEST(WmiAbstract, ConnectsOnDemandAndDropsQuietlyOnInputChange) {
    ScriptedWmi wmi;
    wmi.AddNamespace(u"root\\default");
    TWmiAbstract a;
    EXPECT_EQ(a.NameSpace(), u"root\\cimv2");
    EXPECT_EQ(a.ClassName(), "TWmiAbstract");
    int activations = 0, deactivations = 0;
    a.OnActivate = [&](TObject*) { ++activations; };
    a.OnDeactivate = [&](TObject*) { ++deactivations; };

    a.SetMachineName(u"server1");
    a.Credentials()->SetUserName(u"bob");
    TStringList opts;
    opts.Add("k=v");
    a.Credentials()->SetOptions(&opts);
    EXPECT_FALSE(a.GetActive());
    EXPECT_TRUE(wmi.Connects().empty());  // nothing connects before it is asked

    a.SetActive(true);
    EXPECT_TRUE(a.GetActive());
    EXPECT_NE(a.GetServices(), nullptr);
    ASSERT_EQ(wmi.Connects().size(), 1u);
    EXPECT_EQ(wmi.Connects()[0].Server, u"server1");
    EXPECT_EQ(wmi.Connects()[0].User, u"bob");
    EXPECT_TRUE(wmi.Connects()[0].HasContext);
    EXPECT_EQ(wmi.Connects()[0].Context.size(), 1u);
    EXPECT_EQ(activations, 1);

    a.SetActive(true);  // no reconnect
    a.SetMachineName(u"server1");
    a.SetNameSpace(u"root\\cimv2");
    a.Credentials()->SetUserName(u"bob");
    EXPECT_TRUE(a.GetActive());
    EXPECT_EQ(wmi.Connects().size(), 1u);

    // Each changed input drops the connection; the next activation connects anew.
    a.SetMachineName(u"server2");
    EXPECT_FALSE(a.GetActive());
    a.SetActive(true);
    a.SetNameSpace(u"root\\default");
    EXPECT_FALSE(a.GetActive());
    a.SetActive(true);
    a.Credentials()->SetPassword(u"pw");
    EXPECT_FALSE(a.GetActive());
    EXPECT_EQ(wmi.Connects().size(), 3u);
    EXPECT_EQ(wmi.Connects()[2].NameSpace, u"root\\default");
    EXPECT_EQ(deactivations, 3);
}

TEST(WmiAbstract, FailedConnectionStaysInactive) {
    ScriptedWmi wmi;
    wmi.Fail(WmiOp::Connect, WBEM_E_ACCESS_DENIED);
    TWmiAbstract a;
    bool activated = false;
    a.OnActivate = [&](TObject*) { activated = true; };
    EXPECT_THROW(a.SetActive(true), TWmiException);
    EXPECT_FALSE(a.GetActive());
    EXPECT_FALSE(activated);
    // A failing context is raised before any attempt.
    TStringList opts;
    opts.Add("a=1");
    a.Credentials()->SetOptions(&opts);
    ScopedClassOverride missing(CLSID_SWbemNamedValueSet, [](const IID&, IInterfacePtr& obj) -> HRESULT {
        obj.reset();
        return E_OUTOFMEMORY;
    });
    EXPECT_THROW(a.SetActive(true), TWmiException);
    EXPECT_EQ(wmi.Connects().size(), 1u);
}

TEST(WmiAbstract, LoadingRecordsActiveAndAppliesItAtTheEnd) {
    ScriptedWmi wmi;
    TWmiAbstract a;
    a.BeginLoading();
    a.SetActive(true);
    a.Credentials()->SetUserName(u"loaded");  // no drop, no change handling while loading
    EXPECT_FALSE(a.GetActive());
    EXPECT_TRUE(wmi.Connects().empty());
    a.EndLoading();
    EXPECT_TRUE(a.GetActive());
    ASSERT_EQ(wmi.Connects().size(), 1u);
    EXPECT_EQ(wmi.Connects()[0].User, u"loaded");
}

}  // namespace
}  // namespace veskin
