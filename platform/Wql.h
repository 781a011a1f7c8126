#pragma once
// The WQL engine: parses "SELECT * | prop, ... FROM Class [WHERE condition]" and
// evaluates the condition against one object's property values (and, for
// "__THIS ISA 'Class'", its __CLASS and __DERIVATION).
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ComTypes.h"
#include "rtl/TextFold.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"

namespace veskin {

// A value a condition requires a property to equal (see WqlQuery::RequiredValues).
struct WqlRequiredValue {
    WideString Text;
    bool Quoted = false;  // a string literal (else a number)
};
using WqlRequired = std::map<WideString, std::vector<WqlRequiredValue>, TextLessW>;

// An object whose class "property ISA 'Class'" can test: the object model's objects,
// which the WQL engine does not otherwise know.
class WqlClassTest {
public:
    virtual ~WqlClassTest() = default;
    // True when the object's class is className or derives from it.
    virtual bool WqlIsA(const WideString& className) const = 0;
};

class WqlQuery {
public:
    virtual ~WqlQuery() = default;
    // The class after FROM, as written.
    virtual const WideString& ClassName() const = 0;
    // True for "SELECT *".
    virtual bool SelectAll() const = 0;
    // The select list as written (empty for "SELECT *").
    virtual const std::vector<WideString>& Properties() const = 0;
    // Every property name the query refers to, in the select list and in WHERE, as
    // written (callers check them against the class: an unknown one is a bad query).
    virtual std::vector<WideString> ReferencedProperties() const = 0;
    // Each comparison of a property with a quoted literal in WHERE: the property name
    // as written and the literal's text (callers check that the text converts to the
    // property's type).
    virtual std::vector<std::pair<WideString, WideString>> QuotedComparisons() const = 0;
    // The properties the WHERE condition requires to equal one of some literals, with
    // the literals' text: "A = 1 AND B = 'x'" gives A: {1}, B: {x}; "A = 1 OR A = 2"
    // gives A: {1, 2}. An object lacking such a value cannot match.
    virtual WqlRequired RequiredValues() const = 0;
    // The WHERE condition for one object (true when there is none). lookup gives the
    // value of a property by name (any letter case); null for a null value.
    virtual bool Matches(const std::function<Variant(const WideString& name)>& lookup) const = 0;
};
using WqlQueryPtr = std::shared_ptr<const WqlQuery>;

// S_OK with the parsed query, or WBEM_E_INVALID_QUERY (0x80041017) for any text it
// does not understand. Never throws, never hangs, whatever the text.
HRESULT WqlParse(const WideString& text, WqlQueryPtr& query);

}  // namespace veskin
