#pragma once
// The connection component placed beside record sets: where WMI data comes from
// (computer, namespace, account) behind the standard Connected switch and its events.
#include <functional>
#include <string>
#include <vector>

#include "rtl/Component.h"
#include "wmi/WmiComponent.h"
#include "wmi/WmiObjectProvider.h"

namespace veskin {

class TWmiConnection;

// The login event of a connection: the sender, user name and password.
using TLoginEvent = std::function<void(TWmiConnection* sender, const std::string& userName,
                                       const std::string& password)>;
// A registered client is told of every connect (true) and disconnect (false).
using TConnectChangeEvent = std::function<void(TWmiConnection* sender, bool connecting)>;

class TWmiConnection : public TComponent, public IWmiObjectProvider {
public:
    explicit TWmiConnection(TComponent* owner = nullptr);
    // The inner component goes first, so no disconnect events fire.
    ~TWmiConnection() override;

    std::string ClassName() const override { return "TWmiConnection"; }

    // The inner component's credentials object itself.
    TWmiCredentials* Credentials() const;
    // Takes the given object's values; each value that differs drops the connection.
    void SetCredentials(const TWmiCredentials* value);
    WideString MachineName() const;
    void SetMachineName(const WideString& value);
    WideString NameSpace() const;
    void SetNameSpace(const WideString& value);
    const WideString& ObjectPath() const { return FObjectPath; }
    // Stores the path and releases the cached object, also when the path is unchanged.
    void SetObjectPath(const WideString& value);

    // Connected: whether the inner component holds a services object.
    virtual bool GetConnected() const;
    // Connecting: BeforeConnect, DoConnect, the clients, AfterConnect. Disconnecting:
    // BeforeDisconnect, the clients, DoDisconnect, AfterDisconnect. While loading, the
    // value is only recorded and applied when loading ends.
    virtual void SetConnected(bool value);
    bool Connected() const { return GetConnected(); }
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    bool LoginPrompt() const { return FLoginPrompt; }
    void SetLoginPrompt(bool value) { FLoginPrompt = value; }

    void RegisterClient(TObject* client, TConnectChangeEvent event = nullptr);
    void UnRegisterClient(TObject* client);
    int ClientCount() const { return static_cast<int>(FClients.size()); }

    // The services object of the open connection; null when not connected.
    ISWbemServicesPtr GetServices() const;
    // The object at path, read with amended qualifiers; null when not connected or the
    // path is empty. A path WMI cannot resolve raises.
    ISWbemObjectPtr GetObjectByPath(const WideString& path) const;
    // The object at ObjectPath, read once and cached; null when there is none.
    ISWbemObjectPtr GetWmiObject();
    const ISWbemObjectPtr& CachedObject() const { return FCachedObject; }

    // IWmiObjectProvider
    void GetWmiObject(ISWbemObjectPtr& object) override;
    void GetServices(ISWbemServicesPtr& services) override;
    TComponent* GetComponent() override { return this; }

    TNotifyEvent BeforeConnect;
    TNotifyEvent AfterConnect;
    TNotifyEvent BeforeDisconnect;
    TNotifyEvent AfterDisconnect;
    TLoginEvent OnLogin;

protected:
    virtual void DoConnect();
    virtual void DoDisconnect();
    void Loaded() override;

private:
    void SendConnectEvent(bool connecting);

    struct Client {
        TObject* Object;
        TConnectChangeEvent Event;
    };

    TWmiComponent* FComponent = nullptr;  // owned (as its owner)
    WideString FObjectPath;
    ISWbemObjectPtr FCachedObject;
    bool FLoginPrompt = false;
    bool FStreamedConnected = false;
    std::vector<Client> FClients;
};

}  // namespace veskin
