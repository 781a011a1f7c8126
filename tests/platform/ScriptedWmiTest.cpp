#include <gtest/gtest.h>

#include <chrono>

#include "platform/ComObjects.h"
#include "tests/support/GeneratedObjects.h"
#include "tests/support/QueryObjects.h"
#include "tests/support/ScriptedWmi.h"

namespace veskin {
namespace {

std::shared_ptr<ISWbemLocator> NewLocator() {
    IInterfacePtr obj;
    HRESULT hr = CoCreateInstance(CLSID_SWbemLocator, nullptr, 7, IID_ISWbemLocator, obj);
    if (Failed(hr)) return nullptr;
    return IntfCast<ISWbemLocator>(obj);
}

ISWbemServicesPtr Connect(const WideString& ns = u"root\\cimv2") {
    ISWbemServicesPtr services;
    auto locator = NewLocator();
    if (locator) locator->ConnectServer(u"", ns, u"", u"", u"", u"", 128, nullptr, services);
    return services;
}

Variant Read(const ISWbemObjectPtr& obj, const WideString& name) {
    ISWbemPropertySetPtr props;
    ISWbemPropertyPtr prop;
    Variant v;
    if (Failed(obj->get_Properties_(props)) || Failed(props->Item(name, 0, prop)) ||
        Failed(prop->get_Value(v)))
        return Variant::FromError(-1);
    return v;
}

class ScriptedWmiTest : public ::testing::Test {
protected:
    void SetUp() override {
        wmi.AddClass(u"root\\cimv2", u"Test_Disk",
                     {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                      PropertyDef(u"Size", wbemCimtypeUint64),
                      PropertyDef(u"Flags", wbemCimtypeUint32, true)});
        wmi.AddInstance(u"root\\cimv2", u"Test_Disk", {{u"Name", W("C:")}, {u"Size", std::int64_t{500}}});
        wmi.AddInstance(u"root\\cimv2", u"Test_Disk", {{u"Name", W("D:")}, {u"Size", std::int64_t{70}}});
    }
    ScriptedWmi wmi;
};

TEST_F(ScriptedWmiTest, RecordsConnectionArgumentsAndContext) {
    IInterfacePtr obj;
    ASSERT_EQ(CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, 1, IID_ISWbemNamedValueSet, obj), S_OK);
    auto context = IntfCast<ISWbemNamedValueSet>(obj);
    ISWbemNamedValuePtr nv;
    context->Add(u"Mode", Variant(W("x")), 0, nv);
    context->Add(u"Mode", Variant(W("y")), 0, nv);

    ISWbemServicesPtr services;
    ASSERT_EQ(NewLocator()->ConnectServer(u"far", u"root/CIMV2", u"bob", u"pw", u"MS_409",
                                          u"NTLMDOMAIN:corp", 128, context, services),
              S_OK);
    auto connects = wmi.Connects();
    ASSERT_EQ(connects.size(), 1u);
    EXPECT_EQ(connects[0].Server, u"far");
    EXPECT_EQ(connects[0].NameSpace, u"root/CIMV2");
    EXPECT_EQ(connects[0].User, u"bob");
    EXPECT_EQ(connects[0].Password, u"pw");
    EXPECT_EQ(connects[0].Locale, u"MS_409");
    EXPECT_EQ(connects[0].Authority, u"NTLMDOMAIN:corp");
    EXPECT_EQ(connects[0].Flags, 128);
    ASSERT_TRUE(connects[0].HasContext);
    ASSERT_EQ(connects[0].Context.size(), 1u);
    EXPECT_EQ(connects[0].Context[0].second.RawOleStr(), u"y");
    EXPECT_EQ(wmi.NamedValuesAdded().size(), 2u);  // both Adds recorded

    ISWbemSecurityPtr security;
    ASSERT_EQ(services->get_Security_(security), S_OK);
    EXPECT_EQ(security->put_ImpersonationLevel(3), S_OK);
    EXPECT_EQ(wmi.ImpersonationLevels(), std::vector<std::int32_t>{3});

