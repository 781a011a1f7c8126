#pragma once
// Date and time forms of XML Schema that the decoder meets beside xs:dateTime and
// xs:duration (declared with those in WsmanDecoder.h).
#include <string>
#include <string_view>

namespace veskin {

// xs:date -> "yyyymmdd******.******+UUU"; xs:time -> "********HHMMSS.mmmmmm+UUU"
// (the fields the value lacks written as DMTF wildcards); empty for other text.
std::string DmtfFromXsDate(std::string_view text);
std::string DmtfFromXsTime(std::string_view text);

}  // namespace veskin
