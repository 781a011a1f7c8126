#pragma once
// The light component model: TObject as the root with a class name, TPersistent with
// Assign, and TComponent with an owner that frees what it owns, a name, the loading /
// designing / destroying state, removal notification and Loaded.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace veskin {

class TObject {
public:
    virtual ~TObject() = default;
    // The class name as the framework reports it ("TWmiConnection"); set by each class.
    virtual std::string ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
    std::string ClassName() const override { return "TPersistent"; }
    // Copies source's state into this object. The default raises EConvertError
    // "Cannot assign a <source class> to a <this class>" ("nil" for a null source).
    virtual void Assign(const TPersistent* source);

protected:
    // Called by the default Assign on the destination's behalf; the default raises.
    virtual void AssignTo(TPersistent* dest) const;
};

enum class TOperation { opInsert,
                        opRemove };

// Component state flags.
enum TComponentStateFlag : std::uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
};

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    // Sets csDestroying, tells the owner and every component that asked for it
    // (FreeNotification) that this one goes away, then frees the owned components.
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::string ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }

    std::uint32_t ComponentState() const { return FState; }
    bool IsLoading() const { return (FState & csLoading) != 0; }
    bool IsDesigning() const { return (FState & csDesigning) != 0; }
    bool IsDestroying() const { return (FState & csDestroying) != 0; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Asks to be told (Notification with opRemove) when component is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Loading as a stored form does it: BeginLoading sets csLoading (and csReading) on
    // this component and all it owns; EndLoading clears them and calls Loaded on each.
    void BeginLoading();
    void EndLoading();
    // Design mode for this component and all it owns.
    void SetDesigning(bool value);

protected:
    // Told when a component is inserted into or removed from this one's ownership,
    // and when a component this one asked to be told about is destroyed. The default
    // passes the notice on to every owned component.
    virtual void Notification(TComponent* component, TOperation operation);
    // End of loading; the default clears csLoading.
    virtual void Loaded();
    void SetState(std::uint32_t flag, bool on);
    // Sets csDestroying on this component and all it owns. The destructor does it;
    // a derived destructor calls it first so that its own clean-up, and the handlers
    // it triggers, already see the flag.
    void Destroying();

private:
    TComponent* FOwner = nullptr;
    std::string FName;
    std::uint32_t FState = 0;
    std::vector<TComponent*> FComponents;    // owned
    std::vector<TComponent*> FFreeNotifies;  // told on destruction (both directions)
};

}  // namespace veskin
