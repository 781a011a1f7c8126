#pragma once
// Interface references: every interface derives virtually from IInterface and is
// held by std::shared_ptr. Asking an object for another interface is a dynamic cast.
#include <cstdint>
#include <memory>

#include "rtl/Exception.h"

namespace veskin {

using HRESULT = std::int32_t;

class IInterface {
public:
    virtual ~IInterface() = default;
};
using IInterfacePtr = std::shared_ptr<IInterface>;

class ITypeLib;
class ITypeInfo;

// The attributes of a type library that callers read: its version.
struct TLibAttr {
    std::uint16_t wMajorVerNum = 0;
    std::uint16_t wMinorVerNum = 0;
};

class ITypeLib : public virtual IInterface {
public:
    virtual HRESULT GetLibAttr(TLibAttr& attr) = 0;
};

class ITypeInfo : public virtual IInterface {
public:
    virtual HRESULT GetContainingTypeLib(std::shared_ptr<ITypeLib>& lib, std::uint32_t& index) = 0;
};

// Automation object. Type information is optional; objects without it answer E_NOTIMPL.
class IDispatch : public virtual IInterface {
public:
    virtual HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t lcid,
                                std::shared_ptr<ITypeInfo>& info);
};
using IDispatchPtr = std::shared_ptr<IDispatch>;

// Null when the object lacks the interface.
template <class T, class U>
std::shared_ptr<T> Supports(const std::shared_ptr<U>& obj) {
    return std::dynamic_pointer_cast<T>(obj);
}

// Raises EIntfCastError "Interface not supported" when the object lacks the interface
// (a null reference stays null, as an interface cast of nil does).
template <class T, class U>
std::shared_ptr<T> IntfCast(const std::shared_ptr<U>& obj) {
    if (!obj) return nullptr;
    auto r = std::dynamic_pointer_cast<T>(obj);
    if (!r) throw EIntfCastError("Interface not supported");
    return r;
}

}  // namespace veskin
