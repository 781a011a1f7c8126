#include <gtest/gtest.h>

#include "platform/PackedValues.h"
#include "platform/WbemObject.h"

namespace veskin {
namespace {

bool SameValue(const Variant& a, const Variant& b) {
    if (a.VarType() != b.VarType()) return false;
    switch (a.VarType()) {
        case varEmpty:
        case varNull: return true;
        case varOleStr: return a.RawOleStr() == b.RawOleStr();
        case varUInt64: return a.RawUInt64() == b.RawUInt64();
        case varBoolean: return a.RawBool() == b.RawBool();
        case varSingle:
        case varDouble:
        case varDate: return a.RawDouble() == b.RawDouble();
        default: return a.RawInt() == b.RawInt();
    }
}

// Every kind a decoder delivers comes back with its own type and value, set in any
// order, including the extremes of each width and text that is not plain ASCII.
TEST(PackedValuesTest, EveryValueComesBackWithItsTypeAndValue) {
    const WideString loneSurrogate{u'a', char16_t(0xD800), u'b'};
    const std::vector<Variant> values = {
        Variant::FromBoolean(true),
        Variant::FromBoolean(false),
        Variant::FromShortInt(-128),
        Variant::FromByte(255),
        Variant::FromSmallint(-32768),
        Variant::FromWord(65535),
        Variant::FromInteger(INT32_MIN),
        Variant::FromLongWord(4294967295u),
        Variant::FromInt64(INT64_MIN),
        Variant::FromUInt64(UINT64_MAX),
        Variant::FromSingle(-1.5f),
        Variant::FromDouble(1e308),
        Variant::FromDate(45000.25),
        Variant::FromCurrency(-123456789),
        Variant::FromError(static_cast<std::int32_t>(0x80041010)),
        Variant(),
        Variant::Null(),
        Variant(loneSurrogate),
        Variant(WideString()),
    };
    PackedValues::Builder builder;
    const std::size_t texts = 3;
    builder.Reset(values.size() + texts);
    for (std::size_t i = values.size(); i-- > 0;) builder.Set(i, values[i]);
    builder.SetText(values.size(), "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");  // "été 😀"
    builder.SetText(values.size() + 1, "");
    builder.SetText(values.size() + 2, "plain");
    EXPECT_TRUE(SameValue(builder.Get(9), values[9]));  // readable before packing
    const PackedValuesPtr packed = builder.Finish();

    ASSERT_EQ(packed->Count(), values.size() + texts);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_TRUE(SameValue(packed->Get(i), values[i])) << "value " << i << " of type " << values[i].VarType();
    EXPECT_EQ(packed->Get(values.size()).RawOleStr(), u"\u00E9t\u00E9 \U0001F600");
    EXPECT_EQ(packed->Get(values.size() + 1).VarType(), varOleStr);
    EXPECT_EQ(packed->Get(values.size() + 1).RawOleStr(), u"");
    EXPECT_EQ(packed->Get(values.size() + 2).RawOleStr(), u"plain");
    EXPECT_TRUE(packed->Get(values.size() + texts).IsNull());  // beyond the last
}

// Arrays and objects are kept whole; a builder reused for the next object starts empty,
// and a value set twice keeps the last one.
TEST(PackedValuesTest, ArraysStayWholeAndTheBuilderStartsAfreshPerObject) {
    auto cls = WbemClass::Make(u"Veskin_Packed", {PropertyDef(u"Name", wbemCimtypeString)});
    WbemObjectPtr inner = WbemObject::NewInstance(cls);
    PackedValues::Builder builder;
    builder.Reset(3);
    builder.Set(0, Variant::ArrayOf({Variant(W("a")), Variant::Null(), Variant(std::int32_t{7})}));
    builder.Set(1, Variant::FromDispatch(inner));
    builder.SetText(2, "first");
    builder.SetText(2, "second");
    const PackedValuesPtr first = builder.Finish();
    const Variant array = first->Get(0);
    ASSERT_TRUE(array.IsArray());
    ASSERT_EQ(array.ArrayCount(), 3);
    EXPECT_EQ(array.GetElement(0).RawOleStr(), u"a");
    EXPECT_TRUE(array.GetElement(1).IsNull());
    EXPECT_EQ(array.GetElement(2).RawInt(), 7);
    EXPECT_EQ(first->Get(1).RawInterface(), inner);
    EXPECT_EQ(first->Get(2).RawOleStr(), u"second");

    builder.Reset(2);
    builder.SetText(1, "next");
    const PackedValuesPtr second = builder.Finish();
    EXPECT_TRUE(second->Get(0).IsNull());
    EXPECT_EQ(second->Get(1).RawOleStr(), u"next");
    EXPECT_EQ(first->Get(2).RawOleStr(), u"second");  // the first object is untouched

    // An object over packed values reads them, and a change leaves its clone alone.
    builder.Reset(1);
    builder.SetText(0, "packed");
    WbemObjectPtr object = WbemObject::NewPacked(cls, builder.Finish());
    WbemObjectPtr clone = object->Clone();
    ASSERT_EQ(object->SetValue(0, Variant(W("changed"))), S_OK);
    EXPECT_EQ(object->GetValue(0).RawOleStr(), u"changed");
    EXPECT_EQ(clone->GetValue(0).RawOleStr(), u"packed");
}

}  // namespace
}  // namespace veskin
