#include "platform/PackedValues.h"

#include <cstring>

namespace veskin {

namespace {

// The first byte of a packed value: a scalar's own variant type (all below 0x20), or
// one of these. A null value packs to nothing.
constexpr unsigned char TagUtf8 = 0xF0;
constexpr unsigned char TagUtf16 = 0xF1;
constexpr unsigned char TagWhole = 0xF2;  // then the index of a whole variant

template <class T>
void Append(std::string& bytes, T value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T>
T Read(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Appends a scalar's tag and payload; false (appending nothing) for a type that is no
// packable scalar.
bool AppendScalar(std::string& bytes, const Variant& v) {
    const TVarType type = v.VarType();
    const std::size_t tagAt = bytes.size();
    bytes += static_cast<char>(type);
    switch (type) {
        case varEmpty: return true;
        case varBoolean: Append(bytes, static_cast<std::uint8_t>(v.RawBool() ? 1 : 0)); return true;
        case varShortInt:
        case varByte: Append(bytes, static_cast<std::uint8_t>(v.RawInt())); return true;
        case varSmallint:
        case varWord: Append(bytes, static_cast<std::uint16_t>(v.RawInt())); return true;
        case varInteger:
        case varLongWord:
        case varError: Append(bytes, static_cast<std::uint32_t>(v.RawInt())); return true;
        case varInt64:
        case varCurrency: Append(bytes, v.RawInt()); return true;
        case varUInt64: Append(bytes, v.RawUInt64()); return true;
        case varSingle: Append(bytes, static_cast<float>(v.RawDouble())); return true;
        case varDouble:
        case varDate: Append(bytes, v.RawDouble()); return true;
        default: bytes.resize(tagAt); return false;
    }
}

Variant ReadScalar(TVarType type, const char* p) {
    switch (type) {
        case varBoolean: return Variant::FromBoolean(*p != 0);
        case varShortInt: return Variant::FromShortInt(static_cast<std::int8_t>(Read<std::uint8_t>(p)));
        case varByte: return Variant::FromByte(Read<std::uint8_t>(p));
        case varSmallint: return Variant::FromSmallint(static_cast<std::int16_t>(Read<std::uint16_t>(p)));
        case varWord: return Variant::FromWord(Read<std::uint16_t>(p));
        case varInteger: return Variant::FromInteger(static_cast<std::int32_t>(Read<std::uint32_t>(p)));
        case varLongWord: return Variant::FromLongWord(Read<std::uint32_t>(p));
        case varError: return Variant::FromError(static_cast<std::int32_t>(Read<std::uint32_t>(p)));
        case varInt64: return Variant::FromInt64(Read<std::int64_t>(p));
        case varCurrency: return Variant::FromCurrency(Read<std::int64_t>(p));
        case varUInt64: return Variant::FromUInt64(Read<std::uint64_t>(p));
        case varSingle: return Variant::FromSingle(Read<float>(p));
        case varDouble: return Variant::FromDouble(Read<double>(p));
        case varDate: return Variant::FromDate(Read<double>(p));
        default: return Variant();
    }
}

// One packed value: its tag and payload (empty for null).
Variant Unpack(std::string_view packed, const std::vector<Variant>& whole) {
    if (packed.empty()) return Variant::Null();
    const auto tag = static_cast<unsigned char>(packed[0]);
    const std::string_view payload = packed.substr(1);
    switch (tag) {
        case TagUtf8: return Variant(AnsiToWide(payload));
        case TagUtf16: {
            WideString text(payload.size() / sizeof(char16_t), u'\0');
            std::memcpy(text.data(), payload.data(), text.size() * sizeof(char16_t));
            return Variant(std::move(text));
        }
        case TagWhole: return whole[Read<std::uint32_t>(payload.data())];
        default: return ReadScalar(tag, payload.data());
    }
}

}  // namespace

void PackedValues::Builder::Reset(std::size_t count) {
    FSlots.assign(count, Slot());
    FBytes.clear();
    FWhole.clear();
}

void PackedValues::Builder::SetText(std::size_t index, std::string_view utf8) {
    Slot& slot = FSlots.at(index);
    slot.Offset = static_cast<std::uint32_t>(FBytes.size());
    FBytes += static_cast<char>(TagUtf8);
    FBytes.append(utf8);
    slot.Size = static_cast<std::uint32_t>(FBytes.size() - slot.Offset);
}

void PackedValues::Builder::Set(std::size_t index, const Variant& value) {
    Slot& slot = FSlots.at(index);
    if (value.IsNull()) {
        slot = Slot();
        return;
    }
    slot.Offset = static_cast<std::uint32_t>(FBytes.size());
    if (value.VarType() == varOleStr) {
        const WideString& text = value.RawOleStr();
        FBytes += static_cast<char>(TagUtf16);
        FBytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
    } else if (!AppendScalar(FBytes, value)) {
        FBytes += static_cast<char>(TagWhole);
        Append(FBytes, static_cast<std::uint32_t>(FWhole.size()));
        FWhole.push_back(value);
    }
    slot.Size = static_cast<std::uint32_t>(FBytes.size() - slot.Offset);
}

Variant PackedValues::Builder::Get(std::size_t index) const {
    const Slot& slot = FSlots.at(index);
    return Unpack(std::string_view(FBytes.data() + slot.Offset, slot.Size), FWhole);
}

std::shared_ptr<const PackedValues> PackedValues::Builder::Finish() {
    auto packed = std::make_shared<PackedValues>(Made{});
    const std::size_t count = FSlots.size();
    std::size_t size = 0;
    for (const Slot& slot : FSlots) size += slot.Size;
    const std::size_t header = (count + 1) * sizeof(std::uint32_t);
    packed->FCount = count;
    packed->FData.reset(new char[header + size]);
    char* offsets = packed->FData.get();
    char* out = offsets + header;
    std::uint32_t at = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(offsets + i * sizeof at, &at, sizeof at);
        std::memcpy(out + at, FBytes.data() + FSlots[i].Offset, FSlots[i].Size);
        at += FSlots[i].Size;
    }
    std::memcpy(offsets + count * sizeof at, &at, sizeof at);
    packed->FWhole = std::move(FWhole);
    Reset(0);
    return packed;
}

std::string_view PackedValues::Packed(std::size_t index) const {
    const char* data = FData.get();
    const auto from = Read<std::uint32_t>(data + index * sizeof(std::uint32_t));
    const auto to = Read<std::uint32_t>(data + (index + 1) * sizeof(std::uint32_t));
    return std::string_view(data + (FCount + 1) * sizeof(std::uint32_t) + from, to - from);
}

Variant PackedValues::Get(std::size_t index) const {
    return index < FCount ? Unpack(Packed(index), FWhole) : Variant::Null();
}

}  // namespace veskin
