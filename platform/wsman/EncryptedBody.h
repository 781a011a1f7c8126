#pragma once
// The multipart/encrypted framing of WS-Management message encryption over HTTP: the
// original content type and length in a first part, then the security layer's header
// (its length first, four bytes little-endian) and the sealed message in a second.
#include <cstddef>
#include <string>
#include <string_view>

namespace veskin {

constexpr const char* SpnegoEncryptedProtocol = "application/HTTP-SPNEGO-session-encrypted";
constexpr const char* KerberosEncryptedProtocol = "application/HTTP-Kerberos-session-encrypted";

// True for the Content-Type of an encrypted body (multipart/encrypted).
bool IsEncryptedContentType(std::string_view contentType);

// The Content-Type header of an encrypted body of that protocol.
std::string EncryptedContentType(std::string_view protocol);

// The body for a message of plainLength bytes whose security header and sealed data are
// given (what the peer needs to unseal it).
std::string EncodeEncryptedBody(std::string_view protocol, std::size_t plainLength, std::string_view header,
                                std::string_view sealed);

struct EncryptedFrame {
    std::string Protocol;     // the first part's Content-Type
    std::size_t Length = 0;   // the original content's length, as the sender declares it
    std::string_view Header;  // views into the decoded body
    std::string_view Sealed;
};

// Splits an encrypted body whose Content-Type header is contentType. False, with the
// reason in error, for anything that is not a whole frame.
bool DecodeEncryptedBody(std::string_view contentType, std::string_view body, EncryptedFrame& frame,
                         std::string& error);

}  // namespace veskin
