#include "tests/support/ScriptedObjects.h"

#include "platform/QueryInterface.h"
#include "platform/WbemLocatorImpl.h"
#include "platform/WbemNamedValueSet.h"
#include "platform/WbemTypeInfo.h"

namespace veskin {

namespace {

class ScriptedSecurity : public ISWbemSecurity {
public:
    ScriptedSecurity(ScriptedCorePtr core, ISWbemSecurityPtr inner)
        : FCore(std::move(core)), FInner(std::move(inner)) {}
    HRESULT get_ImpersonationLevel(std::int32_t& level) override {
        return FInner->get_ImpersonationLevel(level);
    }
    HRESULT put_ImpersonationLevel(std::int32_t level) override {
        {
            std::lock_guard<std::mutex> guard(FCore->Lock);
            FCore->Impersonations.push_back(level);
        }
        HRESULT hr = FCore->Enter(WmiOp::PutImpersonationLevel);
        return Failed(hr) ? hr : FInner->put_ImpersonationLevel(level);
    }
    HRESULT get_AuthenticationLevel(std::int32_t& level) override {
        return FInner->get_AuthenticationLevel(level);
    }
    HRESULT put_AuthenticationLevel(std::int32_t level) override {
        return FInner->put_AuthenticationLevel(level);
    }

private:
    ScriptedCorePtr FCore;
    ISWbemSecurityPtr FInner;
};

class ScriptedEnum : public IEnumVARIANT {
public:
    ScriptedEnum(ScriptedCorePtr core, IEnumVARIANTPtr inner)
        : FCore(std::move(core)), FInner(std::move(inner)) {}
    HRESULT Next(std::uint32_t count, Variant* elements, std::uint32_t* fetched) override {
        if (fetched) *fetched = 0;
        HRESULT hr = FCore->Enter(WmiOp::Next);
        if (hr != S_OK) return hr;  // a failure, or S_FALSE: the end
        std::uint32_t got = 0;
        hr = FInner->Next(count, elements, &got);
        if (fetched) *fetched = got;
        for (std::uint32_t i = 0; i < got; ++i)
            if (elements[i].VarType() == varDispatch) FCore->Adopt(elements[i].RawInterface());
        return hr;
    }
    HRESULT Skip(std::uint32_t count) override { return FInner->Skip(count); }
    HRESULT Reset() override { return FInner->Reset(); }

private:
    ScriptedCorePtr FCore;
    IEnumVARIANTPtr FInner;
};

class ScriptedObjectSet : public ISWbemObjectSet {
public:
    ScriptedObjectSet(ScriptedCorePtr core, ISWbemObjectSetPtr inner)
        : FCore(std::move(core)), FInner(std::move(inner)) {}
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override {
        enumerator.reset();
        HRESULT hr = FCore->Enter(WmiOp::NewEnum);
        if (Failed(hr)) return hr;
        IInterfacePtr inner;
        hr = FInner->get__NewEnum(inner);
        if (Failed(hr)) return hr;
        enumerator = std::make_shared<ScriptedEnum>(FCore, IntfCast<IEnumVARIANT>(inner));
        return hr;
    }
    HRESULT get_Count(std::int32_t& count) override { return FInner->get_Count(count); }

private:
    ScriptedCorePtr FCore;
    ISWbemObjectSetPtr FInner;
};

class ScriptedServices : public ISWbemServices {
public:
    ScriptedServices(ScriptedCorePtr core, ISWbemServicesPtr inner)
        : FCore(std::move(core)), FInner(std::move(inner)) {}
    HRESULT Get(const WideString& objectPath, std::int32_t flags,
                const ISWbemNamedValueSetPtr& valueSet, ISWbemObjectPtr& object) override {
        object.reset();
        {
            std::lock_guard<std::mutex> guard(FCore->Lock);
            FCore->Gets.push_back(ScriptedWmi::GetArgs{objectPath, flags});
        }
        HRESULT hr = FCore->Enter(WmiOp::Get);
        if (Failed(hr)) return hr;
        hr = FInner->Get(objectPath, flags, valueSet, object);
        if (object) FCore->Adopt(object);
        return hr;
    }
    HRESULT ExecQuery(const WideString& query, const WideString& queryLanguage,
                      std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                      ISWbemObjectSetPtr& objectSet) override {
        objectSet.reset();
        {
            std::lock_guard<std::mutex> guard(FCore->Lock);
            FCore->Queries.push_back(
                ScriptedWmi::QueryArgs{query, queryLanguage, flags, valueSet != nullptr});
        }
        HRESULT hr = FCore->Enter(WmiOp::ExecQuery);
        if (Failed(hr)) return hr;
        ISWbemObjectSetPtr inner;
        hr = FInner->ExecQuery(query, queryLanguage, flags, valueSet, inner);
        if (Failed(hr)) return hr;
        objectSet = std::make_shared<ScriptedObjectSet>(FCore, inner);
        return hr;
    }
    HRESULT get_Security_(ISWbemSecurityPtr& security) override {
        security.reset();
        HRESULT hr = FCore->Enter(WmiOp::Security);
        if (Failed(hr)) return hr;
        ISWbemSecurityPtr inner;
        hr = FInner->get_Security_(inner);
        if (Failed(hr)) return hr;
        security = std::make_shared<ScriptedSecurity>(FCore, inner);
        return hr;
    }

private:
    ScriptedCorePtr FCore;
    ISWbemServicesPtr FInner;
};

// The pairs of a context as any named-value set reports them.
std::vector<std::pair<WideString, Variant>> ContextPairs(const ISWbemNamedValueSetPtr& set) {
    std::vector<std::pair<WideString, Variant>> pairs;
    IInterfacePtr e;
    if (!set || Failed(set->get__NewEnum(e))) return pairs;
    auto en = Supports<IEnumVARIANT>(e);
    if (!en) return pairs;
    for (;;) {
        Variant element;
        std::uint32_t got = 0;
        if (en->Next(1, &element, &got) != S_OK || got != 1) break;
        auto nv = Supports<ISWbemNamedValue>(element.RawInterface());
        if (!nv) continue;
        WideString name;
        Variant value;
        nv->get_Name(name);
        nv->get_Value(value);
        pairs.emplace_back(name, value);
    }
    return pairs;
}

class ScriptedLocator : public ISWbemLocator {
public:
    explicit ScriptedLocator(ScriptedCorePtr core)
        : FCore(std::move(core)),
          FInner(std::make_shared<WbemLocatorImpl>(FCore->Repository, nullptr)) {}

