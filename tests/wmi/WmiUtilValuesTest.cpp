#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "recordset/FieldTypes.h"
#include "rtl/Exception.h"
#include "rtl/Variant.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

// An automation object that is no WMI object.
class PlainDispatch : public IDispatch {};

TEST(WmiVariantToText, ScalarsArraysAndObjects) {
    EXPECT_EQ(WmiVariantToText(Variant()), "");
    EXPECT_EQ(WmiVariantToText(Variant::Null()), "");
    EXPECT_EQ(WmiVariantToText(Variant(std::int32_t(-12))), "-12");
    EXPECT_EQ(WmiVariantToText(Variant::FromUInt64(18446744073709551615ull)), "18446744073709551615");
    EXPECT_EQ(WmiVariantToText(Variant(true)), "True");
    EXPECT_EQ(WmiVariantToText(Variant(u"w\u00e4rme")), "w\xc3\xa4rme");

    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({Variant(std::int32_t(1)), Variant(std::int32_t(2)),
                                                 Variant(std::int32_t(3))})),
              "{1, 2, 3}");
    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({Variant(u"a"), Variant(u"b c")})), "{a, b c}");
    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({})), "{}");
    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({Variant::ArrayOf({Variant("x")}), Variant::ArrayOf({})})),
              "{{x}, {}}");
    // Bounds other than 0 are walked from the lower to the upper bound.
    Variant shifted = Variant::ArrayCreate(3, 4, varInteger);
    shifted.PutElement(3, Variant(std::int32_t(7)));
    shifted.PutElement(4, Variant(std::int32_t(8)));
    EXPECT_EQ(WmiVariantToText(shifted), "{7, 8}");

    EXPECT_EQ(WmiVariantToText(Variant::FromDispatch(std::make_shared<PlainDispatch>())), "IDispatch");
    EXPECT_EQ(WmiVariantToText(Variant::FromDispatch(nullptr)), "IDispatch");
}

TEST(WmiTextToArray, SplitsAtCommasBracesAndBlanks) {
    Variant v = WmiTextToArray("{1, 2,3}");
    ASSERT_TRUE(v.IsArray());
    EXPECT_EQ(v.ArrayLowBound(), 0);
    ASSERT_EQ(v.ArrayHighBound(), 2);
    EXPECT_EQ(v.GetElement(0).VarType(), varString);
    EXPECT_EQ(v.GetElement(0).AsString(), "1");
    EXPECT_EQ(v.GetElement(1).AsString(), "2");
    EXPECT_EQ(v.GetElement(2).AsString(), "3");

    Variant two = WmiTextToArray("a b");
    ASSERT_TRUE(two.IsArray());
    EXPECT_EQ(two.ArrayCount(), 2);
    // Tabs and quotes belong to the pieces.
    Variant quoted = WmiTextToArray("'x y'\tz");
    ASSERT_EQ(quoted.ArrayCount(), 2);
    EXPECT_EQ(quoted.GetElement(0).AsString(), "'x");
    EXPECT_EQ(quoted.GetElement(1).AsString(), "y'\tz");

    EXPECT_TRUE(WmiTextToArray("{}").IsNull());
    EXPECT_TRUE(WmiTextToArray(" , ,, ").IsNull());
    EXPECT_TRUE(WmiTextToArray("").IsNull());
    // What WmiVariantToText writes comes back piece by piece.
    EXPECT_EQ(WmiVariantToText(WmiTextToArray("{10, 20}")), "{10, 20}");
}

