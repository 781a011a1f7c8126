// The record store over a WMI enumerator: lazy fetching, moves, counting, deleting,
// the cases with nothing to stand on, and the per-record value cache.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/WbemClass.h"
#include "platform/WbemObject.h"
#include "platform/WbemObjectSet.h"
#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "wmi/WmiDataSetStore.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

// An object set of n objects whose producer counts how often it is asked and can fail
// its k-th call.
struct CountingSet {
    explicit CountingSet(int count, int failAt = 0) {
        auto cls = WbemClass::Make(u"T", {PropertyDef(u"N", wbemCimtypeSint32)});
        for (int i = 0; i < count; ++i) {
            auto obj = WbemObject::NewInstance(cls);
            obj->SetValue(u"N", Variant(i));
            Objects.push_back(obj);
        }
        auto self = this;
        Set = std::make_shared<WbemObjectSet>([self, failAt]() {
            auto next = std::make_shared<std::size_t>(0);
            return [self, next, failAt](WbemObjectPtr& out) -> HRESULT {
                ++self->Calls;
                if (failAt != 0 && self->Calls == failAt) return WBEM_E_FAILED;
                if (*next >= self->Objects.size()) return S_FALSE;
                out = self->Objects[(*next)++];
                return S_OK;
            };
        });
    }
    IEnumVARIANTPtr Enumerator() const {
        IInterfacePtr unknown;
        EXPECT_EQ(Set->get__NewEnum(unknown), S_OK);
        return IntfCast<IEnumVARIANT>(unknown);
    }
    // Which of the objects the store's holder holds (-1 for none).
    int IndexOf(const ISWbemObjectPtr& obj) const {
        for (std::size_t i = 0; i < Objects.size(); ++i)
            if (std::static_pointer_cast<ISWbemObject>(Objects[i]) == obj) return static_cast<int>(i);
        return -1;
    }
    std::vector<WbemObjectPtr> Objects;
    std::shared_ptr<WbemObjectSet> Set;
    int Calls = 0;
};

TEST(WmiDataBuffer, AForwardOnlyWalkReleasesPassedObjectsAndRefusesEveryWayBack) {
    CountingSet set(4);
    TWmiDataBuffer store(set.Enumerator());
    store.SetForwardOnly(true);
    for (int i = 0; i < 3; ++i) store.MoveNext();  // the first move yields the held object
    ASSERT_EQ(store.CurrentIndex(), 2);
    // The set holds one reference of its own; the store, one to each object it holds.
    EXPECT_EQ(set.Objects[0].use_count(), 1) << "passed: released";
    EXPECT_EQ(set.Objects[1].use_count(), 1) << "passed: released";
    EXPECT_EQ(set.Objects[2].use_count(), 2) << "the current object is held";
    EXPECT_FALSE(store.Rewindable());

    const std::vector<std::function<void()>> waysBack = {
        [&] { store.MovePrior(); }, [&] { store.MoveFirst(); }, [&] { store.MoveTo(1); },
        [&] { store.DeleteAt(0); }, [&] { store.Holder(1); }};
    for (const auto& back : waysBack) {
        try {
            back();
            ADD_FAILURE() << "a way back did not fail";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), SDataSetUnidirectional);
        }
        EXPECT_EQ(store.CurrentIndex(), 2) << "a refused move leaves the cursor";
        EXPECT_EQ(set.IndexOf(store.CurrentObject()), 2);
    }

    store.MoveNext();
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 3);
    EXPECT_EQ(set.Objects[2].use_count(), 1);
    store.MoveNext();
    EXPECT_TRUE(store.AtEnd());
    EXPECT_EQ(store.TotalCount(), 4);
}

