#include "platform/native/ClassSchema.h"

#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <unordered_map>

#include "platform/CimValue.h"
#include "platform/WbemScripting.h"
#include "platform/native/TextFields.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

std::optional<std::int32_t> CimTypeNamed(std::string_view name) {
    for (std::int32_t t : {wbemCimtypeSint8, wbemCimtypeUint8, wbemCimtypeSint16, wbemCimtypeUint16,
                           wbemCimtypeSint32, wbemCimtypeUint32, wbemCimtypeSint64, wbemCimtypeUint64,
                           wbemCimtypeReal32, wbemCimtypeReal64, wbemCimtypeBoolean, wbemCimtypeString,
                           wbemCimtypeDatetime, wbemCimtypeReference, wbemCimtypeChar16, wbemCimtypeObject})
        if (name == CimTypeName(t)) return t;
    return std::nullopt;
}

// The words of a line; a double-quoted part (which may hold blanks) stays in its word.
bool SplitWords(std::string_view line, std::vector<std::string_view>& words) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::size_t start = i;
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t' && line[i] != '\r')); ++i)
            if (line[i] == '"') quoted = !quoted;
        if (quoted) return false;
        words.push_back(line.substr(start, i - start));
    }
    return true;
}

// "Name" (true), "Name=123" (sint32), "Name=\"text\"" or "Name=text" (string).
std::optional<WbemQualifierDef> QualifierOf(std::string_view word) {
    std::size_t eq = word.find('=');
    std::string_view name = word.substr(0, eq);
    if (name.empty() || name.find('"') != std::string_view::npos) return std::nullopt;
    WbemQualifierDef q{AnsiToWide(std::string(name)), Variant(true)};
    if (eq == std::string_view::npos) return q;
    std::string_view value = word.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        q.Value = Variant(AnsiToWide(std::string(value.substr(1, value.size() - 2))));
    } else if (value.empty() || value.find('"') != std::string_view::npos) {
        return std::nullopt;
    } else if (value.find_first_not_of("-0123456789") == std::string_view::npos) {
        auto n = ToI64(value);
        if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
        q.Value = Variant::FromInteger(static_cast<std::int32_t>(*n));
    } else {
        q.Value = Variant(AnsiToWide(std::string(value)));
    }
    return q;
}

}  // namespace

ParsedClassSchema ParseClassSchema(std::string_view className, std::string_view text) {
    ParsedClassSchema result;
    std::vector<WbemPropertyDef> defs;
    std::set<WideString, TextLessW> seen;
    std::size_t lineNo = 0;
    for (std::string_view line : SplitLines(text)) {
        ++lineNo;
        auto fail = [&](const std::string& what) {
            result.Errors.push_back("line " + std::to_string(lineNo) + ": " + what);
        };
        std::vector<std::string_view> words;
        if (!SplitWords(line, words)) {
            fail("unterminated quote");
            continue;
        }
        if (words.empty() || words[0].front() == '#') continue;
        if (words[0] == "superclass") {
            if (words.size() != 2 || !result.Superclass.empty()) fail("superclass wants one name, once");
            else result.Superclass = std::string(words[1]);
            continue;
        }
        if (words[0] == "abstract" && words.size() == 1) {
            result.IsAbstract = true;
            continue;
        }
        const std::string name(words[0]);
        if (words.size() < 2) {
            fail(name + " has no type");
            continue;
        }
        // "ref:Class" is a reference to objects of that class.
        const std::string_view typeWord = words[1];
        const bool typedRef = typeWord.size() > 4 && typeWord.substr(0, 4) == "ref:";
        auto type = typedRef ? std::optional<std::int32_t>(wbemCimtypeReference) : CimTypeNamed(typeWord);
        if (!type) {
            fail("unknown type " + std::string(words[1]));
            continue;
        }
        if (!seen.insert(AnsiToWide(name)).second) {
            fail(name + " appears twice");
            continue;
        }
        std::size_t next = 2;
        const bool isArray = words.size() > 2 && words[2] == "array";
        if (isArray) ++next;
        // Every property carries its type's name, as the Windows service gives it.
        std::vector<WbemQualifierDef> qualifiers{
            {u"CIMTYPE", Variant(AnsiToWide(typedRef ? std::string(typeWord) : CimTypeName(*type)))}};
        for (; next < words.size(); ++next) {
            auto q = QualifierOf(words[next]);
            if (q) qualifiers.push_back(std::move(*q));
            else fail("bad qualifier " + std::string(words[next]));
        }
        defs.push_back(PropertyDef(AnsiToWide(name), *type, isArray, std::move(qualifiers)));
    }
    result.Class = WbemClass::Make(AnsiToWide(std::string(className)), std::move(defs));
    return result;
}

namespace {

const ClassSchemaText& SchemaNamed(std::string_view className) {
    for (const auto& schema : EmbeddedClassSchemas())
        if (schema.ClassName == className) return schema;
    throw std::logic_error("no class schema for " + std::string(className));
}

WbemClassPtr BuildSchemaClass(std::map<std::string, WbemClassPtr, std::less<>>& built,
                              std::string_view className, int depth) {
    if (auto it = built.find(className); it != built.end()) return it->second;
    if (depth > 32) throw std::logic_error(std::string(className) + ".schema: superclasses form a loop");
    ParsedClassSchema parsed = ParseClassSchema(className, SchemaNamed(className).Text);
    if (!parsed.Errors.empty()) throw std::logic_error(std::string(className) + ".schema " + parsed.Errors.front());
    std::vector<WideString> derivation;
    if (!parsed.Superclass.empty()) {
        WbemClassPtr base = BuildSchemaClass(built, parsed.Superclass, depth + 1);
        derivation.push_back(base->Name());
        derivation.insert(derivation.end(), base->Derivation().begin(), base->Derivation().end());
    }
    auto cls = WbemClass::Make(parsed.Class->Name(), parsed.Class->Properties(), std::move(derivation),
                               parsed.IsAbstract);
    return built.emplace(std::string(className), cls).first->second;
}

}  // namespace

WbemClassPtr NativeSchemaClass(std::string_view className) {
    static std::mutex lock;
    static std::map<std::string, WbemClassPtr, std::less<>> built;
    std::lock_guard<std::mutex> guard(lock);
    return BuildSchemaClass(built, className, 0);
}

std::vector<WideString> NativeSchemaDerivation(std::string_view className) {
    static const std::unordered_map<std::string_view, std::string_view> superclasses = [] {
        std::unordered_map<std::string_view, std::string_view> map;
        for (const auto& schema : EmbeddedClassSchemas()) map.emplace(schema.ClassName, schema.Superclass);
        return map;
    }();
    auto superclassOf = [](std::string_view name) {
        auto it = superclasses.find(name);
        if (it == superclasses.end()) throw std::logic_error("no class schema for " + std::string(name));
        return it->second;
    };
    std::vector<WideString> derivation;
    for (std::string_view base = superclassOf(className); !base.empty(); base = superclassOf(base)) {
        if (derivation.size() > 32)
            throw std::logic_error(std::string(className) + ".schema: superclasses form a loop");
        derivation.push_back(AnsiToWide(std::string(base)));
    }
    return derivation;
}

WbemDeferredClass NativeDeferredClass(std::string_view className) {
    return WbemDeferredClass{AnsiToWide(std::string(className)), NativeSchemaDerivation(className),
                             [name = std::string(className)] { return NativeSchemaClass(name); }};
}

}  // namespace veskin
