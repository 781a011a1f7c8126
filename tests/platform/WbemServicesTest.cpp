#include <gtest/gtest.h>

#include <map>

#include "platform/WbemLocatorImpl.h"
#include "platform/WbemProperty.h"

namespace veskin {
namespace {

class WbemServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        repo = std::make_shared<WbemRepository>(u"BOX");
        ns = repo->AddNamespace(u"root\\cimv2");
        cls = WbemClass::Make(u"Test_Proc",
                              {PropertyDef(u"Id", wbemCimtypeUint32, false, {KeyQualifier()}),
                               PropertyDef(u"Name", wbemCimtypeString),
                               PropertyDef(u"Threads", wbemCimtypeUint32)});
        stored = ns->AddStoredClass(cls);
        Add(1, "init", 1);
        Add(20, "bash", 3);
        Add(300, "Bash", 0);
        services = std::make_shared<WbemServicesImpl>(repo, ns);
    }
    void Add(std::int32_t id, const char* name, std::int32_t threads) {
        auto obj = WbemObject::NewInstance(cls);
        obj->SetValue(u"Id", Variant(id));
        obj->SetValue(u"Name", Variant(W(name)));
        obj->SetValue(u"Threads", Variant(threads));
        ASSERT_EQ(stored->Add(*obj), S_OK);
    }
    HRESULT Query(const WideString& text, std::vector<WbemObjectPtr>& out, std::int32_t flags = 48) {
        out.clear();
        ISWbemObjectSetPtr set;
        HRESULT hr = services->ExecQuery(text, u"wql", flags, nullptr, set);
        if (Failed(hr)) return hr;
        IInterfacePtr e;
        set->get__NewEnum(e);
        auto en = IntfCast<IEnumVARIANT>(e);
        Variant v;
        std::uint32_t got = 0;
        while ((hr = en->Next(1, &v, &got)) == S_OK)
            out.push_back(std::dynamic_pointer_cast<WbemObject>(v.RawInterface()));
        return Failed(hr) ? hr : S_OK;
    }

    WbemRepositoryPtr repo;
    WbemNamespacePtr ns;
    WbemClassPtr cls;
    std::shared_ptr<StoredInstanceSource> stored;
    std::shared_ptr<WbemServicesImpl> services;
};

TEST_F(WbemServicesTest, QueryErrors) {
    std::vector<WbemObjectPtr> r;
    ISWbemObjectSetPtr set;
    EXPECT_EQ(services->ExecQuery(u"SELECT * FROM Test_Proc", u"SQL", 0, nullptr, set),
              WBEM_E_INVALID_QUERY_TYPE);
    EXPECT_EQ(Query(u"SELECT * FROM Nothing", r), WBEM_E_INVALID_CLASS);
    EXPECT_EQ(Query(u"SELECT Bogus FROM Test_Proc", r), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(u"SELECT * FROM Test_Proc WHERE Bogus = 1", r), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(u"SELEC * FROM Test_Proc", r), WBEM_E_INVALID_QUERY);
}

TEST_F(WbemServicesTest, WhereFiltersAndPropertyListsProject) {
    std::vector<WbemObjectPtr> r;
    ASSERT_EQ(Query(u"select name from test_proc where NAME = 'BASH' and threads > 0", r), S_OK);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->Class()->PropertyCount(), 1u);
    EXPECT_EQ(r[0]->GetValue(u"Name").RawOleStr(), u"bash");
    WideString path = r[0]->FullPath();
    EXPECT_EQ(path, u"");  // the key was not selected

    ASSERT_EQ(Query(u"SELECT Id, Name FROM Test_Proc WHERE Id >= 20", r), S_OK);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1]->FullPath(), u"\\\\BOX\\root\\cimv2:Test_Proc.Id=300");
}

