// System properties, class inheritance, ISA, meta_class and the namespaces of the
// native service, over the fixture tree.
#include <gtest/gtest.h>

#include <set>

#include "platform/WbemProperty.h"
#include "platform/WbemSystemProperties.h"
#include "platform/native/NativeService.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

std::vector<std::string> Strings(const Variant& array) {
    std::vector<std::string> out;
    for (int i = array.ArrayLowBound(); i <= array.ArrayHighBound(); ++i) out.push_back(WideToAnsi(array.GetElement(i).RawOleStr()));
    return out;
}

std::set<std::string> Column(const std::vector<WbemObjectPtr>& objects, const char* name) {
    std::set<std::string> values;
    for (const auto& o : objects) values.insert(Val(o, name));
    return values;
}

TEST(NativeSystemProperties, InstancesCarryThemButDoNotEnumerateThem) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto procs = All(s.Services, "SELECT * FROM Win32_Process WHERE ProcessId = 42");
    ASSERT_EQ(procs.size(), 1u);
    const WbemObjectPtr& p = procs[0];
    EXPECT_EQ(Val(p, "__CLASS"), "Win32_Process");
    EXPECT_EQ(Val(p, "__SUPERCLASS"), "CIM_Process");
    EXPECT_EQ(Val(p, "__DYNASTY"), "CIM_ManagedSystemElement");
    EXPECT_EQ(Strings(p->GetValue(u"__DERIVATION")),
              (std::vector<std::string>{"CIM_Process", "CIM_LogicalElement", "CIM_ManagedSystemElement"}));
    EXPECT_EQ(Val(p, "__GENUS"), "2");
    EXPECT_EQ(Val(p, "__NAMESPACE"), "root\\cimv2");
    EXPECT_EQ(Val(p, "__SERVER"), "FIXTUREHOST");
    EXPECT_EQ(Val(p, "__RELPATH"), "Win32_Process.Handle=\"42\"");
    EXPECT_EQ(Val(p, "__PATH"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_Process.Handle=\"42\"");
    EXPECT_EQ(Val(p, "__property_count"), std::to_string(p->Class()->PropertyCount()));

    // Properties_ lists the class's own properties only; Item finds system ones too,
    // read-only and of the system's origin.
    ISWbemPropertySetPtr props;
    ASSERT_EQ(p->get_Properties_(props), S_OK);
    std::int32_t count = 0;
    props->get_Count(count);
    EXPECT_EQ(count, static_cast<std::int32_t>(p->Class()->PropertyCount()));
    for (const auto& def : p->Class()->Properties()) EXPECT_NE(def.Name.substr(0, 2), u"__");
    ISWbemPropertyPtr path;
    ASSERT_EQ(props->Item(u"__PATH", 0, path), S_OK);
    Variant value;
    ASSERT_EQ(path->get_Value(value), S_OK);
    EXPECT_EQ(WideToAnsi(value.RawOleStr()), Val(p, "__PATH"));
    WideString origin;
    path->get_Origin(origin);
    EXPECT_EQ(origin, u"___SYSTEM");
    EXPECT_EQ(path->put_Value(Variant(WideString(u"x"))), WBEM_E_SYSTEM_PROPERTY);
    ISWbemPropertyPtr derivation;
    ASSERT_EQ(props->Item(u"__DERIVATION", 0, derivation), S_OK);
    VARIANT_BOOL isArray = VARIANT_FALSE;
    derivation->get_IsArray(isArray);
    EXPECT_EQ(isArray, VARIANT_TRUE);
    EXPECT_EQ(props->Item(u"__NOSUCH", 0, path), WBEM_E_NOT_FOUND);
}

