#include "platform/NativeClasses.h"

#include "platform/ComObjects.h"
#include "platform/QueryInterface.h"
#include "platform/WbemScripting.h"
#include "platform/native/NativeService.h"

namespace veskin {

// The WMI locator of the local computer's own service.
void RegisterNativeClasses() {
    RegisterClassFactory(CLSID_SWbemLocator, [](const IID& iid, IInterfacePtr& obj) -> HRESULT {
        IInterfacePtr locator = NativeSystemLocator();
        return QueryInterfaceByIid(locator, iid, obj);
    });
}

}  // namespace veskin
