#pragma once
// The SOAP 1.2 envelopes the client sends: WS-Enumeration Enumerate/Pull/Release,
// WS-Transfer Get/Put/Delete, the class-schema Get and Identify. Every request carries
// To, ResourceURI (mustUnderstand), ReplyTo (anonymous), Action, a fresh MessageID,
// MaxEnvelopeSize 512000, Locale en-US (mustUnderstand false) and OperationTimeout.
#include <string>
#include <vector>

#include "rtl/WideString.h"

namespace veskin {

struct WsmanSelector {
    std::string Name;
    std::string Value;
};

constexpr int WsmanMaxElements = 32000;
constexpr int WsmanMaxEnvelopeSize = 512000;

// "http://schemas.microsoft.com/wbem/wsman/1/wmi/root/cimv2/<className>" ("\" of the
// namespace written as "/"; className "*" for queries).
std::string WmiResourceUri(const WideString& nameSpace, const std::string& className);
// "root/cimv2" from "root\cimv2".
std::string CimNamespaceText(const WideString& nameSpace);

// Enumerate with the WQL filter, OptimizeEnumeration, MaxElements and
// EnumerateObjectAndEPR. timeoutMs gives OperationTimeout.
std::string WsmanEnumerateRequest(const std::string& to, const std::string& resourceUri,
                                  const std::string& wql, int timeoutMs);
std::string WsmanPullRequest(const std::string& to, const std::string& resourceUri,
                             const std::string& context, int timeoutMs);
std::string WsmanReleaseRequest(const std::string& to, const std::string& resourceUri,
                                const std::string& context, int timeoutMs);
std::string WsmanGetRequest(const std::string& to, const std::string& resourceUri,
                            const std::vector<WsmanSelector>& selectors, int timeoutMs);
// WS-Transfer Put; instanceXml is the body element EncodeWsmanInstance made.
std::string WsmanPutRequest(const std::string& to, const std::string& resourceUri,
                            const std::vector<WsmanSelector>& selectors,
                            const std::string& instanceXml, int timeoutMs);
std::string WsmanDeleteRequest(const std::string& to, const std::string& resourceUri,
                               const std::vector<WsmanSelector>& selectors, int timeoutMs);
// Get of the CIM-XML class on the cim-schema URI with selectors __cimnamespace and
// ClassName, options IncludeQualifiers and IncludeInheritedElements true.
std::string WsmanClassSchemaRequest(const std::string& to, const std::string& cimNamespace,
                                    const std::string& className, int timeoutMs);
// WS-Management Identify (wsmid), which any server answers without authentication.
std::string WsmanIdentifyRequest();

}  // namespace veskin
