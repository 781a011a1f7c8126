#include "platform/Wql.h"

#include <new>

#include "platform/WqlAst.h"
#include "platform/WqlLexer.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

// Parentheses and NOT may nest this deep; deeper text is refused as a bad query
// rather than risking the stack.
constexpr int kMaxDepth = 100;

struct ParseError {};

class ParsedQuery final : public WqlQuery {
public:
    WideString FClass;
    bool FSelectAll = false;
    std::vector<WideString> FProperties;
    std::vector<WideString> FReferenced;
    std::vector<std::pair<WideString, WideString>> FQuoted;
    std::unique_ptr<WqlNode> FWhere;

    const WideString& ClassName() const override { return FClass; }
    bool SelectAll() const override { return FSelectAll; }
    const std::vector<WideString>& Properties() const override { return FProperties; }
    std::vector<WideString> ReferencedProperties() const override { return FReferenced; }
    std::vector<std::pair<WideString, WideString>> QuotedComparisons() const override { return FQuoted; }
    WqlRequired RequiredValues() const override {
        return FWhere ? WqlRequiredValues(*FWhere) : WqlRequired{};
    }
    bool Matches(const std::function<Variant(const WideString& name)>& lookup) const override {
        return !FWhere || WqlEvaluate(*FWhere, lookup);
    }
};

const char* const kKeywords[] = {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT",
                                 "IS", "NULL", "LIKE", "TRUE", "FALSE", "ISA"};

class Parser {
public:
    Parser(std::vector<WqlToken> tokens, ParsedQuery& query)
        : FTokens(std::move(tokens)), FQuery(query) {}

    void ParseQuery() {
        ExpectKeyword("SELECT");
        if (Peek().Kind == WqlTokenKind::Star) {
            Advance();
            FQuery.FSelectAll = true;
        } else {
            for (;;) {
                WideString name = ExpectName();
                FQuery.FProperties.push_back(name);
                Reference(name);
                if (Peek().Kind != WqlTokenKind::Comma) break;
                Advance();
            }
        }
        ExpectKeyword("FROM");
        FQuery.FClass = ExpectName();
        if (IsKeyword(Peek(), "WHERE")) {
            Advance();
            FQuery.FWhere = ParseOr(0);
        }
        if (Peek().Kind != WqlTokenKind::End) throw ParseError{};
    }

private:
    const WqlToken& Peek(std::size_t ahead = 0) const {
        std::size_t i = FPos + ahead;
        return i < FTokens.size() ? FTokens[i] : FTokens.back();
    }
    void Advance() {
        if (FPos < FTokens.size() - 1) ++FPos;
    }

    static bool IsKeyword(const WqlToken& t, const char* word) {
        return t.Kind == WqlTokenKind::Identifier && SameTextW(t.Text, W(word));
    }
    static bool IsAnyKeyword(const WqlToken& t) {
        for (const char* k : kKeywords)
            if (IsKeyword(t, k)) return true;
        return false;
    }
    void ExpectKeyword(const char* word) {
        if (!IsKeyword(Peek(), word)) throw ParseError{};
        Advance();
    }
    WideString ExpectName() {
        const WqlToken& t = Peek();
        if (t.Kind != WqlTokenKind::Identifier || IsAnyKeyword(t)) throw ParseError{};
        WideString name = t.Text;
        Advance();
        return name;
    }
    void Reference(const WideString& name) {
        for (const auto& r : FQuery.FReferenced)
            if (SameTextW(r, name)) return;
        FQuery.FReferenced.push_back(name);
    }

    void Unreference(const WideString& name) {
        auto& r = FQuery.FReferenced;
        for (auto it = r.begin(); it != r.end();)
            it = SameTextW(*it, name) ? r.erase(it) : it + 1;
    }

    std::unique_ptr<WqlNode> ParseOr(int depth) {
        auto first = ParseAnd(depth);
        if (!IsKeyword(Peek(), "OR")) return first;
        auto node = std::make_unique<WqlNode>();
        node->NodeKind = WqlNode::Or;
        node->Children.push_back(std::move(first));
        while (IsKeyword(Peek(), "OR")) {
            Advance();
            node->Children.push_back(ParseAnd(depth));
        }
        return node;
    }

    std::unique_ptr<WqlNode> ParseAnd(int depth) {
        auto first = ParseUnary(depth);
        if (!IsKeyword(Peek(), "AND")) return first;
        auto node = std::make_unique<WqlNode>();
        node->NodeKind = WqlNode::And;
        node->Children.push_back(std::move(first));
        while (IsKeyword(Peek(), "AND")) {
            Advance();
            node->Children.push_back(ParseUnary(depth));
        }
        return node;
    }

    std::unique_ptr<WqlNode> ParseUnary(int depth) {
        if (depth >= kMaxDepth) throw ParseError{};
        if (IsKeyword(Peek(), "NOT")) {
            Advance();
            auto node = std::make_unique<WqlNode>();
            node->NodeKind = WqlNode::Not;
            node->Children.push_back(ParseUnary(depth + 1));
            return node;
        }
        if (Peek().Kind == WqlTokenKind::LParen) {
            Advance();
            auto inner = ParseOr(depth + 1);
            if (Peek().Kind != WqlTokenKind::RParen) throw ParseError{};
            Advance();
            return inner;
        }
        return ParseComparison();
    }

