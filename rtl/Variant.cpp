#include "rtl/Variant.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

namespace veskin {

namespace {

[[noreturn]] void CastError(TVarType from, TVarType to) {
    throw EVariantTypeCastError("Could not convert variant of type (" + Variant::VarTypeAsText(from) +
                                ") into type (" + Variant::VarTypeAsText(to) + ")");
}

[[noreturn]] void OverflowError(TVarType from, TVarType to) {
    throw EVariantOverflowError("Overflow while converting variant of type (" +
                                Variant::VarTypeAsText(from) + ") into type (" +
                                Variant::VarTypeAsText(to) + ")");
}

[[noreturn]] void InvalidOp() { throw EVariantError("Invalid variant type operation"); }
[[noreturn]] void NotArray() { throw EVariantError("Variant is not an array"); }

bool IsSignedKind(TVarType t) {
    switch (t) {
        case varShortInt:
        case varSmallint:
        case varInteger:
        case varInt64: return true;
        default: return false;
    }
}

bool IsUnsignedKind(TVarType t) {
    switch (t) {
        case varByte:
        case varWord:
        case varLongWord:
        case varUInt64: return true;
        default: return false;
    }
}

// Rounds to the nearest integer, halves to the even neighbour, and checks the range.
std::int64_t RoundToInt64(double d, TVarType from, TVarType to, std::int64_t lo, std::int64_t hi) {
    if (std::isnan(d)) OverflowError(from, to);
    const double r = std::nearbyint(d);
    // 2^63 is exact as a double; anything at or above it does not fit.
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) OverflowError(from, to);
    const auto v = static_cast<std::int64_t>(r);
    if (v < lo || v > hi) OverflowError(from, to);
    return v;
}

// Banker's rounding of a currency value (scaled by 10000) to whole units.
std::int64_t RoundCurrency(std::int64_t scaled) {
    std::int64_t q = scaled / 10000;
    const std::int64_t r = scaled % 10000;  // same sign as scaled
    if (r > 5000 || (r == 5000 && (q & 1) != 0)) ++q;
    else if (r < -5000 || (r == -5000 && (q & 1) != 0)) --q;
    return q;
}

// Integer value of a variant within [lo, hi]; `to` names the target for messages.
std::int64_t ToInteger(const Variant& v, TVarType to, std::int64_t lo, std::int64_t hi) {
    const TVarType t = v.VarType();
    auto check = [&](std::int64_t x) {
        if (x < lo || x > hi) OverflowError(t, to);
        return x;
    };
    if (IsSignedKind(t)) return check(v.RawInt());
    if (IsUnsignedKind(t)) {
        const std::uint64_t u = v.RawUInt64();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) OverflowError(t, to);
        return check(static_cast<std::int64_t>(u));
    }
    switch (t) {
        case varEmpty: return 0;
        case varBoolean: return v.RawBool() ? -1 : 0;
        case varSingle:
        case varDouble:
        case varDate: return RoundToInt64(v.RawDouble(), t, to, lo, hi);
        case varCurrency: return check(RoundCurrency(v.RawInt()));
        case varString:
        case varOleStr: {
            const std::string text = t == varString ? v.RawString() : WideToAnsi(v.RawOleStr());
            std::int64_t x = 0;
            if (to == varInteger) {
                int i = 0;
                if (!TryStrToInt(text, i)) CastError(t, to);
                x = i;
            } else if (!TryStrToInt64(text, x)) {
                CastError(t, to);
            }
            return check(x);
        }
        default: CastError(t, to);
    }
}

// "True"/"False" in any case, or a number (non-zero is true).
bool TextToBool(const std::string& text, TVarType from) {
    if (SameText(text, "True")) return true;
    if (SameText(text, "False")) return false;
    double d = 0;
    if (TryStrToFloat(text, d)) return d != 0;
    CastError(from, varBoolean);
}

