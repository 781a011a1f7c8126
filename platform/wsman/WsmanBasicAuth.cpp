#include "platform/wsman/Base64.h"
#include "platform/wsman/HttpMessage.h"
#include "platform/wsman/WsmanAuth.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

// Basic: the account in every request; a 401 is final.
class BasicAuthenticator : public WsmanAuthenticator {
public:
    explicit BasicAuthenticator(const WsmanCredentials& credentials)
        : FHeader("Basic " + EncodeBase64(credentials.User + ":" + credentials.Password)) {}
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

std::unique_ptr<WsmanAuthenticator> MakeBasicAuthenticator(const WsmanCredentials& credentials) {
    return std::make_unique<BasicAuthenticator>(credentials);
}

std::vector<std::string> OfferedSchemes(const HttpResponse& response) {
    std::vector<std::string> schemes;
    for (const auto& [name, value] : response.Headers) {
        if (!SameText(name, "WWW-Authenticate")) continue;
        const std::string scheme = value.substr(0, value.find(' '));
        if (!scheme.empty()) schemes.push_back(scheme);
    }
    return schemes;
}

std::string OfferedSchemesText(const HttpResponse& response) {
    std::string text;
    for (const auto& scheme : OfferedSchemes(response)) text += (text.empty() ? "" : ", ") + scheme;
    return text.empty() ? "none" : text;
}

bool Offers(const HttpResponse& response, const std::string& scheme) {
    for (const auto& offered : OfferedSchemes(response))
        if (SameText(offered, scheme)) return true;
    return false;
}

bool ServerToken(const HttpResponse& response, const std::string& scheme, std::string& token) {
    token.clear();
    for (const auto& [name, value] : response.Headers) {
        if (!SameText(name, "WWW-Authenticate")) continue;
        const auto space = value.find(' ');
        if (space == std::string::npos || !SameText(value.substr(0, space), scheme)) continue;
        return DecodeBase64(std::string_view(value).substr(space + 1), token) && !token.empty();
    }
    return false;
}

}  // namespace veskin
