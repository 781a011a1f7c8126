#pragma once
// The catalogue of WMI result codes and their fixed English texts.
#include <cstddef>

#include "platform/ComTypes.h"

namespace veskin {

struct WmiErrorEntry {
    HRESULT Code;
    const char* Text;
};

// Sorted by code (as unsigned values), so it can be searched by bisection.
extern const WmiErrorEntry WmiErrorCatalogue[];
extern const std::size_t WmiErrorCatalogueCount;

// The catalogue text of code, or null when the code is not in the catalogue.
const char* WmiCatalogueText(HRESULT code);

}  // namespace veskin
