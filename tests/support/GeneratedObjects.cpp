#include "tests/support/GeneratedObjects.h"

#include <cstdio>
#include <string>

namespace veskin {

namespace {

struct Kind {
    std::int32_t CimType;
    bool IsArray;
};

constexpr Kind kKinds[] = {
    {wbemCimtypeString, false},
    {wbemCimtypeUint32, false},
    {wbemCimtypeSint64, false},
    {wbemCimtypeBoolean, false},
    {wbemCimtypeReal64, false},
    {wbemCimtypeDatetime, false},
    {wbemCimtypeUint8, false},
    {wbemCimtypeSint16, false},
    {wbemCimtypeUint64, false},
    {wbemCimtypeReal32, false},
    {wbemCimtypeChar16, false},
    {wbemCimtypeString, true},
};
constexpr std::size_t kKindCount = sizeof kKinds / sizeof kKinds[0];

}  // namespace

WbemClassPtr GeneratedClass(const WideString& className, int propertyCount) {
    std::vector<WbemPropertyDef> props;
    props.push_back(PropertyDef(u"Id", wbemCimtypeUint32, false, {KeyQualifier()}));
    for (int i = 1; i < propertyCount; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "P%02d", i);
        const Kind& k = kKinds[static_cast<std::size_t>(i - 1) % kKindCount];
        props.push_back(PropertyDef(AnsiToWide(name), k.CimType, k.IsArray));
    }
    return WbemClass::Make(className, std::move(props));
}

Variant GeneratedValue(const WbemClass& cls, std::size_t property, std::int64_t row) {
    const WbemPropertyDef& def = cls.Properties()[property];
    if (def.Name == u"Id") return Variant::FromInteger(static_cast<std::int32_t>(row));
    const std::int64_t seed = row * 31 + static_cast<std::int64_t>(property);
    if (def.IsArray)
        return Variant::ArrayOf({Variant::FromOleStr(u"a"), Variant::FromOleStr(AnsiToWide(std::to_string(seed)))});
    switch (def.CimType) {
        case wbemCimtypeString: return Variant::FromOleStr(AnsiToWide("text " + std::to_string(seed)));
        case wbemCimtypeUint32: return Variant::FromInteger(static_cast<std::int32_t>(seed % 100000));
        case wbemCimtypeSint64: return Variant::FromOleStr(AnsiToWide(std::to_string(-seed * 1000003)));
        case wbemCimtypeBoolean: return Variant::FromBoolean(seed % 2 == 0);
        case wbemCimtypeReal64: return Variant::FromDouble(static_cast<double>(seed) / 8.0);
        case wbemCimtypeDatetime: {
            char text[64];
            std::snprintf(text, sizeof text, "20240102%02d%02d%02d.000000+000",
                          static_cast<int>(seed / 3600 % 24), static_cast<int>(seed / 60 % 60),
                          static_cast<int>(seed % 60));
            return Variant::FromOleStr(AnsiToWide(text));
        }
        case wbemCimtypeUint8: return Variant::FromByte(static_cast<std::uint8_t>(seed % 256));
        case wbemCimtypeSint16: return Variant::FromSmallint(static_cast<std::int16_t>(seed % 30000 - 15000));
        case wbemCimtypeUint64: return Variant::FromOleStr(AnsiToWide(std::to_string(seed * 7919)));
        case wbemCimtypeReal32: return Variant::FromSingle(static_cast<float>(seed) / 4.0f);
        case wbemCimtypeChar16: return Variant::FromSmallint(static_cast<std::int16_t>(u'A' + seed % 26));
        default: return Variant::Null();
    }
}

std::function<WbemObjectProducer()> GeneratedInstances(WbemClassPtr cls, std::int64_t count) {
    return [cls, count]() -> WbemObjectProducer {
        auto next = std::make_shared<std::int64_t>(0);
        return [cls, count, next](WbemObjectPtr& out) -> HRESULT {
            if (*next >= count) return S_FALSE;
            const std::int64_t row = (*next)++;
            const WbemClass* raw = cls.get();
            out = WbemObject::NewLazy(cls, [raw, row](std::size_t i) { return GeneratedValue(*raw, i, row); });
            return S_OK;
        };
    };
}

WbemClassPtr AddGeneratedClass(ScriptedWmi& wmi, const WideString& nameSpace,
                               const WideString& className, std::int64_t objectCount,
                               int propertyCount) {
    WbemClassPtr cls = GeneratedClass(className, propertyCount);
    wmi.AddProviderClass(nameSpace, cls, GeneratedInstances(cls, objectCount));
    return cls;
}

}  // namespace veskin
