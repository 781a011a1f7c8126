#pragma once
// The classes a WMI service knows, by namespace. A namespace holds classes, each with
// the source of its instances; it is also where objects it delivered are written back.
#include <functional>
#include <map>
#include <mutex>

#include "platform/WbemInstanceSource.h"
#include "rtl/TextFold.h"

namespace veskin {

struct WbemClassEntry {
    WbemClassPtr Class;
    WbemInstanceSourcePtr Source;
};

// A class that is made only when it is first needed: its name and derivation (the
// superclass first) are known without making it, so that finding a class and its
// derived classes costs nothing for the classes a query does not touch.
struct WbemDeferredClass {
    WideString Name;
    std::vector<WideString> Derivation;
    std::function<WbemClassPtr()> Make;
};

class WbemNamespace : public WbemObjectStore,
                      public std::enable_shared_from_this<WbemNamespace> {
public:
    explicit WbemNamespace(WideString name);
    const WideString& Name() const { return FName; }

    // Adds or replaces a class (names compare without regard to case).
    void AddClass(WbemClassPtr cls, WbemInstanceSourcePtr source);
    void AddClass(WbemDeferredClass deferred, WbemInstanceSourcePtr source);
    // A class whose instances are kept in memory; returns their store.
    std::shared_ptr<StoredInstanceSource> AddStoredClass(WbemClassPtr cls);
    // False when the namespace lacks the class.
    bool FindClass(const WideString& name, WbemClassEntry& entry) const;
    bool HasClass(const WideString& name) const;
    // Every class, each made if it was deferred.
    std::vector<WbemClassEntry> Classes() const;
    // The names of the classes, none of them made.
    std::vector<WideString> ClassNames() const;
    // The class named base (any case) and every class derived from it, base first;
    // empty when there is no such class.
    std::vector<WbemClassEntry> ClassAndDerived(const WideString& base) const;

    // Writes go to the source of the object's class.
    HRESULT PutObject(const WbemObject& object) override;
    HRESULT DeleteObject(const WbemObject& object) override;

private:
    struct Slot {
        WbemClassEntry Entry;  // Entry.Class is null until Make has run
        WideString Name;
        std::vector<WideString> Derivation;
        std::function<WbemClassPtr()> Make;
        bool IsA(const WideString& name) const;
    };
    // The slot's entry with its class made; FLock is held.
    const WbemClassEntry& Made(Slot& slot) const;

    WideString FName;
    mutable std::mutex FLock;
    mutable std::map<WideString, Slot, TextLessW> FClasses;
};
using WbemNamespacePtr = std::shared_ptr<WbemNamespace>;

class WbemRepository {
public:
    // serverName is the computer name that object paths show.
    explicit WbemRepository(WideString serverName);
    const WideString& ServerName() const { return FServerName; }

    // Adds a namespace (or returns the one of that name).
    WbemNamespacePtr AddNamespace(const WideString& name);
    // Names compare without regard to case; "/" stands for "\"; a leading or trailing
    // separator is ignored. Null when there is none.
    WbemNamespacePtr FindNamespace(const WideString& name) const;

    // Every namespace's name, in order of the names.
    std::vector<WideString> NamespaceNames() const;

    // "root/CIMV2/" -> "root\CIMV2".
    static WideString NormaliseNamespace(const WideString& name);

private:
    WideString FServerName;
    mutable std::mutex FLock;
    std::map<WideString, WbemNamespacePtr, TextLessW> FNamespaces;
};
using WbemRepositoryPtr = std::shared_ptr<WbemRepository>;

}  // namespace veskin
