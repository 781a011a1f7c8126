#include "platform/NativeClasses.h"

#include "platform/ComObjects.h"
#include "platform/QueryInterface.h"
#include "platform/WbemScripting.h"
#include "platform/native/SystemLocator.h"

namespace veskin {

// The WMI locator: the local computer's own service, other computers over WS-Management.
void RegisterNativeClasses() {
    RegisterClassFactory(CLSID_SWbemLocator, [](const IID& iid, IInterfacePtr& obj) -> HRESULT {
        IInterfacePtr locator = MakeSystemLocator();
        return QueryInterfaceByIid(locator, iid, obj);
    });
}

}  // namespace veskin
