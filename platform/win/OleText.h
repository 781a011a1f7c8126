#pragma once
// BSTR and GUID at the boundary to the system's COM.
#include "platform/win/WinApi.h"

namespace veskin {

// A BSTR that is freed with its holder. Built from UTF-16 text (never null, so that
// an empty text reaches COM as an empty string).
class TBStr {
public:
    explicit TBStr(const WideString& text);
    ~TBStr();
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    BSTR Get() const { return FText; }

private:
    BSTR FText;
};

// The text of a BSTR the caller owns; frees it. A null BSTR is the empty text.
WideString TakeBStr(BSTR text);
// The text of a BSTR that stays owned by someone else.
WideString BStrText(BSTR text);

::GUID ToWinGuid(const GUID& guid);

}  // namespace veskin
