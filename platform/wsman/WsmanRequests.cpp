#include "platform/wsman/WsmanRequests.h"

#include <cstdint>
#include <cstdio>
#include <random>

#include "platform/wsman/WsmanNames.h"
#include "platform/wsman/WsmanText.h"

namespace veskin {

namespace {

// "uuid:" and a random (version 4) UUID.
std::string NewMessageId() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    const std::uint64_t hi = (random() & ~0xF000ull) | 0x4000ull;        // version 4
    const std::uint64_t lo = (random() & ~(3ull << 62)) | (2ull << 62);  // RFC 4122 variant
    char buf[48];
    std::snprintf(buf, sizeof buf, "uuid:%08x-%04x-%04x-%04x-%012llx",
                  static_cast<unsigned>(hi >> 32), static_cast<unsigned>(hi >> 16 & 0xFFFF),
                  static_cast<unsigned>(hi & 0xFFFF), static_cast<unsigned>(lo >> 48),
                  static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFull));
    return buf;
}

std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendXmlEscaped(out, text);
    return out;
}

// "PT60.000S" for 60000 ms.
std::string Duration(int timeoutMs) {
    if (timeoutMs < 0) timeoutMs = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "PT%d.%03dS", timeoutMs / 1000, timeoutMs % 1000);
    return buf;
}

struct Option {
    const char* Name;
    const char* Value;
};

std::string Envelope(const std::string& to, const std::string& resourceUri,
                     std::string_view action, int timeoutMs,
                     const std::vector<WsmanSelector>& selectors,
                     const std::vector<Option>& options, const std::string& body) {
    std::string e;
    e.reserve(1400 + body.size());
    e += "<s:Envelope xmlns:s=\"";
    e += wsns::Soap;
    e += "\" xmlns:a=\"";
    e += wsns::Addressing;
    e += "\" xmlns:n=\"";
    e += wsns::Enumeration;
    e += "\" xmlns:w=\"";
    e += wsns::Wsman;
    e += "\" xmlns:p=\"";
    e += wsns::MsWsman;
    e += "\"><s:Header><a:To>" + Escaped(to) + "</a:To>";
    e += "<w:ResourceURI s:mustUnderstand=\"true\">" + Escaped(resourceUri) + "</w:ResourceURI>";
    e += "<a:ReplyTo><a:Address s:mustUnderstand=\"true\">";
    e += wsns::Anonymous;
    e += "</a:Address></a:ReplyTo><a:Action s:mustUnderstand=\"true\">";
    e += action;
    e += "</a:Action><w:MaxEnvelopeSize s:mustUnderstand=\"true\">" +
         std::to_string(WsmanMaxEnvelopeSize) + "</w:MaxEnvelopeSize>";
    e += "<a:MessageID>" + NewMessageId() + "</a:MessageID>";
    e += "<w:Locale xml:lang=\"en-US\" s:mustUnderstand=\"false\"/>";
    e += "<p:DataLocale xml:lang=\"en-US\" s:mustUnderstand=\"false\"/>";
    e += "<w:OperationTimeout>" + Duration(timeoutMs) + "</w:OperationTimeout>";
    if (!selectors.empty()) {
        e += "<w:SelectorSet>";
        for (const auto& s : selectors)
            e += "<w:Selector Name=\"" + Escaped(s.Name) + "\">" + Escaped(s.Value) + "</w:Selector>";
        e += "</w:SelectorSet>";
    }
    if (!options.empty()) {
        e += "<w:OptionSet>";
        for (const auto& o : options)
            e += std::string("<w:Option Name=\"") + o.Name + "\">" + o.Value + "</w:Option>";
        e += "</w:OptionSet>";
    }
    e += "</s:Header>";
    e += body.empty() ? "<s:Body/>" : "<s:Body>" + body + "</s:Body>";
    e += "</s:Envelope>";
    return e;
}

}  // namespace

std::string CimNamespaceText(const WideString& nameSpace) {
    std::string ns = WideToAnsi(nameSpace);
    for (auto& c : ns)
        if (c == '\\') c = '/';
    return ns;
}

std::string WmiResourceUri(const WideString& nameSpace, const std::string& className) {
    return std::string(wsns::WmiResourcePrefix) + CimNamespaceText(nameSpace) + '/' + className;
}

std::string WsmanEnumerateRequest(const std::string& to, const std::string& resourceUri,
                                  const std::string& wql, int timeoutMs) {
    const std::string body =
        "<n:Enumerate><w:OptimizeEnumeration/><w:MaxElements>" + std::to_string(WsmanMaxElements) +
        "</w:MaxElements><w:EnumerationMode>EnumerateObjectAndEPR</w:EnumerationMode>"
        "<w:Filter Dialect=\"" +
        std::string(wsns::WqlDialect) + "\">" + Escaped(wql) +
        "</w:Filter></n:Enumerate>";
    return Envelope(to, resourceUri, wsns::ActionEnumerate, timeoutMs, {}, {}, body);
}

std::string WsmanPullRequest(const std::string& to, const std::string& resourceUri,
                             const std::string& context, int timeoutMs) {
    const std::string body = "<n:Pull><n:EnumerationContext>" + Escaped(context) +
                             "</n:EnumerationContext><n:MaxElements>" +
                             std::to_string(WsmanMaxElements) + "</n:MaxElements></n:Pull>";
    return Envelope(to, resourceUri, wsns::ActionPull, timeoutMs, {}, {}, body);
}

std::string WsmanReleaseRequest(const std::string& to, const std::string& resourceUri,
                                const std::string& context, int timeoutMs) {
    const std::string body = "<n:Release><n:EnumerationContext>" + Escaped(context) +
                             "</n:EnumerationContext></n:Release>";
    return Envelope(to, resourceUri, wsns::ActionRelease, timeoutMs, {}, {}, body);
}

std::string WsmanGetRequest(const std::string& to, const std::string& resourceUri,
                            const std::vector<WsmanSelector>& selectors, int timeoutMs) {
    return Envelope(to, resourceUri, wsns::ActionGet, timeoutMs, selectors, {}, {});
}

std::string WsmanPutRequest(const std::string& to, const std::string& resourceUri,
                            const std::vector<WsmanSelector>& selectors,
                            const std::string& instanceXml, int timeoutMs) {
    return Envelope(to, resourceUri, wsns::ActionPut, timeoutMs, selectors, {}, instanceXml);
}

std::string WsmanDeleteRequest(const std::string& to, const std::string& resourceUri,
                               const std::vector<WsmanSelector>& selectors, int timeoutMs) {
    return Envelope(to, resourceUri, wsns::ActionDelete, timeoutMs, selectors, {}, {});
}

std::string WsmanClassSchemaRequest(const std::string& to, const std::string& cimNamespace,
                                    const std::string& className, int timeoutMs) {
    return Envelope(to, std::string(wsns::CimSchemaUri), wsns::ActionGet, timeoutMs,
                    {{"__cimnamespace", cimNamespace}, {"ClassName", className}},
                    {{"IncludeInheritedElements", "true"}, {"IncludeQualifiers", "true"}}, {});
}

std::string WsmanIdentifyRequest() {
    return "<s:Envelope xmlns:s=\"" + std::string(wsns::Soap) + "\" xmlns:wsmid=\"" +
           std::string(wsns::Identity) +
           "\"><s:Header/><s:Body><wsmid:Identify/></s:Body></s:Envelope>";
}

}  // namespace veskin
