#include "wmi/WmiConnection.h"

#include <algorithm>

#include "wmi/WmiErr.h"

namespace veskin {

TWmiConnection::TWmiConnection(TComponent* owner) : TComponent(owner) {
    FComponent = new TWmiComponent(this);
}

TWmiConnection::~TWmiConnection() {
    TWmiComponent* inner = FComponent;
    FComponent = nullptr;
    delete inner;
    // Finds the connection not connected: no disconnect events.
    SetConnected(false);
    FClients.clear();
}

TWmiCredentials* TWmiConnection::Credentials() const { return FComponent ? FComponent->Credentials() : nullptr; }

void TWmiConnection::SetCredentials(const TWmiCredentials* value) {
    if (FComponent) FComponent->Credentials()->Assign(value);
}

WideString TWmiConnection::MachineName() const { return FComponent ? FComponent->MachineName() : WideString(); }

void TWmiConnection::SetMachineName(const WideString& value) {
    if (FComponent) FComponent->SetMachineName(value);
}

WideString TWmiConnection::NameSpace() const { return FComponent ? FComponent->NameSpace() : WideString(); }

void TWmiConnection::SetNameSpace(const WideString& value) {
    if (FComponent && value != FComponent->NameSpace()) FComponent->SetNameSpace(value);
}

void TWmiConnection::SetObjectPath(const WideString& value) {
    FObjectPath = value;
    FCachedObject.reset();
}

bool TWmiConnection::GetConnected() const { return FComponent != nullptr && FComponent->GetActive(); }

void TWmiConnection::SetConnected(bool value) {
    if (IsLoading() && value) {
        FStreamedConnected = true;
        return;
    }
    if (value == GetConnected()) return;
    if (value) {
        if (BeforeConnect) BeforeConnect(this);
        DoConnect();
        SendConnectEvent(true);
        if (AfterConnect) AfterConnect(this);
    } else {
        if (BeforeDisconnect) BeforeDisconnect(this);
        SendConnectEvent(false);
        DoDisconnect();
        if (AfterDisconnect) AfterDisconnect(this);
    }
}

void TWmiConnection::Loaded() {
    TComponent::Loaded();
    // The inner component is part of this one, not of the stored form: it must be out
    // of its loading state before the recorded connection is made.
    if (FComponent) FComponent->FinishLoading();
    if (FStreamedConnected) {
        FStreamedConnected = false;
        SetConnected(true);
    }
}

void TWmiConnection::DoConnect() {
    if (FComponent) FComponent->SetActive(true);
}

void TWmiConnection::DoDisconnect() {
    if (FComponent) FComponent->SetActive(false);
    FCachedObject.reset();
}

void TWmiConnection::RegisterClient(TObject* client, TConnectChangeEvent event) {
    FClients.push_back({client, std::move(event)});
}

void TWmiConnection::UnRegisterClient(TObject* client) {
    FClients.erase(std::remove_if(FClients.begin(), FClients.end(),
                                  [client](const Client& c) { return c.Object == client; }),
                   FClients.end());
}

void TWmiConnection::SendConnectEvent(bool connecting) {
    // A client may unregister while it is told; work on a copy.
    const std::vector<Client> clients = FClients;
    for (const Client& c : clients)
        if (c.Event) c.Event(this, connecting);
}

ISWbemServicesPtr TWmiConnection::GetServices() const {
    return FComponent ? FComponent->GetServices() : nullptr;
}

void TWmiConnection::GetServices(ISWbemServicesPtr& services) { services = GetServices(); }

ISWbemObjectPtr TWmiConnection::GetObjectByPath(const WideString& path) const {
    if (!GetConnected() || path.empty()) return nullptr;
    ISWbemServicesPtr services = GetServices();
    ISWbemObjectPtr object;
    WmiCheck(services->Get(path, wbemFlagUseAmendedQualifiers, nullptr, object));
    return object;
}

ISWbemObjectPtr TWmiConnection::GetWmiObject() {
    if (GetConnected() && !FCachedObject && !FObjectPath.empty()) FCachedObject = GetObjectByPath(FObjectPath);
    return FCachedObject;
}

void TWmiConnection::GetWmiObject(ISWbemObjectPtr& object) { object = GetWmiObject(); }

}  // namespace veskin
