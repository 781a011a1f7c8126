#include "platform/win/OleText.h"

#include <cstring>

namespace veskin {

static_assert(sizeof(OLECHAR) == sizeof(char16_t), "OLECHAR is a UTF-16 code unit");

TBStr::TBStr(const WideString& text)
    : FText(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()))) {}

TBStr::~TBStr() { ::SysFreeString(FText); }

WideString BStrText(BSTR text) {
    if (text == nullptr) return WideString();
    return WideString(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text));
}

WideString TakeBStr(BSTR text) {
    WideString result = BStrText(text);
    ::SysFreeString(text);
    return result;
}

::GUID ToWinGuid(const GUID& guid) {
    ::GUID result{};
    result.Data1 = guid.Data1;
    result.Data2 = guid.Data2;
    result.Data3 = guid.Data3;
    std::memcpy(result.Data4, guid.Data4, sizeof result.Data4);
    return result;
}

}  // namespace veskin
