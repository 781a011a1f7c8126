#pragma once
// WMI objects, their paths and object sets of the system's WMI Scripting library
// behind our abstract interfaces.
#include "platform/win/WinAdapter.h"

namespace veskin {

class TWinObject : public ISWbemObject, public TWinAdapter<::ISWbemObject> {
public:
    using TWinAdapter<::ISWbemObject>::TWinAdapter;
    HRESULT get_Properties_(ISWbemPropertySetPtr& properties) override;
    HRESULT get_Path_(ISWbemObjectPathPtr& path) override;
    HRESULT Put_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                 ISWbemObjectPathPtr& path) override;
    HRESULT Delete_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet) override;
    HRESULT GetObjectText_(std::int32_t flags, WideString& text) override;
};

class TWinObjectPath : public ISWbemObjectPath, public TWinAdapter<::ISWbemObjectPath> {
public:
    using TWinAdapter<::ISWbemObjectPath>::TWinAdapter;
    HRESULT get_Path(WideString& path) override;
    HRESULT get_RelPath(WideString& relPath) override;
    HRESULT get_Class(WideString& className) override;
    HRESULT get_Namespace(WideString& nameSpace) override;
    HRESULT get_Server(WideString& server) override;
};

class TWinObjectSet : public ISWbemObjectSet, public TWinAdapter<::ISWbemObjectSet> {
public:
    using TWinAdapter<::ISWbemObjectSet>::TWinAdapter;
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;
    HRESULT get_Count(std::int32_t& count) override;
};

}  // namespace veskin
