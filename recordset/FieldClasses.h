#pragma once
// The field classes of the framework and the default class for each field type.
#include "recordset/BooleanField.h"
#include "recordset/DataSet.h"
#include "recordset/DateTimeField.h"
#include "recordset/Field.h"
#include "recordset/FloatField.h"
#include "recordset/IntegerFields.h"
#include "recordset/InterfaceField.h"
#include "recordset/VariantField.h"
#include "recordset/WideStringField.h"

namespace veskin {

// The class the framework creates for a field type; null for types it has no field
// class for.
TFieldClass DefaultFieldClass(TFieldType fieldType);

}  // namespace veskin
