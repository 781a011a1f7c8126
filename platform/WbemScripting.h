#pragma once
// The WMI Scripting API as abstract classes. Every operation returns a result code and
// hands its results back through out-parameters; callers judge the code with WmiCheck.
// Enumerators deliver one element per Next; S_FALSE with nothing delivered is the end.
#include <cstdint>
#include <memory>

#include "platform/ComTypes.h"
#include "rtl/Interface.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"

namespace veskin {

// Class and interface identifiers.
extern const CLSID CLSID_SWbemLocator;        // {76A64158-CB41-11D1-8B02-00600806D9B6}
extern const IID IID_ISWbemLocator;           // {76A6415B-CB41-11D1-8B02-00600806D9B6}
extern const CLSID CLSID_SWbemNamedValueSet;  // {9AED384E-CE8B-11D1-8B05-00600806D9B6}
extern const IID IID_ISWbemNamedValueSet;     // {CF2376EA-CE8C-11D1-8B05-00600806D9B6}
extern const IID IID_IEnumVARIANT;            // {00020404-0000-0000-C000-000000000046}
extern const IID IID_ISWbemObject;            // {76A6415A-CB41-11D1-8B02-00600806D9B6}
extern const IID IID_ISWbemProperty;          // {1A388F98-D4BA-11D1-8B09-00600806D9B6}
extern const IID IID_ISWbemQualifier;         // {79B05932-D3B7-11D1-8B06-00600806D9B6}

// Flags and levels.
constexpr std::int32_t wbemConnectFlagUseMaxWait = 128;
constexpr std::int32_t wbemFlagReturnImmediately = 16;
constexpr std::int32_t wbemFlagForwardOnly = 32;
constexpr std::int32_t wbemQueryFlagPrototype = 2;
constexpr std::int32_t wbemFlagUseAmendedQualifiers = 0x20000;
constexpr std::int32_t wbemChangeFlagCreateOrUpdate = 0;
constexpr std::int32_t wbemImpersonationLevelImpersonate = 3;

// CIM type numbers (WbemCimtypeEnum).
constexpr std::int32_t wbemCimtypeSint8 = 16;
constexpr std::int32_t wbemCimtypeUint8 = 17;
constexpr std::int32_t wbemCimtypeSint16 = 2;
constexpr std::int32_t wbemCimtypeUint16 = 18;
constexpr std::int32_t wbemCimtypeSint32 = 3;
constexpr std::int32_t wbemCimtypeUint32 = 19;
constexpr std::int32_t wbemCimtypeSint64 = 20;
constexpr std::int32_t wbemCimtypeUint64 = 21;
constexpr std::int32_t wbemCimtypeReal32 = 4;
constexpr std::int32_t wbemCimtypeReal64 = 5;
constexpr std::int32_t wbemCimtypeBoolean = 11;
constexpr std::int32_t wbemCimtypeString = 8;
constexpr std::int32_t wbemCimtypeDatetime = 101;
constexpr std::int32_t wbemCimtypeReference = 102;
constexpr std::int32_t wbemCimtypeChar16 = 103;
constexpr std::int32_t wbemCimtypeObject = 13;

// Automation booleans.
using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

class ISWbemServices;
class ISWbemSecurity;
class ISWbemNamedValueSet;
class ISWbemNamedValue;
class ISWbemObjectSet;
class ISWbemObject;
class ISWbemObjectPath;
class ISWbemPropertySet;
class ISWbemProperty;
class ISWbemQualifierSet;
class ISWbemQualifier;
class ISWbemEventSource;
class IEnumVARIANT;

using ISWbemServicesPtr = std::shared_ptr<ISWbemServices>;
using ISWbemSecurityPtr = std::shared_ptr<ISWbemSecurity>;
using ISWbemNamedValueSetPtr = std::shared_ptr<ISWbemNamedValueSet>;
using ISWbemNamedValuePtr = std::shared_ptr<ISWbemNamedValue>;
using ISWbemObjectSetPtr = std::shared_ptr<ISWbemObjectSet>;
using ISWbemObjectPtr = std::shared_ptr<ISWbemObject>;
using ISWbemObjectPathPtr = std::shared_ptr<ISWbemObjectPath>;
using ISWbemPropertySetPtr = std::shared_ptr<ISWbemPropertySet>;
using ISWbemPropertyPtr = std::shared_ptr<ISWbemProperty>;
using ISWbemQualifierSetPtr = std::shared_ptr<ISWbemQualifierSet>;
using ISWbemQualifierPtr = std::shared_ptr<ISWbemQualifier>;
using ISWbemEventSourcePtr = std::shared_ptr<ISWbemEventSource>;
using IEnumVARIANTPtr = std::shared_ptr<IEnumVARIANT>;

// Delivers up to count elements into elements[0..count-1]; fetched tells how many.
// S_OK when all were delivered, S_FALSE when fewer (the end).
class IEnumVARIANT : public virtual IInterface {
public:
    virtual HRESULT Next(std::uint32_t count, Variant* elements, std::uint32_t* fetched) = 0;
    virtual HRESULT Skip(std::uint32_t count) = 0;
    virtual HRESULT Reset() = 0;
};

class ISWbemLocator : public virtual IDispatch {
public:
    virtual HRESULT ConnectServer(const WideString& server, const WideString& nameSpace,
                                  const WideString& user, const WideString& password,
                                  const WideString& locale, const WideString& authority,
                                  std::int32_t securityFlags,
                                  const ISWbemNamedValueSetPtr& valueSet,
                                  ISWbemServicesPtr& services) = 0;
    virtual HRESULT get_Security_(ISWbemSecurityPtr& security) = 0;
};

class ISWbemServices : public virtual IDispatch {
public:
    virtual HRESULT Get(const WideString& objectPath, std::int32_t flags,
                        const ISWbemNamedValueSetPtr& valueSet, ISWbemObjectPtr& object) = 0;
    virtual HRESULT ExecQuery(const WideString& query, const WideString& queryLanguage,
                              std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                              ISWbemObjectSetPtr& objectSet) = 0;
    virtual HRESULT get_Security_(ISWbemSecurityPtr& security) = 0;
};

class ISWbemSecurity : public virtual IDispatch {
public:
    virtual HRESULT get_ImpersonationLevel(std::int32_t& level) = 0;
    virtual HRESULT put_ImpersonationLevel(std::int32_t level) = 0;
    virtual HRESULT get_AuthenticationLevel(std::int32_t& level) = 0;
    virtual HRESULT put_AuthenticationLevel(std::int32_t level) = 0;
};

class ISWbemNamedValue : public virtual IDispatch {
public:
    virtual HRESULT get_Name(WideString& name) = 0;
    virtual HRESULT get_Value(Variant& value) = 0;
};

class ISWbemNamedValueSet : public virtual IDispatch {
public:
    virtual HRESULT Add(const WideString& name, const Variant& value, std::int32_t flags,
                        ISWbemNamedValuePtr& namedValue) = 0;
    virtual HRESULT Item(const WideString& name, std::int32_t flags,
                         ISWbemNamedValuePtr& namedValue) = 0;
    virtual HRESULT get_Count(std::int32_t& count) = 0;
    virtual HRESULT get__NewEnum(IInterfacePtr& enumerator) = 0;
};

class ISWbemObjectSet : public virtual IDispatch {
public:
    // The enumerator (an IEnumVARIANT); elements are dispatch variants of ISWbemObject.
    virtual HRESULT get__NewEnum(IInterfacePtr& enumerator) = 0;
    virtual HRESULT get_Count(std::int32_t& count) = 0;
};

class ISWbemObject : public virtual IDispatch {
public:
    virtual HRESULT get_Properties_(ISWbemPropertySetPtr& properties) = 0;
    virtual HRESULT get_Path_(ISWbemObjectPathPtr& path) = 0;
    virtual HRESULT Put_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                         ISWbemObjectPathPtr& path) = 0;
    virtual HRESULT Delete_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet) = 0;
    virtual HRESULT GetObjectText_(std::int32_t flags, WideString& text) = 0;
};

