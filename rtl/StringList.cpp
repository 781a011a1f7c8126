#include "rtl/StringList.h"

#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

namespace veskin {

void TStringList::Check(int index, int limit) const {
    if (index < 0 || index > limit) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::Changed() {
    if (FUpdateCount > 0) {
        FChangedInUpdate = true;
        return;
    }
    if (OnChange) OnChange(this);
}

void TStringList::BeginUpdate() { ++FUpdateCount; }

void TStringList::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0 && FChangedInUpdate) {
        FChangedInUpdate = false;
        Changed();
    }
}

const std::string& TStringList::Strings(int index) const {
    Check(index, Count() - 1);
    return FItems[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, const std::string& s) {
    Check(index, Count() - 1);
    FItems[static_cast<std::size_t>(index)] = s;
    Changed();
}

int TStringList::Add(const std::string& s) {
    FItems.push_back(s);
    Changed();
    return Count() - 1;
}

void TStringList::Insert(int index, const std::string& s) {
    Check(index, Count());
    FItems.insert(FItems.begin() + index, s);
    Changed();
}

void TStringList::Delete(int index) {
    Check(index, Count() - 1);
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Changed();
}

int TStringList::IndexOf(const std::string& s) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(FItems[static_cast<std::size_t>(i)], s)) return i;
    return -1;
}

std::string TStringList::Text() const {
    std::string t;
    for (const std::string& s : FItems) {
        t += s;
        t += "\r\n";
    }
    return t;
}

void TStringList::SetText(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text, start, i - start);
            i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) lines.emplace_back(text, start, n - start);
    if (lines == FItems) return;
    FItems = std::move(lines);
    Changed();
}

std::string TStringList::Names(int index) const {
    const std::string& s = Strings(index);
    const auto p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStringList::ValueFromIndex(int index) const {
    const std::string& s = Strings(index);
    const auto p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStringList::IndexOfName(const std::string& name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = FItems[static_cast<std::size_t>(i)];
        const auto p = s.find('=');
        if (p != std::string::npos && AnsiSameText(s.substr(0, p), name)) return i;
    }
    return -1;
}

std::string TStringList::Values(const std::string& name) const {
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(const std::string& name, const std::string& value) {
    const int i = IndexOfName(name);
    if (!value.empty()) {
        if (i < 0) Add(name + "=" + value);
        else Put(i, name + "=" + value);
    } else if (i >= 0) {
        Delete(i);
    }
}

void TStringList::Assign(const TStringList& source) {
    if (&source == this) return;
    FItems = source.FItems;
    Changed();
}

void TStringList::Assign(const TPersistent* source) {
    if (const auto* list = dynamic_cast<const TStringList*>(source)) {
        Assign(*list);
        return;
    }
    TPersistent::Assign(source);
}

}  // namespace veskin
