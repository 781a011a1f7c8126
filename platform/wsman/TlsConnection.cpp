#include "platform/wsman/TlsConnection.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/ErrorDetail.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

struct TlsConnection::Handles {
    SSL_CTX* Context = nullptr;
    SSL* Ssl = nullptr;
    ~Handles() {
        if (Ssl) SSL_free(Ssl);
        if (Context) SSL_CTX_free(Context);
    }
};

namespace {

// Writes of the socket BIO with MSG_NOSIGNAL: a server that has gone away makes the
// write fail (EPIPE), where the plain socket BIO's write() would raise SIGPIPE and end
// the whole program.
int WriteWithoutSignal(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t sent = ::send(static_cast<int>(BIO_get_fd(bio, nullptr)), data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
    if (sent < 0 && BIO_sock_should_retry(-1)) BIO_set_retry_write(bio);
    return static_cast<int>(sent);
}

int PutsWithoutSignal(BIO* bio, const char* text) { return WriteWithoutSignal(bio, text, static_cast<int>(std::strlen(text))); }

// The socket BIO's own methods, but for writing. Made once, kept for the process.
const BIO_METHOD* SocketWithoutSignal() {
    static BIO_METHOD* const method = [] {
        const BIO_METHOD* socket = BIO_s_socket();
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR,
                                     "socket without SIGPIPE");
        if (m == nullptr) return m;
        BIO_meth_set_write(m, &WriteWithoutSignal);
        BIO_meth_set_puts(m, &PutsWithoutSignal);
        BIO_meth_set_read(m, BIO_meth_get_read(socket));
        BIO_meth_set_ctrl(m, BIO_meth_get_ctrl(socket));
        BIO_meth_set_create(m, BIO_meth_get_create(socket));
        BIO_meth_set_destroy(m, BIO_meth_get_destroy(socket));
        return m;
    }();
    return method;
}

std::string OpenSslErrors() {
    std::string text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (!text.empty()) text += "; ";
        text += buffer;
    }
    return text.empty() ? "no further reason given" : text;
}

std::string NameText(const X509_NAME* name) {
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(length));
    BIO_free(bio);
    return text;
}

std::string TimeText(const ASN1_TIME* time) {
    BIO* bio = BIO_new(BIO_s_mem());
    ASN1_TIME_print(bio, time);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(length));
    BIO_free(bio);
    return text;
}

std::vector<unsigned char> Digest(X509* cert, const EVP_MD* md) {
    unsigned char hash[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!X509_digest(cert, md, hash, &length)) return {};
    return std::vector<unsigned char>(hash, hash + length);
}

std::string CommonName(X509* cert) {
    const X509_NAME* subject = X509_get_subject_name(cert);
    const int index = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (index < 0) return std::string();
    const ASN1_STRING* data = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index));
    return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(data)),
                       static_cast<std::size_t>(ASN1_STRING_length(data)));
}

WsmanCertificate Describe(X509* cert) {
    WsmanCertificate info;
    info.Subject = NameText(X509_get_subject_name(cert));
    info.Issuer = NameText(X509_get_issuer_name(cert));
    info.NotAfter = TimeText(X509_get0_notAfter(cert));
    const auto sha256 = Digest(cert, EVP_sha256());
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char byte : sha256) {
        if (!info.Fingerprint.empty()) info.Fingerprint += ':';
        info.Fingerprint += hex[byte >> 4];
        info.Fingerprint += hex[byte & 15];
    }
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert, &der);
    if (length > 0) info.Der.assign(der, der + length);
    OPENSSL_free(der);
    int mdNid = NID_undef, keyNid = NID_undef;
    const EVP_MD* md = nullptr;
    if (OBJ_find_sigid_algs(X509_get_signature_nid(cert), &mdNid, &keyNid) && mdNid != NID_md5 &&
        mdNid != NID_sha1)
        md = EVP_get_digestbynid(mdNid);
    info.EndPointHash = Digest(cert, md ? md : EVP_sha256());
    return info;
}

