#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/ComInit.h"
#include "platform/WbemNamedValueSet.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

WideString Repeat(char16_t c, std::size_t n) { return WideString(n, c); }

TEST(WmiConnectServer, PassesArgumentsThroughTheConversionBuffer) {
    ScriptedWmi wmi;
    auto context = std::make_shared<WbemNamedValueSet>();
    ISWbemNamedValuePtr added;
    context->Add(u"key", Variant(u"value"), 0, added);
    const WideString longLocale = Repeat(u'l', 300), longAuthority = u"NTLMDOMAIN:" + Repeat(u'd', 300);

    ISWbemServicesPtr services = WmiConnectServer(u"", u"root\\cimv2", Repeat(u'u', 300), Repeat(u'p', 254),
                                                  longLocale, longAuthority, context);
    ASSERT_NE(services, nullptr);
    ASSERT_EQ(wmi.Connects().size(), 1u);
    const ScriptedWmi::ConnectArgs a = wmi.Connects()[0];
    EXPECT_EQ(a.Server, u"");
    EXPECT_EQ(a.NameSpace, u"root\\cimv2");
    EXPECT_EQ(a.User, u"");                    // 300 characters do not fit the buffer
    EXPECT_EQ(a.Password, Repeat(u'p', 254));  // 254 do
    EXPECT_EQ(a.Locale, longLocale);           // locale and authority pass as they stand
    EXPECT_EQ(a.Authority, longAuthority);
    EXPECT_EQ(a.Flags, 128);
    ASSERT_TRUE(a.HasContext);
    ASSERT_EQ(a.Context.size(), 1u);
    EXPECT_EQ(a.Context[0].first, u"key");
    EXPECT_EQ(a.Context[0].second.AsWideString(), u"value");
    EXPECT_EQ(wmi.ImpersonationLevels(), (std::vector<std::int32_t>{wbemImpersonationLevelImpersonate}));

    // The limit counts characters after the round trip: 255 is one too many.
    EXPECT_EQ(WmiConversionBuffer(Repeat(u'x', 255)), u"");
    EXPECT_EQ(WmiConversionBuffer(u"Stra\u00dfe"), u"Stra\u00dfe");
    EXPECT_EQ(WmiConversionBuffer(Repeat(u'\u00e9', 254)), Repeat(u'\u00e9', 254));
}

TEST(WmiConnectServer, EveryFailingStepRaisesWithItsCode) {
    ScriptedWmi wmi;
    const auto expectCode = [&wmi](WmiOp op, HRESULT code, const std::string& message) {
        wmi.ClearFaults();
        wmi.Fail(op, code);
        try {
            WmiConnectServer(u"host", u"root\\cimv2", u"", u"", u"", u"", nullptr);
            ADD_FAILURE() << "no exception";
        } catch (const TWmiException& e) {
            EXPECT_EQ(e.ErrorCode, code);
            EXPECT_EQ(e.Message(), message);
        }
    };
    expectCode(WmiOp::CreateLocator, REGDB_E_CLASSNOTREG, "80040154: Class not registered");
    expectCode(WmiOp::Connect, WBEM_E_INVALID_NAMESPACE, "8004100E: The namespace specified could not be found.");
    expectCode(WmiOp::Connect, RPC_S_SERVER_UNAVAILABLE_HR, "800706BA: The RPC server is unavailable");
    expectCode(WmiOp::Security, WBEM_E_FAILED, "80041001: The call failed.");
    expectCode(WmiOp::PutImpersonationLevel, WBEM_E_ACCESS_DENIED,
               "80041003: The current user does not have permission to perform the action.");
}

TEST(WmiConnectServer, InitialisesComOnTheThreadBeforeCreatingTheLocator) {
    ScriptedWmi wmi;
    IInterfacePtr locator;
    ASSERT_EQ(CoCreateInstance(CLSID_SWbemLocator, nullptr, 7, IID_ISWbemLocator, locator), S_OK);
    std::vector<std::string> order;
    const ComCallObserver previous = SetComCallObserver([&order](const ComCall& c) { order.push_back(c.Name); });
    ScopedClassOverride counting(CLSID_SWbemLocator, [&](const IID&, IInterfacePtr& obj) -> HRESULT {
        order.push_back("locator");
        obj = locator;
        return S_OK;
    });
    std::thread([] {
        WmiConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", nullptr);
        WmiConnectLocal();
    }).join();
    SetComCallObserver(previous);
    EXPECT_EQ(order, (std::vector<std::string>{"CoInitializeEx", "CoInitializeSecurity", "locator", "locator"}));
}

