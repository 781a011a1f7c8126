#include "platform/WbemSecurity.h"

namespace veskin {

HRESULT WbemSecurity::get_ImpersonationLevel(std::int32_t& level) {
    level = FImpersonation;
    return S_OK;
}

HRESULT WbemSecurity::put_ImpersonationLevel(std::int32_t level) {
    if (level < wbemImpersonationLevelAnonymous || level > wbemImpersonationLevelDelegate)
        return WBEM_E_INVALID_PARAMETER;
    FImpersonation = level;
    return S_OK;
}

HRESULT WbemSecurity::get_AuthenticationLevel(std::int32_t& level) {
    level = FAuthentication;
    return S_OK;
}

HRESULT WbemSecurity::put_AuthenticationLevel(std::int32_t level) {
    if (level < wbemAuthenticationLevelDefault || level > wbemAuthenticationLevelPktPrivacy)
        return WBEM_E_INVALID_PARAMETER;
    FAuthentication = level;
    return S_OK;
}

}  // namespace veskin
