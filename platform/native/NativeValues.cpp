#include "platform/native/NativeValues.h"

#include <cassert>
#include <map>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/CimValue.h"
#include "platform/PackedValues.h"
#include "platform/WbemObject.h"

namespace veskin {

Variant StrValue(const std::optional<std::string>& text) {
    return text ? Variant(AnsiToWide(*text)) : Variant::Null();
}

Variant U64Value(const std::optional<std::uint64_t>& v) {
    if (!v) return Variant::Null();
    std::string s = std::to_string(*v);
    return Variant(WideString(s.begin(), s.end()));
}

Variant S64Value(const std::optional<std::int64_t>& v) {
    if (!v) return Variant::Null();
    std::string s = std::to_string(*v);
    return Variant(WideString(s.begin(), s.end()));
}

Variant U32Value(const std::optional<std::uint64_t>& v) {
    if (!v) return Variant::Null();
    std::uint64_t x = *v > 0xFFFFFFFFull ? 0xFFFFFFFFull : *v;
    return Variant::FromInteger(static_cast<std::int32_t>(static_cast<std::uint32_t>(x)));
}

Variant U16Value(const std::optional<std::uint32_t>& v) {
    if (!v) return Variant::Null();
    return Variant::FromInteger(static_cast<std::int32_t>(*v > 0xFFFFu ? 0xFFFFu : *v));
}

Variant U8Value(const std::optional<std::uint32_t>& v) {
    if (!v) return Variant::Null();
    return Variant::FromByte(static_cast<std::uint8_t>(*v > 0xFFu ? 0xFFu : *v));
}

Variant S16Value(const std::optional<std::int32_t>& v) {
    if (!v) return Variant::Null();
    std::int32_t x = *v < -32768 ? -32768 : (*v > 32767 ? 32767 : *v);
    return Variant::FromSmallint(static_cast<std::int16_t>(x));
}

Variant BoolValue(const std::optional<bool>& v) {
    return v ? Variant::FromBoolean(*v) : Variant::Null();
}

// Property positions by exact name, made once per class: providers fill thousands of
// rows and should not search the class for every value.
struct NativeSlots {
    WbemClassPtr Class;
    std::vector<std::string> Names;
    std::unordered_map<std::string_view, std::size_t> Index;
};

namespace {

std::shared_ptr<const NativeSlots> SlotsOf(const WbemClassPtr& cls) {
    static std::mutex lock;
    static std::map<const WbemClass*, std::shared_ptr<const NativeSlots>> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto& entry = cache[cls.get()];
    if (!entry) {
        auto slots = std::make_shared<NativeSlots>();
        slots->Class = cls;  // keeps the class (and so the key) alive
        for (const auto& p : cls->Properties()) slots->Names.push_back(WideToAnsi(p.Name));
        for (std::size_t i = 0; i < slots->Names.size(); ++i) slots->Index.emplace(slots->Names[i], i);
        entry = std::move(slots);
    }
    return entry;
}

}  // namespace

ValueRow::ValueRow(const WbemClassPtr& cls)
    : FSlots(SlotsOf(cls)), FValues(cls->PropertyCount(), Variant::Null()) {}

void ValueRow::Set(const char* name, Variant value) {
    auto it = FSlots->Index.find(std::string_view(name));
    assert(it != FSlots->Index.end() && "property not in the class");
    if (it != FSlots->Index.end()) FValues[it->second] = std::move(value);
}

WbemObjectPtr MakeNativeInstance(const WbemClassPtr& cls, ValueRow&& row) {
    // The values packed into one block: objects are often made on a read-ahead thread
    // and released on the reader's, and every heap block costs both threads.
    thread_local PackedValues::Builder builder;
    const std::vector<Variant>& values = row.Values();
    builder.Reset(cls->PropertyCount());
    for (std::size_t i = 0; i < values.size() && i < cls->PropertyCount(); ++i)
        if (!values[i].IsNull()) builder.Set(i, values[i]);
    return WbemObject::NewPacked(cls, builder.Finish());
}

WbemObjectProducer ProduceList(std::vector<WbemObjectPtr> objects) {
    auto list = std::make_shared<std::vector<WbemObjectPtr>>(std::move(objects));
    auto next = std::make_shared<std::size_t>(0);
    return [list, next](WbemObjectPtr& out) -> HRESULT {
        if (*next >= list->size()) return S_FALSE;
        out = (*list)[(*next)++];
        return S_OK;
    };
}

}  // namespace veskin
