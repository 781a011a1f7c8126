#include "platform/wsman/Base64.h"

#include <openssl/evp.h>

namespace veskin {

std::string EncodeBase64(std::string_view data) {
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                       reinterpret_cast<const unsigned char*>(data.data()),
                                       static_cast<int>(data.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

bool DecodeBase64(std::string_view text, std::string& data) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    data.clear();
    if (text.size() % 4 != 0) return false;
    if (text.empty()) return true;
    data.resize(text.size() / 4 * 3);
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(data.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0) return false;
    // EVP_DecodeBlock counts the padding characters as zero bytes.
    std::size_t padding = 0;
    if (text.back() == '=') ++padding;
    if (text.size() > 1 && text[text.size() - 2] == '=') ++padding;
    data.resize(static_cast<std::size_t>(length) - padding);
    return true;
}

}  // namespace veskin