TEST(WmiDataBuffer, ThreeObjectWalkStartsHeldAndEndsOnTheFourthMove) {
    CountingSet set(3);
    TWmiDataBuffer store(set.Enumerator());
    EXPECT_EQ(set.Calls, 1);  // only the first object at creation
    EXPECT_TRUE(store.HoldNext());
    EXPECT_TRUE(store.AtStart());
    EXPECT_FALSE(store.AtEnd());
    ASSERT_NE(store.Current(), nullptr);

    for (int i = 0; i < 3; ++i) {
        store.MoveNext();
        ASSERT_NE(store.Current(), nullptr) << i;
        EXPECT_EQ(set.IndexOf(store.CurrentObject()), i);
        EXPECT_EQ(store.CurrentIndex(), i);
        EXPECT_EQ(store.Current()->Position, i);
    }
    EXPECT_EQ(set.Calls, 3);
    EXPECT_FALSE(store.Exhausted());
    store.MoveNext();
    EXPECT_EQ(store.Current(), nullptr);
    EXPECT_TRUE(store.AtEnd());
    EXPECT_TRUE(store.Exhausted());
    EXPECT_EQ(store.CurrentIndex(), 2);  // still designates the last holder
    EXPECT_EQ(store.FetchedCount(), 3);

    // Moving back within the holders asks the enumerator nothing; from the end the
    // index still designates the last holder, so the first step lands before it.
    const int calls = set.Calls;
    store.MovePrior();
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 1);
    store.MovePrior();
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 0);
    store.MovePrior();  // off the first holder
    EXPECT_EQ(store.Current(), nullptr);
    EXPECT_TRUE(store.AtStart());
    EXPECT_EQ(store.CurrentIndex(), 0);
    EXPECT_EQ(set.Calls, calls);
}

TEST(WmiDataBuffer, EmptyResultAndTheMovesWithNothingToStandOn) {
    CountingSet set(0);
    TWmiDataBuffer store(set.Enumerator());
    EXPECT_EQ(store.FetchedCount(), 0);
    EXPECT_EQ(store.Current(), nullptr);
    EXPECT_TRUE(store.AtEnd());
    EXPECT_TRUE(store.Exhausted());
    EXPECT_FALSE(store.HoldNext());

    store.MoveLast();
    EXPECT_EQ(store.Current(), nullptr);
    EXPECT_FALSE(store.HoldPrior());
    store.MovePrior();
    EXPECT_EQ(store.Current(), nullptr);
    for (int index : {0, 5, -1}) {
        store.MoveTo(index);
        EXPECT_EQ(store.Current(), nullptr) << index;
        EXPECT_EQ(store.CurrentIndex(), 0) << index;
        EXPECT_TRUE(store.AtEnd()) << index;
    }
    store.MoveFirst();
    store.MoveNext();
    EXPECT_EQ(store.Current(), nullptr);
    EXPECT_EQ(store.TotalCount(), 0);
    store.DeleteAt(0);
    store.DeleteAt(-1);
    EXPECT_EQ(store.FetchedCount(), 0);
}

TEST(WmiDataBuffer, MoveToFetchesOnlyAsFarAsNeededAndStopsOnTheLast) {
    CountingSet set(5);
    TWmiDataBuffer store(set.Enumerator());
    store.MoveTo(2);
    EXPECT_EQ(set.Calls, 3);
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 2);
    EXPECT_FALSE(store.AtEnd());
    EXPECT_FALSE(store.AtStart());

    store.MoveTo(-3);  // a record number below 1 stands on the first object
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 0);
    EXPECT_TRUE(store.AtStart());

    store.MoveTo(17);
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 4);
    EXPECT_EQ(store.CurrentIndex(), 4);
    EXPECT_TRUE(store.AtEnd());
    EXPECT_TRUE(store.Exhausted());

    store.MoveTo(4);  // the last of an exhausted result is at its end too
    EXPECT_TRUE(store.AtEnd());
    store.MoveTo(3);
    EXPECT_FALSE(store.AtEnd());
}

TEST(WmiDataBuffer, TotalCountFetchesTheRestAndKeepsThePosition) {
    CountingSet set(6);
    TWmiDataBuffer store(set.Enumerator());
    store.MoveNext();
    store.MoveNext();  // stands on object 1
    EXPECT_EQ(store.TotalCount(), 6);
    EXPECT_TRUE(store.Exhausted());
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 1);
    EXPECT_EQ(store.CurrentIndex(), 1);
    const int calls = set.Calls;
    EXPECT_EQ(store.TotalCount(), 6);
    EXPECT_EQ(set.Calls, calls);  // a plain count once exhausted
}