TEST_F(WbemServicesTest, LargeUint32ValuesCompareUnsigned) {
    Add(7, "big", 0);
    auto big = WbemObject::NewInstance(cls);
    big->SetValue(u"Id", Variant(std::int64_t{3000000000}));
    ASSERT_EQ(stored->Add(*big), S_OK);
    std::vector<WbemObjectPtr> r;
    ASSERT_EQ(Query(u"SELECT * FROM Test_Proc WHERE Id > 2147483647", r), S_OK);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->RelPath(), u"Test_Proc.Id=3000000000");
}

// Quoted literals convert to the property's CIM type: 64-bit values (delivered as
// text) compare as numbers, never digit by digit; datetimes compare as DMTF text.
TEST_F(WbemServicesTest, QuotedLiteralsCompareByThePropertysType) {
    auto mem = WbemClass::Make(u"Test_Mem", {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                                             PropertyDef(u"Size", wbemCimtypeUint64),
                                             PropertyDef(u"Delta", wbemCimtypeSint64),
                                             PropertyDef(u"Count", wbemCimtypeSint32),
                                             PropertyDef(u"Ratio", wbemCimtypeReal64),
                                             PropertyDef(u"Since", wbemCimtypeDatetime)});
    auto memStore = ns->AddStoredClass(mem);
    auto add = [&](const char* name, const char* size, const char* delta, const char* since) {
        auto obj = WbemObject::NewInstance(mem);
        obj->SetValue(u"Name", Variant(W(name)));
        obj->SetValue(u"Size", Variant(W(size)));
        obj->SetValue(u"Delta", Variant(W(delta)));
        obj->SetValue(u"Count", Variant(1));
        obj->SetValue(u"Ratio", Variant(0.5));
        obj->SetValue(u"Since", Variant(W(since)));
        ASSERT_EQ(memStore->Add(*obj), S_OK);
    };
    add("a", "9000001", "-5", "20200101000000.000000+000");
    add("b", "10000000", "10000000", "20180101000000.000000+000");
    add("c", "18446744073709551615", "-9223372036854775808", "20210101000000.000000+000");
    auto names = [&](const std::string& where) {
        std::vector<WbemObjectPtr> r;
        EXPECT_EQ(Query(AnsiToWide("SELECT Name FROM Test_Mem WHERE " + where), r), S_OK) << where;
        std::string out;
        for (const auto& obj : r) out += WideToAnsi(obj->GetValue(u"Name").RawOleStr());
        return out;
    };
    // Expected with the property on the left, and with the literal on the left.
    const struct {
        const char *Op, *Left, *Right;
    } sizeCases[] = {{"=", "b", "b"}, {"<>", "ac", "ac"}, {"!=", "ac", "ac"}, {"<", "a", "c"}, {">", "c", "a"}, {"<=", "ab", "bc"}, {">=", "bc", "ab"}};
    for (const auto& c : sizeCases) {
        const std::string op = c.Op;
        EXPECT_EQ(names("Size " + op + " '10000000'"), c.Left) << op;
        EXPECT_EQ(names("Size " + op + " 10000000"), c.Left) << op;
        EXPECT_EQ(names("'10000000' " + op + " Size"), c.Right) << op;
    }
    EXPECT_EQ(names("Size > '9000000'"), "abc");
    EXPECT_EQ(names("Size = '18446744073709551615'"), "c");
    EXPECT_EQ(names("Delta < '-1'"), "ac");
    EXPECT_EQ(names("Delta < Size"), "ac");  // property against property, by value too
    EXPECT_EQ(names("Ratio = '0.5' AND Count = ' 1 '"), "abc");
    // Datetimes compare as their DMTF text.
    EXPECT_EQ(names("Since > '2019'"), "ac");
    EXPECT_EQ(names("Since < '20200101000000.000000+000'"), "b");

    std::vector<WbemObjectPtr> r;
    for (const char* where : {"Size > 'abc'", "Count = 'x'", "'1e' < Ratio", "Delta <> ''"})
        EXPECT_EQ(Query(AnsiToWide(std::string("SELECT * FROM Test_Mem WHERE ") + where), r), WBEM_E_INVALID_QUERY)
            << where;
    EXPECT_EQ(names("Name = 'abc' OR Since = 'abc'"), "");  // text properties take any text
}

