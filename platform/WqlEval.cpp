#include "platform/WqlAst.h"

#include "rtl/TextFold.h"

namespace veskin {

namespace {

bool IsNullValue(const Variant& v) {
    const Variant& d = v.Deref();
    return d.IsNull() || d.IsEmpty();
}

bool IsTextValue(const Variant& v) {
    TVarType t = v.Deref().VarType();
    return t == varOleStr || t == varString;
}

bool Apply(WqlOp op, int cmp) {
    switch (op) {
        case WqlOp::Equal: return cmp == 0;
        case WqlOp::NotEqual: return cmp != 0;
        case WqlOp::Less: return cmp < 0;
        case WqlOp::Greater: return cmp > 0;
        case WqlOp::LessEqual: return cmp <= 0;
        case WqlOp::GreaterEqual: return cmp >= 0;
    }
    return false;
}

WqlOp Mirror(WqlOp op) {
    switch (op) {
        case WqlOp::Less: return WqlOp::Greater;
        case WqlOp::Greater: return WqlOp::Less;
        case WqlOp::LessEqual: return WqlOp::GreaterEqual;
        case WqlOp::GreaterEqual: return WqlOp::LessEqual;
        default: return op;
    }
}

// A value as a boolean: booleans, numbers (non-zero is true), "TRUE"/"FALSE" text.
std::optional<bool> AsBool(const Variant& value) {
    const Variant& v = value.Deref();
    if (v.VarType() == varBoolean) return v.RawBool();
    if (IsTextValue(v)) {
        auto text = WqlValueAsText(v);
        if (text && SameTextW(*text, W("TRUE"))) return true;
        if (text && SameTextW(*text, W("FALSE"))) return false;
    }
    if (auto n = WqlValueAsNumber(v)) {
        auto c = WqlCompareNumbers(*n, WqlNumber::FromInt(0));
        if (c) return *c != 0;
    }
    return std::nullopt;
}

bool CompareWithLiteral(const Variant& value, WqlOp op, const WqlLiteral& lit) {
    if (lit.LitKind == WqlLiteral::Null) {
        // "= NULL" asks the same as IS NULL, "<> NULL" as IS NOT NULL.
        if (op == WqlOp::Equal) return IsNullValue(value);
        if (op == WqlOp::NotEqual) return !IsNullValue(value);
        return false;
    }
    if (IsNullValue(value)) return false;
    switch (lit.LitKind) {
        case WqlLiteral::Number: {
            auto n = WqlValueAsNumber(value);
            if (!n) return false;
            auto c = WqlCompareNumbers(*n, lit.Num);
            return c && Apply(op, *c);
        }
        case WqlLiteral::Boolean: {
            auto b = AsBool(value);
            if (!b) return false;
            return Apply(op, static_cast<int>(*b) - static_cast<int>(lit.Bool));
        }
        case WqlLiteral::String: {
            const Variant& v = value.Deref();
            if (v.VarType() == varBoolean) {
                std::optional<bool> b;
                if (SameTextW(lit.Text, W("TRUE"))) b = true;
                if (SameTextW(lit.Text, W("FALSE"))) b = false;
                if (!b) return false;
                return Apply(op, static_cast<int>(v.RawBool()) - static_cast<int>(*b));
            }
            if (!IsTextValue(v)) {
                // A number given as text compares as a number; text that is no number
                // matches no numeric value.
                auto n = WqlValueAsNumber(v);
                if (n) {
                    auto ln = WqlParseNumber(lit.Text);
                    auto c = ln ? WqlCompareNumbers(*n, *ln) : std::nullopt;
                    return c && Apply(op, *c);
                }
            }
            auto text = WqlValueAsText(v);
            if (!text) return false;
            return Apply(op, CompareTextW(*text, lit.Text));
        }
        case WqlLiteral::Null:
            break;
    }
    return false;
}

bool CompareProperties(const Variant& a, WqlOp op, const Variant& b) {
    if (IsNullValue(a) || IsNullValue(b)) return false;
    if (IsTextValue(a) && IsTextValue(b)) {
        auto x = WqlValueAsText(a), y = WqlValueAsText(b);
        return x && y && Apply(op, CompareTextW(*x, *y));
    }
    auto x = WqlValueAsNumber(a), y = WqlValueAsNumber(b);
    if (x && y) {
        auto c = WqlCompareNumbers(*x, *y);
        return c && Apply(op, *c);
    }
    auto tx = WqlValueAsText(a), ty = WqlValueAsText(b);
    return tx && ty && Apply(op, CompareTextW(*tx, *ty));
}

bool EvaluateCompare(const WqlNode& node, const WqlLookup& lookup) {
    const WqlOperand& l = node.Left;
    const WqlOperand& r = node.Right;
    if (l.IsProperty && r.IsProperty) return CompareProperties(lookup(l.Name), node.Op, lookup(r.Name));
    if (l.IsProperty) return CompareWithLiteral(lookup(l.Name), node.Op, r.Literal);
    if (r.IsProperty) return CompareWithLiteral(lookup(r.Name), Mirror(node.Op), l.Literal);
    return false;  // the parser never builds literal-to-literal comparisons
}

// The object or an embedded object is of the class or derived from it.
bool EvaluateIsa(const WqlNode& node, const WqlLookup& lookup) {
    if (SameTextW(node.Property, W("__THIS"))) {
        auto name = WqlValueAsText(lookup(u"__CLASS"));
        if (name && SameTextW(*name, node.Pattern)) return true;
        const Variant bases = lookup(u"__DERIVATION");
        if (!bases.IsArray()) return false;
        for (int i = bases.ArrayLowBound(); i <= bases.ArrayHighBound(); ++i) {
            auto base = WqlValueAsText(bases.GetElement(i));
            if (base && SameTextW(*base, node.Pattern)) return true;
        }
        return false;
    }
    const Variant v = lookup(node.Property).Deref();
    if (v.VarType() != varDispatch && v.VarType() != varUnknown) return false;
    auto embedded = std::dynamic_pointer_cast<WqlClassTest>(v.RawInterface());
    return embedded && embedded->WqlIsA(node.Pattern);
}

}  // namespace

bool WqlEvaluate(const WqlNode& node, const WqlLookup& lookup) {
    switch (node.NodeKind) {
        case WqlNode::And:
            for (const auto& c : node.Children)
                if (!WqlEvaluate(*c, lookup)) return false;
            return true;
        case WqlNode::Or:
            for (const auto& c : node.Children)
                if (WqlEvaluate(*c, lookup)) return true;
            return false;
        case WqlNode::Not:
            return !WqlEvaluate(*node.Children.front(), lookup);
        case WqlNode::Compare:
            return EvaluateCompare(node, lookup);
        case WqlNode::IsNull:
            return IsNullValue(lookup(node.Property)) != node.Negate;
        case WqlNode::Like: {
            Variant v = lookup(node.Property);
            if (IsNullValue(v)) return false;
            auto text = WqlValueAsText(v);
            if (!text) return false;
            return WqlLike(*text, node.Pattern) != node.Negate;
        }
        case WqlNode::Isa:
            return EvaluateIsa(node, lookup);
    }
    return false;
}

}  // namespace veskin
