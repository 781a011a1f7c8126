#include "rtl/Component.h"

#include <algorithm>

#include "rtl/Exception.h"

namespace veskin {

// ---- TPersistent ----------------------------------------------------------------

void TPersistent::Assign(const TPersistent* source) {
    if (source != nullptr) {
        source->AssignTo(this);
        return;
    }
    throw EConvertAssignError("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* dest) const {
    const std::string destName = dest != nullptr ? dest->ClassName() : std::string("nil");
    throw EConvertAssignError("Cannot assign a " + ClassName() + " to a " + destName);
}

// ---- TComponent -----------------------------------------------------------------

namespace {

void EraseOne(std::vector<TComponent*>& list, TComponent* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) list.erase(it);
}

}  // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr) owner->InsertComponent(this);
}

void TComponent::Destroying() {
    std::vector<TComponent*> pending{this};
    while (!pending.empty()) {
        TComponent* c = pending.back();
        pending.pop_back();
        c->FState |= csDestroying;
        pending.insert(pending.end(), c->FComponents.begin(), c->FComponents.end());
    }
}

TComponent::~TComponent() {
    // Everything this one owns is going away too; handlers called from here can tell.
    Destroying();

    // Tell every free-notification partner. The link is broken first on both sides so
    // that a partner's handler cannot reach back into this component's list.
    while (!FFreeNotifies.empty()) {
        TComponent* partner = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        EraseOne(partner->FFreeNotifies, this);
        partner->Notification(this, TOperation::opRemove);
    }

    // Free the owned components, last first. Each is detached before it is freed so
    // that its own destructor does not report back to this half-destroyed owner.
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        FComponents.pop_back();
        c->FOwner = nullptr;
        delete c;
    }

    if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component) {
    if (component == nullptr || component->FOwner == this) return;
    // Owning itself or one of its owners would make the owner chain a loop that no
    // destructor could end.
    for (const TComponent* o = this; o != nullptr; o = o->FOwner)
        if (o == component) throw Exception("A component cannot own itself or its owner");
    if (component->FOwner != nullptr) component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    if (IsDesigning()) component->SetDesigning(true);
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (component == nullptr || component->FOwner != this) return;
    Notification(component, TOperation::opRemove);
    component->FOwner = nullptr;
    EraseOne(FComponents, component);
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    if (std::find(component->FFreeNotifies.begin(), component->FFreeNotifies.end(), this) ==
        component->FFreeNotifies.end())
        component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component == nullptr) return;
    EraseOne(FFreeNotifies, component);
    EraseOne(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component != nullptr) RemoveFreeNotification(component);
    // Pass the notice on; a handler may remove components, so the index is re-clamped.
    int i = static_cast<int>(FComponents.size()) - 1;
    while (i >= 0) {
        FComponents[static_cast<std::size_t>(i)]->Notification(component, operation);
        --i;
        const int count = static_cast<int>(FComponents.size());
        if (i >= count) i = count - 1;
    }
}

void TComponent::Loaded() { FState &= ~static_cast<std::uint32_t>(csLoading); }

void TComponent::SetState(std::uint32_t flag, bool on) {
    if (on) FState |= flag;
    else FState &= ~flag;
}

namespace {

void CollectTree(TComponent* root, std::vector<TComponent*>& out) {
    out.push_back(root);
    for (int i = 0; i < root->ComponentCount(); ++i) CollectTree(root->Components(i), out);
}

}  // namespace

void TComponent::BeginLoading() {
    std::vector<TComponent*> all;
    CollectTree(this, all);
    for (TComponent* c : all) c->FState |= (csLoading | csReading);
}

void TComponent::EndLoading() {
    std::vector<TComponent*> all;
    CollectTree(this, all);
    for (TComponent* c : all) c->FState &= ~static_cast<std::uint32_t>(csReading);
    // Loaded runs with csLoading still set; the default Loaded clears it. Whatever an
    // override does, no component stays in the loading state afterwards.
    try {
        for (TComponent* c : all) c->Loaded();
    } catch (...) {
        for (TComponent* c : all) c->FState &= ~static_cast<std::uint32_t>(csLoading);
        throw;
    }
    for (TComponent* c : all) c->FState &= ~static_cast<std::uint32_t>(csLoading);
}

void TComponent::SetDesigning(bool value) {
    SetState(csDesigning, value);
    for (TComponent* c : FComponents) c->SetDesigning(value);
}

}  // namespace veskin