    HRESULT ConnectServer(const WideString& server, const WideString& nameSpace,
                          const WideString& user, const WideString& password,
                          const WideString& locale, const WideString& authority,
                          std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                          ISWbemServicesPtr& services) override {
        services.reset();
        ScriptedWmi::ConnectArgs args{server, nameSpace, user,
                                      password, locale, authority,
                                      securityFlags, valueSet != nullptr, ContextPairs(valueSet)};
        {
            std::lock_guard<std::mutex> guard(FCore->Lock);
            FCore->Connects.push_back(std::move(args));
        }
        HRESULT hr = FCore->Enter(WmiOp::Connect);
        if (Failed(hr)) return hr;
        ISWbemServicesPtr inner;
        hr = FInner->ConnectServer(server, nameSpace, user, password, locale, authority,
                                   securityFlags, valueSet, inner);
        if (Failed(hr)) return hr;
        services = std::make_shared<ScriptedServices>(FCore, inner);
        return hr;
    }
    HRESULT get_Security_(ISWbemSecurityPtr& security) override {
        security.reset();
        HRESULT hr = FCore->Enter(WmiOp::LocatorSecurity);
        if (Failed(hr)) return hr;
        ISWbemSecurityPtr inner;
        FInner->get_Security_(inner);
        security = std::make_shared<ScriptedSecurity>(FCore, inner);
        return S_OK;
    }
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t, std::shared_ptr<ITypeInfo>& info) override {
        info.reset();
        HRESULT hr = FCore->Enter(WmiOp::TypeInfo);
        if (Failed(hr)) return hr;
        if (index != 0) return MakeHResult(0x8002000Bu);  // DISP_E_BADINDEX
        std::lock_guard<std::mutex> guard(FCore->Lock);
        info = std::make_shared<WbemTypeInfo>(FCore->TypeLibMajor, FCore->TypeLibMinor);
        return S_OK;
    }

private:
    ScriptedCorePtr FCore;
    std::shared_ptr<WbemLocatorImpl> FInner;
};

class ScriptedNamedValueSet : public ISWbemNamedValueSet {
public:
    explicit ScriptedNamedValueSet(ScriptedCorePtr core)
        : FCore(std::move(core)), FInner(std::make_shared<WbemNamedValueSet>()) {}
    HRESULT Add(const WideString& name, const Variant& value, std::int32_t flags,
                ISWbemNamedValuePtr& namedValue) override {
        namedValue.reset();
        {
            std::lock_guard<std::mutex> guard(FCore->Lock);
            FCore->NamedValues.emplace_back(name, value);
        }
        HRESULT hr = FCore->Enter(WmiOp::AddNamedValue, name);
        return Failed(hr) ? hr : FInner->Add(name, value, flags, namedValue);
    }
    HRESULT Item(const WideString& name, std::int32_t flags, ISWbemNamedValuePtr& namedValue) override {
        return FInner->Item(name, flags, namedValue);
    }
    HRESULT get_Count(std::int32_t& count) override { return FInner->get_Count(count); }
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override {
        return FInner->get__NewEnum(enumerator);
    }

private:
    ScriptedCorePtr FCore;
    std::shared_ptr<WbemNamedValueSet> FInner;
};

}  // namespace

ClassFactory ScriptedLocatorFactory(const ScriptedCorePtr& core) {
    return [core](const IID& iid, IInterfacePtr& obj) -> HRESULT {
        HRESULT hr = core->Enter(WmiOp::CreateLocator);
        if (Failed(hr)) return hr;
        return QueryInterfaceByIid(std::make_shared<ScriptedLocator>(core), iid, obj);
    };
}

ClassFactory ScriptedNamedValueSetFactory(const ScriptedCorePtr& core) {
    return [core](const IID& iid, IInterfacePtr& obj) -> HRESULT {
        HRESULT hr = core->Enter(WmiOp::CreateNamedValueSet);
        if (Failed(hr)) return hr;
        return QueryInterfaceByIid(std::make_shared<ScriptedNamedValueSet>(core), iid, obj);
    };
}

}  // namespace veskin
