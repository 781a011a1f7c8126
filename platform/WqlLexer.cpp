#include "platform/WqlLexer.h"

namespace veskin {

namespace {

bool IsIdentStart(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' ||
           (c >= 0x80 && c != 0xFEFF && c != 0xFFFD);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsIdentPart(char16_t c) { return IsIdentStart(c) || IsDigit(c); }

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v';
}

}  // namespace

std::vector<WqlToken> WqlTokenize(const WideString& text) {
    std::vector<WqlToken> out;
    const std::size_t n = text.size();
    std::size_t i = 0;
    auto add = [&out](WqlTokenKind kind, WideString value = {}) {
        out.push_back(WqlToken{kind, std::move(value)});
    };
    while (i < n) {
        const char16_t c = text[i];
        if (IsSpace(c)) {
            ++i;
            continue;
        }
        if (IsIdentStart(c)) {
            std::size_t start = i;
            while (i < n && IsIdentPart(text[i])) ++i;
            add(WqlTokenKind::Identifier, text.substr(start, i - start));
            continue;
        }
        if (IsDigit(c) || (c == u'.' && i + 1 < n && IsDigit(text[i + 1]))) {
            std::size_t start = i;
            while (i < n && IsDigit(text[i])) ++i;
            if (i < n && text[i] == u'.') {
                ++i;
                while (i < n && IsDigit(text[i])) ++i;
            }
            if (i < n && (text[i] == u'e' || text[i] == u'E')) {
                std::size_t j = i + 1;
                if (j < n && (text[j] == u'+' || text[j] == u'-')) ++j;
                if (j < n && IsDigit(text[j])) {
                    i = j;
                    while (i < n && IsDigit(text[i])) ++i;
                }
            }
            // "12abc" is neither a number nor a name.
            if (i < n && IsIdentPart(text[i])) {
                add(WqlTokenKind::Invalid);
                return out;
            }
            add(WqlTokenKind::Number, text.substr(start, i - start));
            continue;
        }
        if (c == u'\'' || c == u'"') {
            const char16_t quote = c;
            WideString value;
            ++i;
            bool closed = false;
            while (i < n) {
                char16_t d = text[i];
                if (d == quote) {
                    closed = true;
                    ++i;
                    break;
                }
                // A backslash takes the next character literally (\' \" \\).
                if (d == u'\\' && i + 1 < n) {
                    value.push_back(text[i + 1]);
                    i += 2;
                    continue;
                }
                value.push_back(d);
                ++i;
            }
            if (!closed) {
                add(WqlTokenKind::Invalid);
                return out;
            }
            add(WqlTokenKind::String, std::move(value));
            continue;
        }
        const char16_t next = i + 1 < n ? text[i + 1] : u'\0';
        switch (c) {
            case u'*':
                add(WqlTokenKind::Star);
                ++i;
                continue;
            case u',':
                add(WqlTokenKind::Comma);
                ++i;
                continue;
            case u'(':
                add(WqlTokenKind::LParen);
                ++i;
                continue;
            case u')':
                add(WqlTokenKind::RParen);
                ++i;
                continue;
            case u'-':
                add(WqlTokenKind::Minus);
                ++i;
                continue;
            case u'+':
                add(WqlTokenKind::Plus);
                ++i;
                continue;
            case u'=':
                add(WqlTokenKind::Equal);
                ++i;
                continue;
            case u'!':
                if (next == u'=') {
                    add(WqlTokenKind::NotEqual);
                    i += 2;
                    continue;
                }
                break;
            case u'<':
                if (next == u'>') {
                    add(WqlTokenKind::NotEqual);
                    i += 2;
                    continue;
                }
                if (next == u'=') {
                    add(WqlTokenKind::LessEqual);
                    i += 2;
                    continue;
                }
                add(WqlTokenKind::Less);
                ++i;
                continue;
            case u'>':
                if (next == u'=') {
                    add(WqlTokenKind::GreaterEqual);
                    i += 2;
                    continue;
                }
                add(WqlTokenKind::Greater);
                ++i;
                continue;
            default:
                break;
        }
        add(WqlTokenKind::Invalid);
        return out;
    }
    add(WqlTokenKind::End);
    return out;
}

}  // namespace veskin
