// libFuzzer target for the WQL engine: any bytes, read both as UTF-8 and as UTF-16,
// must parse to S_OK or WBEM_E_INVALID_QUERY without crashing, throwing or hanging (as
// a SELECT and as an ASSOCIATORS OF / REFERENCES OF query), and a parsed condition must
// evaluate against values of every kind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/Wql.h"
#include "platform/WqlAssociation.h"
#include "platform/WqlValue.h"

using namespace veskin;

namespace {

Variant ValueFor(const WideString& name) {
    switch (name.size() % 6) {
        case 0: return Variant::Null();
        case 1: return Variant(static_cast<std::int32_t>(name.size()));
        case 2: return Variant(name);
        case 3: return Variant(name.size() % 2 == 0);
        case 4: return Variant(W("18446744073709551615"));
        default: return Variant(-0.5);
    }
}

void Check(const WideString& text) {
    WqlQueryPtr query;
    HRESULT hr = WqlParse(text, query);
    if (hr != S_OK && hr != WBEM_E_INVALID_QUERY) std::abort();
    if ((hr == S_OK) != (query != nullptr)) std::abort();
    if (query) {
        (void)query->Matches(ValueFor);
        (void)query->ReferencedProperties();
    }
    WqlAssociationQuery association;
    hr = WqlParseAssociation(text, association);
    if (hr != S_OK && hr != WBEM_E_INVALID_QUERY) std::abort();
    if (hr == S_OK && (!WqlIsAssociationQuery(text) || association.ObjectPath.empty())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536) return 0;
    Check(AnsiToWide(std::string(reinterpret_cast<const char*>(data), size)));
    WideString wide;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        wide.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    Check(wide);
    // The first half as text, the second as a LIKE pattern.
    std::size_t half = wide.size() / 2;
    (void)WqlLike(wide.substr(0, half), wide.substr(half));
    return 0;
}
