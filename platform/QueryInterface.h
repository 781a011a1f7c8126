#pragma once
// Interface identifiers mapped to the C++ interfaces they name, so that class
// factories can answer E_NOINTERFACE for an interface their object lacks.
#include "platform/ComTypes.h"

namespace veskin {

extern const IID IID_IUnknown;   // {00000000-0000-0000-C000-000000000046}
extern const IID IID_IDispatch;  // {00020400-0000-0000-C000-000000000046}

// S_OK with obj in out when obj has the interface iid names; E_NOINTERFACE (out null)
// when it lacks it or the identifier is unknown; E_POINTER for a null obj.
HRESULT QueryInterfaceByIid(const IInterfacePtr& obj, const IID& iid, IInterfacePtr& out);

}  // namespace veskin
