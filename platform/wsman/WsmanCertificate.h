#pragma once
// What the client saw of the server's TLS certificate: for the user (subject, expiry,
// fingerprint) and for channel binding (the DER bytes and their tls-server-end-point hash).
#include <string>
#include <vector>

namespace veskin {

struct WsmanCertificate {
    std::string Subject;  // "CN=host,O=..." (RFC 2253)
    std::string Issuer;
    std::string NotAfter;     // "Mar  7 18:49:07 2031 GMT"
    std::string Fingerprint;  // SHA-256, "AA:BB:..."
    std::vector<unsigned char> Der;
    // RFC 5929 tls-server-end-point: the certificate's hash with its signature's digest
    // (SHA-256 for MD5 and SHA-1).
    std::vector<unsigned char> EndPointHash;

    bool Empty() const { return Der.empty(); }
};

}  // namespace veskin
