#include "recordset/FieldDefs.h"

#include "recordset/DataSet.h"
#include "recordset/DatabaseError.h"
#include "rtl/Exception.h"
#include "rtl/TextFold.h"

namespace veskin {

TFieldDef::TFieldDef(TFieldDefs* owner, const WideString& name, TFieldType dataType, int size,
                     bool required, int fieldNo)
    : FCollection(owner), FName(name), FDataType(dataType), FSize(size), FFieldNo(fieldNo) {
    if (required) FAttributes.add(faRequired);
}

int TFieldDef::Index() const {
    if (FCollection == nullptr) return -1;
    for (int i = 0; i < FCollection->Count(); ++i)
        if (FCollection->Items(i) == this) return i;
    return -1;
}

int TFieldDef::FieldNo() const {
    if (FFieldNo > 0) return FFieldNo;
    return Index() + 1;
}

void TFieldDef::SetRequired(bool value) {
    if (value)
        FAttributes.add(faRequired);
    else
        FAttributes.remove(faRequired);
}

TFieldDef* TFieldDefs::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FItems[static_cast<std::size_t>(index)].get();
}

TFieldDef* TFieldDefs::Add(std::unique_ptr<TFieldDef> def) {
    if (!def) return nullptr;
    def->FCollection = this;
    FItems.push_back(std::move(def));
    return FItems.back().get();
}

TFieldDef* TFieldDefs::Add(const WideString& name, TFieldType dataType, int size, bool required) {
    return Add(std::make_unique<TFieldDef>(this, name, dataType, size, required, 0));
}

int TFieldDefs::IndexOf(const WideString& name) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (SameTextW(FItems[i]->Name(), name)) return static_cast<int>(i);
    return -1;
}

TFieldDef* TFieldDefs::FindDef(const WideString& name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : FItems[static_cast<std::size_t>(i)].get();
}

void TFieldDefs::Update() {
    if (auto* dataSet = dynamic_cast<TDataSet*>(FDataSet)) dataSet->InitFieldDefs();
}

TFieldDef* TFieldDefs::Find(const WideString& name) const {
    TFieldDef* def = FindDef(name);
    if (def == nullptr) DatabaseError("Field '" + WideToAnsi(name) + "' not found", FDataSet);
    return def;
}

}  // namespace veskin
