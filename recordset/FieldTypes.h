#pragma once
// Field types and field attributes of the record-set framework. The numbering of
// TFieldType is the framework's own and is relied on by code that stores or compares it.
#include <cstdint>
#include <initializer_list>

namespace veskin {

enum TFieldType : int {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftWord = 4,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftBytes = 12,
    ftVarBytes = 13,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
    ftGraphic = 17,
    ftFmtMemo = 18,
    ftParadoxOle = 19,
    ftDBaseOle = 20,
    ftTypedBinary = 21,
    ftCursor = 22,
    ftFixedChar = 23,
    ftWideString = 24,
    ftLargeint = 25,
    ftADT = 26,
    ftArray = 27,
    ftReference = 28,
    ftDataSet = 29,
    ftOraBlob = 30,
    ftOraClob = 31,
    ftVariant = 32,
    ftInterface = 33,
    ftIDispatch = 34,
    ftGuid = 35,
};

enum TFieldAttribute : int {
    faHiddenCol = 0,
    faReadonly = 1,
    faRequired = 2,
    faLink = 3,
    faUnNamed = 4,
    faFixed = 5,
};

// A set of field attributes (one bit per TFieldAttribute).
class TFieldAttributes {
public:
    constexpr TFieldAttributes() = default;
    constexpr TFieldAttributes(std::initializer_list<TFieldAttribute> items) {
        for (TFieldAttribute a : items) add(a);
    }

    constexpr bool contains(TFieldAttribute a) const { return (FBits & Bit(a)) != 0; }
    constexpr TFieldAttributes& add(TFieldAttribute a) {
        FBits |= Bit(a);
        return *this;
    }
    constexpr TFieldAttributes& remove(TFieldAttribute a) {
        FBits &= static_cast<std::uint8_t>(~Bit(a));
        return *this;
    }
    constexpr bool empty() const { return FBits == 0; }
    constexpr void clear() { FBits = 0; }
    constexpr std::uint8_t bits() const { return FBits; }

    friend constexpr bool operator==(TFieldAttributes a, TFieldAttributes b) { return a.FBits == b.FBits; }

private:
    static constexpr std::uint8_t Bit(TFieldAttribute a) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(a));
    }
    std::uint8_t FBits = 0;
};

}  // namespace veskin
