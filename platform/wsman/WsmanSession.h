#pragma once
// One connection to a computer's WMI over WS-Management: the transport, the namespace,
// the class schemas fetched so far, and the store where Put_ and Delete_ of the
// objects it delivered go. Requests go one at a time.
#include <map>
#include <memory>
#include <mutex>

#include "platform/WbemObject.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanTransport.h"
#include "rtl/TextFold.h"

namespace veskin {

class WsmanSession : public WsmanSchemaSource,
                     public WbemObjectStore,
                     public std::enable_shared_from_this<WsmanSession> {
public:
    WsmanSession(std::unique_ptr<WsmanTransport> transport, WideString nameSpace, WsmanTimeouts timeouts);

    const WideString& NameSpace() const { return FNameSpace; }
    // The computer name object paths show (the host as typed, upper case).
    const std::string& ServerName() const { return FServer; }
    const std::string& Url() const { return FUrl; }
    int OperationTimeoutMs() const { return FTimeouts.RequestMs; }

    // Posts one envelope; a SOAP fault in the answer becomes its code (the server's
    // text recorded as the error detail). S_OK leaves the answer's body in body, whose
    // buffer is reused for it.
    HRESULT Exchange(const std::string& envelope, std::string& body);

    // The class's schema from the server, fetched once per class; null when the
    // server gives none (older servers) or knows no such class.
    WbemClassPtr ClassSchema(const std::string& className) override;
    // True once a schema request was refused: values then arrive as text.
    bool SchemaMissing() const;

    // Decoding context for a result of className (fragment rows hold selected).
    WsmanDecodeContext DecodeContext(const std::string& fragmentClass = {},
                                     const std::vector<WideString>& selected = {});
    // Sets where a delivered object comes from and where its writes go.
    void Locate(WbemObject& object);

    // WS-Transfer Put and Delete of an object this session delivered.
    HRESULT PutObject(const WbemObject& object) override;
    HRESULT DeleteObject(const WbemObject& object) override;

    // The resource URI of a class of this namespace.
    std::string ResourceUri(const std::string& className) const;
    // The selectors of an object's keys (none for a singleton).
    static std::vector<WsmanSelector> KeySelectors(const WbemObject& object);

private:
    std::unique_ptr<WsmanTransport> FTransport;
    WideString FNameSpace;
    WsmanTimeouts FTimeouts;
    std::string FServer;
    std::string FUrl;
    std::mutex FLock;                                        // one request at a time; guards the schema cache too
    std::map<std::string, WbemClassPtr, TextLess> FSchemas;  // by class name, any case
    bool FSchemaMissing = false;
};
using WsmanSessionPtr = std::shared_ptr<WsmanSession>;

}  // namespace veskin
