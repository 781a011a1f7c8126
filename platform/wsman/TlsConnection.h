#pragma once
// TLS (OpenSSL) over a TCP connection: the server's certificate checked against the
// system's trust store (SSL_CERT_FILE / SSL_CERT_DIR honoured) and the host name or
// address, SNI for names, and every wait bounded by a deadline.
#include <memory>
#include <string>

#include "platform/ComTypes.h"
#include "platform/wsman/ByteStream.h"
#include "platform/wsman/SocketConnection.h"
#include "platform/wsman/WsmanCertificate.h"

namespace veskin {

class TlsConnection : public ByteStream {
public:
    explicit TlsConnection(std::unique_ptr<SocketConnection> socket);
    ~TlsConnection() override;
    TlsConnection(const TlsConnection&) = delete;
    TlsConnection& operator=(const TlsConnection&) = delete;

    // The handshake and the certificate check: S_OK, WSMAN_E_TLS_FAILURE (the reason in
    // plain words and the fingerprint recorded through SetErrorDetail) or
    // WSMAN_E_NETWORK_TIMEOUT.
    HRESULT Handshake(const std::string& host, bool hostIsAddress, const Deadline& deadline);
    // The server's certificate, also after a failed check.
    const WsmanCertificate& PeerCertificate() const { return FPeer; }

    IoStatus WriteAll(const std::string& data, const Deadline& deadline) override;
    IoStatus ReadSome(char* buffer, std::size_t size, std::size_t& got, const Deadline& deadline) override;
    bool IdleBroken() override;
    std::string ErrorText() const override { return FError; }

private:
    // Waits as OpenSSL asks after a call that returned result; false ends the call.
    IoStatus WaitFor(int result, const Deadline& deadline);

    std::unique_ptr<SocketConnection> FSocket;
    struct Handles;
    std::unique_ptr<Handles> FHandles;
    WsmanCertificate FPeer;
    std::string FError;
};

// The certificate's parts as WsmanCertificate holds them (from DER).
WsmanCertificate DescribeCertificate(const std::vector<unsigned char>& der);

}  // namespace veskin
