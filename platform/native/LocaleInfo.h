#pragma once
// The user's locale name ("de_DE.UTF-8") in the forms Windows reports: a language
// identifier (LANGID) and its hexadecimal text, a culture name and a code page.
#include <cstdint>
#include <optional>
#include <string>

namespace veskin {

struct LocaleInfo {
    std::optional<std::uint32_t> LangId;   // 1033 for en-US
    std::optional<std::string> LocaleHex;  // "0409"
    std::optional<std::string> Culture;    // "en-US"
    std::optional<std::string> CodePage;   // "65001" for UTF-8
};

// "C" and "POSIX" are English (United States); unknown languages leave LangId empty.
LocaleInfo ParseLocaleName(const std::string& name);

// The locale of the messages from LC_ALL, LC_MESSAGES or LANG ("C" when none is set).
std::string CurrentLocaleName();

}  // namespace veskin
