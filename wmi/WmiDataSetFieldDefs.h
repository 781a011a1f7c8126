#pragma once
// Field definitions of the WMI record set, built from the properties of one WMI object.
#include <cstdint>
#include <string>

#include "platform/WbemScripting.h"
#include "recordset/FieldDefs.h"
#include "recordset/FieldTypes.h"

namespace veskin {

// A field definition that also tells whether the property holds an array and the
// property's CIM type (0 for the irregular view's "Object").
class TWmiFieldDef : public TFieldDef {
public:
    // The name is 8-bit text; it becomes the definition's UTF-16 name.
    TWmiFieldDef(TFieldDefs* owner, const std::string& name, TFieldType dataType, int size,
                 bool required, int fieldNo, bool isArray);
    std::string ClassName() const override { return "TWmiFieldDef"; }
    bool IsArray() const { return FIsArray; }
    std::int32_t CimType() const { return FCimType; }
    void SetCimType(std::int32_t cimType) { FCimType = cimType; }

private:
    bool FIsArray;
    std::int32_t FCimType = 0;
};

// The name of the single definition used in irregular view.
inline constexpr const char* WmiObjectFieldName = "Object";

// faRequired for a true KEY qualifier, faReadonly for a true READONLY qualifier (names
// in any letter case); other qualifiers are ignored.
TFieldAttributes WmiQualifierAttributes(const ISWbemPropertyPtr& property);

// Empties defs and fills it with one definition per property of object, numbered from
// 1 in enumeration order; in irregular view the one "Object" definition. A null object
// leaves defs empty. An unsupported CIM type raises, keeping the definitions made so far.
void WmiBuildFieldDefs(TFieldDefs& defs, const ISWbemObjectPtr& object, bool irregularView);

}  // namespace veskin