TEST(NativeSystemProperties, SelectListAndWhereUseThem) {
    Service s = Connect(FixtureRoot("native-basic"));
    const std::size_t all = All(s.Services, "SELECT * FROM Win32_Process").size();
    ASSERT_GT(all, 1u);

    // A projection is partial: no ancestry and, without its keys, no location...
    auto names = All(s.Services, "SELECT Name FROM Win32_Process");
    ASSERT_EQ(names.size(), all);
    EXPECT_EQ(Val(names[0], "__PATH"), "<null>");
    EXPECT_EQ(Val(names[0], "__SERVER"), "<null>");
    EXPECT_EQ(Val(names[0], "__SUPERCLASS"), "<null>");
    EXPECT_EQ(names[0]->GetValue(u"__DERIVATION").ArrayCount(), 0);
    EXPECT_EQ(Val(names[0], "__PROPERTY_COUNT"), "1");
    // ...unless the select list asks for the path; it still holds just the named properties.
    auto paths = All(s.Services, "SELECT __PATH, Name FROM Win32_Process WHERE Handle = '42'");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(Val(paths[0], "__PATH"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_Process.Handle=\"42\"");
    EXPECT_EQ(paths[0]->Class()->PropertyCount(), 1u);

    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Process WHERE __CLASS = 'win32_process'").size(), all);
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Process WHERE __CLASS = 'CIM_Process'").size(), 0u);
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Process WHERE __GENUS = 2 AND __SERVER = 'fixturehost'").size(), all);
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Process WHERE __RELPATH = 'Win32_Process.Handle=\"42\"'").size(), 1u);
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Process WHERE __THIS ISA 'CIM_LogicalElement'").size(), all);
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Process WHERE NOT __THIS ISA 'Win32_Process'").size(), 0u);
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Process WHERE __THIS ISA 'CIM_OperatingSystem'").size(), 0u);

    std::vector<WbemObjectPtr> none;
    EXPECT_EQ(Query(s.Services, "SELECT __NOSUCH FROM Win32_Process", none), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(s.Services, "SELECT * FROM Win32_Process WHERE __THIS = 1", none), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(s.Services, "SELECT * FROM Win32_Process WHERE __THIS ISA 5", none), WBEM_E_INVALID_QUERY);
}

TEST(NativeInheritance, BaseClassQueriesReturnTheDerivedInstances) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto procs = All(s.Services, "SELECT * FROM Win32_Process");
    auto viaBase = All(s.Services, "SELECT * FROM CIM_Process");
    ASSERT_EQ(viaBase.size(), procs.size());
    EXPECT_EQ(Column(viaBase, "__CLASS"), std::set<std::string>{"Win32_Process"});
    EXPECT_EQ(Column(viaBase, "Handle"), Column(procs, "Handle"));
    // The derived objects keep their own class's properties.
    EXPECT_NE(Val(viaBase[0], "CommandLine"), "");

    // A root of many classes: the operating system, the processes and others, each
    // a class derived from it.
    auto elements = All(s.Services, "SELECT Name FROM CIM_LogicalElement");
    const auto elementClasses = Column(elements, "__CLASS");
    EXPECT_TRUE(elementClasses.count("Win32_OperatingSystem") && elementClasses.count("Win32_Process"));
    EXPECT_EQ(All(s.Services, "SELECT Name FROM CIM_LogicalElement WHERE __CLASS = 'Win32_Process'").size(), procs.size());
    const auto derived = Column(All(s.Services, "SELECT * FROM meta_class WHERE __THIS ISA 'CIM_LogicalElement'"), "__CLASS");
    for (const auto& name : elementClasses) EXPECT_TRUE(derived.count(name)) << name;
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_Process WHERE Handle = '42'").size(), 1u);
    EXPECT_EQ(All(s.Services, "SELECT Name FROM Win32_Perf").size(),
              All(s.Services, "SELECT Name FROM Win32_PerfFormattedData").size() +
                  All(s.Services, "SELECT Name FROM Win32_PerfRawData").size());

    // The base class decides which properties a query may name.
    std::vector<WbemObjectPtr> none;
    EXPECT_EQ(Query(s.Services, "SELECT CommandLine FROM CIM_Process", none), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(s.Services, "SELECT * FROM CIM_NoSuchClass", none), WBEM_E_INVALID_CLASS);
}

TEST(NativeInheritance, MetaClassListsTheClassesAsClassObjects) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto classes = All(s.Services, "SELECT * FROM meta_class");
    const auto names = Column(classes, "__CLASS");
    for (const char* expected : {"Win32_Process", "CIM_Process", "CIM_ManagedSystemElement", "Win32_OperatingSystem",
                                 "__NAMESPACE", "__SystemClass"})
        EXPECT_TRUE(names.count(expected)) << expected;
    EXPECT_EQ(Column(classes, "__GENUS"), std::set<std::string>{"1"});

    auto process = All(s.Services, "SELECT * FROM meta_class WHERE __CLASS = 'Win32_Process'");
    ASSERT_EQ(process.size(), 1u);
    EXPECT_TRUE(process[0]->IsClass());
    EXPECT_EQ(Val(process[0], "__PATH"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_Process");
    EXPECT_EQ(Val(process[0], "__RELPATH"), "Win32_Process");
    EXPECT_EQ(Val(process[0], "__SUPERCLASS"), "CIM_Process");
    EXPECT_EQ(Val(process[0], "Name"), "<null>");

    auto family = All(s.Services, "SELECT * FROM meta_class WHERE __THIS ISA 'CIM_Process'");
    EXPECT_EQ(Column(family, "__CLASS"), (std::set<std::string>{"CIM_Process", "Win32_Process"}));
    auto roots = All(s.Services, "SELECT * FROM META_CLASS WHERE __SUPERCLASS IS NULL AND __CLASS LIKE 'CIM%'");
    EXPECT_EQ(Column(roots, "__CLASS"),
              (std::set<std::string>{"CIM_Component", "CIM_Dependency", "CIM_ElementSetting", "CIM_ManagedSystemElement",
                                     "CIM_Setting", "CIM_StatisticalInformation"}));

    std::vector<WbemObjectPtr> none;
    EXPECT_EQ(Query(s.Services, "SELECT Name FROM meta_class", none), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(s.Services, "SELECT * FROM meta_class WHERE Name = 'x'", none), WBEM_E_INVALID_QUERY);
}

TEST(NativeNamespaces, RootListsCimv2) {
    auto context = std::make_shared<const NativeContext>(FixtureRoot("native-basic"));
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr root;
    ASSERT_EQ(locator->ConnectServer(u"", u"root", u"", u"", u"", u"", 128, nullptr, root), S_OK);
    auto namespaces = All(root, "SELECT * FROM __NAMESPACE");
    ASSERT_EQ(namespaces.size(), 1u);
    EXPECT_EQ(Val(namespaces[0], "Name"), "cimv2");
    EXPECT_EQ(Val(namespaces[0], "__PATH"), "\\\\FIXTUREHOST\\root:__NAMESPACE.Name=\"cimv2\"");
    EXPECT_EQ(Strings(namespaces[0]->GetValue(u"__DERIVATION")), std::vector<std::string>{"__SystemClass"});
    ISWbemObjectPtr again;
    ASSERT_EQ(root->Get(u"__NAMESPACE.Name=\"CIMV2\"", 0, nullptr, again), S_OK);

    ISWbemServicesPtr cimv2;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, cimv2), S_OK);
    EXPECT_EQ(All(cimv2, "SELECT * FROM __NAMESPACE").size(), 0u);
}

}  // namespace
}  // namespace veskin
