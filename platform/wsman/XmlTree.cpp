#include "platform/wsman/XmlTree.h"

#include <expat.h>

#include <algorithm>
#include <cstring>

#include "platform/wsman/WsmanNames.h"

namespace veskin {

namespace {

// Separates the namespace URI from the local name in expat's names; URIs hold no space.
constexpr char NsSeparator = ' ';

}  // namespace

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
    XML_Parser Parser;
    struct Open {
        XmlNode* Node;
        XmlNode* LastChild;
    };
    std::vector<Open> Stack;
    std::vector<std::string_view> Namespaces;  // interned URIs
    bool Refused = false;

    std::string_view Namespace(const char* uri, std::size_t size) {
        std::string_view wanted(uri, size);
        for (auto it = Namespaces.rbegin(); it != Namespaces.rend(); ++it)
            if (*it == wanted) return *it;
        Namespaces.push_back(Tree.Copy(uri, size));
        return Namespaces.back();
    }

    // Splits "uri local" into an interned URI and a copied local name.
    void SplitName(const char* name, std::string_view& ns, std::string_view& local) {
        const char* sep = std::strchr(name, NsSeparator);
        if (!sep) {
            ns = {};
            local = Tree.Copy(name, std::strlen(name));
            return;
        }
        ns = Namespace(name, static_cast<std::size_t>(sep - name));
        local = Tree.Copy(sep + 1, std::strlen(sep + 1));
    }

    void Stop(const char* why) {
        if (!Refused) Tree.FError = why;
        Refused = true;
        XML_StopParser(Parser, XML_FALSE);
    }

    static void OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
        auto* b = static_cast<Builder*>(data);
        if (b->Stack.size() >= static_cast<std::size_t>(MaxDepth)) {
            b->Stop("elements nested too deeply");
            return;
        }
        auto* node = new (b->Tree.Allocate(sizeof(XmlNode), alignof(XmlNode))) XmlNode();
        b->SplitName(name, node->Ns, node->Name);
        std::uint32_t count = 0;
        while (atts[2 * count]) ++count;
        if (count) {
            auto* attrs = reinterpret_cast<XmlAttr*>(
                b->Tree.Allocate(sizeof(XmlAttr) * count, alignof(XmlAttr)));
            for (std::uint32_t i = 0; i < count; ++i) {
                new (&attrs[i]) XmlAttr();
                b->SplitName(atts[2 * i], attrs[i].Ns, attrs[i].Name);
                attrs[i].Value = b->Tree.Copy(atts[2 * i + 1], std::strlen(atts[2 * i + 1]));
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

    static void OnEnd(void* data, const XML_Char*) {
        auto* b = static_cast<Builder*>(data);
        if (!b->Stack.empty()) b->Stack.pop_back();
    }

    static void OnText(void* data, const XML_Char* text, int len) {
        auto* b = static_cast<Builder*>(data);
        if (b->Stack.empty() || len <= 0) return;
        XmlNode* node = b->Stack.back().Node;
        const auto size = static_cast<std::size_t>(len);
        if (node->Text.empty()) {
            node->Text = b->Tree.Copy(text, size);
            return;
        }
        // Expat hands text over in pieces (at line ends and references): join them.
        char* joined = b->Tree.Allocate(node->Text.size() + size, 1);
        std::memcpy(joined, node->Text.data(), node->Text.size());
        std::memcpy(joined + node->Text.size(), text, size);
        node->Text = std::string_view(joined, node->Text.size() + size);
    }

    static void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        static_cast<Builder*>(data)->Stop("a DOCTYPE is not accepted");
    }

    static void OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                         const XML_Char*, const XML_Char*, const XML_Char*) {
        static_cast<Builder*>(data)->Stop("entity declarations are not accepted");
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
    XML_Parser parser = XML_ParserCreateNS("UTF-8", NsSeparator);
    if (!parser) {
        FError = "out of memory";
        return false;
    }
    Builder builder{*this, parser, {}, {}, false};
    builder.Stack.reserve(32);
    XML_SetUserData(parser, &builder);
    XML_SetElementHandler(parser, &Builder::OnStart, &Builder::OnEnd);
    XML_SetCharacterDataHandler(parser, &Builder::OnText);
    XML_SetStartDoctypeDeclHandler(parser, &Builder::OnDoctype);
    XML_SetEntityDeclHandler(parser, &Builder::OnEntity);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    bool ok = true;
    constexpr std::size_t Slice = 1 << 30;  // expat takes an int length
    std::size_t offset = 0;
    do {
        const std::size_t n = std::min(Slice, document.size() - offset);
        const bool last = offset + n == document.size();
        if (XML_Parse(parser, document.data() + offset, static_cast<int>(n), last) ==
            XML_STATUS_ERROR) {
            ok = false;
            break;
        }
        offset += n;
    } while (offset < document.size());
    if (!ok && !builder.Refused) {
        FError = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                 std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    if (ok && !FRoot) {
        FError = "no element";
        ok = false;
    }
    if (!ok) FRoot = nullptr;
    return ok;
}

}  // namespace veskin
