#pragma once
// Turns instance elements and XmlFragment rows of one answer into objects of the
// in-memory model. One decoder serves one page: it asks the schema source once per
// class and keeps, per class, the table that maps element names to property indexes.
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PackedValues.h"
#include "platform/WbemObject.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanReference.h"
#include "platform/wsman/XmlTree.h"

namespace veskin {

class WsmanInstanceDecoder {
public:
    explicit WsmanInstanceDecoder(const WsmanDecodeContext& context);
    ~WsmanInstanceDecoder();

    // An instance element; epr is the item's endpoint reference (null when none).
    WbemObjectPtr DecodeInstance(const XmlNode& element, const WsmanEpr* epr);
    // A w:XmlFragment row of a query with a select list.
    WbemObjectPtr DecodeFragment(const XmlNode& fragment, const WsmanEpr* epr);

private:
    struct Typed;
    struct Untyped;

    Typed* TypedFor(std::string_view className);
    WbemObjectPtr DecodeTyped(const XmlNode& element, const Typed& typed, int depth);
    WbemObjectPtr DecodeUntyped(const XmlNode& element, std::string_view className,
                                const WsmanEpr* epr, int depth);
    WbemObjectPtr DecodeEmbedded(const XmlNode& element, int depth);
    Variant Scalar(std::int32_t cimType, const XmlNode& node, int depth);
    // Stores a scalar property's value; text stays UTF-8 until read.
    void Pack(PackedValues::Builder& values, std::size_t index, std::int32_t cimType, const XmlNode& node,
              int depth);
    Variant UntypedValue(const XmlNode& node, bool& isObject, int depth);
    void Place(WbemObject& object) const;

    const WsmanDecodeContext& FContext;
    WideString FServer;
    std::vector<std::unique_ptr<Typed>> FTyped;
    std::unique_ptr<Typed> FFragment;
    std::vector<std::unique_ptr<Untyped>> FUntyped;
    std::deque<PackedValues::Builder> FBuilders;  // one per nesting depth, reused
    std::string FScratch;                         // a converted datetime
};

}  // namespace veskin
