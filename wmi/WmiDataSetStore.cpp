#include "wmi/WmiDataSetStore.h"

#include <algorithm>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "rtl/Interface.h"
#include "rtl/TextFold.h"
#include "wmi/WmiErr.h"

namespace veskin {

// ---- TWmiValueCache ----

int TWmiValueCache::CompareNames(const std::string& a, const std::string& b) { return CompareText(a, b); }

std::size_t TWmiValueCache::LowerBound(const std::string& name) const {
    // Fields are mostly read in the order of their names: a name after the last one
    // needs one comparison, not a bisection.
    if (FItems.empty() || CompareNames(FItems.back().first, name) < 0) return FItems.size();
    std::size_t lo = 0, hi = FItems.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (CompareNames(FItems[mid].first, name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

TVariantHolder* TWmiValueCache::Find(const std::string& name) const {
    const std::size_t i = LowerBound(name);
    if (i < FItems.size() && CompareNames(FItems[i].first, name) == 0) return FItems[i].second.get();
    return nullptr;
}

std::unique_ptr<TVariantHolder> TWmiValueCache::NewHolder(Variant&& value) {
    if (FSpare.empty()) return std::make_unique<TVariantHolder>(std::move(value));
    std::unique_ptr<TVariantHolder> holder = std::move(FSpare.back());
    FSpare.pop_back();
    holder->Value = std::move(value);
    return holder;
}

void TWmiValueCache::Clear() {
    // A record's object is replaced for every row of a walk: keeping the holders saves
    // an allocation and a release per value. Their values are released now.
    for (auto& item : FItems) {
        item.second->Value = Variant::Null();
        FSpare.push_back(std::move(item.second));
    }
    FItems.clear();
}

TVariantHolder* TWmiValueCache::Add(const std::string& name, const Variant& value) {
    const std::size_t i = LowerBound(name);
    auto holder = NewHolder(Variant(value));
    TVariantHolder* result = holder.get();
    if (i < FItems.size() && CompareNames(FItems[i].first, name) == 0)
        FItems[i].second = std::move(holder);
    else
        FItems.emplace(FItems.begin() + static_cast<std::ptrdiff_t>(i), name, std::move(holder));
    return result;
}

// ---- TInterfaceHolder ----

TInterfaceHolder::TInterfaceHolder(ISWbemObjectPtr object, std::int32_t position)
    : WmiObject(std::move(object)), Position(position) {}

TInterfaceHolder::~TInterfaceHolder() {
    ClearCache();
    WmiObject.reset();
}

void TInterfaceHolder::SetObject(ISWbemObjectPtr object) {
    WmiObject = std::move(object);
    ClearCache();
}

void TInterfaceHolder::ClearCache() {
    PropertySet.reset();
    ValueCache.Clear();
}

// ---- TWmiDataBuffer ----

TWmiDataBuffer::TWmiDataBuffer(IEnumVARIANTPtr enumerator) : FEnumerator(std::move(enumerator)) {
    MoveNext();
    FAtStart = true;
    FCurrentIndex = 0;
    if (FCurrent) {
        FAtEnd = false;
        FHoldNext = true;  // the framework's first "next" yields this object
    }
}

TWmiDataBuffer::~TWmiDataBuffer() {
    FCurrent = nullptr;
    FHolders.clear();
    FEnumerator.reset();
}

void TWmiDataBuffer::CheckHeld(std::int32_t index) const {
    if (index < FReleased) DatabaseError(SDataSetUnidirectional);
}

void TWmiDataBuffer::StandOn(std::int32_t index) {
    CheckHeld(index);
    FCurrentIndex = index;
    FCurrent = FHolders[static_cast<std::size_t>(index)].get();
    if (FForwardOnly)
        for (; FReleased < index; ++FReleased) FHolders[static_cast<std::size_t>(FReleased)].reset();
}

void TWmiDataBuffer::StandEmpty() {
    FCurrent = nullptr;
    FCurrentIndex = 0;
    FAtStart = true;
    FAtEnd = true;
}

bool TWmiDataBuffer::FetchOne() {
    Variant element;
    std::uint32_t fetched = 0;
    WmiCheck(FEnumerator->Next(1, &element, &fetched));
    if (fetched != 1) {
        FExhausted = true;
        return false;
    }
    auto holder = std::make_unique<TInterfaceHolder>(nullptr, FetchedCount());
    holder->SetObject(IntfCast<ISWbemObject>(element.AsInterface()));
    element = Variant();
    FHolders.push_back(std::move(holder));
    return true;
}

void TWmiDataBuffer::FetchThrough(std::int32_t index) {
    while (!FExhausted && FetchedCount() <= index) FetchOne();
}

void TWmiDataBuffer::MoveNext() {
    if (FHoldNext) {
        FHoldNext = false;
        return;
    }
    if (FCurrentIndex < FetchedCount() - 1) {
        StandOn(FCurrentIndex + 1);
        return;
    }
    if (FetchOne()) {
        StandOn(FetchedCount() - 1);
        FAtStart = false;
    } else {
        FCurrent = nullptr;
        FAtEnd = true;
    }
}

void TWmiDataBuffer::MovePrior() {
    if (FHoldPrior) {
        FHoldPrior = false;
        return;
    }
    if (FCurrentIndex > 0) {
        StandOn(FCurrentIndex - 1);
    } else {
        FCurrent = nullptr;
        FAtStart = true;
        FCurrentIndex = 0;
    }
}

void TWmiDataBuffer::MoveTo(std::int32_t index) {
    // A negative index (a record number below 1) stands on the first object.
    if (index < 0) index = 0;
    CheckHeld(index);
    // Fetching stops only when the enumerator is exhausted: FAtEnd alone can be set by
    // DeleteAt while further objects are still to come.
    FetchThrough(index);
    // The cursor ends on an object, not before or after one: a hold left by an
    // earlier MoveFirst or MoveLast would make the following move repeat a record.
    FHoldNext = false;
    FHoldPrior = false;
    if (FetchedCount() == 0) {
        StandEmpty();
        return;
    }
    if (index < FetchedCount()) {
        StandOn(index);
        FAtEnd = FExhausted && index == FetchedCount() - 1;
    } else {
        StandOn(FetchedCount() - 1);
        FAtEnd = true;
    }
    FAtStart = index == 0;
}

void TWmiDataBuffer::MoveFirst() {
    // With every fetched object deleted, fetch the next one that may still come.
    if (FetchedCount() > 0 || !FExhausted) MoveTo(0);
    FAtStart = true;
    FHoldNext = true;
}

void TWmiDataBuffer::MoveLast() {
    FetchAll();
    FHoldNext = false;
    if (FetchedCount() == 0) {
        // Nothing to stand on: the following "prior" finds the end of an empty result.
        StandEmpty();
        FHoldPrior = false;
        return;
    }
    StandOn(FetchedCount() - 1);
    FAtEnd = true;
    FHoldPrior = true;
}

std::int32_t TWmiDataBuffer::TotalCount() {
    FetchAll();
    return FetchedCount();
}

void TWmiDataBuffer::DeleteAt(std::int32_t index) {
    if (index < 0 || index >= FetchedCount()) return;
    CheckHeld(index);
    FHolders[static_cast<std::size_t>(index)]->SetObject(nullptr);
    FHolders.erase(FHolders.begin() + index);
    if (FCurrentIndex >= FetchedCount()) --FCurrentIndex;
    if (FHolders.empty()) {
        StandEmpty();
    } else if (FCurrentIndex <= 0) {
        FAtStart = true;
        StandOn(0);
    } else if (FCurrentIndex == FetchedCount() - 1) {
        FAtEnd = true;
        StandOn(FCurrentIndex);
    } else {
        StandOn(FCurrentIndex);
    }
    for (std::int32_t i = index; i < FetchedCount(); ++i) FHolders[static_cast<std::size_t>(i)]->Position = i;
}

}  // namespace veskin
