#pragma once
// The parsed form of a WQL condition and its evaluation against one object.
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Wql.h"
#include "platform/WqlValue.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"

namespace veskin {

struct WqlLiteral {
    enum Kind { String,
                Number,
                Boolean,
                Null } LitKind = Null;
    WideString Text;
    WqlNumber Num;
    bool Bool = false;
};

struct WqlOperand {
    bool IsProperty = false;
    WideString Name;  // when IsProperty
    WqlLiteral Literal;
};

enum class WqlOp { Equal,
                   NotEqual,
                   Less,
                   Greater,
                   LessEqual,
                   GreaterEqual };

struct WqlNode {
    enum Kind { And,
                Or,
                Not,
                Compare,
                IsNull,
                Like,
                Isa } NodeKind = And;
    std::vector<std::unique_ptr<WqlNode>> Children;  // And, Or (two or more), Not (one)
    WqlOp Op = WqlOp::Equal;                         // Compare
    WqlOperand Left, Right;                          // Compare
    WideString Property;                             // IsNull, Like, Isa ("__THIS": the object)
    WideString Pattern;                              // Like; Isa: the class name
    bool Negate = false;                             // IS NOT NULL, NOT LIKE
};

using WqlLookup = std::function<Variant(const WideString& name)>;

// The truth of a condition for one object. Depth is bounded by the parser.
bool WqlEvaluate(const WqlNode& node, const WqlLookup& lookup);

// The equalities a condition cannot be true without (see WqlQuery::RequiredValues).
WqlRequired WqlRequiredValues(const WqlNode& node);

}  // namespace veskin
