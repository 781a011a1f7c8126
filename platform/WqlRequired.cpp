#include "platform/WqlAst.h"

namespace veskin {

namespace {

// "prop = literal" (either way round) with a text or number literal.
bool EqualityOf(const WqlNode& node, WideString& property, WqlRequiredValue& value) {
    if (node.NodeKind != WqlNode::Compare || node.Op != WqlOp::Equal) return false;
    const WqlOperand* prop = node.Left.IsProperty ? &node.Left : &node.Right;
    const WqlOperand* lit = node.Left.IsProperty ? &node.Right : &node.Left;
    if (!prop->IsProperty || lit->IsProperty) return false;
    if (lit->Literal.LitKind != WqlLiteral::String && lit->Literal.LitKind != WqlLiteral::Number) return false;
    property = prop->Name;
    value = {lit->Literal.Text, lit->Literal.LitKind == WqlLiteral::String};
    return true;
}

}  // namespace

WqlRequired WqlRequiredValues(const WqlNode& node) {
    WqlRequired required;
    switch (node.NodeKind) {
        case WqlNode::Compare: {
            WideString property;
            WqlRequiredValue value;
            if (EqualityOf(node, property, value)) required[property].push_back(value);
            break;
        }
        case WqlNode::And:
            // Every child must hold: each one's requirements count (the first per property).
            for (const auto& child : node.Children)
                for (auto& [property, values] : WqlRequiredValues(*child))
                    required.emplace(property, std::move(values));
            break;
        case WqlNode::Or: {
            // One child must hold: only a property every child requires counts, with the
            // values of all of them.
            required = WqlRequiredValues(*node.Children.front());
            for (std::size_t i = 1; i < node.Children.size() && !required.empty(); ++i) {
                WqlRequired other = WqlRequiredValues(*node.Children[i]);
                for (auto it = required.begin(); it != required.end();) {
                    auto found = other.find(it->first);
                    if (found == other.end()) {
                        it = required.erase(it);
                        continue;
                    }
                    it->second.insert(it->second.end(), found->second.begin(), found->second.end());
                    ++it;
                }
            }
            break;
        }
        default:
            break;  // NOT, IS NULL, LIKE, ISA and other comparisons require no single value
    }
    return required;
}

}  // namespace veskin
