#pragma once
// "ASSOCIATORS OF {path} [WHERE ...]" and "REFERENCES OF {path} [WHERE ...]": the objects
// associated with one object, and the association instances that refer to it. The
// WHERE part is a list of keywords, some with "= name", without AND between them.
#include "platform/ComTypes.h"
#include "rtl/WideString.h"

namespace veskin {

struct WqlAssociationQuery {
    bool References = false;  // REFERENCES OF (else ASSOCIATORS OF)
    WideString ObjectPath;    // the text between the braces
    // Empty when not given.
    WideString AssocClass;  // ASSOCIATORS only
    WideString ResultClass;
    WideString Role;
    WideString ResultRole;  // ASSOCIATORS only
    WideString RequiredQualifier;
    WideString RequiredAssocQualifier;  // ASSOCIATORS only
    bool KeysOnly = false;
    bool ClassDefsOnly = false;
    bool SchemaOnly = false;
};

// True when the text's first word is ASSOCIATORS or REFERENCES (any case).
bool WqlIsAssociationQuery(const WideString& text);

// S_OK, or WBEM_E_INVALID_QUERY (0x80041017) for text that is no such query: a missing
// OF or brace, an empty path, an unknown or repeated keyword, a keyword the query kind
// does not have, a value missing or given where none belongs, ClassDefsOnly together
// with SchemaOnly or KeysOnly.
HRESULT WqlParseAssociation(const WideString& text, WqlAssociationQuery& query);

}  // namespace veskin