// The reason of a failed certificate check in plain words.
std::string Reason(long result, X509* cert, const WsmanCertificate& info, const std::string& host) {
    switch (result) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return "the certificate has expired (valid until " + info.NotAfter + ")";
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return "the certificate is not valid yet";
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            return "the certificate is self-signed and not trusted";
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            return "the certificate's chain ends in a self-signed root that is not trusted";
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return "the certificate's issuer (" + info.Issuer + ") is not trusted";
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH: {
            const std::string cn = CommonName(cert);
            return "the certificate is for another name (" + (cn.empty() ? info.Subject : "CN=" + cn) + ", not " +
                   host + ")";
        }
        default:
            return std::string("the certificate was not accepted: ") + X509_verify_cert_error_string(result);
    }
}

}  // namespace

WsmanCertificate DescribeCertificate(const std::vector<unsigned char>& der) {
    const unsigned char* data = der.data();
    X509* cert = d2i_X509(nullptr, &data, static_cast<long>(der.size()));
    if (!cert) return {};
    WsmanCertificate info = Describe(cert);
    X509_free(cert);
    return info;
}

TlsConnection::TlsConnection(std::unique_ptr<SocketConnection> socket)
    : FSocket(std::move(socket)), FHandles(std::make_unique<Handles>()) {}

TlsConnection::~TlsConnection() {
    // A close_notify without waiting for the answer; the socket may already be gone.
    if (FHandles->Ssl && SSL_is_init_finished(FHandles->Ssl)) SSL_shutdown(FHandles->Ssl);
    ERR_clear_error();
}

IoStatus TlsConnection::WaitFor(int result, const Deadline& deadline) {
    switch (SSL_get_error(FHandles->Ssl, result)) {
        case SSL_ERROR_WANT_READ:
            return PollUntil(FSocket->Fd(), false, deadline) ? IoStatus::Ok : IoStatus::TimedOut;
        case SSL_ERROR_WANT_WRITE:
            return PollUntil(FSocket->Fd(), true, deadline) ? IoStatus::Ok : IoStatus::TimedOut;
        case SSL_ERROR_ZERO_RETURN:
            return IoStatus::Closed;
        case SSL_ERROR_SYSCALL:
            FError = errno ? std::strerror(errno) : "the connection ended";
            ERR_clear_error();
            return IoStatus::Closed;
        default:
            FError = OpenSslErrors();
            return IoStatus::Failed;
    }
}

