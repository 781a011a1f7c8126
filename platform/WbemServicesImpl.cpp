#include "platform/WbemServicesImpl.h"

#include "platform/WbemObjectPath.h"
#include "platform/Wql.h"

namespace veskin {

WbemServicesImpl::WbemServicesImpl(WbemRepositoryPtr repository, WbemNamespacePtr nameSpace)
    : FRepository(std::move(repository)),
      FNameSpace(std::move(nameSpace)),
      FSecurity(std::make_shared<WbemSecurity>()) {}

void WbemServicesImpl::Locate(WbemObject& object) const {
    object.SetLocation(FRepository->ServerName(), FNameSpace->Name(), FNameSpace);
}

namespace {

// The value a WHERE condition sees: uint32 values above 2^31 travel as negative 32-bit
// integers and are compared by their unsigned value.
Variant ConditionValue(const WbemObject& object, const WideString& name) {
    int i = object.Class()->IndexOf(name);
    if (i < 0) return Variant::Null();
    Variant v = object.GetValue(static_cast<std::size_t>(i));
    const WbemPropertyDef& def = object.Class()->Properties()[static_cast<std::size_t>(i)];
    if (def.CimType == wbemCimtypeUint32 && !def.IsArray && v.VarType() == varInteger)
        return Variant::FromInt64(static_cast<std::uint32_t>(v.RawInt()));
    return v;
}

// Finds the class key each path key names; false when they do not fit the class.
bool KeysFit(const WbemClass& cls, const ParsedObjectPath& path,
             std::vector<std::pair<std::size_t, WideString>>& keys) {
    const auto& classKeys = cls.KeyIndexes();
    if (path.Singleton) return classKeys.empty();
    if (path.Keys.size() != classKeys.size() || classKeys.empty()) return false;
    for (const auto& [name, value] : path.Keys) {
        int index;
        if (name.empty()) {
            if (classKeys.size() != 1) return false;
            index = static_cast<int>(classKeys[0]);
        } else {
            index = cls.IndexOf(name);
            if (index < 0 || !cls.Properties()[static_cast<std::size_t>(index)].IsKey()) return false;
        }
        for (const auto& k : keys)
            if (k.first == static_cast<std::size_t>(index)) return false;  // named twice
        keys.emplace_back(static_cast<std::size_t>(index), value);
    }
    return true;
}

}  // namespace

HRESULT WbemServicesImpl::Get(const WideString& objectPath, std::int32_t, const ISWbemNamedValueSetPtr&,
                              ISWbemObjectPtr& object) {
    object.reset();
    ParsedObjectPath path;
    HRESULT hr = ParseObjectPath(objectPath, path);
    if (Failed(hr)) return hr;
    WbemNamespacePtr ns = FNameSpace;
    if (!path.NameSpace.empty()) {
        ns = FRepository->FindNamespace(path.NameSpace);
        if (!ns) return WBEM_E_INVALID_NAMESPACE;
    }
    WbemClassEntry entry;
    if (!ns->FindClass(path.ClassName, entry)) return WBEM_E_NOT_FOUND;
    if (path.IsClass) {
        auto cls = WbemObject::NewClassObject(entry.Class);
        cls->SetLocation(FRepository->ServerName(), ns->Name(), ns);
        object = cls;
        return S_OK;
    }
    std::vector<std::pair<std::size_t, WideString>> keys;
    if (!KeysFit(*entry.Class, path, keys)) return WBEM_E_INVALID_OBJECT_PATH;
    if (!entry.Source) return WBEM_E_NOT_FOUND;
    WbemObjectProducer producer = entry.Source->Enumerate();
    for (;;) {
        WbemObjectPtr candidate;
        hr = producer(candidate);
        if (Failed(hr)) return hr;
        if (hr != S_OK) return WBEM_E_NOT_FOUND;
        bool match = true;
        for (const auto& [index, text] : keys) {
            const WbemPropertyDef& def = entry.Class->Properties()[index];
            if (!SameTextW(KeyCompareText(candidate->GetValue(def.Name), def.CimType), text)) {
                match = false;
                break;
            }
        }
        if (match) {
            candidate->SetLocation(FRepository->ServerName(), ns->Name(), ns);
            object = candidate;
            return S_OK;
        }
    }
}

HRESULT WbemServicesImpl::ExecQuery(const WideString& query, const WideString& queryLanguage,
                                    std::int32_t flags, const ISWbemNamedValueSetPtr&,
                                    ISWbemObjectSetPtr& objectSet) {
    objectSet.reset();
    if (!SameTextW(queryLanguage, u"WQL")) return WBEM_E_INVALID_QUERY_TYPE;
    WqlQueryPtr parsed;
    HRESULT hr = WqlParse(query, parsed);
    if (Failed(hr)) return hr;
    WbemClassEntry entry;
    if (!FNameSpace->FindClass(parsed->ClassName(), entry)) return WBEM_E_INVALID_CLASS;
    for (const auto& name : parsed->ReferencedProperties())
        if (entry.Class->IndexOf(name) < 0) return WBEM_E_INVALID_QUERY;

    WbemClassPtr resultClass =
        parsed->SelectAll() ? entry.Class : entry.Class->Project(parsed->Properties());

    if (flags & wbemQueryFlagPrototype) {
        auto prototype = WbemObject::NewClassObject(resultClass);
        Locate(*prototype);
        objectSet = std::make_shared<WbemObjectSet>(std::vector<WbemObjectPtr>{prototype});
        return S_OK;
    }

    WbemInstanceSourcePtr source = entry.Source;
    WideString server = FRepository->ServerName();
    WbemNamespacePtr ns = FNameSpace;
    bool project = !parsed->SelectAll();
    WbemObjectProducerFactory factory = [source, parsed, resultClass, project, server,
                                         ns]() -> WbemObjectProducer {
        if (!source) return [](WbemObjectPtr&) -> HRESULT { return S_FALSE; };
        auto inner = std::make_shared<WbemObjectProducer>(source->Enumerate());
        return [inner, parsed, resultClass, project, server, ns](WbemObjectPtr& out) -> HRESULT {
            for (;;) {
                WbemObjectPtr obj;
                HRESULT r = (*inner)(obj);
                if (r != S_OK) return r;
                const WbemObject& candidate = *obj;
                if (!parsed->Matches([&candidate](const WideString& name) {
                        return ConditionValue(candidate, name);
                    }))
                    continue;
                out = project ? obj->Projected(resultClass) : obj;
                out->SetLocation(server, ns->Name(), ns);
                return S_OK;
            }
        };
    };

    if (flags & wbemFlagReturnImmediately) {
        objectSet = std::make_shared<WbemObjectSet>(std::move(factory));
        return S_OK;
    }
    std::vector<WbemObjectPtr> objects;
    hr = WbemObjectSet::Collect(factory, objects);
    if (Failed(hr)) return hr;
    objectSet = std::make_shared<WbemObjectSet>(std::move(objects));
    return S_OK;
}

HRESULT WbemServicesImpl::get_Security_(ISWbemSecurityPtr& security) {
    security = FSecurity;
    return S_OK;
}

}  // namespace veskin
