#pragma once
// The account data of a WMI connection, and the component base that owns it,
// connects on demand and drops its connection whenever an input changes.
#include <memory>

#include "platform/WbemScripting.h"
#include "rtl/Component.h"
#include "rtl/StringList.h"
#include "rtl/WideString.h"

namespace veskin {

class TWmiCredentials : public TPersistent {
public:
    TWmiCredentials();
    ~TWmiCredentials() override;
    TWmiCredentials(const TWmiCredentials&) = delete;
    TWmiCredentials& operator=(const TWmiCredentials&) = delete;

    std::string ClassName() const override { return "TWmiCredentials"; }

    // Each setter stores a different value and fires OnChange; an equal one does nothing.
    const WideString& UserName() const { return FUserName; }
    void SetUserName(const WideString& value);
    const WideString& Password() const { return FPassword; }
    void SetPassword(const WideString& value);
    const WideString& Authority() const { return FAuthority; }
    void SetAuthority(const WideString& value);
    const WideString& Locale() const { return FLocale; }
    void SetLocale(const WideString& value);
    // Lines "name=value" passed to the connection as its context.
    TStringList* Options() const { return FOptions.get(); }
    // Null is ignored; lists are compared by their whole text.
    void SetOptions(const TStringList* value);

    // From another TWmiCredentials: Authority, Locale, Options, Password, UserName, in
    // this order, each through its setter. Anything else raises the assignment error.
    void Assign(const TPersistent* source) override;

    // A named-value set with one value per Options line, or null when there are none.
    ISWbemNamedValueSetPtr BuildContext() const;

    TNotifyEvent OnChange;

private:
    void SetText(WideString& field, const WideString& value);
    void Change();

    WideString FUserName;
    WideString FPassword;
    WideString FAuthority;
    WideString FLocale;
    std::unique_ptr<TStringList> FOptions;
};

class TWmiAbstract : public TComponent {
public:
    explicit TWmiAbstract(TComponent* owner = nullptr);
    ~TWmiAbstract() override;

    std::string ClassName() const override { return "TWmiAbstract"; }

    TWmiCredentials* Credentials() const { return FCredentials.get(); }
    const WideString& MachineName() const { return FMachineName; }
    // A different value drops the connection (quietly, no reconnect).
    void SetMachineName(const WideString& value);
    const WideString& NameSpace() const { return FNameSpace; }
    void SetNameSpace(const WideString& value);

    // The open connection's services object; null when not connected.
    ISWbemServicesPtr GetServices() const { return Services; }

    // True connects (raising on failure), false drops the services object. While a
    // stored form is loading the wish is only recorded and applied by Loaded.
    virtual void SetActive(bool value);
    virtual bool GetActive() const { return Services != nullptr; }
    // Told after an input changed; does nothing here.
    virtual void Changed();

    // Ends this component's loading now (Loaded), when it is still loading. An owner
    // that must connect from its own Loaded calls it first; the later Loaded of the
    // framework then finds nothing left to apply.
    void FinishLoading();

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    void Loaded() override;

    ISWbemServicesPtr Services;
    bool StreamedActive = false;

private:
    void Connect();
    void CredentialsChanged(TObject* sender);

    std::unique_ptr<TWmiCredentials> FCredentials;
    WideString FMachineName;
    WideString FNameSpace;
};

}  // namespace veskin
