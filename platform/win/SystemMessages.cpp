// The system message table on Windows: FormatMessage, in English where the system has
// that text, else in the system's own language.
#include "platform/SystemMessages.h"

#include "platform/win/WinApi.h"

namespace veskin {

namespace {

bool Lookup(DWORD code, DWORD language, std::string& text) {
    LPWSTR buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, language, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        if (buffer) ::LocalFree(buffer);
        return false;
    }
    text = WideToAnsi(WideString(reinterpret_cast<const char16_t*>(buffer), length));
    ::LocalFree(buffer);
    return true;
}

bool LookupAnyLanguage(DWORD code, std::string& text) {
    return Lookup(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text) ||
           Lookup(code, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), text);
}

}  // namespace

std::string SystemMessageText(std::int32_t code) {
    const auto raw = static_cast<DWORD>(code);
    std::string text;
    if (LookupAnyLanguage(raw, text)) return text;
    // A Win32 error wrapped as a result code has the text of the plain error number.
    if ((raw & 0xFFFF0000u) == 0x80070000u && LookupAnyLanguage(raw & 0xFFFFu, text)) return text;
    return std::string();
}

}  // namespace veskin
