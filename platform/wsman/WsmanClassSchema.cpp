// A CIM-XML CLASS element (the cim-schema Get answer): property names, CIM types,
// array flags and qualifiers. CIM-XML elements are matched by local name, since
// servers send them with and without a namespace.
#include "platform/ErrorDetail.h"
#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanFaults.h"
#include "platform/wsman/WsmanText.h"
#include "platform/wsman/WsmanTransport.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

struct TypeName {
    std::string_view Name;
    std::int32_t CimType;
};

constexpr TypeName TypeNames[] = {
    {"boolean", wbemCimtypeBoolean},
    {"string", wbemCimtypeString},
    {"char16", wbemCimtypeChar16},
    {"uint8", wbemCimtypeUint8},
    {"sint8", wbemCimtypeSint8},
    {"uint16", wbemCimtypeUint16},
    {"sint16", wbemCimtypeSint16},
    {"uint32", wbemCimtypeUint32},
    {"sint32", wbemCimtypeSint32},
    {"uint64", wbemCimtypeUint64},
    {"sint64", wbemCimtypeSint64},
    {"datetime", wbemCimtypeDatetime},
    {"real32", wbemCimtypeReal32},
    {"real64", wbemCimtypeReal64},
    {"reference", wbemCimtypeReference},
    {"object", wbemCimtypeObject},
    {"instance", wbemCimtypeObject},
};

// The CIM type of a TYPE attribute; 0 for none known.
std::int32_t CimTypeOf(std::string_view name) {
    name = TrimXml(name);
    for (const auto& t : TypeNames)
        if (SameText(t.Name, name)) return t.CimType;
    return 0;
}

std::string_view AttrOf(const XmlNode& node, std::string_view name) {
    const std::string_view* v = node.Attr({}, name);
    return v ? *v : std::string_view();
}

// One qualifier value in the form the object model keeps; empty when it cannot be shown.
Variant QualifierScalar(std::int32_t type, std::string_view text) {
    switch (type) {
        case wbemCimtypeBoolean: {
            bool b;
            return ParseXsBoolean(text, b) ? Variant(b) : Variant();
        }
        case wbemCimtypeString:
        case wbemCimtypeChar16:
        case wbemCimtypeDatetime: return Variant(WidenUtf8(text));
        case wbemCimtypeReal32:
        case wbemCimtypeReal64: {
            double d;
            return ParseXsDouble(text, d) ? Variant(d) : Variant();
        }
        case wbemCimtypeUint64: {
            std::uint64_t u;
            return ParseXsUInt64(text, u) ? Variant::FromUInt64(u) : Variant();
        }
        case 0:
        case wbemCimtypeReference:
        case wbemCimtypeObject: return Variant();
        default: {
            std::int64_t n;
            if (!ParseXsInt64(text, n)) return Variant();
            if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<std::int32_t>(n));
            return Variant::FromInt64(n);
        }
    }
}

// A QUALIFIER with a VALUE or a VALUE.ARRAY; false when its value cannot be shown.
bool ReadQualifier(const XmlNode& q, WbemQualifierDef& def) {
    const std::string_view name = AttrOf(q, "NAME");
    if (name.empty()) return false;
    const std::int32_t type = CimTypeOf(AttrOf(q, "TYPE"));
    Variant value;
    if (const XmlNode* v = q.ChildNamed("VALUE")) {
        value = QualifierScalar(type, v->Text);
    } else if (const XmlNode* a = q.ChildNamed("VALUE.ARRAY")) {
        std::vector<Variant> elements;
        for (const XmlNode* e = a->FirstChild; e; e = e->Next) {
            if (e->Name != "VALUE") continue;
            elements.push_back(QualifierScalar(type, e->Text));
            if (elements.back().IsEmpty()) return false;
        }
        value = Variant::ArrayOf(std::move(elements));
    }
    if (value.IsEmpty()) return false;
    def.Name = WidenUtf8(name);
    def.Value = std::move(value);
    return true;
}

bool ReadProperty(const XmlNode& p, WbemPropertyDef& def) {
    const std::string_view name = AttrOf(p, "NAME");
    if (name.empty()) return false;
    def.Name = WidenUtf8(name);
    def.IsArray = p.Name == "PROPERTY.ARRAY";
    def.CimType = p.Name == "PROPERTY.REFERENCE" ? wbemCimtypeReference
                                                 : CimTypeOf(AttrOf(p, "TYPE"));
    if (!def.CimType) def.CimType = wbemCimtypeString;
    bool embedded = !AttrOf(p, "EmbeddedObject").empty();
    for (const XmlNode* q = p.FirstChild; q; q = q->Next) {
        if (q->Name != "QUALIFIER") continue;
        const std::string_view qname = AttrOf(*q, "NAME");
        // An embedded object travels as a string property marked by its qualifier.
        if (SameText(qname, "EmbeddedObject") || SameText(qname, "EmbeddedInstance"))
            embedded = true;
        WbemQualifierDef qualifier;
        if (ReadQualifier(*q, qualifier)) def.Qualifiers.push_back(std::move(qualifier));
    }
    if (embedded && (def.CimType == wbemCimtypeString || def.CimType == wbemCimtypeObject))
        def.CimType = wbemCimtypeObject;
    return true;
}

HRESULT NoClass(const std::string& why) {
    SetErrorDetail(WSMAN_E_HTTP_SERVER_ERROR, "The server's class schema " + why + ".");
    return WSMAN_E_HTTP_SERVER_ERROR;
}

}  // namespace

HRESULT DecodeClassSchema(std::string_view body, WbemClassPtr& cls) {
    cls.reset();
    XmlTree tree;
    if (!tree.Parse(body)) return NoClass("is no well-formed XML (" + tree.Error() + ")");
    HRESULT code;
    std::string message;
    if (FaultFromTree(*tree.Root(), code, message)) {
        SetErrorDetail(code, message);
        return code;
    }
    const XmlNode* root = tree.Root();
    const XmlNode* cimClass = root->Name == "CLASS" ? root : root->FindNamed("CLASS");
    if (!cimClass || AttrOf(*cimClass, "NAME").empty()) return NoClass("holds no CLASS");
    std::vector<WbemPropertyDef> properties;
    for (const XmlNode* p = cimClass->FirstChild; p; p = p->Next) {
        if (p->Name != "PROPERTY" && p->Name != "PROPERTY.ARRAY" && p->Name != "PROPERTY.REFERENCE")
            continue;
        WbemPropertyDef def;
        if (ReadProperty(*p, def)) properties.push_back(std::move(def));
    }
    cls = WbemClass::Make(WidenUtf8(AttrOf(*cimClass, "NAME")), std::move(properties));
    return S_OK;
}

}  // namespace veskin