// Floating value of a variant, as AsDouble and AsDateTime read it: text goes through
// parse, and `to` names the target for messages.
template <class Parse>
double ToFloat(const Variant& v, TVarType to, Parse parse) {
    const TVarType t = v.VarType();
    if (IsSignedKind(t)) return static_cast<double>(v.RawInt());
    if (IsUnsignedKind(t)) return static_cast<double>(v.RawUInt64());
    switch (t) {
        case varEmpty: return 0;
        case varSingle:
        case varDouble:
        case varDate: return v.RawDouble();
        case varCurrency: return static_cast<double>(v.RawInt()) / 10000.0;
        case varBoolean: return v.RawBool() ? -1 : 0;
        case varString:
        case varOleStr: {
            double d = 0;
            if (!parse(t == varString ? v.RawString() : WideToAnsi(v.RawOleStr()), d)) CastError(t, to);
            return d;
        }
        default: CastError(t, to);
    }
}

}  // namespace

// ---- construction, copying -------------------------------------------------------

bool Variant::OwnsHeap(TVarType type) {
    if ((type & varByRef) != 0) return false;
    if ((type & varArray) != 0) return true;
    return type == varOleStr || type == varString || type == varDispatch || type == varUnknown;
}

Variant::Variant(const Variant& other) { CopyFrom(other); }

Variant::Variant(Variant&& other) noexcept : FType(other.FType) {
    FInt = other.FInt;  // the whole slot, a heap payload included
    other.FType = varEmpty;
    other.FInt = 0;
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        // Detach other first: it may live inside the payload that Clear frees.
        const TVarType type = other.FType;
        const std::int64_t slot = other.FInt;
        other.FType = varEmpty;
        other.FInt = 0;
        Clear();
        FType = type;
        FInt = slot;
    }
    return *this;
}

Variant::~Variant() { Clear(); }

void Variant::Clear() {
    if (OwnsHeap(FType)) {
        if ((FType & varArray) != 0)
            delete FArray;
        else if (FType == varOleStr)
            delete FOle;
        else if (FType == varString)
            delete FStr;
        else
            delete FIntf;
    }
    FType = varEmpty;
    FInt = 0;
}

void Variant::CopyFrom(const Variant& other) {
    FInt = 0;
    if (!OwnsHeap(other.FType)) {
        std::memcpy(&FInt, &other.FInt, sizeof FInt);  // the whole slot: every scalar fits
    } else if ((other.FType & varArray) != 0) {
        FArray = new std::shared_ptr<VariantArrayData>(*other.FArray);  // shared until one side writes
    } else if (other.FType == varOleStr) {
        FOle = new WideString(*other.FOle);
    } else if (other.FType == varString) {
        FStr = new AnsiString(*other.FStr);
    } else {
        FIntf = new IInterfacePtr(*other.FIntf);
    }
    FType = other.FType;
}

Variant::Variant(std::int32_t v) : FType(varInteger) { FInt = v; }
Variant::Variant(std::int64_t v) : FType(varInt64) { FInt = v; }
Variant::Variant(double v) : FType(varDouble) { FDouble = v; }
Variant::Variant(bool v) : FType(varBoolean) {
    FInt = 0;
    FBool = v;
}
Variant::Variant(const WideString& v) {
    FOle = new WideString(v);
    FType = varOleStr;
}
Variant::Variant(WideString&& v) {
    FOle = new WideString(std::move(v));
    FType = varOleStr;
}
Variant::Variant(const char16_t* v) {
    FOle = new WideString(v != nullptr ? v : u"");
    FType = varOleStr;
}
Variant::Variant(const AnsiString& v) {
    FStr = new AnsiString(v);
    FType = varString;
}
Variant::Variant(const char* v) {
    FStr = new AnsiString(v != nullptr ? v : "");
    FType = varString;
}

Variant Variant::Null() {
    Variant r;
    r.FType = varNull;
    return r;
}

#define VESKIN_INT_FACTORY(Name, Type, Code)   \
    Variant Variant::Name(Type v) {            \
        Variant r;                             \
        r.FType = Code;                        \
        r.FInt = static_cast<std::int64_t>(v); \
        return r;                              \
    }

