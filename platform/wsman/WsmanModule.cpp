// The module's one exported entry: the table of what the program may call.
#include "platform/wsman/WsmanModule.h"

#include "platform/wsman/WsmanLocator.h"
#include "platform/wsman/WsmanServices.h"

namespace veskin {
namespace {

std::shared_ptr<ISWbemLocator> MakeLocator() { return std::make_shared<WsmanLocator>(); }

bool Diagnose(const WsmanDiagnosisRequest& request, const std::function<void(const WsmanDiagnosisStep&)>& report) {
    return DiagnoseWsman(request, report);
}

bool ServerGaveNoClassSchema(const ISWbemServicesPtr& services) {
    auto remote = std::dynamic_pointer_cast<WsmanServices>(services);
    return remote && remote->Session()->SchemaMissing();
}

}  // namespace
}  // namespace veskin

extern "C" __attribute__((visibility("default"))) const veskin::WsmanModule* veskin_wsman_module() {
    static const veskin::WsmanModule module = [] {
        veskin::WsmanModule m;
        m.MakeLocator = veskin::MakeLocator;
        m.Diagnose = veskin::Diagnose;
        m.ServerGaveNoClassSchema = veskin::ServerGaveNoClassSchema;
        return m;
    }();
    return &module;
}
