#include "recordset/DatabaseError.h"

namespace veskin {

std::string DatabaseErrorText(const std::string& message, const TComponent* component) {
    if (component != nullptr && !component->Name().empty()) return component->Name() + ": " + message;
    return message;
}

void DatabaseError(const std::string& message, const TComponent* component) {
    throw EDatabaseError(DatabaseErrorText(message, component));
}

}  // namespace veskin
