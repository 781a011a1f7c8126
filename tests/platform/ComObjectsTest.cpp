#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/ComObjects.h"
#include "platform/QueryInterface.h"
#include "platform/WbemNamedValueSet.h"
#include "platform/WbemScripting.h"

namespace veskin {
namespace {

const CLSID kTestClass = GUID::Parse("{11111111-2222-3333-4455-66778899AABB}");

TEST(GuidTest, ParsesAndFormatsTheRegistryForm) {
    GUID g = GUID::Parse("{76a64158-cb41-11d1-8b02-00600806d9b6}");
    EXPECT_EQ(g.Data1, 0x76A64158u);
    EXPECT_EQ(g.Data2, 0xCB41u);
    EXPECT_EQ(g.Data3, 0x11D1u);
    EXPECT_EQ(g.Data4[0], 0x8B);
    EXPECT_EQ(g.Data4[7], 0xB6);
    EXPECT_EQ(g.ToString(), "{76A64158-CB41-11D1-8B02-00600806D9B6}");
    EXPECT_EQ(g, CLSID_SWbemLocator);
    EXPECT_NE(g, IID_ISWbemLocator);
    EXPECT_TRUE(CLSID_SWbemLocator < IID_ISWbemLocator);
    EXPECT_FALSE(IID_ISWbemLocator < CLSID_SWbemLocator);
    EXPECT_FALSE(g < g);
}

TEST(GuidTest, RejectsMalformedText) {
    for (const char* bad : {"", "76A64158-CB41-11D1-8B02-00600806D9B6",
                            "{76A64158-CB41-11D1-8B02-00600806D9B}",
                            "{76A64158-CB41-11D1-8B02-00600806D9BG}",
                            "{76A64158+CB41-11D1-8B02-00600806D9B6}",
                            "{76A64158-CB41-11D18B02-00600806D9B6X}"}) {
        EXPECT_THROW(GUID::Parse(bad), EConvertError) << bad;
    }
    try {
        GUID::Parse("{x}");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'{x}' is not a valid GUID value");
    }
}

class Dummy : public ISWbemSecurity {
public:
    HRESULT get_ImpersonationLevel(std::int32_t& l) override {
        l = 0;
        return S_OK;
    }
    HRESULT put_ImpersonationLevel(std::int32_t) override { return S_OK; }
    HRESULT get_AuthenticationLevel(std::int32_t& l) override {
        l = 0;
        return S_OK;
    }
    HRESULT put_AuthenticationLevel(std::int32_t) override { return S_OK; }
};

ClassFactory DummyFactory(int* made) {
    return [made](const IID& iid, IInterfacePtr& obj) {
        ++*made;
        return QueryInterfaceByIid(std::make_shared<Dummy>(), iid, obj);
    };
}

TEST(ClassRegistryTest, UnknownClassIsNotRegistered) {
    IInterfacePtr obj = std::make_shared<Dummy>();
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 1, IID_IDispatch, obj), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(obj, nullptr);
}

TEST(ClassRegistryTest, NamedValueSetIsCreatableByDefault) {
    IInterfacePtr obj;
    ASSERT_EQ(CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ISWbemNamedValueSet, obj),
              S_OK);
    ASSERT_NE(Supports<ISWbemNamedValueSet>(obj), nullptr);
    // Asking for an interface the object lacks fails and hands back nothing.
    EXPECT_EQ(CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, 1, IID_ISWbemObject, obj),
              E_NOINTERFACE);
    EXPECT_EQ(obj, nullptr);
}

TEST(ClassRegistryTest, AggregationIsRefused) {
    Dummy outer;
    IInterfacePtr obj;
    EXPECT_EQ(CoCreateInstance(CLSID_SWbemNamedValueSet, &outer, 1, IID_IUnknown, obj),
              MakeHResult(0x80040110u));
}

TEST(ClassRegistryTest, ScopedOverridesNestAndRestore) {
    int first = 0, second = 0;
    IInterfacePtr obj;
    {
        ScopedClassOverride a(kTestClass, DummyFactory(&first));
        EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 7, IID_IDispatch, obj), S_OK);
        {
            ScopedClassOverride b(kTestClass, DummyFactory(&second));
            EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 7, IID_IDispatch, obj), S_OK);
        }
        EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 7, IID_IDispatch, obj), S_OK);
    }
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 7, IID_IDispatch, obj), REGDB_E_CLASSNOTREG);

    // Overriding a built-in class and restoring it keeps the built-in factory.
    {
        ScopedClassOverride off(CLSID_SWbemNamedValueSet, nullptr);
        EXPECT_EQ(CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, 1, IID_IUnknown, obj),
                  REGDB_E_CLASSNOTREG);
    }
    EXPECT_EQ(CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, 1, IID_IUnknown, obj), S_OK);
}

TEST(ClassRegistryTest, RegisterAndUnregister) {
    int made = 0;
    RegisterClassFactory(kTestClass, DummyFactory(&made));
    IInterfacePtr obj;
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 1, IID_IUnknown, obj), S_OK);
    UnregisterClassFactory(kTestClass);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 1, IID_IUnknown, obj), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(made, 1);
}

TEST(ClassRegistryTest, FactoriesMayCreateObjectsThemselves) {
    ScopedClassOverride nested(kTestClass, [](const IID& iid, IInterfacePtr& obj) {
        return CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, 1, iid, obj);
    });
    IInterfacePtr obj;
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 1, IID_ISWbemNamedValueSet, obj), S_OK);
}

TEST(ClassRegistryTest, CreationIsSafeFromSeveralThreads) {
    std::atomic<int> ok{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&ok] {
            for (int i = 0; i < 200; ++i) {
                const CLSID own = GUID::Parse("{AAAAAAAA-0000-0000-0000-00000000000" +
                                              std::to_string(i % 10) + "}");
                int made = 0;
                ScopedClassOverride o(own, DummyFactory(&made));
                IInterfacePtr obj;
                if (CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, 1, IID_IUnknown, obj) ==
                    S_OK)
                    ++ok;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(ok.load(), 800);
}

TEST(NamedValueSetTest, AddItemCountAndEnumeration) {
    WbemNamedValueSet set;
    ISWbemNamedValuePtr nv;
    ASSERT_EQ(set.Add(u"Mode", Variant(W("fast")), 0, nv), S_OK);
    ASSERT_EQ(set.Add(u"Depth", Variant(std::int32_t{3}), 0, nv), S_OK);
    ASSERT_EQ(set.Add(u"MODE", Variant(W("slow")), 0, nv), S_OK);  // same name, new value
    std::int32_t count = 0;
    set.get_Count(count);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(set.Item(u"mode", 0, nv), S_OK);
    Variant v;
    nv->get_Value(v);
    EXPECT_EQ(v.RawOleStr(), u"slow");
    EXPECT_EQ(set.Item(u"missing", 0, nv), WBEM_E_NOT_FOUND);
    EXPECT_EQ(nv, nullptr);

    IInterfacePtr e;
    ASSERT_EQ(set.get__NewEnum(e), S_OK);
    auto en = IntfCast<IEnumVARIANT>(e);
    Variant items[3];
    std::uint32_t fetched = 0;
    EXPECT_EQ(en->Next(3, items, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    WideString name;
    IntfCast<ISWbemNamedValue>(items[1].RawInterface())->get_Name(name);
    EXPECT_EQ(name, u"Depth");
}

}  // namespace
}  // namespace veskin
