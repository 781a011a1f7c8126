#include <openssl/evp.h>

#include "platform/ErrorDetail.h"
#include "platform/wsman/HttpMessage.h"
#include "platform/wsman/WsmanAuth.h"

namespace veskin {

namespace {

std::string Base64(const std::string& text) {
    std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// Basic: the account in every request; a 401 is final.
class BasicAuthenticator : public WsmanAuthenticator {
public:
    explicit BasicAuthenticator(const WsmanCredentials& credentials)
        : FHeader("Basic " + Base64(credentials.User + ":" + credentials.Password)) {}
    std::string Scheme() const override { return "Basic"; }
    HRESULT Authorization(std::string& header) override {
        header = FHeader;
        return S_OK;
    }
    bool Challenge(const HttpResponse&) override { return false; }

private:
    std::string FHeader;
};

}  // namespace

std::vector<std::string> OfferedSchemes(const HttpResponse& response) {
    std::vector<std::string> schemes;
    for (const auto& [name, value] : response.Headers) {
        if (!EqualsNoCase(name, "WWW-Authenticate")) continue;
        const std::string scheme = value.substr(0, value.find(' '));
        if (!scheme.empty()) schemes.push_back(scheme);
    }
    return schemes;
}

HRESULT ChooseWsmanAuthenticator(const WsmanEndpoint& endpoint, const WsmanCredentials& credentials,
                                 std::unique_ptr<WsmanAuthenticator>& authenticator) {
    authenticator.reset();
    if (credentials.User.empty() && credentials.Password.empty()) return S_OK;
    if (!endpoint.Tls) {
        SetErrorDetail(WSMAN_E_UNENCRYPTED_REFUSED,
                       "Basic authentication would send the account readable over plain HTTP; use HTTPS "
                       "(https://" + endpoint.Host + ":5986)");
        return WSMAN_E_UNENCRYPTED_REFUSED;
    }
    authenticator = std::make_unique<BasicAuthenticator>(credentials);
    return S_OK;
}

}  // namespace veskin
