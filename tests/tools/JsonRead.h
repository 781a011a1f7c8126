#pragma once
// A small JSON reader for the tests: parses one JSON text into a tree and fails the
// parse (returns false) on anything RFC 8259 does not allow.
#include <string>
#include <utility>
#include <vector>

namespace veskin::test {

struct TJson {
    enum class Kind { Null,
                      Boolean,
                      Number,
                      String,
                      Array,
                      Object } Type = Kind::Null;
    bool Boolean = false;
    std::string Text;  // a number's text as written, or a string's value (UTF-8)
    std::vector<TJson> Elements;
    std::vector<std::pair<std::string, TJson>> Members;
};

bool ReadJson(const std::string& text, TJson& value);

}  // namespace veskin::test
