#include "platform/native/LocaleInfo.h"

#include <cstdio>
#include <cstdlib>

#include "rtl/SysUtils.h"

namespace veskin {

namespace {

struct LangEntry {
    const char* Language;
    const char* Territory;  // nullptr: the language's default
    std::uint32_t Id;
};

const LangEntry kLanguages[] = {
    {"en", "US", 0x0409},
    {"en", "GB", 0x0809},
    {"en", "AU", 0x0C09},
    {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409},
    {"en", "IE", 0x1809},
    {"en", "ZA", 0x1C09},
    {"en", "IN", 0x4009},
    {"en", nullptr, 0x0409},
    {"de", "DE", 0x0407},
    {"de", "CH", 0x0807},
    {"de", "AT", 0x0C07},
    {"de", nullptr, 0x0407},
    {"fr", "FR", 0x040C},
    {"fr", "BE", 0x080C},
    {"fr", "CA", 0x0C0C},
    {"fr", "CH", 0x100C},
    {"fr", nullptr, 0x040C},
    {"es", "ES", 0x0C0A},
    {"es", "MX", 0x080A},
    {"es", nullptr, 0x0C0A},
    {"it", "IT", 0x0410},
    {"it", nullptr, 0x0410},
    {"nl", "NL", 0x0413},
    {"nl", "BE", 0x0813},
    {"nl", nullptr, 0x0413},
    {"pt", "BR", 0x0416},
    {"pt", "PT", 0x0816},
    {"pt", nullptr, 0x0416},
    {"sv", nullptr, 0x041D},
    {"da", nullptr, 0x0406},
    {"nb", nullptr, 0x0414},
    {"no", nullptr, 0x0414},
    {"fi", nullptr, 0x040B},
    {"pl", nullptr, 0x0415},
    {"cs", nullptr, 0x0405},
    {"sk", nullptr, 0x041B},
    {"hu", nullptr, 0x040E},
    {"ru", nullptr, 0x0419},
    {"uk", nullptr, 0x0422},
    {"el", nullptr, 0x0408},
    {"tr", nullptr, 0x041F},
    {"ja", nullptr, 0x0411},
    {"ko", nullptr, 0x0412},
    {"zh", "CN", 0x0804},
    {"zh", "TW", 0x0404},
    {"zh", "HK", 0x0C04},
    {"zh", nullptr, 0x0804},
    {"he", nullptr, 0x040D},
    {"ar", nullptr, 0x0401},
    {"ro", nullptr, 0x0418},
    {"bg", nullptr, 0x0402},
    {"hr", nullptr, 0x041A},
    {"sl", nullptr, 0x0424},
    {"et", nullptr, 0x0425},
    {"lv", nullptr, 0x0426},
    {"lt", nullptr, 0x0427},
};

}  // namespace

LocaleInfo ParseLocaleName(const std::string& name) {
    LocaleInfo info;
    // language[_territory][.codeset][@modifier]
    std::string base = name.substr(0, name.find('@'));
    std::string codeset;
    std::size_t dot = base.find('.');
    if (dot != std::string::npos) {
        codeset = base.substr(dot + 1);
        base.erase(dot);
    }
    std::string language = base, territory;
    std::size_t us = base.find('_');
    if (us != std::string::npos) {
        language = base.substr(0, us);
        territory = base.substr(us + 1);
    }
    if (base.empty() || base == "C" || base == "POSIX") {
        language = "en";
        territory = "US";
        if (codeset.empty()) info.CodePage = "20127";
    }
    if (SameText(codeset, "UTF-8") || SameText(codeset, "utf8")) info.CodePage = "65001";
    for (int n = 1; n <= 15 && !info.CodePage; ++n) {
        const std::string number = std::to_string(n);
        if (SameText(codeset, ("ISO-8859-" + number).c_str()) || SameText(codeset, ("ISO8859-" + number).c_str()))
            info.CodePage = std::to_string(28590 + n);
    }
    const LangEntry* match = nullptr;
    for (const auto& e : kLanguages) {
        if (!SameText(language, e.Language)) continue;
        if (e.Territory && SameText(territory, e.Territory)) {
            match = &e;
            break;
        }
        if (!e.Territory && !match) match = &e;
    }
    if (match) {
        info.LangId = match->Id;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%04X", match->Id);
        info.LocaleHex = hex;
    }
    if (!language.empty() && language.size() <= 3) {
        std::string culture = LowerCase(language);
        if (!territory.empty() && territory.size() <= 3) {
            culture += '-';
            culture += UpperCase(territory);
        }
        info.Culture = culture;
    }
    return info;
}

std::string CurrentLocaleName() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return v;
    }
    return "C";
}

}  // namespace veskin
