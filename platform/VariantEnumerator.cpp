#include "platform/VariantEnumerator.h"

#include <memory>

namespace veskin {

VariantEnumerator::VariantEnumerator(VariantProducerFactory factory)
    : FFactory(std::move(factory)), FProducer(FFactory ? FFactory() : VariantProducer()) {}

std::shared_ptr<VariantEnumerator> VariantEnumerator::OverList(std::vector<Variant> elements) {
    auto shared = std::make_shared<const std::vector<Variant>>(std::move(elements));
    return std::make_shared<VariantEnumerator>([shared]() -> VariantProducer {
        auto index = std::make_shared<std::size_t>(0);
        return [shared, index](Variant& out) -> HRESULT {
            if (*index >= shared->size()) return S_FALSE;
            out = (*shared)[(*index)++];
            return S_OK;
        };
    });
}

HRESULT VariantEnumerator::Next(std::uint32_t count, Variant* elements, std::uint32_t* fetched) {
    if (fetched) *fetched = 0;
    if (count > 0 && elements == nullptr) return E_POINTER;
    if (count > 1 && fetched == nullptr) return E_POINTER;
    std::uint32_t got = 0;
    while (got < count && !FEnded && FProducer) {
        Variant element;
        HRESULT hr = FProducer(element);
        if (Failed(hr)) {
            if (fetched) *fetched = got;
            return hr;
        }
        if (hr != S_OK) {
            FEnded = true;
            break;
        }
        elements[got++] = std::move(element);
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
}

HRESULT VariantEnumerator::Skip(std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        Variant element;
        std::uint32_t got = 0;
        HRESULT hr = Next(1, &element, &got);
        if (Failed(hr)) return hr;
        if (got == 0) return S_FALSE;
    }
    return S_OK;
}

HRESULT VariantEnumerator::Reset() {
    FEnded = false;
    FProducer = FFactory ? FFactory() : VariantProducer();
    return S_OK;
}

}  // namespace veskin