TEST_F(WbemServicesTest, PrototypeDescribesTheResultWithoutRunningIt) {
    int enumerations = 0;
    ns->AddClass(cls->Project({u"Id", u"Name", u"Threads"}),
                 std::make_shared<ProviderInstanceSource>([&enumerations]() -> WbemObjectProducer {
                     ++enumerations;
                     return [](WbemObjectPtr&) -> HRESULT { return S_FALSE; };
                 }));
    std::vector<WbemObjectPtr> r;
    ASSERT_EQ(Query(u"SELECT Threads, Name FROM Test_Proc", r, 50), S_OK);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_TRUE(r[0]->IsClass());
    ASSERT_EQ(r[0]->Class()->PropertyCount(), 2u);
    EXPECT_EQ(r[0]->Class()->Properties()[0].Name, u"Name");
    EXPECT_EQ(enumerations, 0);
}

TEST_F(WbemServicesTest, ReturnImmediatelyMakesObjectsOnlyWhenAsked) {
    int made = 0;
    WbemClassPtr gen = WbemClass::Make(u"Test_Gen", {PropertyDef(u"N", wbemCimtypeSint32)});
    ns->AddClass(gen, std::make_shared<ProviderInstanceSource>([&made, gen]() -> WbemObjectProducer {
                     auto n = std::make_shared<int>(0);
                     return [&made, gen, n](WbemObjectPtr& out) -> HRESULT {
                         if (*n == 1000) return S_FALSE;
                         ++made;
                         out = WbemObject::NewInstance(gen);
                         out->SetValue(u"N", Variant(std::int32_t{(*n)++}));
                         return S_OK;
                     };
                 }));
    ISWbemObjectSetPtr set;
    ASSERT_EQ(services->ExecQuery(u"SELECT * FROM Test_Gen WHERE N <> 0", u"WQL",
                                  wbemFlagReturnImmediately, nullptr, set),
              S_OK);
    EXPECT_EQ(made, 0);
    IInterfacePtr e;
    set->get__NewEnum(e);
    Variant v[2];
    std::uint32_t got = 0;
    ASSERT_EQ(IntfCast<IEnumVARIANT>(e)->Next(2, v, &got), S_OK);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(made, 3);  // N = 0 was made and filtered out

    // Without the flag the whole result is made at once, and a failure fails the query.
    made = 0;
    ASSERT_EQ(services->ExecQuery(u"SELECT * FROM Test_Gen", u"WQL", 0, nullptr, set), S_OK);
    EXPECT_EQ(made, 1000);
    ns->AddClass(gen, std::make_shared<ProviderInstanceSource>([]() -> WbemObjectProducer {
                     return [](WbemObjectPtr&) -> HRESULT { return WBEM_E_ACCESS_DENIED; };
                 }));
    EXPECT_EQ(services->ExecQuery(u"SELECT * FROM Test_Gen", u"WQL", 0, nullptr, set),
              WBEM_E_ACCESS_DENIED);
}

