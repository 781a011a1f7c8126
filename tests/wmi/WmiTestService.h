#pragma once
// A small recording WMI service for the connection tests: a locator that records its
// ConnectServer arguments and answers with chosen codes, and a services object whose
// Get, ExecQuery and Security_ can fail on demand.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ComObjects.h"
#include "platform/WbemObject.h"
#include "platform/WbemObjectSet.h"
#include "platform/WbemScripting.h"
#include "platform/WbemSecurity.h"

namespace veskin::wmitest {

struct ConnectArgs {
    WideString Server, NameSpace, User, Password, Locale, Authority;
    std::int32_t Flags = 0;
    ISWbemNamedValueSetPtr Context;
};

class TestServices : public ISWbemServices {
public:
    HRESULT Get(const WideString& path, std::int32_t flags, const ISWbemNamedValueSetPtr&,
                ISWbemObjectPtr& object) override {
        GetPaths.push_back(path);
        GetFlags.push_back(flags);
        object.reset();
        auto it = Objects.find(path);
        if (it == Objects.end()) return WBEM_E_INVALID_OBJECT_PATH;
        object = it->second;
        return S_OK;
    }
    HRESULT ExecQuery(const WideString& query, const WideString& language, std::int32_t flags,
                      const ISWbemNamedValueSetPtr&, ISWbemObjectSetPtr& objectSet) override {
        Queries.push_back(query);
        QueryLanguage = language;
        QueryFlags = flags;
        objectSet.reset();
        if (Failed(QueryResult)) return QueryResult;
        objectSet = std::make_shared<WbemObjectSet>(QueryObjects);
        return S_OK;
    }
    HRESULT get_Security_(ISWbemSecurityPtr& security) override {
        security = Failed(SecurityResult) ? nullptr : Security;
        return SecurityResult;
    }

    std::map<WideString, ISWbemObjectPtr> Objects;
    std::vector<WideString> GetPaths;
    std::vector<std::int32_t> GetFlags;
    std::vector<WbemObjectPtr> QueryObjects;
    HRESULT QueryResult = S_OK;
    std::vector<WideString> Queries;
    WideString QueryLanguage;
    std::int32_t QueryFlags = -1;
    HRESULT SecurityResult = S_OK;
    std::shared_ptr<WbemSecurity> Security = std::make_shared<WbemSecurity>();
};

// A security object whose impersonation level cannot be set.
class RefusingSecurity : public WbemSecurity {
public:
    HRESULT put_ImpersonationLevel(std::int32_t) override { return WBEM_E_ACCESS_DENIED; }
};

class TestLocator : public ISWbemLocator {
public:
    HRESULT ConnectServer(const WideString& server, const WideString& nameSpace, const WideString& user,
                          const WideString& password, const WideString& locale, const WideString& authority,
                          std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                          ISWbemServicesPtr& services) override {
        Calls.push_back({server, nameSpace, user, password, locale, authority, securityFlags, valueSet});
        services.reset();
        if (ConnectResult != S_OK) return ConnectResult;
        services = std::make_shared<TestServices>(*Template);
        Connected.push_back(std::static_pointer_cast<TestServices>(services));
        return S_OK;
    }
    HRESULT get_Security_(ISWbemSecurityPtr& security) override {
        security = std::make_shared<WbemSecurity>();
        return S_OK;
    }

    HRESULT ConnectResult = S_OK;
    // Each connection gets its own copy of this services object.
    std::shared_ptr<TestServices> Template = std::make_shared<TestServices>();
    std::vector<ConnectArgs> Calls;
    std::vector<std::shared_ptr<TestServices>> Connected;
};

// Makes every locator creation hand out the same TestLocator while it lives, and
// counts the creations.
class ScopedTestLocator {
public:
    ScopedTestLocator()
        : Locator(std::make_shared<TestLocator>()),
          FOverride(CLSID_SWbemLocator, [this](const IID&, IInterfacePtr& obj) -> HRESULT {
              ++Creations;
              if (Failed(CreateResult)) {
                  obj.reset();
                  return CreateResult;
              }
              obj = Locator;
              return S_OK;
          }) {}

    std::shared_ptr<TestLocator> Locator;
    HRESULT CreateResult = S_OK;
    int Creations = 0;

private:
    ScopedClassOverride FOverride;
};

// An instance of a one-property class with the given name value.
inline WbemObjectPtr NamedInstance(const WideString& className, const WideString& name) {
    auto cls = WbemClass::Make(className, {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()})});
    auto obj = WbemObject::NewInstance(cls);
    obj->SetValue(u"Name", Variant(name));
    return obj;
}

}  // namespace veskin::wmitest
