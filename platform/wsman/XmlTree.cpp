#include "platform/wsman/XmlTree.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/wsman/WsmanNames.h"

namespace veskin {

const XmlNode* XmlNode::Child(std::string_view ns, std::string_view name) const {
    for (const XmlNode* c = FirstChild; c; c = c->Next)
        if (c->Name == name && c->Ns == ns) return c;
    return nullptr;
}

const XmlNode* XmlNode::ChildNamed(std::string_view name) const {
    for (const XmlNode* c = FirstChild; c; c = c->Next)
        if (c->Name == name) return c;
    return nullptr;
}

const XmlNode* XmlNode::FindNamed(std::string_view name) const {
    for (const XmlNode* c = FirstChild; c; c = c->Next) {
        if (c->Name == name) return c;
        if (const XmlNode* found = c->FindNamed(name)) return found;
    }
    return nullptr;
}

const std::string_view* XmlNode::Attr(std::string_view ns, std::string_view name) const {
    for (std::uint32_t i = 0; i < AttrCount; ++i)
        if (Attrs[i].Name == name && Attrs[i].Ns == ns) return &Attrs[i].Value;
    return nullptr;
}

bool XmlNode::IsNil() const {
    const std::string_view* nil = Attr(wsns::Xsi, "nil");
    return nil && (*nil == "true" || *nil == "1");
}

struct XmlTree::Builder {
    XmlTree& Tree;
    xmlParserCtxtPtr Parser = nullptr;
    struct Open {
        XmlNode* Node;
        XmlNode* LastChild;
    };
    std::vector<Open> Stack;
    // libxml2 keeps every name and namespace URI once in its dictionary, so one pointer
    // stands for one name for the whole parse: each is copied into the arena once.
    std::unordered_map<const xmlChar*, std::string_view> Names;
    // A text that arrives in several pieces (a few hundred bytes each, and around
    // references) gathers here and reaches its element once, so that a long text is
    // copied in linear time.
    std::string Pending;
    XmlNode* PendingNode = nullptr;
    bool Refused = false;

    void FlushText() {
        if (PendingNode == nullptr) return;
        PendingNode->Text = Tree.Copy(Pending.data(), Pending.size());
        PendingNode = nullptr;
        Pending.clear();
    }

    std::string_view Name(const xmlChar* name) {
        if (name == nullptr) return {};
        auto [it, added] = Names.try_emplace(name);
        if (added) {
            const char* text = reinterpret_cast<const char*>(name);
            it->second = Tree.Copy(text, std::strlen(text));
        }
        return it->second;
    }

    void Stop(std::string why) {
        if (!Refused) Tree.FError = std::move(why);
        Refused = true;
        xmlStopParser(Parser);
    }

    static void OnStart(void* data, const xmlChar* localName, const xmlChar*, const xmlChar* uri, int, const xmlChar**,
                        int attributeCount, int, const xmlChar** attributes) {
        auto* b = static_cast<Builder*>(data);
        if (b->Refused) return;
        b->FlushText();
        if (b->Stack.size() >= static_cast<std::size_t>(MaxDepth)) {
            b->Stop("elements nested too deeply");
            return;
        }
        auto* node = new (b->Tree.Allocate(sizeof(XmlNode), alignof(XmlNode))) XmlNode();
        node->Ns = b->Name(uri);
        node->Name = b->Name(localName);
        const auto count = static_cast<std::uint32_t>(attributeCount);
        if (count) {
            auto* attrs = reinterpret_cast<XmlAttr*>(b->Tree.Allocate(sizeof(XmlAttr) * count, alignof(XmlAttr)));
            // Five pointers per attribute: local name, prefix, URI, value start and end.
            for (std::uint32_t i = 0; i < count; ++i) {
                const xmlChar* const* a = attributes + 5 * i;
                new (&attrs[i]) XmlAttr();
                attrs[i].Ns = b->Name(a[2]);
                attrs[i].Name = b->Name(a[0]);
                attrs[i].Value = b->Tree.Copy(reinterpret_cast<const char*>(a[3]), static_cast<std::size_t>(a[4] - a[3]));
            }
            node->Attrs = attrs;
            node->AttrCount = count;
        }
        if (b->Stack.empty()) {
            b->Tree.FRoot = node;
        } else {
            Open& parent = b->Stack.back();
            if (parent.LastChild)
                parent.LastChild->Next = node;
            else
                parent.Node->FirstChild = node;
            parent.LastChild = node;
        }
        b->Stack.push_back({node, nullptr});
    }

    static void OnEnd(void* data, const xmlChar*, const xmlChar*, const xmlChar*) {
        auto* b = static_cast<Builder*>(data);
        b->FlushText();
        if (!b->Stack.empty()) b->Stack.pop_back();
    }

