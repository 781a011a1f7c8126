#pragma once
// Splits WQL text into tokens. Never throws for any input; an unknown character or an
// unterminated string yields a token of kind Invalid.
#include <cstddef>
#include <vector>

#include "rtl/WideString.h"

namespace veskin {

enum class WqlTokenKind {
    End,
    Invalid,
    Identifier,  // names and keywords
    String,      // Text holds the literal without quotes, escapes resolved
    Number,      // Text holds the digits as written
    Star,
    Comma,
    LParen,
    RParen,
    Minus,
    Plus,
    Equal,
    NotEqual,  // <> or !=
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
};

struct WqlToken {
    WqlTokenKind Kind = WqlTokenKind::End;
    WideString Text;
};

// Tokenises the whole text. The last token is End, or Invalid where lexing stopped.
std::vector<WqlToken> WqlTokenize(const WideString& text);

}  // namespace veskin
