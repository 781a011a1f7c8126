#pragma once
// The shared state of a ScriptedWmi: counters, recorded arguments, scripted failures
// and delays. Every object the service hands out holds it, so objects that outlive
// the test's ScriptedWmi stay safe to use.
#include <array>
#include <mutex>

#include "platform/WbemObjectHooks.h"
#include "tests/support/ScriptedWmi.h"

namespace veskin {

class ScriptedCore : public WbemObjectHooks {
public:
    explicit ScriptedCore(WbemRepositoryPtr repository) : Repository(std::move(repository)) {}

    // Counts the call, sleeps if asked, answers the scripted failure (or S_OK).
    HRESULT Enter(WmiOp op, const WideString& name = WideString());
    // Object operations: mapped onto the operations above; records Put_/Delete_/Item.
    HRESULT BeforeObjectCall(const WbemObjectCall& call) override;
    // Gives an object handed out this service's hooks (no-op for foreign objects).
    void Adopt(const IInterfacePtr& object);

    const WbemRepositoryPtr Repository;

    struct Rule {
        HRESULT Code = 0;
        int Nth = 0;
        int Seen = 0;
        WideString Name;
    };

    mutable std::mutex Lock;
    static constexpr std::size_t kOps = static_cast<std::size_t>(WmiOp::Count_);
    static std::size_t Slot(WmiOp op) { return static_cast<std::size_t>(op); }
    std::array<int, kOps> CallCounts{};
    std::array<std::vector<Rule>, kOps> Rules;
    std::array<std::chrono::milliseconds, kOps> Delays{};
    std::vector<ScriptedWmi::ConnectArgs> Connects;
    std::vector<ScriptedWmi::QueryArgs> Queries;
    std::vector<ScriptedWmi::GetArgs> Gets;
    std::vector<ScriptedWmi::WriteArgs> Puts;
    std::vector<ScriptedWmi::WriteArgs> Deletes;
    std::vector<std::int32_t> Impersonations;
    std::vector<std::pair<WideString, Variant>> NamedValues;
    std::uint16_t TypeLibMajor = 1;
    std::uint16_t TypeLibMinor = 2;

    // Keeps itself alive in the objects it hands out.
    std::weak_ptr<ScriptedCore> Self;
};
using ScriptedCorePtr = std::shared_ptr<ScriptedCore>;

}  // namespace veskin
