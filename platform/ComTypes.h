#pragma once
// Result codes and GUIDs, as COM defines them.
#include <cstdint>
#include <string>

#include "rtl/Interface.h"

namespace veskin {

constexpr HRESULT MakeHResult(std::uint32_t v) { return static_cast<HRESULT>(v); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
constexpr HRESULT RPC_E_TOO_LATE = MakeHResult(0x80010119u);
constexpr HRESULT RPC_S_SERVER_UNAVAILABLE_HR = MakeHResult(0x800706BAu);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);
constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000Bu);

// WMI result codes the stand-ins produce.
constexpr HRESULT WBEM_E_FAILED = MakeHResult(0x80041001u);
constexpr HRESULT WBEM_E_NOT_FOUND = MakeHResult(0x80041002u);
constexpr HRESULT WBEM_E_ACCESS_DENIED = MakeHResult(0x80041003u);
constexpr HRESULT WBEM_E_TYPE_MISMATCH = MakeHResult(0x80041005u);
constexpr HRESULT WBEM_E_INVALID_PARAMETER = MakeHResult(0x80041008u);
constexpr HRESULT WBEM_E_NOT_SUPPORTED = MakeHResult(0x8004100Cu);
constexpr HRESULT WBEM_E_INVALID_NAMESPACE = MakeHResult(0x8004100Eu);
constexpr HRESULT WBEM_E_INVALID_CLASS = MakeHResult(0x80041010u);
constexpr HRESULT WBEM_E_INVALID_QUERY = MakeHResult(0x80041017u);
constexpr HRESULT WBEM_E_INVALID_QUERY_TYPE = MakeHResult(0x80041018u);
constexpr HRESULT WBEM_E_PROVIDER_NOT_CAPABLE = MakeHResult(0x80041024u);
constexpr HRESULT WBEM_E_ILLEGAL_NULL = MakeHResult(0x80041028u);
constexpr HRESULT WBEM_E_INVALID_OBJECT_PATH = MakeHResult(0x8004103Au);
constexpr HRESULT WBEM_E_LOCAL_CREDENTIALS = MakeHResult(0x80041064u);
constexpr HRESULT WBEM_E_SYSTEM_PROPERTY = MakeHResult(0x80041087u);  // writing a system property
constexpr HRESULT WBEM_E_TIMED_OUT = MakeHResult(0x80043001u);

// Security-package results the GSS-API layer maps its failures to.
constexpr HRESULT SEC_E_TARGET_UNKNOWN = MakeHResult(0x80090303u);
constexpr HRESULT SEC_E_NO_CREDENTIALS = MakeHResult(0x8009030Eu);
constexpr HRESULT SEC_E_NO_AUTHENTICATING_AUTHORITY = MakeHResult(0x80090311u);

// Result codes of the WinRM client for failures it sees itself.
constexpr HRESULT WSMAN_E_NAME_NOT_RESOLVED = MakeHResult(0x803381B9u);
constexpr HRESULT WSMAN_E_CONNECTION_REFUSED = MakeHResult(0x80338112u);
constexpr HRESULT WSMAN_E_NETWORK_TIMEOUT = MakeHResult(0x80338126u);
constexpr HRESULT WSMAN_E_TLS_FAILURE = MakeHResult(0x803381BAu);
constexpr HRESULT WSMAN_E_HTTP_NOT_FOUND = MakeHResult(0x80338113u);
constexpr HRESULT WSMAN_E_HTTP_BAD_REQUEST = MakeHResult(0x80338171u);
constexpr HRESULT WSMAN_E_HTTP_SERVER_ERROR = MakeHResult(0x80338170u);
constexpr HRESULT WSMAN_E_CANNOT_DECRYPT = MakeHResult(0x803380F9u);
constexpr HRESULT WSMAN_E_KERBEROS_TO_ADDRESS = MakeHResult(0x8033810Bu);
constexpr HRESULT WSMAN_E_UNENCRYPTED_REFUSED = MakeHResult(0x803380DEu);
constexpr HRESULT WSMAN_E_OPERATION_TIMEOUT = MakeHResult(0x80338029u);
constexpr HRESULT WSMAN_E_INVALID_SELECTORS = MakeHResult(0x8033805Bu);
constexpr HRESULT WSMAN_E_INVALID_RESOURCE_URI = MakeHResult(0x80338000u);
constexpr HRESULT WSMAN_E_INVALID_ENUMERATION_CONTEXT = MakeHResult(0x8033801Bu);
constexpr HRESULT WSMAN_E_QUOTA = MakeHResult(0x803381A6u);
constexpr HRESULT WSMAN_E_UNKNOWN_CLASS = MakeHResult(0x8033801Au);

constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
constexpr bool Failed(HRESULT hr) { return hr < 0; }

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};

    // From the registry form "{76A64158-CB41-11D1-8B02-00600806D9B6}"; raises
    // EConvertError for malformed text.
    static GUID Parse(const std::string& text);
    std::string ToString() const;  // the registry form, upper case
    bool operator==(const GUID& other) const;
    bool operator!=(const GUID& other) const { return !(*this == other); }
    bool operator<(const GUID& other) const;
};
using CLSID = GUID;
using IID = GUID;

// Class contexts.
constexpr std::uint32_t CLSCTX_INPROC_SERVER = 1;
constexpr std::uint32_t CLSCTX_INPROC_HANDLER = 2;
constexpr std::uint32_t CLSCTX_LOCAL_SERVER = 4;

}  // namespace veskin
