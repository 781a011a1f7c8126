#pragma once
// What a component that supplies WMI objects offers: the object it stands for, the
// services object it works on, and itself. Implemented by the connection and the
// record set. Components are not owned through this interface.
#include "platform/ComTypes.h"
#include "platform/WbemScripting.h"
#include "rtl/Component.h"
#include "rtl/Interface.h"

namespace veskin {

inline const IID IID_IWmiObjectProvider = GUID::Parse("{AD6BE6CC-5064-4EE3-8260-158BF92D0330}");

class IWmiObjectProvider : public virtual IInterface {
public:
    virtual void GetWmiObject(ISWbemObjectPtr& object) = 0;
    virtual void GetServices(ISWbemServicesPtr& services) = 0;
    virtual TComponent* GetComponent() = 0;
};

}  // namespace veskin
