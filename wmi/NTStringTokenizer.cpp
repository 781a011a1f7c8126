#include "wmi/NTStringTokenizer.h"

namespace veskin {

TNTStringTokenizer::TNTStringTokenizer(const std::string& text, const std::string& delimiters)
    : FText(text), FDelimiters(delimiters) {}

std::string TNTStringTokenizer::NextToken() {
    ++FPosition;  // steps over the delimiter that ended the previous token
    if (FText.empty() || FPosition > FText.size()) return std::string();
    // FPosition is 1-based; the scan starts at the character it names.
    std::size_t end = FText.find_first_of(FDelimiters, FPosition - 1);
    if (end == std::string::npos) end = FText.size();
    if (end == FPosition - 1) return std::string();  // standing on a delimiter
    std::string token = FText.substr(FPosition - 1, end - (FPosition - 1));
    FPosition = end + 1;  // the delimiter's 1-based index (one past the end when none followed)
    return token;
}

bool TNTStringTokenizer::AtEnd() const { return FText.empty() || FPosition > FText.size(); }

}  // namespace veskin