TEST(WmiDataBuffer, FirstAndLastHoldTheCursorForTheFollowingMove) {
    CountingSet set(4);
    TWmiDataBuffer store(set.Enumerator());
    store.MoveNext();
    store.MoveLast();
    EXPECT_TRUE(store.HoldPrior());
    EXPECT_TRUE(store.AtEnd());
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 3);
    store.MovePrior();  // yields the last object without moving
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 3);
    store.MovePrior();
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 2);

    store.MoveFirst();
    EXPECT_TRUE(store.HoldNext());
    store.MoveNext();
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 0);
}

TEST(WmiDataBuffer, FailingNextRaisesAndKeepsWhatWasFetched) {
    CountingSet set(5, 3);
    TWmiDataBuffer store(set.Enumerator());
    store.MoveNext();
    store.MoveNext();
    ASSERT_EQ(set.IndexOf(store.CurrentObject()), 1);
    try {
        store.MoveNext();
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.ErrorCode, WBEM_E_FAILED);
    }
    EXPECT_EQ(store.FetchedCount(), 2);
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 1);
    EXPECT_FALSE(store.Exhausted());
    store.MoveNext();  // the enumerator answers again
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 2);
}

TEST(WmiDataBuffer, FailingFetchOfAFarMoveOrACountLeavesThePositionAndHolds) {
    // Creation fetches object 0; the third enumerator call fails once.
    CountingSet moveSet(5, 3);
    TWmiDataBuffer moved(moveSet.Enumerator());
    EXPECT_THROW(moved.MoveTo(4), TWmiException);
    EXPECT_EQ(moved.FetchedCount(), 2);  // object 1 is kept
    EXPECT_TRUE(moved.HoldNext());       // still before the first object
    moved.MoveNext();
    EXPECT_EQ(moveSet.IndexOf(moved.CurrentObject()), 0);
    moved.MoveNext();
    EXPECT_EQ(moveSet.IndexOf(moved.CurrentObject()), 1);

    CountingSet countSet(5, 4);
    TWmiDataBuffer counted(countSet.Enumerator());
    counted.MoveNext();
    counted.MoveNext();  // on object 1, the last fetched
    EXPECT_THROW(counted.TotalCount(), TWmiException);
    EXPECT_EQ(counted.CurrentIndex(), 1);
    EXPECT_EQ(countSet.IndexOf(counted.CurrentObject()), 1);
    counted.MoveNext();
    EXPECT_EQ(countSet.IndexOf(counted.CurrentObject()), 2);

    CountingSet lastSet(5, 3);
    TWmiDataBuffer last(lastSet.Enumerator());
    last.MoveNext();
    EXPECT_THROW(last.MoveLast(), TWmiException);
    EXPECT_FALSE(last.HoldPrior());
    EXPECT_EQ(lastSet.IndexOf(last.CurrentObject()), 0);
    last.MoveNext();
    EXPECT_EQ(lastSet.IndexOf(last.CurrentObject()), 1);
}

TEST(WmiDataBuffer, FailureOfTheFirstFetchEscapesCreation) {
    CountingSet set(2, 1);
    EXPECT_THROW(TWmiDataBuffer store(set.Enumerator()), TWmiException);
}

// An enumerator whose element is no WMI object.
class PlainEnumerator : public IEnumVARIANT {
public:
    HRESULT Next(std::uint32_t, Variant* elements, std::uint32_t* fetched) override {
        elements[0] = Variant::FromUnknown(std::make_shared<IInterface>());
        *fetched = 1;
        return S_OK;
    }
    HRESULT Skip(std::uint32_t) override { return S_OK; }
    HRESULT Reset() override { return S_OK; }
};

TEST(WmiDataBuffer, AnElementThatIsNoWmiObjectFailsWithTheCastError) {
    try {
        TWmiDataBuffer store(std::make_shared<PlainEnumerator>());
        FAIL() << "no exception";
    } catch (const EIntfCastError& e) {
        EXPECT_STREQ(e.what(), "Interface not supported");
    }
}

