#pragma once
// The record store of the WMI record set: one holder per WMI object read from the
// query's forward-only enumerator, fetched lazily and kept so that the cursor can move
// backwards, keep bookmarks and count.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/WbemScripting.h"
#include "recordset/DataSet.h"
#include "rtl/Variant.h"

namespace veskin {

// One cached property value; owns a copy of the value it was created with.
class TVariantHolder {
public:
    explicit TVariantHolder(const Variant& value) : Value(value) {}
    explicit TVariantHolder(Variant&& value) : Value(std::move(value)) {}
    Variant Value;
};

// Property values already read for one record: property names (8-bit) kept sorted,
// compared without regard to letter case, looked up by bisection.
class TWmiValueCache {
public:
    // The holder cached under name, or null.
    TVariantHolder* Find(const std::string& name) const;
    // Stores a copy of value under name (replacing an entry of the same name).
    TVariantHolder* Add(const std::string& name, const Variant& value);
    // Empties the cache; the holders are kept, emptied, for the next object's values.
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& Name(int index) const { return FItems.at(static_cast<std::size_t>(index)).first; }

    // Case-insensitive ordering of two names: <0, 0 or >0.
    static int CompareNames(const std::string& a, const std::string& b);

private:
    // Index of the first entry not ordered before name.
    std::size_t LowerBound(const std::string& name) const;
    // A holder with value: a spare one when there is one, else a new one.
    std::unique_ptr<TVariantHolder> NewHolder(Variant&& value);
    std::vector<std::pair<std::string, std::unique_ptr<TVariantHolder>>> FItems;
    std::vector<std::unique_ptr<TVariantHolder>> FSpare;
};

// One WMI object with its position in the store and its value cache. The store keeps
// one per fetched object; every record buffer of the record set is one as well.
class TInterfaceHolder : public TRecordBuffer {
public:
    explicit TInterfaceHolder(ISWbemObjectPtr object = nullptr, std::int32_t position = 0);
    ~TInterfaceHolder() override;
    TInterfaceHolder(const TInterfaceHolder&) = delete;
    TInterfaceHolder& operator=(const TInterfaceHolder&) = delete;

    // Replaces the object and empties the caches.
    void SetObject(ISWbemObjectPtr object);
    // Drops the property set and every cached value.
    void ClearCache();

    ISWbemObjectPtr WmiObject;
    ISWbemPropertySetPtr PropertySet;
    std::int32_t Position = 0;
    TWmiValueCache ValueCache;
};

// The cursor over the fetched objects. Its state changes only through the moves below,
// which keep these invariants:
// - Holder(i)->Position == i for every fetched holder;
// - Current() is null or the holder at CurrentIndex();
// - Exhausted() never returns to false once the enumerator has reported the end;
// - at most one of HoldNext() and HoldPrior() is set; HoldNext() stands before
//   Current(), HoldPrior() after it;
// - with Current() null the store stands before the first object (AtStart()) or after
//   the last (AtEnd()), or both when nothing was fetched.
class TWmiDataBuffer {
public:
    // Keeps the enumerator and fetches the first object.
    explicit TWmiDataBuffer(IEnumVARIANTPtr enumerator);
    ~TWmiDataBuffer();
    TWmiDataBuffer(const TWmiDataBuffer&) = delete;
    TWmiDataBuffer& operator=(const TWmiDataBuffer&) = delete;

    // In a forward-only walk the store releases each object once the cursor has moved
    // past it, so that memory does not grow with the result; standing on a released
    // object again fails with the error of a unidirectional data set.
    void SetForwardOnly(bool value) { FForwardOnly = value; }
    // Whether the first object is still held, so that MoveFirst can stand on it.
    bool Rewindable() const { return FReleased == 0; }

    void MoveNext();
    void MovePrior();
    void MoveTo(std::int32_t index);
    void MoveFirst();
    void MoveLast();
    std::int32_t FetchedCount() const { return static_cast<std::int32_t>(FHolders.size()); }
    std::int32_t TotalCount();
    void DeleteAt(std::int32_t index);
    ISWbemObjectPtr CurrentObject() const { return FCurrent ? FCurrent->WmiObject : nullptr; }

    TInterfaceHolder* Holder(std::int32_t index) const {
        CheckHeld(index);
        return FHolders.at(static_cast<std::size_t>(index)).get();
    }

    // The holder the store stands on; null before the first or after the last object.
    TInterfaceHolder* Current() const { return FCurrent; }
    // Index of the position the store stands on.
    std::int32_t CurrentIndex() const { return FCurrentIndex; }
    // On or after the last object, with nothing more to follow.
    bool AtEnd() const { return FAtEnd; }
    // On or before the first object.
    bool AtStart() const { return FAtStart; }
    // The enumerator has reported that no further object follows.
    bool Exhausted() const { return FExhausted; }
    // The next MoveNext only clears this and stays (the cursor is before Current()).
    bool HoldNext() const { return FHoldNext; }
    // The next MovePrior only clears this and stays (the cursor is after Current()).
    bool HoldPrior() const { return FHoldPrior; }

private:
    // Fetching appends holders without moving the cursor, so that a failing fetch
    // leaves the store standing where the record set believes it stands.
    // One object from the enumerator; false (and Exhausted) at the end of the result.
    bool FetchOne();
    // Fetches until the object at index is held or the result is exhausted.
    void FetchThrough(std::int32_t index);
    void FetchAll() { FetchThrough(INT32_MAX); }
    // Stands on the holder at index (which must exist); in a forward-only walk,
    // releases the holders before it.
    void StandOn(std::int32_t index);
    // Fails for an index whose holder a forward-only walk has released.
    void CheckHeld(std::int32_t index) const;
    // No holder to stand on: before the first and after the last at once.
    void StandEmpty();

    IEnumVARIANTPtr FEnumerator;
    TInterfaceHolder* FCurrent = nullptr;
    bool FAtEnd = false;
    bool FAtStart = false;
    bool FExhausted = false;
    bool FHoldNext = false;
    bool FHoldPrior = false;
    bool FForwardOnly = false;
    std::int32_t FReleased = 0;  // the holders below this index are released
    std::vector<std::unique_ptr<TInterfaceHolder>> FHolders;
    std::int32_t FCurrentIndex = 0;
};

}  // namespace veskin
