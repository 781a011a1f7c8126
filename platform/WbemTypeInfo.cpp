#include "platform/WbemTypeInfo.h"

namespace veskin {

HRESULT WbemTypeLib::GetLibAttr(TLibAttr& attr) {
    attr.wMajorVerNum = FMajor;
    attr.wMinorVerNum = FMinor;
    return 0;
}

WbemTypeInfo::WbemTypeInfo(std::uint16_t major, std::uint16_t minor)
    : FLib(std::make_shared<WbemTypeLib>(major, minor)) {}

HRESULT WbemTypeInfo::GetContainingTypeLib(std::shared_ptr<ITypeLib>& lib, std::uint32_t& index) {
    lib = FLib;
    index = 0;
    return 0;
}

}  // namespace veskin
