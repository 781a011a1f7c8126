#pragma once
// Raising the record-set framework's database errors.
#include <string>

#include "rtl/Component.h"
#include "rtl/Exception.h"

namespace veskin {

// The message as the framework words it: "<component name>: <message>" when the
// component is given and has a name, else the message alone.
std::string DatabaseErrorText(const std::string& message, const TComponent* component = nullptr);

// Raises EDatabaseError with DatabaseErrorText(message, component).
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);

}  // namespace veskin