HRESULT TlsConnection::Handshake(const std::string& host, bool hostIsAddress, const Deadline& deadline) {
    ERR_clear_error();
    Handles& h = *FHandles;
    h.Context = SSL_CTX_new(TLS_client_method());
    if (!h.Context) {
        SetErrorDetail(WSMAN_E_TLS_FAILURE, "TLS cannot start: " + OpenSslErrors());
        return WSMAN_E_TLS_FAILURE;
    }
    SSL_CTX_set_min_proto_version(h.Context, TLS1_2_VERSION);
    // A server that ends the connection without close_notify has still ended it.
    SSL_CTX_set_options(h.Context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    // Large answers arrive as many records: reading ahead into a larger buffer takes
    // several of them per system call instead of two calls (header, body) per record.
    SSL_CTX_set_read_ahead(h.Context, 1);
    SSL_CTX_set_default_read_buffer_len(h.Context, 64 * 1024);
    SSL_CTX_set_default_verify_paths(h.Context);
    // The chain is checked during the handshake, and its result read afterwards, so
    // that a refused certificate can still be described to the user.
    SSL_CTX_set_verify(h.Context, SSL_VERIFY_NONE, nullptr);
    h.Ssl = SSL_new(h.Context);
    BIO* bio = SocketWithoutSignal() != nullptr ? BIO_new(SocketWithoutSignal()) : nullptr;
    if (!h.Ssl || !bio) {
        if (bio) BIO_free(bio);
        SetErrorDetail(WSMAN_E_TLS_FAILURE, "TLS cannot start: " + OpenSslErrors());
        return WSMAN_E_TLS_FAILURE;
    }
    BIO_set_fd(bio, FSocket->Fd(), BIO_NOCLOSE);
    SSL_set_bio(h.Ssl, bio, bio);  // the connection owns the BIO from here on
    X509_VERIFY_PARAM* param = SSL_get0_param(h.Ssl);
    if (hostIsAddress) {
        X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str());
    } else {
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
        SSL_set_tlsext_host_name(h.Ssl, host.c_str());
    }

    for (;;) {
        const int result = SSL_connect(h.Ssl);
        if (result == 1) break;
        const IoStatus status = WaitFor(result, deadline);
        if (status == IoStatus::Ok) continue;
        if (status == IoStatus::TimedOut) {
            SetErrorDetail(WSMAN_E_NETWORK_TIMEOUT, "the TLS handshake with " + host + " did not finish in time");
            return WSMAN_E_NETWORK_TIMEOUT;
        }
        SetErrorDetail(WSMAN_E_TLS_FAILURE, "the TLS handshake with " + host + " failed: " + FError);
        return WSMAN_E_TLS_FAILURE;
    }

    X509* cert = SSL_get1_peer_certificate(h.Ssl);
    if (!cert) {
        SetErrorDetail(WSMAN_E_TLS_FAILURE, "the server " + host + " sent no certificate");
        return WSMAN_E_TLS_FAILURE;
    }
    FPeer = Describe(cert);
    const long verified = SSL_get_verify_result(h.Ssl);
    HRESULT hr = S_OK;
    if (verified != X509_V_OK) {
        SetErrorDetail(WSMAN_E_TLS_FAILURE, "the server's certificate was refused: " +
                                                Reason(verified, cert, FPeer, host) + "; subject " + FPeer.Subject +
                                                ", SHA-256 fingerprint " + FPeer.Fingerprint);
        hr = WSMAN_E_TLS_FAILURE;
    }
    X509_free(cert);
    return hr;
}

IoStatus TlsConnection::WriteAll(const std::string& data, const Deadline& deadline) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ERR_clear_error();
        std::size_t written = 0;
        const int result = SSL_write_ex(FHandles->Ssl, data.data() + sent, data.size() - sent, &written);
        if (result == 1) {
            sent += written;
            continue;
        }
        const IoStatus status = WaitFor(result, deadline);
        if (status != IoStatus::Ok) return status;
    }
    return IoStatus::Ok;
}

IoStatus TlsConnection::ReadSome(char* buffer, std::size_t size, std::size_t& got, const Deadline& deadline) {
    got = 0;
    for (;;) {
        ERR_clear_error();
        const int result = SSL_read_ex(FHandles->Ssl, buffer, size, &got);
        if (result == 1) return IoStatus::Ok;
        const IoStatus status = WaitFor(result, deadline);
        if (status != IoStatus::Ok) return status;
    }
}

bool TlsConnection::IdleBroken() {
    if (SSL_pending(FHandles->Ssl) > 0) return true;
    // Bytes read ahead but not yet taken apart count as if the socket had them.
    if (!SSL_has_pending(FHandles->Ssl) && !FSocket->IdleBroken()) return false;
    // Readable while idle: session tickets of TLS 1.3 are fine, anything else (data,
    // close_notify, the end of the connection) is not.
    ERR_clear_error();
    char byte = 0;
    std::size_t got = 0;
    const int result = SSL_peek_ex(FHandles->Ssl, &byte, 1, &got);
    const bool broken = result == 1 || SSL_get_error(FHandles->Ssl, result) != SSL_ERROR_WANT_READ;
    ERR_clear_error();
    return broken;
}

}  // namespace veskin
