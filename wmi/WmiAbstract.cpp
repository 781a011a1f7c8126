#include "wmi/WmiAbstract.h"

#include "platform/ComObjects.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

// ---- TWmiCredentials ------------------------------------------------------------

TWmiCredentials::TWmiCredentials() : FOptions(std::make_unique<TStringList>()) {}

TWmiCredentials::~TWmiCredentials() = default;

void TWmiCredentials::Change() {
    if (OnChange) OnChange(this);
}

void TWmiCredentials::SetText(WideString& field, const WideString& value) {
    if (field == value) return;
    field = value;
    Change();
}

void TWmiCredentials::SetUserName(const WideString& value) { SetText(FUserName, value); }
void TWmiCredentials::SetPassword(const WideString& value) { SetText(FPassword, value); }
void TWmiCredentials::SetAuthority(const WideString& value) { SetText(FAuthority, value); }
void TWmiCredentials::SetLocale(const WideString& value) { SetText(FLocale, value); }

void TWmiCredentials::SetOptions(const TStringList* value) {
    if (value == nullptr || value == FOptions.get()) return;
    if (value->Text() == FOptions->Text()) return;
    FOptions->Assign(*value);
    Change();
}

void TWmiCredentials::Assign(const TPersistent* source) {
    if (auto other = dynamic_cast<const TWmiCredentials*>(source)) {
        if (other == this) return;
        SetAuthority(other->FAuthority);
        SetLocale(other->FLocale);
        SetOptions(other->FOptions.get());
        SetPassword(other->FPassword);
        SetUserName(other->FUserName);
        return;
    }
    TPersistent::Assign(source);
}

ISWbemNamedValueSetPtr TWmiCredentials::BuildContext() const {
    if (FOptions->Count() == 0) return nullptr;
    IInterfacePtr obj;
    WmiCheck(CoCreateInstance(CLSID_SWbemNamedValueSet, nullptr, CLSCTX_INPROC_SERVER, IID_ISWbemNamedValueSet, obj));
    auto context = Supports<ISWbemNamedValueSet>(obj);
    if (!context) WmiCheck(E_NOINTERFACE);
    for (int i = 0; i < FOptions->Count(); ++i) {
        // A name that occurs twice gets the value of its first line both times.
        const std::string name = FOptions->Names(i);
        const Variant value = Variant::FromOleStr(AnsiToWide(FOptions->Values(name)));
        ISWbemNamedValuePtr added;
        WmiCheck(context->Add(AnsiToWide(name), value, 0, added));
    }
    return context;
}

// ---- TWmiAbstract ---------------------------------------------------------------

TWmiAbstract::TWmiAbstract(TComponent* owner)
    : TComponent(owner), FCredentials(std::make_unique<TWmiCredentials>()), FNameSpace(u"root\\cimv2") {
    FCredentials->OnChange = [this](TObject* sender) { CredentialsChanged(sender); };
}

TWmiAbstract::~TWmiAbstract() {
    Services.reset();
    FCredentials.reset();
}

void TWmiAbstract::SetMachineName(const WideString& value) {
    if (value == FMachineName) return;
    FMachineName = value;
    SetActive(false);
    if (!IsLoading()) Changed();
}

void TWmiAbstract::SetNameSpace(const WideString& value) {
    if (value == FNameSpace) return;
    FNameSpace = value;
    SetActive(false);
    if (!IsLoading()) Changed();
}

void TWmiAbstract::CredentialsChanged(TObject*) {
    if (IsLoading()) return;
    SetActive(false);
    Changed();
}

void TWmiAbstract::SetActive(bool value) {
    if (value == GetActive()) return;
    if (IsLoading()) {
        StreamedActive = value;
        return;
    }
    if (value) {
        Connect();
        if (OnActivate) OnActivate(this);
    } else {
        Services.reset();
        if (OnDeactivate) OnDeactivate(this);
    }
}

void TWmiAbstract::Changed() {}

void TWmiAbstract::Connect() {
    if (Services) return;
    ISWbemNamedValueSetPtr context = FCredentials->BuildContext();
    Services = WmiConnectServer(FMachineName, FNameSpace, FCredentials->UserName(), FCredentials->Password(),
                                FCredentials->Locale(), FCredentials->Authority(), context);
}

void TWmiAbstract::Loaded() {
    const bool wasLoading = IsLoading();
    TComponent::Loaded();
    if (wasLoading) SetActive(StreamedActive);
}

void TWmiAbstract::FinishLoading() {
    if (IsLoading()) Loaded();
}

}  // namespace veskin
