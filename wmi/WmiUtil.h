#pragma once
// The routines that open WMI connections and move values between WMI and the record
// set: DMTF date-time text, variants as text, text as arrays, 64-bit integers,
// named property access, the CIM type mapping and the scripting library's version.
#include <cstdint>

#include "platform/WbemScripting.h"
#include "recordset/FieldTypes.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"

namespace veskin {

// ---- Connecting -----------------------------------------------------------------

// Connects through a new WMI locator and sets impersonation on the services object.
// Server, namespace, user and password pass through a 255-character conversion
// buffer (8-bit and back; a text needing more than 254 characters arrives empty).
// Every failure raises TWmiException.
ISWbemServicesPtr WmiConnectServer(const WideString& server, const WideString& nameSpace,
                                   const WideString& user, const WideString& password,
                                   const WideString& locale, const WideString& authority,
                                   const ISWbemNamedValueSetPtr& context);
// The local computer's root\cimv2 with the caller's own identity; null when the
// connection is refused.
ISWbemServicesPtr WmiConnectLocal();
// The object that describes the properties of query's result, taken from the local
// computer; null when the local connection fails or the query yields nothing.
ISWbemObjectPtr WmiQueryPrototype(const WideString& query);

// The text as it comes out of the 255-wide-character conversion buffer.
WideString WmiConversionBuffer(const WideString& text);

// "major.minor" of the scripting library's type library; empty when it cannot be read.
WideString WmiLibraryVersion();

// ---- Date-time ------------------------------------------------------------------

// yyyymmddHHMMSS.mmm000+UUU with offset (minutes) as given.
WideString WmiDateTimeToDmtf(std::int32_t utcOffset, TDateTime dateTime);
// As WmiDateTimeToDmtf with the local time zone's standard-time offset (never the
// daylight-saving one); offset 0 when the zone cannot be read.
WideString WmiDateTimeToDmtfLocal(TDateTime dateTime);
// The standard-time offset of the local zone in minutes east of UTC (the negated base
// bias); false when the zone cannot be read.
bool WmiLocalStandardOffset(std::int32_t& offset);
// Decodes DMTF text; the offset is returned, not applied. Empty text gives 0 and 0.
// Raises TWmiException "Invaid date format: %s" for text it cannot read.
void WmiDmtfDecode(const AnsiString& dmtf, TDateTime& dateTime, std::int32_t& utcOffset);
TDateTime WmiDmtfToDateTime(const AnsiString& dmtf);

// ---- Values and text ------------------------------------------------------------

// Display text: WMI objects as their object text, other dispatch references as
// "IDispatch", arrays as {a, b}, everything else by the framework's rule.
AnsiString WmiVariantToText(const Variant& value);
// "{1, 2,3}" -> array of the texts 1, 2, 3; null when nothing is left.
Variant WmiTextToArray(const AnsiString& text);
// Empty text gives 0; otherwise the framework's conversion (EConvertError on failure).
std::int64_t WmiStrToInt64(const AnsiString& text);

// ---- Properties -----------------------------------------------------------------

Variant WmiGetPropertyValue(const ISWbemPropertySetPtr& properties, const WideString& name);
ISWbemPropertyPtr WmiGetProperty(const ISWbemObjectPtr& object, const WideString& name);
// Changes the object in memory only.
void WmiSetPropertyValue(const ISWbemObjectPtr& object, const WideString& name, const Variant& value);

// ---- Types ----------------------------------------------------------------------

// Field type and size of a property; arrays are ftVariant. Raises TWmiException
// "Unsupported CIM data type: N" for a non-array type outside the mapping.
void WmiCimTypeToFieldType(std::int32_t cimType, VARIANT_BOOL isArray, TFieldType& fieldType,
                           std::uint16_t& size);

}  // namespace veskin
