#pragma once
// A query's results as they come from the server: Enumerate when the first object is
// asked for, then one Pull whenever the reader wants an object beyond the page it has.
// An enumeration the reader leaves before its end (stop, failure, closing) is released
// on the server, where open enumerations count against a small quota.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/wsman/WsmanSession.h"
#include "platform/wsman/XmlTree.h"

namespace veskin {

struct WsmanQuery {
    std::string Wql;
    std::string ClassName;             // after FROM; empty when not known
    std::vector<WideString> Selected;  // the select list; empty for "SELECT *"
};

class WsmanEnumeration {
public:
    WsmanEnumeration(WsmanSessionPtr session, WsmanQuery query);
    ~WsmanEnumeration();
    WsmanEnumeration(const WsmanEnumeration&) = delete;
    WsmanEnumeration& operator=(const WsmanEnumeration&) = delete;

    // The next object: S_OK, S_FALSE at the end, or the failure of a request.
    HRESULT Next(WbemObjectPtr& object);

private:
    HRESULT Request(const std::string& envelope);
    void Release();

    WsmanSessionPtr FSession;
    WsmanQuery FQuery;
    WsmanDecodeContext FContext;
    std::string FResourceUri;
    std::string FEnumerationContext;
    std::vector<WbemObjectPtr> FPage;
    XmlTree FTree;      // parses every page, reusing its arena
    std::string FBody;  // every page's answer, in one buffer
    std::size_t FNext = 0;
    bool FStarted = false;
    bool FEnded = false;   // the server said EndOfSequence, or the context is gone
    bool FFailed = false;  // a failure ends the enumeration; it is not retried
    HRESULT FFailure = S_OK;
};

// A lazy object set over a query: each enumerator runs its own enumeration.
WbemObjectProducerFactory WsmanQueryFactory(WsmanSessionPtr session, WsmanQuery query);

}  // namespace veskin
