#pragma once
// A scriptable WMI service for tests.
//
// While a ScriptedWmi lives it is the process's SWbemLocator class and its
// SWbemNamedValueSet class (CoCreateInstance answers with its objects); the previous
// classes come back when it is destroyed. Create one per test, on the stack:
//
//   ScriptedWmi wmi;                                   // server name "TESTHOST"
//   wmi.AddClass(u"root\\cimv2", u"Win32_Thing", {
//       PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
//       PropertyDef(u"Size", wbemCimtypeUint32)});
//   wmi.AddInstance(u"root\\cimv2", u"Win32_Thing", {{u"Name", W("a")}, {u"Size", 5}});
//   wmi.Fail(WmiOp::Next, WBEM_E_FAILED, 2);           // the 2nd Next fails
//   ... code under test connects, queries, reads, writes ...
//   EXPECT_EQ(wmi.Calls(WmiOp::ExecQuery), 1);
//   EXPECT_EQ(wmi.Connects()[0].User, u"bob");
//
// Every connection is accepted (any server, user, password) unless a failure is
// scripted for WmiOp::Connect; an unknown namespace fails with WBEM_E_INVALID_NAMESPACE.
// Queries are real WQL over the declared instances (WHERE, property lists, the
// prototype flag); Put_ stores a copy that later queries and Get see, Delete_ removes
// the instance. Objects hand out copies: put_Value changes only the caller's object.
// Thread-safe; the recorded arguments and counters can be read at any time.
#include <chrono>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ComObjects.h"
#include "platform/WbemClass.h"
#include "platform/WbemObjectSet.h"
#include "platform/WbemRepository.h"
#include "platform/WbemScripting.h"

namespace veskin {

// The operations a test can count, fail or slow down.
enum class WmiOp {
    CreateLocator,          // CoCreateInstance of SWbemLocator
    Connect,                // ISWbemLocator::ConnectServer
    LocatorSecurity,        // ISWbemLocator::get_Security_
    TypeInfo,               // ISWbemLocator::GetTypeInfo
    ExecQuery,              // ISWbemServices::ExecQuery
    Get,                    // ISWbemServices::Get
    Security,               // ISWbemServices::get_Security_
    PutImpersonationLevel,  // ISWbemSecurity::put_ImpersonationLevel (services' or locator's)
    NewEnum,                // ISWbemObjectSet::get__NewEnum
    Next,                   // IEnumVARIANT::Next of a query result (or Get)
    Properties,             // ISWbemObject::get_Properties_
    PropertyItem,           // ISWbemPropertySet::Item
    PropertyValue,          // ISWbemProperty::get_Value
    PutValue,               // ISWbemProperty::put_Value
    Path,                   // ISWbemObject::get_Path_
    Put,                    // ISWbemObject::Put_
    Delete,                 // ISWbemObject::Delete_
    ObjectText,             // ISWbemObject::GetObjectText_
    CreateNamedValueSet,    // CoCreateInstance of SWbemNamedValueSet
    AddNamedValue,          // ISWbemNamedValueSet::Add
    Count_                  // the number of operations (not an operation)
};

class ScriptedWmi {
public:
    struct ConnectArgs {
        WideString Server, NameSpace, User, Password, Locale, Authority;
        std::int32_t Flags = 0;
        bool HasContext = false;
        // The context's pairs as ConnectServer received them, in order.
        std::vector<std::pair<WideString, Variant>> Context;
    };
    struct QueryArgs {
        WideString Query, Language;
        std::int32_t Flags = 0;
        bool HasContext = false;
    };
    struct GetArgs {
        WideString Path;
        std::int32_t Flags = 0;
    };
    // Put_ and Delete_ calls.
    struct WriteArgs {
        WideString ClassName;
        std::int32_t Flags = 0;
        bool HasContext = false;
    };

    explicit ScriptedWmi(WideString serverName = u"TESTHOST");
    ~ScriptedWmi();
    ScriptedWmi(const ScriptedWmi&) = delete;
    ScriptedWmi& operator=(const ScriptedWmi&) = delete;

    // --- Declaring what the service holds. "root\cimv2" exists from the start.
    void AddNamespace(const WideString& nameSpace);
    // Declares a class whose instances the service stores (creates the namespace).
    WbemClassPtr AddClass(const WideString& nameSpace, const WideString& className,
                          std::vector<WbemPropertyDef> properties);
    // Stores an instance; values are given by property name in any automation form
    // and converted to the property's CIM type (a value that does not fit fails the
    // test with an exception). Properties not named are null.
    void AddInstance(const WideString& nameSpace, const WideString& className,
                     const std::vector<std::pair<WideString, Variant>>& values);
    // Declares a class whose instances a function makes on each enumeration; such a
    // class refuses Put_ and Delete_ (WBEM_E_PROVIDER_NOT_CAPABLE) as providers do.
    // The producer may yield objects of other classes (WbemObject::NewInstance of any
    // WbemClass) to make a result whose objects differ in their properties; queries
    // with a property list or WHERE see only the declared class's properties.
    void AddProviderClass(const WideString& nameSpace, WbemClassPtr cls,
                          std::function<WbemObjectProducer()> enumerate);
    // Copies of the instances now stored for a class (empty for an unknown class).
    std::vector<WbemObjectPtr> Instances(const WideString& nameSpace,
                                         const WideString& className) const;
    // The repository itself, for anything the helpers above do not cover.
    WbemRepositoryPtr Repository() const;

    // --- Failures and delays.
    // Makes op answer code. nth = 0: every call from now on; nth = k: only the k-th
    // call of op counted from now (1-based). name, when given, limits the rule to
    // calls about that property (PropertyItem, PropertyValue, PutValue) or objects of
    // that class (Properties, Path, Put, Delete, ObjectText); names compare in any case.
    // Next answering S_FALSE ends the enumeration there.
    void Fail(WmiOp op, HRESULT code, int nth = 0, const WideString& name = WideString());
    // Makes every call of op sleep first (0 ends the delay).
    void Delay(WmiOp op, std::chrono::milliseconds delay);
    // Removes every failure and delay.
    void ClearFaults();
    // The version the locator's type library reports (default 1.2).
    void SetTypeLibVersion(std::uint16_t major, std::uint16_t minor);

    // --- What was called.
    int Calls(WmiOp op) const;
    std::vector<ConnectArgs> Connects() const;
    std::vector<QueryArgs> Queries() const;
    std::vector<GetArgs> Gets() const;
    std::vector<WriteArgs> Puts() const;
    std::vector<WriteArgs> Deletes() const;
    // Every level given to put_ImpersonationLevel, in order.
    std::vector<std::int32_t> ImpersonationLevels() const;
    // Every Add on a named-value set this service created, in order (repeats included).
    std::vector<std::pair<WideString, Variant>> NamedValuesAdded() const;
    void ResetCounters();

private:
    std::shared_ptr<class ScriptedCore> FCore;  // shared with every object handed out
    std::unique_ptr<ScopedClassOverride> FLocatorOverride;
    std::unique_ptr<ScopedClassOverride> FNamedValueSetOverride;
};

}  // namespace veskin
