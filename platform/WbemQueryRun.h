#pragma once
// Running a parsed WQL query over a namespace's classes: the instances of a class and
// of the classes derived from it, or the class objects of "meta_class".
#include "platform/WbemRepository.h"
#include "platform/Wql.h"

namespace veskin {

// The value a WHERE condition sees for a property or system property of object.
Variant WqlConditionValue(const WbemObject& object, const WideString& name);

// True for a select list naming a system property that locates the instance
// (__PATH, __RELPATH, __SERVER, __NAMESPACE): its objects keep their path.
bool SelectKeepsPath(const WqlQuery& query);

// What a query over cls asks of its providers: the equalities WHERE requires (a text
// property only with quoted values) and, for a select list, every property the query
// names.
WbemQueryHint QueryHint(const WqlQuery& query, const WbemClass& cls);

// The objects of an instance query over classes (a class first, then its derived
// classes): each class's provider gets the query's hint, every condition is checked on
// what it returns, and a select list projects each object onto its own class.
WbemObjectProducerFactory InstanceQueryProducer(std::vector<WbemClassEntry> classes, WqlQueryPtr query,
                                                WideString server, WbemNamespacePtr ns);

// The class objects of "SELECT * FROM meta_class [WHERE ...]" over classes.
WbemObjectProducerFactory MetaClassProducer(std::vector<WbemClassEntry> classes, WqlQueryPtr query,
                                            WideString server, WbemNamespacePtr ns);

}  // namespace veskin
