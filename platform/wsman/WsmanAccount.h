#pragma once
// Which authentication mechanism an account uses, and the names it takes, by WMI's
// authority rules: "ntlmdomain:DOMAIN" means NTLM with that domain, "kerberos:principal"
// Kerberos with that service principal, and no authority Negotiate (Kerberos, else NTLM).
#include <string>

#include "platform/ComTypes.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

enum class WsmanMechanism { Negotiate,
                            Kerberos,
                            Ntlm };

// "Negotiate", "Kerberos", "NTLM".
const char* MechanismName(WsmanMechanism mechanism);

struct WsmanAccount {
    WsmanMechanism Mechanism = WsmanMechanism::Negotiate;
    std::string Domain;  // from the authority or the user name; empty when neither gives one
    std::string User;    // the bare user name; empty: the caller's own Kerberos credentials
    std::string Password;
    std::string Principal;  // the service principal of "kerberos:"; empty: HTTP/<host>

    // The user as each mechanism's credential names it: "DOMAIN\user" for NTLM,
    // "user@DOMAIN" (or "user" in the default realm) for Kerberos.
    std::string NtlmName() const;
    std::string KerberosName() const;
};

// WBEM_E_INVALID_PARAMETER (with the reason as error detail) for an authority of another
// form, or a domain given both in the authority and in the user name.
HRESULT ParseWsmanAccount(const WsmanCredentials& credentials, WsmanAccount& account);

}  // namespace veskin
