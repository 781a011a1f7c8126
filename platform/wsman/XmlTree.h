#pragma once
// A light, read-only element tree of one XML document, parsed with libxml2 in namespace
// mode: every name carries its namespace URI. Names, attribute values and text are views
// into an arena the tree owns, so a node costs no allocation of its own; a tree that
// parses one document after another reuses its arena. Documents with a DOCTYPE are
// refused, so no entity beyond the predefined ones can exist.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace veskin {

struct XmlAttr {
    std::string_view Ns;  // empty for an unqualified attribute
    std::string_view Name;
    std::string_view Value;
};

struct XmlNode {
    std::string_view Ns;    // namespace URI, empty when the element has none
    std::string_view Name;  // local name
    std::string_view Text;  // the element's own character data, concatenated
    const XmlAttr* Attrs = nullptr;
    std::uint32_t AttrCount = 0;
    const XmlNode* FirstChild = nullptr;
    const XmlNode* Next = nullptr;  // the next sibling

    bool Is(std::string_view ns, std::string_view name) const { return Name == name && Ns == ns; }
    // The first child element with that namespace and local name, or null.
    const XmlNode* Child(std::string_view ns, std::string_view name) const;
    // The first child element with that local name in any namespace, or null.
    const XmlNode* ChildNamed(std::string_view name) const;
    // The first element of that local name at any depth below this one, or null.
    const XmlNode* FindNamed(std::string_view name) const;
    // The value of an attribute, or null when absent.
    const std::string_view* Attr(std::string_view ns, std::string_view name) const;
    // True for xsi:nil="true" (or "1").
    bool IsNil() const;
};

class XmlTree {
public:
    XmlTree();
    ~XmlTree();
    XmlTree(const XmlTree&) = delete;
    XmlTree& operator=(const XmlTree&) = delete;

    // Parses a whole document, replacing the one parsed before (whose nodes and views
    // end here); false with Error() set on malformed XML, a DOCTYPE or nesting deeper
    // than MaxDepth.
    bool Parse(std::string_view document);
    const XmlNode* Root() const { return FRoot; }
    const std::string& Error() const { return FError; }

    static constexpr int MaxDepth = 200;

private:
    struct Builder;
    char* Allocate(std::size_t size, std::size_t align) {
        const std::size_t pad = (align - reinterpret_cast<std::uintptr_t>(FFree) % align) % align;
        if (FLeft < size + pad) return AllocateChunk(size, align);
        char* p = FFree + pad;
        FFree = p + size;
        FLeft -= size + pad;
        return p;
    }
    char* AllocateChunk(std::size_t size, std::size_t align);
    std::string_view Copy(const char* text, std::size_t size);
    void Rewind();

    struct Chunk {
        std::unique_ptr<char[]> Data;
        std::size_t Size;
    };
    std::vector<Chunk> FChunks;
    std::size_t FChunkInUse = 0;  // FChunks[FChunkInUse - 1] is the one being filled
    char* FFree = nullptr;
    std::size_t FLeft = 0;
    const XmlNode* FRoot = nullptr;
    std::string FError;
};

}  // namespace veskin
