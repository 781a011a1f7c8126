#pragma once
// Large results made cheaply, for benchmarks and volume tests: a class of M properties
// of mixed CIM types and N instances whose values are computed from (row, property)
// when read, so nothing is stored per value.
//
//   ScriptedWmi wmi;
//   AddGeneratedClass(wmi, u"root\\cimv2", u"Bench_Item", 100000, 40);
//   ... "SELECT * FROM Bench_Item" now yields 100,000 objects of 40 properties ...
#include "platform/WbemObjectSet.h"
#include "tests/support/ScriptedWmi.h"

namespace veskin {

// Property 0 is "Id" (uint32, key, the row number); the others are "P01", "P02", ...
// cycling through string, uint32, sint64, boolean, real64, datetime, uint8, sint16,
// uint64, real32, char16 and string array.
WbemClassPtr GeneratedClass(const WideString& className, int propertyCount);
// The value of a property of a generated row, in delivered form.
Variant GeneratedValue(const WbemClass& cls, std::size_t property, std::int64_t row);
// A producer factory of count lazy instances of cls.
std::function<WbemObjectProducer()> GeneratedInstances(WbemClassPtr cls, std::int64_t count);
// Declares the generated class as a read-only provider class of the scripted service.
WbemClassPtr AddGeneratedClass(ScriptedWmi& wmi, const WideString& nameSpace,
                               const WideString& className, std::int64_t objectCount,
                               int propertyCount);

}  // namespace veskin
