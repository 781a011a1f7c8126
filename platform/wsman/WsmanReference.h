#pragma once
// Endpoint references: the address, resource URI and selectors that name an instance,
// and the object path text the library shows for them.
#include <string_view>
#include <vector>

#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/XmlTree.h"

namespace veskin {

struct WsmanEpr {
    std::string_view Address;
    std::string_view ResourceUri;
    std::vector<const XmlNode*> Selectors;  // w:Selector elements, in document order
};

// Reads an a:EndpointReference, or an element holding its Address and
// ReferenceParameters directly (as a reference property does); false when there is none.
bool ReadEpr(const XmlNode& node, WsmanEpr& epr);
// "\\HOST\root\cimv2:Class.Key=\"v\"": host from the address (else context.Server),
// namespace from the __cimnamespace selector or the resource URI (else
// context.NameSpace), class from the resource URI's last segment.
WideString PathFromEpr(const WsmanEpr& epr, const WsmanDecodeContext& context, int depth = 0);
// True for the selector that carries the namespace rather than a key.
bool IsNamespaceSelector(std::string_view name);

}  // namespace veskin
