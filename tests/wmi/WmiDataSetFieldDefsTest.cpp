// Field definitions built from the properties of one WMI object: the CIM type
// mapping, sizes, array flags, qualifier attributes and the failure cases.
#include <gtest/gtest.h>

#include <string>

#include "platform/WbemClass.h"
#include "platform/WbemObject.h"
#include "recordset/Field.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiDataSetFields.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

ISWbemObjectPtr ObjectOf(std::vector<WbemPropertyDef> properties) {
    return WbemObject::NewInstance(WbemClass::Make(u"Test_Class", std::move(properties)));
}

const TWmiFieldDef& DefAt(const TFieldDefs& defs, int i) {
    auto* def = dynamic_cast<TWmiFieldDef*>(defs.Items(i));
    EXPECT_NE(def, nullptr);
    return *def;
}

TEST(WmiFieldDefs, EveryCimTypeMapsToItsFieldTypeAndSize) {
    struct Row {
        const char16_t* Name;
        std::int32_t CimType;
        bool IsArray;
        TFieldType Type;
        int Size;
    };
    // Names sort in this order, which is the order the object enumerates them in.
    const Row rows[] = {
        {u"A01", wbemCimtypeSint16, false, ftSmallint, 0},
        {u"A02", wbemCimtypeSint32, false, ftInteger, 0},
        {u"A03", wbemCimtypeReal32, false, ftFloat, 0},
        {u"A04", wbemCimtypeReal64, false, ftFloat, 0},
        {u"A05", wbemCimtypeString, false, ftWideString, 65535},
        {u"A06", wbemCimtypeBoolean, false, ftBoolean, 0},
        {u"A07", wbemCimtypeObject, false, ftInterface, 0},
        {u"A08", wbemCimtypeSint8, false, ftSmallint, 0},
        {u"A09", wbemCimtypeUint8, false, ftWord, 0},
        {u"A10", wbemCimtypeUint16, false, ftWord, 0},
        {u"A11", wbemCimtypeUint32, false, ftLargeint, 0},
        {u"A12", wbemCimtypeSint64, false, ftLargeint, 0},
        {u"A13", wbemCimtypeUint64, false, ftLargeint, 0},
        {u"A14", wbemCimtypeDatetime, false, ftDateTime, 0},
        {u"A15", wbemCimtypeReference, false, ftVariant, 0},
        {u"A16", wbemCimtypeChar16, false, ftWideString, 2},
        {u"A17", wbemCimtypeString, true, ftVariant, 0},
        {u"A18", wbemCimtypeDatetime, true, ftVariant, 0},
        {u"A19", 0, true, ftVariant, 0},  // an array of a type outside the table
    };
    std::vector<WbemPropertyDef> props;
    for (const Row& r : rows) props.push_back(PropertyDef(r.Name, r.CimType, r.IsArray));
    TWmiQuery query;
    TFieldDefs& defs = query.FieldDefs();
    query.BuildFieldDefs(defs, ObjectOf(props), false);
    ASSERT_EQ(defs.Count(), static_cast<int>(std::size(rows)));
    for (int i = 0; i < defs.Count(); ++i) {
        const Row& r = rows[i];
        const TWmiFieldDef& def = DefAt(defs, i);
        SCOPED_TRACE(WideToAnsi(r.Name));
        EXPECT_EQ(def.Name(), WideString(r.Name));
        EXPECT_EQ(def.DataType(), r.Type);
        EXPECT_EQ(def.Size(), r.Size);
        EXPECT_EQ(def.IsArray(), r.IsArray);
        EXPECT_EQ(def.FieldNo(), i + 1);
        EXPECT_TRUE(def.Attributes().empty());
    }
}

