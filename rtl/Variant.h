#pragma once
// The automation Variant: empty, null, integers of 8 to 64 bits, single, double,
// currency, date, UTF-16 and 8-bit text, boolean, error codes, dispatch and unknown
// references, one-dimensional arrays with a lower bound, and by-reference values.
// Conversions follow the framework's rules; a conversion that is not possible raises
// EVariantTypeCastError "Could not convert variant of type (Null) into type (Integer)".
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rtl/Interface.h"
#include "rtl/WideString.h"

namespace veskin {

using TVarType = std::uint16_t;

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;  // int16
constexpr TVarType varInteger = 0x0003;   // int32
constexpr TVarType varSingle = 0x0004;    // float
constexpr TVarType varDouble = 0x0005;    // double
constexpr TVarType varCurrency = 0x0006;  // int64 scaled by 10000
constexpr TVarType varDate = 0x0007;      // days since 1899-12-30
constexpr TVarType varOleStr = 0x0008;    // UTF-16 text
constexpr TVarType varDispatch = 0x0009;  // automation object
constexpr TVarType varError = 0x000A;     // result code
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;   // only as array element type or by-reference target
constexpr TVarType varUnknown = 0x000D;   // plain interface
constexpr TVarType varShortInt = 0x0010;  // int8
constexpr TVarType varByte = 0x0011;      // uint8
constexpr TVarType varWord = 0x0012;      // uint16
constexpr TVarType varLongWord = 0x0013;  // uint32
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varUInt64 = 0x0015;
constexpr TVarType varString = 0x0100;  // 8-bit text
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;
constexpr TVarType varByRef = 0x4000;

using TDateTime = double;

class Variant;

// Storage of a one-dimensional array. Elements are whole variants; ElementType is
// what VarType() reports with varArray (varVariant for arrays of variants).
struct VariantArrayData {
    TVarType ElementType = varVariant;
    int LowBound = 0;
    std::vector<Variant> Elements;
};

class Variant {
public:
    Variant() = default;  // empty
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    // Convenience constructors for the common kinds; use the factories below for the rest.
    Variant(std::int32_t v);       // varInteger
    Variant(std::int64_t v);       // varInt64
    Variant(double v);             // varDouble
    Variant(bool v);               // varBoolean
    Variant(const WideString& v);  // varOleStr
    Variant(WideString&& v);       // varOleStr, taking the text over
    Variant(const char16_t* v);    // varOleStr
    Variant(const AnsiString& v);  // varString
    Variant(const char* v);        // varString

    static Variant Null();
    static Variant FromShortInt(std::int8_t v);
    static Variant FromByte(std::uint8_t v);
    static Variant FromSmallint(std::int16_t v);
    static Variant FromWord(std::uint16_t v);
    static Variant FromInteger(std::int32_t v);
    static Variant FromLongWord(std::uint32_t v);
    static Variant FromInt64(std::int64_t v);
    static Variant FromUInt64(std::uint64_t v);
    static Variant FromSingle(float v);
    static Variant FromDouble(double v);
    static Variant FromCurrency(std::int64_t scaledBy10000);
    static Variant FromDate(TDateTime v);
    static Variant FromBoolean(bool v);
    static Variant FromOleStr(const WideString& v);
    static Variant FromString(const AnsiString& v);
    static Variant FromError(std::int32_t code);
    static Variant FromDispatch(const IInterfacePtr& obj);  // null obj still varDispatch
    static Variant FromUnknown(const IInterfacePtr& obj);
    // A reference to another variant (varByRef | varVariant). The target must outlive it.
    static Variant ByRef(Variant* target);

    // One-dimensional arrays. Elements start empty.
    static Variant ArrayCreate(int lowBound, int highBound, TVarType elementType = varVariant);
    // varArray | varVariant with lower bound 0.
    static Variant ArrayOf(std::vector<Variant> elements);

    TVarType VarType() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }
    bool IsArray() const { return (FType & varArray) != 0; }
    bool IsByRef() const { return (FType & varByRef) != 0; }

    // Raw access to the stored value; each requires the matching VarType (no conversion).
    std::int64_t RawInt() const;                // any integer kind, error code, currency (scaled)
    std::uint64_t RawUInt64() const;            // varUInt64
    double RawDouble() const;                   // varSingle (widened), varDouble, varDate
    bool RawBool() const;                       // varBoolean
    const WideString& RawOleStr() const;        // varOleStr
    WideString TakeOleStr();                    // varOleStr, moved out; the variant is left empty
    const AnsiString& RawString() const;        // varString
    const IInterfacePtr& RawInterface() const;  // varDispatch, varUnknown
    Variant* RefTarget() const;                 // varByRef
    // The value a by-reference variant points at (itself when it is no reference).
    const Variant& Deref() const;

    // Array access (bounds of the first and only dimension).
    int ArrayDimCount() const;   // 1 for arrays, 0 otherwise
    int ArrayLowBound() const;   // raises EVariantError when no array
    int ArrayHighBound() const;  // LowBound + count - 1
    int ArrayCount() const;
    const Variant& GetElement(int index) const;  // index within the bounds, else EVariantBadIndexError
    void PutElement(int index, const Variant& value);
    const VariantArrayData& ArrayData() const;

    // Conversions with the framework's rules (see Variant.cpp). By-reference values are
    // followed. Failures raise EVariantTypeCastError naming both types, or
    // EVariantOverflowError when the value does not fit.
    AnsiString AsString() const;  // null raises; empty gives ""
    WideString AsWideString() const;
    std::int32_t AsInteger() const;
    std::int64_t AsInt64() const;
    double AsDouble() const;
    bool AsBoolean() const;
    TDateTime AsDateTime() const;
    IInterfacePtr AsInterface() const;  // dispatch or unknown; empty gives null

    // Type names as the framework writes them: Empty, Null, Smallint, Integer, Single,
    // Double, Currency, Date, OleStr, Dispatch, Error, Boolean, Variant, Unknown,
    // ShortInt, Byte, Word, LongWord, Int64, UInt64, String; arrays "Array " + element.
    static AnsiString VarTypeAsText(TVarType type);

private:
    void Clear();
    void CopyFrom(const Variant& other);
    // True when the type keeps its payload on the heap (text, interface, array).
    static bool OwnsHeap(TVarType type);

    // The tag and one 8-byte slot: a scalar, a reference target, or the owned heap
    // payload of text, 8-bit text, an interface or an array (kept small because every
    // property value of every object is one).
    TVarType FType = varEmpty;
    union {
        std::int64_t FInt = 0;
        std::uint64_t FUInt;
        double FDouble;
        bool FBool;
        Variant* FRef;
        WideString* FOle;
        AnsiString* FStr;
        IInterfacePtr* FIntf;
        std::shared_ptr<VariantArrayData>* FArray;  // copied on write
    };
};

// The framework's VarToStr: null and empty give "", everything else AsString().
AnsiString VarToStr(const Variant& v);
WideString VarToWideStr(const Variant& v);

}  // namespace veskin
