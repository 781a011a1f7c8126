#include "wmi/WmiDataSetValues.h"

#include <cstdint>
#include <limits>
#include <typeinfo>

#include "platform/WbemObject.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

ISWbemPropertySetPtr HolderPropertySet(TInterfaceHolder& record) {
    if (!record.PropertySet) {
        ISWbemPropertySetPtr properties;
        WmiCheck(record.WmiObject->get_Properties_(properties));
        record.PropertySet = properties;
    }
    return record.PropertySet;
}

namespace {

// The in-memory object behind an interface, or null. Objects are nearly always exactly
// that class: comparing the type first spares dynamic_cast's search on every read.
const WbemObject* InMemoryObject(const ISWbemObject* object) {
    if (object != nullptr && typeid(*object) == typeid(WbemObject)) return static_cast<const WbemObject*>(object);
    return dynamic_cast<const WbemObject*>(object);
}

}  // namespace

Variant ReadCachedProperty(TInterfaceHolder& record, const WideString& name) {
    return ReadCachedProperty(record, WideToAnsi(name));
}

Variant ReadCachedProperty(TInterfaceHolder& record, const AnsiString& name) {
    if (const TVariantHolder* cached = record.ValueCache.Find(name)) return cached->Value;
    const Variant value = WmiGetPropertyValue(HolderPropertySet(record), AnsiToWide(name));
    record.ValueCache.Add(name, value);
    return value;
}

Variant ReadFieldProperty(TInterfaceHolder& record, const AnsiString& name, TWmiPropertySlot& slot) {
    // Hooks observe every Item and get_Value call, so hooked objects take the interface.
    const WbemObject* object = InMemoryObject(record.WmiObject.get());
    if (object == nullptr || object->Hooks()) return ReadCachedProperty(record, name);
    if (slot.Class != object->Class() || slot.Name != name) {
        const int index = object->Class()->IndexOf(AnsiToWide(name));
        if (index < 0) return ReadCachedProperty(record, name);
        slot.Class = object->Class();
        slot.Name = name;
        slot.Index = static_cast<std::size_t>(index);
    }
    return object->GetValue(slot.Index);
}

Variant WmiAutomationValue(const Variant& value) {
    if (value.IsByRef()) return WmiAutomationValue(value.Deref());
    if (value.IsArray()) {
        const int low = value.ArrayLowBound();
        const int high = value.ArrayHighBound();
        Variant result = Variant::ArrayCreate(low, high, varVariant);
        for (int i = low; i <= high; ++i) result.PutElement(i, WmiAutomationValue(value.GetElement(i)));
        return result;
    }
    switch (value.VarType()) {
        case varString:
            return Variant::FromOleStr(AnsiToWide(value.RawString()));
        case varShortInt:
        case varByte:
        case varWord:
            return Variant::FromInteger(static_cast<std::int32_t>(value.RawInt()));
        case varLongWord: {
            const auto v = static_cast<std::uint32_t>(value.RawInt());
            if (v & 0x80000000u) return Variant::FromDouble(static_cast<double>(v));
            return Variant::FromInteger(static_cast<std::int32_t>(v));
        }
        case varInt64: {
            const std::int64_t v = value.RawInt();
            if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
                return Variant::FromInteger(static_cast<std::int32_t>(v));
            return value;
        }
        case varUInt64: {
            const std::uint64_t v = value.RawUInt64();
            if (v <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
                return Variant::FromInteger(static_cast<std::int32_t>(v));
            return value;
        }
        default:
            return value;
    }
}

}  // namespace veskin
