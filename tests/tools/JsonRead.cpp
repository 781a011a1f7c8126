#include "tests/tools/JsonRead.h"

#include <cstdlib>

namespace veskin::test {

namespace {

class TReader {
public:
    explicit TReader(const std::string& text) : FText(text) {}

    bool Document(TJson& value) {
        if (!Value(value)) return false;
        Blanks();
        return FAt == FText.size();
    }

private:
    void Blanks() {
        while (FAt < FText.size() && (FText[FAt] == ' ' || FText[FAt] == '\t' || FText[FAt] == '\n' || FText[FAt] == '\r'))
            ++FAt;
    }
    bool Word(const char* word) {
        const std::string w = word;
        if (FText.compare(FAt, w.size(), w) != 0) return false;
        FAt += w.size();
        return true;
    }
    static void Utf8(unsigned code, std::string& out) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool Hex4(unsigned& code) {
        if (FAt + 4 > FText.size()) return false;
        char* end = nullptr;
        const std::string digits = FText.substr(FAt, 4);
        code = static_cast<unsigned>(std::strtoul(digits.c_str(), &end, 16));
        if (end != digits.c_str() + 4) return false;
        FAt += 4;
        return true;
    }
    bool String(std::string& out) {
        if (FAt >= FText.size() || FText[FAt] != '"') return false;
        ++FAt;
        while (FAt < FText.size()) {
            const char c = FText[FAt++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (FAt >= FText.size()) return false;
            const char e = FText[FAt++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned code = 0;
                    if (!Hex4(code)) return false;
                    if (code >= 0xD800 && code < 0xDC00) {
                        unsigned low = 0;
                        if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    Utf8(code, out);
                    break;
                }
                default: return false;
            }
        }
        return false;
    }
    bool Digits() {
        const std::size_t from = FAt;
        while (FAt < FText.size() && FText[FAt] >= '0' && FText[FAt] <= '9') ++FAt;
        return FAt > from;
    }
    bool Number(std::string& out) {
        const std::size_t from = FAt;
        if (FAt < FText.size() && FText[FAt] == '-') ++FAt;
        if (FAt < FText.size() && FText[FAt] == '0') ++FAt;
        else if (!Digits()) return false;
        if (FAt < FText.size() && FText[FAt] == '.') {
            ++FAt;
            if (!Digits()) return false;
        }
        if (FAt < FText.size() && (FText[FAt] == 'e' || FText[FAt] == 'E')) {
            ++FAt;
            if (FAt < FText.size() && (FText[FAt] == '+' || FText[FAt] == '-')) ++FAt;
            if (!Digits()) return false;
        }
        out = FText.substr(from, FAt - from);
        return true;
    }
    bool Value(TJson& value) {
        Blanks();
        if (FAt >= FText.size()) return false;
        const char c = FText[FAt];
        if (c == 'n') return Word("null");
        if (c == 't' || c == 'f') {
            value.Type = TJson::Kind::Boolean;
            value.Boolean = c == 't';
            return Word(c == 't' ? "true" : "false");
        }
        if (c == '"') {
            value.Type = TJson::Kind::String;
            return String(value.Text);
        }
        if (c == '[' || c == '{') {
            const bool object = c == '{';
            value.Type = object ? TJson::Kind::Object : TJson::Kind::Array;
            ++FAt;
            Blanks();
            if (FAt < FText.size() && FText[FAt] == (object ? '}' : ']')) {
                ++FAt;
                return true;
            }
            for (;;) {
                TJson element;
                std::string name;
                if (object) {
                    Blanks();
                    if (!String(name)) return false;
                    Blanks();
                    if (!Word(":")) return false;
                }
                if (!Value(element)) return false;
                if (object) value.Members.emplace_back(name, element);
                else value.Elements.push_back(element);
                Blanks();
                if (Word(",")) continue;
                return Word(object ? "}" : "]");
            }
        }
        value.Type = TJson::Kind::Number;
        return Number(value.Text);
    }

    const std::string& FText;
    std::size_t FAt = 0;
};

}  // namespace

bool ReadJson(const std::string& text, TJson& value) {
    value = TJson();
    return TReader(text).Document(value);
}

}  // namespace veskin::test
