#pragma once
// Field holding an interface reference; its data is an IInterfacePtr. Its text is
// the class description: "(INTERFACE)" with a value, "(Interface)" when null.
#include "recordset/Field.h"

namespace veskin {

class TInterfaceField : public TField {
public:
    TInterfaceField() : TField(ftInterface) {}
    std::string ClassName() const override { return "TInterfaceField"; }
    int DataSize() const override { return static_cast<int>(sizeof(IInterfacePtr)); }

    IInterfacePtr AsInterface() const;
    void SetAsInterface(const IInterfacePtr& value) { SetData(&value); }
    // An unknown-interface variant; null when there is no value.
    Variant AsVariant() const override;

protected:
    void SetVarValue(const Variant& value) override { SetAsInterface(value.AsInterface()); }
};

}  // namespace veskin