TEST(WmiFieldDefs, UnsupportedTypeFailsAndKeepsTheDefinitionsBeforeIt) {
    TWmiQuery query;
    TFieldDefs& defs = query.FieldDefs();
    defs.Add(u"Stale", ftInteger);
    const auto obj = ObjectOf({PropertyDef(u"Alpha", wbemCimtypeString), PropertyDef(u"Beta", 0),
                               PropertyDef(u"Gamma", wbemCimtypeSint32)});
    try {
        query.BuildFieldDefs(defs, obj, false);
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_STREQ(e.what(), "Unsupported CIM data type: 0");
        EXPECT_EQ(e.ErrorCode, 0);
    }
    ASSERT_EQ(defs.Count(), 1);
    EXPECT_EQ(defs.Items(0)->Name(), u"Alpha");
}

TEST(WmiFieldDefs, QualifiersInAnyLetterCaseGiveRequiredAndReadOnly) {
    const auto obj = ObjectOf({
        PropertyDef(u"P1", wbemCimtypeString, false, {{u"key", Variant(true)}}),
        PropertyDef(u"P2", wbemCimtypeString, false, {{u"KEY", Variant(false)}}),
        PropertyDef(u"P3", wbemCimtypeString, false, {{u"ReadOnly", Variant(true)}, {u"Key", Variant(true)}}),
        PropertyDef(u"P4", wbemCimtypeString, false, {{u"readonly", Variant(false)}, {u"Description", Variant("x")}}),
        PropertyDef(u"P5", wbemCimtypeSint32, false, {{u"READONLY", Variant(1)}}),
    });
    TWmiQuery query;
    TFieldDefs& defs = query.FieldDefs();
    query.BuildFieldDefs(defs, obj, false);
    ASSERT_EQ(defs.Count(), 5);
    EXPECT_EQ(defs.Items(0)->Attributes(), (TFieldAttributes{faRequired}));
    EXPECT_TRUE(defs.Items(1)->Attributes().empty());
    EXPECT_EQ(defs.Items(2)->Attributes(), (TFieldAttributes{faRequired, faReadonly}));
    EXPECT_TRUE(defs.Items(3)->Attributes().empty());
    EXPECT_EQ(defs.Items(4)->Attributes(), (TFieldAttributes{faReadonly}));
}

TEST(WmiFieldDefs, NilObjectNoPropertiesAndIrregularView) {
    TWmiQuery query;
    TFieldDefs& defs = query.FieldDefs();
    defs.Add(u"Stale", ftInteger);
    query.BuildFieldDefs(defs, nullptr, true);
    EXPECT_EQ(defs.Count(), 0);

    query.BuildFieldDefs(defs, ObjectOf({}), false);
    EXPECT_EQ(defs.Count(), 0);

    query.BuildFieldDefs(defs, ObjectOf({PropertyDef(u"A", 0), PropertyDef(u"B", wbemCimtypeString)}), true);
    ASSERT_EQ(defs.Count(), 1);
    const TWmiFieldDef& def = DefAt(defs, 0);
    EXPECT_EQ(def.Name(), u"Object");
    EXPECT_EQ(def.DataType(), ftVariant);
    EXPECT_EQ(def.Size(), 0);
    EXPECT_EQ(def.FieldNo(), 1);
    EXPECT_FALSE(def.IsArray());
    EXPECT_TRUE(def.Attributes().empty());
}

TEST(WmiFieldDefs, FieldClassesPerType) {
    EXPECT_EQ(WmiFieldClassFor(ftWideString)()->ClassName(), "TWmiWideStringField");
    EXPECT_EQ(WmiFieldClassFor(ftVariant)()->ClassName(), "TWmiVariantField");
    EXPECT_EQ(WmiFieldClassFor(ftLargeint)()->ClassName(), "TWmiLargeintField");
    EXPECT_EQ(WmiFieldClassFor(ftInteger), nullptr);
    TWmiWideStringField text;
    text.SetSize(65535);
    EXPECT_EQ(text.DataSize(), 65537);
    text.SetSize(2);
    EXPECT_EQ(text.DataSize(), 4);
}

}  // namespace
}  // namespace veskin
