// The data set's field definitions, field objects and field values.
#include "recordset/DataSet.h"

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "recordset/Field.h"
#include "recordset/FieldClasses.h"
#include "rtl/SysUtils.h"

namespace veskin {

void TDataSet::InitFieldDefs() { InternalInitFieldDefs(); }

TField* TDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FFields[static_cast<std::size_t>(index)].get();
}

TField* TDataSet::FindField(const std::string& fieldName) const {
    for (const auto& field : FFields)
        if (AnsiSameText(field->FieldName(), fieldName)) return field.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const std::string& fieldName) const {
    TField* field = FindField(fieldName);
    if (field == nullptr) DatabaseError(Format(SFieldNotFound, {fieldName}), this);
    return field;
}

TField* TDataSet::AddField(std::unique_ptr<TField> field) {
    CheckInactive();
    if (!field) return nullptr;
    field->FDataSet = this;
    FFields.push_back(std::move(field));
    return FFields.back().get();
}

void TDataSet::DestroyFields() { FFields.clear(); }

TFieldClass TDataSet::FieldClassFor(TFieldType fieldType) { return DefaultFieldClass(fieldType); }

void TDataSet::CreateFields() {
    for (int i = 0; i < FFieldDefs.Count(); ++i) {
        TFieldDef* def = FFieldDefs.Items(i);
        if (def->Attributes().contains(faHiddenCol)) continue;
        TFieldClass fieldClass = FieldClassFor(def->DataType());
        std::string name = WideToAnsi(def->Name());
        if (fieldClass == nullptr) DatabaseError(Format(SUnknownFieldType, {name}));
        std::unique_ptr<TField> field = fieldClass();
        field->SetFieldName(name);
        field->SetSize(def->Size());
        field->SetRequired(def->Required());
        field->SetReadOnly(def->Attributes().contains(faReadonly));
        field->SetFieldNo(def->FieldNo());
        field->FDataSet = this;
        FFields.push_back(std::move(field));
    }
}

void TDataSet::BindFields(bool binding) {
    for (auto& field : FFields) {
        if (!binding) continue;
        int i = FFieldDefs.IndexOf(AnsiToWide(field->FieldName()));
        if (i >= 0) field->SetFieldNo(FFieldDefs.Items(i)->FieldNo());
    }
}

bool TDataSet::GetFieldData(const TField* field, void* data) {
    if (FState == dsInactive || FBuffers.empty()) return false;
    if (FState != dsInsert && IsEmpty()) return false;
    return ReadFieldData(field, data);
}

void TDataSet::SetFieldData(TField* field, const void* data) {
    CheckActive();
    CheckCanModify();
    if (field->ReadOnly()) DatabaseError(Format(SFieldReadOnly, {field->DisplayName()}));
    WriteFieldData(field, data);
    if (FState == dsEdit || FState == dsInsert) FModified = true;
}

void TDataSet::CheckRequiredFields() {
    for (const auto& field : FFields)
        if (field->Required() && !field->ReadOnly() && field->IsNull())
            DatabaseError(Format(SFieldRequired, {field->DisplayName()}));
}

}  // namespace veskin
