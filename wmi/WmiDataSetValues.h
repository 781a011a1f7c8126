#pragma once
// Reading WMI property values for a record through its value cache, and making
// values fit for assignment to a WMI property.
#include <cstddef>
#include <string>

#include "platform/WbemClass.h"
#include "platform/WbemScripting.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"
#include "wmi/WmiDataSetStore.h"

namespace veskin {

// The record's property set: fetched from its object on first use, then kept.
ISWbemPropertySetPtr HolderPropertySet(TInterfaceHolder& record);

// The value of the named property of the record's object; each property is read from
// WMI once and then served from the record's value cache.
Variant ReadCachedProperty(TInterfaceHolder& record, const WideString& name);
// The same by the 8-bit name the cache is keyed by.
Variant ReadCachedProperty(TInterfaceHolder& record, const AnsiString& name);

// Where one field's property was found in the class of the last record read through
// it; the class is kept so that its address keeps identifying it.
struct TWmiPropertySlot {
    WbemClassPtr Class;
    AnsiString Name;
    std::size_t Index = 0;
};

// The value of a field's property. Objects of the platform's own model without hooks
// hold their values themselves: they are read by the property's index in their class,
// found once per class and kept in slot, without the record's cache. Other objects go
// through ReadCachedProperty.
Variant ReadFieldProperty(TInterfaceHolder& record, const AnsiString& name, TWmiPropertySlot& slot);

// The value as automation carries it: 8-bit text as UTF-16, small and unsigned
// integers as 32-bit signed (an unsigned 32-bit value with its top bit set as a
// double), 64-bit integers as 32-bit when they fit, arrays element by element,
// references replaced by what they refer to.
Variant WmiAutomationValue(const Variant& value);

}  // namespace veskin
