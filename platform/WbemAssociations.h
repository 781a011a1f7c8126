#pragma once
// Running ASSOCIATORS OF and REFERENCES OF over a namespace. An association class is a
// class whose keys are all references (two or more); each of its instances relates the
// objects its references name.
#include <functional>

#include "platform/WbemRepository.h"
#include "platform/WqlAssociation.h"

namespace veskin {

// Finds an object by its path (as ISWbemServices::Get does).
using WbemObjectGetter = std::function<HRESULT(const WideString& path, WbemObjectPtr& object)>;

bool IsAssociationClass(const WbemClass& cls);

// True when the path text names the object: the same class and key values (without
// regard to case); the server and namespace are not compared.
bool PathNamesObject(const WideString& path, const WbemObject& object);

// The objects of the query about source (an instance): for ASSOCIATORS the objects at
// the other ends of the associations that refer to it, each once; for REFERENCES the
// association instances themselves. Made when the set is first read. Of the class
// qualifiers that RequiredQualifier and RequiredAssocQualifier ask for, the classes have
// Association (an association class) and Abstract, no others.
WbemObjectProducerFactory AssociationQueryProducer(WqlAssociationQuery query, WbemObjectPtr source,
                                                   WbemNamespacePtr ns, WbemObjectGetter get, WideString server);

}  // namespace veskin
