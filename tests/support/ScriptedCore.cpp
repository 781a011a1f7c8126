#include "tests/support/ScriptedCore.h"

#include <thread>

#include "platform/WbemObject.h"
#include "rtl/TextFold.h"

namespace veskin {

HRESULT ScriptedCore::Enter(WmiOp op, const WideString& name) {
    HRESULT result = S_OK;
    std::chrono::milliseconds delay{0};
    {
        std::lock_guard<std::mutex> guard(Lock);
        ++CallCounts[Slot(op)];
        delay = Delays[Slot(op)];
        for (Rule& rule : Rules[Slot(op)]) {
            if (!rule.Name.empty() && !SameTextW(rule.Name, name)) continue;
            ++rule.Seen;
            if (Succeeded(result) && (rule.Nth == 0 || rule.Seen == rule.Nth)) result = rule.Code;
        }
    }
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
    return result;
}

HRESULT ScriptedCore::BeforeObjectCall(const WbemObjectCall& call) {
    WmiOp op = WmiOp::Properties;
    switch (call.Op) {
        case WbemObjectOp::Properties: op = WmiOp::Properties; break;
        case WbemObjectOp::PropertyItem: op = WmiOp::PropertyItem; break;
        case WbemObjectOp::PropertyValue: op = WmiOp::PropertyValue; break;
        case WbemObjectOp::PutValue: op = WmiOp::PutValue; break;
        case WbemObjectOp::Path: op = WmiOp::Path; break;
        case WbemObjectOp::Put: op = WmiOp::Put; break;
        case WbemObjectOp::Delete: op = WmiOp::Delete; break;
        case WbemObjectOp::ObjectText: op = WmiOp::ObjectText; break;
    }
    if (op == WmiOp::Put || op == WmiOp::Delete) {
        std::lock_guard<std::mutex> guard(Lock);
        ScriptedWmi::WriteArgs args{call.Name, call.Flags, call.HasContext};
        (op == WmiOp::Put ? Puts : Deletes).push_back(args);
    }
    return Enter(op, call.Name);
}

void ScriptedCore::Adopt(const IInterfacePtr& object) {
    if (auto obj = std::dynamic_pointer_cast<WbemObject>(object)) obj->SetHooks(Self.lock());
}

}  // namespace veskin
