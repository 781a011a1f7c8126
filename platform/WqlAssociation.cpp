#include "platform/WqlAssociation.h"

#include "platform/WqlLexer.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::size_t SkipBlanks(const WideString& text, std::size_t i) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

// The word starting at i (letters, digits, '_').
WideString WordAt(const WideString& text, std::size_t i) {
    std::size_t end = i;
    while (end < text.size() && (text[end] == u'_' || (text[end] >= u'0' && text[end] <= u'9') ||
                                 (text[end] >= u'A' && text[end] <= u'Z') || (text[end] >= u'a' && text[end] <= u'z')))
        ++end;
    return text.substr(i, end - i);
}

// The position after the brace that closes the path opened at open; npos when the path
// does not end. Braces inside quoted key values do not count.
std::size_t PathEnd(const WideString& text, std::size_t open) {
    bool quoted = false;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (quoted && text[i] == u'\\') {
            ++i;
        } else if (text[i] == u'"') {
            quoted = !quoted;
        } else if (!quoted && text[i] == u'}') {
            return i + 1;
        }
    }
    return WideString::npos;
}

struct Keyword {
    const char16_t* Name;
    bool HasValue;
    bool AssociatorsOnly;
    bool ReferencesToo;
};

const Keyword kKeywords[] = {
    {u"AssocClass", true, true, false},
    {u"ClassDefsOnly", false, false, true},
    {u"KeysOnly", false, false, true},
    {u"RequiredAssocQualifier", true, true, false},
    {u"RequiredQualifier", true, false, true},
    {u"ResultClass", true, false, true},
    {u"ResultRole", true, true, false},
    {u"Role", true, false, true},
    {u"SchemaOnly", false, false, true},
};

WideString* ValueSlot(WqlAssociationQuery& q, const WideString& name) {
    if (SameTextW(name, u"AssocClass")) return &q.AssocClass;
    if (SameTextW(name, u"ResultClass")) return &q.ResultClass;
    if (SameTextW(name, u"Role")) return &q.Role;
    if (SameTextW(name, u"ResultRole")) return &q.ResultRole;
    if (SameTextW(name, u"RequiredQualifier")) return &q.RequiredQualifier;
    return &q.RequiredAssocQualifier;
}

bool* FlagSlot(WqlAssociationQuery& q, const WideString& name) {
    if (SameTextW(name, u"KeysOnly")) return &q.KeysOnly;
    if (SameTextW(name, u"ClassDefsOnly")) return &q.ClassDefsOnly;
    return &q.SchemaOnly;
}

// The WHERE part's keywords into q; false for anything else.
bool ParseWhere(const std::vector<WqlToken>& tokens, WqlAssociationQuery& q) {
    std::size_t i = 0;
    auto kind = [&tokens, &i] { return i < tokens.size() ? tokens[i].Kind : WqlTokenKind::End; };
    if (kind() == WqlTokenKind::End) return true;
    if (kind() != WqlTokenKind::Identifier || !SameTextW(tokens[i].Text, u"WHERE")) return false;
    ++i;
    if (kind() == WqlTokenKind::End) return false;  // WHERE needs at least one keyword
    std::vector<const Keyword*> seen;
    while (kind() != WqlTokenKind::End) {
        if (kind() != WqlTokenKind::Identifier) return false;
        const WideString name = tokens[i++].Text;
        const Keyword* keyword = nullptr;
        for (const auto& k : kKeywords)
            if (SameTextW(name, k.Name)) keyword = &k;
        if (!keyword || (q.References && keyword->AssociatorsOnly)) return false;
        for (const Keyword* s : seen)
            if (s == keyword) return false;
        seen.push_back(keyword);
        if (!keyword->HasValue) {
            *FlagSlot(q, name) = true;
            continue;
        }
        if (kind() != WqlTokenKind::Equal) return false;
        ++i;
        if (kind() != WqlTokenKind::Identifier) return false;
        *ValueSlot(q, name) = tokens[i++].Text;
    }
    return !(q.ClassDefsOnly && (q.SchemaOnly || q.KeysOnly));
}

}  // namespace

bool WqlIsAssociationQuery(const WideString& text) {
    const WideString first = WordAt(text, SkipBlanks(text, 0));
    return SameTextW(first, u"ASSOCIATORS") || SameTextW(first, u"REFERENCES");
}

HRESULT WqlParseAssociation(const WideString& text, WqlAssociationQuery& query) {
    WqlAssociationQuery q;
    std::size_t i = SkipBlanks(text, 0);
    const WideString kindWord = WordAt(text, i);
    if (SameTextW(kindWord, u"REFERENCES")) q.References = true;
    else if (!SameTextW(kindWord, u"ASSOCIATORS")) return WBEM_E_INVALID_QUERY;
    i = SkipBlanks(text, i + kindWord.size());
    const WideString of = WordAt(text, i);
    if (!SameTextW(of, u"OF")) return WBEM_E_INVALID_QUERY;
    i = SkipBlanks(text, i + of.size());
    if (i >= text.size() || text[i] != u'{') return WBEM_E_INVALID_QUERY;
    const std::size_t end = PathEnd(text, i);
    if (end == WideString::npos) return WBEM_E_INVALID_QUERY;
    std::size_t first = SkipBlanks(text, i + 1), last = end - 1;
    while (last > first && IsBlank(text[last - 1])) --last;
    if (last <= first) return WBEM_E_INVALID_QUERY;
    q.ObjectPath = text.substr(first, last - first);
    std::vector<WqlToken> rest = WqlTokenize(text.substr(end));
    if (!rest.empty() && rest.back().Kind == WqlTokenKind::Invalid) return WBEM_E_INVALID_QUERY;
    if (!ParseWhere(rest, q)) return WBEM_E_INVALID_QUERY;
    query = std::move(q);
    return S_OK;
}

}  // namespace veskin