VESKIN_INT_FACTORY(FromShortInt, std::int8_t, varShortInt)
VESKIN_INT_FACTORY(FromSmallint, std::int16_t, varSmallint)
VESKIN_INT_FACTORY(FromInteger, std::int32_t, varInteger)
VESKIN_INT_FACTORY(FromInt64, std::int64_t, varInt64)
VESKIN_INT_FACTORY(FromByte, std::uint8_t, varByte)
VESKIN_INT_FACTORY(FromWord, std::uint16_t, varWord)
VESKIN_INT_FACTORY(FromLongWord, std::uint32_t, varLongWord)
VESKIN_INT_FACTORY(FromUInt64, std::uint64_t, varUInt64)
VESKIN_INT_FACTORY(FromCurrency, std::int64_t, varCurrency)
VESKIN_INT_FACTORY(FromError, std::int32_t, varError)
#undef VESKIN_INT_FACTORY

Variant Variant::FromSingle(float v) {
    Variant r;
    r.FType = varSingle;
    r.FDouble = static_cast<double>(v);
    return r;
}

Variant Variant::FromDouble(double v) { return Variant(v); }

Variant Variant::FromDate(TDateTime v) {
    Variant r;
    r.FType = varDate;
    r.FDouble = v;
    return r;
}

Variant Variant::FromBoolean(bool v) { return Variant(v); }
Variant Variant::FromOleStr(const WideString& v) { return Variant(v); }
Variant Variant::FromString(const AnsiString& v) { return Variant(v); }

Variant Variant::FromDispatch(const IInterfacePtr& obj) {
    Variant r;
    r.FIntf = new IInterfacePtr(obj);
    r.FType = varDispatch;
    return r;
}

Variant Variant::FromUnknown(const IInterfacePtr& obj) {
    Variant r;
    r.FIntf = new IInterfacePtr(obj);
    r.FType = varUnknown;
    return r;
}

Variant Variant::ByRef(Variant* target) {
    if (target == nullptr) throw EVariantError("Invalid argument");
    Variant r;
    r.FType = varByRef | varVariant;
    r.FRef = target;
    return r;
}

Variant Variant::ArrayCreate(int lowBound, int highBound, TVarType elementType) {
    const std::int64_t count = static_cast<std::int64_t>(highBound) - lowBound + 1;
    if (count < 0 || (elementType & ~varTypeMask) != 0)
        throw EVariantError("Error creating variant or safe array");
    auto data = std::make_shared<VariantArrayData>();
    data->ElementType = elementType;
    data->LowBound = lowBound;
    data->Elements.resize(static_cast<std::size_t>(count));
    Variant r;
    r.FArray = new std::shared_ptr<VariantArrayData>(std::move(data));
    r.FType = varArray | elementType;
    return r;
}

Variant Variant::ArrayOf(std::vector<Variant> elements) {
    auto data = std::make_shared<VariantArrayData>();
    data->ElementType = varVariant;
    data->LowBound = 0;
    data->Elements = std::move(elements);
    Variant r;
    r.FArray = new std::shared_ptr<VariantArrayData>(std::move(data));
    r.FType = varArray | varVariant;
    return r;
}

// ---- raw access ------------------------------------------------------------------

const Variant& Variant::Deref() const {
    const Variant* v = this;
    // A chain of references ends at a value; a cycle would be a caller's error, so the
    // walk is bounded.
    for (int depth = 0; (v->FType & varByRef) != 0; ++depth) {
        if (depth > 64 || v->FRef == nullptr) InvalidOp();
        v = v->FRef;
    }
    return *v;
}

std::int64_t Variant::RawInt() const {
    const Variant& v = Deref();
    const TVarType t = v.FType;
    if (IsSignedKind(t) || IsUnsignedKind(t) || t == varCurrency || t == varError) return v.FInt;
    InvalidOp();
}

std::uint64_t Variant::RawUInt64() const {
    const Variant& v = Deref();
    if (IsUnsignedKind(v.FType)) return v.FUInt;
    InvalidOp();
}

double Variant::RawDouble() const {
    const Variant& v = Deref();
    if (v.FType == varSingle || v.FType == varDouble || v.FType == varDate) return v.FDouble;
    InvalidOp();
}

bool Variant::RawBool() const {
    const Variant& v = Deref();
    if (v.FType == varBoolean) return v.FBool;
    InvalidOp();
}

