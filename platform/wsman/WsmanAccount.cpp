#include "platform/wsman/WsmanAccount.h"

#include "platform/ErrorDetail.h"
#include "platform/wsman/WsmanText.h"
#include "rtl/SysUtils.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

HRESULT Invalid(const std::string& why) {
    SetErrorDetail(WBEM_E_INVALID_PARAMETER, why);
    return WBEM_E_INVALID_PARAMETER;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(std::string_view(text).substr(0, prefix.size()), prefix);
}

}  // namespace

const char* MechanismName(WsmanMechanism mechanism) {
    switch (mechanism) {
        case WsmanMechanism::Kerberos: return "Kerberos";
        case WsmanMechanism::Ntlm: return "NTLM";
        case WsmanMechanism::Negotiate: break;
    }
    return "Negotiate";
}

std::string WsmanAccount::NtlmName() const { return Domain.empty() ? User : Domain + "\\" + User; }

std::string WsmanAccount::KerberosName() const {
    if (Domain.empty()) return User;
    return User + "@" + UpperCase(Domain);
}

HRESULT ParseWsmanAccount(const WsmanCredentials& credentials, WsmanAccount& account) {
    account = WsmanAccount();
    account.Password = credentials.Password;
    std::string authorityDomain;
    const std::string& authority = credentials.Authority;
    if (StartsWith(authority, "ntlmdomain:")) {
        account.Mechanism = WsmanMechanism::Ntlm;
        authorityDomain = authority.substr(11);
    } else if (StartsWith(authority, "kerberos:")) {
        account.Mechanism = WsmanMechanism::Kerberos;
        account.Principal = authority.substr(9);
    } else if (!authority.empty()) {
        return Invalid("the authority \"" + authority + "\" is neither ntlmdomain:DOMAIN nor kerberos:PRINCIPAL");
    }

    std::string user = credentials.User;
    std::string userDomain;
    if (const auto slash = user.find('\\'); slash != std::string::npos) {
        userDomain = user.substr(0, slash);
        user.erase(0, slash + 1);
    } else if (const auto at = user.rfind('@'); at != std::string::npos) {
        userDomain = user.substr(at + 1);
        user.erase(at);
    }
    if (!userDomain.empty() && !authorityDomain.empty())
        return Invalid("the domain is given twice, in the user name and in the authority");
    account.User = user;
    account.Domain = userDomain.empty() ? authorityDomain : userDomain;
    return S_OK;
}

}  // namespace veskin
