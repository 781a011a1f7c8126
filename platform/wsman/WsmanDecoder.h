#pragma once
// Reads the server's answers: enumeration pages of instances and XmlFragment rows,
// single instances, CIM-XML class schemas, Identify answers and SOAP faults. Instance
// XML carries no CIM types: they come from the class schema; without one every
// property is text and the keys come from the endpoint reference.
#include <string>
#include <string_view>
#include <vector>

#include "platform/WbemObject.h"
#include "platform/wsman/WsmanRequests.h"

namespace veskin {

class XmlTree;

// The class schemas decoding needs, by class name; null when the server has none.
class WsmanSchemaSource {
public:
    virtual ~WsmanSchemaSource() = default;
    virtual WbemClassPtr ClassSchema(const std::string& className) = 0;
};

struct WsmanDecodeContext {
    std::string Server;    // the computer name that object paths show
    WideString NameSpace;  // "root\cimv2"
    WsmanSchemaSource* Schemas = nullptr;
    // For XmlFragment rows (a query with a select list): the query's class, with only
    // the selected properties (null when no schema is known), and its name.
    WbemClassPtr FragmentClass;
    std::string FragmentClassName;
};

struct WsmanPage {
    std::string Context;         // the latest enumeration context (may be empty)
    bool EndOfSequence = false;  // in the w or the n namespace
    std::vector<WbemObjectPtr> Objects;
};

// An Enumerate or Pull response. A SOAP fault gives its code (and records its text
// through SetErrorDetail); a body that is no such response WSMAN_E_HTTP_SERVER_ERROR.
HRESULT DecodeEnumerationResponse(std::string_view body, const WsmanDecodeContext& context,
                                  WsmanPage& page);
// The same, parsed with tree: a reader of many pages keeps one, so that its arena is
// reused from page to page.
HRESULT DecodeEnumerationResponse(std::string_view body, const WsmanDecodeContext& context,
                                  WsmanPage& page, XmlTree& tree);
// A WS-Transfer Get (or Put) response: the one instance in its body.
HRESULT DecodeGetResponse(std::string_view body, const WsmanDecodeContext& context,
                          WbemObjectPtr& object);
// A CIM-XML CLASS: properties with their CIM types, array flags and qualifiers.
HRESULT DecodeClassSchema(std::string_view body, WbemClassPtr& cls);

struct WsmanIdentity {
    std::string ProtocolVersion, ProductVendor, ProductVersion;
    std::vector<std::string> SecurityProfiles;
};
HRESULT DecodeIdentifyResponse(std::string_view body, WsmanIdentity& identity);

// True when body is a SOAP fault: code is the WMI code of an MSFT_WmiError detail
// when there is one, else the WSManFault code, else the code of the WS-Management
// fault subcode (w:TimedOut, InvalidResourceURI, InvalidEnumerationContext, quota);
// message is the server's own text.
bool DecodeWsmanFault(std::string_view body, HRESULT& code, std::string& message);

// The instance element that WS-Transfer Put sends for object (its class's namespace
// and properties; nulls as xsi:nil, arrays repeated, datetimes as cim:Datetime).
std::string EncodeWsmanInstance(const WbemObject& object, const std::string& resourceUri);

// xs:dateTime (offset or Z, 0 to 6 fraction digits) -> "yyyymmddHHMMSS.mmmmmm+UUU";
// xs:duration -> "ddddddddHHMMSS.mmmmmm:000"; empty for text that is neither.
std::string DmtfFromXsDateTime(std::string_view text);
std::string DmtfFromXsDuration(std::string_view text);
// The reverse, for Put; empty for text that is no DMTF datetime or interval.
std::string XsFromDmtf(std::string_view dmtf, bool& isInterval);

}  // namespace veskin