const WideString& Variant::RawOleStr() const {
    const Variant& v = Deref();
    if (v.FType == varOleStr) return *v.FOle;
    InvalidOp();
}

WideString Variant::TakeOleStr() {
    if (FType != varOleStr) InvalidOp();
    WideString text = std::move(*FOle);
    Clear();
    return text;
}

const AnsiString& Variant::RawString() const {
    const Variant& v = Deref();
    if (v.FType == varString) return *v.FStr;
    InvalidOp();
}

const IInterfacePtr& Variant::RawInterface() const {
    const Variant& v = Deref();
    if (v.FType == varDispatch || v.FType == varUnknown) return *v.FIntf;
    InvalidOp();
}

Variant* Variant::RefTarget() const {
    if ((FType & varByRef) == 0) InvalidOp();
    return FRef;
}

// ---- arrays ----------------------------------------------------------------------

int Variant::ArrayDimCount() const { return Deref().IsArray() ? 1 : 0; }

const VariantArrayData& Variant::ArrayData() const {
    const Variant& v = Deref();
    if (!v.IsArray() || !*v.FArray) NotArray();
    return **v.FArray;
}

int Variant::ArrayLowBound() const { return ArrayData().LowBound; }

int Variant::ArrayCount() const { return static_cast<int>(ArrayData().Elements.size()); }

int Variant::ArrayHighBound() const {
    const VariantArrayData& d = ArrayData();
    return d.LowBound + static_cast<int>(d.Elements.size()) - 1;
}

const Variant& Variant::GetElement(int index) const {
    const VariantArrayData& d = ArrayData();
    const std::int64_t i = static_cast<std::int64_t>(index) - d.LowBound;
    if (i < 0 || i >= static_cast<std::int64_t>(d.Elements.size()))
        throw EVariantBadIndexError("Variant or safe array index out of bounds");
    return d.Elements[static_cast<std::size_t>(i)];
}

void Variant::PutElement(int index, const Variant& value) {
    // Writing goes to the variant this one refers to, as every other access does.
    Variant& self = const_cast<Variant&>(Deref());
    if (!self.IsArray() || !*self.FArray) NotArray();
    std::shared_ptr<VariantArrayData>& array = *self.FArray;
    const std::int64_t i = static_cast<std::int64_t>(index) - array->LowBound;
    if (i < 0 || i >= static_cast<std::int64_t>(array->Elements.size()))
        throw EVariantBadIndexError("Variant or safe array index out of bounds");
    // Convert before detaching so that a failed conversion leaves everything as it was.
    // A typed array keeps its element type; an array of variants takes the value as it
    // is (a reference is stored as the value it points at).
    Variant stored;
    const TVarType et = array->ElementType;
    const Variant& src = value.Deref();
    switch (et) {
        case varVariant: stored = src; break;
        case varOleStr: stored = Variant(src.AsWideString()); break;
        case varString: stored = Variant(src.AsString()); break;
        case varInteger: stored = FromInteger(src.AsInteger()); break;
        case varInt64: stored = FromInt64(src.AsInt64()); break;
        case varDouble: stored = FromDouble(src.AsDouble()); break;
        case varSingle: stored = FromSingle(static_cast<float>(src.AsDouble())); break;
        case varDate: stored = FromDate(src.AsDateTime()); break;
        case varBoolean: stored = FromBoolean(src.AsBoolean()); break;
        case varSmallint: stored = FromSmallint(static_cast<std::int16_t>(ToInteger(src, et, -32768, 32767))); break;
        case varShortInt: stored = FromShortInt(static_cast<std::int8_t>(ToInteger(src, et, -128, 127))); break;
        case varByte: stored = FromByte(static_cast<std::uint8_t>(ToInteger(src, et, 0, 255))); break;
        case varWord: stored = FromWord(static_cast<std::uint16_t>(ToInteger(src, et, 0, 65535))); break;
        case varLongWord: stored = FromLongWord(static_cast<std::uint32_t>(ToInteger(src, et, 0, 4294967295LL))); break;
        case varDispatch: stored = FromDispatch(src.AsInterface()); break;
        case varUnknown: stored = FromUnknown(src.AsInterface()); break;
        default:
            if (src.VarType() != et) CastError(src.VarType(), et);
            stored = src;
            break;
    }
    if (array.use_count() > 1) array = std::make_shared<VariantArrayData>(*array);
    array->Elements[static_cast<std::size_t>(i)] = std::move(stored);
}

