#pragma once
// Message texts of the record-set framework's database errors. Texts with "%s" or
// "%d" are Format patterns.

namespace veskin {

inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* SDataSetUnidirectional = "Operation not allowed on a unidirectional dataset";
inline constexpr const char* SNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* SRecordNotFound = "Record not found";
inline constexpr const char* SInvalidFilter = "Incorrectly formed filter expression";
inline constexpr const char* SFieldNotFound = "Field '%s' not found";
inline constexpr const char* SFieldRequired = "Field '%s' must have a value";
inline constexpr const char* SFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* SFieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* SUnknownFieldType = "Field '%s' is of an unknown type";
inline constexpr const char* SDataSetMissing = "Field '%s' has no dataset";
inline constexpr const char* SFieldRangeError = "%d is not a valid value for field '%s'. The allowed range is %d to %d";
inline constexpr const char* SInvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
inline constexpr const char* STextTrue = "True";
inline constexpr const char* STextFalse = "False";

}  // namespace veskin
