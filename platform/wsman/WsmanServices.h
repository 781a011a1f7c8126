#pragma once
// The services object of a WS-Management connection (ISWbemServices): WQL queries as
// enumerations, Get of an object path as WS-Transfer Get.
#include "platform/WbemSecurity.h"
#include "platform/wsman/WsmanSession.h"

namespace veskin {

class WsmanServices : public ISWbemServices {
public:
    explicit WsmanServices(WsmanSessionPtr session);

    // A path with keys: WS-Transfer Get with those keys as selectors; "Class" alone: the
    // class object from the class schema (WBEM_E_NOT_FOUND when the server has none).
    HRESULT Get(const WideString& objectPath, std::int32_t flags,
                const ISWbemNamedValueSetPtr& valueSet, ISWbemObjectPtr& object) override;
    // Language "WQL" (any case), else WBEM_E_INVALID_QUERY_TYPE. The server judges the
    // query text. With wbemFlagReturnImmediately the results are fetched page by page
    // as the enumerator asks for them; without it all are fetched here. With
    // wbemQueryFlagPrototype the set holds one class object describing the result.
    HRESULT ExecQuery(const WideString& query, const WideString& queryLanguage,
                      std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                      ISWbemObjectSetPtr& objectSet) override;
    HRESULT get_Security_(ISWbemSecurityPtr& security) override;

    const WsmanSessionPtr& Session() const { return FSession; }

private:
    HRESULT Prototype(const struct WsmanQuery& query, ISWbemObjectSetPtr& objectSet);

    WsmanSessionPtr FSession;
    std::shared_ptr<WbemSecurity> FSecurity;
};

}  // namespace veskin
