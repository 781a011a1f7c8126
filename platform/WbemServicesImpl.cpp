#include "platform/WbemServicesImpl.h"

#include "platform/WbemAssociations.h"
#include "platform/WbemObjectPath.h"
#include "platform/WbemQueryRun.h"
#include "platform/WbemSystemProperties.h"
#include "platform/Wql.h"
#include "platform/WqlValue.h"

namespace veskin {

WbemServicesImpl::WbemServicesImpl(WbemRepositoryPtr repository, WbemNamespacePtr nameSpace)
    : FRepository(std::move(repository)),
      FNameSpace(std::move(nameSpace)),
      FSecurity(std::make_shared<WbemSecurity>()) {}

void WbemServicesImpl::Locate(WbemObject& object) const {
    object.SetLocation(FRepository->ServerName(), FNameSpace->Name(), FNameSpace);
}

namespace {

bool IsNumericCimType(std::int32_t cimType) {
    switch (cimType) {
        case wbemCimtypeSint8:
        case wbemCimtypeUint8:
        case wbemCimtypeSint16:
        case wbemCimtypeUint16:
        case wbemCimtypeSint32:
        case wbemCimtypeUint32:
        case wbemCimtypeSint64:
        case wbemCimtypeUint64:
        case wbemCimtypeReal32:
        case wbemCimtypeReal64: return true;
        default: return false;
    }
}

// A quoted literal compared with a numeric property must be a number; Windows refuses
// such a query as invalid rather than comparing text with a number.
bool QuotedLiteralsFit(const WqlQuery& query, const WbemClass& cls) {
    for (const auto& [name, text] : query.QuotedComparisons()) {
        const int i = cls.IndexOf(name);
        if (i < 0) continue;
        const WbemPropertyDef& def = cls.Properties()[static_cast<std::size_t>(i)];
        if (!def.IsArray && IsNumericCimType(def.CimType) && !WqlParseNumber(text)) return false;
    }
    return true;
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
    // The provider need read only the instance the keys name.
    WbemQueryHint hint;
    for (const auto& [index, text] : keys) hint.Required[entry.Class->Properties()[index].Name].push_back(text);
    WbemObjectProducer producer = entry.Source->Enumerate(hint);
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
    if (WqlIsAssociationQuery(query)) return ExecAssociationQuery(query, flags, objectSet);
    WqlQueryPtr parsed;
    HRESULT hr = WqlParse(query, parsed);
    if (Failed(hr)) return hr;
    const WideString server = FRepository->ServerName();
    WbemObjectProducerFactory factory;
    if (SameTextW(parsed->ClassName(), u"meta_class")) {
        // Class objects have only system properties to select or test.
        if (!parsed->SelectAll()) return WBEM_E_INVALID_QUERY;
        for (const auto& name : parsed->ReferencedProperties())
            if (!SystemPropertyDef(name)) return WBEM_E_INVALID_QUERY;
        factory = MetaClassProducer(FNameSpace->Classes(), parsed, server, FNameSpace);
    } else {
        std::vector<WbemClassEntry> classes = FNameSpace->ClassAndDerived(parsed->ClassName());
        if (classes.empty()) return WBEM_E_INVALID_CLASS;
        const WbemClassPtr& cls = classes.front().Class;
        for (const auto& name : parsed->ReferencedProperties())
            if (cls->IndexOf(name) < 0 && !SystemPropertyDef(name)) return WBEM_E_INVALID_QUERY;
        if (!QuotedLiteralsFit(*parsed, *cls)) return WBEM_E_INVALID_QUERY;
        if (flags & wbemQueryFlagPrototype) {
            auto prototype = WbemObject::NewClassObject(parsed->SelectAll() ? cls : cls->Project(parsed->Properties()));
            Locate(*prototype);
            objectSet = std::make_shared<WbemObjectSet>(std::vector<WbemObjectPtr>{prototype});
            return S_OK;
        }
        factory = InstanceQueryProducer(std::move(classes), parsed, server, FNameSpace);
    }

    return WbemObjectSet::ForQuery(std::move(factory), flags, objectSet);
}

HRESULT WbemServicesImpl::ExecAssociationQuery(const WideString& query, std::int32_t flags,
                                               ISWbemObjectSetPtr& objectSet) {
    WqlAssociationQuery parsed;
    HRESULT hr = WqlParseAssociation(query, parsed);
    if (Failed(hr)) return hr;
    if (parsed.SchemaOnly) return WBEM_E_NOT_SUPPORTED;
    ParsedObjectPath path;
    hr = ParseObjectPath(parsed.ObjectPath, path);
    if (Failed(hr)) return hr;
    if (path.IsClass) {
        // No class here is associated with another class as such.
        ISWbemObjectPtr cls;
        hr = Get(parsed.ObjectPath, 0, nullptr, cls);
        if (Failed(hr)) return hr;
        objectSet = std::make_shared<WbemObjectSet>(std::vector<WbemObjectPtr>{});
        return S_OK;
    }
    ISWbemObjectPtr source;
    hr = Get(parsed.ObjectPath, 0, nullptr, source);
    if (Failed(hr)) return hr;
    // The other ends are found by their paths, as Get finds them.
    WbemObjectGetter get = [repository = FRepository, ns = FNameSpace](const WideString& p, WbemObjectPtr& obj) {
        WbemServicesImpl services(repository, ns);
        ISWbemObjectPtr found;
        HRESULT r = services.Get(p, 0, nullptr, found);
        obj = std::dynamic_pointer_cast<WbemObject>(found);
        return r;
    };
    auto factory = AssociationQueryProducer(std::move(parsed), std::dynamic_pointer_cast<WbemObject>(source),
                                            FNameSpace, std::move(get), FRepository->ServerName());
    return WbemObjectSet::ForQuery(std::move(factory), flags, objectSet);
}

HRESULT WbemServicesImpl::get_Security_(ISWbemSecurityPtr& security) {
    security = FSecurity;
    return S_OK;
}

}  // namespace veskin