TEST_F(WbemServicesTest, DeferredClassesAreMadeOnceAndOnlyWhenAQueryReachesThem) {
    std::map<std::string, int> made;
    auto defer = [&made](const char16_t* name, std::vector<WideString> derivation) {
        return WbemDeferredClass{name, derivation, [&made, name, derivation] {
                                     ++made[WideToAnsi(name)];
                                     return WbemClass::Make(name, {PropertyDef(u"N", wbemCimtypeSint32)}, derivation,
                                                            false);
                                 }};
    };
    auto one = [](WbemClassPtr* cls) {
        return std::make_shared<ProviderInstanceSource>([cls]() -> WbemObjectProducer {
            auto done = std::make_shared<bool>(false);
            return [cls, done](WbemObjectPtr& out) -> HRESULT {
                if (*done) return S_FALSE;
                *done = true;
                out = WbemObject::NewInstance(*cls);
                return S_OK;
            };
        });
    };
    WbemClassPtr baseClass, derivedClass;
    ns->AddClass(defer(u"Test_Base", {}), nullptr);
    ns->AddClass(defer(u"Test_Derived", {u"Test_Base"}), one(&derivedClass));
    ns->AddClass(defer(u"Test_Other", {}), one(&baseClass));
    EXPECT_TRUE(made.empty());
    EXPECT_TRUE(ns->HasClass(u"test_derived"));
    EXPECT_EQ(ns->ClassNames().size(), 4u);  // with Test_Proc
    EXPECT_TRUE(made.empty());

    WbemClassEntry entry;
    ASSERT_TRUE(ns->FindClass(u"TEST_DERIVED", entry));
    derivedClass = entry.Class;
    EXPECT_EQ(made, (std::map<std::string, int>{{"Test_Derived", 1}}));

    // A query on the base finds the derived class's instance by the derivation given up
    // front; the unrelated class stays unmade.
    std::vector<WbemObjectPtr> r;
    ASSERT_EQ(Query(u"SELECT * FROM Test_Base", r), S_OK);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->Class()->Name(), u"Test_Derived");
    EXPECT_EQ(made, (std::map<std::string, int>{{"Test_Base", 1}, {"Test_Derived", 1}}));

    // Listing every class makes the rest, once.
    EXPECT_EQ(ns->Classes().size(), 4u);
    ns->Classes();
    EXPECT_EQ(made, (std::map<std::string, int>{{"Test_Base", 1}, {"Test_Derived", 1}, {"Test_Other", 1}}));
}

