#pragma once
// Automation type information of the scripting objects: what callers read of it is the
// version of the type library that holds it (the WMI Scripting library is 1.2).
#include "rtl/Interface.h"

namespace veskin {

class WbemTypeLib : public ITypeLib {
public:
    WbemTypeLib(std::uint16_t major, std::uint16_t minor) : FMajor(major), FMinor(minor) {}
    HRESULT GetLibAttr(TLibAttr& attr) override;

private:
    std::uint16_t FMajor, FMinor;
};

class WbemTypeInfo : public ITypeInfo {
public:
    WbemTypeInfo(std::uint16_t major = 1, std::uint16_t minor = 2);
    HRESULT GetContainingTypeLib(std::shared_ptr<ITypeLib>& lib, std::uint32_t& index) override;

private:
    std::shared_ptr<WbemTypeLib> FLib;
};

}  // namespace veskin