TEST(WmiStrToInt64, LimitsAndErrors) {
    EXPECT_EQ(WmiStrToInt64(""), 0);
    EXPECT_EQ(WmiStrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(WmiStrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(WmiStrToInt64("  +42"), 42);
    EXPECT_EQ(WmiStrToInt64("$FF"), 255);
    try {
        WmiStrToInt64("9223372036854775808");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'9223372036854775808' is not a valid integer value");
    }
    EXPECT_THROW(WmiStrToInt64("12a"), EConvertError);
    EXPECT_THROW(WmiStrToInt64(" "), EConvertError);
}

TEST(WmiCimTypeToFieldType, MapsEveryTypeAndRejectsUnknownScalars) {
    struct Row {
        std::int32_t Cim;
        TFieldType Type;
        std::uint16_t Size;
    };
    const Row rows[] = {
        {2, ftSmallint, 0},
        {3, ftInteger, 0},
        {4, ftFloat, 0},
        {5, ftFloat, 0},
        {8, ftWideString, 65535},
        {11, ftBoolean, 0},
        {13, ftInterface, 0},
        {16, ftSmallint, 0},
        {17, ftWord, 0},
        {18, ftWord, 0},
        {19, ftLargeint, 0},
        {20, ftLargeint, 0},
        {21, ftLargeint, 0},
        {101, ftDateTime, 0},
        {102, ftVariant, 0},
        {103, ftWideString, 2},
    };
    for (const Row& r : rows) {
        TFieldType type = ftUnknown;
        std::uint16_t size = 1;
        WmiCimTypeToFieldType(r.Cim, VARIANT_FALSE, type, size);
        EXPECT_EQ(type, r.Type) << r.Cim;
        EXPECT_EQ(size, r.Size) << r.Cim;
        // Any array is a variant of size 0, whatever its element type.
        WmiCimTypeToFieldType(r.Cim, VARIANT_TRUE, type, size);
        EXPECT_EQ(type, ftVariant) << r.Cim;
        EXPECT_EQ(size, 0) << r.Cim;
    }
    TFieldType type = ftUnknown;
    std::uint16_t size = 0;
    WmiCimTypeToFieldType(0, 1, type, size);  // any non-zero flag is an array
    EXPECT_EQ(type, ftVariant);
    try {
        WmiCimTypeToFieldType(0, VARIANT_FALSE, type, size);
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.Message(), "Unsupported CIM data type: 0");
        EXPECT_EQ(e.ErrorCode, 0);
    }
    EXPECT_THROW(WmiCimTypeToFieldType(104, VARIANT_FALSE, type, size), TWmiException);
}

}  // namespace
}  // namespace veskin

namespace veskin {
namespace {

class TestProperty : public ISWbemProperty {
public:
    HRESULT get_Value(Variant& value) override {
        value = Value;
        return ReadResult;
    }
    HRESULT put_Value(const Variant& value) override {
        if (Failed(WriteResult)) return WriteResult;
        Value = value;
        return S_OK;
    }
    HRESULT get_Name(WideString& name) override {
        name = u"Size";
        return S_OK;
    }
    HRESULT get_IsLocal(VARIANT_BOOL& v) override {
        v = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT get_Origin(WideString& v) override {
        v.clear();
        return S_OK;
    }
    HRESULT get_CIMType(std::int32_t& v) override {
        v = wbemCimtypeUint32;
        return S_OK;
    }
    HRESULT get_Qualifiers_(ISWbemQualifierSetPtr& q) override {
        q.reset();
        return E_NOTIMPL;
    }
    HRESULT get_IsArray(VARIANT_BOOL& v) override {
        v = VARIANT_FALSE;
        return S_OK;
    }
    Variant Value = Variant(std::int32_t(5));
    HRESULT ReadResult = S_OK;
    HRESULT WriteResult = S_OK;
};

class TestPropertySet : public ISWbemPropertySet {
public:
    HRESULT get__NewEnum(IInterfacePtr& e) override {
        e.reset();
        return E_NOTIMPL;
    }
    HRESULT Item(const WideString& name, std::int32_t flags, ISWbemPropertyPtr& property) override {
        Flags = flags;
        property.reset();
        if (name != u"Size") return WBEM_E_NOT_FOUND;
        property = Property;
        return S_OK;
    }
    HRESULT get_Count(std::int32_t& c) override {
        c = 1;
        return S_OK;
    }
    std::shared_ptr<TestProperty> Property = std::make_shared<TestProperty>();
    std::int32_t Flags = -1;
};

class TestObject : public ISWbemObject {
public:
    HRESULT get_Properties_(ISWbemPropertySetPtr& p) override {
        p = Failed(PropertiesResult) ? nullptr : Properties;
        return PropertiesResult;
    }
    HRESULT get_Path_(ISWbemObjectPathPtr& p) override {
        p.reset();
        return E_NOTIMPL;
    }
    HRESULT Put_(std::int32_t, const ISWbemNamedValueSetPtr&, ISWbemObjectPathPtr& p) override {
        p.reset();
        return E_NOTIMPL;
    }
    HRESULT Delete_(std::int32_t, const ISWbemNamedValueSetPtr&) override { return E_NOTIMPL; }
    HRESULT GetObjectText_(std::int32_t flags, WideString& text) override {
        TextFlags = flags;
        text = u"instance of Test\n{\n\tSize = 5;\n};\n";
        return TextResult;
    }
    std::shared_ptr<TestPropertySet> Properties = std::make_shared<TestPropertySet>();
    HRESULT PropertiesResult = S_OK;
    HRESULT TextResult = S_OK;
    std::int32_t TextFlags = -1;
};

std::int32_t CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const TWmiException& e) {
        return e.ErrorCode;
    }
    return 0;
}

TEST(WmiVariantToText, WmiObjectsShowTheirObjectText) {
    auto object = std::make_shared<TestObject>();
    EXPECT_EQ(WmiVariantToText(Variant::FromDispatch(object)), "instance of Test\n{\n\tSize = 5;\n};\n");
    EXPECT_EQ(object->TextFlags, 0);
    // Inside an array too.
    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({Variant::FromDispatch(object)})).substr(0, 17), "{instance of Test");
    object->TextResult = WBEM_E_FAILED;
    EXPECT_EQ(CodeOf([&] { WmiVariantToText(Variant::FromDispatch(object)); }), WBEM_E_FAILED);
}

