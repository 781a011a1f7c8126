// libFuzzer target for the WS-Management answer decoder: any bytes as an enumeration
// page (with schemas, without, and as XmlFragment rows), a Get answer, a CIM-XML class
// and a fault must decode or fail with a result code, never crash, throw or hang. A
// class the input itself describes serves as the schema of every class it names, and
// every decoded object is encoded for Put and decoded again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanDecoder.h"

using namespace veskin;

namespace {

// A class of every CIM type, scalar and array, for any class name asked for.
WbemClassPtr EveryType() {
    static const WbemClassPtr cls = [] {
        const std::int32_t types[] = {wbemCimtypeSint8, wbemCimtypeUint8, wbemCimtypeSint16,
                                      wbemCimtypeUint16, wbemCimtypeSint32, wbemCimtypeUint32,
                                      wbemCimtypeSint64, wbemCimtypeUint64, wbemCimtypeReal32,
                                      wbemCimtypeReal64, wbemCimtypeBoolean, wbemCimtypeString,
                                      wbemCimtypeDatetime, wbemCimtypeReference, wbemCimtypeChar16,
                                      wbemCimtypeObject};
        std::vector<WbemPropertyDef> defs;
        int n = 0;
        for (std::int32_t t : types) {
            std::vector<WbemQualifierDef> key;
            if (n == 0) key.push_back(KeyQualifier());
            defs.push_back(PropertyDef(W(("p" + std::to_string(n)).c_str()), t, false, key));
            defs.push_back(PropertyDef(W(("p" + std::to_string(n + 1)).c_str()), t, true));
            n += 2;
        }
        return WbemClass::Make(u"Fuzz", std::move(defs));
    }();
    return cls;
}

class Schemas : public WsmanSchemaSource {
public:
    WbemClassPtr Own;
    WbemClassPtr ClassSchema(const std::string& className) override {
        if (className.size() % 3 == 0) return nullptr;
        return Own ? Own : EveryType();
    }
};

void Check(HRESULT hr) {
    if (hr != S_OK && hr >= 0) std::abort();
}

void RoundTrip(const WbemObjectPtr& object, const WsmanDecodeContext& context) {
    if (!object) return;
    const std::string envelope = "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>" +
                                 EncodeWsmanInstance(*object, "http://fuzz/wmi/root/cimv2/Fuzz") +
                                 "</s:Body></s:Envelope>";
    WbemObjectPtr again;
    if (DecodeGetResponse(envelope, context, again) != S_OK) std::abort();  // our own XML must parse
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    Schemas schemas;
    Check(DecodeClassSchema(body, schemas.Own));

    WsmanDecodeContext context;
    context.Server = "fuzz";
    context.NameSpace = u"root\\cimv2";
    context.Schemas = &schemas;
    context.FragmentClassName = "Fuzz";
    if (size % 2) context.FragmentClass = EveryType();

    WsmanPage page;
    Check(DecodeEnumerationResponse(body, context, page));
    for (const auto& object : page.Objects) RoundTrip(object, context);
    context.Schemas = nullptr;
    Check(DecodeEnumerationResponse(body, context, page));

    WbemObjectPtr object;
    Check(DecodeGetResponse(body, context, object));
    RoundTrip(object, context);

    HRESULT code = S_OK;
    std::string message;
    if (DecodeWsmanFault(body, code, message) && code >= 0) std::abort();
    WsmanIdentity identity;
    Check(DecodeIdentifyResponse(body, identity));
    return 0;
}
