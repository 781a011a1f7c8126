#include "wmi/WmiErr.h"

#include <algorithm>
#include <cstdio>

#include "platform/ErrorDetail.h"
#include "platform/SystemMessages.h"
#include "wmi/WmiErrCatalogue.h"

namespace veskin {

TWmiException::TWmiException(const std::string& message) : Exception(message) {}

TWmiException::TWmiException(std::int32_t errorCode, const std::string& message)
    : Exception(message), ErrorCode(errorCode) {}

bool WmiSucceeded(std::int32_t code) { return code >= 0; }

void WmiCheck(std::int32_t code) {
    if (!WmiSucceeded(code)) WmiRaiseError(code);
}

void WmiRaiseError(std::int32_t code) {
    // What the failing layer recorded beyond the code (a server's or certificate's own
    // words) follows the code's text.
    throw TWmiException(code, WmiErrorMessage(code, TakeErrorDetail(code)));
}

std::string WmiErrorMessage(std::int32_t code, const std::string& detail) {
    std::string message = WmiErrorText(code);
    if (!detail.empty()) message += (message.back() == '.' ? " " : ". ") + detail;
    return message;
}

const char* WmiCatalogueText(HRESULT code) {
    const auto key = static_cast<std::uint32_t>(code);
    const WmiErrorEntry* first = WmiErrorCatalogue;
    const WmiErrorEntry* last = WmiErrorCatalogue + WmiErrorCatalogueCount;
    const WmiErrorEntry* it = std::lower_bound(first, last, key, [](const WmiErrorEntry& e, std::uint32_t k) {
        return static_cast<std::uint32_t>(e.Code) < k;
    });
    if (it != last && static_cast<std::uint32_t>(it->Code) == key) return it->Text;
    return nullptr;
}

namespace {

// The system's text as a 256-character message buffer would hold it, without the
// trailing line break, blanks and full stops.
std::string SystemText(std::int32_t code) {
    std::string text = SystemMessageText(code);
    if (text.size() > 255) text.resize(255);
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.back());
        if (c <= 32 || c == '.') {
            text.pop_back();
        } else {
            break;
        }
    }
    return text;
}

}  // namespace

std::string WmiErrorText(std::int32_t code) {
    const char* known = WmiCatalogueText(code);
    std::string text = known ? std::string(known) : SystemText(code);
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(static_cast<std::uint32_t>(code)));
    return std::string(digits) + ": " + text;
}

}  // namespace veskin