TEST(WmiProperties, ReadAndAssignThroughTheCheck) {
    auto object = std::make_shared<TestObject>();
    EXPECT_EQ(WmiGetProperty(object, u"Size"), object->Properties->Property);
    EXPECT_EQ(object->Properties->Flags, 0);
    EXPECT_EQ(WmiGetPropertyValue(object->Properties, u"Size").AsInteger(), 5);

    WmiSetPropertyValue(object, u"Size", Variant(std::int32_t(9)));
    EXPECT_EQ(object->Properties->Property->Value.AsInteger(), 9);

    EXPECT_EQ(CodeOf([&] { WmiGetProperty(object, u"Missing"); }), WBEM_E_NOT_FOUND);
    EXPECT_EQ(CodeOf([&] { WmiGetPropertyValue(object->Properties, u"Missing"); }), WBEM_E_NOT_FOUND);
    EXPECT_EQ(CodeOf([&] { WmiSetPropertyValue(object, u"Missing", Variant(std::int32_t(1))); }), WBEM_E_NOT_FOUND);

    object->Properties->Property->WriteResult = WBEM_E_TYPE_MISMATCH;
    EXPECT_EQ(CodeOf([&] { WmiSetPropertyValue(object, u"Size", Variant(u"x")); }), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(object->Properties->Property->Value.AsInteger(), 9);  // nothing assigned

    object->Properties->Property->ReadResult = WBEM_E_ACCESS_DENIED;
    EXPECT_EQ(CodeOf([&] { WmiGetPropertyValue(object->Properties, u"Size"); }), WBEM_E_ACCESS_DENIED);
    object->PropertiesResult = WBEM_E_FAILED;
    EXPECT_EQ(CodeOf([&] { WmiGetProperty(object, u"Size"); }), WBEM_E_FAILED);

    // Missing objects are reported, not used.
    EXPECT_EQ(CodeOf([] { WmiGetProperty(nullptr, u"Size"); }), E_POINTER);
    EXPECT_EQ(CodeOf([] { WmiGetPropertyValue(nullptr, u"Size"); }), E_POINTER);
}

}  // namespace
}  // namespace veskin