TEST(WmiConnectLocal, UsesOwnIdentityAndAnswersNullWhenRefused) {
    ScriptedWmi wmi;
    EXPECT_NE(WmiConnectLocal(), nullptr);
    ASSERT_EQ(wmi.Connects().size(), 1u);
    const ScriptedWmi::ConnectArgs a = wmi.Connects()[0];
    EXPECT_EQ(a.Server, u"");
    EXPECT_EQ(a.NameSpace, u"root\\cimv2");
    EXPECT_EQ(a.User + a.Password + a.Locale + a.Authority, u"");
    EXPECT_EQ(a.Flags, 128);
    EXPECT_FALSE(a.HasContext);

    wmi.Fail(WmiOp::Connect, WBEM_E_ACCESS_DENIED);
    ISWbemServicesPtr refused;
    EXPECT_NO_THROW(refused = WmiConnectLocal());
    EXPECT_EQ(refused, nullptr);
    // Only the connection attempt is forgiven; the locator's creation is checked.
    wmi.Fail(WmiOp::CreateLocator, REGDB_E_CLASSNOTREG);
    EXPECT_THROW(WmiConnectLocal(), TWmiException);
}

TEST(WmiQueryPrototype, RunsThePrototypeQueryOnTheLocalComputer) {
    ScriptedWmi wmi;
    wmi.AddClass(u"root\\cimv2", u"Win32_OperatingSystem",
                 {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()})});
    ISWbemObjectPtr result = WmiQueryPrototype(u"Select * FROM Win32_OperatingSystem");
    ASSERT_NE(result, nullptr);
    ISWbemPropertySetPtr properties;
    ASSERT_EQ(result->get_Properties_(properties), S_OK);
    EXPECT_NE(WmiGetProperty(result, u"name"), nullptr);
    ASSERT_EQ(wmi.Queries().size(), 1u);
    EXPECT_EQ(wmi.Queries()[0].Query, u"Select * FROM Win32_OperatingSystem");
    EXPECT_EQ(wmi.Queries()[0].Language, u"WQL");
    EXPECT_EQ(wmi.Queries()[0].Flags, 50);
    EXPECT_EQ(wmi.Connects()[0].Server, u"");

    // Nothing delivered: null.
    wmi.Fail(WmiOp::Next, S_FALSE);
    EXPECT_EQ(WmiQueryPrototype(u"Select * FROM Win32_OperatingSystem"), nullptr);
    // A failing query raises through the check.
    wmi.Fail(WmiOp::ExecQuery, WBEM_E_INVALID_QUERY);
    try {
        WmiQueryPrototype(u"Select nonsense");
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.ErrorCode, WBEM_E_INVALID_QUERY);
    }
    // A refused local connection gives null, whatever the query.
    wmi.Fail(WmiOp::Connect, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(WmiQueryPrototype(u"Select nonsense"), nullptr);
}

// Type information that leads to a type library of version 1.2.
class TestTypeLib : public ITypeLib {
public:
    HRESULT GetLibAttr(TLibAttr& attr) override {
        attr.wMajorVerNum = 1;
        attr.wMinorVerNum = 2;
        return S_OK;
    }
};
class TestTypeInfo : public ITypeInfo {
public:
    HRESULT GetContainingTypeLib(std::shared_ptr<ITypeLib>& lib, std::uint32_t& index) override {
        index = 0;
        if (Fail) return E_FAIL;
        lib = std::make_shared<TestTypeLib>();
        return S_OK;
    }
    bool Fail = false;
};
class TypedLocator : public ISWbemLocator {
public:
    HRESULT ConnectServer(const WideString&, const WideString&, const WideString&, const WideString&,
                          const WideString&, const WideString&, std::int32_t, const ISWbemNamedValueSetPtr&,
                          ISWbemServicesPtr&) override {
        return E_NOTIMPL;
    }
    HRESULT get_Security_(ISWbemSecurityPtr&) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t lcid, std::shared_ptr<ITypeInfo>& info) override {
        Index = index;
        Lcid = lcid;
        info = Info;
        return S_OK;
    }
    std::shared_ptr<TestTypeInfo> Info = std::make_shared<TestTypeInfo>();
    std::uint32_t Index = 99, Lcid = 99;
};

TEST(WmiLibraryVersion, ReadsTheTypeLibraryVersionOrGivesEmptyText) {
    auto locator = std::make_shared<TypedLocator>();
    {
        ScopedClassOverride typed(CLSID_SWbemLocator, [&](const IID&, IInterfacePtr& obj) -> HRESULT {
            obj = locator;
            return S_OK;
        });
        EXPECT_EQ(WmiLibraryVersion(), u"1.2");
        EXPECT_EQ(locator->Index, 0u);
        EXPECT_EQ(locator->Lcid, 0u);
        locator->Info->Fail = true;
        EXPECT_EQ(WmiLibraryVersion(), u"");
    }
    {
        // A locator without type information.
        ScriptedWmi wmi;
        wmi.Fail(WmiOp::TypeInfo, E_NOTIMPL);
        EXPECT_EQ(WmiLibraryVersion(), u"");
        wmi.Fail(WmiOp::CreateLocator, REGDB_E_CLASSNOTREG);
        EXPECT_EQ(WmiLibraryVersion(), u"");
    }
}

}  // namespace
}  // namespace veskin
