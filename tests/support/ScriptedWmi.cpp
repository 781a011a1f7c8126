#include "tests/support/ScriptedWmi.h"

#include "platform/WbemNamedValueSet.h"
#include "tests/support/ScriptedCore.h"
#include "tests/support/ScriptedObjects.h"

namespace veskin {

ScriptedWmi::ScriptedWmi(WideString serverName)
    : FCore(std::make_shared<ScriptedCore>(std::make_shared<WbemRepository>(std::move(serverName)))) {
    FCore->Self = FCore;
    FCore->Repository->AddNamespace(u"root\\cimv2");
    FLocatorOverride =
        std::make_unique<ScopedClassOverride>(CLSID_SWbemLocator, ScriptedLocatorFactory(FCore));
    FNamedValueSetOverride = std::make_unique<ScopedClassOverride>(
        CLSID_SWbemNamedValueSet, ScriptedNamedValueSetFactory(FCore));
}

ScriptedWmi::~ScriptedWmi() {
    FNamedValueSetOverride.reset();
    FLocatorOverride.reset();
}

WbemRepositoryPtr ScriptedWmi::Repository() const { return FCore->Repository; }

void ScriptedWmi::AddNamespace(const WideString& nameSpace) {
    FCore->Repository->AddNamespace(nameSpace);
}

WbemClassPtr ScriptedWmi::AddClass(const WideString& nameSpace, const WideString& className,
                                   std::vector<WbemPropertyDef> properties) {
    WbemClassPtr cls = WbemClass::Make(className, std::move(properties));
    FCore->Repository->AddNamespace(nameSpace)->AddStoredClass(cls);
    return cls;
}

void ScriptedWmi::AddInstance(const WideString& nameSpace, const WideString& className,
                              const std::vector<std::pair<WideString, Variant>>& values) {
    WbemNamespacePtr ns = FCore->Repository->FindNamespace(nameSpace);
    WbemClassEntry entry;
    if (!ns || !ns->FindClass(className, entry))
        throw Exception("AddInstance: class " + WideToAnsi(className) + " is not declared");
    WbemObjectPtr obj = WbemObject::NewInstance(entry.Class);
    for (const auto& [name, value] : values) {
        if (Failed(obj->SetValue(name, value)))
            throw Exception("AddInstance: bad value for " + WideToAnsi(name));
    }
    HRESULT hr = entry.Source ? entry.Source->PutInstance(*obj) : WBEM_E_PROVIDER_NOT_CAPABLE;
    if (Failed(hr)) throw Exception("AddInstance: the class does not store instances");
}

void ScriptedWmi::AddProviderClass(const WideString& nameSpace, WbemClassPtr cls,
                                   std::function<WbemObjectProducer()> enumerate) {
    FCore->Repository->AddNamespace(nameSpace)->AddClass(
        cls, std::make_shared<ProviderInstanceSource>(std::move(enumerate)));
}

std::vector<WbemObjectPtr> ScriptedWmi::Instances(const WideString& nameSpace,
                                                  const WideString& className) const {
    std::vector<WbemObjectPtr> result;
    WbemNamespacePtr ns = FCore->Repository->FindNamespace(nameSpace);
    WbemClassEntry entry;
    if (!ns || !ns->FindClass(className, entry) || !entry.Source) return result;
    WbemObjectSet::Collect([&entry] { return entry.Source->Enumerate(); }, result);
    return result;
}

void ScriptedWmi::Fail(WmiOp op, HRESULT code, int nth, const WideString& name) {
    if (op == WmiOp::Count_) return;
    std::lock_guard<std::mutex> guard(FCore->Lock);
    ScriptedCore::Rule rule;
    rule.Code = code;
    rule.Nth = nth;
    rule.Name = name;
    FCore->Rules[ScriptedCore::Slot(op)].push_back(rule);
}

void ScriptedWmi::Delay(WmiOp op, std::chrono::milliseconds delay) {
    if (op == WmiOp::Count_) return;
    std::lock_guard<std::mutex> guard(FCore->Lock);
    FCore->Delays[ScriptedCore::Slot(op)] = delay.count() > 0 ? delay : std::chrono::milliseconds(0);
}

void ScriptedWmi::ClearFaults() {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    for (auto& rules : FCore->Rules) rules.clear();
    FCore->Delays.fill(std::chrono::milliseconds(0));
}

void ScriptedWmi::SetTypeLibVersion(std::uint16_t major, std::uint16_t minor) {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    FCore->TypeLibMajor = major;
    FCore->TypeLibMinor = minor;
}

int ScriptedWmi::Calls(WmiOp op) const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return op == WmiOp::Count_ ? 0 : FCore->CallCounts[ScriptedCore::Slot(op)];
}

std::vector<ScriptedWmi::ConnectArgs> ScriptedWmi::Connects() const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return FCore->Connects;
}

std::vector<ScriptedWmi::QueryArgs> ScriptedWmi::Queries() const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return FCore->Queries;
}

std::vector<ScriptedWmi::GetArgs> ScriptedWmi::Gets() const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return FCore->Gets;
}

std::vector<ScriptedWmi::WriteArgs> ScriptedWmi::Puts() const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return FCore->Puts;
}

std::vector<ScriptedWmi::WriteArgs> ScriptedWmi::Deletes() const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return FCore->Deletes;
}

std::vector<std::int32_t> ScriptedWmi::ImpersonationLevels() const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return FCore->Impersonations;
}

std::vector<std::pair<WideString, Variant>> ScriptedWmi::NamedValuesAdded() const {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    return FCore->NamedValues;
}

void ScriptedWmi::ResetCounters() {
    std::lock_guard<std::mutex> guard(FCore->Lock);
    FCore->CallCounts.fill(0);
    FCore->Connects.clear();
    FCore->Queries.clear();
    FCore->Gets.clear();
    FCore->Puts.clear();
    FCore->Deletes.clear();
    FCore->Impersonations.clear();
    FCore->NamedValues.clear();
}

}  // namespace veskin
