#pragma once
// The __NAMESPACE class: in each namespace, one instance per namespace directly below
// it (in root: Name = "cimv2"), as WMI lists its namespaces.
#include "platform/WbemRepository.h"

namespace veskin {

// Adds __SystemClass and __NAMESPACE to every namespace of the repository (call it
// after the namespaces are made); the instances are listed when enumerated.
void AddNamespaceClasses(const WbemRepositoryPtr& repository);

}  // namespace veskin
