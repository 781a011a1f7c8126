#include "tools/wmiquery/StepReport.h"

#include "platform/ComObjects.h"
#include "platform/WbemScripting.h"
#include "rtl/Exception.h"
#include "tools/wmiquery/Diagnosis.h"
#include "wmi/AdsUtil.h"
#include "wmi/InitComSecurity.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

namespace {

constexpr std::uint32_t LocatorContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

class TSteps {
public:
    // Records the step; true when it succeeded.
    bool Add(const std::string& step, HRESULT code, const std::string& detail = std::string()) {
        TStepResult r;
        r.Step = step;
        r.Code = code;
        r.Detail = Failed(code) ? WmiErrorText(code) : detail;
        FResults.push_back(r);
        return Succeeded(code);
    }
    std::vector<TStepResult> Take() { return std::move(FResults); }

private:
    std::vector<TStepResult> FResults;
};

// The object an enumerator element refers to, if it is one.
IInterfacePtr ElementObject(const Variant& element) {
    const Variant& v = element.Deref();
    return v.VarType() == varDispatch || v.VarType() == varUnknown ? v.RawInterface() : nullptr;
}

std::string ValueDetail(const Variant& value) {
    try {
        return Variant::VarTypeAsText(value.VarType()) + " " + VarToStr(value);
    } catch (const Exception&) {
        return Variant::VarTypeAsText(value.VarType());
    }
}

// Over WS-Management, a server without class schemas delivers every value as text.
void AddSchemaNotice(TSteps& steps, const ISWbemServicesPtr& services) {
    if (ServerGaveNoClassSchema(services))
        steps.Add("class schema", S_FALSE, "the server gave no class schema: every property is text");
}

void Walk(TSteps& steps, const TQueryRequest& request) {
    IInterfacePtr obj;
    if (!steps.Add("locator", CoCreateInstance(CLSID_SWbemLocator, nullptr, LocatorContext, IID_ISWbemLocator, obj)))
        return;
    auto locator = Supports<ISWbemLocator>(obj);
    if (!steps.Add("locator interface", locator ? S_OK : E_NOINTERFACE)) return;
    // Informational: the library's version from the locator's type information, and
    // the computer name from the WinNT system-information object.
    const WideString version = WmiLibraryVersion();
    steps.Add("type library version", version.empty() ? E_FAIL : S_OK, WideToAnsi(version));
    {
        TAdsSystemInfo info;
        const WideString computer = info.ComputerName();
        steps.Add("WinNT system information", computer.empty() ? E_FAIL : S_OK, WideToAnsi(computer));
    }

    ISWbemServicesPtr services;
    if (!steps.Add("ConnectServer", locator->ConnectServer(request.MachineName, request.NameSpace, request.UserName,
                                                           request.Password, u"", request.Authority, 0, nullptr,
                                                           services)))
        return;
    ISWbemSecurityPtr security;
    if (!steps.Add("Security_", services->get_Security_(security))) return;
    if (!steps.Add("ImpersonationLevel", security->put_ImpersonationLevel(wbemImpersonationLevelImpersonate)))
        return;

    ISWbemObjectSetPtr objects;
    if (!steps.Add("ExecQuery", services->ExecQuery(AnsiToWide(request.Query), u"WQL",
                                                    wbemFlagReturnImmediately | wbemFlagForwardOnly, nullptr, objects)))
        return;
    IInterfacePtr enumObject;
    if (!steps.Add("_NewEnum", objects->get__NewEnum(enumObject))) return;
    auto items = Supports<IEnumVARIANT>(enumObject);
    if (!steps.Add("enumerator interface", items ? S_OK : E_NOINTERFACE)) return;

    Variant element;
    std::uint32_t fetched = 0;
    HRESULT hr = items->Next(1, &element, &fetched);
    if (!steps.Add("Next", hr, "fetched " + std::to_string(fetched)) || fetched != 1) return;
    AddSchemaNotice(steps, services);
    auto object = Supports<ISWbemObject>(ElementObject(element));
    if (!steps.Add("ISWbemObject element", object ? S_OK : E_NOINTERFACE)) return;

    WideString text;
    hr = object->GetObjectText_(0, text);
    steps.Add("GetObjectText_", hr, std::to_string(text.size()) + " characters");
    ISWbemPropertySetPtr properties;
    if (!steps.Add("Properties_", object->get_Properties_(properties))) return;
    std::int32_t count = 0;
    hr = properties->get_Count(count);
    steps.Add("Properties_ Count", hr, std::to_string(count));
    IInterfacePtr propEnumObject;
    if (!steps.Add("Properties_ _NewEnum", properties->get__NewEnum(propEnumObject))) return;
    auto propItems = Supports<IEnumVARIANT>(propEnumObject);
    if (!steps.Add("Properties_ enumerator interface", propItems ? S_OK : E_NOINTERFACE)) return;
    Variant propElement;
    fetched = 0;
    hr = propItems->Next(1, &propElement, &fetched);
    if (!steps.Add("Properties_ Next", hr, "fetched " + std::to_string(fetched)) || fetched != 1) return;
    auto property = Supports<ISWbemProperty>(ElementObject(propElement));
    if (!steps.Add("ISWbemProperty element", property ? S_OK : E_NOINTERFACE)) return;
    WideString name;
    hr = property->get_Name(name);
    if (!steps.Add("Name", hr, WideToAnsi(name))) return;
    std::int32_t cimType = 0;
    hr = property->get_CIMType(cimType);
    steps.Add("CIMType", hr, std::to_string(cimType));
    Variant value;
    hr = property->get_Value(value);
    steps.Add("Value", hr, ValueDetail(value));
}

}  // namespace

std::vector<TStepResult> RunQuerySteps(const TQueryRequest& request) {
    InitComThread();
    TSteps steps;
    try {
        Walk(steps, request);
    } catch (const std::exception& e) {
        steps.Add(std::string("exception: ") + e.what(), E_UNEXPECTED);
    }
    return steps.Take();
}

}  // namespace veskin
