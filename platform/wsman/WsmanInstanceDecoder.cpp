#include "platform/wsman/WsmanInstanceDecoder.h"

#include <charconv>
#include <string>

#include "platform/CimValue.h"
#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanDateTime.h"
#include "platform/wsman/WsmanNames.h"
#include "platform/wsman/WsmanText.h"
#include "rtl/TextFold.h"

namespace veskin {

// A class known from its schema, with its property names in UTF-8 for matching.
struct WsmanInstanceDecoder::Typed {
    std::string Name;
    WbemClassPtr Class;  // null: the server gave no schema for it
    std::vector<std::string> Names;

    // Elements come in the class's own (alphabetical) order, so the property after the
    // last one matched is nearly always the next one.
    int IndexOf(std::string_view name, std::size_t hint) const {
        if (hint < Names.size() && SameText(Names[hint], name)) return static_cast<int>(hint);
        for (std::size_t i = 0; i < Names.size(); ++i)
            if (SameText(Names[i], name)) return static_cast<int>(i);
        return -1;
    }
};

// A class made from the elements of schema-less objects: one per distinct set of names.
struct WsmanInstanceDecoder::Untyped {
    std::string Signature;
    WbemClassPtr Class;
    std::vector<int> IndexOfRun;  // property index of each run of equal elements
};

namespace {

// The elements that follow first with the same name (an array's values).
std::size_t RunLength(const XmlNode* first, const XmlNode*& after) {
    std::size_t n = 1;
    after = first->Next;
    while (after && after->Name == first->Name && after->Ns == first->Ns) {
        ++n;
        after = after->Next;
    }
    return n;
}

bool IsNullArray(const XmlNode& node) {
    if (node.IsNil()) return true;
    for (std::uint32_t i = 0; i < node.AttrCount; ++i)
        if (node.Attrs[i].Name == "IsNullArray" && node.Attrs[i].Value == "true") return true;
    return false;
}

bool IsEprHolder(const XmlNode& node) {
    const XmlNode* c = node.FirstChild;
    return c && c->Ns == wsns::Addressing &&
           (c->Name == "EndpointReference" || c->Name == "Address" || c->Name == "ReferenceParameters");
}

// A datetime property as UTF-8: a cim:Datetime, cim:Interval, cim:Date or cim:Time
// child, or text of its own (DMTF already, or xs:dateTime). Text that is none of these
// is kept. A converted value is held in scratch.
std::string_view DatetimeUtf8(const XmlNode& node, std::string& scratch) {
    scratch.clear();
    std::string_view raw = TrimXml(node.Text);
    if (const XmlNode* c = node.FirstChild) {
        raw = TrimXml(c->Text);
        if (c->Name == "Datetime") scratch = DmtfFromXsDateTime(raw);
        else if (c->Name == "Interval") scratch = DmtfFromXsDuration(raw);
        else if (c->Name == "Date") scratch = DmtfFromXsDate(raw);
        else if (c->Name == "Time") scratch = DmtfFromXsTime(raw);
    } else if (!(raw.size() == 25 && raw[14] == '.')) {
        scratch = DmtfFromXsDateTime(raw);
    }
    return scratch.empty() ? raw : std::string_view(scratch);
}

WideString DatetimeText(const XmlNode& node) {
    std::string scratch;
    return WidenUtf8(DatetimeUtf8(node, scratch));
}

// A 64-bit integer (which travels as text) in canonical decimal, written into buf;
// false when the text is no such number.
bool WholeDigits(std::string_view text, bool isUnsigned, char (&buf)[24], std::string_view& digits) {
    std::to_chars_result r{};
    if (isUnsigned) {
        std::uint64_t u;
        if (!ParseXsUInt64(text, u)) return false;
        r = std::to_chars(buf, buf + sizeof buf, u);
    } else {
        std::int64_t n;
        if (!ParseXsInt64(text, n)) return false;
        r = std::to_chars(buf, buf + sizeof buf, n);
    }
    digits = std::string_view(buf, static_cast<std::size_t>(r.ptr - buf));
    return true;
}

Variant WholeText(std::string_view text, bool isUnsigned) {
    char buf[24];
    std::string_view digits;
    return WholeDigits(text, isUnsigned, buf, digits) ? Variant(WidenUtf8(digits)) : Variant::Null();
}

// Integers take the library's one conversion rule for their CIM type.
Variant Integer(std::int64_t n, std::int32_t cimType) {
    Variant out;
    if (CimCoerce(Variant::FromInt64(n), cimType, false, out) < 0) return Variant::Null();
    return out;
}

}  // namespace

WsmanInstanceDecoder::WsmanInstanceDecoder(const WsmanDecodeContext& context)
    : FContext(context), FServer(WidenUtf8(context.Server)) {}

WsmanInstanceDecoder::~WsmanInstanceDecoder() = default;

void WsmanInstanceDecoder::Place(WbemObject& object) const {
    object.SetLocation(FServer, FContext.NameSpace, nullptr);
}

WsmanInstanceDecoder::Typed* WsmanInstanceDecoder::TypedFor(std::string_view className) {
    for (auto& t : FTyped)
        if (SameText(t->Name, className)) return t.get();
    auto t = std::make_unique<Typed>();
    t->Name = std::string(className);
    if (FContext.Schemas) t->Class = FContext.Schemas->ClassSchema(t->Name);
    if (t->Class)
        for (const auto& p : t->Class->Properties()) t->Names.push_back(WideToAnsi(p.Name));
    FTyped.push_back(std::move(t));
    return FTyped.back().get();
}

WbemObjectPtr WsmanInstanceDecoder::DecodeInstance(const XmlNode& element, const WsmanEpr* epr) {
    Typed* typed = TypedFor(element.Name);
    WbemObjectPtr object = typed->Class ? DecodeTyped(element, *typed, 0)
                                        : DecodeUntyped(element, element.Name, epr, 0);
    Place(*object);
    return object;
}

WbemObjectPtr WsmanInstanceDecoder::DecodeFragment(const XmlNode& fragment, const WsmanEpr* epr) {
    WbemObjectPtr object;
    if (FContext.FragmentClass) {
        if (!FFragment) {
            FFragment = std::make_unique<Typed>();
            FFragment->Name = FContext.FragmentClassName;
            FFragment->Class = FContext.FragmentClass;
            for (const auto& p : FFragment->Class->Properties())
                FFragment->Names.push_back(WideToAnsi(p.Name));
        }
        object = DecodeTyped(fragment, *FFragment, 0);
    } else {
        object = DecodeUntyped(fragment, FContext.FragmentClassName, epr, 0);
    }
    Place(*object);
    return object;
}

WbemObjectPtr WsmanInstanceDecoder::DecodeTyped(const XmlNode& element, const Typed& typed,
                                                int depth) {
    const auto& props = typed.Class->Properties();
    // One builder per depth: an embedded object is decoded while its owner's is open.
    while (FBuilders.size() <= static_cast<std::size_t>(depth)) FBuilders.emplace_back();
    PackedValues::Builder& values = FBuilders[static_cast<std::size_t>(depth)];
    values.Reset(props.size());
    std::size_t hint = 0;
    const XmlNode* after = nullptr;
    for (const XmlNode* c = element.FirstChild; c; c = after) {
        const std::size_t count = RunLength(c, after);
        const int index = typed.IndexOf(c->Name, hint);
        if (index < 0) continue;  // not in the schema: ignored
        hint = static_cast<std::size_t>(index) + 1;
        const auto at = static_cast<std::size_t>(index);
        const WbemPropertyDef& def = props[at];
        if (count == 1 && (def.IsArray ? IsNullArray(*c) : c->IsNil())) continue;
        if (!def.IsArray) {
            Pack(values, at, def.CimType, *c, depth);
            continue;
        }
        std::vector<Variant> elements;
        if (Variant before = values.Get(at); before.IsArray())  // the same array again further on: continue it
            elements = before.ArrayData().Elements;
        elements.reserve(elements.size() + count);
        for (const XmlNode* e = c; e != after; e = e->Next)
            elements.push_back(e->IsNil() ? Variant::Null() : Scalar(def.CimType, *e, depth));
        values.Set(at, Variant::ArrayOf(std::move(elements)));
    }
    return WbemObject::NewPacked(typed.Class, values.Finish());
}

void WsmanInstanceDecoder::Pack(PackedValues::Builder& values, std::size_t index, std::int32_t cimType,
                                const XmlNode& node, int depth) {
    switch (cimType) {
        case wbemCimtypeString: values.SetText(index, node.Text); return;
        case wbemCimtypeDatetime: values.SetText(index, DatetimeUtf8(node, FScratch)); return;
        case wbemCimtypeSint64:
        case wbemCimtypeUint64: {
            char buf[24];
            std::string_view digits;
            if (WholeDigits(node.Text, cimType == wbemCimtypeUint64, buf, digits)) values.SetText(index, digits);
            return;
        }
        default: values.Set(index, Scalar(cimType, node, depth));
    }
}

Variant WsmanInstanceDecoder::Scalar(std::int32_t cimType, const XmlNode& node, int depth) {
    switch (cimType) {
        case wbemCimtypeString: return Variant(WidenUtf8(node.Text));
        case wbemCimtypeDatetime: return Variant(DatetimeText(node));
        case wbemCimtypeReference: {
            WsmanEpr epr;
            if (IsEprHolder(node) && ReadEpr(node, epr)) return Variant(PathFromEpr(epr, FContext));
            return Variant(WidenUtf8(TrimXml(node.Text)));
        }
        case wbemCimtypeSint64: return WholeText(node.Text, false);
        case wbemCimtypeUint64: return WholeText(node.Text, true);
        case wbemCimtypeBoolean: {
            bool b;
            return ParseXsBoolean(node.Text, b) ? Variant::FromBoolean(b) : Variant::Null();
        }
        case wbemCimtypeChar16: {
            WideString w = WidenUtf8(node.Text);
            if (w.size() == 1) return Variant::FromSmallint(static_cast<std::int16_t>(w[0]));
            std::int64_t n;
            return ParseXsInt64(node.Text, n) ? Integer(n, cimType) : Variant::Null();
        }
        case wbemCimtypeUint8:
        case wbemCimtypeSint8:
        case wbemCimtypeSint16:
        case wbemCimtypeUint16:
        case wbemCimtypeSint32:
        case wbemCimtypeUint32: {
            std::int64_t n;
            return ParseXsInt64(node.Text, n) ? Integer(n, cimType) : Variant::Null();
        }
        case wbemCimtypeReal32: {
            double d;
            return ParseXsDouble(node.Text, d) ? Variant::FromSingle(static_cast<float>(d))
                                               : Variant::Null();
        }
        case wbemCimtypeReal64: {
            double d;
            return ParseXsDouble(node.Text, d) ? Variant::FromDouble(d) : Variant::Null();
        }
        case wbemCimtypeObject: {
            const XmlNode* inner = node.FirstChild;
            if (!inner) return Variant::Null();
            return Variant::FromDispatch(DecodeEmbedded(*inner, depth + 1));
        }
        default: return Variant(WidenUtf8(node.Text));
    }
}

WbemObjectPtr WsmanInstanceDecoder::DecodeEmbedded(const XmlNode& element, int depth) {
    Typed* typed = TypedFor(element.Name);
    WbemObjectPtr object = typed->Class ? DecodeTyped(element, *typed, depth)
                                        : DecodeUntyped(element, element.Name, nullptr, depth);
    Place(*object);
    return object;
}

Variant WsmanInstanceDecoder::UntypedValue(const XmlNode& node, bool& isObject, int depth) {
    isObject = false;
    if (node.IsNil()) return Variant::Null();
    const XmlNode* c = node.FirstChild;
    if (!c) return Variant(WidenUtf8(node.Text));
    if (c->Ns == wsns::Cim) return Variant(DatetimeText(node));
    WsmanEpr epr;
    if (IsEprHolder(node) && ReadEpr(node, epr)) return Variant(PathFromEpr(epr, FContext));
    isObject = true;
    return Variant::FromDispatch(DecodeEmbedded(*c, depth + 1));
}

WbemObjectPtr WsmanInstanceDecoder::DecodeUntyped(const XmlNode& element,
                                                  std::string_view className,
                                                  const WsmanEpr* epr, int depth) {
    struct Run {
        const XmlNode* First;
        const XmlNode* After;
        std::size_t Count;
        bool IsObject;
    };
    std::vector<Run> runs;
    std::vector<Variant> raw;  // one value per run
    std::string signature(className);
    const XmlNode* after = nullptr;
    for (const XmlNode* c = element.FirstChild; c; c = after) {
        const std::size_t count = RunLength(c, after);
        bool isObject = false;
        if (count == 1) {
            raw.push_back(UntypedValue(*c, isObject, depth));
        } else {
            std::vector<Variant> elements;
            elements.reserve(count);
            for (const XmlNode* e = c; e != after; e = e->Next) {
                bool elementIsObject = false;
                elements.push_back(UntypedValue(*e, elementIsObject, depth));
                isObject = isObject || elementIsObject;
            }
            raw.push_back(Variant::ArrayOf(std::move(elements)));
        }
        runs.push_back({c, after, count, isObject});
        signature += '\n';
        signature.append(c->Name);
        if (count > 1) signature += "[]";
        if (isObject) signature += "{}";
    }
    std::vector<std::string_view> keys;
    if (epr) {
        for (const XmlNode* s : epr->Selectors) {
            const std::string_view* name = s->Attr({}, "Name");
            if (name && !IsNamespaceSelector(*name)) {
                keys.push_back(*name);
                signature += "\nkey ";
                signature.append(*name);
            }
        }
    }

    Untyped* shape = nullptr;
    for (auto& u : FUntyped)
        if (u->Signature == signature) shape = u.get();
    if (!shape) {
        std::vector<WbemPropertyDef> defs;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const XmlNode& first = *runs[i].First;
            std::vector<WbemQualifierDef> qualifiers;
            for (std::string_view k : keys)
                if (SameText(k, first.Name)) qualifiers.push_back(KeyQualifier());
            defs.push_back(PropertyDef(WidenUtf8(first.Name),
                                       runs[i].IsObject ? wbemCimtypeObject : wbemCimtypeString,
                                       runs[i].Count > 1, std::move(qualifiers)));
        }
        auto made = std::make_unique<Untyped>();
        made->Signature = std::move(signature);
        made->Class = WbemClass::Make(WidenUtf8(className), std::move(defs));
        for (const Run& r : runs)
            made->IndexOfRun.push_back(made->Class->IndexOf(WidenUtf8(r.First->Name)));
        FUntyped.push_back(std::move(made));
        shape = FUntyped.back().get();
    }
    std::vector<Variant> values(shape->Class->PropertyCount(), Variant::Null());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const int index = shape->IndexOfRun[i];
        if (index >= 0 && values[static_cast<std::size_t>(index)].IsNull())
            values[static_cast<std::size_t>(index)] = std::move(raw[i]);
    }
    return WbemObject::NewWithValues(shape->Class, std::move(values));
}

}  // namespace veskin
