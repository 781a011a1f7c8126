#pragma once
// Base64 as HTTP authentication headers carry it (OpenSSL's codec).
#include <string>
#include <string_view>

namespace veskin {

std::string EncodeBase64(std::string_view data);
// False for text that is no Base64 (white space around it is allowed).
bool DecodeBase64(std::string_view text, std::string& data);

}  // namespace veskin