// ---- conversions -----------------------------------------------------------------

AnsiString Variant::AsString() const {
    const Variant& v = Deref();
    const TVarType t = v.FType;
    if (IsSignedKind(t)) return IntToStr(v.FInt);
    if (IsUnsignedKind(t)) return UIntToStr(v.FUInt);
    switch (t) {
        case varEmpty: return {};
        case varBoolean: return v.FBool ? "True" : "False";
        case varSingle:
        case varDouble: return FloatToStr(v.FDouble);
        case varCurrency: return CurrToStr(v.FInt);
        case varDate: return DateTimeToStr(v.FDouble);
        case varOleStr: return WideToAnsi(*v.FOle);
        case varString: return *v.FStr;
        default: CastError(t, varString);
    }
}

WideString Variant::AsWideString() const {
    const Variant& v = Deref();
    if (v.FType == varOleStr) return *v.FOle;
    if (v.FType == varNull || v.FType == varError || v.IsArray() || v.FType == varDispatch ||
        v.FType == varUnknown)
        CastError(v.FType, varOleStr);
    return AnsiToWide(v.AsString());
}

std::int32_t Variant::AsInteger() const {
    return static_cast<std::int32_t>(ToInteger(Deref(), varInteger, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

std::int64_t Variant::AsInt64() const {
    return ToInteger(Deref(), varInt64, std::numeric_limits<std::int64_t>::min(),
                     std::numeric_limits<std::int64_t>::max());
}

double Variant::AsDouble() const {
    return ToFloat(Deref(), varDouble,
                   [](const std::string& text, double& d) { return TryStrToFloat(text, d); });
}

bool Variant::AsBoolean() const {
    const Variant& v = Deref();
    const TVarType t = v.FType;
    if (IsSignedKind(t) || IsUnsignedKind(t) || t == varCurrency) return v.FInt != 0;
    switch (t) {
        case varEmpty: return false;
        case varBoolean: return v.FBool;
        case varSingle:
        case varDouble:
        case varDate: return v.FDouble != 0;
        case varString: return TextToBool(*v.FStr, t);
        case varOleStr: return TextToBool(WideToAnsi(*v.FOle), t);
        default: CastError(t, varBoolean);
    }
}

TDateTime Variant::AsDateTime() const {
    return ToFloat(Deref(), varDate,
                   [](const std::string& text, TDateTime& d) { return TryStrToDateTime(text, d); });
}

IInterfacePtr Variant::AsInterface() const {
    const Variant& v = Deref();
    if (v.FType == varDispatch || v.FType == varUnknown) return *v.FIntf;
    if (v.FType == varEmpty) return nullptr;
    CastError(v.FType, varUnknown);
}

AnsiString Variant::VarTypeAsText(TVarType type) {
    static const char* const kNames[] = {"Empty", "Null", "Smallint", "Integer", "Single",
                                         "Double", "Currency", "Date", "OleStr", "Dispatch",
                                         "Error", "Boolean", "Variant", "Unknown", "Decimal",
                                         "$000F", "ShortInt", "Byte", "Word", "LongWord",
                                         "Int64", "UInt64"};
    const TVarType base = type & varTypeMask;
    std::string name;
    if (base < sizeof(kNames) / sizeof(kNames[0])) name = kNames[base];
    else if (base == varString) name = "String";
    else name.append(1, '$').append(IntToHex(static_cast<std::uint32_t>(base), 4));
    if ((type & varArray) != 0) name = "Array " + name;
    if ((type & varByRef) != 0) name = "Ref " + name;
    return name;
}

AnsiString VarToStr(const Variant& v) {
    const Variant& d = v.Deref();
    if (d.IsNull() || d.IsEmpty()) return {};
    return d.AsString();
}

WideString VarToWideStr(const Variant& v) {
    const Variant& d = v.Deref();
    if (d.IsNull() || d.IsEmpty()) return {};
    return d.AsWideString();
}

}  // namespace veskin
