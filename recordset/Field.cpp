#include "recordset/Field.h"

#include "recordset/DataSet.h"
#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "rtl/SysUtils.h"

namespace veskin {

TField::TField(TFieldType dataType) : FDataType(dataType) {}

int TField::Index() const {
    if (FDataSet == nullptr) return -1;
    for (int i = 0; i < FDataSet->FieldCount(); ++i)
        if (FDataSet->Fields(i) == this) return i;
    return -1;
}

bool TField::GetData(void* data) const {
    if (FDataSet == nullptr) DatabaseError(Format(SDataSetMissing, {DisplayName()}));
    return FDataSet->GetFieldData(this, data);
}

void TField::SetData(const void* data) {
    if (FDataSet == nullptr) DatabaseError(Format(SDataSetMissing, {DisplayName()}));
    FDataSet->SetFieldData(this, data);
}

void TField::AccessError(const char* typeName) const {
    DatabaseError(Format(SFieldAccessError, {DisplayName(), typeName}));
}

std::string TField::ClassDesc() const {
    std::string name = ClassName();
    std::size_t begin = (!name.empty() && name[0] == 'T') ? 1 : 0;
    std::size_t end = name.size();
    if (end - begin >= 5 && SameText(name.substr(end - 5), "Field")) end -= 5;
    std::string desc = "(";
    desc.append(name, begin, end - begin).push_back(')');
    return IsNull() ? desc : AnsiUpperCase(desc);
}

std::string TField::AsString() const { return ClassDesc(); }
std::int32_t TField::AsInteger() const { AccessError("Integer"); }
std::int64_t TField::AsLargeInt() const { AccessError("LargeInt"); }
double TField::AsFloat() const { AccessError("Float"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
Variant TField::AsVariant() const { AccessError("Variant"); }

void TField::SetAsString(const std::string&) { AccessError("String"); }
void TField::SetAsInteger(std::int32_t) { AccessError("Integer"); }
void TField::SetAsLargeInt(std::int64_t) { AccessError("LargeInt"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
void TField::SetVarValue(const Variant&) { AccessError("Variant"); }

void TField::SetAsVariant(const Variant& value) {
    const Variant& v = value.Deref();
    if (v.IsNull() || v.IsEmpty())
        Clear();
    else
        SetVarValue(v);
}

}  // namespace veskin
