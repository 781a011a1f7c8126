#include "rtl/Interface.h"

namespace veskin {

HRESULT IDispatch::GetTypeInfo(std::uint32_t, std::uint32_t, std::shared_ptr<ITypeInfo>& info) {
    info.reset();
    return static_cast<HRESULT>(0x80004001u);  // E_NOTIMPL
}

}  // namespace veskin
