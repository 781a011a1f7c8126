// Searching the WMI record set for records with given key values. Values are compared
// by their display texts, so a key can be given in any form that reads the same.
#include <cstddef>
#include <string>
#include <vector>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "recordset/Field.h"
#include "rtl/SysUtils.h"
#include "rtl/WideString.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

// Every piece in front of a ";" counts, even an empty one; what follows the last ";"
// counts only when something is left after trimming.
std::vector<std::string> SplitKeyNames(const std::string& keyFields) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t semicolon = keyFields.find(';'); semicolon != std::string::npos;
         semicolon = keyFields.find(';', start)) {
        names.push_back(Trim(keyFields.substr(start, semicolon - start)));
        start = semicolon + 1;
    }
    std::string rest = Trim(keyFields.substr(start));
    if (!rest.empty()) names.push_back(std::move(rest));
    return names;
}

// Byte length of the first `count` UTF-8 characters of text, or npos when it has fewer.
std::size_t Utf8PrefixBytes(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t seen = 0; seen < count; ++seen) {
        if (pos >= text.size()) return std::string::npos;
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
    return pos;
}

std::size_t Utf8Length(const std::string& text) {
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

bool ValueMatches(const Variant& recordValue, const Variant& keyValue, TLocateOptions options) {
    std::string recordText = WmiVariantToText(recordValue);
    std::string keyText = WmiVariantToText(keyValue);
    if (options.contains(loCaseInsensitive)) {
        recordText = UpperCase(recordText);  // ASCII letters only
        keyText = UpperCase(keyText);
    }
    if (options.contains(loPartialKey)) {
        // The record's first characters, as many as the key has, ignoring case by locale.
        const std::size_t prefix = Utf8PrefixBytes(recordText, Utf8Length(keyText));
        return prefix != std::string::npos && AnsiCompareText(recordText.substr(0, prefix), keyText) == 0;
    }
    return recordText == keyText;
}

}  // namespace

bool TWmiDataSet::Locate(const std::string& keyFields, const Variant& keyValuesGiven, TLocateOptions options) {
    CheckBiDirectional();
    const Variant& keyValues = keyValuesGiven.Deref();
    bool result = false;
    // Released by its destructor on every way out, errors included.
    TBookmark bookmark = GetBookmark();

    const std::vector<std::string> keyNames = SplitKeyNames(keyFields);
    const int keyCount = static_cast<int>(keyNames.size());
    if (keyCount > 1 &&
        (!keyValues.IsArray() || keyValues.ArrayHighBound() - keyValues.ArrayLowBound() + 1 != keyCount))
        DatabaseError(SInvalidFilter, this);

    // Key value i is the array's i-th element from its first, whatever its low bound.
    auto keyValue = [&](int i) -> const Variant& {
        if (i > 0 || keyValues.IsArray()) return keyValues.GetElement(keyValues.ArrayLowBound() + i);
        return keyValues;
    };

    First();
    while (!Eof()) {
        const TFieldDefs& defs = FIrregularView ? FRecordFieldDefs : FieldDefs();
        bool matches = true;
        for (int i = 0; i < keyCount && matches; ++i) {
            const std::string& name = keyNames[static_cast<std::size_t>(i)];
            if (defs.IndexOf(AnsiToWide(name)) < 0) {
                matches = false;
                break;
            }
            const Variant value = FIrregularView ? CurrentPropertyValue(name) : FieldByName(name)->AsVariant();
            matches = ValueMatches(value, keyValue(i), options);
        }
        if (matches) {
            result = true;
            break;
        }
        Next();
    }
    if (!result) GotoBookmark(bookmark);
    FreeBookmark(bookmark);
    return result;
}

}  // namespace veskin
