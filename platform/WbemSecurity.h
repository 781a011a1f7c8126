#pragma once
// The security settings of a locator or services object (ISWbemSecurity).
#include <atomic>

#include "platform/WbemScripting.h"

namespace veskin {

constexpr std::int32_t wbemAuthenticationLevelDefault = 0;
constexpr std::int32_t wbemAuthenticationLevelPktPrivacy = 6;
constexpr std::int32_t wbemImpersonationLevelAnonymous = 1;
constexpr std::int32_t wbemImpersonationLevelDelegate = 4;

class WbemSecurity : public ISWbemSecurity {
public:
    HRESULT get_ImpersonationLevel(std::int32_t& level) override;
    // Levels 1 (anonymous) to 4 (delegate); WBEM_E_INVALID_PARAMETER otherwise.
    HRESULT put_ImpersonationLevel(std::int32_t level) override;
    HRESULT get_AuthenticationLevel(std::int32_t& level) override;
    // Levels 0 (default) to 6 (packet privacy); WBEM_E_INVALID_PARAMETER otherwise.
    HRESULT put_AuthenticationLevel(std::int32_t level) override;

private:
    std::atomic<std::int32_t> FImpersonation{wbemImpersonationLevelImpersonate};
    std::atomic<std::int32_t> FAuthentication{wbemAuthenticationLevelDefault};
};

}  // namespace veskin
