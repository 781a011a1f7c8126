#pragma once
// Building property values in the form the Scripting API delivers them (see
// platform/CimValue.h), and instances of the native classes from them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/WbemClass.h"
#include "platform/WbemObjectSet.h"
#include "platform/WbemScripting.h"
#include "rtl/Variant.h"

namespace veskin {

// string / datetime: UTF-8 text as UTF-16; nothing gives null.
Variant StrValue(const std::optional<std::string>& text);
// uint64 / sint64 travel as decimal text.
Variant U64Value(const std::optional<std::uint64_t>& v);
Variant S64Value(const std::optional<std::int64_t>& v);
// uint32 travels as a 32-bit integer (values above 2^31 wrap to negative).
Variant U32Value(const std::optional<std::uint64_t>& v);  // saturates at 4294967295
Variant U16Value(const std::optional<std::uint32_t>& v);
Variant U8Value(const std::optional<std::uint32_t>& v);
Variant S16Value(const std::optional<std::int32_t>& v);
Variant BoolValue(const std::optional<bool>& v);

// Holds a class's values by property name while an instance is built, then hands
// them to a lazy object in the class's (alphabetical) order.
class ValueRow {
public:
    explicit ValueRow(const WbemClassPtr& cls);
    // Unknown names are a programming error and are ignored in release builds.
    void Set(const char* name, Variant value);
    std::vector<Variant>& Values() { return FValues; }

private:
    std::shared_ptr<const struct NativeSlots> FSlots;
    std::vector<Variant> FValues;
};

// An instance over a finished row.
WbemObjectPtr MakeNativeInstance(const WbemClassPtr& cls, ValueRow&& row);

// A producer handing out objects made beforehand.
WbemObjectProducer ProduceList(std::vector<WbemObjectPtr> objects);

}  // namespace veskin
