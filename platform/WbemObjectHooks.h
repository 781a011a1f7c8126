#pragma once
// A seam through which an object's operations can be observed and made to fail. The
// platform's own service installs none; the scriptable test service uses it to count
// calls and to inject failures.
#include <memory>

#include "platform/ComTypes.h"
#include "rtl/WideString.h"

namespace veskin {

enum class WbemObjectOp {
    Properties,     // ISWbemObject::get_Properties_
    PropertyItem,   // ISWbemPropertySet::Item (name = the name asked for)
    PropertyValue,  // ISWbemProperty::get_Value (name = the property)
    PutValue,       // ISWbemProperty::put_Value (name = the property)
    Path,           // ISWbemObject::get_Path_
    Put,            // ISWbemObject::Put_
    Delete,         // ISWbemObject::Delete_
    ObjectText,     // ISWbemObject::GetObjectText_
};

struct WbemObjectCall {
    WbemObjectOp Op;
    // The property for the property operations, the object's class for the others.
    WideString Name;
    std::int32_t Flags = 0;   // Put_, Delete_, GetObjectText_, Item
    bool HasContext = false;  // Put_, Delete_: a named-value set was given
};

class WbemObjectHooks {
public:
    virtual ~WbemObjectHooks() = default;
    // Called before the operation runs; a failure code makes the operation answer it
    // without doing anything.
    virtual HRESULT BeforeObjectCall(const WbemObjectCall& call) = 0;
};
using WbemObjectHooksPtr = std::shared_ptr<WbemObjectHooks>;

}  // namespace veskin
