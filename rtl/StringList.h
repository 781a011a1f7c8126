#pragma once
// A list of 8-bit text lines with name=value access, line-break text form and a
// change notification.
#include <string>
#include <vector>

#include "rtl/Component.h"

namespace veskin {

class TStringList : public TPersistent {
public:
    TStringList() = default;
    TStringList(const TStringList& other) : TPersistent(), FItems(other.FItems) {}
    TStringList& operator=(const TStringList& other) {
        Assign(other);
        return *this;
    }

    std::string ClassName() const override { return "TStringList"; }

    int Count() const { return static_cast<int>(FItems.size()); }
    // Index errors raise EListError "List index out of bounds (%d)".
    const std::string& Strings(int index) const;
    void Put(int index, const std::string& s);
    int Add(const std::string& s);
    void Insert(int index, const std::string& s);  // index may equal Count
    void Delete(int index);
    void Clear();
    // Index of the first line equal to s ignoring case, -1 when none.
    int IndexOf(const std::string& s) const;

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, CR or LF; a final line break adds no empty line.
    void SetText(const std::string& text);

    // The text before the line's first "="; empty when it has none.
    std::string Names(int index) const;
    // The text after the line's first "="; empty when it has none.
    std::string ValueFromIndex(int index) const;
    // Index of the first line that has an "=" and whose name equals name ignoring
    // case, -1 when none.
    int IndexOfName(const std::string& name) const;
    // The value of the line IndexOfName finds; "" when none.
    std::string Values(const std::string& name) const;
    // Replaces that line's value, adds "name=value" when there is none, and deletes
    // the line when value is empty.
    void SetValue(const std::string& name, const std::string& value);

    void Assign(const TStringList& source);
    void Assign(const TPersistent* source) override;

    // While updates are open, OnChange is held back and fires once at the end when
    // something changed.
    void BeginUpdate();
    void EndUpdate();

    TNotifyEvent OnChange;

private:
    void Check(int index, int limit) const;
    void Changed();

    std::vector<std::string> FItems;
    int FUpdateCount = 0;
    bool FChangedInUpdate = false;
};

}  // namespace veskin
