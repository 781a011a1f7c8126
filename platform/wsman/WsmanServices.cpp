#include "platform/wsman/WsmanServices.h"

#include "platform/WbemObjectPath.h"
#include "platform/WbemObjectSet.h"
#include "platform/WbemRepository.h"
#include "platform/Wql.h"
#include "platform/wsman/WsmanEnumeration.h"
#include "rtl/TextFold.h"

namespace veskin {

WsmanServices::WsmanServices(WsmanSessionPtr session)
    : FSession(std::move(session)), FSecurity(std::make_shared<WbemSecurity>()) {}

HRESULT WsmanServices::Get(const WideString& objectPath, std::int32_t, const ISWbemNamedValueSetPtr&,
                           ISWbemObjectPtr& object) {
    object.reset();
    ParsedObjectPath path;
    HRESULT hr = ParseObjectPath(objectPath, path);
    if (Failed(hr)) return hr;
    if (!path.NameSpace.empty() &&
        !SameTextW(WbemRepository::NormaliseNamespace(path.NameSpace),
                   WbemRepository::NormaliseNamespace(FSession->NameSpace())))
        return WBEM_E_INVALID_NAMESPACE;
    const std::string className = WideToAnsi(path.ClassName);
    if (path.IsClass) {
        WbemClassPtr cls = FSession->ClassSchema(className);
        if (!cls) return WBEM_E_NOT_FOUND;
        auto classObject = WbemObject::NewClassObject(cls);
        FSession->Locate(*classObject);
        object = classObject;
        return S_OK;
    }
    std::vector<WsmanSelector> selectors;
    for (const auto& [name, value] : path.Keys) {
        WideString keyName = name;
        if (keyName.empty()) {
            // The short form "Class=\"v\"" names the class's only key.
            WbemClassPtr cls = FSession->ClassSchema(className);
            if (!cls || cls->KeyIndexes().size() != 1) return WBEM_E_INVALID_OBJECT_PATH;
            keyName = cls->Properties()[cls->KeyIndexes()[0]].Name;
        }
        selectors.push_back({WideToAnsi(keyName), WideToAnsi(value)});
    }
    std::string body;
    hr = FSession->Exchange(
        WsmanGetRequest(FSession->Url(), FSession->ResourceUri(className), selectors, FSession->OperationTimeoutMs()),
        body);
    if (Failed(hr)) return hr;
    WbemObjectPtr decoded;
    hr = DecodeGetResponse(body, FSession->DecodeContext(), decoded);
    if (Failed(hr)) return hr;
    FSession->Locate(*decoded);
    object = decoded;
    return S_OK;
}

HRESULT WsmanServices::Prototype(const WsmanQuery& query, ISWbemObjectSetPtr& objectSet) {
    WbemClassPtr cls = query.ClassName.empty() ? nullptr : FSession->ClassSchema(query.ClassName);
    if (cls) {
        if (!query.Selected.empty()) cls = cls->Project(query.Selected);
    } else {
        // No schema: the first result object shows which properties the result has.
        WsmanEnumeration enumeration(FSession, query);
        WbemObjectPtr first;
        HRESULT hr = enumeration.Next(first);
        if (Failed(hr)) return hr;
        if (hr != S_OK) {
            objectSet = std::make_shared<WbemObjectSet>(std::vector<WbemObjectPtr>{});
            return S_OK;
        }
        cls = first->Class();
    }
    auto prototype = WbemObject::NewClassObject(cls);
    FSession->Locate(*prototype);
    objectSet = std::make_shared<WbemObjectSet>(std::vector<WbemObjectPtr>{prototype});
    return S_OK;
}

HRESULT WsmanServices::ExecQuery(const WideString& query, const WideString& queryLanguage,
                                 std::int32_t flags, const ISWbemNamedValueSetPtr&,
                                 ISWbemObjectSetPtr& objectSet) {
    objectSet.reset();
    if (!SameTextW(queryLanguage, u"WQL")) return WBEM_E_INVALID_QUERY_TYPE;
    WsmanQuery request;
    request.Wql = WideToAnsi(query);
    // The class and select list, where our parser understands the text; the server
    // judges the query itself (it knows forms this parser does not).
    WqlQueryPtr parsed;
    if (Succeeded(WqlParse(query, parsed))) {
        request.ClassName = WideToAnsi(parsed->ClassName());
        request.Selected = parsed->Properties();
    }
    if (flags & wbemQueryFlagPrototype) return Prototype(request, objectSet);

    return WbemObjectSet::ForQuery(WsmanQueryFactory(FSession, request), flags, objectSet);
}

HRESULT WsmanServices::get_Security_(ISWbemSecurityPtr& security) {
    security = FSecurity;
    return S_OK;
}

}  // namespace veskin