TEST_F(WbemServicesTest, GetFindsInstancesAgainAndReportsBadPaths) {
    ISWbemObjectPtr obj;
    ASSERT_EQ(services->Get(u"\\\\BOX\\ROOT/cimv2:Test_Proc.Id=20", 0, nullptr, obj), S_OK);
    EXPECT_EQ(std::dynamic_pointer_cast<WbemObject>(obj)->GetValue(u"Name").RawOleStr(), u"bash");
    ASSERT_EQ(services->Get(u"Test_Proc=\"300\"", 0, nullptr, obj), S_OK);
    ASSERT_EQ(services->Get(u"Test_Proc", 0, nullptr, obj), S_OK);
    EXPECT_TRUE(std::dynamic_pointer_cast<WbemObject>(obj)->IsClass());

    EXPECT_EQ(services->Get(u"Test_Proc.Id=21", 0, nullptr, obj), WBEM_E_NOT_FOUND);
    EXPECT_EQ(obj, nullptr);
    EXPECT_EQ(services->Get(u"Nope.Id=1", 0, nullptr, obj), WBEM_E_NOT_FOUND);
    EXPECT_EQ(services->Get(u"root\\other:Test_Proc.Id=1", 0, nullptr, obj), WBEM_E_INVALID_NAMESPACE);
    EXPECT_EQ(services->Get(u"Test_Proc.Name=\"bash\"", 0, nullptr, obj), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(services->Get(u"Test_Proc=@", 0, nullptr, obj), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(services->Get(u"Test_Proc.Id=1,Id=1", 0, nullptr, obj), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(services->Get(u"Test_Proc.Id=", 0, nullptr, obj), WBEM_E_INVALID_OBJECT_PATH);
}

TEST_F(WbemServicesTest, PutOfAProjectionChangesOnlyItsPropertiesAndDeleteRemoves) {
    std::vector<WbemObjectPtr> r;
    ASSERT_EQ(Query(u"SELECT Id, Threads FROM Test_Proc WHERE Id = 20", r), S_OK);
    ASSERT_EQ(r[0]->SetValue(u"Threads", Variant(std::int32_t{9})), S_OK);
    ISWbemObjectPathPtr path;
    ASSERT_EQ(r[0]->Put_(0, nullptr, path), S_OK);
    WideString text;
    path->get_Path(text);
    EXPECT_EQ(text, u"\\\\BOX\\root\\cimv2:Test_Proc.Id=20");
    ASSERT_EQ(Query(u"SELECT * FROM Test_Proc WHERE Id = 20", r), S_OK);
    EXPECT_EQ(r[0]->GetValue(u"Threads").RawInt(), 9);
    EXPECT_EQ(r[0]->GetValue(u"Name").RawOleStr(), u"bash");

    // A new key adds an instance; a null key is refused.
    r[0]->SetValue(u"Id", Variant(std::int32_t{21}));
    ASSERT_EQ(r[0]->Put_(0, nullptr, path), S_OK);
    EXPECT_EQ(stored->Count(), 4u);
    r[0]->SetValue(u"Id", Variant::Null());
    EXPECT_EQ(r[0]->Put_(0, nullptr, path), WBEM_E_ILLEGAL_NULL);

    ASSERT_EQ(Query(u"SELECT * FROM Test_Proc WHERE Id = 1", r), S_OK);
    ASSERT_EQ(r[0]->Delete_(0, nullptr), S_OK);
    EXPECT_EQ(r[0]->Delete_(0, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(stored->Count(), 3u);
}

TEST_F(WbemServicesTest, ProviderClassesRefuseWrites) {
    WbemClassPtr ro = WbemClass::Make(u"Test_Ro", {PropertyDef(u"X", wbemCimtypeString)});
    ns->AddClass(ro, std::make_shared<ProviderInstanceSource>([ro]() -> WbemObjectProducer {
                     auto done = std::make_shared<bool>(false);
                     return [ro, done](WbemObjectPtr& out) -> HRESULT {
                         if (*done) return S_FALSE;
                         *done = true;
                         out = WbemObject::NewInstance(ro);
                         return S_OK;
                     };
                 }));
    std::vector<WbemObjectPtr> r;
    ASSERT_EQ(Query(u"SELECT * FROM Test_Ro", r), S_OK);
    ISWbemObjectPathPtr path;
    EXPECT_EQ(r[0]->Put_(0, nullptr, path), WBEM_E_PROVIDER_NOT_CAPABLE);
    EXPECT_EQ(r[0]->Delete_(0, nullptr), WBEM_E_PROVIDER_NOT_CAPABLE);
}

TEST(WbemLocatorTest, PolicyNamespacesAndSecurity) {
    auto repo = std::make_shared<WbemRepository>(u"BOX");
    repo->AddNamespace(u"root\\cimv2");
    WbemLocatorImpl locator(repo, [](const WbemConnectRequest& r) {
        return r.User.empty() ? S_OK : WBEM_E_LOCAL_CREDENTIALS;
    });
    ISWbemServicesPtr services;
    EXPECT_EQ(locator.ConnectServer(u"", u"", u"bob", u"", u"", u"", 0, nullptr, services),
              WBEM_E_LOCAL_CREDENTIALS);
    EXPECT_EQ(locator.ConnectServer(u"", u"root\\x", u"", u"", u"", u"", 0, nullptr, services),
              WBEM_E_INVALID_NAMESPACE);
    ASSERT_EQ(locator.ConnectServer(u"", u"/ROOT/CIMV2/", u"", u"", u"", u"", 0, nullptr, services), S_OK);
    ISWbemSecurityPtr security;
    services->get_Security_(security);
    EXPECT_EQ(security->put_ImpersonationLevel(5), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(security->put_ImpersonationLevel(wbemImpersonationLevelImpersonate), S_OK);

    std::shared_ptr<ITypeInfo> info;
    ASSERT_EQ(locator.GetTypeInfo(0, 0, info), S_OK);
    std::shared_ptr<ITypeLib> lib;
    std::uint32_t index = 9;
    info->GetContainingTypeLib(lib, index);
    TLibAttr attr;
    lib->GetLibAttr(attr);
    EXPECT_EQ(attr.wMajorVerNum, 1);
    EXPECT_EQ(attr.wMinorVerNum, 2);
}

}  // namespace
}  // namespace veskin