    WqlOperand ParseOperand() {
        WqlOperand op;
        const WqlToken& t = Peek();
        if (t.Kind == WqlTokenKind::String) {
            op.Literal.LitKind = WqlLiteral::String;
            op.Literal.Text = t.Text;
            Advance();
            return op;
        }
        if (t.Kind == WqlTokenKind::Minus || t.Kind == WqlTokenKind::Plus ||
            t.Kind == WqlTokenKind::Number) {
            WideString text;
            if (t.Kind != WqlTokenKind::Number) {
                text.push_back(t.Kind == WqlTokenKind::Minus ? u'-' : u'+');
                Advance();
                if (Peek().Kind != WqlTokenKind::Number) throw ParseError{};
            }
            text += Peek().Text;
            Advance();
            auto n = WqlParseNumber(text);
            if (!n) throw ParseError{};
            op.Literal.LitKind = WqlLiteral::Number;
            op.Literal.Num = *n;
            op.Literal.Text = text;
            return op;
        }
        if (IsKeyword(t, "TRUE") || IsKeyword(t, "FALSE")) {
            op.Literal.LitKind = WqlLiteral::Boolean;
            op.Literal.Bool = IsKeyword(t, "TRUE");
            Advance();
            return op;
        }
        if (IsKeyword(t, "NULL")) {
            op.Literal.LitKind = WqlLiteral::Null;
            Advance();
            return op;
        }
        op.IsProperty = true;
        op.Name = ExpectName();
        Reference(op.Name);
        return op;
    }

    std::unique_ptr<WqlNode> ParseComparison() {
        auto node = std::make_unique<WqlNode>();
        WqlOperand left = ParseOperand();
        if (left.IsProperty && IsKeyword(Peek(), "IS")) {
            Advance();
            node->NodeKind = WqlNode::IsNull;
            node->Property = left.Name;
            if (IsKeyword(Peek(), "NOT")) {
                Advance();
                node->Negate = true;
            }
            ExpectKeyword("NULL");
            return node;
        }
        if (left.IsProperty && (IsKeyword(Peek(), "LIKE") ||
                                (IsKeyword(Peek(), "NOT") && IsKeyword(Peek(1), "LIKE")))) {
            if (IsKeyword(Peek(), "NOT")) {
                node->Negate = true;
                Advance();
            }
            Advance();
            if (Peek().Kind != WqlTokenKind::String) throw ParseError{};
            node->NodeKind = WqlNode::Like;
            node->Property = left.Name;
            node->Pattern = Peek().Text;
            Advance();
            return node;
        }
        if (left.IsProperty && IsKeyword(Peek(), "ISA")) {
            Advance();
            if (Peek().Kind != WqlTokenKind::String) throw ParseError{};
            node->NodeKind = WqlNode::Isa;
            node->Property = left.Name;
            node->Pattern = Peek().Text;
            Advance();
            // __THIS stands for the object itself and is no property to look up.
            if (SameTextW(left.Name, W("__THIS"))) Unreference(left.Name);
            return node;
        }
        // __THIS means something only before ISA.
        if (left.IsProperty && SameTextW(left.Name, W("__THIS"))) throw ParseError{};
        node->NodeKind = WqlNode::Compare;
        switch (Peek().Kind) {
            case WqlTokenKind::Equal: node->Op = WqlOp::Equal; break;
            case WqlTokenKind::NotEqual: node->Op = WqlOp::NotEqual; break;
            case WqlTokenKind::Less: node->Op = WqlOp::Less; break;
            case WqlTokenKind::Greater: node->Op = WqlOp::Greater; break;
            case WqlTokenKind::LessEqual: node->Op = WqlOp::LessEqual; break;
            case WqlTokenKind::GreaterEqual: node->Op = WqlOp::GreaterEqual; break;
            default: throw ParseError{};
        }
        Advance();
        WqlOperand right = ParseOperand();
        if (!left.IsProperty && !right.IsProperty) throw ParseError{};
        if (left.IsProperty && !right.IsProperty && right.Literal.LitKind == WqlLiteral::String)
            FQuery.FQuoted.emplace_back(left.Name, right.Literal.Text);
        if (right.IsProperty && !left.IsProperty && left.Literal.LitKind == WqlLiteral::String)
            FQuery.FQuoted.emplace_back(right.Name, left.Literal.Text);
        node->Left = std::move(left);
        node->Right = std::move(right);
        return node;
    }

    std::vector<WqlToken> FTokens;
    std::size_t FPos = 0;
    ParsedQuery& FQuery;
};

}  // namespace

HRESULT WqlParse(const WideString& text, WqlQueryPtr& query) {
    query.reset();
    try {
        std::vector<WqlToken> tokens = WqlTokenize(text);
        if (tokens.empty() || tokens.back().Kind != WqlTokenKind::End) return WBEM_E_INVALID_QUERY;
        auto parsed = std::make_shared<ParsedQuery>();
        Parser(std::move(tokens), *parsed).ParseQuery();
        query = std::move(parsed);
        return S_OK;
    } catch (const ParseError&) {
        return WBEM_E_INVALID_QUERY;
    } catch (const std::bad_alloc&) {
        return WBEM_E_INVALID_QUERY;
    }
}

}  // namespace veskin