    EXPECT_EQ(NewLocator()->ConnectServer(u"", u"root\\nothing", u"", u"", u"", u"", 0, nullptr, services),
              WBEM_E_INVALID_NAMESPACE);
}

TEST_F(ScriptedWmiTest, ScriptedFailuresHitTheChosenCall) {
    wmi.Fail(WmiOp::Next, WBEM_E_FAILED, 2);
    auto services = Connect();
    std::vector<ISWbemObjectPtr> objects;
    EXPECT_EQ(QueryObjects(services, u"SELECT * FROM Test_Disk", objects), WBEM_E_FAILED);
    EXPECT_EQ(objects.size(), 1u);
    // Only the second call failed: a new enumeration runs to the end.
    EXPECT_EQ(QueryObjects(services, u"SELECT * FROM Test_Disk", objects), S_OK);
    EXPECT_EQ(objects.size(), 2u);

    wmi.Fail(WmiOp::PropertyValue, WBEM_E_ACCESS_DENIED, 0, u"size");
    EXPECT_EQ(Read(objects[0], u"Name").RawOleStr(), u"C:");
    EXPECT_EQ(Read(objects[0], u"Size").VarType(), varError);

    wmi.Fail(WmiOp::Connect, RPC_S_SERVER_UNAVAILABLE_HR);
    EXPECT_EQ(Connect(), nullptr);
    wmi.ClearFaults();
    EXPECT_NE(Connect(), nullptr);

    wmi.Fail(WmiOp::CreateLocator, E_ACCESSDENIED, 1);
    EXPECT_EQ(NewLocator(), nullptr);
    EXPECT_NE(NewLocator(), nullptr);
    EXPECT_EQ(wmi.Calls(WmiOp::CreateLocator), 2 + 3);  // 3 from the Connect calls above
}

TEST_F(ScriptedWmiTest, DelaysSlowTheCallDown) {
    auto services = Connect();
    wmi.Delay(WmiOp::ExecQuery, std::chrono::milliseconds(60));
    auto start = std::chrono::steady_clock::now();
    std::vector<ISWbemObjectPtr> objects;
    ASSERT_EQ(QueryObjects(services, u"SELECT Name FROM Test_Disk", objects), S_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    ASSERT_EQ(wmi.Queries().size(), 1u);
    EXPECT_EQ(wmi.Queries()[0].Flags, 48);
}

TEST_F(ScriptedWmiTest, PutDeleteAndGetActOnTheStoredInstances) {
    auto services = Connect();
    std::vector<ISWbemObjectPtr> objects;
    ASSERT_EQ(QueryObjects(services, u"SELECT * FROM Test_Disk WHERE Name = 'd:'", objects), S_OK);
    ASSERT_EQ(objects.size(), 1u);

    ISWbemPropertySetPtr props;
    ISWbemPropertyPtr size;
    objects[0]->get_Properties_(props);
    props->Item(u"SIZE", 0, size);
    ASSERT_EQ(size->put_Value(Variant(std::int32_t{99})), S_OK);
    // Changing the local object changes nothing stored until Put_.
    EXPECT_EQ(Read(wmi.Instances(u"root\\cimv2", u"Test_Disk")[1], u"Size").RawOleStr(), u"70");
    ISWbemObjectPathPtr written;
    ASSERT_EQ(objects[0]->Put_(0, nullptr, written), S_OK);
    ASSERT_EQ(wmi.Puts().size(), 1u);
    EXPECT_EQ(wmi.Puts()[0].ClassName, u"Test_Disk");

    ISWbemObjectPathPtr path;
    WideString text;
    objects[0]->get_Path_(path);
    path->get_Path(text);
    EXPECT_EQ(text, u"\\\\TESTHOST\\root\\cimv2:Test_Disk.Name=\"D:\"");
    ISWbemObjectPtr again;
    ASSERT_EQ(services->Get(text, 0, nullptr, again), S_OK);
    EXPECT_EQ(Read(again, u"Size").RawOleStr(), u"99");

    ASSERT_EQ(again->Delete_(0, nullptr), S_OK);
    EXPECT_EQ(services->Get(text, 0, nullptr, again), WBEM_E_NOT_FOUND);
    ASSERT_EQ(QueryObjects(services, u"SELECT * FROM Test_Disk", objects), S_OK);
    EXPECT_EQ(objects.size(), 1u);
    EXPECT_EQ(wmi.Gets().size(), 2u);

    wmi.Fail(WmiOp::Delete, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(objects[0]->Delete_(0, nullptr), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(wmi.Instances(u"root\\cimv2", u"Test_Disk").size(), 1u);
}

TEST_F(ScriptedWmiTest, GeneratedObjectsAreMadeOnlyWhenFetched) {
    WbemClassPtr cls = AddGeneratedClass(wmi, u"root\\cimv2", u"Bench_Item", 100000, 40);
    EXPECT_EQ(cls->PropertyCount(), 40u);
    auto services = Connect();
    ISWbemObjectSetPtr set;
    ASSERT_EQ(services->ExecQuery(u"SELECT * FROM Bench_Item", u"WQL", 48, nullptr, set), S_OK);
    IInterfacePtr e;
    set->get__NewEnum(e);
    auto en = IntfCast<IEnumVARIANT>(e);
    Variant v;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(en->Next(1, &v, nullptr), S_OK);
    // Three objects of a 100,000-object result cost far less than making them all.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    auto obj = IntfCast<ISWbemObject>(v.RawInterface());
    EXPECT_EQ(Read(obj, u"Id").RawInt(), 2);
    EXPECT_EQ(Read(obj, u"P01").VarType(), varOleStr);
    EXPECT_EQ(Read(obj, u"P04").VarType(), varBoolean);
    ISWbemObjectPathPtr written;
    EXPECT_EQ(obj->Put_(0, nullptr, written), WBEM_E_PROVIDER_NOT_CAPABLE);
}

}  // namespace
}  // namespace veskin
