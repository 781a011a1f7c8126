#pragma once
// Namespace URIs and action URIs of the WS-Management messages.
#include <string_view>

namespace veskin::wsns {

inline constexpr std::string_view Soap = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr std::string_view Addressing = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
inline constexpr std::string_view Enumeration = "http://schemas.xmlsoap.org/ws/2004/09/enumeration";
inline constexpr std::string_view Transfer = "http://schemas.xmlsoap.org/ws/2004/09/transfer";
inline constexpr std::string_view Wsman = "http://schemas.dmtf.org/wbem/wsman/1/wsman.xsd";
inline constexpr std::string_view MsWsman = "http://schemas.microsoft.com/wbem/wsman/1/wsman.xsd";
inline constexpr std::string_view Cim = "http://schemas.dmtf.org/wbem/wscim/1/common";
inline constexpr std::string_view Xsi = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr std::string_view Identity =
    "http://schemas.dmtf.org/wbem/wsman/identity/1/wsmanidentity.xsd";
inline constexpr std::string_view WsmanFault =
    "http://schemas.microsoft.com/wbem/wsman/1/wsmanfault";
inline constexpr std::string_view XmlLang = "http://www.w3.org/XML/1998/namespace";

inline constexpr std::string_view Anonymous =
    "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
inline constexpr std::string_view WmiResourcePrefix = "http://schemas.microsoft.com/wbem/wsman/1/wmi/";
inline constexpr std::string_view CimSchemaUri = "http://schemas.dmtf.org/wbem/cim-xml/2/cim-schema/2/*";
inline constexpr std::string_view WqlDialect = "http://schemas.microsoft.com/wbem/wsman/1/WQL";

inline constexpr std::string_view ActionEnumerate =
    "http://schemas.xmlsoap.org/ws/2004/09/enumeration/Enumerate";
inline constexpr std::string_view ActionPull = "http://schemas.xmlsoap.org/ws/2004/09/enumeration/Pull";
inline constexpr std::string_view ActionRelease =
    "http://schemas.xmlsoap.org/ws/2004/09/enumeration/Release";
inline constexpr std::string_view ActionGet = "http://schemas.xmlsoap.org/ws/2004/09/transfer/Get";
inline constexpr std::string_view ActionPut = "http://schemas.xmlsoap.org/ws/2004/09/transfer/Put";
inline constexpr std::string_view ActionDelete = "http://schemas.xmlsoap.org/ws/2004/09/transfer/Delete";

}  // namespace veskin::wsns
