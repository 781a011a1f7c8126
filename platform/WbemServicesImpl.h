#pragma once
// A WMI services object (ISWbemServices) over one namespace of a repository: WQL
// queries, Get of an object path, and the security settings of the connection.
#include "platform/WbemRepository.h"
#include "platform/WbemSecurity.h"

namespace veskin {

class WbemServicesImpl : public ISWbemServices {
public:
    WbemServicesImpl(WbemRepositoryPtr repository, WbemNamespacePtr nameSpace);

    // "\\SERVER\ns:Class.Key=\"v\"" or a relative path: a copy of the stored instance;
    // "Class" alone: the class object. WBEM_E_INVALID_OBJECT_PATH for malformed text or
    // keys that do not fit the class, WBEM_E_INVALID_NAMESPACE for an unknown namespace,
    // WBEM_E_NOT_FOUND for an unknown class or no such instance.
    HRESULT Get(const WideString& objectPath, std::int32_t flags,
                const ISWbemNamedValueSetPtr& valueSet, ISWbemObjectPtr& object) override;
    // Language "WQL" (any case) else WBEM_E_INVALID_QUERY_TYPE; bad text or a property
    // the class lacks WBEM_E_INVALID_QUERY; unknown class WBEM_E_INVALID_CLASS. With
    // wbemFlagReturnImmediately the objects are made as the enumerator asks for them;
    // without it they are all made here (a failure then fails the query). With
    // wbemQueryFlagPrototype the set holds one class object describing the result.
    // ASSOCIATORS OF / REFERENCES OF {path}: the object must exist (else what Get
    // answers); a class path has no associations here, and SchemaOnly is refused with
    // WBEM_E_NOT_SUPPORTED.
    HRESULT ExecQuery(const WideString& query, const WideString& queryLanguage,
                      std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                      ISWbemObjectSetPtr& objectSet) override;
    HRESULT get_Security_(ISWbemSecurityPtr& security) override;

    const WbemNamespacePtr& NameSpace() const { return FNameSpace; }

private:
    void Locate(WbemObject& object) const;
    HRESULT ExecAssociationQuery(const WideString& query, std::int32_t flags, ISWbemObjectSetPtr& objectSet);

    WbemRepositoryPtr FRepository;
    WbemNamespacePtr FNameSpace;
    std::shared_ptr<WbemSecurity> FSecurity;
};

}  // namespace veskin