    static void OnText(void* data, const xmlChar* text, int len) {
        auto* b = static_cast<Builder*>(data);
        if (b->Stack.empty() || len <= 0) return;
        XmlNode* node = b->Stack.back().Node;
        const char* chars = reinterpret_cast<const char*>(text);
        const auto size = static_cast<std::size_t>(len);
        if (b->PendingNode == node) {
            b->Pending.append(chars, size);
        } else if (node->Text.empty()) {
            node->Text = b->Tree.Copy(chars, size);  // the usual case: text in one piece
        } else {
            // A further piece (after a reference, a CDATA section, a child element or a
            // few hundred bytes): the text gathers in Pending until the element ends.
            b->FlushText();
            b->Pending.assign(node->Text);
            b->Pending.append(chars, size);
            b->PendingNode = node;
        }
    }

    static void OnDoctype(void* data, const xmlChar*, const xmlChar*, const xmlChar*) {
        static_cast<Builder*>(data)->Stop("a DOCTYPE is not accepted");
    }

    static void OnEntity(void* data, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
        static_cast<Builder*>(data)->Stop("entity declarations are not accepted");
    }

    // Errors, namespace errors included, end the parse; warnings do not.
    static void OnError(void* data, xmlError* error) {
        auto* b = static_cast<Builder*>(data);
        if (error == nullptr || error->level < XML_ERR_ERROR || b->Refused) return;
        std::string text = error->message != nullptr ? error->message : "malformed XML";
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        b->Stop(text + " at line " + std::to_string(error->line));
    }
};

XmlTree::XmlTree() = default;
XmlTree::~XmlTree() = default;

char* XmlTree::AllocateChunk(std::size_t size, std::size_t align) {
    // The next kept chunk when it is large enough (a tree parsing page after page keeps
    // its arena instead of giving it back to the system and faulting it in again), else
    // a new one in its place.
    constexpr std::size_t ChunkSize = 64 * 1024;
    const std::size_t bytes = std::max(ChunkSize, size + align);
    if (FChunkInUse < FChunks.size() && FChunks[FChunkInUse].Size < bytes)
        FChunks.erase(FChunks.begin() + static_cast<std::ptrdiff_t>(FChunkInUse));
    if (FChunkInUse == FChunks.size())
        FChunks.push_back({std::unique_ptr<char[]>(new char[bytes]), bytes});
    Chunk& chunk = FChunks[FChunkInUse++];
    FFree = chunk.Data.get();
    FLeft = chunk.Size;
    return Allocate(size, align);
}

void XmlTree::Rewind() {
    FChunkInUse = 0;
    FFree = nullptr;
    FLeft = 0;
}

std::string_view XmlTree::Copy(const char* text, std::size_t size) {
    if (size == 0) return {};
    char* p = Allocate(size, 1);
    std::memcpy(p, text, size);
    return std::string_view(p, size);
}

bool XmlTree::Parse(std::string_view document) {
    FRoot = nullptr;
    FError.clear();
    Rewind();
    static const bool initialised = (xmlInitParser(), true);
    (void)initialised;
    xmlSAXHandler handler{};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = &Builder::OnStart;
    handler.endElementNs = &Builder::OnEnd;
    handler.characters = &Builder::OnText;
    handler.cdataBlock = &Builder::OnText;
    handler.internalSubset = &Builder::OnDoctype;
    handler.entityDecl = &Builder::OnEntity;
    handler.serror = &Builder::OnError;
    if (document.empty()) {
        FError = "no element";
        return false;
    }
    if (document.size() > static_cast<std::size_t>(INT_MAX)) {  // the parser takes an int length
        FError = "the document is too large";
        return false;
    }
    Builder builder{*this, nullptr, {}, {}, {}, nullptr, false};
    builder.Stack.reserve(32);
    builder.Parser = xmlCreateMemoryParserCtxt(document.data(), static_cast<int>(document.size()));
    if (!builder.Parser) {
        FError = "out of memory";
        return false;
    }
    xmlSAXHandlerPtr own = builder.Parser->sax;
    builder.Parser->sax = &handler;
    builder.Parser->userData = &builder;
    // Predefined and character references are replaced in attribute values too; no other
    // entity can exist, since a DOCTYPE ends the parse. Nothing is ever fetched, and no
    // size limit of the library's own applies (answers are bounded by the transport).
    xmlCtxtUseOptions(builder.Parser, XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_HUGE);
    const int status = xmlParseDocument(builder.Parser);
    if (status != 0 && !builder.Refused) {
        FError = "malformed XML";
        builder.Refused = true;
    }
    builder.Parser->sax = own;
    xmlFreeParserCtxt(builder.Parser);
    bool ok = !builder.Refused;
    if (ok && !FRoot) {
        FError = "no element";
        ok = false;
    }
    if (!ok) FRoot = nullptr;
    return ok;
}

}  // namespace veskin
