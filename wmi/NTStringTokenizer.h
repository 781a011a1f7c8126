#pragma once
// Splits 8-bit text at any of a set of delimiter characters, one token per call.
#include <string>

#include "rtl/Component.h"

namespace veskin {

class TNTStringTokenizer : public TObject {
public:
    TNTStringTokenizer(const std::string& text, const std::string& delimiters);

    std::string ClassName() const override { return "TNTStringTokenizer"; }

    // The characters from just after the last consumed position up to the next
    // delimiter; empty when the position stands on a delimiter or past the end.
    std::string NextToken();
    // True when the text is empty or every character has been consumed.
    bool AtEnd() const;

private:
    std::string FText;
    std::string FDelimiters;
    std::size_t FPosition = 0;  // 1-based index of the last character consumed
};

}  // namespace veskin
