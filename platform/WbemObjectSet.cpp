#include "platform/WbemObjectSet.h"

#include <memory>

#include "platform/VariantEnumerator.h"

namespace veskin {

WbemObjectSet::WbemObjectSet(WbemObjectProducerFactory factory) : FFactory(std::move(factory)) {}

WbemObjectSet::WbemObjectSet(std::vector<WbemObjectPtr> objects) {
    auto shared = std::make_shared<const std::vector<WbemObjectPtr>>(std::move(objects));
    FFactory = [shared]() -> WbemObjectProducer {
        auto next = std::make_shared<std::size_t>(0);
        return [shared, next](WbemObjectPtr& out) -> HRESULT {
            if (*next >= shared->size()) return S_FALSE;
            // Every reader gets its own copy: changing it changes no other reader's.
            out = (*shared)[(*next)++]->Clone();
            return S_OK;
        };
    };
}

HRESULT WbemObjectSet::ForQuery(WbemObjectProducerFactory factory, std::int32_t flags,
                                ISWbemObjectSetPtr& objectSet) {
    if (flags & wbemFlagReturnImmediately) {
        objectSet = std::make_shared<WbemObjectSet>(std::move(factory));
        return S_OK;
    }
    std::vector<WbemObjectPtr> objects;
    const HRESULT hr = Collect(factory, objects);
    if (Failed(hr)) return hr;
    objectSet = std::make_shared<WbemObjectSet>(std::move(objects));
    return S_OK;
}

HRESULT WbemObjectSet::Collect(const WbemObjectProducerFactory& factory,
                               std::vector<WbemObjectPtr>& objects) {
    objects.clear();
    WbemObjectProducer producer = factory();
    for (;;) {
        WbemObjectPtr obj;
        HRESULT hr = producer(obj);
        if (Failed(hr)) return hr;
        if (hr != S_OK) return S_OK;
        objects.push_back(std::move(obj));
    }
}

HRESULT WbemObjectSet::get__NewEnum(IInterfacePtr& enumerator) {
    WbemObjectProducerFactory factory = FFactory;
    enumerator = std::make_shared<VariantEnumerator>([factory]() -> VariantProducer {
        auto producer = std::make_shared<WbemObjectProducer>(factory());
        return [producer](Variant& out) -> HRESULT {
            WbemObjectPtr obj;
            HRESULT hr = (*producer)(obj);
            if (hr == S_OK) out = Variant::FromDispatch(obj);
            return hr;
        };
    });
    return S_OK;
}

HRESULT WbemObjectSet::get_Count(std::int32_t& count) {
    count = 0;
    WbemObjectProducer producer = FFactory();
    for (;;) {
        WbemObjectPtr obj;
        HRESULT hr = producer(obj);
        if (Failed(hr)) return hr;
        if (hr != S_OK) return S_OK;
        ++count;
    }
}

}  // namespace veskin
