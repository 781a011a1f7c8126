#include <gtest/gtest.h>

#include "platform/VariantEnumerator.h"
#include "platform/WbemRepository.h"

namespace veskin {
namespace {

TEST(VariantEnumeratorTest, NextDeliversUpToCountAndReportsTheEnd) {
    auto en = VariantEnumerator::OverList({Variant(std::int32_t{1}), Variant(std::int32_t{2}),
                                           Variant(std::int32_t{3})});
    Variant v[2];
    std::uint32_t got = 9;
    EXPECT_EQ(en->Next(2, v, &got), S_OK);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(en->Next(2, v, &got), S_FALSE);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(v[0].RawInt(), 3);
    EXPECT_EQ(en->Next(1, v, nullptr), S_FALSE);
    EXPECT_EQ(en->Next(2, v, nullptr), E_POINTER);  // several need a place for the count
    EXPECT_EQ(en->Reset(), S_OK);
    EXPECT_EQ(en->Skip(2), S_OK);
    EXPECT_EQ(en->Next(1, v, &got), S_OK);
    EXPECT_EQ(v[0].RawInt(), 3);
    EXPECT_EQ(en->Skip(1), S_FALSE);
}

TEST(VariantEnumeratorTest, AFailingProducerReportsWhatWasDeliveredBeforeIt) {
    VariantEnumerator en([]() -> VariantProducer {
        auto n = std::make_shared<int>(0);
        return [n](Variant& out) -> HRESULT {
            if (++*n == 2) return WBEM_E_FAILED;
            out = Variant(std::int32_t{*n});
            return S_OK;
        };
    });
    Variant v[3];
    std::uint32_t got = 0;
    EXPECT_EQ(en.Next(3, v, &got), WBEM_E_FAILED);
    EXPECT_EQ(got, 1u);
    // The producer goes on after a failure: the next element is the third.
    EXPECT_EQ(en.Next(1, v, &got), S_OK);
    EXPECT_EQ(v[0].RawInt(), 3);
}

TEST(StoredInstanceSourceTest, AnEnumerationOutlivesTheRepository) {
    WbemObjectProducer producer;
    {
        auto repo = std::make_shared<WbemRepository>(u"H");
        auto cls = WbemClass::Make(u"C", {PropertyDef(u"K", wbemCimtypeString, false, {KeyQualifier()})});
        auto store = repo->AddNamespace(u"root")->AddStoredClass(cls);
        auto obj = WbemObject::NewInstance(cls);
        obj->SetValue(u"K", Variant(W("a")));
        ASSERT_EQ(store->Add(*obj), S_OK);
        obj->SetValue(u"K", Variant(W("A")));  // same key in other letter case: replaces
        ASSERT_EQ(store->Add(*obj), S_OK);
        EXPECT_EQ(store->Count(), 1u);
        producer = store->Enumerate();
    }
    WbemObjectPtr out;
    ASSERT_EQ(producer(out), S_OK);
    EXPECT_EQ(out->GetValue(u"K").RawOleStr(), u"A");
    EXPECT_EQ(producer(out), S_FALSE);
}

}  // namespace
}  // namespace veskin