class ISWbemObjectPath : public virtual IDispatch {
public:
    virtual HRESULT get_Path(WideString& path) = 0;
    virtual HRESULT get_RelPath(WideString& relPath) = 0;
    virtual HRESULT get_Class(WideString& className) = 0;
    virtual HRESULT get_Namespace(WideString& nameSpace) = 0;
    virtual HRESULT get_Server(WideString& server) = 0;
};

class ISWbemPropertySet : public virtual IDispatch {
public:
    // The enumerator (an IEnumVARIANT); elements are dispatch variants of ISWbemProperty.
    virtual HRESULT get__NewEnum(IInterfacePtr& enumerator) = 0;
    // Fails (WBEM_E_NOT_FOUND) for a name the object lacks; names compare without case.
    virtual HRESULT Item(const WideString& name, std::int32_t flags,
                         ISWbemPropertyPtr& property) = 0;
    virtual HRESULT get_Count(std::int32_t& count) = 0;
};

class ISWbemProperty : public virtual IDispatch {
public:
    virtual HRESULT get_Value(Variant& value) = 0;
    virtual HRESULT put_Value(const Variant& value) = 0;
    virtual HRESULT get_Name(WideString& name) = 0;
    virtual HRESULT get_IsLocal(VARIANT_BOOL& isLocal) = 0;
    virtual HRESULT get_Origin(WideString& origin) = 0;
    virtual HRESULT get_CIMType(std::int32_t& cimType) = 0;
    virtual HRESULT get_Qualifiers_(ISWbemQualifierSetPtr& qualifiers) = 0;
    virtual HRESULT get_IsArray(VARIANT_BOOL& isArray) = 0;
};

class ISWbemQualifierSet : public virtual IDispatch {
public:
    // The enumerator (an IEnumVARIANT); elements are dispatch variants of ISWbemQualifier.
    virtual HRESULT get__NewEnum(IInterfacePtr& enumerator) = 0;
    virtual HRESULT Item(const WideString& name, std::int32_t flags,
                         ISWbemQualifierPtr& qualifier) = 0;
    virtual HRESULT get_Count(std::int32_t& count) = 0;
};

class ISWbemQualifier : public virtual IDispatch {
public:
    virtual HRESULT get_Value(Variant& value) = 0;
    virtual HRESULT get_Name(WideString& name) = 0;
};

class ISWbemEventSource : public virtual IDispatch {
public:
    // WBEM_E_TIMED_OUT (0x80043001) when no event arrives within timeoutMs.
    virtual HRESULT NextEvent(std::int32_t timeoutMs, ISWbemObjectPtr& event) = 0;
};

}  // namespace veskin
