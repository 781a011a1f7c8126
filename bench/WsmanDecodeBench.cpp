// Decoding a Pull page of 500 instances of 40 properties (text, integers, 64-bit
// numbers, booleans, datetimes, an array): the whole page, and its XML parse alone.
// The per_object counter is the time per instance; libxml2 alone with empty handlers
// is the floor any tree over it has.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <string>

#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/XmlTree.h"

namespace veskin::bench {
namespace {

constexpr int Objects = 500;
constexpr int Properties = 40;
const char* const Uri = "http://schemas.microsoft.com/wbem/wsman/1/wmi/root/cimv2/Bench_Process";

std::int32_t TypeOf(int i) {
    static const std::int32_t types[] = {wbemCimtypeString, wbemCimtypeUint32, wbemCimtypeString,
                                         wbemCimtypeUint64, wbemCimtypeBoolean, wbemCimtypeDatetime,
                                         wbemCimtypeString, wbemCimtypeSint32};
    return types[i % 8];
}

std::string Name(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "Prop%02d", i);
    return buf;
}

WbemClassPtr BenchClass() {
    std::vector<WbemPropertyDef> defs;
    for (int i = 0; i < Properties; ++i)
        defs.push_back(PropertyDef(AnsiToWide(Name(i)), TypeOf(i), i == 39,
                                   i == 0 ? std::vector<WbemQualifierDef>{KeyQualifier()}
                                          : std::vector<WbemQualifierDef>{}));
    return WbemClass::Make(u"Bench_Process", std::move(defs));
}

std::string Page() {
    std::string page =
        "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
        "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
        "xmlns:n=\"http://schemas.xmlsoap.org/ws/2004/09/enumeration\" "
        "xmlns:w=\"http://schemas.dmtf.org/wbem/wsman/1/wsman.xsd\"><s:Header/><s:Body><n:PullResponse>"
        "<n:EnumerationContext>uuid:0000</n:EnumerationContext><n:Items>";
    for (int o = 0; o < Objects; ++o) {
        page += "<w:Item><p:Bench_Process xmlns:p=\"" + std::string(Uri) +
                "\" xmlns:cim=\"http://schemas.dmtf.org/wbem/wscim/1/common\" "
                "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:type=\"p:Bench_Process_Type\">";
        for (int i = 0; i < Properties; ++i) {
            const std::string tag = "p:" + Name(i);
            std::string value;
            switch (TypeOf(i)) {
                case wbemCimtypeUint32: value = std::to_string(o * 7 + i); break;
                case wbemCimtypeSint32: value = std::to_string(-o); break;
                case wbemCimtypeUint64: value = std::to_string(123456789012ull + o); break;
                case wbemCimtypeBoolean: value = o % 2 ? "true" : "false"; break;
                case wbemCimtypeDatetime:
                    value = "<cim:Datetime>2019-03-07T18:49:07.484411-05:00</cim:Datetime>";
                    break;
                default: value = "C:\\Windows\\System32\\svchost.exe -k " + std::to_string(o); break;
            }
            const int repeat = i == 39 ? 3 : 1;
            for (int r = 0; r < repeat; ++r) page += '<' + tag + '>' + value + "</" + tag + '>';
        }
        page +=
            "</p:Bench_Process><a:EndpointReference><a:Address>http://server1:5985/wsman</a:Address>"
            "<a:ReferenceParameters><w:ResourceURI>" +
            std::string(Uri) +
            "</w:ResourceURI><w:SelectorSet><w:Selector Name=\"Prop00\">" + std::to_string(o) +
            "</w:Selector><w:Selector Name=\"__cimnamespace\">root/cimv2</w:Selector>"
            "</w:SelectorSet></a:ReferenceParameters></a:EndpointReference></w:Item>";
    }
    page += "</n:Items></n:PullResponse></s:Body></s:Envelope>";
    return page;
}

class OneClass : public WsmanSchemaSource {
public:
    WbemClassPtr Class = BenchClass();
    WbemClassPtr ClassSchema(const std::string&) override { return Class; }
};

void PerObject(benchmark::State& state) {
    state.counters["per_object"] = benchmark::Counter(
        Objects, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DecodePage(benchmark::State& state) {
    const std::string page = Page();
    OneClass schemas;
    WsmanDecodeContext context;
    context.Server = "SERVER1";
    context.NameSpace = u"root\\cimv2";
    context.Schemas = &schemas;
    for (auto _ : state) {
        WsmanPage decoded;
        if (DecodeEnumerationResponse(page, context, decoded) != S_OK || decoded.Objects.size() != Objects)
            state.SkipWithError("page not decoded");
        benchmark::DoNotOptimize(decoded);
    }
    PerObject(state);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}
BENCHMARK(BM_DecodePage)->Unit(benchmark::kMillisecond);

void BM_ParsePageOnly(benchmark::State& state) {
    const std::string page = Page();
    for (auto _ : state) {
        XmlTree tree;
        if (!tree.Parse(page)) state.SkipWithError("page not parsed");
        benchmark::DoNotOptimize(tree.Root());
    }
    PerObject(state);
}
BENCHMARK(BM_ParsePageOnly)->Unit(benchmark::kMillisecond);

void BM_ParserAlone(benchmark::State& state) {
    const std::string page = Page();
    xmlSAXHandler handler{};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = [](void*, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
                                const xmlChar**) {};
    handler.endElementNs = [](void*, const xmlChar*, const xmlChar*, const xmlChar*) {};
    handler.characters = [](void*, const xmlChar*, int) {};
    for (auto _ : state) {
        xmlParserCtxtPtr parser = xmlCreateMemoryParserCtxt(page.data(), static_cast<int>(page.size()));
        xmlSAXHandlerPtr own = parser->sax;
        parser->sax = &handler;
        xmlCtxtUseOptions(parser, XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_HUGE);
        if (xmlParseDocument(parser) != 0) state.SkipWithError("page not parsed");
        parser->sax = own;
        xmlFreeParserCtxt(parser);
    }
    PerObject(state);
}
BENCHMARK(BM_ParserAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veskin::bench

BENCHMARK_MAIN();
