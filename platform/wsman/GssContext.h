#pragma once
// One GSS-API security context of the client (MIT Kerberos' library with the
// gss-ntlmssp mechanism): the credential acquired from the typed password (or the
// caller's own Kerberos credentials), the token exchange with the server, and the
// sealing of messages once the context is complete.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ComTypes.h"

namespace veskin {

enum class GssWire {
    SpnegoKerberos,  // SPNEGO offering Kerberos alone
    SpnegoNtlm,      // SPNEGO offering NTLM alone
    Kerberos,        // raw Kerberos tokens
    Ntlm,            // raw NTLMSSP tokens
};

class GssContext {
public:
    GssContext();
    ~GssContext();
    GssContext(const GssContext&) = delete;
    GssContext& operator=(const GssContext&) = delete;

    // Acquires the credential: the password for userName when a user is named, else the
    // caller's default credentials. target is "HTTP@host" (a host-based service) or,
    // with targetIsPrincipal, a Kerberos principal. channelBinding is the TLS
    // tls-server-end-point hash (empty over plain HTTP).
    HRESULT Begin(GssWire wire, const std::string& userName, const std::string& password, const std::string& target,
                  bool targetIsPrincipal, const std::vector<unsigned char>& channelBinding);
    // One round of the exchange: the server's token (empty at first) in, the token for the
    // server out (may be empty); complete once the context is established.
    HRESULT Step(std::string_view input, std::string& output, bool& complete);

    // Message protection of the established context: the security header and the sealed
    // data of plain, and back. Kerberos puts its header apart; NTLM's header is the
    // 16-byte signature in front of the sealed data.
    HRESULT Seal(std::string_view plain, std::string& header, std::string& sealed);
    HRESULT Unseal(std::string_view header, std::string_view sealed, std::string& plain);

    bool Kerberos() const { return FWire == GssWire::SpnegoKerberos || FWire == GssWire::Kerberos; }
    // The GSS-API text of the last failure ("Server HTTP/x@REALM not found in Kerberos
    // database", "Cannot contact any KDC for realm 'X'").
    const std::string& ErrorText() const { return FError; }

private:
    HRESULT Fail(unsigned major, unsigned minor, const char* what);

    struct Handles;
    std::unique_ptr<Handles> FHandles;
    GssWire FWire = GssWire::SpnegoKerberos;
    std::string FError;
};

}  // namespace veskin
