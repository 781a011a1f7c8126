#pragma once
// The system's automation type information of a scripting object: what callers read
// of it is the version of the type library that holds it.
#include "platform/win/WinAdapter.h"

namespace veskin {

class TWinTypeLib : public ITypeLib {
public:
    explicit TWinTypeLib(TComPtr<::ITypeLib> lib) : FLib(std::move(lib)) {}
    HRESULT GetLibAttr(TLibAttr& attr) override;

private:
    TComPtr<::ITypeLib> FLib;
};

class TWinTypeInfo : public ITypeInfo {
public:
    explicit TWinTypeInfo(TComPtr<::ITypeInfo> info) : FInfo(std::move(info)) {}
    HRESULT GetContainingTypeLib(std::shared_ptr<ITypeLib>& lib, std::uint32_t& index) override;

private:
    TComPtr<::ITypeInfo> FInfo;
};

}  // namespace veskin
