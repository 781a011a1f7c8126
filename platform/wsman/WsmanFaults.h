#pragma once
// SOAP faults of WS-Management servers in a parsed answer.
#include <string>

#include "platform/ComTypes.h"
#include "platform/wsman/XmlTree.h"

namespace veskin {

// True when the envelope's body is a fault; code and message as DecodeWsmanFault gives.
bool FaultFromTree(const XmlNode& envelope, HRESULT& code, std::string& message);
// The body of an envelope, or null when root is no SOAP envelope with a body.
const XmlNode* SoapBody(const XmlNode* root);

}  // namespace veskin
