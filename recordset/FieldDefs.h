#pragma once
// Field definitions: the description of one column (name, type, size, attributes,
// field number) and the ordered collection a data set keeps of them.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "recordset/FieldTypes.h"
#include "rtl/Component.h"
#include "rtl/WideString.h"

namespace veskin {

class TFieldDefs;

class TFieldDef : public TObject {
public:
    // The collection is the one the definition is meant for; the definition is not
    // added by the constructor, hand it to TFieldDefs::Add (or use TFieldDefs::AddDef).
    // A fieldNo of 0 or less means "position in the collection + 1".
    TFieldDef(TFieldDefs* owner, const WideString& name, TFieldType dataType, int size = 0,
              bool required = false, int fieldNo = 0);
    ~TFieldDef() override = default;
    TFieldDef(const TFieldDef&) = delete;
    TFieldDef& operator=(const TFieldDef&) = delete;

    std::string ClassName() const override { return "TFieldDef"; }

    TFieldDefs* Collection() const { return FCollection; }
    // Position in the owning collection, -1 when not in one.
    int Index() const;

    const WideString& Name() const { return FName; }
    void SetName(const WideString& name) { FName = name; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType type) { FDataType = type; }
    int Size() const { return FSize; }
    void SetSize(int size) { FSize = size; }
    TFieldAttributes Attributes() const { return FAttributes; }
    void SetAttributes(TFieldAttributes attributes) { FAttributes = attributes; }
    int FieldNo() const;
    void SetFieldNo(int fieldNo) { FFieldNo = fieldNo; }
    // Required is faRequired in Attributes.
    bool Required() const { return FAttributes.contains(faRequired); }
    void SetRequired(bool value);

private:
    friend class TFieldDefs;
    TFieldDefs* FCollection;
    WideString FName;
    TFieldType FDataType;
    int FSize;
    TFieldAttributes FAttributes;
    int FFieldNo;
};

class TFieldDefs : public TObject {
public:
    // dataSet names the data set whose errors these are (for the name prefix); may be null.
    explicit TFieldDefs(TComponent* dataSet = nullptr) : FDataSet(dataSet) {}
    ~TFieldDefs() override = default;
    TFieldDefs(const TFieldDefs&) = delete;
    TFieldDefs& operator=(const TFieldDefs&) = delete;

    std::string ClassName() const override { return "TFieldDefs"; }
    TComponent* DataSet() const { return FDataSet; }

    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError "List index out of bounds (%d)" for a bad index.
    TFieldDef* Items(int index) const;

    // Takes ownership and appends; returns the definition.
    TFieldDef* Add(std::unique_ptr<TFieldDef> def);
    // Creates a plain TFieldDef in this collection.
    TFieldDef* Add(const WideString& name, TFieldType dataType, int size = 0, bool required = false);
    // Creates a T (a TFieldDef subclass) with this collection as its owner and appends it:
    // AddDef<TWmiFieldDef>(name, type, size, required, fieldNo, isArray).
    template <class T, class... Args>
    T* AddDef(Args&&... args) {
        auto def = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* raw = def.get();
        Add(std::move(def));
        return raw;
    }

    void Clear() { FItems.clear(); }

    // Position of the definition with that name (ignoring letter case), -1 when none.
    int IndexOf(const WideString& name) const;
    // Null when there is none.
    TFieldDef* FindDef(const WideString& name) const;
    // Raises EDatabaseError "Field '<name>' not found" (with the data set's name in front).
    TFieldDef* Find(const WideString& name) const;

    // Fills the definitions from the data set (its definition hook); nothing
    // without a data set.
    void Update();

private:
    TComponent* FDataSet;
    std::vector<std::unique_ptr<TFieldDef>> FItems;
};

}  // namespace veskin