TEST(WmiDataBuffer, DeleteAtRenumbersAndKeepsTheCursorInRange) {
    CountingSet set(5);
    TWmiDataBuffer store(set.Enumerator());
    store.MoveTo(4);
    store.MoveTo(2);
    store.DeleteAt(1);
    ASSERT_EQ(store.FetchedCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(store.Holder(i)->Position, i);
    EXPECT_EQ(set.IndexOf(store.Holder(1)->WmiObject), 2);
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 3);  // the same index now holds the next object

    store.MoveTo(3);
    store.DeleteAt(3);  // the current, last holder
    EXPECT_EQ(store.CurrentIndex(), 2);
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 3);
    EXPECT_TRUE(store.AtEnd());
    store.DeleteAt(9);  // beyond the holders: nothing
    EXPECT_EQ(store.FetchedCount(), 3);
}

TEST(WmiDataBuffer, DeletingTheOnlyObjectOfAnExhaustedResultLeavesItEmpty) {
    CountingSet set(1);
    TWmiDataBuffer store(set.Enumerator());
    store.TotalCount();
    store.DeleteAt(0);
    EXPECT_EQ(store.FetchedCount(), 0);
    EXPECT_EQ(store.Current(), nullptr);
    EXPECT_TRUE(store.AtStart());
    EXPECT_TRUE(store.AtEnd());
    EXPECT_EQ(store.CurrentIndex(), 0);
}

TEST(WmiDataBuffer, ObjectsNotYetFetchedStayReachableAfterADelete) {
    // Deleting the last fetched holder marks the store at its end although the
    // enumerator has more; later moves must still fetch them.
    CountingSet set(5);
    TWmiDataBuffer store(set.Enumerator());
    store.MoveTo(2);
    store.DeleteAt(2);
    EXPECT_TRUE(store.AtEnd());
    EXPECT_FALSE(store.Exhausted());
    store.MoveTo(2);
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 3);
    EXPECT_EQ(store.TotalCount(), 4);
    EXPECT_EQ(set.IndexOf(store.CurrentObject()), 3);

    CountingSet set2(3);
    TWmiDataBuffer store2(set2.Enumerator());
    store2.DeleteAt(0);  // every fetched object gone, two still to come
    store2.MoveFirst();
    store2.MoveNext();
    EXPECT_EQ(set2.IndexOf(store2.CurrentObject()), 1);
    store2.MoveLast();
    EXPECT_EQ(set2.IndexOf(store2.CurrentObject()), 2);
}

TEST(WmiValueCache, SortedCaseInsensitiveLookupAndClear) {
    TInterfaceHolder holder;
    for (const char* name : {"Name", "caption", "ZETA", "alpha", "Mid"}) holder.ValueCache.Add(name, Variant(name));
    ASSERT_EQ(holder.ValueCache.Count(), 5);
    for (int i = 1; i < holder.ValueCache.Count(); ++i)
        EXPECT_LT(TWmiValueCache::CompareNames(holder.ValueCache.Name(i - 1), holder.ValueCache.Name(i)), 0);
    ASSERT_NE(holder.ValueCache.Find("CAPTION"), nullptr);
    EXPECT_EQ(holder.ValueCache.Find("CAPTION")->Value.AsString(), "caption");
    EXPECT_EQ(holder.ValueCache.Find("zeta")->Value.AsString(), "ZETA");
    EXPECT_EQ(holder.ValueCache.Find("Nam"), nullptr);
    holder.ValueCache.Add("NAME", Variant(7));  // same key in other letter case replaces
    EXPECT_EQ(holder.ValueCache.Count(), 5);
    EXPECT_EQ(holder.ValueCache.Find("name")->Value.AsInteger(), 7);

    holder.PropertySet = nullptr;
    holder.SetObject(nullptr);
    EXPECT_EQ(holder.ValueCache.Count(), 0);
}

}  // namespace
}  // namespace veskin
